// File copy: the files listed in lstSrcFile, or all files of one folder, with the skip rules for
// system, locked and vanishing files and the handling of a full destination.

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
#include "engine/copy/FileItems.h"
#include "platform/FileSystem.h"
#include "platform/ProgramState.h"

#include <optional>

namespace pelto {

using diag::Procedure;
using diag::ProcedureScope;
using diag::Resume;
using diag::traceParams;

namespace {

const QString kProc = QStringLiteral("CopyFiles");
const QString kFolderCaller = QStringLiteral("CopyFolders2");
const QString kCopyPhase = QStringLiteral("CopyFile");
const QString kAttributesPhase = QStringLiteral("Attributes");
const QString kSkipAttrPhase = QStringLiteral("SkipAttr");
const QString kLockedOrMissing = QStringLiteral("\r\nLocked (or missing) file skipped: ");
const QString kLocked = QStringLiteral("Locked file skipped: ");

// What CopyFileZ and GetFileZ return for a failure that carries no error number.
constexpr qint32 kInternalError = 51;

// Attempts at a locked or protected file before it is skipped.
constexpr int kMaxAttempts = 3;

// The loop of one CopyFiles call.
class FileCopyRun {
public:
    FileCopyRun(ProcedureScope& proc, MainForm& af, FileItems& items, bool listCase)
        : proc_(proc), af_(af), items_(items), listCase_(listCase), test_(af.optTest()) {}

    // False when an error ended the run.
    bool run() {
        const qsizetype last = items_.count() - 1;
        for (qsizetype i = 0; i <= last; ++i) {
            RefreshDisplayIfDue(af_);
            phase_ = QStringLiteral("looping files: ") + QString::number(i);
            retries_ = 0;
            protectionCleared_.reset();
            if (listCase_ && i % 5 == 0)
                af_.lstSrcFile().setSelectedIndex(i);

            bool isFile = false;
            bool skip = false;
            const bool read = step(__LINE__, [&] {
                isFile = items_.read(i);
                if (isFile)
                    skip = skipRuleApplies();
            });
            if (!read) {
                if (outcome_ == Outcome::End)
                    return false;
                continue;
            }
            if (!isFile)
                continue;
            if (skip) {
                copyRun().noteSkippedFile(items_.sourcePath());
                continue;
            }
            if (test_)
                continue;
            if (g().gbCancel)
                return true;
            if (!copyItem())
                return false;
        }
        return true;
    }

private:
    enum class Outcome { End, NextItem };

    // Runs one statement under the trap. False when the item or the run ends (see outcome_).
    template <typename Stmt> bool step(int line, Stmt&& stmt) {
        outcome_ = Outcome::End;
        return proc_.run(line, std::forward<Stmt>(stmt),
                         [this](const RuntimeError& e) { return onError(e); });
    }

    // The silent and the logged skips; true when the item is not copied.
    // The names are tested first: the folder tests are worked out only for the few names
    // they concern.
    bool skipRuleApplies() {
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
            return true;
        }
        return false;
    }

    // Copies the current item. False when the run must end.
    bool copyItem() {
        FileSystem& fs = *g().goFSO;
        phase_ = kCopyPhase;
        std::optional<File> source;
        std::optional<int> attributes;
        // A folder's own listing names its files as stored: they need no look-up.
        if (items_.namesAsStored())
            source = File(fs, items_.sourcePath(), items_.name());
        else if (!step(__LINE__, [&] { source = fs.GetFile(items_.sourcePath()); }))
            return itemFailed();
        // A lookup the user chose to go past leaves nothing to copy.
        if (!source)
            return itemSkipped();
        if (!step(__LINE__, [&] { attributes = source->Attributes(); }))
            return itemFailed();
        if (g().gbArchive && attributes && !(*attributes & attr::Archive))
            return itemSkipped();

        items_.setName(source->Name());
        // The source as found: the file whose attributes were just read.
        if (!step(__LINE__, [&] { fs.CopyFile(source->Path(), items_.destinationPath(), true); }))
            return itemFailed();

        phase_ = kAttributesPhase;
        const std::optional<int> carried =
            attributes ? copyrules::carriedAttributes(*attributes) : std::nullopt;
        // A copy keeps its source's permission bits, and a source with archive alone makes a copy
        // that reads archive alone: only other values are written.
        if (!carried || (*attributes & attr::Writable) == attr::Archive)
            return true;
        std::optional<File> copy;
        if (!step(__LINE__, [&] { copy = fs.GetFile(items_.destinationPath()); }))
            return itemFailed();
        if (copy && !step(__LINE__, [&] {
                if ((copy->Attributes() & attr::Writable) != *carried)
                    copy->SetAttributes(*carried);
            }))
            return itemFailed();
        return true;
    }

    // After a statement ended the item: the run goes on unless the error ended it.
    bool itemFailed() {
        if (outcome_ == Outcome::End)
            return false;
        return itemSkipped();
    }

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

