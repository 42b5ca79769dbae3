#include "profiles/ProfileTables.h"

#include "platform/ProgramState.h"

namespace pelto::profile {

int growthStep() {
    return g().gbInDesign ? 3 : 10;
}

void newProfileTables() {
    const int step = growthStep();
    g().gasProfile.redim(kExcludes, step);
    g().gasFolderProfile.redim(kFolderLine, step);
    g().gasFolderProfile.set(kFolderLine, 0, QStringLiteral("0"));
}

void growProfileTable(int lineCount) {
    if (lineCount > 0 && lineCount % growthStep() == 0)
        g().gasProfile.redimPreserve(lineCount + 10);
}

} // namespace pelto::profile
