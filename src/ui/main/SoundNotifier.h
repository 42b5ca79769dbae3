#pragma once
// The sound at the end of a check or copy, without widgets: played once, a number of times in a
// row, or every interval until the user comes back and moves the mouse over one of the window's
// main controls. It reads the sound options from the window's controller; the window drives the
// repeat timer from timerEnabled() and timerInterval() and forwards its ticks to Timer1_Timer().
//
// Sounds play one after the other: the next starts when the player reports the previous one
// finished, and while any is due or playing the notifier is busy and the window takes no user
// input.

#include <QString>
#include <functional>

namespace pelto {
class Dialogs;
class SoundPlayer;
} // namespace pelto

namespace pelto::ui {

class MainController;

class SoundNotifier {
public:
    SoundNotifier(MainController& controls, SoundPlayer& player);
    SoundNotifier(const SoundNotifier&) = delete;
    SoundNotifier& operator=(const SoundNotifier&) = delete;

    void setPlayer(SoundPlayer& player) { player_ = &player; }

    // Plays as the options say: once without "Repeat sound"; "Repeat n times" plays n times in a
    // row (none for n of 0 or less); "Repeat every" starts the repeat timer and plays nothing
    // now, the first sound comes one full interval later. Does not look at "Play sound".
    void PlaySounds();
    // Plays the sound file once.
    void cmdTestSound_Click();
    // One tick of the repeat timer (a second, or a minute when the unit is "Minutes").
    void Timer1_Timer();
    // The mouse moved over a control that stops the repetition: it stops once the repetition
    // has sounded at least once since it started; before that the mouse changes nothing.
    void mouseMoved();
    // A mouse move over such a control would stop the repetition now.
    bool stoppable() const { return timerEnabled_ && mbSoundPlayed_; }
    // Lets the user pick another sound file, starting in the "Media" folder of `windowsDir`; a
    // cancelled dialog keeps the file as it was.
    void cmdChgSound_Click(Dialogs& dialogs, const QString& windowsDir);

    // A sound plays or is due in the series that plays now.
    bool busy() const { return playing_ || queued_ > 0; }
    bool timerEnabled() const { return timerEnabled_; }
    int timerInterval() const { return timerInterval_; }
    // Runs when the timer is enabled or disabled or its interval changes.
    std::function<void()> onTimerChanged;

private:
    void playTimes(int count);
    void playNext();
    void setTimer(bool enabled, int interval);
    qint32 repeatFrequency() const;

    MainController& controls_;
    SoundPlayer* player_;
    int queued_ = 0;
    bool playing_ = false;
    qint32 miRepeatCountdown_ = 0;
    bool mbSoundPlayed_ = false;
    bool timerEnabled_ = false;
    int timerInterval_ = 0;
};

// A file-open dialog through `dialogs`: the chosen file's full path, or "" when nothing was
// chosen. An empty `initDir` starts in the program's folder.
QString SelectFile(Dialogs& dialogs, const QString& title, const QString& filter,
                   const QString& initDir);

} // namespace pelto::ui
