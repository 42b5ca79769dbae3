#pragma once
// The file-system service: every file and folder operation of the program goes through one
// FileSystem object and the folder, file, file-collection and drive objects it hands out.
//
// Names are looked up case-blind and kept case-preserving: an exact-case name wins, otherwise
// the case-blind match in that folder. The two top folders of a run (those the user or a
// profile line names) are taken exactly as written through the "Exactly" calls. Failures throw RuntimeError with the numbers callers
// route on (err::FileNotFound, err::PermissionDenied, err::PathNotFound, err::LockViolation,
// err::DiskFull).

#include "platform/RuntimeError.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace pelto {

// Attribute bits.
namespace attr {
inline constexpr int ReadOnly = 1;
inline constexpr int Hidden = 2;
inline constexpr int System = 4;
inline constexpr int Volume = 8;
inline constexpr int Directory = 16;
inline constexpr int Archive = 32;
// The bits a write of Attributes may change.
inline constexpr int Writable = ReadOnly | Hidden | System | Archive;
} // namespace attr

// A run-time error of the file-system service with the standard description of its number.
RuntimeError fsError(qint32 number);
// The description the file-system service gives an error number, or "".
QString fsErrorText(qint32 number);

class FileSystem;

// What a folder listing reports per entry. Symbolic links are files (never followed into
// folders); fifos, sockets and devices are not listed at all.
enum class EntryKind { File, Folder };

struct DirEntry {
    QString name;
    EntryKind kind = EntryKind::File;
    bool isLink = false;
};

class File {
public:
    File() = default;
    File(FileSystem& fs, QString path, QString name)
        : fs_(&fs), path_(std::move(path)), name_(std::move(name)) {}

    const QString& Name() const { return name_; }
    const QString& Path() const { return path_; }
    int Attributes() const;
    void SetAttributes(int value) const;
    // Local time of the last change; callers compare it at whole seconds.
    QDateTime DateLastModified() const;

private:
    FileSystem* fs_ = nullptr;
    QString path_;
    QString name_;
};

class FileCollection {
public:
    FileCollection() = default;
    explicit FileCollection(QList<File> files) : files_(std::move(files)) {}
    qsizetype Count() const { return files_.size(); }
    auto begin() const { return files_.begin(); }
    auto end() const { return files_.end(); }
    const File& operator[](qsizetype i) const { return files_[i]; }

private:
    QList<File> files_;
};

class Folder {
public:
    Folder() = default;
    Folder(FileSystem& fs, QString path, QString name)
        : fs_(&fs), path_(std::move(path)), name_(std::move(name)) {}

    const QString& Name() const { return name_; }
    // Full path without a trailing separator, except for the root "/".
    const QString& Path() const { return path_; }
    int Attributes() const;
    void SetAttributes(int value) const;
    // In the order the file system gives them.
    FileCollection Files() const;
    QList<Folder> SubFolders() const;

private:
    FileSystem* fs_ = nullptr;
    QString path_;
    QString name_;
};

// A drive is the mounted volume that holds a path.
class Drive {
public:
    Drive() = default;
    Drive(FileSystem& fs, QString mountPoint) : fs_(&fs), mountPoint_(std::move(mountPoint)) {}
    const QString& Path() const { return mountPoint_; }
    bool IsReady() const;

private:
    FileSystem* fs_ = nullptr;
    QString mountPoint_;
};

// A folder's listing read ahead of its use (see FileSystem::ReadFolderAhead).
struct FolderAhead {
    QString folder; // the folder as asked
    QList<DirEntry> entries;
    QStringList others;
    std::shared_ptr<const void> kept; // what the service needs to take the listing in
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Objects. A missing folder throws err::PathNotFound, a missing file err::FileNotFound.
    Folder GetFolder(const QString& path);
    File GetFile(const QString& path);
    Drive GetDrive(const QString& path);
    bool FolderExists(const QString& path);
    bool FileExists(const QString& path);
    // The folder at exactly the path named: no component is matched in another letter case; a
    // link to a folder is followed.
    // The entry at a path (found case-blind, an exact name first) as a listing of its folder
    // reports it: a file, a folder or a link; nullopt when nothing listed is there.
    std::optional<DirEntry> EntryAt(const QString& path);
    Folder GetFolderExactly(const QString& path);
    bool FolderExistsExactly(const QString& path);

