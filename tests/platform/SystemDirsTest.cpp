// The data folder and the system configuration folder, and their failure text.

#include "platform/SystemDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelto {
namespace {

TEST(SystemDirsTest, InstalledProgramFindsShareFolderBesideItsBinFolder) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/pelto/Media")));
    const QString found =
        firstExistingDir(dataDirCandidates(prefix.filePath(QStringLiteral("bin"))));
    EXPECT_EQ(found, QDir::cleanPath(prefix.filePath(QStringLiteral("share/pelto"))));
    EXPECT_FALSE(found.endsWith(QLatin1Char('/')));
}

TEST(SystemDirsTest, FirstExistingFolderWinsAndFilesDoNotCount) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("second")));
    QFile file(root.filePath(QStringLiteral("first")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(firstExistingDir({root.filePath(QStringLiteral("missing")),
                                root.filePath(QStringLiteral("first")), QString(),
                                root.filePath(QStringLiteral("second/"))}),
              root.filePath(QStringLiteral("second")));
}

TEST(SystemDirsTest, NoFolderGivesTheFailureText) {
    QTemporaryDir root;
    EXPECT_EQ(firstExistingDir({root.filePath(QStringLiteral("gone"))}),
              QStringLiteral("API call failed"));
    EXPECT_EQ(firstExistingDir({}), QStringLiteral("API call failed"));
}

TEST(SystemDirsTest, InstalledFolderComesBeforeTheBuildTreeFolder) {
    const QStringList candidates = dataDirCandidates(QStringLiteral("/opt/pelto/bin"));
    ASSERT_FALSE(candidates.isEmpty());
    EXPECT_EQ(QDir::cleanPath(candidates.first()), QStringLiteral("/opt/pelto/share/pelto"));
    for (const QString& later : candidates.mid(1))
        EXPECT_TRUE(QDir::isAbsolutePath(later)) << later.toStdString();
}

TEST(SystemDirsTest, RunningProgramAnswersAFolderOrTheFailureText) {
    const QString dir = GetWindowsDir();
    if (dir != QLatin1String(kApiCallFailed)) {
        EXPECT_TRUE(QFileInfo(dir).isDir()) << dir.toStdString();
        EXPECT_TRUE(QDir::isAbsolutePath(dir)) << dir.toStdString();
        EXPECT_FALSE(dir.endsWith(QLatin1Char('/'))) << dir.toStdString();
    }
    EXPECT_EQ(GetSystemDir(), QStringLiteral("/etc"));
}

} // namespace
} // namespace pelto
