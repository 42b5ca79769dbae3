#pragma once
// Lines of a result list as wide as the list's horizontal scroll extent, so that a long line can
// be scrolled into view (the views size every line like the first).

#include <QStyledItemDelegate>
#include <algorithm>

namespace pelto::ui {

class ExtentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setExtent(int pixels) { extent_ = pixels; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {std::max(size.width(), extent_), size.height()};
    }

private:
    int extent_ = 0;
};

} // namespace pelto::ui
