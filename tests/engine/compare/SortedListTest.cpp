#include "engine/compare/SortedList.h"

#include "diag/Trace.h"
#include "diag/TraceReceiverThread.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace pelto {
namespace {

// Sorts `keys` (value = index) and compares with std::stable_sort of the keys: the key sequences
// agree, and every value still sits with the key it was added with, exactly once.
void expectSortedLikeReference(const QStringList& keys) {
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
}

TEST(SortedList, BadPositionsReadAsEmptyTextAndZero) {
    SortedList list;
    EXPECT_EQ(list.Key(1), QString());
    EXPECT_EQ(list.FindKey(QStringLiteral("x")), 0);
    list.Add(QStringLiteral("value"), QStringLiteral("k"));
    for (const qint32 bad :
         {0, -1, 2, std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()}) {
        EXPECT_EQ(list.Key(bad), QString()) << bad;
        EXPECT_EQ(list.Item(bad).typeId(), QMetaType::Int) << bad;
        EXPECT_EQ(list.Item(bad).toInt(), 0) << bad;
    }
    EXPECT_EQ(list.Item(1), QVariant(QStringLiteral("value")));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Key(1), QString());
}

// The buffer grows by a tenth more than its size, at least 100, keeping what it held; Count does
// not sort; a read merges and the next batch starts a fresh buffer.
TEST(SortedList, PendingBufferGrowsAcrossBoundariesKeepingPairs) {
    SortedList list;
    std::vector<qint32> capacities;
    std::vector<qint32> grewAt;
    const qint32 total = 9000;
    for (qint32 n = 1; n <= total; ++n) {
        const qint32 before = list.pendingCapacity();
        list.Add(n, QStringLiteral("%1").arg(total - n, 5, 10, QLatin1Char('0')));
        if (list.pendingCapacity() != before) {
            capacities.push_back(list.pendingCapacity());
            grewAt.push_back(n);
        }
    }
    EXPECT_EQ(capacities, (std::vector<qint32>{100, 210, 441, 926, 1945, 4085, 8579, 18016}));
    EXPECT_EQ(grewAt, (std::vector<qint32>{1, 101, 211, 442, 927, 1946, 4086, 8580}));
    EXPECT_EQ(list.Count(), total);
    EXPECT_EQ(list.sortedCount(), 0) << "Count must not sort";
    for (qint32 i = 1; i <= total; ++i) {
        ASSERT_EQ(list.Key(i), QStringLiteral("%1").arg(i - 1, 5, 10, QLatin1Char('0')));
        ASSERT_EQ(list.Item(i).toInt(), total - i + 1);
    }
    EXPECT_EQ(list.pendingCapacity(), 0);
    list.Add(0, QStringLiteral("x"));
    EXPECT_EQ(list.pendingCapacity(), 100);
}

TEST(SortedList, OrderIsBinaryBySixteenBitCodesNotLocale) {
    // A surrogate pair (U+1F600) sorts before U+FFFD by 16-bit codes, after it by code point.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString ae = QString::fromUtf8("\xC3\xA4"), AE = QString::fromUtf8("\xC3\x84");
    const QString fffd(QChar(0xFFFD));
    const QStringList sorted{"10", "9", "B", "Z", "_", "a",   "a b",
                             "aa", "b", "z", AE,  ae,  emoji, fffd};
    QStringList shuffled = sorted;
    std::reverse(shuffled.begin(), shuffled.end());
    std::swap(shuffled[2], shuffled[9]);
    SortedList list;
    for (const QString& k : shuffled)
        list.Add(0, k);
    QStringList keys;
    for (qint32 i = 1; i <= list.Count(); ++i)
        keys.append(list.Key(i));
    EXPECT_EQ(keys, sorted);
}

