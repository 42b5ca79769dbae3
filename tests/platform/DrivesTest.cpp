// Drives: the mounted volume holding a path, its mount point as the drive root, readiness.
#include "FsTestTree.h"

#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/MountTable.h"

#include <gtest/gtest.h>

using namespace pelto;
using pelto::test::errorOf;

namespace {

class DrivesTest : public ::testing::Test {
protected:
    pelto::test::FsTestTree tree;
    LinuxFileSystem fs;
};

TEST(MountInfoTest, ReadsMountPointsWithEscapedCharacters) {
    const QByteArray text = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                            "35 22 0:31 / /media/USB\\040Stick rw - vfat /dev/sdb1 rw\n"
                            "36 22 0:32 / /mnt/back\\134slash rw - tmpfs tmpfs rw\n";
    EXPECT_EQ(mounts::parseMountInfo(text),
              QStringList({"/", "/media/USB Stick", "/mnt/back\\slash"}));
}

TEST_F(DrivesTest, TheRootIsADriveRootAndOrdinaryFoldersAreNot) {
    tree.makeFolder("Sub");
    EXPECT_TRUE(fs.IsDriveRoot("/"));
    EXPECT_FALSE(fs.IsDriveRoot(tree.path("Sub")));
    EXPECT_FALSE(fs.IsDriveRoot(tree.path("missing")));
}

TEST_F(DrivesTest, TheDriveOfAPathIsReadyAndHoldsIt) {
    tree.makeFolder("Sub");
    const Drive drive = fs.GetDrive(tree.path("sub/not yet there"));
    EXPECT_TRUE(drive.IsReady());
    EXPECT_TRUE(fs.IsDriveRoot(drive.Path()));
    EXPECT_TRUE(tree.path("Sub").startsWith(drive.Path()));
    EXPECT_EQ(errorOf([&] { fs.GetDrive(QString()); }), err::DeviceUnavailable);
}

TEST_F(DrivesTest, AMountedVolumeIsItsOwnDriveUntilItGoesAway) {
    if (!pelto::test::canMount())
        GTEST_SKIP() << "mounting needs root";
    tree.makeFolder("Stick");
    pelto::test::ScratchMount stick(tree.path("Stick"), "tmpfs", "size=1m");
    if (!stick.isMounted())
        GTEST_SKIP() << "tmpfs could not be mounted";
    tree.makeFolder("Stick/Photos");

    const Drive drive = fs.GetDrive(tree.path("stick/photos/missing.jpg"));
    EXPECT_EQ(drive.Path(), tree.path("Stick"));
    EXPECT_TRUE(drive.IsReady());
    EXPECT_TRUE(fs.IsDriveRoot(tree.path("STICK")));
    EXPECT_FALSE(fs.IsDriveRoot(tree.path("Stick/Photos")));

    stick.unmount();
    EXPECT_FALSE(drive.IsReady());
    EXPECT_FALSE(fs.IsDriveRoot(tree.path("Stick")));
}

// A real full disk: a 1 MiB tmpfs.
TEST_F(DrivesTest, AFullDiskRaisesDiskFullLeavingNoTemporaryAndTheOldCopy) {
    if (!pelto::test::canMount())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    tree.makeFolder("small");
    pelto::test::ScratchMount disk(tree.path("small"), "tmpfs", "size=1m");
    if (!disk.isMounted())
        GTEST_SKIP() << "tmpfs could not be mounted";
    tree.write("big.bin", QByteArray(2 * 1024 * 1024, 'x'));

    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("big.bin"), tree.path("small/new.bin")); }),
              err::DiskFull);
    EXPECT_TRUE(tree.names("small").isEmpty());

    tree.write("small/big.bin", "old copy");
    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("big.bin"), tree.path("small/BIG.bin")); }),
              err::DiskFull);
    EXPECT_EQ(tree.names("small"), QStringList({"big.bin"}));
    EXPECT_EQ(tree.read("small/big.bin"), "old copy");

    // Space freed, the same copy goes through.
    tree.write("fits.bin", QByteArray(512 * 1024, 'y'));
    fs.CopyFile(tree.path("fits.bin"), tree.path("small/big.bin"));
    EXPECT_EQ(tree.read("small/big.bin").size(), 512 * 1024);
}

} // namespace
