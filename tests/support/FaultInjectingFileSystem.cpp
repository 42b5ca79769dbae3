#include "support/FaultInjectingFileSystem.h"

#include "platform/FsPath.h"
#include "platform/linux/PosixError.h"

namespace pelto {

namespace {

QString keyOf(const QString& path) {
    return fspath::normalize(path).toLower();
}

} // namespace

void FaultInjectingFileSystem::inject(FsOp op, const QString& path, qint32 number, int times) {
    if (times == 0)
        return;
    faults_.push_back(Fault{op, keyOf(path), number, times < 0 ? kAlways : times});
}

int FaultInjectingFileSystem::calls(FsOp op) const {
    if (op != FsOp::Any)
        return calls_.value(int(op));
    int total = 0;
    for (const int n : calls_)
        total += n;
    return total;
}

void FaultInjectingFileSystem::setNotReady(const QString& mountPoint, bool notReady) {
    if (notReady)
        notReady_.insert(keyOf(mountPoint));
    else
        notReady_.remove(keyOf(mountPoint));
}

void FaultInjectingFileSystem::enter(FsOp op, const QString& path, const QString& otherPath) {
    ++calls_[int(op)];
    const QString key = keyOf(path);
    const QString otherKey = otherPath.isEmpty() ? QString() : keyOf(otherPath);
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->op != FsOp::Any && it->op != op)
            continue;
        if (!it->key.isEmpty() && it->key != key && (otherKey.isEmpty() || it->key != otherKey))
            continue;
        const qint32 number = it->number;
        if (it->remaining != kAlways && --it->remaining == 0)
            faults_.erase(it);
        ++raised_;
        throw fsError(number);
    }
}

void FaultInjectingFileSystem::CopyFile(const QString& source, const QString& destination,
                                        bool overwrite) {
    enter(FsOp::CopyFile, source, destination);
    inner_.CopyFile(source, destination, overwrite);
}

void FaultInjectingFileSystem::CreateFolder(const QString& path) {
    enter(FsOp::CreateFolder, path);
    inner_.CreateFolder(path);
}

void FaultInjectingFileSystem::DeleteFile(const QString& path, bool force) {
    enter(FsOp::DeleteFile, path);
    inner_.DeleteFile(path, force);
}

void FaultInjectingFileSystem::DeleteFolder(const QString& path, bool force) {
    enter(FsOp::DeleteFolder, path);
    inner_.DeleteFolder(path, force);
}

bool FaultInjectingFileSystem::IsDriveRoot(const QString& path) {
    enter(FsOp::IsDriveRoot, path);
    return inner_.IsDriveRoot(path);
}

std::optional<QString> FaultInjectingFileSystem::ResolvePath(const QString& path, EntryKind kind) {
    enter(FsOp::ResolvePath, path);
    return inner_.ResolvePath(path, kind);
}

QList<DirEntry> FaultInjectingFileSystem::List(const QString& folderPath) {
    enter(FsOp::List, folderPath);
    return inner_.List(folderPath);
}

int FaultInjectingFileSystem::AttributesOf(const QString& path) {
    enter(FsOp::AttributesOf, path);
    return inner_.AttributesOf(path);
}

void FaultInjectingFileSystem::SetAttributesOf(const QString& path, int value) {
    enter(FsOp::SetAttributesOf, path);
    inner_.SetAttributesOf(path, value);
}

QDateTime FaultInjectingFileSystem::LastModifiedOf(const QString& path) {
    enter(FsOp::LastModifiedOf, path);
    return inner_.LastModifiedOf(path);
}

QString FaultInjectingFileSystem::MountPointOf(const QString& path) {
    enter(FsOp::MountPointOf, path);
    return inner_.MountPointOf(path);
}

bool FaultInjectingFileSystem::IsReadyAt(const QString& mountPoint) {
    enter(FsOp::IsReadyAt, mountPoint);
    if (notReady_.contains(keyOf(mountPoint)))
        return false;
    return inner_.IsReadyAt(mountPoint);
}

} // namespace pelto
