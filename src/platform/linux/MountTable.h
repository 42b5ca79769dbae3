#pragma once
// The mounted volumes: what the program calls drives. A drive is the volume holding a path, its
// root the volume's mount point.

#include <QString>
#include <QStringList>

namespace pelto::mounts {

// Mount points of the running system, from /proc/self/mountinfo (empty when unreadable).
QStringList mountPoints();

// Decodes the octal escapes mountinfo uses for blanks and backslashes ("\040" -> " ").
QString unescape(const QByteArray& field);
// The mount points listed in mountinfo text.
QStringList parseMountInfo(const QByteArray& text);

// The mount point of the volume holding `path` (normalized); for a path that does not exist,
// the volume of its nearest existing folder.
QString mountPointOf(const QString& path);

// True when `path` (normalized, existing) is the mount point of a volume.
bool isMountPoint(const QString& path);

} // namespace pelto::mounts
