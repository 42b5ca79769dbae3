#pragma once
// Sound files played through Qt Multimedia on the default audio output. Nothing of the audio
// system is touched before the first sound that exists is played.
//
// A PCM wave file plays through a sound effect, which reads the file itself and writes to the
// audio device directly; other files go through the media player, and only when the media
// framework (GStreamer on Linux) has audio decoders: without them its player may hang or crash
// the program. The end-of-work sound is a PCM wave, so it plays even where they are missing.

#include "platform/SoundPlayer.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <optional>

namespace pelto {

class QtSoundPlayer : public QObject, public SoundPlayer {
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& file, std::function<void()> finished) override;

    // How long a sound may take to start, and how long past its length it may run, before it
    // counts as ended: a backend that never reports the end must not hold the window's input
    // forever.
    static constexpr int kStartLimitMs = 10000;
    static constexpr int kEndGraceMs = 5000;

    // The playing time of a wave file the sound effect can play (PCM or floating-point samples),
    // from its header and size; 0 for any other file.
    static qint64 waveDurationMs(const QString& file);

private:
    static constexpr quint16 kPcm = 1;
    static constexpr quint16 kFloat = 3;
    static constexpr quint16 kExtensible = 0xFFFE;

    // The media framework has audio decoders (asked once).
    bool canDecode();
    void playWave(const QString& file, qint64 length);
    void playMedia(const QString& file);
    // The sound plays: it may run `lengthMs` and the grace.
    void playingFor(qint64 lengthMs);
    void end();

    // The object playing the current sound (a sound effect or a media player); one per sound,
    // so that nothing of an earlier sound's state reaches the next.
    QPointer<QObject> sound_;
    QTimer watchdog_;
    std::function<void()> finished_;
    std::optional<bool> canDecode_;
};

} // namespace pelto
