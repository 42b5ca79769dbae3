#pragma once
// Sound files played through Qt Multimedia on the default audio output. Nothing of the audio
// system is touched before the first sound that exists is played.

#include "platform/SoundPlayer.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QAudioOutput;
class QMediaPlayer;

namespace pelto {

class QtSoundPlayer : public QObject, public SoundPlayer {
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& file, std::function<void()> finished) override;

    // How long a sound may take to start and report its length, and how long past that length
    // it may run, before it counts as ended: a backend that never reports the end must not
    // hold the window's input forever.
    static constexpr int kStartLimitMs = 10000;
    static constexpr int kEndGraceMs = 2000;

private:
    void makePlayer();
    void end();

    QPointer<QMediaPlayer> player_;
    QPointer<QAudioOutput> output_;
    QTimer watchdog_;
    std::function<void()> finished_;
};

} // namespace pelto
