#pragma once
// The message-log window: a companion of the main window, docked flush against its right edge,
// that shows what the error log wrote during this run. "Hide Me" and the close box hide it; it
// keeps its text and follows vertical moves of the main window.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class ErrorLogWindow;
}

namespace pelto::ui {

class ErrorLogWindow : public QWidget {
    Q_OBJECT
public:
    // Mirrors the error log's message text and lets the log show and dock it, until destroyed.
    explicit ErrorLogWindow(QWidget* mainWindow);
    ~ErrorLogWindow() override;

    // Empties the message log and the text box (a check does this as it begins).
    void clear();
    // Places the window against the main window's right edge: same top, same height.
    void dock();
    // What the 500 ms timer runs: docks again when the main window's top has changed since the
    // last look (the first look always docks). A minimised or maximised window is left alone.
    void followMainWindow();

    QTimer& followTimer() { return timer_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showLogText();

    std::unique_ptr<Ui::ErrorLogWindow> ui_;
    QPointer<QWidget> main_;
    QTimer timer_;
    std::optional<int> mainTop_;
    qsizetype shown_ = 0;
    std::function<void()> previousShow_;
    std::function<void()> previousChanged_;
};

} // namespace pelto::ui
