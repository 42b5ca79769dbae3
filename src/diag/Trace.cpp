#include "diag/Trace.h"

#include "diag/ErrorLog.h"
#include "diag/LogFileWriter.h"
#include "diag/TraceChannel.h"
#include "diag/TraceText.h"
#include "diag/WallClock.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/ProgramState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pelto::diag {

namespace detail {
bool gTraceStarted = false;
bool gTraceOn = false;
} // namespace detail

namespace {

struct TraceState {
    qint32 lines = 0;
    qint32 depth = 0;
    qint64 startMs = 0;
    QString programName;
    int waitMs = kDefaultTraceWaitMs;
    TraceSender sender;
};

TraceState& state() {
    static TraceState s;
    return s;
}

// Drops the receiver before the application object goes, while its sockets can still close.
void dropReceiverAtExit() {
    state().sender.disconnect();
    detail::gTraceOn = false;
}

// Sends a line; a receiver that has gone or stopped answering turns tracing off for the run.
void sendLine(const QString& line) {
    TraceState& s = state();
    if (!s.sender.send(line, s.waitMs)) {
        detail::gTraceOn = false;
        s.sender.disconnect();
    }
}

void traceCall(const QString& module, const QString& procedure, const QString& params,
               QLatin1String arrow) {
    TraceState& s = state();
    sendLine(traceCallLine(s.programName, s.lines, clock().nowMs() - s.startMs, arrow, s.depth,
                           module, procedure, params));
}

} // namespace

QString ProgramPath() {
    if (!QCoreApplication::instance())
        return {};
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

QString ProgramName() {
    return QFileInfo(ProgramPath()).completeBaseName();
}

void TraceStart() {
    // Marked first, so that nothing called from here can start the trace a second time.
    detail::gTraceStarted = true;
    detail::gTraceOn = false;
    try {
        TraceState& s = state();
        if (!s.sender.connectToReceiver(s.waitMs))
            return;
        if (QCoreApplication::instance())
            qAddPostRoutine(dropReceiverAtExit);
        s.programName = ProgramName();
        s.startMs = clock().nowMs();
        detail::gTraceOn = true;
        sendLine(traceBannerLine(s.programName, wallClockNow()));
    } catch (...) {
        dropReceiverAtExit();
    }
}

void TraceEnter(const QString& module, const QString& procedure, const QString& params) {
    if (!TraceActive())
        return;
    try {
        TraceState& s = state();
        ++s.lines;
        ++s.depth;
        traceCall(module, procedure, params, QLatin1String("->"));
    } catch (...) {
        // The trace never disturbs the traced procedure.
    }
}

void TraceExit(const QString& module, const QString& procedure, const QString& params) {
    if (!TraceActive())
        return;
    TraceState& s = state();
    try {
        ++s.lines;
        traceCall(module, procedure, params, QLatin1String("<-"));
    } catch (...) {
        // The trace never disturbs the traced procedure.
    }
    if (--s.depth < 0)
        s.depth = 0;
}

Answer TrapError(const QString& module, const QString& procedure, const RuntimeError& error,
                 int line) {
    if (!detail::gTraceStarted)
        TraceStart();
    const QString path = ProgramPath();

    // Each step that fails is skipped: the user is asked in any case.
    if (detail::gTraceOn) {
        try {
            sendLine(traceErrorLine(state().programName, error, module, procedure, line));
        } catch (...) {
        }
    }
    QString report;
    try {
        report = failureReportText(path, error, module, procedure, line);
    } catch (...) {
    }
    if (LogEnabled()) {
        try {
            if (LogFile().isEmpty())
                SetLogFile(QStringLiteral("error.log"));
            if (!LogStarted())
                LogStart();
        } catch (...) {
        }
        try {
            appendLogText(LogFile(), report);
        } catch (...) {
        }
    }

    Answer answer = Answer::Abort;
    try {
        answer = askAbortRetryIgnore(report);
    } catch (...) {
    }
    return answer;
}

void SetTraceWaitMs(int ms) {
    state().waitMs = ms;
}

void ResetTrace() {
    TraceState& s = state();
    s.sender.disconnect();
    s.lines = 0;
    s.depth = 0;
    s.startMs = 0;
    s.programName.clear();
    s.waitMs = kDefaultTraceWaitMs;
    detail::gTraceStarted = false;
    detail::gTraceOn = false;
}

namespace {
const StateReset kResetTrace{&ResetTrace};
} // namespace

} // namespace pelto::diag
