#include "engine/copy/FolderLines.h"

#include "engine/compare/DisplayRefresh.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/CopyLines.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"

namespace pelto::folderlines {

bool driveLines(const QString& asSource, const QString& asDest, MainForm& af, const QString& driver,
                LineStep lineStep, FilesStep filesStep) {
    const qsizetype folders = af.lstSrcFolder().count();
    for (qsizetype i = 0; i < folders; ++i) {
        if (!lineStep(asSource, asDest, af, driver, static_cast<int>(i)))
            return false;
        if (g().gbCancel)
            return true;
    }
    af.lstSrcFolder().setSelectedIndex(af.lstSrcFolder().count() - 1);
    if (!filesStep(asSource, asDest, af, QString()))
        return false;
    af.lstSrcFile().setSelectedIndex(af.lstSrcFile().count() - 1);
    return true;
}

FolderLine readLine(MainForm& af, const QString& asSource, const QString& asDest,
                    const QString& asCaller, int aiNdex, const QString& driver) {
    RefreshDisplayIfDue(af);
    ResultList& lines = af.lstSrcFolder();
    lines.setSelectedIndex(aiNdex);
    FolderLine line{lines.item(aiNdex), std::nullopt, false, asSource, asDest};
    const bool topCall = asCaller == driver;
    if (!topCall) {
        // A subfolder of a folder being copied: its path comes from the walk, not from a line.
        line.folder = copylines::SourceFolderLine{asCaller, copylines::withSeparator(asDest)};
        line.text = asCaller;
    } else if (const LineData& data = lines.lineData(aiNdex);
               data.kind == LineData::Kind::Entry && !data.name.isEmpty()) {
        line.folder = copylines::sourceFolderLine(data);
        line.exactName = data.exactName;
    }
    if (topCall && g().gbExcludes) {
        line.source = af.lstSrcFolder2().item(aiNdex);
        line.dest = af.lstDstFolder2().item(aiNdex);
        line.ownParents = line.source.isEmpty() || line.dest.isEmpty();
    }
    return line;
}

FolderPlace placeOf(const FolderLine& line) {
    if (!line.folder)
        copylines::refuseUntrusted();
    const copylines::SourceFolderLine& parsed = *line.folder;
    FolderPlace place = unparsed(line);
    if (line.ownParents) {
        place.source = fspath::parentOf(parsed.sourceFolder);
        place.dest = parsed.destinationParent;
    }
    place.destinationFolder = copylines::destinationFolderOf(parsed, place.source, place.dest);
    place.sourceFolder = copylines::withSeparator(parsed.sourceFolder);
    place.recycleBin = copylines::isRecycleBin(place.sourceFolder);
    return place;
}

FolderPlace unparsed(const FolderLine& line) {
    FolderPlace place;
    place.source = line.source;
    place.dest = line.dest;
    return place;
}

} // namespace pelto::folderlines
