#pragma once
// One run of pelto-cli: the safety refusals, the profile (when one is named), the check, the
// lists on standard output and, for copy and sync, the copy and what it did.

#include "cli/ExitStatus.h"

namespace pelto::cli {

class Console;
struct CliOptions;

RunOutcome runCli(const CliOptions& options, Console& console);

} // namespace pelto::cli
