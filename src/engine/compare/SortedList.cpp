#include "engine/compare/SortedList.h"

#include "diag/Procedure.h"
#include "platform/RuntimeError.h"

#include <QRandomGenerator>
#include <cmath>
#include <limits>
#include <utility>

namespace pelto {

using diag::noParams;
using diag::Procedure;
using diag::traceParams;

namespace {

constexpr const char* kModule = "SortList";
constexpr qint32 kOverflow = 6;
// Ranges of at most this many pairs are left to the selection sort.
constexpr qint32 kSelectionSortSpan = 50;
constexpr qint32 kMinimumGrowth = 100;

[[noreturn]] void raiseOverflow() {
    throw RuntimeError(kOverflow, QStringLiteral("Overflow"));
}

qint32 checkedCount(qint64 n) {
    if (n > std::numeric_limits<qint32>::max())
        raiseOverflow();
    return static_cast<qint32>(n);
}

// Rounds to the nearest integer, halves to the even one.
qint64 roundHalfEven(double x) {
    return static_cast<qint64>(std::nearbyint(x));
}

// The classic variant type code of a value, as the trace describes values by it.
int variantTypeCode(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return 0; // empty
    case QMetaType::Nullptr:
        return 1; // null
    case QMetaType::Short:
        return 2;
    case QMetaType::Int:
        return 3;
    case QMetaType::Float:
        return 4;
    case QMetaType::Double:
        return 5;
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return 7;
    case QMetaType::QString:
        return 8;
    case QMetaType::QObjectStar:
        return 9;
    case QMetaType::Bool:
        return 11;
    case QMetaType::UChar:
    case QMetaType::SChar:
    case QMetaType::Char:
        return 17;
    case QMetaType::LongLong:
        return 20;
    default:
        return 12; // any other kind of value
    }
}

// The trace shows a value as its own text when its type code occurs in "23456781117" (null,
// numbers, dates, text, Boolean, byte), and as "<variant>" otherwise.
QString addValueText(const QVariant& value) {
    static const QString shownCodes = QStringLiteral("23456781117");
    if (!shownCodes.contains(QString::number(variantTypeCode(value))))
        return QStringLiteral("<variant>");
    switch (value.typeId()) {
    case QMetaType::Nullptr:
        return QStringLiteral("Null");
    case QMetaType::Bool:
        return diag::traceValue(value.toBool());
    case QMetaType::UChar:
    case QMetaType::SChar:
    case QMetaType::Char:
        return QString::number(value.toInt());
    default:
        return value.toString();
    }
}

} // namespace

void SortedList::Clear() {
    Procedure proc(kModule, "Sub Clear", noParams());
    sortedValues_ = {};
    sortedKeys_ = {};
    sortedCount_ = 0;
    pendingValues_ = {};
    pendingKeys_ = {};
    pendingCount_ = 0;
    pendingCapacity_ = 0;
}

