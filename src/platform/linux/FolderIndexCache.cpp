#include "platform/linux/FolderIndexCache.h"

#include <functional>

#include "platform/FsPath.h"
#include "platform/linux/LongPath.h"

#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace pelto {

namespace {

// File-system timestamps advance in coarse ticks (a few milliseconds); a folder whose last change
// is at least this old at the time of a scan cannot change again within the same tick.
constexpr qint64 kSettleNs = 100'000'000;

// Questions about one listing answered by a pass over it before it is hashed: a pass costs about
// as much per entry as hashing one, and most folders are asked about only a few times.
constexpr int kPassesBeforeHashing = 8;

bool byName(const DirEntry& a, const DirEntry& b) {
    return a.name < b.name;
}

// True when `name` lowered is `lowerName`; plain ASCII is compared without lowering a copy.
bool lowersTo(QStringView name, const QString& lowerName) {
    const qsizetype size = name.size();
    bool ascii = true;
    if (size == lowerName.size()) {
        for (qsizetype i = 0; i < size; ++i) {
            char16_t c = name[i].unicode();
            if (c >= 0x80 || lowerName[i].unicode() >= 0x80) {
                ascii = false;
                break;
            }
            if (c >= u'A' && c <= u'Z')
                c += u'a' - u'A';
            if (c != lowerName[i].unicode())
                return false;
        }
    } else {
        // Lowering never shortens a text, and it keeps the length of plain ASCII.
        if (size > lowerName.size())
            return false;
        ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii)
            return false;
    }
    return ascii || fspath::lowerCase(name.toString()) == lowerName;
}

bool statFolder(const QString& folderPath, FolderStamp& out) {
    struct stat st {};
    if (longpath::stat(fspath::native(folderPath), st) != 0 || !S_ISDIR(st.st_mode))
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
                std::sort(variants.begin(), variants.end(), byName);
        }
    }
    return byLowerName;
}

QList<DirEntry> FolderIndexCache::Index::variants(const QString& lowerName) {
    if (!pending.isEmpty() && passesMade++ < kPassesBeforeHashing) {
        QList<DirEntry> found;
        for (const DirEntry& e : std::as_const(pending)) {
            if (lowersTo(e.name, lowerName))
                found.append(e);
        }
        std::sort(found.begin(), found.end(), byName);
        return found;
    }
    const auto it = names().constFind(lowerName);
    return it == names().cend() ? QList<DirEntry>{} : *it;
}

void FolderIndexCache::Index::add(const DirEntry& entry) {
    if (!pending.isEmpty()) {
        pending.removeIf([&](const DirEntry& e) { return e.name == entry.name; });
        pending.append(entry);
        return;
    }
    QList<DirEntry>& variants = byLowerName[fspath::lowerCase(entry.name)];
    variants.removeIf([&](const DirEntry& e) { return e.name == entry.name; });
    variants.append(entry);
    std::sort(variants.begin(), variants.end(), byName);
}

void FolderIndexCache::Index::remove(const QString& name) {
    if (!pending.isEmpty()) {
        pending.removeIf([&](const DirEntry& e) { return e.name == name; });
        return;
    }
    const auto variants = byLowerName.find(fspath::lowerCase(name));
    if (variants != byLowerName.end()) {
        variants->removeIf([&](const DirEntry& e) { return e.name == name; });
        if (variants->isEmpty())
            byLowerName.erase(variants);
    }
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
    QList<DirEntry> found = index->variants(lowerName);
    if (found.isEmpty() && !index->settled)
        found = scan(folderPath).variants(lowerName);
    return found;
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
    recordChange(folderPath, wasCurrent, known, [&](Index& index) { index.add(entry); });
}

void FolderIndexCache::noteRemoved(const QString& folderPath, const QString& name,
                                   bool wasCurrent) {
    recordChange(folderPath, wasCurrent, nullptr, [&](Index& index) { index.remove(name); });
}

void FolderIndexCache::recordChange(const QString& folderPath, bool wasCurrent,
                                    const FolderStamp* known,
                                    const std::function<void(Index&)>& change) {
    const auto it = indexes_.find(folderPath);
    if (it == indexes_.end())
        return;
    // An index that was already behind the disk cannot be brought up to date by one change.
    if (!wasCurrent) {
        forget(folderPath);
        return;
    }
    change(*it);
    restamp(folderPath, *it, known);
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
