// The real player with files it cannot play: nothing is played or shown, and the finished
// notification still comes, from the event loop. No test reaches the audio system.
#include "platform/qt/QtSoundPlayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace pelto {
namespace {

TEST(QtSoundPlayerTest, AFileThatCannotBePlayedFinishesAtOnceFromTheEventLoop) {
    const QTemporaryDir dir;
    for (const QString& file : {QString(), dir.path() + "/missing.wav", dir.path()}) {
        QtSoundPlayer player;
        int finished = 0;
        player.play(file, [&] { ++finished; });
        EXPECT_EQ(finished, 0) << file.toStdString();
        QCoreApplication::processEvents();
        EXPECT_EQ(finished, 1) << file.toStdString();
        QCoreApplication::processEvents();
        EXPECT_EQ(finished, 1) << file.toStdString();
    }
}

// Only a wave file of samples the sound effect reads gets a length (and so plays through it).
TEST(QtSoundPlayerTest, WaveLengthComesFromTheHeaderOfPlayableWavesOnly) {
    const QTemporaryDir dir;
    const auto wave = [](quint16 tag, quint32 byteRate) {
        QByteArray head = QByteArrayLiteral("RIFF\0\0\0\0WAVEfmt ").leftJustified(32, '\0');
        qToLittleEndian(tag, head.data() + 20);
        qToLittleEndian(byteRate, head.data() + 28);
        return head.leftJustified(44, '\0') + QByteArray(44100, 'x');
    };
    const std::pair<QByteArray, qint64> rows[] = {
        {wave(1, 44100), 1000},
        {wave(3, 88200), 500},
        {wave(0xFFFE, 44100), 1000},
        {wave(0x55, 44100), 0},
        {wave(1, 0), 0},
        {QByteArrayLiteral("RIFF\0\0\0\0AVI LIST").leftJustified(4000, 'x'), 0},
        {QByteArray(4000, 'x'), 0},
    };
    for (const auto& [content, ms] : rows) {
        QFile file(dir.path() + "/s.wav");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        EXPECT_EQ(QtSoundPlayer::waveDurationMs(file.fileName()), ms)
            << content.left(24).toHex().constData();
    }
}

} // namespace
} // namespace pelto
