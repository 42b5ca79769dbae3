// Folder copy: the copy driver and the creation and filling of the folders missing at the
// destination, recursively.

#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/Exclusions.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/Copy.h"
#include "engine/copy/CopyInternal.h"
#include "engine/copy/CopyLines.h"
#include "engine/copy/CopyMessages.h"
#include "engine/copy/CopyRules.h"
#include "engine/copy/CopyRun.h"
#include "engine/copy/FolderLines.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/LeftOut.h"
#include "platform/ProgramState.h"

#include <QScopeGuard>
#include <QSet>
#include <optional>

namespace pelto {

using diag::Answer;
using diag::Procedure;
using diag::ProcedureScope;
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

// A folder of its own, not a link to one.
bool isRealFolder(const std::optional<DirEntry>& entry) {
    return entry && entry->kind == EntryKind::Folder && !entry->isLink;
}

// Subfolders of folders being copied whole whose names have a twin that differs only in letter
// case: each is created and filled under its exact name. Noted by the parent before its call.
QSet<QString>& exactSubfolders() {
    static QSet<QString> folders;
    return folders;
}
const StateReset kResetExactSubfolders{[] { exactSubfolders().clear(); }};

// One CopyFolders2 call: creates the folder of one line (or a subfolder of it) at the
// destination, copies its subfolders recursively, then its files.
class FolderCopy {
public:
    FolderCopy(const ProcedureScope& proc, MainForm& af, const QString& asSource,
               const QString& asDest, const QString& asCaller, int aiNdex)
        : trap_(proc, {this}), af_(af), asSource_(asSource), asDest_(asDest), asCaller_(asCaller),
          aiNdex_(aiNdex) {}

    // False when an error ended the copy; a folder given up lets the driver go on.
    bool run() {
        const auto recycled = trap_([&] { return copylines::isRecycleBin(asSource_); });
        if (!recycled)
            return ended(recycled);
        if (recycled.valueOr(false))
            return true;
        const bool test = af_.optTest();

        const folderlines::FolderLine line =
            folderlines::readLine(af_, asSource_, asDest_, asCaller_, aiNdex_, kDriverCaller);
        folderText_ = line.text;
        auto placed = trap_([&] { return folderlines::placeOf(line); });
        if (!placed)
            return ended(placed);
        const folderlines::FolderPlace place =
            std::move(placed).valueOr(folderlines::unparsed(line));
        sourceFolder_ = place.sourceFolder;
        if (place.recycleBin || test)
            return true;

        folderText_ = sourceFolder_;
        Folder folder;
        detail::FolderContent content;
        if (const auto opened = trap_([&] {
                folder = g().goFSO->GetFolder(sourceFolder_);
                content = detail::listFolder(folder.Path());
            });
            !opened)
            return ended(opened);
        QString destinationFolder = place.destinationFolder;
        if (g().gbExcludes)
            destinationFolder = copylines::withSeparator(place.dest) + folder.Name();

        const bool exact =
            line.exactName || (!exactSubfolders().isEmpty() &&
                               exactSubfolders().contains(fspath::normalize(sourceFolder_)));
        std::optional<FileSystem::NameHold> hold;
        if (exact) {
            const auto held = trap_([&] { return exactHold(destinationFolder); });
            if (!held)
                return ended(held);
            hold = held.valueOr(FileSystem::NameHold::Folded);
            if (*hold == FileSystem::NameHold::Folded) {
                copymsg::log(kProc2, copymsg::nameNotHeldText() + destinationFolder);
                noteLeftOut(LeftOutReason::NameNotHeld);
                copyRun().noteSkippedFolder(sourceFolder_);
                return true;
            }
        }
        bool created = false;
        // An exact name held by a file or link is in the way like any other.
        const bool heldExactly = hold == FileSystem::NameHold::Exact;
        if (exact ? !heldExactly || !isRealFolder(g().goFSO->EntryAt(destinationFolder))
                  : !g().goFSO->FolderExists(destinationFolder)) {
            const auto cleared = trap_(
                [&] { return (exact && !heldExactly) || clearWayForFolder(destinationFolder); });
            if (!cleared)
                return ended(cleared);
            if (!cleared.valueOr(true)) {
                copyRun().noteSkippedFolder(sourceFolder_);
                noteLeftOut(LeftOutReason::Other);
                return true;
            }
            if (!exact)
                CreateNewFolder(destinationFolder);
            else if (const auto made =
                         trap_([&] { g().goFSO->CreateFolderExactly(destinationFolder); });
                     !made)
                return ended(made);
            // A folder that could not be made is reported by the steps that need it.
            created = g().goFSO->FolderExists(destinationFolder);
            if (g().gbExcludes && !af_.StoreFolderProfile(destinationFolder)) {
                g().gbErrorFlag = true;
                return false;
            }
            if (const auto set = trap_([&] {
                    if (created)
                        g().goFSO->CopyFolderMetadata(sourceFolder_, destinationFolder);
                    if (const auto carried = copyrules::carriedAttributes(folder.Attributes()))
                        g().goFSO->GetFolder(destinationFolder).SetAttributes(*carried);
                });
                !set)
                return ended(set);
        }

        if (af_.optRecurse() && !content.folders.isEmpty()) {
            if (const Walk walk = copySubfolders(folder, content, destinationFolder);
                walk != Walk::GoOn)
                return walk == Walk::Cancelled;
        }

        if (content.files.size() > copymsg::kMaxItems) {
            copymsg::logTooManyItems(kProc2);
            copymsg::showTooManyFilesInFolder(sourceFolder_);
        }
        if (!content.files.isEmpty() &&
            !detail::CopyFolderFiles(folder.Path(), destinationFolder, af_, content))
            return false;
        // The content is complete: the created folder takes the source's exact mode and time.
        if (created && !g().gbCancel) {
            if (const auto finished =
                    trap_([&] { g().goFSO->FinishFolderCopy(sourceFolder_, destinationFolder); });
                !finished)
                return ended(finished);
        }
        return true;
    }

private:
    enum class Walk { GoOn, Cancelled, Failed };

