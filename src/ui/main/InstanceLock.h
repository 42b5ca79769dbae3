#pragma once
// Tells whether another instance of the program runs for this user: each instance that finds
// none listens on a local socket in the user's private runtime folder, and a later instance
// finds it by connecting.

#include <QLocalServer>
#include <QString>

namespace pelto::ui {

class InstanceLock {
public:
    // The socket "pelto-instance" in $XDG_RUNTIME_DIR, else "pelto-instance-<uid>" in the
    // temporary folder.
    static QString defaultName();

    explicit InstanceLock(const QString& name = defaultName());
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool anotherRunning() const { return anotherRunning_; }

private:
    QLocalServer server_;
    bool anotherRunning_ = false;
};

} // namespace pelto::ui
