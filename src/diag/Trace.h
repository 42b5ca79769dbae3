#pragma once
// The procedure trace and the general failure report.
//
// Trace lines go to a receiver: a local socket named "Pelto TraceView" or beginning
// "Pelto TraceView -". Whether one is there is decided once per run, at the first traced call;
// without a receiver tracing is off for the run and each call costs one flag test.

#include "diag/Answer.h"
#include "platform/RuntimeError.h"

#include <QString>

namespace pelto::diag {

namespace detail {
extern bool gTraceStarted; // TraceStart has run in this run
extern bool gTraceOn;      // a receiver takes the trace lines
} // namespace detail

void TraceStart();
// True when a receiver takes trace lines in this run; the first call starts the trace. With
// tracing off this is one flag test.
inline bool TraceActive() {
    if (!detail::gTraceStarted) [[unlikely]]
        TraceStart();
    return detail::gTraceOn;
}
void TraceEnter(const QString& module, const QString& procedure, const QString& params);
void TraceExit(const QString& module, const QString& procedure, const QString& params);

// Reports an error the procedure did not expect: traces it, appends the failure report to the
// error-log file and asks Abort / Retry / Ignore. `line` identifies the failing statement.
// Returns Answer::Retry, Answer::Ignore or Answer::Abort.
Answer TrapError(const QString& module, const QString& procedure, const RuntimeError& error,
                 int line);

// The running program's full path and its file name without folder and extension.
QString ProgramPath();
QString ProgramName();

// How long a send waits for the receiver to take a line before the receiver is dropped.
inline constexpr int kDefaultTraceWaitMs = 5000;
void SetTraceWaitMs(int ms);

// Returns the trace to its state at program start, dropping any receiver (part of
// resetProgramState(); a test calls it alone to start a second run of the trace).
void ResetTrace();

} // namespace pelto::diag
