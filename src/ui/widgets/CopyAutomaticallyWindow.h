#pragma once
// The last-chance countdown before a profile's automatic copy: it counts from 20 down to 1, one
// step per tick of its timer, and then answers "copy now" by itself. "&Copy Now" answers so at
// once, "&Don't Copy" (also Esc or the close box) answers no. The window says which profile is
// copied, whether the copy deletes too, and what the check listed on each side.

#include <QDialog>
#include <QTimer>
#include <memory>

namespace Ui {
class CopyAutomaticallyWindow;
}

namespace pelto::ui {

class CopyAutomaticallyWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSeconds = 20;

    // What the copy will do, as the check left it.
    struct Plan {
        QString profile;
        bool sync = false; // copy and delete
        bool test = false; // test mode: the run only shows what it would do
        qsizetype sourceFiles = 0;
        qsizetype sourceFolders = 0;
        qsizetype destinationFiles = 0;
        qsizetype destinationFolders = 0;
    };

    explicit CopyAutomaticallyWindow(const Plan& plan, QWidget* parent = nullptr);
    ~CopyAutomaticallyWindow() override;

    // The answer: true when the copy is to start now.
    bool bCopyNow() const { return copyNow_; }
    // The seconds the window shows.
    int secondsShown() const;

    // One tick of Timer1 (every second while the window is open).
    void Timer1_Timer();
    void cmdLoad_Click();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void answer(bool copyNow);

    std::unique_ptr<Ui::CopyAutomaticallyWindow> ui_;
    QTimer Timer1_;
    int counter_ = 0; // seconds left between ticks; 0 before the first
    bool copyNow_ = false;
};

} // namespace pelto::ui
