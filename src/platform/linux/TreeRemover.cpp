#include "platform/linux/TreeRemover.h"

#include "platform/FsPath.h"
#include "platform/linux/LongPath.h"
#include "platform/linux/PosixError.h"

#include <QByteArrayList>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelto {

namespace {

[[noreturn]] void fail(int e = errno) {
    throw errnoError(e, err::PathNotFound);
}

class FolderRemover {
public:
    FolderRemover(dev_t device, bool force) : device_(device), force_(force) {}

    // Removes entry `name` of the open folder `parentFd`, which lstat says is a folder.
    void removeFolder(int parentFd, const QByteArray& name) {
        const int fd =
            openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT)
                return;
            fail();
        }
        DIR* dir = fdopendir(fd);
        if (!dir) {
            const int e = errno;
            close(fd);
            fail(e);
        }
        try {
            emptyFolder(dir, fd);
        } catch (...) {
            closedir(dir);
            throw;
        }
        closedir(dir);
        if (unlinkat(parentFd, name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT)
            fail();
    }

private:
    void emptyFolder(DIR* dir, int fd) {
        struct stat st {};
        if (fstat(fd, &st) != 0)
            fail();
        if (st.st_dev != device_) {
            fail(EPERM); // another volume is mounted here: leave it alone
        }
        if (force_ && (st.st_mode & (S_IWUSR | S_IXUSR)) != (S_IWUSR | S_IXUSR))
            fchmod(fd, st.st_mode | S_IWUSR | S_IXUSR);

        // Read the names first: removing entries while reading may skip some.
        QByteArrayList files;
        QByteArrayList folders;
        for (;;) {
            errno = 0;
            const dirent* entry = readdir(dir);
            if (!entry) {
                if (errno != 0)
                    fail();
                break;
            }
            const char* raw = entry->d_name;
            if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
                continue;
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                struct stat entryStat {};
                if (fstatat(fd, raw, &entryStat, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                type = S_ISDIR(entryStat.st_mode) ? DT_DIR : DT_REG;
            }
            (type == DT_DIR ? folders : files).append(QByteArray(raw));
        }
        for (const QByteArray& name : files)
            removeFile(fd, name);
        for (const QByteArray& name : folders)
            removeFolder(fd, name);
    }

    void removeFile(int folderFd, const QByteArray& name) {
        if (!force_) {
            struct stat st {};
            if (fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
                fail(EACCES);
        }
        if (unlinkat(folderFd, name.constData(), 0) != 0 && errno != ENOENT)
            fail();
    }

    dev_t device_;
    bool force_;
};

} // namespace

void removeTree(const QString& folderPath, bool force) {
    const QString parent = fspath::parentOf(folderPath);
    if (parent.isEmpty())
        fail(EPERM); // the root folder
    const int parentFd = longpath::open(fspath::native(parent), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        fail();
    struct stat st {};
    const QByteArray name = fspath::native(fspath::nameOf(folderPath));
    if (fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        const int e = errno;
        close(parentFd);
        fail(e);
    }
    struct stat parentStat {};
    if (fstat(parentFd, &parentStat) != 0 || parentStat.st_dev != st.st_dev) {
        close(parentFd);
        fail(EPERM); // the root of a volume is not deleted
    }
    try {
        FolderRemover(st.st_dev, force).removeFolder(parentFd, name);
    } catch (...) {
        close(parentFd);
        throw;
    }
    close(parentFd);
}

} // namespace pelto
