#pragma once
// Reads one folder's entries from the folder itself: names and types come from readdir's d_type,
// with an lstat only where the file system does not report the type.

#include "platform/FileSystem.h"

#include <QList>
#include <QString>

struct stat;

namespace pelto {

// What identifies one state of a folder: a change of its entries moves its modification time.
struct FolderStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 modifiedNs = 0;
    friend bool operator==(const FolderStamp&, const FolderStamp&) = default;
};

FolderStamp folderStampOf(const struct stat& st);

struct ScannedFolder {
    QList<DirEntry> entries; // in the order the file system gives them
    FolderStamp stamp;
    qint64 scannedAtNs = 0; // wall-clock time of the scan
};

// Lists a folder: links are files, fifos, sockets and devices are left out. A missing folder
// throws err::PathNotFound, an unreadable one err::PermissionDenied.
ScannedFolder scanFolder(const QString& folderPath);

} // namespace pelto
