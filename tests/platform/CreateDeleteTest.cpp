// CreateFolder, DeleteFile and DeleteFolder: their refusals, read-only items and links.
#include "FsTestTree.h"

#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/PosixError.h"

#include <gtest/gtest.h>

using namespace pelto;
using pelto::test::errorOf;

namespace {

class CreateDeleteTest : public ::testing::Test {
protected:
    pelto::test::FsTestTree tree;
    LinuxFileSystem fs;
};

TEST_F(CreateDeleteTest, CreateFolderMakesOneFolderUnderAnExistingParent) {
    tree.makeFolder("Parent");
    fs.CreateFolder(tree.path("parent/Child"));
    EXPECT_EQ(tree.names("Parent"), QStringList({"Child"}));

    EXPECT_EQ(errorOf([&] { fs.CreateFolder(tree.path("missing/child")); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.CreateFolder(tree.path("Parent/CHILD")); }), err::FileAlreadyExists);
    tree.write("Parent/file", "x");
    EXPECT_EQ(errorOf([&] { fs.CreateFolder(tree.path("Parent/File")); }), err::FileAlreadyExists);
    EXPECT_EQ(errorOf([&] { fs.CreateFolder(tree.path("Parent/file/inner")); }), err::PathNotFound);
}

TEST_F(CreateDeleteTest, DeleteFileRemovesReadOnlyFilesOnlyWithForce) {
    tree.write("locked.txt", "x");
    tree.setMode("locked.txt", 0444);
    EXPECT_EQ(errorOf([&] { fs.DeleteFile(tree.path("LOCKED.txt"), false); }),
              err::PermissionDenied);
    EXPECT_TRUE(tree.exists("locked.txt"));
    fs.DeleteFile(tree.path("LOCKED.txt"), true);
    EXPECT_FALSE(tree.exists("locked.txt"));
    EXPECT_EQ(errorOf([&] { fs.DeleteFile(tree.path("locked.txt")); }), err::FileNotFound);
}

TEST_F(CreateDeleteTest, DeleteFolderRemovesEverythingReadOnlyItemsIncluded) {
    tree.makeFolder("Doomed/Sub/Deeper");
    tree.write("Doomed/a.txt", "a");
    tree.write("Doomed/Sub/ro.txt", "r");
    tree.setMode("Doomed/Sub/ro.txt", 0444);
    tree.write("Doomed/Sub/Deeper/.hidden", "h");
    tree.makeFifo("Doomed/pipe");
    tree.setMode("Doomed/Sub/Deeper", 0555);

    fs.DeleteFolder(tree.path("doomed"));
    EXPECT_FALSE(tree.exists("Doomed"));
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("doomed")); }), err::PathNotFound);
}

TEST_F(CreateDeleteTest, DeleteFolderWithoutForceStopsAtAReadOnlyFileAndTheRootIsNeverDeleted) {
    tree.makeFolder("Kept");
    tree.write("Kept/ro.txt", "r");
    tree.setMode("Kept/ro.txt", 0444);
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("Kept"), false); }), err::PermissionDenied);
    EXPECT_TRUE(tree.exists("Kept/ro.txt"));
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder("/"); }), err::PermissionDenied);
}

TEST_F(CreateDeleteTest, DeletingNeverFollowsALink) {
    tree.makeFolder("Outside/Inner");
    tree.write("Outside/Inner/precious.txt", "p");
    tree.write("outside.txt", "o");
    tree.makeFolder("Tree/Sub");
    tree.link("Tree/to folder", tree.path("Outside"));
    tree.link("Tree/Sub/to inner", tree.path("Outside/Inner"));
    tree.link("Tree/to file", tree.path("outside.txt"));
    tree.link("Alias", tree.path("Outside"));
    tree.link("File link", tree.path("outside.txt"));

    fs.DeleteFolder(tree.path("Tree"));
    fs.DeleteFolder(tree.path("alias"));
    fs.DeleteFile(tree.path("file LINK"));
    EXPECT_FALSE(tree.exists("Tree"));
    EXPECT_FALSE(tree.exists("Alias"));
    EXPECT_FALSE(tree.exists("File link"));
    EXPECT_EQ(tree.read("Outside/Inner/precious.txt"), "p");
    EXPECT_EQ(tree.read("outside.txt"), "o");
}

TEST_F(CreateDeleteTest, AReadOnlyVolumeRefusesChangesWithPermissionDenied) {
    if (!pelto::test::canMount())
        GTEST_SKIP() << "mounting needs root";
    tree.makeFolder("vol");
    tree.write("source.txt", "s");
    pelto::test::ScratchMount volume(tree.path("vol"), "tmpfs", "size=1m");
    if (!volume.isMounted())
        GTEST_SKIP() << "tmpfs could not be mounted";
    tree.makeFolder("vol/Folder");
    tree.write("vol/file.txt", "f");
    ASSERT_TRUE(volume.remountReadOnly());

    EXPECT_EQ(errorOf([&] { fs.CreateFolder(tree.path("vol/new")); }), err::PermissionDenied);
    EXPECT_EQ(errorOf([&] { fs.DeleteFile(tree.path("vol/file.txt")); }), err::PermissionDenied);
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("vol/folder")); }), err::PermissionDenied);
    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("source.txt"), tree.path("vol/file.txt")); }),
              err::PermissionDenied);
    EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path("vol/file.txt")).SetAttributes(1); }),
              err::PermissionDenied);
    EXPECT_EQ(tree.read("vol/file.txt"), "f");
}

TEST_F(CreateDeleteTest, DeleteFolderLeavesAVolumeMountedInsideTheTree) {
    if (!pelto::test::canMount())
        GTEST_SKIP() << "mounting needs root";
    tree.makeFolder("Tree/mnt");
    pelto::test::ScratchMount volume(tree.path("Tree/mnt"), "tmpfs", "size=1m");
    if (!volume.isMounted())
        GTEST_SKIP() << "tmpfs could not be mounted";
    tree.write("Tree/mnt/other volume.txt", "v");

    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("Tree")); }), err::PermissionDenied);
    EXPECT_EQ(tree.read("Tree/mnt/other volume.txt"), "v");
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("Tree/mnt")); }), err::PermissionDenied);
    EXPECT_EQ(tree.read("Tree/mnt/other volume.txt"), "v");
}

} // namespace
