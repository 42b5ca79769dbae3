#include "engine/compare/ResultList.h"

#include <algorithm>
#include <limits>

namespace pelto {

ResultList::ResultList(QObject* parent) : QAbstractListModel(parent) {}

QString ResultList::item(qsizetype index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : QString();
}

void ResultList::add(const QString& line, LineData data) {
    if (data.kind != LineData::Kind::Untrusted) {
        data_.resize(static_cast<size_t>(items_.size()));
        data_.push_back(std::move(data));
    }
    items_.append(line);
}

const LineData& ResultList::lineData(qsizetype index) const {
    static const LineData untrusted;
    return index >= 0 && static_cast<size_t>(index) < data_.size()
               ? data_[static_cast<size_t>(index)]
               : untrusted;
}

void ResultList::removeLines(qsizetype first, qsizetype end) {
    first = std::max<qsizetype>(first, 0);
    end = std::min(end, items_.size());
    if (first >= end)
        return;
    beginResetModel();
    items_.remove(first, end - first);
    if (static_cast<size_t>(first) < data_.size())
        data_.erase(data_.begin() + first,
                    data_.begin() + std::min<qsizetype>(end, static_cast<qsizetype>(data_.size())));
    published_ = std::min(published_, items_.size());
    endResetModel();
    if (selected_ >= items_.size())
        setSelectedIndex(-1);
}

void ResultList::clear() {
    beginResetModel();
    items_.clear();
    data_.clear();
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
