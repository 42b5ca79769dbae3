#pragma once
// A list of (key, value) pairs that hands them back in ascending key order.
//
// Adding is cheap: pairs go into an unsorted pending buffer, which is sorted and merged into the
// sorted part only when the list is next read (Key, Item, FindKey) or when Sort is called. Keys
// compare by the binary order of their 16-bit character codes; callers that want case-blind order
// lower-case the keys before adding them. Positions are 1-based; 0 is never a valid position.
// Duplicate keys are kept. When a merge meets equal keys, the pair that was already sorted comes
// first; within one pending batch the order of equal keys is unspecified.

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

    // The sizes of the two parts, for callers that must not trigger a sort.
    qint32 sortedCount() const { return sortedCount_; }
    qint32 pendingCount() const { return pendingCount_; }
    qint32 pendingCapacity() const { return pendingCapacity_; }

private:
    void addPair(const QVariant& value, const QString& key);
    void SelectionSort(qint32 min, qint32 max);
    void Quicksort(qint32 min, qint32 max);
    void MergeLists();

    // Position p (1-based) of each array lives at index p - 1.
    std::vector<QVariant> sortedValues_;
    std::vector<QString> sortedKeys_;
    qint32 sortedCount_ = 0;
    std::vector<QVariant> pendingValues_;
    std::vector<QString> pendingKeys_;
    qint32 pendingCount_ = 0;
    qint32 pendingCapacity_ = 0;
};

} // namespace pelto
