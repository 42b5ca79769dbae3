// File copy: the files listed in lstSrcFile, or all files of one folder, with the skip rules for
// system, locked and vanishing files and the handling of a full destination.

#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/CompareWalk.h"
#include "engine/compare/Exclusions.h"
#include "engine/compare/FolderListing.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/Copy.h"
#include "engine/copy/CopyInternal.h"
#include "engine/copy/CopyLines.h"
#include "engine/copy/CopyMessages.h"
#include "engine/copy/CopyRules.h"
#include "engine/copy/CopyRun.h"
#include "engine/copy/FileItems.h"
#include "engine/copy/FileWalk.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/LeftOut.h"
#include "platform/ProgramState.h"

#include <optional>

namespace pelto {

using diag::Answer;
using diag::Procedure;
using diag::ProcedureScope;
using diag::traceParams;

namespace {

const QString kProc = QStringLiteral("CopyFiles");
const QString kFolderCaller = QStringLiteral("CopyFolders2");
const QString kCopyPhase = QStringLiteral("CopyFile");
const QString kAttributesPhase = QStringLiteral("Attributes");
const QString kLockedOrMissing = QStringLiteral("\r\nLocked (or missing) file skipped: ");
const QString kLocked = QStringLiteral("Locked file skipped: ");
const QString kVanished = QStringLiteral("Source file vanished, skipped: ");

// Every fifth line of a listed copy is selected as the copy passes it.
constexpr qsizetype kSelectEvery = 5;

// Attempts at a locked or protected file before it is skipped.
constexpr int kMaxAttempts = 3;

// The loop of one CopyFiles call.
class FileCopyRun {
public:
    FileCopyRun(const ProcedureScope& proc, MainForm& af, FileItems& items, bool listCase)
        : trap_(proc, {this}), af_(af), items_(items), listCase_(listCase) {}

    // False when an error ended the run.
    bool run() { return filewalk::walk(items_, af_, listCase_, kSelectEvery, trap_, *this); }

    // The steps of the walk (see filewalk::walk).
    void startItem(qsizetype i) {
        phase_ = Phase::Looping;
        itemIndex_ = i;
        retries_ = 0;
        protectionCleared_.reset();
    }

    // The silent and the logged skips; true when the item is not copied.
    // The names are tested first: the folder tests are worked out only for the few names
    // they concern.
    bool passOver() {
        const QString& name = items_.lowerName();
        const bool systemName = copyrules::isDriveRootSystemName(name);
        const bool hiveName = copyrules::isRegistryHiveName(name);
        if (!systemName && !hiveName)
            return false;
        if (items_.destinationIsDriveRoot())
            return systemName;
        if (hiveName && items_.destinationIsLiveConfig()) {
            copymsg::log(kProc,
                         QStringLiteral("Locked registry file skipped: ") + items_.sourcePath());
            noteLeftOut(LeftOutReason::Locked);
            return true;
        }
        return false;
    }

    void passedOver() { copyRun().noteSkippedFile(items_.sourcePath()); }

    // Copies the current item. False when the run must end.
    bool take() {
        FileSystem& fs = *g().goFSO;
        phase_ = Phase::Copy;
        std::optional<File> source;
        // A folder's own listing names its files as stored: they need no look-up.
        if (items_.namesAsStored()) {
            source = File(fs, items_.sourcePath(), items_.name());
        } else {
            auto found = trap_([&] { return fs.GetFile(items_.sourcePath()); });
            if (!found)
                return itemEnded(found);
            source = std::move(found).value();
        }
        // A lookup the user chose to go past leaves nothing to copy.
        if (!source)
            return itemSkipped();
        const auto attributes = trap_([&] { return source->Attributes(); });
        if (!attributes)
            return itemEnded(attributes);
        if (g().gbArchive && attributes.value() && !(*attributes.value() & attr::Archive))
            return itemSkipped();

        items_.setName(source->Name());
        if (items_.exactName()) {
            const auto held = trap_([&] {
                return fs.HoldOf(items_.destinationDir(), items_.name()) ==
                       FileSystem::NameHold::Folded;
            });
            if (!held)
                return itemEnded(held);
            if (held.valueOr(false))
                return nameNotHeld(items_.destinationPath());
        }
        // The source as found: the file whose attributes were just read.
        if (const auto copied = trap_([&] {
                if (items_.exactName())
                    fs.CopyFileExactly(source->Path(), items_.destinationPath());
                else
                    fs.CopyFile(source->Path(), items_.destinationPath(), true);
            });
            !copied)
            return itemEnded(copied);

        phase_ = Phase::Attributes;
        const std::optional<int> carried =
            attributes.value() ? copyrules::carriedAttributes(*attributes.value()) : std::nullopt;
        // A copy keeps its source's permission bits, and a source with archive alone makes a copy
        // that reads archive alone: only other values are written.
        if (!carried || (*attributes.value() & attr::Writable) == attr::Archive)
            return true;
        const auto copy = trap_([&] { return fs.GetFile(items_.destinationPath()); });
        if (!copy)
            return itemEnded(copy);
        if (!copy.value())
            return true;
        const auto set = trap_([&] {
            const File& file = *copy.value();
            if ((file.Attributes() & attr::Writable) != *carried)
                file.SetAttributes(*carried);
        });
        return set || itemEnded(set);
    }

private:
    // The text the log messages name the step by.
    enum class Phase { Looping, Copy, Attributes };

