#pragma once
// The pieces behind mountedVolumes() and systemName(): the mount table's entries, which of them
// hold real files, the labels the system keeps for block devices, and the os-release file.

#include "platform/Volumes.h"

#include <QByteArray>
#include <QHash>

namespace pelto::volumes {

struct MountEntry {
    QString mountPoint;
    QString type;   // file-system type ("ext4", "fuse.sshfs")
    QString source; // the device or share mounted ("/dev/sda1", "server:/export")
};

// The entries of /proc/self/mountinfo text, in table order.
QList<MountEntry> parseMountInfo(const QByteArray& text);

// False for pseudo and system file systems (proc, sysfs, cgroups, the system's own run-time
// folders, read-only package images) that hold no files a user backs up.
bool holdsRealFiles(const MountEntry& entry);

// Label by device path (links resolved) from a folder of label links like /dev/disk/by-label,
// whose names escape characters as \xHH.
QHash<QString, QString> labelsByDevice(const QString& labelFolder);

// The volumes of a mount table: real ones only, a mount point mounted over keeps the last entry,
// sorted by mount point. A device without a label shows a network share's source as its label.
QList<Volume> volumesOf(const QList<MountEntry>& entries, const QHash<QString, QString>& labels);

// The PRETTY_NAME of os-release text (NAME when it has none; "" when neither is there), with
// the file's shell quoting undone.
QString prettyName(const QByteArray& osRelease);

} // namespace pelto::volumes
