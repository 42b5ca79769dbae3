#pragma once
// What a finished copy did, counted from its lists, the items it passed over and the disk.

#include "platform/LeftOut.h"

#include <QStringList>

namespace pelto::workflow {

struct CopySummary {
    bool test = true;
    bool sync = false;
    qsizetype foldersCopied = 0; // lines of the missing-folder list served, with their contents
    qsizetype filesCopied = 0;
    qsizetype foldersDeleted = 0;
    qsizetype filesDeleted = 0;
    bool archiveReset = false;
    // The error-log messages of the copy that name an item passed over.
    QStringList skipped;
    // The items the check and the copy left out, by reason.
    LeftOutTally leftOut;
};

} // namespace pelto::workflow
