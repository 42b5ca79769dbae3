// The real player with files it cannot play: nothing is played or shown, and the finished
// notification still comes, from the event loop. No test reaches the audio system.
#include "platform/qt/QtSoundPlayer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
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

} // namespace
} // namespace pelto
