#pragma once
// A real folder tree in a temporary folder for file-system tests, the POSIX operations that set
// it up and inspect it, and the error number an action raised through the service.

#include "platform/RuntimeError.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace pelto::test {

class FsTestTree {
public:
    // A path in the system's bytes, taken by the POSIX calls as it is.
    struct Native : QByteArray {
        operator const char*() const { return constData(); }
    };

    QString root() const { return dir_.path(); }
    QString path(const QString& rel) const {
        return rel.isEmpty() ? root() : root() + QLatin1Char('/') + rel;
    }
    Native native(const QString& rel) const { return {QFile::encodeName(path(rel))}; }

    void makeFolder(const QString& rel) const { ASSERT_TRUE(QDir().mkpath(path(rel))); }
    void write(const QString& rel, const QByteArray& content) const {
        QFile file(path(rel));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << native(rel);
        ASSERT_EQ(file.write(content), content.size());
    }
    QByteArray read(const QString& rel) const {
        QFile file(path(rel));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void link(const QString& rel, const QString& target) const {
        ASSERT_EQ(symlink(QFile::encodeName(target).constData(), native(rel)), 0);
    }
    void remove(const QString& rel) const { ASSERT_EQ(unlink(native(rel)), 0); }
    void makeFifo(const QString& rel) const { ASSERT_EQ(mkfifo(native(rel), 0644), 0); }
    void setMode(const QString& rel, mode_t mode) const { ASSERT_EQ(chmod(native(rel), mode), 0); }
    void setModified(const QString& rel, qint64 seconds, long nanoseconds) const {
        const timespec times[2] = {{time_t(seconds), nanoseconds}, {time_t(seconds), nanoseconds}};
        ASSERT_EQ(utimensat(AT_FDCWD, native(rel), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    struct stat lstatOf(const QString& rel) const {
        struct stat st {};
        EXPECT_EQ(lstat(native(rel), &st), 0) << native(rel);
        return st;
    }
    bool exists(const QString& rel) const {
        return faccessat(AT_FDCWD, native(rel), F_OK, AT_SYMLINK_NOFOLLOW) == 0;
    }
    // Hidden ones included, sorted.
    QStringList names(const QString& rel = {}) const {
        return QDir(path(rel)).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    std::optional<QByteArray> xattr(const QString& rel, const char* name) const {
        QByteArray buffer(4096, Qt::Uninitialized);
        const ssize_t n = lgetxattr(native(rel), name, buffer.data(), buffer.size());
        return n < 0 ? std::nullopt : std::optional<QByteArray>(buffer.left(n));
    }
    void setXattr(const QString& rel, const char* name, const QByteArray& value) const {
        ASSERT_EQ(lsetxattr(native(rel), name, value.data(), value.size(), 0), 0);
    }
    // Whether the tree's file system keeps user extended attributes.
    bool keepsXattrs() const {
        QFile probe(path(".xattr-probe"));
        const bool ok = probe.open(QIODevice::WriteOnly) &&
                        fsetxattr(probe.handle(), "user.probe", "1", 1, 0) == 0;
        probe.remove();
        return ok;
    }

private:
    QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/pelto-fs-XXXXXX")};
};

// A test with a fresh tree and the real file-system service.
class FsTest : public ::testing::Test {
protected:
    FsTestTree tree;
    LinuxFileSystem fs;
};

// A small file system mounted for the lifetime of the object; mounting needs root.
class ScratchMount {
public:
    ScratchMount(const QString& mountPoint, const char* type, const char* options)
        : point_(QFile::encodeName(mountPoint)), type_(type), options_(options) {
        mounted_ = mount(type, point_.constData(), type, 0, options) == 0;
    }
    ~ScratchMount() { unmount(); }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    bool isMounted() const { return mounted_; }
    bool remountReadOnly() {
        return mount(type_, point_.constData(), type_, MS_REMOUNT | MS_RDONLY, options_) == 0;
    }
    void unmount() {
        if (std::exchange(mounted_, false))
            umount2(point_.constData(), MNT_DETACH);
    }

private:
    QByteArray point_;
    const char* type_;
    const char* options_;
    bool mounted_ = false;
};

// The error number `action` raised, 0 when it raised none.
inline qint32 errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace pelto::test
