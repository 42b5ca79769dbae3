#include "platform/linux/AtomicFileCopier.h"

#include "platform/FsPath.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/ItemMetadata.h"
#include "platform/linux/LongPath.h"
#include "platform/linux/PosixError.h"
#include "platform/linux/UniqueFd.h"

#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelto {

namespace {

// Removes the temporary entry unless the copy was committed. `lock`, a descriptor that holds the
// temporary's lock, is closed only after that: a cleaner never takes a temporary in use.
class TemporaryGuard {
public:
    TemporaryGuard(int folder, QByteArray name, UniqueFd lock = {})
        : folder_(folder), name_(std::move(name)), lock_(std::move(lock)) {}
    TemporaryGuard(const TemporaryGuard&) = delete;
    TemporaryGuard& operator=(const TemporaryGuard&) = delete;
    ~TemporaryGuard() {
        if (!committed_)
            unlinkat(folder_, name_.constData(), 0);
    }
    void commit() { committed_ = true; }

private:
    int folder_;
    QByteArray name_;
    UniqueFd lock_;
    bool committed_ = false;
};

[[noreturn]] void fail(qint32 notFound) {
    throw errnoError(errno, notFound);
}

QByteArray temporaryName() {
    const quint64 token = QRandomGenerator::global()->generate64();
    return kTemporaryPrefix +
           QByteArray::number(token, 36).rightJustified(kTemporaryTokenLength, '0');
}

// Marks the open temporary file `fd` as in use (see removeLeftoverTemporaries); `hold` gets a
// second descriptor that keeps the lock when `fd` is closed before the rename. False when a
// cleaner holds the lock: it is removing that name. A file system without locks goes unlocked.
bool lockTemporary(int fd, UniqueFd& hold) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return false;
    hold.reset(fcntl(fd, F_DUPFD_CLOEXEC, 0));
    return true;
}

QString temporaryPath(const CopyTarget& target, const QByteArray& name) {
    return fspath::join(target.folderPath, QString::fromLatin1(name));
}

// Makes a new temporary file in the target's folder, locked; returns its descriptor and name,
// and in `lock` a descriptor that holds the lock.
int createTemporary(const CopyTarget& target, QByteArray& name, UniqueFd& lock) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName();
        const int fd =
            openat(target.folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            if (lockTemporary(fd, lock))
                return fd;
            close(fd); // a cleaner took it the moment it was made, and removes it
            continue;
        }
        if (errno != EEXIST)
            fail(err::PathNotFound);
    }
    errno = EEXIST;
    fail(err::PathNotFound);
}

void writeAll(int out, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t n = write(out, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(err::PathNotFound);
        }
        data += n;
        size -= n;
    }
}

void copyByReadWrite(int in, int out) {
    constexpr std::size_t kBufferSize = 1 << 20;
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    for (;;) {
        const ssize_t n = read(in, buffer.get(), kBufferSize);
        if (n == 0)
            return;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(err::FileNotFound);
        }
        writeAll(out, buffer.get(), n);
    }
}

bool kernelCopyUnavailable(int e) {
    return e == EXDEV || e == ENOSYS || e == EOPNOTSUPP || e == ENOTSUP || e == EINVAL ||
           e == EBADF || e == ETXTBSY;
}

// Copies the content, `size` bytes as the source's status gave it. The copy ends at that size:
// it then matches the modification time that status gave, which the copy is stamped with; a
// source still growing has a later time and is copied again next time.
void copyData(int in, int out, qint64 size) {
    // Some file systems report a size of nothing for files that do have content.
    if (size <= 0) {
        copyByReadWrite(in, out);
        return;
    }
    qint64 total = 0;
    for (;;) {
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n > 0) {
            total += n;
            if (total >= size)
                return;
            continue;
        }
        if (n == 0) {
            if (total == 0)
                copyByReadWrite(in, out);
            return;
        }
        if (errno == EINTR)
            continue;
        if (total == 0 && kernelCopyUnavailable(errno)) {
            copyByReadWrite(in, out);
            return;
        }
        fail(err::PathNotFound);
    }
}

