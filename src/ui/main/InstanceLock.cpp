#include "ui/main/InstanceLock.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

namespace pelto::ui {

QString InstanceLock::defaultName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/pelto-instance");
    return QDir::tempPath() + QStringLiteral("/pelto-instance-") + QString::number(::getuid());
}

InstanceLock::InstanceLock(const QString& name) {
    QLocalSocket probe;
    probe.connectToServer(name);
    // A local connection is made or refused at once; the wait only collects the answer.
    anotherRunning_ = probe.waitForConnected(1000);
    if (anotherRunning_)
        return;
    // Nobody answers: a socket file left behind by an instance that crashed can go.
    QLocalServer::removeServer(name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(name);
}

} // namespace pelto::ui
