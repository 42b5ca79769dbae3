#include "platform/FolderScan.h"

#include "platform/FsPath.h"
#include "platform/PosixError.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace pelto {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

// The listed kind of an entry, or nothing for items that are not listed.
std::optional<DirEntry> classify(const QString& name, mode_t mode) {
    if (S_ISREG(mode))
        return DirEntry{name, EntryKind::File, false};
    if (S_ISDIR(mode))
        return DirEntry{name, EntryKind::Folder, false};
    if (S_ISLNK(mode))
        return DirEntry{name, EntryKind::File, true};
    return std::nullopt;
}

std::optional<DirEntry> classify(const QString& name, unsigned char type) {
    switch (type) {
    case DT_REG:
        return classify(name, mode_t(S_IFREG));
    case DT_DIR:
        return classify(name, mode_t(S_IFDIR));
    case DT_LNK:
        return classify(name, mode_t(S_IFLNK));
    default:
        return std::nullopt;
    }
}

qint64 wallClockNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

FolderStamp folderStampOf(const struct stat& st) {
    return FolderStamp{quint64(st.st_dev), quint64(st.st_ino),
                       qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

ScannedFolder scanFolder(const QString& folderPath) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(fspath::native(folderPath).constData()));
    if (!dir)
        throw errnoError(errno, err::PathNotFound);
    const int fd = dirfd(dir.get());

    ScannedFolder result;
    result.scannedAtNs = wallClockNs();
    struct stat folderStat {};
    if (fstat(fd, &folderStat) == 0)
        result.stamp = folderStampOf(folderStat);

    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                throw errnoError(errno, err::PathNotFound);
            break;
        }
        const char* raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        const QString name = fspath::fromNative(raw);
        std::optional<DirEntry> listed;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone since the folder was read
            listed = classify(name, st.st_mode);
        } else {
            listed = classify(name, entry->d_type);
        }
        if (listed)
            result.entries.append(std::move(*listed));
    }
    return result;
}

} // namespace pelto
