#pragma once
// What pelto-cli prints as its result: the four result lists of the check, each under the label
// the window shows above it, and after a copy what was done and what was skipped.

#include "workflow/CopySummary.h"

#include <QString>
#include <QStringList>

namespace pelto {
class MainForm;
}

namespace pelto::cli {

// The window's labels above the result lists after a check; those of the destination lists say
// what a synchronising copy will delete.
QString sourceFoldersLabel();
QString destinationFoldersLabel(bool sync);
QString sourceFilesLabel();
QString destinationFilesLabel(bool sync);

// The lists in the order source folders, destination folders, source files, destination files,
// each as its label followed by its lines exactly as the check wrote them, with an empty line
// between two lists.
QStringList listReport(MainForm& af);

// Whether the lists name any mismatched folder or file (folder header lines alone are none).
bool hasDifferences(MainForm& af);

QStringList copyReport(const workflow::CopySummary& summary);

// The items left out as a count followed by the count of each reason that occurred, e.g.
// "2 (locked or unreadable 1, vanished since the check 1)"; "0" when none.
QString leftOutCounts(const LeftOutTally& tally);

} // namespace pelto::cli
