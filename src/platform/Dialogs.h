#pragma once
// Message boxes, questions and the open-file dialog. The window program installs real boxes;
// tests install a scripted implementation; without either, a headless one writes the box to
// standard error and gives the cautious answer (OK, No, Abort, Cancel, no file).

#include <QString>
#include <QStringList>

namespace pelto {

enum class BoxIcon { None, Critical, Question, Exclamation, Information };
// YesNoDefaultNo offers Yes and No with No as the default button, for a Yes that destroys data.
enum class BoxButtons { Ok, YesNo, YesNoDefaultNo, AbortRetryIgnore, RetryCancel };
enum class BoxAnswer { Ok, Yes, No, Abort, Retry, Ignore, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual BoxAnswer ask(BoxButtons buttons, const QString& text, const QString& title,
                          BoxIcon icon) = 0;
    // Returns the chosen file's path, or "" when the user cancelled.
    virtual QString openFile(const QString& title, const QString& startPath,
                             const QString& filter) = 0;

    void notice(const QString& text, const QString& title, BoxIcon icon = BoxIcon::None) {
        ask(BoxButtons::Ok, text, title, icon);
    }
    bool yesNo(const QString& text, const QString& title, BoxIcon icon = BoxIcon::Question) {
        return ask(BoxButtons::YesNo, text, title, icon) == BoxAnswer::Yes;
    }
    // A question whose Yes destroys data: No is the default button.
    bool cautiousYesNo(const QString& text, const QString& title,
                       BoxIcon icon = BoxIcon::Question) {
        return ask(BoxButtons::YesNoDefaultNo, text, title, icon) == BoxAnswer::Yes;
    }
    BoxAnswer abortRetryIgnore(const QString& text, const QString& title,
                               BoxIcon icon = BoxIcon::Critical) {
        return ask(BoxButtons::AbortRetryIgnore, text, title, icon);
    }
    bool retry(const QString& text, const QString& title, BoxIcon icon = BoxIcon::Exclamation) {
        return ask(BoxButtons::RetryCancel, text, title, icon) == BoxAnswer::Retry;
    }
};

// The answer that changes nothing: what closing a box without a button means, and what a box
// nobody can see answers.
BoxAnswer cautiousAnswer(BoxButtons buttons);

// The program's dialogs: the installed ones, or the headless ones.
Dialogs& dialogs();
// Installs dialogs (not owned); nullptr restores the headless ones.
void setDialogs(Dialogs* replacement);

} // namespace pelto
