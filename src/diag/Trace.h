#pragma once
// The procedure trace and the general failure report.
//
// Trace lines go to a receiver: a local socket named "Pelto TraceView" or beginning
// "Pelto TraceView -". Whether one is there is decided once per run, at the first traced call;
// without a receiver tracing is off for the run and each call costs one flag test.

#include "platform/RuntimeError.h"

#include <QString>

namespace pelto::diag {

// Result codes shared by TrapError and LogError.
inline constexpr int kNothingAsked = 0;
inline constexpr int kRetry = 1;
inline constexpr int kIgnore = 2;
inline constexpr int kAbort = 3;

// True when a receiver takes trace lines in this run; the first call starts the trace.
bool TraceActive();
void TraceStart();
void TraceEnter(const QString& module, const QString& procedure, const QString& params);
void TraceExit(const QString& module, const QString& procedure, const QString& params);

// Reports an error the procedure did not expect: traces it, appends the failure report to the
// error-log file and asks Abort / Retry / Ignore. `line` identifies the failing statement.
// Returns kRetry, kIgnore or kAbort.
int TrapError(const QString& module, const QString& procedure, const RuntimeError& error, int line);

} // namespace pelto::diag
