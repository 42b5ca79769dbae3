// DeleteFile and DeleteFolder: their refusals, read-only items, links and volumes.
#include "FsTestTree.h"

#include "platform/FileSystem.h"

using namespace pelto;
using pelto::test::errorOf;

namespace {

using CreateDeleteTest = pelto::test::FsTest;

// Read-only files go only with force; a folder goes whole, but never through a link.
TEST_F(CreateDeleteTest, DeletingRemovesReadOnlyItemsOnlyWithForceAndNeverFollowsALink) {
    tree.makeFolder("Doomed/Sub/Deeper");
    tree.makeFolder("Outside/Inner");
    for (const char* file : {"locked.txt", "Doomed/a.txt", "Doomed/Sub/ro.txt",
                             "Doomed/Sub/Deeper/.hidden", "Outside/Inner/precious.txt"})
        tree.write(file, "x");
    tree.makeFifo("Doomed/pipe");
    tree.setMode("locked.txt", 0444);
    tree.setMode("Doomed/Sub/ro.txt", 0444);
    tree.setMode("Doomed/Sub/Deeper", 0555);
    tree.link("Doomed/to folder", tree.path("Outside"));
    tree.link("Doomed/to file", tree.path("Outside/Inner/precious.txt"));
    tree.link("Alias", tree.path("Outside"));
    tree.link("File link", tree.path("Outside/Inner/precious.txt"));

    EXPECT_EQ(errorOf([&] { fs.DeleteFile(tree.path("LOCKED.txt"), false); }),
              err::PermissionDenied);
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("Doomed"), false); }), err::PermissionDenied);
    EXPECT_TRUE(tree.exists("locked.txt"));
    EXPECT_TRUE(tree.exists("Doomed/Sub/ro.txt"));
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder("/"); }), err::PermissionDenied);

    fs.DeleteFile(tree.path("LOCKED.txt"), true);
    fs.DeleteFolder(tree.path("doomed"));
    fs.DeleteFolder(tree.path("alias"));
    fs.DeleteFile(tree.path("file LINK"));
    EXPECT_EQ(tree.names(), QStringList({"Outside"}));
    EXPECT_EQ(tree.read("Outside/Inner/precious.txt"), "x");
    EXPECT_EQ(errorOf([&] { fs.DeleteFile(tree.path("locked.txt")); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("doomed")); }), err::PathNotFound);
}

// A volume inside a tree is never deleted with it; a read-only one refuses every change.
TEST_F(CreateDeleteTest, VolumesInsideATreeStayAndReadOnlyOnesRefuseChanges) {
    tree.makeFolder("Tree/mnt");
    tree.write("source.txt", "s");
    pelto::test::ScratchMount volume(tree.path("Tree/mnt"), "tmpfs", "size=1m");
    if (!volume.isMounted())
        GTEST_SKIP() << "a tmpfs could not be mounted (needs root)";
    tree.makeFolder("Tree/mnt/Folder");
    tree.write("Tree/mnt/file.txt", "f");

    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("Tree")); }), err::PermissionDenied);
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(tree.path("Tree/mnt")); }), err::PermissionDenied);
    EXPECT_EQ(tree.names("Tree/mnt"), QStringList({"Folder", "file.txt"}));

    ASSERT_TRUE(volume.remountReadOnly());
    const auto inVolume = [&](const char* name) { return tree.path("Tree/mnt/" + QString(name)); };
    EXPECT_EQ(QList<qint32>({errorOf([&] { fs.CreateFolder(inVolume("new")); }),
                             errorOf([&] { fs.DeleteFile(inVolume("file.txt")); }),
                             errorOf([&] { fs.DeleteFolder(inVolume("folder")); }), errorOf([&] {
                                 fs.CopyFile(tree.path("source.txt"), inVolume("file.txt"));
                             }),
                             errorOf([&] { fs.GetFile(inVolume("file.txt")).SetAttributes(1); })}),
              QList<qint32>(5, err::PermissionDenied));
    EXPECT_EQ(tree.read("Tree/mnt/file.txt"), "f");
}

} // namespace
