#pragma once
// One side's folder picker: a drive list of the mounted volumes, a folder list of the open
// folder's ancestors and subfolders, and a file list of the open folder's files.
//
// A click on a folder line highlights it; a double-click or Enter opens it, and the file list
// follows. The highlighted line is path(), the folder a check uses. A drive chosen in the drive
// list (by the user or from code) opens its mount point; a volume that cannot be read asks
// "Drive is not available." with Retry and Cancel, and Cancel goes to the drive list's second
// entry. Listings go through the program's file-system service.

#include "platform/Volumes.h"
#include "ui/widgets/FolderModels.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QComboBox;
class QListView;

namespace pelto {
class FileSystem;
}

namespace pelto::ui {

class FolderBrowser : public QObject {
    Q_OBJECT
public:
    using VolumeSource = std::function<QList<Volume>()>;

    // Fills the drive list and opens the current folder. The widgets stay the caller's.
    FolderBrowser(QComboBox* drives, QListView* folders, QListView* files, QObject* parent);
    ~FolderBrowser() override;

    // The highlighted folder (what a check uses); "" when no folder is open.
    QString path() const;
    // Opens a folder and highlights it; a folder that is missing or on a volume that cannot be
    // read is skipped quietly and the open folder stays.
    void setPath(const QString& path);
    // The folder the lists show open.
    const QString& openFolder() const { return open_; }

    // Reads the mounted volumes again (a stick was plugged in); the open folder stays. A click
    // that opens the drive list does this too.
    void refreshDrives();
    // Where the volumes come from (the mounted ones by default); the drive list is filled again.
    void setVolumeSource(VolumeSource source);

Q_SIGNALS:
    void pathChanged(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Listing {
        QStringList folders;
        QStringList files;
    };

    void driveChosen(int index);
    void openRow(int row);
    // Lists `folder` and shows it open within the volume at `root`.
    void show(const QString& root, const QString& folder, Listing listing);
    Listing list(const QString& folder);
    void highlight(int row);
    void emitIfChanged();
    void selectDriveQuietly(int index);
    int driveIndexOf(const QString& path) const;
    FileSystem& fs();

    QPointer<QComboBox> drives_;
    QPointer<QListView> folders_;
    QPointer<QListView> files_;
    FolderListModel folderModel_;
    FileListModel fileModel_;
    VolumeSource source_;
    QList<Volume> volumes_;
    QString root_;
    QString open_;
    QString reported_;
    std::unique_ptr<FileSystem> ownFs_;
    QByteArray driveProc_;
    QByteArray folderProc_;
};

} // namespace pelto::ui
