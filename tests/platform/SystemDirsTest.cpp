// The data folder and the system configuration folder, and their failure text.
#include "platform/SystemDirs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelto {
namespace {

// An installed program finds the share folder beside its bin folder first; otherwise the first
// existing folder wins (files do not count), and none gives the failure text.
TEST(SystemDirsTest, FirstExistingFolderWinsAndNoneGivesTheFailureText) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("bin"));
    ASSERT_TRUE(QDir(root.path()).mkpath("share/pelto/Media"));
    EXPECT_EQ(firstExistingDir(dataDirCandidates(root.filePath("bin"))),
              QDir::cleanPath(root.filePath("share/pelto")));

    ASSERT_TRUE(QDir(root.path()).mkpath("second"));
    QFile file(root.filePath("first"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(firstExistingDir({root.filePath("missing"), root.filePath("first"), QString(),
                                root.filePath("second/")}),
              root.filePath("second"));
    EXPECT_EQ(firstExistingDir({root.filePath("gone")}), "API call failed");
    EXPECT_EQ(firstExistingDir({}), "API call failed");
}

} // namespace
} // namespace pelto
