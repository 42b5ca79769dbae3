// The data folder and the system configuration folder, and their failure text.
#include "FsTestTree.h"

#include "platform/SystemDirs.h"

namespace pelto::test {
namespace {

// An installed program finds the share folder beside its bin folder first; otherwise the first
// existing folder wins (files do not count), and none gives the failure text.
TEST(SystemDirsTest, FirstExistingFolderWinsAndNoneGivesTheFailureText) {
    FsTestTree root;
    for (const char* folder : {"bin", "share/pelto/Media", "second"})
        root.makeFolder(folder);
    root.write("first", {});
    EXPECT_EQ(firstExistingDir(dataDirCandidates(root.path("bin"))), root.path("share/pelto"));
    EXPECT_EQ(
        firstExistingDir({root.path("missing"), root.path("first"), {}, root.path("second/")}),
        root.path("second"));
    EXPECT_EQ(firstExistingDir({root.path("gone")}), "API call failed");
    EXPECT_EQ(firstExistingDir({}), "API call failed");
}

} // namespace
} // namespace pelto::test
