#include "engine/copy/FileItems.h"

#include "engine/compare/ResultList.h"
#include "engine/copy/CopyLines.h"
#include "engine/copy/CopyRules.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"

namespace pelto {

FileItems::FileItems(const ResultList& list) : list_(&list) {}

FileItems::FileItems(QStringList names, const QString& sourceDir, const QString& destinationDir,
                     QSet<QString> twins)
    : names_(std::move(names)), sourceDir_(copylines::withSeparator(sourceDir)),
      destinationDir_(copylines::withSeparator(destinationDir)), twins_(std::move(twins)) {}

qsizetype FileItems::count() const {
    return list_ ? list_->count() : names_.size();
}

bool FileItems::read(qsizetype i) {
    if (!list_) {
        name_ = names_.at(i);
        lowerName_ = fspath::lowerCase(name_);
        exactName_ = !twins_.isEmpty() && twins_.contains(lowerName_);
        return true;
    }
    const LineData& line = copylines::trustedLine(*list_, i);
    if (line.kind == LineData::Kind::Header) {
        sourceDir_ = copylines::withSeparator(line.folder);
        destinationDir_ = copylines::withSeparator(line.target);
        folderChanged();
        return false;
    }
    name_ = line.name;
    lowerName_ = fspath::lowerCase(name_);
    exactName_ = line.exactName;
    return true;
}

void FileItems::folderChanged() {
    lowerSourceDir_.reset();
    lowerDestinationDir_.reset();
    driveRoot_.reset();
    liveConfig_.reset();
}

const QString& FileItems::lowerSourceDir() {
    if (!lowerSourceDir_)
        lowerSourceDir_ = sourceDir_.toLower();
    return *lowerSourceDir_;
}

const QString& FileItems::lowerDestinationDir() {
    if (!lowerDestinationDir_)
        lowerDestinationDir_ = destinationDir_.toLower();
    return *lowerDestinationDir_;
}

bool FileItems::destinationIsDriveRoot() {
    if (!driveRoot_)
        driveRoot_ = !destinationDir_.isEmpty() && g().goFSO->IsDriveRoot(destinationDir_);
    return *driveRoot_;
}

bool FileItems::destinationIsLiveConfig() {
    if (!liveConfig_)
        liveConfig_ = !destinationDir_.isEmpty() && copyrules::isLiveConfigFolder(destinationDir_);
    return *liveConfig_;
}

} // namespace pelto
