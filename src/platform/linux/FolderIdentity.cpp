#include "platform/FolderIdentity.h"

#include "platform/FsPath.h"
#include "platform/linux/LongPath.h"

#include <sys/stat.h>

namespace pelto {

std::optional<FolderIdentity> folderIdentity(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || longpath::stat(fspath::native(path), st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return FolderIdentity{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

} // namespace pelto
