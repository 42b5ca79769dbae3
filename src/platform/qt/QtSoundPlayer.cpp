#include "platform/qt/QtSoundPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
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
    if (player_)
        player_->stop();
}

void QtSoundPlayer::makePlayer() {
    output_ = new QAudioOutput(this);
    player_ = new QMediaPlayer(this);
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia)
                    end();
            });
    connect(player_, &QMediaPlayer::errorOccurred, this, [this] { end(); });
    connect(player_, &QMediaPlayer::durationChanged, this, [this](qint64 ms) {
        if (ms > 0 && watchdog_.isActive())
            watchdog_.start(static_cast<int>(std::min<qint64>(ms + kEndGraceMs, INT_MAX)));
    });
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
    if (!player_)
        makePlayer();
    watchdog_.start(kStartLimitMs);
    player_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    player_->play();
}

void QtSoundPlayer::end() {
    watchdog_.stop();
    if (player_ && player_->playbackState() != QMediaPlayer::StoppedState)
        player_->stop();
    if (const auto finished = std::exchange(finished_, {}))
        finished();
}

} // namespace pelto
