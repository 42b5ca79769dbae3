#pragma once
// Reads one folder's entries from the folder itself: names and types come from readdir's d_type,
// with an lstat only where the file system does not report the type.

#include "platform/FileSystem.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

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
    // The names of the copier's temporary files found (regular files named exactly as it names
    // them), which are not among the entries.
    QList<QByteArray> leftovers;
    // The names of the entries that are neither files nor folders (fifos, sockets, devices).
    QStringList others;
    FolderStamp stamp;
    qint64 scannedAtNs = 0; // wall-clock time of the scan
};

// Lists a folder: links are files, fifos, sockets and devices are left out, and so are the
// temporary files an interrupted copy left behind (they are the program's own, never the user's:
// a check does not report them, and a sync never copies or deletes them). A missing folder
// throws err::PathNotFound, an unreadable one err::PermissionDenied.
ScannedFolder scanFolder(const QString& folderPath);

} // namespace pelto
