#include "ui/widgets/FolderModels.h"

#include "platform/FsPath.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>

namespace pelto::ui {

void sortNames(QStringList& names) {
    // Lower-cased once per name, not once per comparison.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(names.size());
    for (QString& name : names)
        keyed.emplace_back(fspath::lowerCase(name), std::move(name));
    std::ranges::sort(keyed, [](const auto& a, const auto& b) {
        const int blind = QString::compare(a.first, b.first, Qt::CaseSensitive);
        return blind != 0 ? blind < 0 : QString::compare(a.second, b.second, Qt::CaseSensitive) < 0;
    });
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[i].second);
}

void FolderListModel::show(const QString& root, const QString& open, QStringList subfolders) {
    if (openIcon_.isNull()) {
        openIcon_ = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
        closedIcon_ = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    }
    QList<Row> chain;
    for (QString folder = open; !folder.isEmpty(); folder = fspath::parentOf(folder)) {
        const bool atRoot = folder == root || !fspath::isWithin(folder, root);
        chain.prepend({folder, atRoot ? folder : fspath::nameOf(folder)});
        if (atRoot)
            break;
    }
    sortNames(subfolders);
    beginResetModel();
    chain_ = std::move(chain);
    open_ = open;
    subfolders_ = std::move(subfolders);
    openRow_ = int(chain_.size()) - 1;
    endResetModel();
}

void FolderListModel::clear() {
    beginResetModel();
    chain_.clear();
    open_.clear();
    subfolders_.clear();
    openRow_ = -1;
    endResetModel();
}

QString FolderListModel::pathAt(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return row <= openRow_ ? chain_[row].path
                           : fspath::join(open_, subfolders_[row - openRow_ - 1]);
}

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(chain_.size() + subfolders_.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row >= rowCount())
        return {};
    const bool inChain = row <= openRow_;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return inChain ? chain_[row].name : subfolders_[row - openRow_ - 1];
    case Qt::DecorationRole:
        return inChain ? openIcon_ : closedIcon_;
    case PathRole:
        return pathAt(row);
    case DepthRole:
        return inChain ? row : openRow_ + 1;
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
