#pragma once
// The window shown while the program starts: logo, title, version, company, the system it runs
// on and the legal notice. It closes itself 3 s after it opens, on any key, or on a click on its
// frame.

#include <QDialog>
#include <QTimer>
#include <memory>

namespace Ui {
class SplashWindow;
}

namespace pelto::ui {

// The marker in the legal notice text: the notice is shown up to and including its first
// character (the sentence's full stop).
inline constexpr auto kLegalNoticeMarker = ". ";

// The first p characters of `notice`, p being the 1-based position of the first occurrence of
// `marker` (compared case-sensitively); "" when the marker is absent.
QString cutAtMarker(const QString& notice, const QString& marker);

class SplashWindow : public QDialog {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
    ~SplashWindow() override;

    // Shows a splash that deletes itself when it closes; exec() it instead to wait for it.
    static SplashWindow* showFor(QWidget* parent);

    // The timer that closes the window (3000 ms, single shot, running from the start).
    QTimer& closeTimer() { return timer_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::SplashWindow> ui_;
    QTimer timer_;
};

} // namespace pelto::ui
