// Folder copy: the copy driver and the creation and filling of the folders missing at the
// destination, recursively.

#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/DisplayRefresh.h"
#include "engine/compare/Exclusions.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/Copy.h"
#include "engine/copy/CopyInternal.h"
#include "engine/copy/CopyLines.h"
#include "engine/copy/CopyMessages.h"
#include "engine/copy/CopyRules.h"
#include "engine/copy/CopyRun.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"

namespace pelto {

using diag::Procedure;
using diag::Resume;
using diag::traceParams;

namespace {

const QString kDriverCaller = QStringLiteral("CopyFolders");
const QString kProc2 = QStringLiteral("CopyFolders2");

// True when the destination folder lies inside the source subfolder: copying it would copy the
// copy into itself without end.
bool holdsDestination(const QString& subfolder, const QString& destination) {
    return fspath::isWithin(fspath::normalize(destination).toLower(),
                            fspath::normalize(subfolder).toLower());
}

} // namespace

bool CopyFolders(const QString& asSource, const QString& asDest, MainForm& af) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function CopyFolders", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>");
    });
    const auto onError = [&](const RuntimeError& e) {
        switch (e.number()) {
        case err::DiskFull:
            copymsg::logWithBox(QStringLiteral("CopyFolders"),
                                QStringLiteral("\r\nOut of space on destination drive. "
                                               "You need to free up some space."));
            return Resume::Leave;
        case err::PermissionDenied:
            return Resume::Next;
        default:
            return Resume::Report;
        }
    };
    const auto ended = [&] {
        g().gbErrorFlag = true;
        return result;
    };

    bool recycled = false;
    if (!proc.run(
            __LINE__, [&] { recycled = copylines::isRecycleBin(asSource); }, onError))
        return ended();
    if (recycled)
        return true;

    const qsizetype folders = af.lstSrcFolder().count();
    for (qsizetype i = 0; i < folders; ++i) {
        if (!CopyFolders2(asSource, asDest, af, kDriverCaller, static_cast<int>(i)))
            return result;
        if (g().gbCancel)
            return true;
    }

    af.lstSrcFolder().setSelectedIndex(af.lstSrcFolder().count() - 1);
    if (!CopyFiles(asSource, asDest, af))
        return result;
    af.lstSrcFile().setSelectedIndex(af.lstSrcFile().count() - 1);
    result = true;
    return result;
}

bool CopyFolders2(const QString& asSource, const QString& asDest, MainForm& af,
                  const QString& asCaller, int aiNdex) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function CopyFolders2", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "asCaller",
                           asCaller, "aiNdex", aiNdex);
    });
    QString phase;
    QString folderText;
    QString sourceFolder;
    bool givenUp = false;
    const auto onError = [&](const RuntimeError& e) {
        const QString flag = QStringLiteral(", flag ='") + phase + QStringLiteral("' with ");
        switch (e.number()) {
        case err::FileNotFound:
            copymsg::logWithBox(kProc2, QStringLiteral("File not found error") + flag + folderText);
            return Resume::Leave;
        case err::PermissionDenied:
            copymsg::logWithBox(kProc2,
                                QStringLiteral("Permission denied error") + flag + folderText);
            return Resume::Leave;
        case err::PathNotFound:
            copymsg::logWithBox(kProc2,
                                QStringLiteral("Problem processing folder") + flag + folderText);
            givenUp = true;
            return Resume::Leave;
        case err::LockViolation:
            copymsg::logWithBox(kProc2, QStringLiteral("Locked file error with ") + folderText);
            return Resume::Leave;
        case err::DiskFull:
            return copymsg::offerToFreeSpace(af, kProc2) ? Resume::Retry : Resume::Leave;
        default:
            return Resume::Report;
        }
    };
    // After a statement the handler or the failure report ended: a folder given up lets the
    // driver go on with the next line.
    const auto ended = [&] {
        if (givenUp) {
            if (!sourceFolder.isEmpty())
                copyRun().noteSkippedFolder(sourceFolder);
            return true;
        }
        g().gbErrorFlag = true;
        return result;
    };
    const auto step = [&](int line, auto&& stmt) { return proc.run(line, stmt, onError); };

    bool recycled = false;
    if (!step(__LINE__, [&] { recycled = copylines::isRecycleBin(asSource); }))
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
    folderText = line;

    QString source = asSource;
    QString dest = asDest;
    if (topCall && g().gbExcludes) {
        source = af.lstSrcFolder2().item(index);
        dest = af.lstDstFolder2().item(index);
    }
    // A line without its companions is served from the parents it names itself.
    const bool ownParents = topCall && g().gbExcludes && (source.isEmpty() || dest.isEmpty());

    QString destinationFolder;
    if (!step(__LINE__, [&] {
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
    if (recycled || test) {
        result = true;
        return result;
    }

    folderText = sourceFolder;
    Folder folder;
    detail::FolderContent content;
    if (!step(__LINE__, [&] {
            folder = g().goFSO->GetFolder(sourceFolder);
            content = detail::listFolder(folder.Path());
        }))
        return ended();
    if (g().gbExcludes)
        destinationFolder = copylines::withSeparator(dest) + folder.Name();

    if (!g().goFSO->FolderExists(destinationFolder)) {
        CreateNewFolder(destinationFolder);
        if (g().gbExcludes && !af.StoreFolderProfile(destinationFolder)) {
            g().gbErrorFlag = true;
            return result;
        }
        if (!step(__LINE__, [&] {
                if (const auto carried = copyrules::carriedAttributes(folder.Attributes()))
                    g().goFSO->GetFolder(destinationFolder).SetAttributes(*carried);
            }))
            return ended();
    }

    if (af.optRecurse() && !content.folders.isEmpty()) {
        const bool exclude = CheckExcludeSubdir(false);
        for (const QString& name : std::as_const(content.folders)) {
            const QString subfolder = copylines::joinPath(folder.Path(), name);
            if (exclude && FolderExcluded(name.toLower())) {
                copymsg::log(QStringLiteral("CheckFolders"),
                             QStringLiteral("Source folder excluded: ") + name.toLower());
                copyRun().noteSkippedFolder(subfolder);
                continue;
            }
            if (holdsDestination(subfolder, destinationFolder)) {
                copymsg::log(kProc2, QStringLiteral("\r\nFolder skipped, it holds the "
                                                    "destination: ") +
                                         subfolder);
                copyRun().noteSkippedFolder(subfolder);
                continue;
            }
            if (!CopyFolders2(sourceFolder, destinationFolder, af,
                              copylines::withSeparator(sourceFolder) + name, aiNdex))
                return result;
            if (g().gbCancel) {
                result = true;
                return result;
            }
        }
    }

    if (content.files.size() > copymsg::kMaxItems) {
        copymsg::logTooManyItems(kProc2);
        copymsg::showTooManyFilesInFolder(sourceFolder);
    }

    if (!content.files.isEmpty()) {
        phase = QStringLiteral("CopyFile");
        if (!detail::CopyFolderFiles(folder.Path(), destinationFolder, af, content.files))
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