    // A file or a link standing where the folder must go: a synchronising copy removes it (the
    // link itself, never what it points to; it is on the delete list anyway), a plain copy
    // leaves it and skips the folder. False when the folder is skipped.
    bool clearWayForFolder(const QString& destinationFolder) {
        FileSystem& fs = *g().goFSO;
        const std::optional<DirEntry> entry = fs.EntryAt(destinationFolder);
        if (!entry || entry->kind == EntryKind::Folder)
            return true;
        if (af_.optSync()) {
            const QString inWay =
                fspath::join(fspath::parentOf(fspath::normalize(destinationFolder)), entry->name);
            fs.DeleteFile(inWay, true);
            copyRun().noteReplacedDestination(inWay);
            return true;
        }
        const QString what = entry->isLink ? QStringLiteral("link") : QStringLiteral("file");
        copymsg::log(
            kProc2,
            QStringLiteral("\r\nSkipped, a %1 stands where the folder must go: ").arg(what) +
                fspath::normalize(destinationFolder));
        return false;
    }

    // How the destination parent, found as it is stored, holds the folder's exact name; the
    // folder's path becomes that parent joined to the name.
    FileSystem::NameHold exactHold(QString& destinationFolder) {
        FileSystem& fs = *g().goFSO;
        const QString normalized = fspath::normalize(destinationFolder);
        const QString name = fspath::nameOf(normalized);
        const std::optional<QString> parent =
            fs.ResolvePath(fspath::parentOf(normalized), EntryKind::Folder);
        if (!parent)
            throw fsError(err::PathNotFound);
        destinationFolder = fspath::join(*parent, name);
        return fs.HoldOf(*parent, name);
    }

