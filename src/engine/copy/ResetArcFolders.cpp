// Archive bit reset over the result of a check: the folders the copy created, recursively, then
// the files it copied.

#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/DisplayRefresh.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/Copy.h"
#include "engine/copy/CopyInternal.h"
#include "engine/copy/CopyLines.h"
#include "engine/copy/CopyMessages.h"
#include "engine/copy/CopyRun.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
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
    bool recycled = false;
    if (!proc.run(__LINE__, [&] { recycled = copylines::isRecycleBin(asSource); })) {
        g().gbErrorFlag = true;
        return result;
    }
    if (recycled)
        return true;

    const qsizetype folders = af.lstSrcFolder().count();
    for (qsizetype i = 0; i < folders; ++i) {
        if (!ResetArcFolders2(asSource, asDest, af, kDriverCaller, static_cast<int>(i)))
            return result;
        if (g().gbCancel)
            return true;
    }
    af.lstSrcFolder().setSelectedIndex(af.lstSrcFolder().count() - 1);
    if (!ResetArchiveBits(asSource, asDest, af))
        return result;
    af.lstSrcFile().setSelectedIndex(af.lstSrcFile().count() - 1);
    result = true;
    return result;
}

bool ResetArcFolders2(const QString& asSource, const QString& asDest, MainForm& af,
                      const QString& asCaller, int aiNdex) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function ResetArcFolders2", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "asCaller",
                           asCaller, "aiNdex", aiNdex);
    });
    const auto ended = [&] {
        g().gbErrorFlag = true;
        return result;
    };

    bool recycled = false;
    if (!proc.run(__LINE__, [&] { recycled = copylines::isRecycleBin(asSource); }))
        return ended();
    if (recycled)
        return true;
    const bool test = af.optTest();
    const int index = aiNdex;

    RefreshDisplayIfDue(af);
    ResultList& lines = af.lstSrcFolder();
    lines.setSelectedIndex(index);
    QString line = lines.item(index);
    const bool topCall = asCaller == kDriverCaller;
    if (!topCall)
        line = copylines::subfolderLine(asCaller, asDest);

    QString source = asSource;
    QString dest = asDest;
    if (topCall && g().gbExcludes) {
        source = af.lstSrcFolder2().item(index);
        dest = af.lstDstFolder2().item(index);
    }
    // A line without its companions is served from the parents it names itself.
    const bool ownParents = topCall && g().gbExcludes && (source.isEmpty() || dest.isEmpty());

    QString sourceFolder;
    QString destinationFolder;
    if (!proc.run(__LINE__, [&] {
            const copylines::SourceFolderLine parsed = copylines::sourceFolderLine(line);
            if (ownParents) {
                source = fspath::parentOf(parsed.sourceFolder);
                dest = parsed.destinationParent;
            }
            destinationFolder = copylines::destinationFolderOf(parsed, source, dest);
            sourceFolder = copylines::withSeparator(parsed.sourceFolder);
            recycled = copylines::isRecycleBin(sourceFolder);
        }))
        return ended();
    // A folder the copy did not enter keeps the archive bits of its files.
    if (recycled || test || copyRun().folderSkipped(sourceFolder)) {
        result = true;
        return result;
    }

    Folder folder;
    detail::FolderContent content;
    if (!proc.run(__LINE__, [&] {
            folder = g().goFSO->GetFolder(sourceFolder);
            content = detail::listFolder(folder.Path());
        }))
        return ended();
    if (g().gbExcludes)
        destinationFolder = copylines::withSeparator(dest) + folder.Name();

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