    // Copies one file. With overwrite, an existing destination is replaced atomically: the copy is
    // written beside it and renamed over it, so a failure never destroys the old file. Keeps the
    // modification time and permission bits; a symbolic link is copied as a link.
    virtual void CopyFile(const QString& source, const QString& destination,
                          bool overwrite = true) = 0;
    // The same, replacing only an entry of exactly the destination's name: one that differs
    // only in letter case is a different entry and stays. This default serves services whose
    // lookups see letter case.
    virtual void CopyFileExactly(const QString& source, const QString& destination) {
        CopyFile(source, destination, true);
    }
    // How a folder holds a name, as its listing shows it: exactly, only in another letter case,
    // or not at all. Folded: only in another letter case, and the file system answers for the
    // name as if it were there (a volume that ignores letter case, which cannot hold names that
    // differ only in letter case side by side).
    enum class NameHold { Absent, Exact, OtherCase, Folded };
    NameHold HoldOf(const QString& folder, const QString& name);
    // Creates one folder; its parent must exist.
    virtual void CreateFolder(const QString& path) = 0;
    // Creates one folder named exactly as written, under a parent that exists exactly as written;
    // an entry whose name differs only in letter case does not stand in for it. This default
    // serves services whose lookups see letter case.
    virtual void CreateFolderExactly(const QString& path);
    // Gives a folder the copy has just created (`destination`) what the source folder has
    // besides its attributes: owner and group (as root), extended attributes and ACLs, and its
    // permission bits with the owner's added, so the folder can still be filled. This default
    // serves services that keep none of these.
    virtual void CopyFolderMetadata(const QString& /*source*/, const QString& /*destination*/) {}
    // Once the created folder's content is complete: its exact permission bits and the source
    // folder's modification time, which the filling changed.
    virtual void FinishFolderCopy(const QString& /*source*/, const QString& /*destination*/) {}
    // A copy run begins: files that are hard links of each other are linked in the destination
    // when this run copies them, whatever earlier runs copied.
    virtual void StartCopyRun() {}
    // The copy's work is over: a service that holds folders open for it closes them, so that
    // nothing keeps the volume busy after the copy.
    virtual void EndCopyWork() {}
    // With force, read-only items are deleted too. Never follows a symbolic link.
    virtual void DeleteFile(const QString& path, bool force = true) = 0;
    virtual void DeleteFolder(const QString& path, bool force = true) = 0;

    // Writes everything the system holds in memory for the file system of `path` (a folder) to
    // its device, so that what was copied outlives a power cut.
    virtual void SyncFileSystem(const QString& path) = 0;

    // True when the path is the mount point of a volume (what the program calls a drive root).
    virtual bool IsDriveRoot(const QString& path) = 0;

    // Primitives behind the objects, on paths that exist with their stored letter case.
    // Resolves a path case-blind; nullopt when some component does not exist.
    virtual std::optional<QString> ResolvePath(const QString& path, EntryKind kind) = 0;
    // The normalized path when a folder (or a link to one) is there exactly as named, else
    // nullopt. This default takes what ResolvePath finds only when it is the path as named.
    virtual std::optional<QString> ExactFolderPath(const QString& path);
    virtual QList<DirEntry> List(const QString& folderPath) = 0;
    // The same listing, and in `others` the names of the entries it leaves out because they are
    // neither files nor folders (fifos, sockets, devices). This default knows of none.
    virtual QList<DirEntry> ListWithOthers(const QString& folderPath, QStringList& others);
    virtual int AttributesOf(const QString& path) = 0;
    virtual void SetAttributesOf(const QString& path, int value) = 0;
    virtual QDateTime LastModifiedOf(const QString& path) = 0;
    // Modification times, in milliseconds since the epoch, of entries of one folder given by
    // their stored names, in the order asked; nullopt for an entry that cannot be read (ask
    // LastModifiedOf for its error). A walk calls this once per folder instead of a path lookup
    // per file; this default asks LastModifiedOf for each.
    virtual QList<std::optional<qint64>> ModifiedTimesIn(const QString& folderPath,
                                                         const QStringList& names);
    virtual QString MountPointOf(const QString& path) = 0;
    virtual bool IsReadyAt(const QString& mountPoint) = 0;

    // Reading ahead on a second thread. A service that answers true lets ReadFolderAhead and
    // ModifiedTimesAhead run on one other thread while its owner goes on using it. The default
    // answers false, and then nothing is read ahead: every call reaches the service as it is.
    virtual bool ReadsAheadSafely() const { return false; }
    // A folder's listing as ListWithOthers gives it, read without changing anything the service
    // keeps; nullopt when it cannot be read so (the walk then asks ListWithOthers, which reports
    // the error). The service takes the listing in through UseFolderAhead when it is used.
    virtual std::optional<FolderAhead> ReadFolderAhead(const QString& /*folderPath*/) {
        return std::nullopt;
    }
    // On the owner's thread: a listing read ahead is used as if ListWithOthers had read it now.
    virtual void UseFolderAhead(const FolderAhead& /*ahead*/) {}
    // ModifiedTimesIn without changing anything the service keeps; an empty list when the
    // folder cannot be opened as named.
    virtual QList<std::optional<qint64>> ModifiedTimesAhead(const QString& /*folderPath*/,
                                                            const QStringList& /*names*/) {
        return {};
    }
};

} // namespace pelto