    // Each subfolder not excluded and not holding the destination, through CopyFolders2.
    Walk copySubfolders(const Folder& folder, const detail::FolderContent& content,
                        const QString& destinationFolder) {
        const bool exclude = CheckExcludeSubdir(false);
        for (const QString& name : content.folders) {
            if (!content.twins.isEmpty() && content.twins.contains(fspath::lowerCase(name)))
                exactSubfolders().insert(
                    fspath::normalize(copylines::withSeparator(sourceFolder_) + name));
        }
        for (const QString& name : content.folders) {
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
                noteLeftOut(LeftOutReason::Other);
                continue;
            }
            if (!CopyFolders2(sourceFolder_, destinationFolder, af_,
                              copylines::withSeparator(sourceFolder_) + name, aiNdex_))
                return Walk::Failed;
            if (g().gbCancel)
                return Walk::Cancelled;
        }
        return Walk::GoOn;
    }

    // After a statement that did not go on: a folder given up is passed over, anything else
    // ends the copy with the error flag set.
    bool ended(const diag::Trapped<void>& how) {
        if (how.skipped()) {
            if (!sourceFolder_.isEmpty())
                copyRun().noteSkippedFolder(sourceFolder_);
            noteLeftOut(LeftOutReason::Other);
            return true;
        }
        g().gbErrorFlag = true;
        return false;
    }

    Answer onError(const RuntimeError& e) {
        // No statement of this procedure runs in a phase of its own: the flag reads empty.
        const QString flag = QStringLiteral(", flag ='' with ");
        switch (e.number()) {
        case err::FileNotFound:
            copymsg::logWithBox(kProc2,
                                QStringLiteral("File not found error") + flag + folderText_);
            return Answer::Abort;
        case err::PermissionDenied:
            copymsg::logWithBox(kProc2,
                                QStringLiteral("Permission denied error") + flag + folderText_);
            return Answer::Abort;
        case err::PathNotFound:
            copymsg::logWithBox(kProc2,
                                QStringLiteral("Problem processing folder") + flag + folderText_);
            return Answer::Skip;
        case err::LockViolation:
            copymsg::logWithBox(kProc2, QStringLiteral("Locked file error with ") + folderText_);
            return Answer::Abort;
        case err::DiskFull:
            return copymsg::offerToFreeSpace(af_, kProc2) ? Answer::Retry : Answer::Abort;
        default:
            return Answer::None;
        }
    }

    const diag::Trap<diag::Method<FolderCopy, &FolderCopy::onError>> trap_;
    MainForm& af_;
    const QString& asSource_;
    const QString& asDest_;
    const QString& asCaller_;
    const int aiNdex_;
    // The folder the messages name: the line until the source folder is known.
    QString folderText_;
    QString sourceFolder_;
};

} // namespace

bool CopyFolders(const QString& asSource, const QString& asDest, MainForm& af) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function CopyFolders", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>");
    });
    // The folders the service held open for the copy are closed however the copy ends.
    const auto release = qScopeGuard([] {
        if (g().goFSO)
            g().goFSO->EndCopyWork();
    });
    const auto trap = proc.trap([&](const RuntimeError& e) {
        switch (e.number()) {
        case err::DiskFull:
            copymsg::logWithBox(QStringLiteral("CopyFolders"),
                                QStringLiteral("\r\nOut of space on destination drive. "
                                               "You need to free up some space."));
            return Answer::Abort;
        case err::PermissionDenied:
            return Answer::Ignore;
        default:
            return Answer::None;
        }
    });

    const auto recycled = trap([&] { return copylines::isRecycleBin(asSource); });
    if (!recycled) {
        g().gbErrorFlag = true;
        return result;
    }
    if (recycled.valueOr(false))
        return true;
    result =
        folderlines::driveLines(asSource, asDest, af, kDriverCaller, &CopyFolders2, &CopyFiles);
    return result;
}

bool CopyFolders2(const QString& asSource, const QString& asDest, MainForm& af,
                  const QString& asCaller, int aiNdex) {
    Procedure proc(copymsg::kModule, "Function CopyFolders2", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "asCaller",
                           asCaller, "aiNdex", aiNdex);
    });
    FolderCopy copy(proc, af, asSource, asDest, asCaller, aiNdex);
    return copy.run();
}

} // namespace pelto
