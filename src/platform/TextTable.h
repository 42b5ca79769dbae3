#pragma once
// A table of texts addressed by (field, row), the shape of the profile table and the folder
// record: fields 0..lastField, rows 0..upperBound. Rows can be added keeping the contents; an
// index outside the table raises "Subscript out of range" (9) instead of touching memory.

#include "platform/RuntimeError.h"

#include <QString>
#include <vector>

namespace pelto {

namespace err {
inline constexpr qint32 SubscriptOutOfRange = 9;
} // namespace err

class TextTable {
public:
    TextTable() = default;
    TextTable(int lastField, int upperBound) { redim(lastField, upperBound); }

    int lastField() const { return lastField_; }
    // The highest row index; -1 while the table has no rows.
    int upperBound() const { return upperBound_; }

    const QString& at(int field, int row) const { return cells_[index(field, row)]; }
    void set(int field, int row, QString text) { cells_[index(field, row)] = std::move(text); }

    // A new table of empty texts.
    void redim(int lastField, int upperBound) {
        lastField_ = lastField < 0 ? -1 : lastField;
        upperBound_ = upperBound < 0 ? -1 : upperBound;
        cells_.assign(width() * static_cast<std::size_t>(upperBound_ + 1), QString());
    }
    // Changes the number of rows, keeping the texts of the rows that stay.
    void redimPreserve(int upperBound) {
        upperBound_ = upperBound < 0 ? -1 : upperBound;
        cells_.resize(width() * static_cast<std::size_t>(upperBound_ + 1));
    }

private:
    std::size_t width() const { return static_cast<std::size_t>(lastField_ + 1); }
    std::size_t index(int field, int row) const {
        if (field < 0 || field > lastField_ || row < 0 || row > upperBound_)
            throw RuntimeError(err::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        return static_cast<std::size_t>(row) * width() + static_cast<std::size_t>(field);
    }

    int lastField_ = -1;
    int upperBound_ = -1;
    std::vector<QString> cells_;
};

} // namespace pelto
