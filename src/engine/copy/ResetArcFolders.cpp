// Archive bit reset over the result of a check: the folders the copy created, recursively, then
// the files it copied.

#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/Copy.h"
#include "engine/copy/CopyInternal.h"
#include "engine/copy/CopyLines.h"
#include "engine/copy/CopyMessages.h"
#include "engine/copy/CopyRun.h"
#include "engine/copy/FolderLines.h"
#include "platform/FileSystem.h"
#include "platform/ProgramState.h"

namespace pelto {

using diag::Procedure;
using diag::traceParams;

namespace {

const QString kDriverCaller = QStringLiteral("ResetArcFolders");

} // namespace

bool ResetArcFolders(const QString& asSource, const QString& asDest, MainForm& af) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function ResetArcFolders", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>");
    });
    const auto trap = proc.trap();
    const auto recycled = trap([&] { return copylines::isRecycleBin(asSource); });
    if (!recycled) {
        g().gbErrorFlag = true;
        return result;
    }
    if (recycled.valueOr(false))
        return true;
    result = folderlines::driveLines(asSource, asDest, af, kDriverCaller, &ResetArcFolders2,
                                     &ResetArchiveBits);
    return result;
}

bool ResetArcFolders2(const QString& asSource, const QString& asDest, MainForm& af,
                      const QString& asCaller, int aiNdex) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function ResetArcFolders2", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "asCaller",
                           asCaller, "aiNdex", aiNdex);
    });
    const auto trap = proc.trap();
    const auto ended = [&] {
        g().gbErrorFlag = true;
        return result;
    };

    const auto recycled = trap([&] { return copylines::isRecycleBin(asSource); });
    if (!recycled)
        return ended();
    if (recycled.valueOr(false))
        return true;
    const bool test = af.optTest();

    const folderlines::FolderLine line =
        folderlines::readLine(af, asSource, asDest, asCaller, aiNdex, kDriverCaller);
    auto placed = trap([&] { return folderlines::placeOf(line); });
    if (!placed)
        return ended();
    const folderlines::FolderPlace place = std::move(placed).valueOr(folderlines::unparsed(line));
    const QString& sourceFolder = place.sourceFolder;
    // A folder the copy did not enter keeps the archive bits of its files.
    if (place.recycleBin || test || copyRun().folderSkipped(sourceFolder)) {
        result = true;
        return result;
    }

    Folder folder;
    detail::FolderContent content;
    if (!trap([&] {
            folder = g().goFSO->GetFolder(sourceFolder);
            content = detail::listFolder(folder.Path());
        }))
        return ended();
    QString destinationFolder = place.destinationFolder;
    if (g().gbExcludes)
        destinationFolder = copylines::withSeparator(place.dest) + folder.Name();

    if (af.optRecurse()) {
        for (const QString& name : std::as_const(content.folders)) {
            if (!ResetArcFolders2(sourceFolder, destinationFolder, af,
                                  copylines::withSeparator(sourceFolder) + name, aiNdex))
                return result;
            if (g().gbCancel) {
                result = true;
                return result;
            }
        }
    }

    if (!content.files.isEmpty()) {
        if (!detail::ResetFolderFiles(folder.Path(), destinationFolder, af, content.files))
            return result;
        if (g().gbCancel) {
            result = true;
            return result;
        }
    }
    result = true;
    return result;
}

} // namespace pelto
