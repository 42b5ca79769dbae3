#include "platform/FolderIndexCache.h"

#include "platform/FsPath.h"

#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace pelto {

namespace {

// File-system timestamps advance in coarse ticks (a few milliseconds); a folder whose last change
// is at least this old at the time of a scan cannot change again within the same tick.
constexpr qint64 kSettleNs = 100'000'000;

bool statFolder(const QString& folderPath, FolderStamp& out) {
    struct stat st {};
    if (stat(fspath::native(folderPath).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    out = folderStampOf(st);
    return true;
}

} // namespace

FolderIndexCache::Index* FolderIndexCache::current(const QString& folderPath,
                                                   const FolderStamp* known) {
    const auto it = indexes_.find(folderPath);
    if (it == indexes_.end())
        return nullptr;
    FolderStamp now;
    if (known)
        now = *known;
    else if (!statFolder(folderPath, now))
        return nullptr;
    if (now != it->stamp)
        return nullptr; // stale: the next scan replaces it
    return &*it;
}

bool FolderIndexCache::isCurrent(const QString& folderPath) {
    return current(folderPath) != nullptr;
}

bool FolderIndexCache::isCurrent(const QString& folderPath, const FolderStamp& now) {
    return current(folderPath, &now) != nullptr;
}

FolderIndexCache::Index& FolderIndexCache::store(const QString& folderPath,
                                                 const ScannedFolder& scan) {
    if (!indexes_.contains(folderPath)) {
        order_.push_back(folderPath);
        while (qsizetype(order_.size()) > capacity_) {
            indexes_.remove(order_.front());
            order_.pop_front();
        }
    }
    Index index;
    index.stamp = scan.stamp;
    index.settled = scan.scannedAtNs - scan.stamp.modifiedNs >= kSettleNs;
    index.pending = scan.entries;
    return indexes_[folderPath] = std::move(index);
}

QHash<QString, QList<DirEntry>>& FolderIndexCache::Index::names() {
    if (!pending.isEmpty()) {
        for (const DirEntry& e : std::as_const(pending))
            byLowerName[fspath::lowerCase(e.name)].append(e);
        pending.clear();
        for (auto& variants : byLowerName) {
            if (variants.size() > 1)
                std::sort(variants.begin(), variants.end(),
                          [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        }
    }
    return byLowerName;
}

FolderIndexCache::Index& FolderIndexCache::scan(const QString& folderPath) {
    ++scans_;
    return store(folderPath, scanFolder(folderPath));
}

void FolderIndexCache::remember(const QString& folderPath, const ScannedFolder& scan) {
    store(folderPath, scan);
}

QList<DirEntry> FolderIndexCache::variantsOf(const QString& folderPath, const QString& lowerName) {
    return lookUpVariants(folderPath, lowerName, nullptr);
}

QList<DirEntry> FolderIndexCache::variantsOf(const QString& folderPath, const QString& lowerName,
                                             const FolderStamp& now) {
    return lookUpVariants(folderPath, lowerName, &now);
}

QList<DirEntry> FolderIndexCache::lookUpVariants(const QString& folderPath,
                                                 const QString& lowerName,
                                                 const FolderStamp* known) {
    Index* index = current(folderPath, known);
    if (!index)
        index = &scan(folderPath);
    auto it = index->names().constFind(lowerName);
    if (it == index->names().cend() && !index->settled) {
        index = &scan(folderPath);
        it = index->names().constFind(lowerName);
    }
    return it == index->names().cend() ? QList<DirEntry>{} : *it;
}

void FolderIndexCache::restamp(const QString& folderPath, Index& index, const FolderStamp* known) {
    index.settled = true; // the change just made is the one the index now holds
    if (known)
        index.stamp = *known;
    else if (!statFolder(folderPath, index.stamp))
        forget(folderPath);
}

void FolderIndexCache::noteAdded(const QString& folderPath, const DirEntry& entry,
                                 bool wasCurrent) {
    recordAdded(folderPath, entry, wasCurrent, nullptr);
}

void FolderIndexCache::noteAdded(const QString& folderPath, const DirEntry& entry, bool wasCurrent,
                                 const FolderStamp& after) {
    recordAdded(folderPath, entry, wasCurrent, &after);
}

void FolderIndexCache::recordAdded(const QString& folderPath, const DirEntry& entry,
                                   bool wasCurrent, const FolderStamp* known) {
    const auto it = indexes_.find(folderPath);
    if (it == indexes_.end())
        return;
    if (!wasCurrent) {
        forget(folderPath);
        return;
    }
    QList<DirEntry>& variants = it->names()[fspath::lowerCase(entry.name)];
    variants.removeIf([&](const DirEntry& e) { return e.name == entry.name; });
    variants.append(entry);
    std::sort(variants.begin(), variants.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    restamp(folderPath, *it, known);
}

void FolderIndexCache::noteRemoved(const QString& folderPath, const QString& name,
                                   bool wasCurrent) {
    const auto it = indexes_.find(folderPath);
    if (it == indexes_.end())
        return;
    if (!wasCurrent) {
        forget(folderPath);
        return;
    }
    const QString lower = name.toLower();
    const auto variants = it->names().find(lower);
    if (variants != it->names().end()) {
        variants->removeIf([&](const DirEntry& e) { return e.name == name; });
        if (variants->isEmpty())
            it->byLowerName.erase(variants);
    }
    restamp(folderPath, *it);
}

void FolderIndexCache::forget(const QString& folderPath) {
    indexes_.remove(folderPath);
    std::erase(order_, folderPath);
}

void FolderIndexCache::forgetTree(const QString& folderPath) {
    indexes_.removeIf([&](const auto& item) { return fspath::isWithin(item.key(), folderPath); });
    std::erase_if(order_, [&](const QString& p) { return fspath::isWithin(p, folderPath); });
}

} // namespace pelto
