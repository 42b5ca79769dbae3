#pragma once
// The window's file-system service: passes every call to the program's service and counts the
// files a copy writes and their bytes, so that the status line can tell how far a copy has come
// without the engines knowing of it.

#include "platform/FileSystem.h"

namespace pelto::ui {

class CountingFileSystem : public FileSystem {
public:
    explicit CountingFileSystem(FileSystem& inner) : inner_(inner) {}

    // Files copied and their bytes since the last reset.
    qint64 filesCopied() const { return files_; }
    qint64 bytesCopied() const { return bytes_; }
    void resetCounts() { files_ = bytes_ = 0; }

    void CopyFile(const QString& source, const QString& destination,
                  bool overwrite = true) override;
    void CopyFileExactly(const QString& source, const QString& destination) override;
    void CreateFolder(const QString& path) override { inner_.CreateFolder(path); }
    void CreateFolderExactly(const QString& path) override { inner_.CreateFolderExactly(path); }
    void CopyFolderMetadata(const QString& source, const QString& destination) override {
        inner_.CopyFolderMetadata(source, destination);
    }
    void FinishFolderCopy(const QString& source, const QString& destination) override {
        inner_.FinishFolderCopy(source, destination);
    }
    void StartCopyRun() override { inner_.StartCopyRun(); }
    void EndCopyWork() override { inner_.EndCopyWork(); }
    void DeleteFile(const QString& path, bool force = true) override {
        inner_.DeleteFile(path, force);
    }
    void DeleteFolder(const QString& path, bool force = true) override {
        inner_.DeleteFolder(path, force);
    }
    void SyncFileSystem(const QString& path) override { inner_.SyncFileSystem(path); }
    bool IsDriveRoot(const QString& path) override { return inner_.IsDriveRoot(path); }
    std::optional<QString> ResolvePath(const QString& path, EntryKind kind) override {
        return inner_.ResolvePath(path, kind);
    }
    std::optional<QString> ExactFolderPath(const QString& path) override {
        return inner_.ExactFolderPath(path);
    }
    QList<DirEntry> List(const QString& folderPath) override { return inner_.List(folderPath); }
    QList<DirEntry> ListWithOthers(const QString& folderPath, QStringList& others) override {
        return inner_.ListWithOthers(folderPath, others);
    }
    int AttributesOf(const QString& path) override { return inner_.AttributesOf(path); }
    void SetAttributesOf(const QString& path, int value) override {
        inner_.SetAttributesOf(path, value);
    }
    QDateTime LastModifiedOf(const QString& path) override { return inner_.LastModifiedOf(path); }
    QList<std::optional<qint64>> ModifiedTimesIn(const QString& folderPath,
                                                 const QStringList& names) override {
        return inner_.ModifiedTimesIn(folderPath, names);
    }
    QString MountPointOf(const QString& path) override { return inner_.MountPointOf(path); }
    bool IsReadyAt(const QString& mountPoint) override { return inner_.IsReadyAt(mountPoint); }
    // Reading ahead counts nothing, so the window's check reads ahead wherever the service does.
    bool ReadsAheadSafely() const override { return inner_.ReadsAheadSafely(); }
    std::optional<FolderAhead> ReadFolderAhead(const QString& folderPath) override {
        return inner_.ReadFolderAhead(folderPath);
    }
    void UseFolderAhead(const FolderAhead& ahead) override { inner_.UseFolderAhead(ahead); }
    QList<std::optional<qint64>> ModifiedTimesAhead(const QString& folderPath,
                                                    const QStringList& names) override {
        return inner_.ModifiedTimesAhead(folderPath, names);
    }

private:
    // A copy that returned: one more file, with the bytes of what now lies at the destination.
    void count(const QString& destination);

    FileSystem& inner_;
    qint64 files_ = 0;
    qint64 bytes_ = 0;
};

} // namespace pelto::ui
