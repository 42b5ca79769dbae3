#pragma once
// A real folder tree in a temporary folder for file-system tests, the POSIX operations that set
// it up and inspect it, and the error number an action raised through the service.

#include "platform/RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace pelto::test {

class FsTestTree {
public:
    FsTestTree();
    explicit FsTestTree(const QString& base); // below an existing folder, a mount point say

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
    QStringList names(const QString& relative = {}) const; // hidden ones included, sorted
    std::optional<QByteArray> xattr(const QString& relative, const char* name) const;
    void setXattr(const QString& relative, const char* name, const QByteArray& value) const;

private:
    QTemporaryDir dir_;
};

bool userXattrsSupported(const QString& folder);
bool canMount();

// A small file system mounted for the lifetime of the object (root only).
class ScratchMount {
public:
    ScratchMount(const QString& mountPoint, const char* type, const QByteArray& options);
    ~ScratchMount() { unmount(); }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    bool isMounted() const { return mounted_; }
    bool remountReadOnly();
    void unmount();

private:
    QByteArray point_;
    QByteArray type_;
    QByteArray options_;
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
