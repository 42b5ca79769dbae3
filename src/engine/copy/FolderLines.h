#pragma once
// The walk the copy and the archive reset share over the lines of lstSrcFolder: the driver that
// serves each line and then lstSrcFile, and the folder each line names.

#include "engine/copy/CopyLines.h"

#include <QString>
#include <optional>

namespace pelto {

class MainForm;

namespace folderlines {

// The procedure a driver runs for each line of lstSrcFolder (CopyFolders2, ResetArcFolders2)
// and the one it runs for lstSrcFile afterwards (CopyFiles, ResetArchiveBits).
using LineStep = bool (*)(const QString& asSource, const QString& asDest, MainForm& af,
                          const QString& asCaller, int aiNdex);
using FilesStep = bool (*)(const QString& asSource, const QString& asDest, MainForm& af,
                           const QString& asCaller);

// Runs `lineStep` for each line of lstSrcFolder with `driver` as the caller, then `filesStep`
// for lstSrcFile, leaving the last line of each list selected. False when a step failed; a
// cancelled walk ends true.
bool driveLines(const QString& asSource, const QString& asDest, MainForm& af, const QString& driver,
                LineStep lineStep, FilesStep filesStep);

// One folder line as a line step reads it: the line, and the folders its source and destination
// are taken relative to.
struct FolderLine {
    QString text; // as displayed, for messages
    // What the line names; none for a line without the data the check stores with it.
    std::optional<copylines::SourceFolderLine> folder;
    // The folder has a twin whose name differs only in letter case: taken by its exact name.
    bool exactName = false;
    QString source;
    QString dest;
    // A line without its companions is served from the parents it names itself.
    bool ownParents = false;
};

// Selects line aiNdex of lstSrcFolder, refreshing the display when due, and reads the line: the
// line itself when asCaller is the driver, else the line made for the subfolder asCaller inside
// the destination folder asDest. With exclusions in force a line of the driver comes with its
// own source and destination from lstSrcFolder2 and lstDstFolder2.
FolderLine readLine(MainForm& af, const QString& asSource, const QString& asDest,
                    const QString& asCaller, int aiNdex, const QString& driver);

// Where the folder of a line lies.
struct FolderPlace {
    QString source; // the folders the destination is worked out from
    QString dest;
    QString sourceFolder; // with a trailing separator
    QString destinationFolder;
    bool recycleBin = false;
};

// Where a folder line's folder lies. Throws RuntimeError for a line without stored data.
FolderPlace placeOf(const FolderLine& line);
// What a line leaves whose parsing the user chose to go past: its parents and no folder.
FolderPlace unparsed(const FolderLine& line);

} // namespace folderlines
} // namespace pelto
