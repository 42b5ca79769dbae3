// Archive bit reset of single files: the files listed in lstSrcFile, or all files of one folder,
// at the source and at the destination.

#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
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
#include "platform/ProgramState.h"

#include <optional>

namespace pelto {

using diag::Procedure;
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

// The steps of the reset's walk over its items (see filewalk::walk).
class ArchiveReset {
public:
    ArchiveReset(const diag::Trap<>& trap, FileItems& items) : trap_(trap), items_(items) {}

    void startItem(qsizetype) {}
    // A file the copy passed over was not copied: it keeps its archive bit.
    bool passOver() {
        return keepsArchiveBit(items_) || copyRun().fileSkipped(items_.sourcePath());
    }
    void passedOver() {}

    // Clears the archive bit at the source and at the destination. False when the walk must end.
    bool take() { return clearAt(items_.sourcePath()) && clearAt(items_.destinationPath()); }

private:
    bool clearAt(const QString& path) {
        const auto file = trap_([&] { return g().goFSO->GetFile(path); });
        if (!file)
            return false;
        return !file.value() || trap_([&] { clearArchiveBit(*file.value()); });
    }

    const diag::Trap<>& trap_;
    FileItems& items_;
};

bool resetImpl(const QString& asSource, const QString& asDest, MainForm& af,
               const QString& asCaller, const QString* sourceFolder, const QStringList* listed) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function ResetArchiveBits", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "asCaller",
                           asCaller);
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

    const bool folderCase = asCaller == kFolderCaller;
    std::optional<FileItems> items;
    if (folderCase) {
        if (!trap([&] {
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

    ArchiveReset reset(trap, *items);
    if (!filewalk::walk(*items, af, !folderCase, kSelectEvery, trap, reset))
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
