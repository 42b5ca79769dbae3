#pragma once
// Reads one folder once, splitting its entries into files and subfolders by their stored names.

#include "diag/Procedure.h"
#include "platform/FileSystem.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace pelto::detail {

// A folder's entries in the order the file system gives them: files (symbolic links count as
// files) and subfolders, told apart by their kind. Kept as listed, so that the walk can refer to
// the stored names without copying them.
struct FolderEntries {
    QList<DirEntry> entries;
    // The list key of each entry (LowerCaseKey of its name), by the entry's place.
    QList<QString> keys;
    qsizetype files = 0;
    qsizetype folders = 0;
    // List keys held by more than one entry of any kind: names that differ only in letter case.
    QSet<QString> twins;
    // Entries that are neither files nor folders (fifos, sockets, devices): never compared or
    // copied, only reported (see ReportOthersLeftOut).
    QStringList others;
    // Modification times in ms of the files read ahead, by the entry's place (see ReadAhead);
    // empty when none were, nullopt for an entry not read.
    QList<std::optional<qint64>> times;
};

// Fills in keys, counts and twins from the entries.
void AddKeys(FolderEntries& listing);

// The keys that more than one entry holds, where keys[k] is the key of entries[k].
QSet<QString> TwinKeys(const QList<DirEntry>& entries, const QList<QString>& keys);

enum class ListOutcome {
    Listed,  // `out` holds the entries
    Skipped, // the user chose to go on without this folder; `out` is empty
    Stop,    // the failure report said to stop
};

// Lists `path` under the trap of `proc`. A folder named "System Volume Information" that may not
// be read lists as empty, quietly; other errors go to the failure report, whose Retry lists again.
ListOutcome ListFolderEntries(const diag::ProcedureScope& proc, const QString& path,
                              FolderEntries& out);

// Logs each entry of a source folder that is neither a file nor a folder as "Not a file or
// folder, left out: " + its path, once per run however often its folder is listed, and counts
// it among the items the run left out.
void ReportOthersLeftOut(const QString& asProc, const QString& folderPath,
                         const QStringList& names);

} // namespace pelto::detail