// Copies `length` bytes at `offset` of `in` to the same offset of `out`; stops early when the
// source ends sooner (it shrank since its size was read).
void copyRange(int in, int out, off_t offset, off_t length) {
    off_t from = offset;
    off_t to = offset;
    const off_t end = offset + length;
    bool kernelCopy = true;
    constexpr std::size_t kBufferSize = 1 << 20;
    std::unique_ptr<char[]> buffer;
    while (from < end) {
        const std::size_t chunk = std::size_t(std::min<off_t>(end - from, off_t(1) << 30));
        if (kernelCopy) {
            const ssize_t n = copy_file_range(in, &from, out, &to, chunk, 0);
            if (n > 0)
                continue;
            if (n == 0)
                return;
            if (errno == EINTR)
                continue;
            if (!kernelCopyUnavailable(errno))
                fail(err::PathNotFound);
            kernelCopy = false;
            buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
        }
        const ssize_t n = pread(in, buffer.get(), std::min(chunk, kBufferSize), from);
        if (n == 0)
            return;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(err::FileNotFound);
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = pwrite(out, buffer.get() + done, size_t(n - done), to + done);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                fail(err::PathNotFound);
            }
            done += w;
        }
        from += n;
        to += n;
    }
}

// Copies only the data of a file with holes, `size` bytes long: each stretch of data is copied
// to the same place and the holes between them stay holes, so a copy needs no more space than
// the source. False, before anything is written, where the file system cannot tell data from
// holes.
bool copyDataExtents(int in, int out, off_t size) {
    off_t data = lseek(in, 0, SEEK_DATA);
    if (data < 0 && errno != ENXIO) // ENXIO: no data at all, only a hole
        return false;
    while (data >= 0 && data < size) {
        off_t hole = lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            fail(err::FileNotFound);
        hole = std::min(hole, size);
        copyRange(in, out, data, hole - data);
        if (hole >= size)
            break;
        data = lseek(in, hole, SEEK_DATA);
        if (data < 0 && errno != ENXIO)
            fail(err::FileNotFound);
    }
    // The copy ends exactly where the source does, a hole at its end included.
    if (ftruncate(out, size) != 0)
        fail(err::PathNotFound);
    return true;
}

// The content: a file that takes fewer blocks than its size needs may have holes and is copied
// stretch by stretch; any other as a whole.
void copyContent(int in, int out, const struct stat& st) {
    if (st.st_size > 0 && qint64(st.st_blocks) * 512 < qint64(st.st_size) &&
        copyDataExtents(in, out, st.st_size))
        return;
    copyData(in, out, st.st_size);
}

// Gives the finished copy what travels with it: the owner (as root), then the extended
// attributes and ACLs (a change of owner would drop file capabilities among them), hidden and
// system by the attribute rule, then the mode (after the extended attributes, which a read-only
// file would refuse), then the times.
void finishCopy(int in, int out, const struct stat& st) {
    metadata::copyOwner(out, st);
    // Hidden and system are read only from a source that lists the attribute holding them.
    if (metadata::copyExtendedAttributes(in, out))
        if (const auto bits = dosattr::bitsToCarry(in, st))
            dosattr::writeToOpenFile(out, *bits);
    if (fchmod(out, metadata::carriedMode(st, out)) != 0)
        fail(err::PathNotFound);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out, times) != 0)
        fail(err::PathNotFound);
}

// True when an open file can be given a name through /proc/self/fd (probed once).
bool procFdAvailable() {
    static const bool available = access("/proc/self/fd", X_OK) == 0;
    return available;
}

// File systems and kernels without unnamed files answer these.
bool unnamedUnsupported(int e) {
    return e == EOPNOTSUPP || e == ENOTSUP || e == EISDIR || e == EINVAL || e == ENOSYS;
}

// A new unnamed file in the target's folder (O_TMPFILE), or -1 where there are none.
int createUnnamed(const CopyTarget& target) {
    if (!procFdAvailable())
        return -1;
    const int fd = openat(target.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && !unnamedUnsupported(errno))
        fail(err::PathNotFound);
    return fd;
}

// The /proc/self/fd entry of a descriptor, written into a buffer on the stack.
struct ProcPath {
    explicit ProcPath(int fd) {
        constexpr std::string_view prefix = "/proc/self/fd/";
        char* end = std::copy(prefix.begin(), prefix.end(), text);
        *std::to_chars(end, text + sizeof text - 1, fd).ptr = '\0';
    }
    char text[32];
};

