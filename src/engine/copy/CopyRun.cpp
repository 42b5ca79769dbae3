#include "engine/copy/CopyRun.h"

#include "diag/Procedure.h"
#include "engine/copy/Copy.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"

namespace pelto {

void CopyRunState::clear() {
    files_.clear();
    folders_.clear();
    replaced_.clear();
}

QString CopyRunState::key(const QString& path) {
    return fspath::lowerCase(fspath::normalize(path));
}

void CopyRunState::noteSkippedFile(const QString& sourcePath) {
    files_.insert(key(sourcePath));
}

void CopyRunState::noteSkippedFolder(const QString& sourceFolder) {
    folders_.insert(key(sourceFolder));
}

bool CopyRunState::underSkippedFolder(const QString& key) const {
    if (folders_.isEmpty())
        return false;
    for (QString folder = key; !folder.isEmpty(); folder = fspath::parentOf(folder)) {
        if (folders_.contains(folder))
            return true;
    }
    return false;
}

bool CopyRunState::fileSkipped(const QString& sourcePath) const {
    if (files_.isEmpty() && folders_.isEmpty())
        return false;
    const QString k = key(sourcePath);
    return files_.contains(k) || underSkippedFolder(fspath::parentOf(k));
}

bool CopyRunState::folderSkipped(const QString& sourceFolder) const {
    return underSkippedFolder(key(sourceFolder));
}

QString CopyRunState::entryKey(const QString& path) {
    const QString normalized = fspath::normalize(path);
    return fspath::join(fspath::lowerCase(fspath::parentOf(normalized)),
                        fspath::nameOf(normalized));
}

void CopyRunState::noteReplacedDestination(const QString& destinationPath) {
    replaced_.insert(entryKey(destinationPath));
}

bool CopyRunState::destinationReplaced(const QString& destinationPath) const {
    return !replaced_.isEmpty() && replaced_.contains(entryKey(destinationPath));
}

CopyRunState& copyRun() {
    static CopyRunState state;
    return state;
}

namespace {
const StateReset kResetCopyRun{[] { copyRun().clear(); }};
} // namespace

void BeginCopyRun() {
    diag::Procedure proc("Pelto", "Sub BeginCopyRun", diag::noParams());
    g().gbSpaceFreed = false;
    copyRun().clear();
    if (g().goFSO)
        g().goFSO->StartCopyRun();
}

} // namespace pelto
