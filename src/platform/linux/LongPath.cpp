#include "platform/linux/LongPath.h"

#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace pelto::longpath {

namespace {

// A path the kernel takes whole.
bool isShort(const QByteArray& path) {
    return path.size() < PATH_MAX;
}

// Parts are kept this much shorter than the limit, so that a part can still be named through
// /proc/self/fd for the calls that have no form relative to a folder.
constexpr qsizetype kPartLimit = PATH_MAX - 64;

// A long path split into the folder opened for all but its last part and that part.
class Split {
public:
    explicit Split(const QByteArray& path) {
        qsizetype from = 0;
        int base = AT_FDCWD;
        while (path.size() - from >= kPartLimit) {
            const qsizetype cut = path.lastIndexOf('/', from + kPartLimit - 1);
            if (cut <= from) {
                error_ = ENAMETOOLONG; // no folder boundary within one part
                return;
            }
            const QByteArray part = path.mid(from, cut - from);
            folder_.reset(openat(base, part.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (!folder_.valid()) {
                error_ = errno;
                return;
            }
            base = folder_.get();
            from = cut + 1;
        }
        rest_ = path.mid(from);
    }

    // False, with errno set, when a folder on the way could not be opened.
    bool reached() const {
        if (error_ != 0)
            errno = error_;
        return error_ == 0;
    }
    int folder() const { return folder_.valid() ? folder_.get() : AT_FDCWD; }
    const char* rest() const { return rest_.constData(); }
    // The whole path as a short one, through the open folder's /proc/self/fd entry.
    QByteArray viaProc() const {
        if (!folder_.valid())
            return rest_;
        return "/proc/self/fd/" + QByteArray::number(folder_.get()) + '/' + rest_;
    }

private:
    UniqueFd folder_;
    QByteArray rest_;
    int error_ = 0;
};

} // namespace

int lstat(const QByteArray& path, struct stat& st) {
    if (isShort(path))
        return ::lstat(path.constData(), &st);
    const Split at(path);
    return at.reached() ? fstatat(at.folder(), at.rest(), &st, AT_SYMLINK_NOFOLLOW) : -1;
}

int stat(const QByteArray& path, struct stat& st) {
    if (isShort(path))
        return ::stat(path.constData(), &st);
    const Split at(path);
    return at.reached() ? fstatat(at.folder(), at.rest(), &st, 0) : -1;
}

int open(const QByteArray& path, int flags, mode_t mode) {
    if (isShort(path))
        return ::open(path.constData(), flags, mode);
    const Split at(path);
    return at.reached() ? openat(at.folder(), at.rest(), flags, mode) : -1;
}

int mkdir(const QByteArray& path, mode_t mode) {
    if (isShort(path))
        return ::mkdir(path.constData(), mode);
    const Split at(path);
    return at.reached() ? mkdirat(at.folder(), at.rest(), mode) : -1;
}

int unlink(const QByteArray& path) {
    if (isShort(path))
        return ::unlink(path.constData());
    const Split at(path);
    return at.reached() ? unlinkat(at.folder(), at.rest(), 0) : -1;
}

int chmod(const QByteArray& path, mode_t mode) {
    if (isShort(path))
        return ::chmod(path.constData(), mode);
    const Split at(path);
    return at.reached() ? fchmodat(at.folder(), at.rest(), mode, 0) : -1;
}

ssize_t readlink(const QByteArray& path, char* buffer, size_t size) {
    if (isShort(path))
        return ::readlink(path.constData(), buffer, size);
    const Split at(path);
    return at.reached() ? readlinkat(at.folder(), at.rest(), buffer, size) : -1;
}

ssize_t lgetxattr(const QByteArray& path, const char* name, void* value, size_t size) {
    if (isShort(path))
        return ::lgetxattr(path.constData(), name, value, size);
    const Split at(path);
    return at.reached() ? ::lgetxattr(at.viaProc().constData(), name, value, size) : -1;
}

int lsetxattr(const QByteArray& path, const char* name, const void* value, size_t size, int flags) {
    if (isShort(path))
        return ::lsetxattr(path.constData(), name, value, size, flags);
    const Split at(path);
    return at.reached() ? ::lsetxattr(at.viaProc().constData(), name, value, size, flags) : -1;
}

int lremovexattr(const QByteArray& path, const char* name) {
    if (isShort(path))
        return ::lremovexattr(path.constData(), name);
    const Split at(path);
    return at.reached() ? ::lremovexattr(at.viaProc().constData(), name) : -1;
}

} // namespace pelto::longpath
