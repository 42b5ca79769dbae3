#pragma once
// A file-system service for tests that passes every operation on to another service, except that
// a chosen operation on a chosen path raises a chosen error number; objects it hands out call
// back through it.

#include "platform/FileSystem.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace pelto {

// The operations a fault can be put on (object calls go through the service call they use).
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
    SyncFileSystem,
};

class FaultInjectingFileSystem : public FileSystem {
public:
    static constexpr int kAlways = -1;

    explicit FaultInjectingFileSystem(FileSystem& inner) : inner_(inner) {}

    // The next `times` calls (kAlways: all) of `op` on `path` (case-blind, either end of a copy;
    // empty: any path) raise `number`.
    void inject(FsOp op, const QString& path, qint32 number, int times = 1);
    void clearFaults() { faults_.clear(); }
    // Calls of an operation so far, faulted ones included (FsOp::Any: of all operations).
    int calls(FsOp op) const;
    // Drives mounted at `mountPoint` answer IsReady false while this holds.
    void setNotReady(const QString& mountPoint, bool notReady = true);

    void CopyFile(const QString& from, const QString& to, bool overwrite = true) override {
        pass(FsOp::CopyFile, from, to).CopyFile(from, to, overwrite);
    }
    void CopyFileExactly(const QString& from, const QString& to) override {
        pass(FsOp::CopyFile, from, to).CopyFileExactly(from, to);
    }
    void CreateFolder(const QString& p) override { pass(FsOp::CreateFolder, p).CreateFolder(p); }
    void CopyFolderMetadata(const QString& from, const QString& to) override {
        inner_.CopyFolderMetadata(from, to);
    }
    void FinishFolderCopy(const QString& from, const QString& to) override {
        inner_.FinishFolderCopy(from, to);
    }
    void StartCopyRun() override { inner_.StartCopyRun(); }
    void EndCopyWork() override { inner_.EndCopyWork(); }
    void DeleteFile(const QString& p, bool force = true) override {
        pass(FsOp::DeleteFile, p).DeleteFile(p, force);
    }
    void DeleteFolder(const QString& p, bool force = true) override {
        pass(FsOp::DeleteFolder, p).DeleteFolder(p, force);
    }
    void SyncFileSystem(const QString& p) override {
        pass(FsOp::SyncFileSystem, p).SyncFileSystem(p);
    }
    bool IsDriveRoot(const QString& p) override {
        return pass(FsOp::IsDriveRoot, p).IsDriveRoot(p);
    }
    std::optional<QString> ResolvePath(const QString& p, EntryKind kind) override {
        return pass(FsOp::ResolvePath, p).ResolvePath(p, kind);
    }
    QList<DirEntry> List(const QString& p) override { return pass(FsOp::List, p).List(p); }
    QList<DirEntry> ListWithOthers(const QString& p, QStringList& others) override {
        return pass(FsOp::List, p).ListWithOthers(p, others);
    }
    int AttributesOf(const QString& p) override {
        return pass(FsOp::AttributesOf, p).AttributesOf(p);
    }
    void SetAttributesOf(const QString& p, int value) override {
        pass(FsOp::SetAttributesOf, p).SetAttributesOf(p, value);
    }
    QDateTime LastModifiedOf(const QString& p) override {
        return pass(FsOp::LastModifiedOf, p).LastModifiedOf(p);
    }
    QString MountPointOf(const QString& p) override {
        return pass(FsOp::MountPointOf, p).MountPointOf(p);
    }
    bool IsReadyAt(const QString& mountPoint) override;

private:
    struct Fault {
        FsOp op;
        QString key; // "" for any path
        qint32 number;
        int remaining; // kAlways for no end
    };

    // Counts the call, raises the first armed fault that matches it, else gives the inner service.
    FileSystem& pass(FsOp op, const QString& path, const QString& otherPath = {});

    FileSystem& inner_;
    std::vector<Fault> faults_;
    QHash<int, int> calls_;
    QSet<QString> notReady_;
};

} // namespace pelto
