// The volumes a drive list offers: real file systems from the mount table, with their labels.
#include "FsTestTree.h"

#include "platform/linux/VolumeTable.h"

namespace pelto::test {
namespace {

using volumes::MountEntry;

QStringList textsOf(const QList<Volume>& list) {
    QStringList texts;
    for (const Volume& volume : list)
        texts << volumeText(volume);
    return texts;
}

// Pseudo and system file systems are left out; labels come from label links or a share's source.
TEST(VolumesTest, OnlyVolumesHoldingRealFilesAreOfferedWithTheirLabels) {
    FsTestTree devices;
    devices.write("sdb1", {});
    devices.write("sdc1", {});
    devices.makeFolder("by-label");
    devices.link("by-label/BACKUP\\x20DISK", "../sdb1");
    devices.link("by-label/gone", "../sdz9");
    const QHash<QString, QString> labels = volumes::labelsByDevice(devices.path("by-label"));
    ASSERT_EQ(labels.value(devices.path("sdb1")), "BACKUP DISK");
    ASSERT_EQ(labels.size(), 1) << "a link to no device gives no label";

    const QByteArray table =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "23 22 0:5 / /proc rw,nosuid - proc proc rw\n"
        "24 22 0:6 / /sys rw shared:7 - sysfs sysfs rw\n"
        "25 22 0:7 / /dev/shm rw - tmpfs tmpfs rw\n"
        "26 22 0:8 / /run rw - tmpfs tmpfs rw\n"
        "27 22 0:9 / /run/user/1000 rw - tmpfs tmpfs rw\n"
        "28 22 8:17 / /run/media/ann/BACKUP\\040DISK rw shared:9 master:3 - vfat " +
        devices.native("sdb1") +
        " rw\n"
        "29 22 0:10 / /tmp rw - tmpfs tmpfs rw\n"
        "30 22 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
        "31 22 0:11 / /mnt/share rw - nfs4 server:/export rw\n"
        "32 22 0:12 / /home/ann/remote rw - fuse.sshfs ann@host:/srv rw\n"
        "33 22 8:33 / /data rw - ext4 " +
        devices.native("sdc1") +
        " rw\n"
        "34 33 0:13 / /data rw - autofs systemd-1 rw\n"
        "35 22 8:34 / /srv rw - xfs /dev/sdd1 rw\n"
        "36 22 8:34 / /srv rw - ext4 /dev/sdd2 rw\n"
        "a line that is no mount entry\n"
        "37 22 0:14 / /mnt/odd rw\n";
    EXPECT_EQ(textsOf(volumes::volumesOf(volumes::parseMountInfo(table), labels)),
              QStringList({"/", "/home/ann/remote  [ann@host:/srv]", "/mnt/share  [server:/export]",
                           "/run/media/ann/BACKUP DISK  [BACKUP DISK]", "/srv", "/tmp"}));
}

} // namespace
} // namespace pelto::test
