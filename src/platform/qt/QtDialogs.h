#pragma once
// The program's real boxes: message boxes with the buttons, icon and title each call asks for,
// and the open-file dialog. The boxes are built by separate functions so that tests can check
// them without showing them.

#include "platform/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace pelto {

// The box `ask` shows, ready to exec(). The text is shown as plain text, its CR LF pairs as line
// breaks. The caller owns the box and must destroy it before `parent`.
std::unique_ptr<QMessageBox> makeMessageBox(BoxButtons buttons, const QString& text,
                                            const QString& title, BoxIcon icon,
                                            QWidget* parent = nullptr);
// The answer of a clicked button; a box closed otherwise gives the cautious answer of its
// buttons (OK, No, Abort, Cancel).
BoxAnswer answerOf(BoxButtons buttons, QMessageBox::StandardButton clicked);

// A filter "Description|*.a;*.b|Other|*.c" (description and patterns in pairs) in the form
// the file dialog takes; a filter without "|" is taken as it stands.
QStringList nameFilters(const QString& filter);
// The dialog `openFile` shows: one existing file, starting in `startPath`.
std::unique_ptr<QFileDialog> makeOpenFileDialog(const QString& title, const QString& startPath,
                                                const QString& filter, QWidget* parent = nullptr);

class QtDialogs : public Dialogs {
public:
    // Boxes are modal to `parent` (usually the main window) and centred on it.
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParentWindow(QWidget* parent) { parent_ = parent; }

    BoxAnswer ask(BoxButtons buttons, const QString& text, const QString& title,
                  BoxIcon icon) override;
    QString openFile(const QString& title, const QString& startPath,
                     const QString& filter) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace pelto
