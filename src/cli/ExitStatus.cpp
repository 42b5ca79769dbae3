#include "cli/ExitStatus.h"

namespace pelto::cli {

int exitStatusFor(const RunOutcome& outcome) {
    if (outcome.badUsage)
        return kExitUsage;
    if (outcome.failed || outcome.cancelled || outcome.errorsIgnored)
        return kExitError;
    if (outcome.command == Command::Check && outcome.differences)
        return kExitDifferences;
    if (outcome.leftOut)
        return kExitLeftOut;
    return kExitOk;
}

} // namespace pelto::cli
