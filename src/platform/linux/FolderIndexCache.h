#pragma once
// The per-folder index behind case-blind lookup: one scan of a folder answers every case-blind
// question about its names until the folder changes, so a walk of n folders scans each folder
// once instead of once per sibling looked up.
//
// An index stays valid while the folder's identity and modification time are unchanged. The
// service's own creates and deletes update it in place (or drop it when the folder had changed
// behind its back). A folder changed just before its scan may hide a change made in the same
// timestamp tick, so such an index is read again before it answers "no such name".

#include "platform/linux/FolderScan.h"

#include <QHash>
#include <QList>
#include <QString>
#include <deque>
#include <functional>

namespace pelto {

class FolderIndexCache {
public:
    explicit FolderIndexCache(qsizetype capacity = 512) : capacity_(capacity) {}

    // The entries of `folderPath` whose lower-cased name is `lowerName`, in binary name order.
    // Throws as scanFolder does when the folder cannot be read.
    QList<DirEntry> variantsOf(const QString& folderPath, const QString& lowerName);

    // Takes a fresh listing of a folder as its index.
    void remember(const QString& folderPath, const ScannedFolder& scan);

    // True when the folder's index is cached and still matches the folder on disk.
    bool isCurrent(const QString& folderPath);
    // Records the service's own change of a folder's entries. `wasCurrent` is what isCurrent
    // answered just before the change; a stale index is dropped instead.
    void noteAdded(const QString& folderPath, const DirEntry& entry, bool wasCurrent);
    void noteRemoved(const QString& folderPath, const QString& name, bool wasCurrent);

    // The same for a caller that has just read the folder's stamp itself, through a descriptor
    // it holds open on the folder: the path is not read again.
    QList<DirEntry> variantsOf(const QString& folderPath, const QString& lowerName,
                               const FolderStamp& now);
    bool isCurrent(const QString& folderPath, const FolderStamp& now);
    void noteAdded(const QString& folderPath, const DirEntry& entry, bool wasCurrent,
                   const FolderStamp& after);

    void forget(const QString& folderPath);
    // Forgets a folder and every cached folder below it.
    void forgetTree(const QString& folderPath);

    // Folder scans made for lookups (listings passed to remember() do not count).
    qint64 scans() const { return scans_; }

private:
    struct Index {
        FolderStamp stamp;
        bool settled = true; // the folder had not changed for a while when it was scanned
        // A listing is kept as it came and hashed by lower-cased name only when asked often,
        // so that walks which never need a case-blind lookup pay nothing for it, and a folder
        // asked about a few times is answered by passes over the listing.
        QList<DirEntry> pending;
        int passesMade = 0;
        QHash<QString, QList<DirEntry>> byLowerName;
        QHash<QString, QList<DirEntry>>& names();
        QList<DirEntry> variants(const QString& lowerName);
        void add(const DirEntry& entry);
        void remove(const QString& name);
    };

    // `known`: the folder's stamp as the caller just read it; else it is read from the path.
    Index* current(const QString& folderPath, const FolderStamp* known = nullptr);
    Index& scan(const QString& folderPath);
    Index& store(const QString& folderPath, const ScannedFolder& scan);
    void restamp(const QString& folderPath, Index& index, const FolderStamp* known = nullptr);
    QList<DirEntry> lookUpVariants(const QString& folderPath, const QString& lowerName,
                                   const FolderStamp* known);
    void recordAdded(const QString& folderPath, const DirEntry& entry, bool wasCurrent,
                     const FolderStamp* known);
    // Applies one change to the folder's index when it was current before the change.
    void recordChange(const QString& folderPath, bool wasCurrent, const FolderStamp* known,
                      const std::function<void(Index&)>& change);

    qsizetype capacity_;
    QHash<QString, Index> indexes_;
    std::deque<QString> order_; // oldest first, for eviction
    qint64 scans_ = 0;
};

} // namespace pelto