    Resume onError(const RuntimeError& e) {
        const QString& dir = items_.lowerSourceDir();
        switch (e.number()) {
        case err::FileNotFound:
            if (phase_ == kAttributesPhase) {
                if (copyrules::isTemporaryFilesFolder(dir))
                    return skipItem(kLockedOrMissing);
                if (copyrules::isScannerTempFolder(dir))
                    return skipItem(QStringLiteral("\r\nLocked) file skipped: "));
                if (copyrules::hasUmlaut(items_.name()))
                    return skipItem(QStringLiteral("\r\nUmlaut file skipped: "));
                return choiceReport(false);
            }
            if (copyrules::isVolatile(dir, items_.lowerName())) {
                phase_ = kSkipAttrPhase;
                return skipItem(kLockedOrMissing);
            }
            return choiceReport(phase_ == kCopyPhase);
        case err::PermissionDenied:
            if (phase_ == kCopyPhase)
                return onProtectedFile();
            return choiceReport(false);
        case err::PathNotFound:
            if (copyrules::isTemporaryFilesFolder(dir)) {
                phase_ = kSkipAttrPhase;
                return skipItem(kLockedOrMissing);
            }
            // The destination folder is gone: say so before the run ends.
            copymsg::log(kProc, QStringLiteral("\r\nPath not found, flag ='") + phase_ +
                                    QStringLiteral("' with ") + items_.destinationPath());
            return Resume::Leave;
        case err::LockViolation:
            if (phase_ == kCopyPhase)
                return onLockedFile();
            return Resume::Leave;
        case err::DiskFull:
            return copymsg::offerToFreeSpace(af_, kProc) ? Resume::Retry : Resume::Leave;
        default:
            if (copyrules::isBrowserParentLock(dir, items_.lowerName())) {
                phase_ = kSkipAttrPhase;
                return skipItem(kLockedOrMissing);
            }
            return Resume::Report;
        }
    }

    Resume skipItem(const QString& message) {
        copymsg::log(kProc, message + items_.sourcePath());
        outcome_ = Outcome::NextItem;
        return Resume::Leave;
    }

    // Abort / Retry / Ignore in the log's words. With ignoreSkipsItem, Ignore passes the item by.
    Resume choiceReport(bool ignoreSkipsItem) {
        switch (copymsg::logWithChoice(kProc, QStringLiteral("Unexpected error, flag ='") + phase_ +
                                                  QStringLiteral("' with ") +
                                                  items_.sourcePath())) {
        case diag::kRetry:
            return Resume::Retry;
        case diag::kIgnore:
            if (!ignoreSkipsItem)
                return Resume::Next;
            outcome_ = Outcome::NextItem;
            return Resume::Leave;
        default:
            return Resume::Leave;
        }
    }

    // A read-only or busy destination: lift its protection and try again, up to three attempts.
    Resume onProtectedFile() {
        if (++retries_ >= kMaxAttempts)
            return skipItem(kLocked);
        if (copyrules::isMachineKeysFolder(items_.lowerSourceDir()))
            return skipItem(kLocked);
        File existing;
        if (GetFileZ(existing, items_.destinationPath()) != 0)
            return skipItem(kLocked);
        if (!liftProtection(existing))
            return skipItem(kLocked);
        return Resume::Retry;
    }

    // Another process locked part of the file: one more plain attempt, then the guarded one.
    Resume onLockedFile() {
        if (++retries_ >= kMaxAttempts)
            return skipItem(kLocked);
        if (CopyFileZ(items_.sourcePath(), items_.destinationPath()) != 0)
            return skipItem(kLocked);
        File existing;
        if (GetFileZ(existing, items_.destinationPath()) != 0 || !liftProtection(existing))
            return skipItem(kLocked);
        return Resume::Retry;
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

    ProcedureScope& proc_;
    MainForm& af_;
    FileItems& items_;
    const bool listCase_;
    const bool test_;
    QString phase_;
    int retries_ = 0;
    // The destination's attributes before its protection was lifted for another attempt.
    std::optional<int> protectionCleared_;
    Outcome outcome_ = Outcome::End;
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
                   const QStringList* listed) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function CopyFiles", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "asCaller",
                           asCaller);
    });
    bool recycled = false;
    PELTO_TRY(proc, result,
              recycled = copylines::startsBelowDriveRoot(
                  asSource, {QLatin1StringView("recycled"), QLatin1StringView("$recycle"),
                             QLatin1StringView("google desktop")}));
    if (recycled)
        return true;

    const bool folderCase = asCaller == kFolderCaller;
    std::optional<FileItems> items;
    if (folderCase) {
        bool listedOk = false;
        PELTO_TRY(proc, result, {
            QString folder = sourceFolder ? *sourceFolder : QString();
            QStringList files = listed ? *listed : QStringList();
            if (!sourceFolder) {
                folder = g().goFSO->GetFolder(AddSlash(asSource)).Path();
                files = detail::listFolder(folder).files;
            }
            items.emplace(folderFiles(folder, files), folder, asDest);
            listedOk = true;
        });
        if (!listedOk) {
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
                     const QStringList& files) {
    return copyFilesImpl(sourceFolder, destinationFolder, af, kFolderCaller, &sourceFolder, &files);
}

FolderContent listFolder(const QString& folderPath) {
    FolderContent content;
    const QList<DirEntry> entries = g().goFSO->List(folderPath);
    content.files.reserve(entries.size());
    for (const DirEntry& entry : entries)
        (entry.kind == EntryKind::Folder ? content.folders : content.files).append(entry.name);
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
        result = kInternalError;
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
        result = kInternalError;
    }
    return result;
}

} // namespace pelto
