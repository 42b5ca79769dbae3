#pragma once
// The file-system service on Linux.
//
// Names are found case-blind and kept as stored: for every component of a path an entry with
// the exact name (of the wanted kind) wins, otherwise the case-blind match in that folder, the
// first in binary name order when there are several. Case-blind matches come from a per-folder
// index that the service's own listings fill and its own creates and deletes keep up to date.
//
// Paths may be relative (to the current folder) and may end in a separator. Symbolic links met
// in a path that the caller names are followed as the kernel does down to the top folder of a
// run, but never below it; listings never follow them: a link is listed as a file, copied as a
// link and deleted as a link. The "Exactly" calls look at the path as named only, and the
// folders they find are the top folders: in a path below one of them, a link (at the end or on
// the way) is not a folder, and folders are opened, made and emptied relative to their parent
// opened with no-follow semantics, so a link where a folder must go is never written through.

#include "platform/FileSystem.h"
#include "platform/linux/AtomicFileCopier.h"
#include "platform/linux/FolderIndexCache.h"
#include "platform/linux/UniqueFd.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <deque>
#include <memory>
#include <sys/stat.h>

namespace pelto {

class LinuxFileSystem : public FileSystem {
public:
    void CopyFile(const QString& source, const QString& destination,
                  bool overwrite = true) override;
    void CopyFileExactly(const QString& source, const QString& destination) override;
    void CreateFolder(const QString& path) override;
    // mkdir of the path as named; a name in another letter case beside it does not matter.
    void CreateFolderExactly(const QString& path) override;
    // The source folder's owner (as root), extended attributes and ACLs, and its mode with the
    // owner's bits added; FinishFolderCopy then gives the exact mode and the modification time.
    void CopyFolderMetadata(const QString& source, const QString& destination) override;
    void FinishFolderCopy(const QString& source, const QString& destination) override;
    // Forgets the copies of multiply linked files the last run made.
    void StartCopyRun() override;
    // Closes the destination folders held open for the copy.
    void EndCopyWork() override;
    void DeleteFile(const QString& path, bool force = true) override;
    void DeleteFolder(const QString& path, bool force = true) override;
    void SyncFileSystem(const QString& path) override;
    bool IsDriveRoot(const QString& path) override;

    std::optional<QString> ResolvePath(const QString& path, EntryKind kind) override;
    // A stat of the path as named.
    std::optional<QString> ExactFolderPath(const QString& path) override;
    QList<DirEntry> List(const QString& folderPath) override;
    QList<DirEntry> ListWithOthers(const QString& folderPath, QStringList& others) override;
    int AttributesOf(const QString& path) override;
    void SetAttributesOf(const QString& path, int value) override;
    QDateTime LastModifiedOf(const QString& path) override;
    // One status read per name relative to the open folder.
    QList<std::optional<qint64>> ModifiedTimesIn(const QString& folderPath,
                                                 const QStringList& names) override;
    QString MountPointOf(const QString& path) override;
    bool IsReadyAt(const QString& mountPoint) override;
    // Reading ahead is safe here (only a scan of the folder and status reads relative to it, no
    // state of the service is touched); a subclass reads ahead only if it says so itself, since
    // it may see or change the calls the read-ahead would bypass.
    bool ReadsAheadSafely() const override;
    std::optional<FolderAhead> ReadFolderAhead(const QString& folderPath) override;
    void UseFolderAhead(const FolderAhead& ahead) override;
    QList<std::optional<qint64>> ModifiedTimesAhead(const QString& folderPath,
                                                    const QStringList& names) override;

