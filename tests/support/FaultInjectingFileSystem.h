#pragma once
// A file-system service for tests that raises chosen errors: it passes every operation on to
// another service, except that a chosen operation on a chosen path raises a chosen error number,
// once, a number of times or always. The folder, file and drive objects it hands out call back
// through it, so faults on listings or attribute writes reach code that holds such objects.
//
//   LinuxFileSystem real;
//   FaultInjectingFileSystem fs(real);
//   fs.inject(FsOp::CopyFile, dst + "/locked.txt", err::LockViolation, 2);
//   fs.inject(FsOp::SetAttributesOf, {}, err::PermissionDenied, FaultInjectingFileSystem::kAlways);

#include "platform/FileSystem.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace pelto {

// The operations a fault can be put on. GetFolder, GetFile, FolderExists and FileExists go
// through ResolvePath, Files and SubFolders through List, GetDrive through MountPointOf,
// attributes through AttributesOf and SetAttributesOf, DateLastModified through LastModifiedOf,
// IsReady through IsReadyAt.
enum class FsOp {
    Any,
    CopyFile,
    CreateFolder,
    DeleteFile,
    DeleteFolder,
    IsDriveRoot,
    ResolvePath,
    List,
    AttributesOf,
    SetAttributesOf,
    LastModifiedOf,
    MountPointOf,
    IsReadyAt,
};

class FaultInjectingFileSystem : public FileSystem {
public:
    static constexpr int kAlways = -1;

    explicit FaultInjectingFileSystem(FileSystem& inner) : inner_(inner) {}

    // The next `times` calls of `op` (FsOp::Any: of every operation) on `path` raise `number`
    // (kAlways: every call does). The path is compared case-blind, after cleaning, with the path
    // the operation receives; for CopyFile with its source and its destination. An empty path
    // matches every path. Faults are tried in the order they were injected.
    void inject(FsOp op, const QString& path, qint32 number, int times = 1);
    void clearFaults() { faults_.clear(); }
    // Faults still armed (kAlways ones included).
    qsizetype armedFaults() const { return qsizetype(faults_.size()); }
    // Faults raised so far.
    int faultsRaised() const { return raised_; }
    // Calls of an operation so far, faulted ones included (FsOp::Any: of all operations).
    int calls(FsOp op) const;

    // Drives mounted at `mountPoint` answer IsReady false while this holds.
    void setNotReady(const QString& mountPoint, bool notReady = true);

    void CopyFile(const QString& source, const QString& destination,
                  bool overwrite = true) override;
    void CreateFolder(const QString& path) override;
    void DeleteFile(const QString& path, bool force = true) override;
    void DeleteFolder(const QString& path, bool force = true) override;
    bool IsDriveRoot(const QString& path) override;
    std::optional<QString> ResolvePath(const QString& path, EntryKind kind) override;
    QList<DirEntry> List(const QString& folderPath) override;
    int AttributesOf(const QString& path) override;
    void SetAttributesOf(const QString& path, int value) override;
    QDateTime LastModifiedOf(const QString& path) override;
    QString MountPointOf(const QString& path) override;
    bool IsReadyAt(const QString& mountPoint) override;

private:
    struct Fault {
        FsOp op;
        QString key; // "" for any path
        qint32 number;
        int remaining; // kAlways for no end
    };

    // Counts the call and raises the first armed fault that matches it.
    void enter(FsOp op, const QString& path, const QString& otherPath = {});

    FileSystem& inner_;
    std::vector<Fault> faults_;
    QHash<int, int> calls_;
    QSet<QString> notReady_;
    int raised_ = 0;
};

} // namespace pelto
