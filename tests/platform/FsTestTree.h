#pragma once
// A real folder tree in a temporary folder for file-system tests, with the POSIX operations the
// tests need to set it up and inspect it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <sys/stat.h>

namespace pelto::test {

class FsTestTree {
public:
    FsTestTree();
    // A tree below an existing folder (a mount point, say) instead of the temporary folder.
    explicit FsTestTree(const QString& base);

    bool isValid() const { return dir_.isValid(); }
    QString root() const { return dir_.path(); }
    QString path(const QString& relative) const;

    void makeFolder(const QString& relative) const;
    void write(const QString& relative, const QByteArray& content) const;
    QByteArray read(const QString& relative) const;
    void link(const QString& relative, const QString& target) const;
    void makeFifo(const QString& relative) const;
    void makeSocket(const QString& relative) const;
    void setMode(const QString& relative, mode_t mode) const;
    void setModified(const QString& relative, qint64 seconds, long nanoseconds) const;
    struct stat lstatOf(const QString& relative) const;
    bool exists(const QString& relative) const;
    // Every name in a folder of the tree, hidden ones included, sorted.
    QStringList names(const QString& relative = {}) const;

    std::optional<QByteArray> xattr(const QString& relative, const char* name) const;
    void setXattr(const QString& relative, const char* name, const QByteArray& value) const;

private:
    QTemporaryDir dir_;
};

// True when the folder's file system keeps user extended attributes.
bool userXattrsSupported(const QString& folder);

// True when the tests run with the rights to mount file systems.
bool canMount();

// A small file system mounted for the lifetime of the object (root only); unmounted on
// destruction.
class ScratchMount {
public:
    ScratchMount(const QString& mountPoint, const char* type, const QByteArray& options);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    bool isMounted() const { return mounted_; }
    // Remounts read-only; false when that failed.
    bool remountReadOnly();
    void unmount();

private:
    QByteArray point_;
    QByteArray type_;
    QByteArray options_;
    bool mounted_ = false;
};

} // namespace pelto::test