    // The copy's messages name the step it was in with these words.
    QString phaseText() const {
        switch (phase_) {
        case Phase::Looping:
            return QStringLiteral("looping files: ") + QString::number(itemIndex_);
        case Phase::Copy:
            return kCopyPhase;
        case Phase::Attributes:
            return kAttributesPhase;
        }
        return {};
    }

    // The destination's file system ignores letter case and already holds the item's twin.
    bool nameNotHeld(const QString& destination) {
        copymsg::log(kProc, copymsg::nameNotHeldText() + destination);
        noteLeftOut(LeftOutReason::NameNotHeld);
        return itemSkipped();
    }

    // After a statement that did not go on: a skipped item lets the run go on with the next.
    bool itemEnded(const diag::Trapped<void>& how) { return how.skipped() && itemSkipped(); }

    // The item was not copied: the archive reset leaves it alone, and a destination whose
    // protection was lifted for another attempt gets it back.
    bool itemSkipped() {
        copyRun().noteSkippedFile(items_.sourcePath());
        if (protectionCleared_) {
            try {
                g().goFSO->GetFile(items_.destinationPath()).SetAttributes(*protectionCleared_);
            } catch (const RuntimeError&) {
                // The file stays as it is; it was not replaced.
            }
        }
        return true;
    }

    Answer onError(const RuntimeError& e) {
        const QString& dir = items_.lowerSourceDir();
        switch (e.number()) {
        case err::FileNotFound:
            if (phase_ == Phase::Attributes) {
                if (copyrules::isTemporaryFilesFolder(dir))
                    return skipItem(kLockedOrMissing, LeftOutReason::Locked);
                if (copyrules::isScannerTempFolder(dir))
                    return skipItem(QStringLiteral("\r\nLocked) file skipped: "),
                                    LeftOutReason::Locked);
                if (copyrules::hasUmlaut(items_.name()))
                    return skipItem(QStringLiteral("\r\nUmlaut file skipped: "),
                                    LeftOutReason::Other);
                return choiceReport(false);
            }
            if (copyrules::isVolatile(dir, items_.lowerName()))
                return skipItem(kLockedOrMissing, LeftOutReason::Locked);
            // A live file system changes: a file gone since the check is passed over, whatever
            // the user answers to unexpected errors.
            if (phase_ == Phase::Copy && sourceVanished())
                return skipItem(kVanished, LeftOutReason::Vanished);
            return choiceReport(phase_ == Phase::Copy);
        case err::PermissionDenied:
            if (phase_ == Phase::Copy)
                return onProtectedFile();
            return choiceReport(false);
        case err::PathNotFound:
            if (copyrules::isTemporaryFilesFolder(dir))
                return skipItem(kLockedOrMissing, LeftOutReason::Locked);
            // The destination folder is gone: say so before the run ends.
            copymsg::log(kProc, QStringLiteral("\r\nPath not found, flag ='") + phaseText() +
                                    QStringLiteral("' with ") + items_.destinationPath());
            return Answer::Abort;
        case err::LockViolation:
            if (phase_ == Phase::Copy)
                return onLockedFile();
            return Answer::Abort;
        case err::DiskFull:
            return copymsg::offerToFreeSpace(af_, kProc) ? Answer::Retry : Answer::Abort;
        default:
            if (copyrules::isBrowserParentLock(dir, items_.lowerName()))
                return skipItem(kLockedOrMissing, LeftOutReason::Locked);
            return Answer::None;
        }
    }

    // Logs the item as passed over and counts it under its reason.
    Answer skipItem(const QString& message, LeftOutReason reason) {
        copymsg::log(kProc, message + items_.sourcePath());
        noteLeftOut(reason);
        return Answer::Skip;
    }

