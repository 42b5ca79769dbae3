#include "platform/qt/QtSoundPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>
#include <algorithm>
#include <climits>

namespace pelto {

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, &QtSoundPlayer::end);
}

QtSoundPlayer::~QtSoundPlayer() {
    // Nobody waits for a sound cut short by the player's end.
    finished_ = {};
    delete sound_.data();
}

qint64 QtSoundPlayer::waveDurationMs(const QString& file) {
    QFile wave(file);
    if (!wave.open(QIODevice::ReadOnly))
        return 0;
    // "RIFF", size, "WAVE", "fmt ", format length, format tag, channels, sample rate, byte rate.
    const QByteArray head = wave.read(32);
    if (head.size() < 32 || !head.startsWith("RIFF") || head.mid(8, 8) != "WAVEfmt ")
        return 0;
    const quint16 tag = qFromLittleEndian<quint16>(head.constData() + 20);
    const quint32 byteRate = qFromLittleEndian<quint32>(head.constData() + 28);
    if ((tag != kPcm && tag != kFloat && tag != kExtensible) || byteRate == 0)
        return 0;
    return std::max<qint64>(1, wave.size() * 1000 / byteRate);
}

void QtSoundPlayer::play(const QString& file, std::function<void()> finished) {
    finished_ = std::move(finished);
    const QFileInfo info(file);
    // A missing file is silence; the audio system is asked only for a file that exists.
    if (file.isEmpty() || !info.isFile() || !info.isReadable() ||
        QMediaDevices::defaultAudioOutput().isNull()) {
        QTimer::singleShot(0, this, &QtSoundPlayer::end);
        return;
    }
    if (const qint64 length = waveDurationMs(file); length > 0) {
        watchdog_.start(kStartLimitMs);
        playWave(info.absoluteFilePath(), length);
    } else if (canDecode()) {
        watchdog_.start(kStartLimitMs);
        playMedia(info.absoluteFilePath());
    } else {
        QTimer::singleShot(0, this, &QtSoundPlayer::end);
    }
}

bool QtSoundPlayer::canDecode() {
    if (!canDecode_)
        canDecode_ = !QMediaFormat().supportedAudioCodecs(QMediaFormat::Decode).isEmpty();
    return *canDecode_;
}

// The signals of a sound reach the player queued, so that the finished notification never runs
// inside play(), and only while that sound is the current one.
void QtSoundPlayer::playWave(const QString& file, qint64 length) {
    auto* const effect = new QSoundEffect(this);
    sound_ = effect;
    connect(
        effect, &QSoundEffect::statusChanged, this,
        [this, effect] {
            if (effect == sound_ && effect->status() == QSoundEffect::Error)
                end();
        },
        Qt::QueuedConnection);
    connect(
        effect, &QSoundEffect::playingChanged, this,
        [this, effect, length] {
            if (effect != sound_)
                return;
            if (effect->isPlaying())
                playingFor(length);
            else
                end();
        },
        Qt::QueuedConnection);
    effect->setSource(QUrl::fromLocalFile(file));
    effect->play();
}

void QtSoundPlayer::playMedia(const QString& file) {
    auto* const player = new QMediaPlayer(this);
    sound_ = player;
    player->setAudioOutput(new QAudioOutput(player));
    connect(
        player, &QMediaPlayer::mediaStatusChanged, this,
        [this, player](QMediaPlayer::MediaStatus status) {
            if (player == sound_ &&
                (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia))
                end();
        },
        Qt::QueuedConnection);
    connect(
        player, &QMediaPlayer::errorOccurred, this,
        [this, player] {
            if (player == sound_)
                end();
        },
        Qt::QueuedConnection);
    connect(
        player, &QMediaPlayer::durationChanged, this,
        [this, player](qint64 ms) {
            if (player == sound_ && ms > 0)
                playingFor(ms);
        },
        Qt::QueuedConnection);
    player->setSource(QUrl::fromLocalFile(file));
    player->play();
}

void QtSoundPlayer::playingFor(qint64 lengthMs) {
    if (watchdog_.isActive())
        watchdog_.start(static_cast<int>(std::min<qint64>(lengthMs + kEndGraceMs, INT_MAX)));
}

void QtSoundPlayer::end() {
    watchdog_.stop();
    if (QObject* const sound = sound_.data()) {
        sound_ = nullptr;
        if (auto* const effect = qobject_cast<QSoundEffect*>(sound))
            effect->stop();
        else if (auto* const player = qobject_cast<QMediaPlayer*>(sound))
            player->stop();
        sound->deleteLater();
    }
    if (const auto finished = std::exchange(finished_, {}))
        finished();
}

} // namespace pelto
