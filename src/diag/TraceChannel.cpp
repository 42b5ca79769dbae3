#include "diag/TraceChannel.h"

#include "platform/UserPrivacy.h"

#include <QDir>
#include <QtEndian>

namespace pelto::diag {
namespace {

// A trace line is short; anything this long is not our protocol.
constexpr quint32 kMaxLineBytes = 16 * 1024 * 1024;

QString socketPath(const QString& name) {
    return traceSocketFolder() + QLatin1Char('/') + name;
}

} // namespace

bool isTraceViewName(const QString& name) {
    return name == QLatin1String(kTraceViewName) ||
           name.startsWith(QLatin1String(kTraceViewPrefix));
}

QString traceSocketFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateUserFolder(runtime))
        return QDir::cleanPath(runtime);
    return QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/pelto-trace-") + currentUserId();
}

bool TraceSender::connectToReceiver(int waitMs) {
    disconnect();
    // Trace lines name the user's files: a socket in a folder others may reach could be anyone's.
    const QString folderPath = traceSocketFolder();
    if (!isPrivateUserFolder(folderPath))
        return false;
    QDir folder(folderPath);
    const QStringList names =
        folder.entryList(QDir::System | QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        if (!isTraceViewName(name))
            continue;
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(folder.filePath(name));
        if (!socket->waitForConnected(waitMs))
            continue;
        // Other users cannot place a socket here, but one who may enter any folder could.
        if (!peerIsCurrentUser(socket->socketDescriptor())) {
            socket->abort();
            return false;
        }
        socket_ = std::move(socket);
        return true;
    }
    return false;
}

bool TraceSender::send(const QString& line, int waitMs) {
    if (!connected())
        return false;
    const QByteArray payload = line.toUtf8();
    char header[4];
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), header);
    bool ok = socket_->write(header, sizeof header) == sizeof header &&
              socket_->write(payload) == payload.size();
    while (ok && socket_->bytesToWrite() > 0)
        ok = socket_->waitForBytesWritten(waitMs);
    while (ok && socket_->bytesAvailable() < 1)
        ok = socket_->waitForReadyRead(waitMs);
    char ack = 0;
    if (ok)
        ok = socket_->getChar(&ack) && ack == kTraceAck;
    if (!ok)
        disconnect();
    return ok;
}

bool TraceSender::connected() const {
    return socket_ && socket_->state() == QLocalSocket::ConnectedState;
}

void TraceSender::disconnect() {
    if (socket_)
        socket_->abort();
    socket_.reset();
}

TraceListener::TraceListener(QObject* parent) : QObject(parent) {
    connect(&server_, &QLocalServer::newConnection, this, &TraceListener::acceptConnections);
}

TraceListener::~TraceListener() {
    close();
}

bool TraceListener::listen(const QString& base) {
    if (listenExactly(base))
        return true;
    for (int n = 2; n < 100; ++n) {
        if (listenExactly(QStringLiteral("%1 - %2").arg(base).arg(n)))
            return true;
    }
    return false;
}

bool TraceListener::listenExactly(const QString& name) {
    close();
    // The sender looks only in a folder that is the user's alone; one made here is made so.
    if (!makePrivateUserFolder(traceSocketFolder()))
        return false;
    const QString path = socketPath(name);
    if (!server_.listen(path)) {
        if (server_.serverError() != QAbstractSocket::AddressInUseError)
            return false;
        // The name is taken: by a live viewer, or by a socket a dead one left behind.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(1000)) {
            probe.abort();
            return false;
        }
        QLocalServer::removeServer(path);
        if (!server_.listen(path))
            return false;
    }
    name_ = name;
    return true;
}

QString TraceListener::name() const {
    return name_;
}

void TraceListener::close() {
    if (server_.isListening())
        server_.close();
    name_.clear();
}

void TraceListener::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readFrom(socket);
    }
}

void TraceListener::readFrom(QLocalSocket* socket) {
    while (socket->bytesAvailable() >= 4) {
        char header[4];
        if (socket->peek(header, sizeof header) != sizeof header)
            return;
        const quint32 length = qFromBigEndian<quint32>(header);
        if (length > kMaxLineBytes) {
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < static_cast<qint64>(sizeof header + length))
            return;
        socket->skip(sizeof header);
        QString line = QString::fromUtf8(socket->read(length));
        if (line.endsWith(QLatin1String("\r\n")))
            line.chop(2);
        Q_EMIT lineReceived(line);
        socket->putChar(kTraceAck);
        socket->flush();
    }
}

} // namespace pelto::diag
