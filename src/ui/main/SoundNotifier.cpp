#include "ui/main/SoundNotifier.h"

#include "diag/Convert.h"
#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "platform/Dialogs.h"
#include "platform/ProgramPaths.h"
#include "platform/SoundPlayer.h"
#include "platform/SystemDirs.h"
#include "ui/main/MainController.h"

namespace pelto::ui {
namespace {

constexpr int kSecondMs = 1000;
constexpr int kMinuteMs = 60000;

// The trace's parameter text of a procedure without parameters.
QString noParams() {
    return QStringLiteral("()");
}

} // namespace

SoundNotifier::SoundNotifier(MainController& controls, SoundPlayer& player)
    : controls_(controls), player_(&player) {}

void SoundNotifier::PlaySounds() {
    const diag::Procedure proc("Pelto", "Sub PlaySounds", noParams);
    if (!controls_.value(QStringLiteral("chkRepeatSound"))) {
        playTimes(1);
        return;
    }
    if (controls_.value(QStringLiteral("optRepeatSound_0"))) {
        playTimes(diag::CvtInt(controls_.caption(QStringLiteral("txtRepeatCount")),
                               QStringLiteral("PlaySounds")));
        return;
    }
    miRepeatCountdown_ = repeatFrequency();
    mbSoundPlayed_ = false;
    setTimer(true, controls_.caption(QStringLiteral("cboRepeatFreq")) == QLatin1String("Minutes")
                       ? kMinuteMs
                       : kSecondMs);
}

void SoundNotifier::cmdTestSound_Click() {
    const diag::Procedure proc("Pelto", "Sub cmdTestSound_Click", noParams);
    playTimes(1);
}

void SoundNotifier::Timer1_Timer() {
    const diag::Procedure proc("Pelto", "Sub Timer1_Timer", noParams);
    if (miRepeatCountdown_ != 1) {
        --miRepeatCountdown_;
        return;
    }
    // A tick that comes while a sound still plays is the same sound: the repetition goes on
    // from here without a second one on top of it.
    if (!busy())
        playTimes(1);
    mbSoundPlayed_ = true;
    miRepeatCountdown_ = repeatFrequency();
}

void SoundNotifier::mouseMoved() {
    if (!mbSoundPlayed_)
        return;
    setTimer(false, timerInterval_);
    mbSoundPlayed_ = false;
}

void SoundNotifier::cmdChgSound_Click(Dialogs& dialogs, const QString& windowsDir) {
    const diag::Procedure proc("Pelto", "Sub cmdChgSound_Click", noParams);
    if (windowsDir == QLatin1String(kApiCallFailed)) {
        diag::LogError(QStringLiteral("frmPelto"), QStringLiteral("cmdChangeSound"),
                       QStringLiteral("\r\nUnrecoverable error: ") + windowsDir);
        return;
    }
    const QString chosen = SelectFile(dialogs, QStringLiteral("Select File"),
                                      QStringLiteral("Sound files (*.wav *.mid)"),
                                      windowsDir + QStringLiteral("/Media"));
    if (!chosen.isEmpty())
        controls_.setText(QStringLiteral("txtSoundFile"), chosen);
}

void SoundNotifier::playTimes(int count) {
    if (count <= 0)
        return;
    queued_ += count;
    if (!playing_)
        playNext();
}

void SoundNotifier::playNext() {
    if (queued_ == 0)
        return;
    --queued_;
    playing_ = true;
    player_->play(controls_.caption(QStringLiteral("txtSoundFile")), [this] {
        playing_ = false;
        playNext();
    });
}

void SoundNotifier::setTimer(bool enabled, int interval) {
    const bool changed = enabled != timerEnabled_ || interval != timerInterval_;
    timerEnabled_ = enabled;
    timerInterval_ = interval;
    // Starting again restarts the interval even when nothing else changed.
    if ((changed || enabled) && onTimerChanged)
        onTimerChanged();
}

qint32 SoundNotifier::repeatFrequency() const {
    return diag::CvtInt(controls_.caption(QStringLiteral("txtRepeatFreq")),
                        QStringLiteral("PlaySounds"));
}

QString SelectFile(Dialogs& dialogs, const QString& title, const QString& filter,
                   const QString& initDir) {
    diag::Procedure proc("Pelto", "Function SelectFile", [] {
        return QStringLiteral("(pstrTitle=<Optional>, pstrFilter=<Optional>, "
                              "pstrInitDir=<Optional>, bFileMustExist=<Boolean = True>)");
    });
    return dialogs.openFile(title, initDir.isEmpty() ? programFolder() : initDir, filter);
}

} // namespace pelto::ui