// False once linking a descriptor directly (AT_EMPTY_PATH, which needs CAP_DAC_READ_SEARCH)
// was refused: from then on the link goes through /proc/self/fd.
std::atomic<bool> directLinkAllowed{true};

// Links the open file `fd` as `name` in the target's folder; false with errno when that fails.
bool linkOpenFile(int fd, const CopyTarget& target, const char* name) {
    if (directLinkAllowed.load(std::memory_order_relaxed)) {
        if (linkat(fd, "", target.folder, name, AT_EMPTY_PATH) == 0)
            return true;
        if (errno != ENOENT)
            return false;
        // Refused for want of the capability (or the folder is gone, which the next try tells).
        directLinkAllowed.store(false, std::memory_order_relaxed);
    }
    return linkat(AT_FDCWD, ProcPath(fd).text, target.folder, name, AT_SYMLINK_FOLLOW) == 0;
}

// Gives the finished unnamed file `out` the target's name. The file appears complete under its
// name in one step; a failure before leaves nothing behind.
void linkUnnamed(UniqueFd& out, const CopyTarget& target) {
    const QByteArray name = fspath::native(target.name);
    if (!linkOpenFile(out.get(), target, name.constData())) {
        if (errno != EEXIST)
            fail(err::PathNotFound);
        // Something took the name since it was looked up: replace it as a copy over an existing
        // file does, through a temporary name. The unnamed file is nobody else's: its lock is
        // free, and `out` holds it until the rename is done.
        flock(out.get(), LOCK_EX | LOCK_NB);
        QByteArray temporary;
        for (int attempt = 0;; ++attempt) {
            temporary = temporaryName();
            if (linkOpenFile(out.get(), target, temporary.constData()))
                break;
            if (errno != EEXIST || attempt == 100)
                fail(err::PathNotFound);
        }
        TemporaryGuard guard(target.folder, temporary);
        if (renameat(target.folder, temporary.constData(), target.folder, name.constData()) != 0)
            fail(err::PathNotFound);
        guard.commit();
    }
    if (out.close() != 0) {
        const int e = errno;
        unlinkat(target.folder, name.constData(), 0);
        errno = e;
        fail(err::PathNotFound);
    }
}

// Puts the finished temporary in the target's place, after the test hook, and keeps it.
void replaceWithTemporary(const CopyTarget& target, const QByteArray& temporary,
                          TemporaryGuard& guard, const BeforeReplaceHook& beforeReplace) {
    if (beforeReplace)
        beforeReplace(temporaryPath(target, temporary));
    if (renameat(target.folder, temporary.constData(), target.folder,
                 fspath::native(target.name).constData()) != 0)
        fail(err::PathNotFound);
    guard.commit();
}

void copyRegularFile(const QByteArray& source, const struct stat& sourceStat, bool statMayBeOld,
                     const CopyTarget& target, const BeforeReplaceHook& beforeReplace) {
    UniqueFd in(longpath::open(source, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!in.valid()) {
        if (statMayBeOld && (errno == ENOENT || errno == ENOTDIR || errno == ELOOP))
            throw SourceNotAsDescribed{};
        fail(err::FileNotFound);
    }
    struct stat st {};
    if (fstat(in.get(), &st) != 0)
        fail(err::FileNotFound);
    if (statMayBeOld &&
        (st.st_dev != sourceStat.st_dev || st.st_ino != sourceStat.st_ino || !S_ISREG(st.st_mode)))
        throw SourceNotAsDescribed{};
    if (!S_ISREG(st.st_mode)) {
        errno = ENOENT; // fifos, sockets and devices are not files
        fail(err::FileNotFound);
    }
    // Reading blocks again from here on; O_NONBLOCK only kept a fifo from hanging the open. It is
    // the only status flag the open set, so clearing all of them clears just it.
    fcntl(in.get(), F_SETFL, 0);

    // A new file is written unnamed and linked under its name when complete: no temporary name
    // is ever seen, and nothing is left behind by a failure or a crash. A file that replaces
    // another is written under a temporary name and renamed over it.
    UniqueFd out(target.replaces || !target.mayBeUnnamed ? -1 : createUnnamed(target));
    if (out.valid()) {
        copyContent(in.get(), out.get(), st);
        finishCopy(in.get(), out.get(), st);
        if (beforeReplace)
            beforeReplace(QString::fromLatin1(ProcPath(out.get()).text));
        linkUnnamed(out, target);
        return;
    }

    QByteArray temporary;
    UniqueFd lock;
    out.reset(createTemporary(target, temporary, lock));
    TemporaryGuard guard(target.folder, temporary, std::move(lock));

    copyContent(in.get(), out.get(), st);
    finishCopy(in.get(), out.get(), st);
    if (out.close() != 0)
        fail(err::PathNotFound);

    replaceWithTemporary(target, temporary, guard, beforeReplace);
}

QByteArray linkTarget(const QByteArray& link) {
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = longpath::readlink(link, target.data(), size_t(target.size()));
        if (n < 0)
            fail(err::FileNotFound);
        if (n < target.size()) {
            target.resize(n);
            return target;
        }
        target.resize(target.size() * 2);
    }
}

