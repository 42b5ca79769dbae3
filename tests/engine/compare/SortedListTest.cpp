#include "engine/compare/SortedList.h"

#include "CompareFixture.h"

#include <QRandomGenerator>
#include <algorithm>
#include <limits>
#include <vector>

namespace pelto {
namespace {

// Sorts `keys` (value = index) and compares with std::stable_sort of the keys (binary order of
// 16-bit codes): the key sequences agree, and every value still sits with its key, exactly once.
// FindKey of a key in the list finds one of its positions; of any other the count of keys below
// it (0 before the first, Count after the last).
void expectSortedLikeReference(const QStringList& keys, const QStringList& probes = {}) {
    SortedList list;
    for (qsizetype i = 0; i < keys.size(); ++i)
        list.Add(static_cast<int>(i), keys[i]);
    QStringList reference = keys;
    std::stable_sort(reference.begin(), reference.end());
    ASSERT_EQ(list.Count(), keys.size());
    std::vector<bool> used(static_cast<size_t>(keys.size()), false);
    for (qint32 i = 1; i <= list.Count(); ++i) {
        ASSERT_EQ(list.Key(i), reference[i - 1]) << i;
        const auto origin = static_cast<size_t>(list.Item(i).toInt());
        ASSERT_EQ(keys[static_cast<qsizetype>(origin)], reference[i - 1]) << "value left its key";
        ASSERT_FALSE(used[origin]);
        used[origin] = true;
    }
    for (const QString& probe : probes) {
        const qint32 at = list.FindKey(probe);
        const auto below = std::lower_bound(reference.cbegin(), reference.cend(), probe);
        if (below != reference.cend() && *below == probe)
            ASSERT_EQ(list.Key(at), probe) << probe.toStdString();
        else
            ASSERT_EQ(at, below - reference.cbegin()) << probe.toStdString();
    }
}

TEST(SortedList, OrderIsBinaryBySixteenBitCodesNotLocale) {
    // A surrogate pair (U+1F600) sorts before U+FFFD by 16-bit codes, after it by code point.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QStringList sorted{"10", "9", "B", "Z", "_", "a",   "a b",
                             "aa", "b", "z", "Ä", "ä", emoji, QString(QChar(0xFFFD))};
    QStringList shuffled = sorted;
    std::reverse(shuffled.begin(), shuffled.end());
    std::swap(shuffled[2], shuffled[9]);
    SortedList list;
    for (const QString& k : shuffled)
        list.Add(0, k);
    ASSERT_EQ(list.Count(), sorted.size());
    for (qint32 i = 1; i <= list.Count(); ++i)
        EXPECT_EQ(list.Key(i), sorted[i - 1]) << i;

