#include "engine/compare/ResultList.h"

#include <limits>

namespace pelto {

ResultList::ResultList(QObject* parent) : QAbstractListModel(parent) {}

QString ResultList::item(qsizetype index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : QString();
}

void ResultList::add(const QString& line) {
    items_.append(line);
}

void ResultList::clear() {
    beginResetModel();
    items_.clear();
    published_ = 0;
    endResetModel();
    if (selected_ != -1) {
        selected_ = -1;
        Q_EMIT selectedIndexChanged(selected_);
    }
}

void ResultList::setSelectedIndex(qsizetype index) {
    if (index < -1 || index >= items_.size())
        index = -1;
    publish();
    if (index == selected_)
        return;
    selected_ = index;
    Q_EMIT selectedIndexChanged(selected_);
}

void ResultList::setFontName(const QString& name) {
    if (name == fontName_)
        return;
    fontName_ = name;
    Q_EMIT fontNameChanged(fontName_);
}

void ResultList::publish() {
    // A view addresses rows by int; lines beyond that stay stored but unshown.
    const qsizetype target = std::min<qsizetype>(items_.size(), std::numeric_limits<int>::max());
    if (target <= published_)
        return;
    beginInsertRows(QModelIndex(), static_cast<int>(published_), static_cast<int>(target - 1));
    published_ = target;
    endInsertRows();
}

int ResultList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(published_);
}

QVariant ResultList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= published_)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return items_.at(index.row());
    return {};
}

} // namespace pelto
