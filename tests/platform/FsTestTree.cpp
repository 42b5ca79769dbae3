#include "FsTestTree.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace pelto::test {

namespace {
QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}
} // namespace

FsTestTree::FsTestTree() : dir_(QDir::tempPath() + QStringLiteral("/pelto-fs-XXXXXX")) {}

FsTestTree::FsTestTree(const QString& base) : dir_(base + QStringLiteral("/tree-XXXXXX")) {}

QString FsTestTree::path(const QString& relative) const {
    return relative.isEmpty() ? root() : root() + QLatin1Char('/') + relative;
}

void FsTestTree::makeFolder(const QString& relative) const {
    ASSERT_TRUE(QDir().mkpath(path(relative))) << relative.toStdString();
}

void FsTestTree::write(const QString& relative, const QByteArray& content) const {
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << relative.toStdString();
    ASSERT_EQ(file.write(content), content.size());
}

QByteArray FsTestTree::read(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FsTestTree::link(const QString& relative, const QString& target) const {
    ASSERT_EQ(symlink(native(target).constData(), native(path(relative)).constData()), 0);
}

void FsTestTree::makeFifo(const QString& relative) const {
    ASSERT_EQ(mkfifo(native(path(relative)).constData(), 0644), 0);
}

void FsTestTree::makeSocket(const QString& relative) const {
    const QByteArray where = native(path(relative));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(where.size()), sizeof(address.sun_path));
    memcpy(address.sun_path, where.constData(), size_t(where.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const int rc = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    close(fd);
    ASSERT_EQ(rc, 0);
}

void FsTestTree::setMode(const QString& relative, mode_t mode) const {
    ASSERT_EQ(chmod(native(path(relative)).constData(), mode), 0);
}

void FsTestTree::setModified(const QString& relative, qint64 seconds, long nanoseconds) const {
    const timespec times[2] = {{time_t(seconds), nanoseconds}, {time_t(seconds), nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, native(path(relative)).constData(), times, AT_SYMLINK_NOFOLLOW),
              0);
}

struct stat FsTestTree::lstatOf(const QString& relative) const {
    struct stat st {};
    EXPECT_EQ(lstat(native(path(relative)).constData(), &st), 0) << relative.toStdString();
    return st;
}

bool FsTestTree::exists(const QString& relative) const {
    struct stat st {};
    return lstat(native(path(relative)).constData(), &st) == 0;
}

QStringList FsTestTree::names(const QString& relative) const {
    QStringList list =
        QDir(path(relative))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    list.sort();
    return list;
}

std::optional<QByteArray> FsTestTree::xattr(const QString& relative, const char* name) const {
    QByteArray buffer(4096, Qt::Uninitialized);
    const ssize_t n =
        lgetxattr(native(path(relative)).constData(), name, buffer.data(), size_t(buffer.size()));
    return n < 0 ? std::nullopt : std::optional<QByteArray>(buffer.left(n));
}

void FsTestTree::setXattr(const QString& relative, const char* name,
                          const QByteArray& value) const {
    ASSERT_EQ(lsetxattr(native(path(relative)).constData(), name, value.constData(),
                        size_t(value.size()), 0),
              0);
}

bool userXattrsSupported(const QString& folder) {
    const QByteArray probe = native(folder + QStringLiteral("/.xattr-probe"));
    const int fd = open(probe.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool ok = fd >= 0 && fsetxattr(fd, "user.probe", "1", 1, 0) == 0;
    if (fd >= 0)
        close(fd);
    unlink(probe.constData());
    return ok;
}

bool canMount() {
    return geteuid() == 0;
}

ScratchMount::ScratchMount(const QString& mountPoint, const char* type, const QByteArray& options)
    : point_(native(mountPoint)), type_(type), options_(options) {
    mounted_ = mount(type, point_.constData(), type, 0,
                     options_.isEmpty() ? nullptr : options_.constData()) == 0;
}

bool ScratchMount::remountReadOnly() {
    return mount(type_.constData(), point_.constData(), type_.constData(), MS_REMOUNT | MS_RDONLY,
                 options_.isEmpty() ? nullptr : options_.constData()) == 0;
}

void ScratchMount::unmount() {
    if (mounted_)
        umount2(point_.constData(), MNT_DETACH);
    mounted_ = false;
}

} // namespace pelto::test
