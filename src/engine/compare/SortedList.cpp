#include "engine/compare/SortedList.h"

#include "diag/Procedure.h"
#include "engine/compare/KeyOrder.h"
#include "platform/RuntimeError.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

namespace pelto {

using detail::codesOf;
using detail::compareKeyCodes;
using detail::compareKeys;
using diag::noParams;
using diag::Procedure;
using diag::traceParams;

namespace {

constexpr const char* kModule = "SortList";
// Ranges of at most this many pairs are left to the selection sort.
constexpr qint32 kSelectionSortSpan = 50;
constexpr qint32 kMinimumGrowth = 100;

[[noreturn]] void raiseOverflow() {
    throw RuntimeError(err::Overflow, QStringLiteral("Overflow"));
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

QVariant SortedList::toVariant(const Value& value) const {
    if (value.other < 0)
        return QVariant(value.number);
    return others_[static_cast<size_t>(value.other)];
}

namespace {

// Four codes of a text from position `from` on, in code order (the first in the highest bits);
// past the end of the text, 0.
quint64 fourCodesAt(const char16_t* text, qint32 size, qint32 from) {
    if (from + 4 <= size)
        return detail::fourCodesInOrder(detail::loadFourCodes(text + from));
    quint64 codes = 0;
    for (qint32 k = from; k < from + 4; ++k)
        codes = (codes << 16) | (k < size ? text[k] : 0u);
    return codes;
}

} // namespace

SortedList::SortRef SortedList::refTo(const QString& key, qint32 pair) {
    SortRef ref;
    ref.text = codesOf(key);
    ref.size = static_cast<qint32>(key.size());
    ref.pair = pair;
    // Shorter texts pad with 0, which keeps the binary order: a text sorts before any longer
    // text it begins, and equal heads leave the decision to the whole texts.
    ref.head = fourCodesAt(ref.text, ref.size, 0);
    ref.head2 = fourCodesAt(ref.text, ref.size, 4);
    return ref;
}

// The texts of two references with equal heads, which agree on their first codes, up to eight.
bool SortedList::tailPrecedes(const SortRef& a, const SortRef& b) {
    return compareKeyCodes(a.text, a.size, b.text, b.size, std::min({a.size, b.size, qint32(8)})) <
           0;
}

// Most keys differ in their first eight codes: that test stays inline in the sort's loops.
inline bool SortedList::precedes(const SortRef& a, const SortRef& b) {
    if (a.head != b.head)
        return a.head < b.head;
    if (a.head2 != b.head2)
        return a.head2 < b.head2;
    return tailPrecedes(a, b);
}

void SortedList::Clear() {
    Procedure proc(kModule, "Sub Clear", noParams());
    sortedValues_ = {};
    sortedKeys_ = {};
    sortedCount_ = 0;
    pendingValues_ = {};
    pendingKeys_ = {};
    pendingCount_ = 0;
    pendingCapacity_ = 0;
    order_ = {};
    others_ = {};
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
        c = compareKeys(key_value, sortedKeys_[mid - 1]);
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
    return toVariant(sortedValues_[i - 1]);
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
    SortRef* const refs = order_.data(); // position p at index p - 1
    for (qint32 i = min; i < max; ++i) {
        // The first of equal smallest keys wins.
        SortRef* smallest = &refs[i - 1];
        for (qint32 j = i + 1; j <= max; ++j) {
            if (precedes(refs[j - 1], *smallest))
                smallest = &refs[j - 1];
        }
        if (smallest != &refs[i - 1])
            std::swap(refs[i - 1], *smallest);
    }
}

qint32 SortedList::Count() {
    Procedure proc(kModule, "Function Count", noParams());
    const auto trap = proc.trap();
    return trap([&] { return checkedCount(qint64(sortedCount_) + pendingCount_); }).valueOr(0);
}

void SortedList::Add(const QVariant& value) {
    Procedure proc(kModule, "Sub Add", [&] {
        return traceParams("value", addValueText(value), "key_value", "<Missing>");
    });
    const auto trap = proc.trap();
    trap([&] { addPair(value, QString()); });
}

void SortedList::Add(const QVariant& value, const QString& key_value) {
    Procedure proc(kModule, "Sub Add", [&] {
        return traceParams("value", addValueText(value), "key_value", key_value);
    });
    const auto trap = proc.trap();
    trap([&] { addPair(value, key_value); });
}

void SortedList::addNumbered(qint32 value, QString key_value) {
    // Traced as Add traces an integer value.
    Procedure proc(kModule, "Sub Add",
                   [&] { return traceParams("value", value, "key_value", key_value); });
    // The key moves into the list unless the trace still shows it at the exit.
    const auto trap = proc.trap();
    if (diag::TraceActive())
        trap([&] { addPair(value, key_value); });
    else
        trap([&] { addPair(value, std::move(key_value)); });
}

// Stores a pair at pending position count + 1, growing the buffer when it is full. Either the
// pair is stored and counted or, when growing fails, nothing changes (the key is taken only then).
template <typename V, typename Text> void SortedList::addPair(const V& value, Text&& key) {
    const qint32 count = checkedCount(qint64(pendingCount_) + 1);
    if (count > pendingCapacity_) {
        // Grow by a tenth more than the current size, at least by 100: 100, 210, 441, 926, ...
        qint64 increment = roundHalfEven(pendingCapacity_ * 1.1);
        if (increment < kMinimumGrowth)
            increment = kMinimumGrowth;
        const qint32 capacity = checkedCount(pendingCapacity_ + increment);
        pendingKeys_.reserve(static_cast<size_t>(capacity));
        pendingValues_.reserve(static_cast<size_t>(capacity));
        pendingCapacity_ = capacity;
    }
    Value stored{0};
    if constexpr (std::is_same_v<V, qint32>) {
        stored.number = value;
    } else if (value.typeId() == QMetaType::Int) {
        stored.number = value.toInt();
    } else {
        others_.push_back(value);
        stored.other = static_cast<qint32>(others_.size() - 1);
    }
    pendingKeys_.push_back(std::forward<Text>(key));
    pendingValues_.push_back(stored);
    pendingCount_ = count;
}

void SortedList::Sort() {
    Procedure proc(kModule, "Sub Sort", noParams());
    if (pendingCount_ < 1)
        return;
    // The sort moves references to the pending keys; the pairs move once, in the merge.
    const auto trap = proc.trap();
    if (!trap([&] {
            order_.clear();
            order_.reserve(static_cast<size_t>(pendingCount_));
            for (qint32 k = 0; k < pendingCount_; ++k)
                order_.push_back(refTo(pendingKeys_[static_cast<size_t>(k)], k));
        }))
        return;
    if (order_.size() != static_cast<size_t>(pendingCount_))
        return; // no room to sort in: the pairs stay pending
    if (pendingCount_ > 1)
        Quicksort(1, pendingCount_);
    MergeLists();
}

void SortedList::MergeLists() {
    Procedure proc(kModule, "Sub MergeLists", noParams());
    qint32 total = 0;
    const auto trap = proc.trap();
    if (!trap([&] {
            total = checkedCount(qint64(sortedCount_) + pendingCount_);
            sortedKeys_.resize(static_cast<size_t>(total));
            sortedValues_.resize(static_cast<size_t>(total));
        }))
        return;
    // An ignored failure above leaves no room to merge into; keep both parts as they are.
    if (total == 0 || sortedKeys_.size() < static_cast<size_t>(total) ||
        sortedValues_.size() < static_cast<size_t>(total))
        return;

    // Merge from the back so that no extra buffer is needed. On equal keys the pending pair goes
    // behind the pair that was already sorted. Pending position j is the pair order_[j - 1] names.
    const auto takePending = [this](qint32 j, qint32 k) {
        const auto pair = static_cast<size_t>(order_[j - 1].pair);
        sortedKeys_[k - 1] = std::move(pendingKeys_[pair]);
        sortedValues_[k - 1] = std::move(pendingValues_[pair]);
    };
    qint32 i = sortedCount_;
    qint32 j = pendingCount_;
    qint32 k = total;
    while (i >= 1 && j >= 1) {
        const SortRef& pending = order_[j - 1];
        const QString& sorted = sortedKeys_[i - 1];
        if (compareKeyCodes(codesOf(sorted), sorted.size(), pending.text, pending.size, 0) <= 0) {
            takePending(j, k);
            --j;
        } else {
            sortedKeys_[k - 1] = std::move(sortedKeys_[i - 1]);
            sortedValues_[k - 1] = std::move(sortedValues_[i - 1]);
            --i;
        }
        --k;
    }
    // Remaining sorted pairs are already in place.
    for (; j >= 1; --j, --k)
        takePending(j, k);
    sortedCount_ = total;
    pendingKeys_ = {};
    pendingValues_ = {};
    order_ = {};
    pendingCount_ = 0;
    pendingCapacity_ = 0;
}

// Sorts pending positions min..max with a random pivot, so that input that is already in order
// (folder listings often are) does not take quadratic time. The smaller part is sorted by a
// nested call and the larger one by the loop, which keeps the nesting depth logarithmic.
void SortedList::Quicksort(qint32 min, qint32 max) {
    Procedure proc(kModule, "Sub Quicksort", [&] { return traceParams("min", min, "max", max); });
    const auto at = [this](qint32 p) -> SortRef& { return order_[static_cast<size_t>(p - 1)]; };

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
        const SortRef pivot = at(p);
        if (p != min)
            at(p) = at(min);
        qint32 lo = min;
        qint32 hi = max;
        for (;;) {
            while (hi > lo && !precedes(at(hi), pivot))
                --hi;
            if (hi <= lo) {
                at(lo) = pivot;
                break;
            }
            at(lo) = at(hi);
            ++lo;
            while (lo < hi && precedes(at(lo), pivot))
                ++lo;
            if (lo >= hi) {
                lo = hi;
                at(hi) = pivot;
                break;
            }
            at(hi) = at(lo);
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