    // Test seam: runs when a copy's temporary file is complete, before it replaces the target.
    void setBeforeReplaceHook(BeforeReplaceHook hook) { beforeReplace_ = std::move(hook); }
    // Test seam: with false, new files are copied through a temporary name, as on file systems
    // without unnamed files.
    void setUnnamedCopies(bool allowed) { unnamedCopies_ = allowed; }
    // Folder scans made to answer case-blind lookups.
    qint64 lookupScans() const { return index_.scans(); }
    // Destination folders held open for the copy.
    qsizetype heldFolders() const { return qsizetype(held_.size()); }

private:
    struct SourceStatus {
        QString path;
        QByteArray native; // the path as the system calls take it
        struct stat st;
    };
    // One attempt of CopyFile; `lastRead` is the status the last attribute read gave.
    void copyFile(const QString& source, const QString& destination, bool overwrite,
                  const SourceStatus* lastRead);
    std::optional<QString> resolve(const QString& normalized, EntryKind kind);
    // The deepest top folder that `path` lies strictly below, if any.
    std::optional<QString> topAbove(const QString& path) const;
    // Opens a folder (O_PATH): below a top folder component by component from the top without
    // following a link; elsewhere as the kernel resolves the path. Invalid (errno set) when the
    // path is not a folder reached so.
    UniqueFd openFolder(const QString& path) const;
    // The entry of `folder` named `name` case-blind, exact name first; a file before a folder.
    // `st` gets its lstat. With `open` (the folder open) names are read relative to it and the
    // index is asked against the stamp read through it.
    struct OpenFolder {
        int fd = -1;
        FolderStamp stamp;
        bool indexCurrent = false; // the folder's index is current against that stamp
    };
    std::optional<QString> existingEntry(const QString& folder, const QString& name,
                                         struct stat& st, const OpenFolder* open = nullptr);
    // While set, existingEntry answers only for the exact name (CopyFileExactly).
    bool exactNames_ = false;
    // Opens the folder a copy goes to, found case-blind when not there as named; `folder` becomes
    // its stored path and `st` its status. The folder stays held open for the next copies.
    std::shared_ptr<const UniqueFd> openDestinationFolder(QString& folder, struct stat& st);
    // A held folder asked for as `given` whose stored path still names the same folder.
    std::shared_ptr<const UniqueFd> heldFolder(const QString& given, QString& folder,
                                               struct stat& st);
    void dropHeldFolders() { held_.clear(); }
    // A folder, found case-blind, opened for reading (its extended attributes, mode and times).
    UniqueFd openFolderForMetadata(const QString& path);
    // lstat of an item, looked up case-blind when not found as given; returns its stored path
    // (and, with `nativePath`, that path as the system calls take it).
    QString statItem(const QString& path, struct stat& st, QByteArray* nativePath = nullptr);

    FolderIndexCache index_;
    // The folders ExactFolderPath found: the top folders of the runs.
    QSet<QString> tops_;
    // The same folders in the order found: while they are few, each is tried against a path.
    QStringList topList_;
    BeforeReplaceHook beforeReplace_;
    bool unnamedCopies_ = true;
    // The last destination folder found case-blind: the files of a folder named in another
    // letter case (as the result lists name them) do not each repeat the search. It serves while
    // the name is not there as given and the folder found is still the same one; the service's
    // own folder creates and deletes drop it.
    struct FolderFound {
        QString given;
        QString stored;
        quint64 device = 0;
        quint64 inode = 0;
    };
    std::optional<FolderFound> lastFolderFound_;
    // The destination folders the copy wrote into last, most recent first, each opened once
    // (through the walk that follows no link below a top folder): the files of a folder are
    // made relative to its handle, not after a walk of the path for each file. An entry is
    // found by the path the copy named the folder by (in the result lists' letter case, which
    // may not be the stored one) and serves while its stored path still names the same folder,
    // which one status read tells. The service's own folder creates and deletes, a new top
    // folder, a new run and the end of the copy's work drop them all.
    struct HeldFolder {
        QString given;
        QString stored;
        QByteArray nativeStored;
        std::shared_ptr<const UniqueFd> fd;
        quint64 device = 0;
        quint64 inode = 0;
        bool belowTop = false; // then the stored path's last component is read without following
    };
    std::deque<HeldFolder> held_;
    // The status of the regular file whose attributes were read last, for a copy of it that
    // follows; taken by the next CopyFile.
    std::optional<SourceStatus> lastSourceRead_;
    // Per folder listed, the temporary files interrupted copies left there (the listing leaves
    // them out); a copy into the folder removes them.
    QHash<QString, QList<QByteArray>> leftovers_;
};

} // namespace pelto
