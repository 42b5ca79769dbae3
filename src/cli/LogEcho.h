#pragma once
// Echoes the error log to standard error as it is written: every message that reaches the
// message-log text (what the window's message-log window shows) is passed on, one call per
// message, saying whether it is a notice rather than a problem: the run header (start time and
// version) and the notes of what a profile's exclusions leave alone. A quiet run prints only
// problems. The log file itself is written exactly as without the echo.

#include <QString>
#include <QStringList>
#include <functional>

namespace pelto::diag {
class MessageLog;
}

namespace pelto::cli {

class LogEcho {
public:
    using Sink = std::function<void(const QString& message, bool notice)>;

    // Watches `log` until destroyed; `sink` receives each new message.
    LogEcho(diag::MessageLog& log, Sink sink);
    LogEcho(const LogEcho&) = delete;
    LogEcho& operator=(const LogEcho&) = delete;
    ~LogEcho();

    // Every message echoed so far, in order.
    const QStringList& messages() const { return messages_; }
    // The most recent message, "" before the first.
    QString last() const { return messages_.isEmpty() ? QString() : messages_.last(); }

private:
    void changed();

    diag::MessageLog& log_;
    Sink sink_;
    std::function<void()> previous_;
    // Whether the log had written its run header when the echo last looked.
    bool logStarted_;
    qsizetype seen_ = 0;
    QStringList messages_;
};

} // namespace pelto::cli
