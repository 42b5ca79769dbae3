// Archive bit reset of single files: the files listed in lstSrcFile, or all files of one folder,
// at the source and at the destination.

#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/DisplayRefresh.h"
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
using diag::traceParams;

namespace {

const QString kFolderCaller = QStringLiteral("ResetArcFolders2");
constexpr qsizetype kSelectEvery = 40;

// Files whose archive bit stays: system files at a drive root, hives of users and of the system.
// The names are tested first: the folder tests are worked out only for the few names they
// concern.
bool keepsArchiveBit(FileItems& items) {
    const QString& name = items.lowerName();
    const bool systemName = copyrules::isDriveRootSystemName(name);
    const bool userHive = copyrules::isUserHiveName(name);
    const bool systemHive = copyrules::isRegistryHiveName(name);
    if (!systemName && !userHive && !systemHive)
        return false;
    if (items.destinationIsDriveRoot())
        return systemName;
    const QString& dir = items.lowerDestinationDir();
    if (copyrules::isUserProfileText(dir))
        return userHive;
    return systemHive && (copyrules::isConfigFolderText(dir) || items.destinationIsLiveConfig());
}

// Clears the archive bit of one file, leaving the other bits as they are.
void clearArchiveBit(const File& file) {
    const int value = file.Attributes();
    if (value & attr::Archive)
        file.SetAttributes(value & ~attr::Archive);
}

// False when an error ended the loop (the caller sets the error flag).
bool resetItems(ProcedureScope& proc, MainForm& af, FileItems& items, bool listCase) {
    const bool test = af.optTest();
    const auto step = [&](int line, auto&& stmt) { return proc.run(line, stmt); };
    const qsizetype last = items.count() - 1;
    for (qsizetype i = 0; i <= last; ++i) {
        RefreshDisplayIfDue(af);
        if (listCase && i % kSelectEvery == 0)
            af.lstSrcFile().setSelectedIndex(i);
        bool isFile = false;
        bool keep = false;
        if (!step(__LINE__, [&] {
                isFile = items.read(i);
                // A file the copy passed over was not copied: it keeps its archive bit.
                keep =
                    isFile && (keepsArchiveBit(items) || copyRun().fileSkipped(items.sourcePath()));
            }))
            return false;
        if (!isFile || keep || test)
            continue;
        if (g().gbCancel)
            return true;
        std::optional<File> file;
        if (!step(__LINE__, [&] { file = g().goFSO->GetFile(items.sourcePath()); }))
            return false;
        if (file && !step(__LINE__, [&] { clearArchiveBit(*file); }))
            return false;
        file.reset();
        if (!step(__LINE__, [&] { file = g().goFSO->GetFile(items.destinationPath()); }))
            return false;
        if (file && !step(__LINE__, [&] { clearArchiveBit(*file); }))
            return false;
    }
    return true;
}

bool resetImpl(const QString& asSource, const QString& asDest, MainForm& af,
               const QString& asCaller, const QString* sourceFolder, const QStringList* listed) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function ResetArchiveBits", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "asCaller",
                           asCaller);
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

    const bool folderCase = asCaller == kFolderCaller;
    std::optional<FileItems> items;
    if (folderCase) {
        if (!proc.run(__LINE__, [&] {
                if (sourceFolder && listed) {
                    items.emplace(*listed, *sourceFolder, asDest);
                } else {
                    const QString folder = g().goFSO->GetFolder(AddSlash(asSource)).Path();
                    items.emplace(detail::listFolder(folder).files, folder, asDest);
                }
            }))
            return ended();
        if (!items)
            return true;
    } else {
        items.emplace(af.lstSrcFile());
    }

    if (!resetItems(proc, af, *items, !folderCase))
        return ended();
    result = true;
    return result;
}

} // namespace

bool ResetArchiveBits(const QString& asSource, const QString& asDest, MainForm& af,
                      const QString& asCaller) {
    return resetImpl(asSource, asDest, af, asCaller, nullptr, nullptr);
}

namespace detail {

bool ResetFolderFiles(const QString& sourceFolder, const QString& destinationFolder, MainForm& af,
                      const QStringList& files) {
    return resetImpl(sourceFolder, destinationFolder, af, kFolderCaller, &sourceFolder, &files);
}

} // namespace detail
} // namespace pelto