    // Whether the source file is gone: the check listed it, so it vanished since.
    bool sourceVanished() const { return !g().goFSO->FileExists(items_.sourcePath()); }

    // Abort / Retry / Ignore in the log's words. With ignoreSkipsItem, Ignore passes the item by.
    Answer choiceReport(bool ignoreSkipsItem) {
        switch (copymsg::logWithChoice(kProc, QStringLiteral("Unexpected error, flag ='") +
                                                  phaseText() + QStringLiteral("' with ") +
                                                  items_.sourcePath())) {
        case Answer::Retry:
            return Answer::Retry;
        case Answer::Ignore:
            if (!ignoreSkipsItem)
                return Answer::Ignore;
            noteLeftOut(LeftOutReason::Other);
            return Answer::Skip;
        default:
            return Answer::Abort;
        }
    }

    // A read-only or busy destination: lift its protection and try again, up to three attempts.
    // A folder where the file must go is no protection: a synchronising copy removes it (it is on
    // the delete list anyway) and tries again, a plain copy skips the file.
    Answer onProtectedFile() {
        // The entry in the way, by its own name (the exact name first, as the copy looked).
        std::optional<DirEntry> inWay;
        if (retries_ == 0) {
            try {
                inWay = g().goFSO->EntryAt(items_.destinationPath());
            } catch (const RuntimeError&) {
            }
        }
        if (inWay && inWay->kind == EntryKind::Folder &&
            (!items_.exactName() || inWay->name == items_.name())) {
            const QString folder = items_.destinationDir() + inWay->name;
            if (!af_.optSync()) {
                copymsg::log(kProc, QStringLiteral("\r\nSkipped, a folder stands where the file "
                                                   "must go: ") +
                                        items_.destinationPath());
                noteLeftOut(LeftOutReason::Other);
                return Answer::Skip;
            }
            try {
                g().goFSO->DeleteFolder(folder, true);
            } catch (const RuntimeError& e) {
                copymsg::log(kProc, QStringLiteral("\r\nFolder in the way not deleted (") +
                                        e.description() + QStringLiteral("), file skipped: ") +
                                        items_.destinationPath());
                noteLeftOut(LeftOutReason::Other);
                return Answer::Skip;
            }
            copyRun().noteReplacedDestination(folder);
            ++retries_;
            return Answer::Retry;
        }
        if (++retries_ >= kMaxAttempts)
            return skipItem(kLocked, LeftOutReason::Locked);
        if (copyrules::isMachineKeysFolder(items_.lowerSourceDir()))
            return skipItem(kLocked, LeftOutReason::Locked);
        File existing;
        if (GetFileZ(existing, items_.destinationPath()) != 0)
            return skipItem(kLocked, LeftOutReason::Locked);
        if (!liftProtection(existing))
            return skipItem(kLocked, LeftOutReason::Locked);
        return Answer::Retry;
    }

    // Another process locked part of the file: one more plain attempt, then the guarded one.
    Answer onLockedFile() {
        if (++retries_ >= kMaxAttempts)
            return skipItem(kLocked, LeftOutReason::Locked);
        if (CopyFileZ(items_.sourcePath(), items_.destinationPath()) != 0)
            return skipItem(kLocked, LeftOutReason::Locked);
        File existing;
        if (GetFileZ(existing, items_.destinationPath()) != 0 || !liftProtection(existing))
            return skipItem(kLocked, LeftOutReason::Locked);
        return Answer::Retry;
    }

    // Clears read-only, hidden and system, remembering the first value seen.
    bool liftProtection(const File& file) {
        try {
            const int value = file.Attributes();
            if (!protectionCleared_)
                protectionCleared_ = value & attr::Writable;
            if (value % 8 != 0)
                file.SetAttributes(value - value % 8);
            return true;
        } catch (const RuntimeError&) {
            return false;
        }
    }