void copyLink(const QByteArray& source, const struct stat& st, const CopyTarget& target,
              const BeforeReplaceHook& beforeReplace) {
    const QByteArray linkText = linkTarget(source);

    QByteArray temporary;
    for (int attempt = 0;; ++attempt) {
        temporary = temporaryName();
        if (symlinkat(linkText.constData(), target.folder, temporary.constData()) == 0)
            break;
        if (errno != EEXIST || attempt == 100)
            fail(err::PathNotFound);
    }
    TemporaryGuard guard(target.folder, temporary);
    // The link's own owner, as root (a file system that keeps none refuses, and it stays ours).
    if (metadata::mayChangeOwner())
        fchownat(target.folder, temporary.constData(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (utimensat(target.folder, temporary.constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        fail(err::PathNotFound);

    replaceWithTemporary(target, temporary, guard, beforeReplace);
}

} // namespace

bool isTemporaryName(const char* name) {
    constexpr std::size_t prefixLength = sizeof kTemporaryPrefix - 1;
    const std::string_view text(name);
    return text.size() == prefixLength + kTemporaryTokenLength &&
           text.starts_with(kTemporaryPrefix) &&
           std::all_of(text.begin() + prefixLength, text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

void removeLeftoverTemporaries(int folder, const QList<QByteArray>& names) {
    for (const QByteArray& name : names) {
        if (!isTemporaryName(name.constData()))
            continue;
        struct stat st {};
        if (fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        // A copy in progress holds the lock on its temporary. A file this process may not open
        // for reading has lost the 0600 it is written with: its copy was past its last step.
        const UniqueFd file(
            openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (file.valid()) {
            struct stat opened {};
            if (fstat(file.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
                opened.st_ino != st.st_ino)
                continue;
            if (flock(file.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
                continue;
        } else if (errno != EACCES) {
            continue;
        }
        unlinkat(folder, name.constData(), 0);
    }
}

void allowDirectLinks(bool allowed) {
    directLinkAllowed.store(allowed, std::memory_order_relaxed);
}

bool linkAtomically(const QByteArray& existing, dev_t device, ino_t inode,
                    const CopyTarget& target) {
    const QByteArray name = fspath::native(target.name);
    struct stat st {};
    // Already linked (a rename of a name onto another name of the same file does nothing).
    if (target.replaces &&
        fstatat(target.folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        st.st_dev == device && st.st_ino == inode)
        return true;
    QByteArray temporary;
    for (int attempt = 0;; ++attempt) {
        temporary = temporaryName();
        if (linkat(AT_FDCWD, existing.constData(), target.folder, temporary.constData(), 0) == 0)
            break;
        if (errno != EEXIST || attempt == 100)
            return false;
    }
    TemporaryGuard guard(target.folder, temporary);
    // The path may have come to name another file since: only the one remembered is linked.
    if (fstatat(target.folder, temporary.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || st.st_dev != device || st.st_ino != inode)
        return false;
    if (renameat(target.folder, temporary.constData(), target.folder, name.constData()) != 0)
        fail(err::PathNotFound);
    guard.commit();
    return true;
}

void copyFileAtomically(const QByteArray& source, const struct stat& sourceStat, bool statMayBeOld,
                        const CopyTarget& target, const BeforeReplaceHook& beforeReplace) {
    if (S_ISLNK(sourceStat.st_mode))
        copyLink(source, sourceStat, target, beforeReplace);
    else
        copyRegularFile(source, sourceStat, statMayBeOld, target, beforeReplace);
}

} // namespace pelto
