#pragma once
// Which folder a path names, as the system tells folders apart: two paths name the same folder
// when their identities are equal, whatever links or mounts of one tree in two places lie on the
// way.

#include <QString>
#include <QtGlobal>
#include <optional>

namespace pelto {

struct FolderIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// The identity of the folder at `path` (symbolic links followed); nullopt when the path names
// no folder or cannot be read.
std::optional<FolderIdentity> folderIdentity(const QString& path);

} // namespace pelto