    const diag::Trap<diag::Method<FileCopyRun, &FileCopyRun::onError>> trap_;
    MainForm& af_;
    FileItems& items_;
    const bool listCase_;
    Phase phase_ = Phase::Looping;
    qsizetype itemIndex_ = 0;
    int retries_ = 0;
    // The destination's attributes before its protection was lifted for another attempt.
    std::optional<int> protectionCleared_;
};

// The items of the folder case: every file not excluded by the profile.
QStringList folderFiles(const QString& folderPath, const QStringList& files) {
    const bool exclude = CheckExcludeSubdir(false);
    if (!exclude)
        return files;
    QStringList kept;
    kept.reserve(files.size());
    for (const QString& name : files) {
        const QString lower = name.toLower();
        if (FileExcluded(lower)) {
            copymsg::log(QStringLiteral("CheckFiles"), QStringLiteral("Source file excluded: ") +
                                                           copylines::joinPath(folderPath, lower));
            copyRun().noteSkippedFile(copylines::joinPath(folderPath, name));
            continue;
        }
        kept.append(name);
    }
    return kept;
}

bool copyFilesImpl(const QString& asSource, const QString& asDest, MainForm& af,
                   const QString& asCaller, const QString* sourceFolder,
                   const detail::FolderContent* listed) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function CopyFiles", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "asCaller",
                           asCaller);
    });
    const auto trap = proc.trap();
    const auto recycled = trap([&] {
        return copylines::startsBelowDriveRoot(asSource, {QLatin1StringView("recycled"),
                                                          QLatin1StringView("$recycle"),
                                                          QLatin1StringView("google desktop")});
    });
    if (!recycled)
        return result;
    if (recycled.valueOr(false))
        return true;

    const bool folderCase = asCaller == kFolderCaller;
    std::optional<FileItems> items;
    if (folderCase) {
        const auto listedOk = trap([&] {
            QString folder = sourceFolder ? *sourceFolder : QString();
            detail::FolderContent content = listed ? *listed : detail::FolderContent();
            if (!sourceFolder) {
                folder = g().goFSO->GetFolder(AddSlash(asSource)).Path();
                content = detail::listFolder(folder);
            }
            items.emplace(folderFiles(folder, content.files), folder, asDest, content.twins);
        });
        if (!listedOk)
            return result;
        if (listedOk.answer() == Answer::Ignore) {
            // The failure report let the error stand: nothing of this folder is copied.
            g().gbErrorFlag = true;
            return result;
        }
    } else {
        items.emplace(af.lstSrcFile());
    }

    // One call takes on at most 32767 items. A longer list is refused as a whole: copying a part
    // of it would look like success.
    if (items->count() - 1 > copymsg::kMaxItems) {
        if (folderCase) {
            copymsg::logTooManyItems(kFolderCaller);
        } else {
            copymsg::logTooManyItems(kProc);
            copymsg::showTooManyListedFiles();
        }
        g().gbErrorFlag = true;
        return result;
    }

    FileCopyRun run(proc, af, *items, !folderCase);
    if (!run.run()) {
        g().gbErrorFlag = true;
        return result;
    }
    result = true;
    return result;
}

} // namespace

bool CopyFiles(const QString& asSource, const QString& asDest, MainForm& af,
               const QString& asCaller) {
    return copyFilesImpl(asSource, asDest, af, asCaller, nullptr, nullptr);
}

namespace detail {

bool CopyFolderFiles(const QString& sourceFolder, const QString& destinationFolder, MainForm& af,
                     const FolderContent& content) {
    return copyFilesImpl(sourceFolder, destinationFolder, af, kFolderCaller, &sourceFolder,
                         &content);
}

FolderContent listFolder(const QString& folderPath) {
    FolderContent content;
    QStringList others;
    const QList<DirEntry> entries = g().goFSO->ListWithOthers(folderPath, others);
    ReportOthersLeftOut(QStringLiteral("CopyFolders2"), folderPath, others);
    content.files.reserve(entries.size());
    QList<QString> keys;
    keys.reserve(entries.size());
    for (const DirEntry& entry : entries) {
        (entry.kind == EntryKind::Folder ? content.folders : content.files).append(entry.name);
        keys.append(LowerCaseKey(entry.name));
    }
    content.twins = TwinKeys(entries, keys);
    return content;
}

} // namespace detail

qint32 CopyFileZ(const QString& asPathSrc, const QString& asPathDst) {
    qint32 result = 0;
    Procedure proc(copymsg::kModule, "Function CopyFileZ",
                   [&] { return traceParams("asPathSrc", asPathSrc, "asPathDst", asPathDst); });
    try {
        g().goFSO->CopyFile(asPathSrc, asPathDst, true);
    } catch (const RuntimeError& e) {
        result = e.number();
    } catch (const std::exception&) {
        result = err::InternalError;
    }
    return result;
}

qint32 GetFileZ(File& aoDest, const QString& asPathName) {
    qint32 result = 0;
    Procedure proc(copymsg::kModule, "Function GetFileZ",
                   [&] { return traceParams("aoDest", "<File>", "asPathName", asPathName); });
    try {
        aoDest = g().goFSO->GetFile(asPathName);
    } catch (const RuntimeError& e) {
        result = e.number();
    } catch (const std::exception&) {
        result = err::InternalError;
    }
    return result;
}

} // namespace pelto
