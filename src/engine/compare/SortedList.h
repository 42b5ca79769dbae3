#pragma once
// A list of (key, value) pairs that hands them back in ascending key order.
//
// Adding is cheap: pairs go into an unsorted pending buffer, which is sorted and merged into the
// sorted part only when the list is next read (Key, Item, FindKey) or when Sort is called. Keys
// compare by the binary order of their 16-bit character codes; callers that want case-blind order
// lower-case the keys before adding them. Positions are 1-based; 0 is never a valid position.
// Duplicate keys are kept. When a merge meets equal keys, the pair that was already sorted comes
// first; within one pending batch the order of equal keys is unspecified.
//
// The comparison walk fills two lists per folder with tens of thousands of names in all, so the
// list keeps integer values without a variant, sorts references to the pending keys instead of
// moving the pairs themselves, and offers the walk an untraced way to add numbered pairs and to
// read the sorted part.

#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <vector>

namespace pelto {

class SortedList {
public:
    // Discards every pair and the pending buffer.
    void Clear();
    // The position of key_value, or, when it is not in the list, the position of the greatest key
    // below it (0 when every key is greater or the list is empty). Callers tell "found" from "not
    // found" by reading Key at the returned position. With duplicates any of them may be returned.
    qint32 FindKey(const QString& key_value);
    // The value at sorted position i; the integer 0 when i is outside 1..count.
    QVariant Item(qint32 i);
    // The key at sorted position i; empty text when i is outside 1..count.
    QString Key(qint32 i);
    // Sorted plus pending pairs; does not sort.
    qint32 Count();
    // Adds a pair to the pending buffer; without a key the key is empty text.
    void Add(const QVariant& value);
    void Add(const QVariant& value, const QString& key_value);
    // Sorts the pending buffer and merges it into the sorted part.
    void Sort();

    // The same as Add(value, key_value) for an integer value, without making a variant of it.
    void addNumbered(qint32 value, QString key_value);
    // The sorted part as it stands, for a caller that has called Sort and reads every position:
    // no sort and no trace per read. i must lie within 1..sortedCount().
    const QString& sortedKey(qint32 i) const { return sortedKeys_[static_cast<size_t>(i - 1)]; }
    // The value at sorted position i as an integer, as QVariant::toInt gives it.
    qint32 sortedNumber(qint32 i) const {
        const Value& value = sortedValues_[static_cast<size_t>(i - 1)];
        return value.other < 0 ? value.number : others_[static_cast<size_t>(value.other)].toInt();
    }

    // The sizes of the two parts, for callers that must not trigger a sort.
    qint32 sortedCount() const { return sortedCount_; }
    qint32 pendingCount() const { return pendingCount_; }
    qint32 pendingCapacity() const { return pendingCapacity_; }

private:
    // A pending key as the sort sees it: its first eight 16-bit codes packed into two numbers,
    // which decide most comparisons, and the whole text for the rest.
    struct SortRef {
        quint64 head = 0;  // codes 1 to 4
        quint64 head2 = 0; // codes 5 to 8
        const char16_t* text = nullptr;
        qint32 size = 0;
        qint32 pair = 0; // index into the pending arrays
    };
    static SortRef refTo(const QString& key, qint32 pair);
    // Binary order of the keys: a < b.
    static bool precedes(const SortRef& a, const SortRef& b);
    static bool tailPrecedes(const SortRef& a, const SortRef& b);

    // A value as the list keeps it: an integer (the values the comparison stores), or the
    // place of any other value in others_.
    struct Value {
        qint32 number = 0;
        qint32 other = -1;
    };
    QVariant toVariant(const Value& value) const;

    // value is a qint32 or a QVariant; key a QString to copy or to take.
    template <typename V, typename Text> void addPair(const V& value, Text&& key);
    void SelectionSort(qint32 min, qint32 max);
    void Quicksort(qint32 min, qint32 max);
    void MergeLists();

    // Position p (1-based) of each array lives at index p - 1.
    std::vector<Value> sortedValues_;
    std::vector<QString> sortedKeys_;
    qint32 sortedCount_ = 0;
    // The pending pairs stay where they were added; the sort orders references to them.
    std::vector<Value> pendingValues_;
    std::vector<QString> pendingKeys_;
    qint32 pendingCount_ = 0;
    qint32 pendingCapacity_ = 0;
    std::vector<SortRef> order_;   // pending position p is order_[p - 1] while sorting
    std::vector<QVariant> others_; // values that are not integers, in the order they came
};

} // namespace pelto
