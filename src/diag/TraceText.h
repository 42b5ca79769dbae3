#pragma once
// The texts of the procedure trace and the failure report. Every trace line ends with CR LF.

#include "platform/RuntimeError.h"

#include <QDateTime>
#include <QString>

namespace pelto::diag {

// "00012.345": at least five integer digits, three decimals and always a full stop, so that
// lines read the same in every locale.
QString traceSeconds(qint64 elapsedMs);

// "<program> START TRACE 1.00 LITE 03-07-2026,14:05:09"
QString traceBannerLine(const QString& program, const QDateTime& when);

// "[<program>] [00001] [00000.000] ->" + (depth - 1) TABs + "module : procedure : params";
// `arrow` is "->" for an entry and "<-" for an exit.
QString traceCallLine(const QString& program, qint32 lineNumber, qint64 elapsedMs,
                      QLatin1String arrow, qint32 depth, const QString& module,
                      const QString& procedure, const QString& params);

// "[<program>] ERROR 53 "File not found" at module : procedure : 42"
QString traceErrorLine(const QString& program, const RuntimeError& error, const QString& module,
                       const QString& procedure, int line);

// The error's description, or the standard text of its number when it carries none.
QString errorDescription(const RuntimeError& error);

// "Pelto TraceView reports <path> program error #53 (File not found) occurred in module Pelto,
// Function ReadINI, line 42." with the remote-component suffix when the error's source text
// starts with a non-zero number.
QString failureReportText(const QString& programPath, const RuntimeError& error,
                          const QString& module, const QString& procedure, int line);

} // namespace pelto::diag
