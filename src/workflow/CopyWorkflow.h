#pragma once
// The copy as the window's "C&opy files" and "C&opy / Delete files" run it after a check: the
// missing folders and then the listed files (CopyFolders); for a synchronising copy the delete
// of what exists only at the destination (SyncDelete), unless the copy already ran it to free
// space on a full disk; then the finishing stage: the archive reset when asked for, and one more
// completed use of the chosen profile ("TimesUsed"). Test mode walks the same stages and changes
// nothing; it does not count as a use of the profile, as the window cannot copy in test mode.

#include "workflow/CopySummary.h"
#include "workflow/Stage.h"

#include <QString>
#include <QStringList>

namespace pelto {
class FileSystem;
class MainForm;
} // namespace pelto

namespace pelto::workflow {

// Before a production copy-and-delete deletes anything, each folder pair whose source top folder
// the check found empty while its destination held entries (an unmounted or emptied source) is
// put to the user; No keeps that pair's destination as it is, and the run goes on. A production
// copy that completes ends with one sync of each destination file system; a failure of that
// sync fails the run.
//
// asSource and asDest stand for the folders the window's pickers show: the folder pair, or for a
// profile its first line (the lines themselves carry each pair's folders).
StageResult RunCopy(MainForm& af, StageHook& stages, const QString& asSource,
                    const QString& asDest);

// The destinations the last copy kept as they were because their source was empty.
const QStringList& keptDestinations();

// Raises "TimesUsed" of the chosen profile's history entry by one.
void CountProfileUse();

// What the finished copy did, from the lists, the items the copy passed over, the disk (for the
// deletions) and the error-log messages logged during the copy (stageMessages).
CopySummary SummarizeCopy(MainForm& af, FileSystem& fs, const QStringList& stageMessages);

} // namespace pelto::workflow
