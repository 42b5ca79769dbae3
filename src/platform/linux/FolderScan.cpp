#include "platform/linux/FolderScan.h"

#include "platform/FsPath.h"
#include "platform/linux/AtomicFileCopier.h"
#include "platform/linux/LongPath.h"
#include "platform/linux/PosixError.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace pelto {

namespace {

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

// Adds one entry read from the folder open at `fd`, unless it is "." or "..", is gone or is not
// listed; a temporary file of the copier goes to the leftovers.
void addEntry(ScannedFolder& result, int fd, const dirent64& entry) {
    const char* raw = entry.d_name;
    if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
        return;
    const QString name = fspath::fromNative(raw);
    std::optional<DirEntry> listed;
    if (entry.d_type == DT_UNKNOWN) {
        struct stat st {};
        if (fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return; // gone since the folder was read
        listed = classify(name, st.st_mode);
    } else {
        listed = classify(name, entry.d_type);
    }
    if (!listed) {
        result.others.append(name);
        return;
    }
    if (listed->kind == EntryKind::File && !listed->isLink && isTemporaryName(raw))
        result.leftovers.append(QByteArray(raw));
    else
        result.entries.append(std::move(*listed));
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
    // The folder is read with getdents64 into a buffer on the stack, as readdir does it but
    // without opendir's 32 KiB allocation and second status read per folder.
    const UniqueFd dir(longpath::open(fspath::native(folderPath),
                                      O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        throw errnoError(errno, err::PathNotFound);
    const int fd = dir.get();

    ScannedFolder result;
    result.scannedAtNs = wallClockNs();
    struct stat folderStat {};
    if (fstat(fd, &folderStat) == 0)
        result.stamp = folderStampOf(folderStat);

    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t filled = getdents64(fd, buffer, sizeof buffer);
        if (filled < 0)
            throw errnoError(errno, err::PathNotFound);
        if (filled == 0)
            break;
        for (ssize_t at = 0; at < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            addEntry(result, fd, *entry);
        }
    }
    return result;
}

} // namespace pelto
