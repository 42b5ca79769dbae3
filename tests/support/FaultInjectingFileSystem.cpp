#include "support/FaultInjectingFileSystem.h"

#include "platform/FileSystem.h"
#include "platform/FsPath.h"

#include <numeric>

namespace pelto {
namespace {

QString keyOf(const QString& path) {
    return path.isEmpty() ? QString() : fspath::normalize(path).toLower();
}

} // namespace

void FaultInjectingFileSystem::inject(FsOp op, const QString& path, qint32 number, int times) {
    if (times != 0)
        faults_.push_back(Fault{op, keyOf(path), number, times < 0 ? kAlways : times});
}

int FaultInjectingFileSystem::calls(FsOp op) const {
    return op != FsOp::Any ? calls_.value(int(op))
                           : std::accumulate(calls_.begin(), calls_.end(), 0);
}

void FaultInjectingFileSystem::setNotReady(const QString& mountPoint, bool notReady) {
    if (notReady)
        notReady_.insert(keyOf(mountPoint));
    else
        notReady_.remove(keyOf(mountPoint));
}

FileSystem& FaultInjectingFileSystem::pass(FsOp op, const QString& path, const QString& otherPath) {
    ++calls_[int(op)];
    const QString key = keyOf(path);
    const QString otherKey = keyOf(otherPath);
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if ((it->op != FsOp::Any && it->op != op) ||
            (!it->key.isEmpty() && it->key != key && it->key != otherKey))
            continue;
        const qint32 number = it->number;
        if (it->remaining != kAlways && --it->remaining == 0)
            faults_.erase(it);
        throw fsError(number);
    }
    return inner_;
}

bool FaultInjectingFileSystem::IsReadyAt(const QString& mountPoint) {
    FileSystem& inner = pass(FsOp::IsReadyAt, mountPoint);
    return !notReady_.contains(keyOf(mountPoint)) && inner.IsReadyAt(mountPoint);
}

} // namespace pelto
