#include "platform/linux/AtomicFileCopier.h"

#include "platform/FsPath.h"
#include "platform/linux/DosAttributes.h"
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
#include <sys/stat.h>
#include <unistd.h>

namespace pelto {

namespace {

// Removes the temporary entry unless the copy was committed.
class TemporaryGuard {
public:
    TemporaryGuard(int folder, QByteArray name) : folder_(folder), name_(std::move(name)) {}
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
    bool committed_ = false;
};

[[noreturn]] void fail(qint32 notFound) {
    throw errnoError(errno, notFound);
}

QByteArray temporaryName() {
    const quint64 token = QRandomGenerator::global()->generate64();
    return kTemporaryPrefix + QByteArray::number(token, 36).rightJustified(13, '0');
}

QString temporaryPath(const CopyTarget& target, const QByteArray& name) {
    return fspath::join(target.folderPath, QString::fromLatin1(name));
}

// Makes a new temporary file in the target's folder; returns its descriptor and name.
int createTemporary(const CopyTarget& target, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName();
        const int fd =
            openat(target.folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
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

// Gives the finished copy what travels with it: hidden and system, then the permission bits
// (after the extended attribute, which a read-only file would refuse), then the times.
void finishCopy(int in, int out, const struct stat& st) {
    if (const auto bits = dosattr::bitsToCarry(in, st))
        dosattr::writeToOpenFile(out, *bits);
    // Only the permission bits travel: the copy belongs to whoever copies, so set-id bits stay
    // behind.
    if (fchmod(out, st.st_mode & 0777) != 0)
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
        // file does, through a temporary name.
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

void copyRegularFile(const QByteArray& source, const struct stat& sourceStat, bool statMayBeOld,
                     const CopyTarget& target, const BeforeReplaceHook& beforeReplace) {
    UniqueFd in(open(source.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
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
        copyData(in.get(), out.get(), st.st_size);
        finishCopy(in.get(), out.get(), st);
        if (beforeReplace)
            beforeReplace(QString::fromLatin1(ProcPath(out.get()).text));
        linkUnnamed(out, target);
        return;
    }

    QByteArray temporary;
    out.reset(createTemporary(target, temporary));
    TemporaryGuard guard(target.folder, temporary);

    copyData(in.get(), out.get(), st.st_size);
    finishCopy(in.get(), out.get(), st);
    if (out.close() != 0)
        fail(err::PathNotFound);

    if (beforeReplace)
        beforeReplace(temporaryPath(target, temporary));
    if (renameat(target.folder, temporary.constData(), target.folder,
                 fspath::native(target.name).constData()) != 0)
        fail(err::PathNotFound);
    guard.commit();
}

QByteArray linkTarget(const QByteArray& link) {
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = readlink(link.constData(), target.data(), size_t(target.size()));
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
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (utimensat(target.folder, temporary.constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        fail(err::PathNotFound);

    if (beforeReplace)
        beforeReplace(temporaryPath(target, temporary));
    if (renameat(target.folder, temporary.constData(), target.folder,
                 fspath::native(target.name).constData()) != 0)
        fail(err::PathNotFound);
    guard.commit();
}

} // namespace

void allowDirectLinks(bool allowed) {
    directLinkAllowed.store(allowed, std::memory_order_relaxed);
}

void copyFileAtomically(const QByteArray& source, const struct stat& sourceStat, bool statMayBeOld,
                        const CopyTarget& target, const BeforeReplaceHook& beforeReplace) {
    if (S_ISLNK(sourceStat.st_mode))
        copyLink(source, sourceStat, target, beforeReplace);
    else
        copyRegularFile(source, sourceStat, statMayBeOld, target, beforeReplace);
}

} // namespace pelto
