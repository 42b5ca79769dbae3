#pragma once
// The list models behind the folder list and the file list. Each holds plain rows and is
// replaced in one reset, so that a folder of 100 000 entries fills a uniform-row view at once.

#include <QAbstractListModel>
#include <QIcon>
#include <QList>
#include <QString>

namespace pelto::ui {

// The open folder's ancestors from its volume's mount point down, the open folder, then its
// subfolders; each row knows its depth for indenting.
class FolderListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int PathRole = Qt::UserRole;
    static constexpr int DepthRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    // `root` is the volume's mount point, `open` lies within it, `subfolders` are names.
    void show(const QString& root, const QString& open, QStringList subfolders);
    void clear();

    QString pathAt(int row) const;
    // The row of the open folder (-1 when nothing is shown).
    int openRow() const { return openRow_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Row {
        QString path;
        QString name;
    };
    // The ancestors down to the open folder, then the subfolders by name only: their paths are
    // joined when asked for, so a folder of 100 000 subfolders costs one string each.
    QList<Row> chain_;
    QString open_;
    QStringList subfolders_;
    int openRow_ = -1;
    QIcon openIcon_;
    QIcon closedIcon_;
};

// The files of the open folder, by name.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void show(QStringList names);
    const QStringList& names() const { return names_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QStringList names_;
};

// Sorts names as a user reads them: letter case set aside, then exact order for a stable list.
void sortNames(QStringList& names);

} // namespace pelto::ui
