#pragma once
// The Help menu's revision history: the lines of "PeltoRev.txt", which ships beside the program
// and in the install's data folder. The list fills the window above a centred OK button; the
// window is never less than five button heights tall.

#include <QDialog>
#include <memory>

namespace Ui {
class RevisionsWindow;
}

namespace pelto::ui {

inline constexpr auto kRevisionFileName = "PeltoRev.txt";

// Where the history is looked for, in order: the program's folder, then the data folders.
QStringList revisionFolders();
// The history file in the first of `folders` that holds one; "" when none does.
QString findRevisionFile(const QStringList& folders);

class RevisionsWindow : public QDialog {
    Q_OBJECT
public:
    explicit RevisionsWindow(QWidget* parent = nullptr);
    ~RevisionsWindow() override;

    // Reads the history from `folders` and shows the window (modal when aiMode is 1) with the
    // first line selected. A missing history is logged and shown in a box, and the window is
    // deleted instead of shown; nullptr then.
    static RevisionsWindow* Display(qint16 aiMode, QWidget* aoForm,
                                    const QStringList& folders = revisionFolders());

    QStringList lines() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<Ui::RevisionsWindow> ui_;
};

} // namespace pelto::ui