qint32 SortedList::FindKey(const QString& key_value) {
    Procedure proc(kModule, "Function FindKey",
                   [&] { return traceParams("key_value", key_value); });
    Sort();
    qint32 lo = 1;
    qint32 hi = sortedCount_;
    int c = 0;
    qint32 mid = 0;
    while (lo <= hi) {
        // Midpoint rounded to the nearest integer, halves to the even one.
        const qint64 sum = qint64(lo) + hi;
        qint64 m = sum / 2;
        if (sum % 2 != 0 && m % 2 != 0)
            ++m;
        mid = static_cast<qint32>(m);
        c = key_value.compare(sortedKeys_[mid - 1], Qt::CaseSensitive);
        if (c == 0)
            return mid;
        if (c > 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return c >= 0 ? mid : mid - 1;
}

QVariant SortedList::Item(qint32 i) {
    Procedure proc(kModule, "Function Item", [&] { return traceParams("i", i); });
    Sort();
    if (i < 1 || i > sortedCount_)
        return QVariant(0);
    return sortedValues_[i - 1];
}

QString SortedList::Key(qint32 i) {
    Procedure proc(kModule, "Function Key", [&] { return traceParams("i", i); });
    Sort();
    if (i < 1 || i > sortedCount_)
        return {};
    return sortedKeys_[i - 1];
}

void SortedList::SelectionSort(qint32 min, qint32 max) {
    Procedure proc(kModule, "Sub SelectionSort",
                   [&] { return traceParams("min", min, "max", max); });
    for (qint32 i = min; i < max; ++i) {
        // The first of equal smallest keys wins.
        qint32 smallest = i;
        for (qint32 j = i + 1; j <= max; ++j) {
            if (pendingKeys_[j - 1] < pendingKeys_[smallest - 1])
                smallest = j;
        }
        if (smallest != i) {
            std::swap(pendingKeys_[i - 1], pendingKeys_[smallest - 1]);
            std::swap(pendingValues_[i - 1], pendingValues_[smallest - 1]);
        }
    }
}

qint32 SortedList::Count() {
    Procedure proc(kModule, "Function Count", noParams());
    qint32 count = 0;
    PELTO_TRY(proc, count, count = checkedCount(qint64(sortedCount_) + pendingCount_));
    return count;
}

void SortedList::Add(const QVariant& value) {
    Procedure proc(kModule, "Sub Add", [&] {
        return traceParams("value", addValueText(value), "key_value", "<Missing>");
    });
    PELTO_TRY(proc, , addPair(value, QString()));
}

void SortedList::Add(const QVariant& value, const QString& key_value) {
    Procedure proc(kModule, "Sub Add", [&] {
        return traceParams("value", addValueText(value), "key_value", key_value);
    });
    PELTO_TRY(proc, , addPair(value, key_value));
}

// Stores a pair at pending position count + 1, growing the buffer when it is full. Either the
// pair is stored and counted or, when growing fails, nothing changes.
void SortedList::addPair(const QVariant& value, const QString& key) {
    const qint32 count = checkedCount(qint64(pendingCount_) + 1);
    if (count > pendingCapacity_) {
        // Grow by a tenth more than the current size, at least by 100: 100, 210, 441, 926, ...
        qint64 increment = roundHalfEven(pendingCapacity_ * 1.1);
        if (increment < kMinimumGrowth)
            increment = kMinimumGrowth;
        const qint32 capacity = checkedCount(pendingCapacity_ + increment);
        pendingKeys_.resize(static_cast<size_t>(capacity));
        pendingValues_.resize(static_cast<size_t>(capacity));
        pendingCapacity_ = capacity;
    }
    pendingKeys_[count - 1] = key;
    pendingValues_[count - 1] = value;
    pendingCount_ = count;
}

void SortedList::Sort() {
    Procedure proc(kModule, "Sub Sort", noParams());
    if (pendingCount_ < 1)
        return;
    if (pendingCount_ > 1)
        Quicksort(1, pendingCount_);
    MergeLists();
}

void SortedList::MergeLists() {
    Procedure proc(kModule, "Sub MergeLists", noParams());
    qint32 total = 0;
    PELTO_TRY(proc, , {
        total = checkedCount(qint64(sortedCount_) + pendingCount_);
        sortedKeys_.resize(static_cast<size_t>(total));
        sortedValues_.resize(static_cast<size_t>(total));
    });
    // An ignored failure above leaves no room to merge into; keep both parts as they are.
    if (total == 0 || sortedKeys_.size() < static_cast<size_t>(total) ||
        sortedValues_.size() < static_cast<size_t>(total))
        return;

    // Merge from the back so that no extra buffer is needed. On equal keys the pending pair goes
    // behind the pair that was already sorted.
    qint32 i = sortedCount_;
    qint32 j = pendingCount_;
    qint32 k = total;
    while (i >= 1 && j >= 1) {
        if (sortedKeys_[i - 1] <= pendingKeys_[j - 1]) {
            sortedKeys_[k - 1] = std::move(pendingKeys_[j - 1]);
            sortedValues_[k - 1] = std::move(pendingValues_[j - 1]);
            --j;
        } else {
            sortedKeys_[k - 1] = std::move(sortedKeys_[i - 1]);
            sortedValues_[k - 1] = std::move(sortedValues_[i - 1]);
            --i;
        }
        --k;
    }
    // Remaining sorted pairs are already in place.
    for (; j >= 1; --j, --k) {
        sortedKeys_[k - 1] = std::move(pendingKeys_[j - 1]);
        sortedValues_[k - 1] = std::move(pendingValues_[j - 1]);
    }
    sortedCount_ = total;
    pendingKeys_ = {};
    pendingValues_ = {};
    pendingCount_ = 0;
    pendingCapacity_ = 0;
}

// Sorts pending positions min..max with a random pivot, so that input that is already in order
// (folder listings often are) does not take quadratic time. The smaller part is sorted by a
// nested call and the larger one by the loop, which keeps the nesting depth logarithmic.
void SortedList::Quicksort(qint32 min, qint32 max) {
    Procedure proc(kModule, "Sub Quicksort", [&] { return traceParams("min", min, "max", max); });
    const auto key = [this](qint32 p) -> QString& { return pendingKeys_[p - 1]; };
    const auto value = [this](qint32 p) -> QVariant& { return pendingValues_[p - 1]; };
    const auto movePair = [&](qint32 from, qint32 to) {
        key(to) = std::move(key(from));
        value(to) = std::move(value(from));
    };

    for (;;) {
        if (max - min <= kSelectionSortSpan) {
            SelectionSort(min, max);
            return;
        }
        const double r = QRandomGenerator::global()->generateDouble();
        qint32 p = static_cast<qint32>(roundHalfEven(r * (double(max) - min + 1) + min));
        if (p > max)
            p = max;

        // Take the pivot out and fill its place with the pair at min: min becomes the hole.
        QString pivotKey = std::move(key(p));
        QVariant pivotValue = std::move(value(p));
        if (p != min)
            movePair(min, p);
        qint32 lo = min;
        qint32 hi = max;
        const auto placePivot = [&](qint32 at) {
            key(at) = std::move(pivotKey);
            value(at) = std::move(pivotValue);
        };
        for (;;) {
            while (hi > lo && key(hi) >= pivotKey)
                --hi;
            if (hi <= lo) {
                placePivot(lo);
                break;
            }
            movePair(hi, lo);
            ++lo;
            while (lo < hi && key(lo) < pivotKey)
                ++lo;
            if (lo >= hi) {
                lo = hi;
                placePivot(hi);
                break;
            }
            movePair(lo, hi);
        }

        if (lo - min < max - lo) {
            Quicksort(min, lo - 1);
            min = lo + 1;
        } else {
            Quicksort(lo + 1, max);
            max = lo - 1;
        }
    }
}

} // namespace pelto
