#pragma once
// The channel that carries trace lines to a viewer: a local socket in the user's runtime folder
// named "Pelto TraceView", or any name beginning "Pelto TraceView -".
//
// Protocol, one message per trace line: the sender writes a 4-byte big-endian length and then
// the line in UTF-8 (CR LF included); the receiver answers each line with one byte (ACK, 0x06)
// once it has taken it. The sender waits for that byte, so a traced program runs in step with
// its viewer; a viewer that does not answer within the wait limit is dropped.

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <memory>

namespace pelto::diag {

inline constexpr char kTraceViewName[] = "Pelto TraceView";
inline constexpr char kTraceViewPrefix[] = "Pelto TraceView -";
inline constexpr char kTraceAck = 0x06;

// True for "Pelto TraceView" and names beginning "Pelto TraceView -".
bool isTraceViewName(const QString& name);

// The folder holding the receivers' sockets: $XDG_RUNTIME_DIR when it is private to the user,
// else the user's own folder "pelto-trace-<user number>" in the temporary folder, which the
// viewer makes. A sender uses it only while it is private to the user.
QString traceSocketFolder();

// The sending end, used by the traced program.
class TraceSender {
public:
    // Connects to the first receiver in the socket folder that accepts (names in sorted order, so
    // "Pelto TraceView" comes before "Pelto TraceView - 2"). Returns false when none does, when the
    // folder is not private to the user, or when the receiver runs as another user.
    bool connectToReceiver(int waitMs);
    // Sends one line and waits for its acknowledgement. On failure the receiver is dropped and
    // false returned.
    bool send(const QString& line, int waitMs);
    bool connected() const;
    void disconnect();

private:
    std::unique_ptr<QLocalSocket> socket_;
};

// The receiving end, used by the viewer: listens under "Pelto TraceView", or under
// "Pelto TraceView - 2", "- 3", ... when that name is taken by a live viewer.
class TraceListener : public QObject {
    Q_OBJECT
public:
    explicit TraceListener(QObject* parent = nullptr);
    ~TraceListener() override;

    // Listens under the first free name; `base` lets tests use a name of their own.
    bool listen(const QString& base = QString::fromLatin1(kTraceViewName));
    // Listens under exactly this socket name (removing a stale socket left by a dead viewer),
    // first making the socket folder when it is missing; fails when it is not private to the user.
    bool listenExactly(const QString& name);
    // The socket name listened under, e.g. "Pelto TraceView - 2".
    QString name() const;
    void close();

Q_SIGNALS:
    // Emitted for each line as it arrives (without its CR LF); the sender is released right after.
    void lineReceived(const QString& line);

private:
    void acceptConnections();
    void readFrom(QLocalSocket* socket);

    QLocalServer server_;
    QString name_;
};

} // namespace pelto::diag
