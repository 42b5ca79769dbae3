#include "cli/CliSession.h"

#include "cli/CliOptions.h"
#include "cli/Console.h"
#include "diag/ErrorLog.h"

namespace pelto::cli {
namespace {

// Seconds between display refreshes; they cost no pause here.
constexpr qint16 kUpdateFrequency = 1;

} // namespace

CliSession::CliSession(Console& console, const CliOptions& options)
    : clock_(pelto::clock()), clockInstall_(clock_),
      echo_(diag::messageLog(),
            [&console, quiet = options.quiet](const QString& message, bool notice) {
                // A quiet run prints only problems; notices stay in the error log file.
                if (!(quiet && notice))
                    console.problem(message);
            }),
      dialogs_(console, options.yes, options.ignoreErrors, [this] { return echo_.last(); }),
      program_(dialogs_, kUpdateFrequency), form_(console) {}

} // namespace pelto::cli
