#include "profiles/ProfileListModel.h"

#include "profiles/ProfileLine.h"

namespace pelto {

ProfileListModel::ProfileListModel(QObject* parent) : QAbstractListModel(parent) {}

int ProfileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant ProfileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= items_.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return items_[index.row()];
    return {};
}

QString ProfileListModel::lineFor(const QString& source, const QString& subdirsColumn,
                                  const QString& destination, const QString& excludes) {
    // A blank keeps the exclusions apart from a destination that fills its column.
    return displayPath(source) + subdirsColumn + displayPath(destination) +
           (excludes.isEmpty() ? QString() : QLatin1Char(' ') + excludes);
}

QString ProfileListModel::item(qsizetype index) const {
    return index >= 0 && index < items_.size() ? items_[index] : QString();
}

void ProfileListModel::add(const QString& line) {
    const int row = static_cast<int>(items_.size());
    beginInsertRows(QModelIndex(), row, row);
    items_.append(line);
    endInsertRows();
}

void ProfileListModel::clear() {
    beginResetModel();
    items_.clear();
    endResetModel();
    setSelectedIndex(-1);
}

void ProfileListModel::setSelectedIndex(qsizetype index) {
    const qsizetype chosen = (index >= 0 && index < items_.size()) ? index : -1;
    if (chosen == selected_)
        return;
    selected_ = chosen;
    Q_EMIT selectedIndexChanged(selected_);
}

} // namespace pelto
