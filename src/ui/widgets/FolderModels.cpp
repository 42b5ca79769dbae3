#include "ui/widgets/FolderModels.h"

#include "platform/FsPath.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>

namespace pelto::ui {

void sortNames(QStringList& names) {
    std::ranges::sort(names, [](const QString& a, const QString& b) {
        const int blind = QString::compare(a, b, Qt::CaseInsensitive);
        return blind != 0 ? blind < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
}

void FolderListModel::show(const QString& root, const QString& open, QStringList subfolders) {
    if (openIcon_.isNull()) {
        openIcon_ = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
        closedIcon_ = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    }
    QList<Row> chain;
    for (QString folder = open; !folder.isEmpty(); folder = fspath::parentOf(folder)) {
        const bool atRoot = folder == root || !fspath::isWithin(folder, root);
        chain.prepend({folder, atRoot ? folder : fspath::nameOf(folder), 0});
        if (atRoot)
            break;
    }
    for (int depth = 0; depth < chain.size(); ++depth)
        chain[depth].depth = depth;
    sortNames(subfolders);
    beginResetModel();
    rows_ = std::move(chain);
    openRow_ = int(rows_.size()) - 1;
    rows_.reserve(rows_.size() + subfolders.size());
    const int depth = openRow_ + 1;
    for (QString& name : subfolders)
        rows_.append({fspath::join(open, name), std::move(name), depth});
    endResetModel();
}

void FolderListModel::clear() {
    beginResetModel();
    rows_.clear();
    openRow_ = -1;
    endResetModel();
}

QString FolderListModel::pathAt(int row) const {
    return row >= 0 && row < rows_.size() ? rows_[row].path : QString();
}

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const Row& row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return row.name;
    case Qt::DecorationRole:
        return index.row() <= openRow_ ? openIcon_ : closedIcon_;
    case PathRole:
        return row.path;
    case DepthRole:
        return row.depth;
    default:
        return {};
    }
}

void FileListModel::show(QStringList names) {
    sortNames(names);
    beginResetModel();
    names_ = std::move(names);
    endResetModel();
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= names_.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return names_[index.row()];
    return {};
}

} // namespace pelto::ui