    // Keys that agree on a long beginning and differ at every position after it, by codes on
    // either side of 0x8000 (where a signed comparison would go wrong) and by length alone.
    const QString base = QStringLiteral("back to school (1");
    QStringList keys{QString(), base.left(3), base.left(4), base.left(5), base};
    for (qsizetype at = 0; at <= base.size(); ++at)
        for (const char16_t code : {u'\0', u' ', u'0', u'9', u'a', char16_t(0x7fff),
                                    char16_t(0x8000), char16_t(0xd83d), char16_t(0xfffd)})
            keys << base.left(at) + QChar(code) + base.mid(at + 1)
                 << base.left(at) + QChar(code) + base.mid(at + 1) + "x";
    std::shuffle(keys.begin(), keys.end(), QRandomGenerator(17));
    expectSortedLikeReference(keys, {base, base + QChar(0x8000), base.left(6) + QChar(0x7fff)});
}

TEST(SortedList, LargeRandomAndOrderedInputsMatchStableSort) {
    QRandomGenerator rng(20240601);
    const QString alphabet = QStringLiteral("aAbBzZ09._-~ ") + QString::fromUtf8("äÄéß€");
    QStringList random;
    for (int i = 0; i < 60000; ++i) {
        QString key;
        for (auto c = rng.bounded(1, 7); c > 0; --c)
            key += alphabet[rng.bounded(0, static_cast<int>(alphabet.size()))];
        random.append(key);
    }
    expectSortedLikeReference(random);

    // Folder listings often arrive in name order; runs of equal keys are the partition's worst
    // case.
    QStringList ascending;
    for (int i = 0; i < 20000; ++i)
        ascending.append(QStringLiteral("file%1.txt").arg(i, 6, 10, QLatin1Char('0')));
    expectSortedLikeReference(ascending);
    std::reverse(ascending.begin(), ascending.end());
    expectSortedLikeReference(ascending);
    expectSortedLikeReference(QStringList(3000, QStringLiteral("same")));
    for (const int size : {2, 51, 52, 53, 103})
        expectSortedLikeReference(ascending.mid(0, size));
}

// FindKey over random lists with duplicates: single letters b, d, ... probed by every letter.
TEST(SortedList, FindKeyPositionsOverRandomListsWithDuplicates) {
    QStringList letters;
    for (char16_t c = u'a'; c <= u'z'; ++c)
        letters.append(QString(QChar(c)));
    QRandomGenerator rng(4711);
    for (int round = 0; round < 300; ++round) {
        QStringList keys;
        for (auto size = rng.bounded(0, 140); size > 0; --size)
            keys.append(letters[1 + 2 * rng.bounded(0, 12)]);
        expectSortedLikeReference(keys, letters);
    }
}

// Batches read before the next is added: for equal keys the earlier batch comes first.
TEST(SortedList, MergePutsAlreadySortedPairsBeforeEqualNewOnes) {
    QRandomGenerator rng(99);
    SortedList list;
    for (int batch = 1; batch <= 3; ++batch) {
        list.Add(batch, QStringLiteral("m"));
        for (int i = 0; i < 700; ++i)
            list.Add(batch, QString(QChar(u'a' + rng.bounded(0, 26))));
        list.Sort();
    }
    ASSERT_EQ(list.Count(), 2103);
    for (qint32 i = 2; i <= list.Count(); ++i) {
        ASSERT_LE(list.Key(i - 1), list.Key(i));
        if (list.Key(i - 1) == list.Key(i)) {
            ASSERT_LE(list.Item(i - 1).toInt(), list.Item(i).toInt()) << i;
        }
    }
}

// Numbered pairs and variants in one list read back alike, through the traced reads and the
// untraced ones; bad positions read as empty text and the integer 0.
TEST(SortedList, ValuesReadBackAsAddedAndBadPositionsAsEmpty) {
    SortedList list;
    EXPECT_EQ(list.Key(1), QString());
    EXPECT_EQ(list.FindKey(QStringLiteral("x")), 0);
    list.addNumbered(3, QStringLiteral("c"));
    list.Add(QVariant(1), QStringLiteral("a"));
    list.Add(QVariant(QStringLiteral("7")), QStringLiteral("d"));
    list.addNumbered(2, QStringLiteral("b"));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.sortedCount(), 0) << "adding never sorts";
    list.Sort();

    ASSERT_EQ(list.sortedCount(), 4);
    for (qint32 i = 1; i <= 4; ++i) {
        EXPECT_EQ(list.sortedKey(i), QString(QChar(u'a' + i - 1)));
        EXPECT_EQ(list.sortedKey(i), list.Key(i));
        EXPECT_EQ(list.sortedNumber(i), list.Item(i).toInt());
    }
    EXPECT_EQ(list.Item(2).typeId(), QMetaType::Int);
    EXPECT_EQ(list.Item(2).toInt(), 2);
    EXPECT_EQ(list.Item(4), QVariant(QStringLiteral("7")));
    EXPECT_EQ(list.sortedNumber(4), 7);
    for (const qint32 bad :
         {0, -1, 5, std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()}) {
        EXPECT_EQ(list.Key(bad), QString()) << bad;
        EXPECT_EQ(list.Item(bad).typeId(), QMetaType::Int) << bad;
        EXPECT_EQ(list.Item(bad).toInt(), 0) << bad;
    }

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Key(1), QString());
}

// A numbered pair shows in the trace as an integer value added with Add does.
TEST(SortedList, NumberedPairsTraceAsAdd) {
    SortedList list;
    EXPECT_EQ(test::tracedCalls([&] {
                  list.addNumbered(5, QStringLiteral("b"));
                  list.Add(5, QStringLiteral("b"));
              }),
              QStringList(2, QStringLiteral("SortList : Sub Add : (value=5, key_value=b)")));
}

} // namespace
} // namespace pelto
