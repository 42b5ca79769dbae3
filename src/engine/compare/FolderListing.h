#pragma once
// Reads one folder once, splitting its entries into files and subfolders by their stored names.

#include "diag/Procedure.h"

#include <QString>
#include <QStringList>

namespace pelto::detail {

struct FolderEntries {
    QStringList files; // symbolic links count as files
    QStringList folders;
};

enum class ListOutcome {
    Listed,  // `out` holds the entries
    Skipped, // the user chose to go on without this folder; `out` is empty
    Stop,    // the failure report said to stop
};

// Lists `path` under the trap of `proc`. A folder named "System Volume Information" that may not
// be read lists as empty, quietly; other errors go to the failure report, whose Retry lists again.
ListOutcome ListFolderEntries(diag::ProcedureScope& proc, const QString& path, FolderEntries& out);

} // namespace pelto::detail
