#pragma once
// How a run ends, and the exit status each ending gives.
//
//   0  check: nothing differs;  copy / sync: everything was done
//   1  check: differences were found
//   2  the run ended with an error (or was cancelled, or an unexpected error was ignored); the
//      error log says why
//   3  bad usage
//   4  the run finished, but items were skipped or left out (locked, unreadable, vanished,
//      names the destination cannot hold, special files); a check that found differences
//      says 1 even then, since a copy is what it calls for, and the copy then says 4

#include "cli/CliOptions.h"

namespace pelto::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitDifferences = 1;
inline constexpr int kExitError = 2;
inline constexpr int kExitUsage = 3;
inline constexpr int kExitLeftOut = 4;

struct RunOutcome {
    Command command = Command::Check;
    // The arguments turned out unusable once the run looked at them (a profile file or a profile
    // that does not exist).
    bool badUsage = false;
    // A refusal, a failed stage, or an error the engine reported.
    bool failed = false;
    // The user stopped the run (Ctrl+C, SIGTERM).
    bool cancelled = false;
    // An unexpected error was reported and answered with Ignore: the run went on, but not all
    // of it may have been done.
    bool errorsIgnored = false;
    // The check found mismatched files or folders.
    bool differences = false;
    // Items were skipped or left out: the destination is not a whole copy of the source.
    bool leftOut = false;
};

int exitStatusFor(const RunOutcome& outcome);

} // namespace pelto::cli
