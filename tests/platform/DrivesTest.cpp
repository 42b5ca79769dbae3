// Drives: the mounted volume holding a path, its mount point as the drive root, readiness, and
// the mount table behind them.
#include "FsTestTree.h"

#include "platform/linux/MountTable.h"

using namespace pelto;
using pelto::test::errorOf;

namespace {

using DrivesTest = pelto::test::FsTest;

TEST(MountInfoTest, ReadsMountPointsWithEscapedCharacters) {
    const QByteArray text = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                            "35 22 0:31 / /media/USB\\040Stick rw - vfat /dev/sdb1 rw\n"
                            "36 22 0:32 / /mnt/back\\134slash rw - tmpfs tmpfs rw\n";
    EXPECT_EQ(mounts::parseMountInfo(text),
              QStringList({"/", "/media/USB Stick", "/mnt/back\\slash"}));
}

// A volume mounted or unmounted is seen at once as a drive root, or no longer.
TEST_F(DrivesTest, AMountedVolumeIsItsOwnDriveUntilItGoesAway) {
    EXPECT_TRUE(fs.IsDriveRoot("/"));
    EXPECT_FALSE(fs.IsDriveRoot(tree.path("missing")));
    EXPECT_EQ(errorOf([&] { fs.GetDrive(QString()); }), err::DeviceUnavailable);
    tree.makeFolder("Stick");
    const QString point = tree.path("Stick");
    EXPECT_FALSE(mounts::mountPoints().contains(point));
    pelto::test::ScratchMount stick(point, "tmpfs", "size=1m");
    if (!stick.isMounted())
        GTEST_SKIP() << "a tmpfs could not be mounted (needs root)";
    tree.makeFolder("Stick/Photos");
    EXPECT_TRUE(mounts::mountPoints().contains(point));
    EXPECT_TRUE(mounts::isMountPoint(point));

    const Drive drive = fs.GetDrive(tree.path("stick/photos/missing.jpg"));
    EXPECT_EQ(drive.Path(), point);
    EXPECT_TRUE(drive.IsReady());
    EXPECT_TRUE(fs.IsDriveRoot(tree.path("STICK")));
    EXPECT_FALSE(fs.IsDriveRoot(tree.path("Stick/Photos")));

    stick.unmount();
    EXPECT_FALSE(mounts::mountPoints().contains(point));
    EXPECT_FALSE(drive.IsReady());
    EXPECT_FALSE(fs.IsDriveRoot(point));
}

} // namespace