// A found position holds the key; otherwise the key lies strictly between the returned position
// and the next one (0 before the first, Count after the last), also with duplicates.
TEST(SortedList, FindKeyPositionsOverRandomListsWithDuplicates) {
    SortedList ac;
    ac.Add(1, QStringLiteral("a"));
    ac.Add(2, QStringLiteral("c"));
    const std::vector<std::pair<QString, qint32>> known{
        {"a", 1}, {"b", 1}, {"c", 2}, {"d", 2}, {"0", 0}};
    for (const auto& [probe, position] : known)
        EXPECT_EQ(ac.FindKey(probe), position) << probe.toStdString();

    QRandomGenerator rng(4711);
    for (int round = 0; round < 300; ++round) {
        SortedList list;
        const int size = static_cast<int>(rng.bounded(0, 140));
        for (int i = 0; i < size; ++i)
            list.Add(i, QString(QChar(u'b' + 2 * rng.bounded(0, 12))));
        const qint32 count = list.Count();
        for (char16_t c = u'a'; c <= u'z'; ++c) {
            const QString probe(QChar{c});
            const qint32 r = list.FindKey(probe);
            ASSERT_TRUE(r >= 0 && r <= count);
            if (r >= 1 && list.Key(r) == probe)
                continue;
            ASSERT_TRUE(r == 0 || list.Key(r) < probe) << round << probe.toStdString();
            ASSERT_TRUE(r == count || list.Key(r + 1) > probe) << round << probe.toStdString();
        }
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

QStringList sortedKeysOf(SortedList& list) {
    QStringList keys;
    for (qint32 i = 1; i <= list.Count(); ++i)
        keys.append(list.Key(i));
    return keys;
}

// Keys that agree on a long beginning and differ at every position after it, by codes on either
// side of 0x8000 (where a signed comparison would go wrong) and by length alone.
TEST(SortedListOrder, KeysWithLongSharedBeginningsSortByTheirFirstDifferentCode) {
    const QString base = QStringLiteral("back to school (1");
    const QList<char16_t> codes{u'\0', u' ', u'0', u'9', u'a', 0x7fff, 0x8000, 0xd83d, 0xfffd};
    QStringList keys{QString(), base.left(3), base.left(4), base.left(5), base};
    for (qsizetype at = 0; at <= base.size(); ++at) {
        for (const char16_t code : codes) {
            QString key = base.left(at) + QChar(code) + base.mid(at + 1);
            keys.append(key);
            keys.append(key + QStringLiteral("x"));
        }
    }
    QRandomGenerator rng(17);
    std::shuffle(keys.begin(), keys.end(), rng);

    SortedList list;
    for (const QString& key : std::as_const(keys))
        list.Add(0, key);
    QStringList reference = keys;
    std::sort(reference.begin(), reference.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseSensitive) < 0;
    });
    EXPECT_EQ(sortedKeysOf(list), reference);

    for (const QString& probe : {base, base + QChar(0x8000), base.left(6) + QChar(0x7fff)}) {
        const qint32 at = list.FindKey(probe);
        const auto below = std::lower_bound(
            reference.cbegin(), reference.cend(), probe,
            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseSensitive) < 0; });
        if (below != reference.cend() && *below == probe)
            EXPECT_EQ(list.Key(at), probe); // any of equal keys
        else
            EXPECT_EQ(at, below - reference.cbegin()) << probe.toStdString();
    }
}

// Numbered pairs and variants in one list read back alike, through the traced reads and the
// untraced ones.
TEST(SortedListOrder, NumberedPairsReadBackLikeVariantOnes) {
    SortedList list;
    list.addNumbered(3, QStringLiteral("c"));
    list.Add(QVariant(1), QStringLiteral("a"));
    list.Add(QVariant(QStringLiteral("7")), QStringLiteral("d"));
    list.addNumbered(2, QStringLiteral("b"));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.sortedCount(), 0) << "adding never sorts";
    list.Sort();

    ASSERT_EQ(list.sortedCount(), 4);
    const QStringList keys{"a", "b", "c", "d"};
    for (qint32 i = 1; i <= 4; ++i) {
        EXPECT_EQ(list.sortedKey(i), keys[i - 1]);
        EXPECT_EQ(list.sortedKey(i), list.Key(i));
        EXPECT_EQ(list.sortedNumber(i), list.Item(i).toInt());
    }
    EXPECT_EQ(list.Item(2).typeId(), QMetaType::Int);
    EXPECT_EQ(list.Item(2).toInt(), 2);
    EXPECT_EQ(list.Item(4), QVariant(QStringLiteral("7")));
    EXPECT_EQ(list.sortedNumber(4), 7);

    // A second batch merges behind equal keys of the first.
    list.addNumbered(9, QStringLiteral("b"));
    list.Sort();
    EXPECT_EQ(sortedKeysOf(list), QStringList({"a", "b", "b", "c", "d"}));
    EXPECT_EQ(list.sortedNumber(2), 2);
    EXPECT_EQ(list.sortedNumber(3), 9);
}

// A numbered pair shows in the trace as an integer value added with Add does.
TEST(SortedListOrder, NumberedPairsTraceAsAdd) {
    QTemporaryDir runtime;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    diag::ResetTrace();
    QStringList calls;
    {
        test::TraceReceiverThread viewer(QString::fromLatin1(diag::kTraceViewName));
        ASSERT_TRUE(viewer.listening());
        SortedList list;
        list.addNumbered(5, QStringLiteral("b"));
        list.Add(5, QStringLiteral("b"));
        for (const QString& line : viewer.lines()) {
            const qsizetype at = line.indexOf(QStringLiteral("] ->"));
            if (at >= 0)
                calls.append(line.mid(at + 4).remove(QLatin1Char('\t')).trimmed());
        }
    }
    diag::ResetTrace();
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    EXPECT_EQ(calls, QStringList(2, QStringLiteral("SortList : Sub Add : (value=5, key_value=b)")));
}

} // namespace
} // namespace pelto
