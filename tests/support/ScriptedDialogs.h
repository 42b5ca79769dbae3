#pragma once
// Dialogs for tests: answers come from a script in order, every box shown is recorded, and a box
// nobody scripted fails the test. Installs itself for its lifetime.

#include "platform/Dialogs.h"

#include <QList>
#include <QString>
#include <deque>

namespace pelto::test {

struct ShownBox {
    BoxButtons buttons;
    QString text;
    QString title;
    BoxIcon icon;
};

struct ShownFileDialog {
    QString title;
    QString startPath;
    QString filter;
};

class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Queues the answer for the next box (for a notice box: BoxAnswer::Ok).
    ScriptedDialogs& then(BoxAnswer answer);
    // Queues the path the next open-file dialog returns ("" = cancelled).
    ScriptedDialogs& thenFile(const QString& path);

    BoxAnswer ask(BoxButtons buttons, const QString& text, const QString& title,
                  BoxIcon icon) override;
    QString openFile(const QString& title, const QString& startPath,
                     const QString& filter) override;

    const QList<ShownBox>& shown() const { return shown_; }
    const QList<ShownFileDialog>& fileDialogs() const { return fileDialogs_; }
    qsizetype unanswered() const { return static_cast<qsizetype>(answers_.size()); }

private:
    std::deque<BoxAnswer> answers_;
    std::deque<QString> files_;
    QList<ShownBox> shown_;
    QList<ShownFileDialog> fileDialogs_;
};

} // namespace pelto::test
