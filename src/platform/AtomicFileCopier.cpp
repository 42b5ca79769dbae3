#include "platform/AtomicFileCopier.h"

#include "platform/DosAttributes.h"
#include "platform/FsPath.h"
#include "platform/PosixError.h"

#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pelto {

namespace {

// Closes a descriptor once.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the close's own failure (delayed write errors surface here).
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

// Removes the temporary file unless the copy was committed.
class TemporaryGuard {
public:
    explicit TemporaryGuard(QByteArray path) : path_(std::move(path)) {}
    TemporaryGuard(const TemporaryGuard&) = delete;
    TemporaryGuard& operator=(const TemporaryGuard&) = delete;
    ~TemporaryGuard() {
        if (!committed_)
            unlink(path_.constData());
    }
    void commit() { committed_ = true; }

private:
    QByteArray path_;
    bool committed_ = false;
};

[[noreturn]] void fail(qint32 notFound) {
    throw errnoError(errno, notFound);
}

QString temporaryPathIn(const QString& folder) {
    const quint64 token = QRandomGenerator::global()->generate64();
    return fspath::join(folder,
                        QLatin1String(kTemporaryPrefix) +
                            QString::number(token, 36).rightJustified(13, QLatin1Char('0')));
}

// Makes a new temporary file in `folder`; returns its descriptor and path.
int createTemporary(const QString& folder, QString& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = temporaryPathIn(folder);
        const int fd =
            open(fspath::native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
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
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n == 0)
            return;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(err::FileNotFound);
        }
        writeAll(out, buffer.data(), n);
    }
}

bool kernelCopyUnavailable(int e) {
    return e == EXDEV || e == ENOSYS || e == EOPNOTSUPP || e == ENOTSUP || e == EINVAL ||
           e == EBADF || e == ETXTBSY;
}

void copyData(int in, int out) {
    qint64 total = 0;
    for (;;) {
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n > 0) {
            total += n;
            continue;
        }
        if (n == 0) {
            // Some file systems report nothing to copy for files that do have content.
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

void copyRegularFile(const QString& source, const QString& destination,
                     const BeforeReplaceHook& beforeReplace) {
    Fd in(open(fspath::native(source).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (in.get() < 0)
        fail(err::FileNotFound);
    struct stat st {};
    if (fstat(in.get(), &st) != 0)
        fail(err::FileNotFound);
    if (!S_ISREG(st.st_mode)) {
        errno = ENOENT; // fifos, sockets and devices are not files
        fail(err::FileNotFound);
    }
    // Reading blocks again from here on; O_NONBLOCK only kept a fifo from hanging the open.
    fcntl(in.get(), F_SETFL, fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

    QString temporary;
    Fd out(createTemporary(fspath::parentOf(destination), temporary));
    TemporaryGuard guard(fspath::native(temporary));

    copyData(in.get(), out.get());
    // Only the permission bits travel: the copy belongs to whoever copies, so set-id bits stay
    // behind.
    if (fchmod(out.get(), st.st_mode & 0777) != 0)
        fail(err::PathNotFound);
    if (const auto bits = dosattr::bitsToCarry(source, st))
        dosattr::writeToOpenFile(out.get(), *bits);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out.get(), times) != 0)
        fail(err::PathNotFound);
    if (out.close() != 0)
        fail(err::PathNotFound);

    if (beforeReplace)
        beforeReplace(temporary);
    if (rename(fspath::native(temporary).constData(), fspath::native(destination).constData()) != 0)
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

void copyLink(const QString& source, const QString& destination,
              const BeforeReplaceHook& beforeReplace) {
    const QByteArray nativeSource = fspath::native(source);
    struct stat st {};
    if (lstat(nativeSource.constData(), &st) != 0)
        fail(err::FileNotFound);
    const QByteArray target = linkTarget(nativeSource);

    QString temporary;
    for (int attempt = 0;; ++attempt) {
        temporary = temporaryPathIn(fspath::parentOf(destination));
        if (symlink(target.constData(), fspath::native(temporary).constData()) == 0)
            break;
        if (errno != EEXIST || attempt == 100)
            fail(err::PathNotFound);
    }
    TemporaryGuard guard(fspath::native(temporary));
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (utimensat(AT_FDCWD, fspath::native(temporary).constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        fail(err::PathNotFound);

    if (beforeReplace)
        beforeReplace(temporary);
    if (rename(fspath::native(temporary).constData(), fspath::native(destination).constData()) != 0)
        fail(err::PathNotFound);
    guard.commit();
}

} // namespace

void copyFileAtomically(const QString& source, const QString& destination,
                        const BeforeReplaceHook& beforeReplace) {
    struct stat st {};
    if (lstat(fspath::native(source).constData(), &st) != 0)
        fail(err::FileNotFound);
    if (S_ISLNK(st.st_mode))
        copyLink(source, destination, beforeReplace);
    else
        copyRegularFile(source, destination, beforeReplace);
}

} // namespace pelto
