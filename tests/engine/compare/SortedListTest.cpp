#include "engine/compare/SortedList.h"

#include "diag/Trace.h"
#include "diag/TraceReceiverThread.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace pelto {
namespace {

QStringList keysOf(SortedList& list) {
    QStringList keys;
    for (qint32 i = 1; i <= list.Count(); ++i)
        keys.append(list.Key(i));
    return keys;
}

TEST(SortedList, EmptyListReadsAsEmpty) {
    SortedList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.pendingCapacity(), 0);
    EXPECT_EQ(list.Key(1), QString());
    EXPECT_EQ(list.Item(1), QVariant(0));
    EXPECT_EQ(list.FindKey(QStringLiteral("x")), 0);
    EXPECT_EQ(list.FindKey(QString()), 0);
}

TEST(SortedList, CountDoesNotSortAndReadsDo) {
    SortedList list;
    list.Add(1, QStringLiteral("b"));
    list.Add(2, QStringLiteral("a"));
    list.Add(3, QStringLiteral("c"));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.pendingCount(), 3);
    EXPECT_EQ(list.sortedCount(), 0);

    EXPECT_EQ(list.Key(1), QStringLiteral("a"));
    EXPECT_EQ(list.pendingCount(), 0);
    EXPECT_EQ(list.pendingCapacity(), 0) << "the merge discards the pending buffer";
    EXPECT_EQ(keysOf(list), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(list.Item(1), QVariant(2));
    EXPECT_EQ(list.Item(3), QVariant(3));
}

TEST(SortedList, KeyAndItemNeverFailOnBadPositions) {
    SortedList list;
    list.Add(QStringLiteral("value"), QStringLiteral("k"));
    for (const qint32 bad :
         {0, -1, 2, std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()}) {
        EXPECT_EQ(list.Key(bad), QString()) << bad;
        const QVariant item = list.Item(bad);
        EXPECT_EQ(item.typeId(), QMetaType::Int) << bad;
        EXPECT_EQ(item.toInt(), 0) << bad;
    }
    EXPECT_EQ(list.Key(1), QStringLiteral("k"));
    EXPECT_EQ(list.Item(1), QVariant(QStringLiteral("value")));
}

TEST(SortedList, AddWithoutKeyUsesEmptyKey) {
    SortedList list;
    list.Add(7, QStringLiteral("a"));
    list.Add(8);
    EXPECT_EQ(list.Key(1), QString());
    EXPECT_EQ(list.Item(1), QVariant(8));
    EXPECT_EQ(list.FindKey(QString()), 1);
}

// The buffer grows by a tenth more than its size, at least 100, and keeps every pair it held.
TEST(SortedList, PendingBufferGrowsAcrossBoundariesKeepingPairs) {
    SortedList list;
    const std::vector<qint32> expected{100, 210, 441, 926, 1945, 4085, 8579, 18016};
    std::vector<qint32> seen;
    std::vector<qint32> grewAt;
    const qint32 total = 9000;
    for (qint32 n = 1; n <= total; ++n) {
        const qint32 before = list.pendingCapacity();
        // Descending keys, so the sort has to move every pair.
        list.Add(n, QStringLiteral("%1").arg(total - n, 5, 10, QLatin1Char('0')));
        if (list.pendingCapacity() != before) {
            seen.push_back(list.pendingCapacity());
            grewAt.push_back(n);
        }
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(grewAt, (std::vector<qint32>{1, 101, 211, 442, 927, 1946, 4086, 8580}));
    EXPECT_EQ(list.Count(), total);
    for (qint32 i = 1; i <= total; ++i) {
        ASSERT_EQ(list.Key(i), QStringLiteral("%1").arg(i - 1, 5, 10, QLatin1Char('0')));
        ASSERT_EQ(list.Item(i).toInt(), total - i + 1);
    }
    // After a merge the buffer starts over.
    list.Add(0, QStringLiteral("x"));
    EXPECT_EQ(list.pendingCapacity(), 100);
}

TEST(SortedList, OrderIsBinaryNotLocale) {
    SortedList list;
    // U+D83D U+DE00 (a surrogate pair) sorts before U+FFFD by 16-bit codes, after it by code point.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString replacement(QChar(0xFFFD));
    const QStringList input{QStringLiteral("b"),
                            QStringLiteral("a"),
                            QStringLiteral("B"),
                            QStringLiteral("_"),
                            QStringLiteral("aa"),
                            QString::fromUtf8("\xC3\xA4"), // ä
                            QString::fromUtf8("\xC3\x84"), // Ä
                            QStringLiteral("z"),
                            replacement,
                            emoji,
                            QStringLiteral("Z"),
                            QStringLiteral("a b"),
                            QStringLiteral("10"),
                            QStringLiteral("9")};
    int n = 0;
    for (const QString& k : input)
        list.Add(++n, k);
    const QStringList expected{QStringLiteral("10"),
                               QStringLiteral("9"),
                               QStringLiteral("B"),
                               QStringLiteral("Z"),
                               QStringLiteral("_"),
                               QStringLiteral("a"),
                               QStringLiteral("a b"),
                               QStringLiteral("aa"),
                               QStringLiteral("b"),
                               QStringLiteral("z"),
                               QString::fromUtf8("\xC3\x84"),
                               QString::fromUtf8("\xC3\xA4"),
                               emoji,
                               replacement};
    EXPECT_EQ(keysOf(list), expected);
}

TEST(SortedList, FindKeyGivesPositionOfGreatestKeyNotAbove) {
    SortedList list;
    list.Add(1, QStringLiteral("a"));
    list.Add(2, QStringLiteral("c"));
    EXPECT_EQ(list.FindKey(QStringLiteral("a")), 1);
    EXPECT_EQ(list.FindKey(QStringLiteral("b")), 1);
    EXPECT_EQ(list.FindKey(QStringLiteral("c")), 2);
    EXPECT_EQ(list.FindKey(QStringLiteral("d")), 2);
    EXPECT_EQ(list.FindKey(QStringLiteral("0")), 0);
    // FindKey sorts first: a key added after the last read is found.
    list.Add(3, QStringLiteral("b"));
    EXPECT_EQ(list.FindKey(QStringLiteral("b")), 2);
}

// Over random lists with duplicates: a found position holds the key; otherwise the key lies
// strictly between the returned position and the next one.
TEST(SortedList, FindKeyPositionsOverRandomListsWithDuplicates) {
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
            ASSERT_GE(r, 0);
            ASSERT_LE(r, count);
            if (r >= 1 && list.Key(r) == probe)
                continue;
            ASSERT_TRUE(r == 0 || list.Key(r) < probe) << round << ' ' << probe.toStdString();
            ASSERT_TRUE(r == count || list.Key(r + 1) > probe)
                << round << ' ' << probe.toStdString();
        }
    }
}

TEST(SortedList, MergeKeepsAlreadySortedPairBeforeEqualNewOne) {
    SortedList list;
    list.Add(QStringLiteral("first"), QStringLiteral("m"));
    EXPECT_EQ(list.Key(1), QStringLiteral("m"));
    list.Add(QStringLiteral("second"), QStringLiteral("m"));
    EXPECT_EQ(list.Key(1), QStringLiteral("m"));
    EXPECT_EQ(list.Key(2), QStringLiteral("m"));
    EXPECT_EQ(list.Item(1), QVariant(QStringLiteral("first")));
    EXPECT_EQ(list.Item(2), QVariant(QStringLiteral("second")));
}

// Three batches of keys from a small alphabet, each batch read before the next is added: within
// every key, all pairs of an earlier batch come before those of a later one.
TEST(SortedList, MergeIsStableAcrossBatches) {
    QRandomGenerator rng(99);
    SortedList list;
    int added = 0;
    for (int batch = 1; batch <= 3; ++batch) {
        for (int i = 0; i < 700; ++i) {
            list.Add(batch, QString(QChar(u'a' + rng.bounded(0, 9))));
            ++added;
        }
        list.Sort();
    }
    ASSERT_EQ(list.Count(), added);
    for (qint32 i = 2; i <= list.Count(); ++i) {
        ASSERT_LE(list.Key(i - 1), list.Key(i));
        if (list.Key(i - 1) == list.Key(i)) {
            ASSERT_LE(list.Item(i - 1).toInt(), list.Item(i).toInt()) << i;
        }
    }
}

// Checks a list against std::stable_sort of the same keys: the key sequences agree, and every
// value still sits with the key it was added with.
void expectSortedLikeReference(const QStringList& keys) {
    SortedList list;
    for (qsizetype i = 0; i < keys.size(); ++i)
        list.Add(static_cast<int>(i), keys[i]);
    QStringList reference = keys;
    std::stable_sort(reference.begin(), reference.end());

    ASSERT_EQ(list.Count(), keys.size());
    std::vector<bool> used(static_cast<size_t>(keys.size()), false);
    for (qint32 i = 1; i <= list.Count(); ++i) {
        const QString key = list.Key(i);
        ASSERT_EQ(key, reference[i - 1]) << i;
        const int origin = list.Item(i).toInt();
        ASSERT_EQ(keys[origin], key) << "value moved away from its key at " << i;
        ASSERT_FALSE(used[static_cast<size_t>(origin)]) << "value seen twice";
        used[static_cast<size_t>(origin)] = true;
    }
}

TEST(SortedList, LargeRandomSortMatchesStableSortOfKeys) {
    QRandomGenerator rng(20240601);
    QStringList keys;
    const QString alphabet = QStringLiteral("aAbBzZ09._-~ ") + QString::fromUtf8("äÄéß€");
    for (int i = 0; i < 60000; ++i) {
        QString key;
        const int length = static_cast<int>(rng.bounded(1, 7));
        for (int c = 0; c < length; ++c)
            key += alphabet[rng.bounded(0, static_cast<int>(alphabet.size()))];
        keys.append(key);
    }
    expectSortedLikeReference(keys);
}

// Folder listings often arrive in name order; a run of equal keys is the worst case of the
// partition. Both must come out right.
TEST(SortedList, OrderedReversedAndEqualInputSortCorrectly) {
    QStringList ascending;
    for (int i = 0; i < 20000; ++i)
        ascending.append(QStringLiteral("file%1.txt").arg(i, 6, 10, QLatin1Char('0')));
    expectSortedLikeReference(ascending);

    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    expectSortedLikeReference(descending);

    expectSortedLikeReference(QStringList(3000, QStringLiteral("same")));
}

TEST(SortedList, SortWorksOnRangesAroundTheSelectionSortLimit) {
    for (const int size : {2, 50, 51, 52, 53, 103}) {
        QStringList keys;
        for (int i = size; i > 0; --i)
            keys.append(QString::number(i % 7));
        expectSortedLikeReference(keys);
    }
}

TEST(SortedList, ClearEmptiesBothPartsAndListStaysUsable) {
    SortedList list;
    list.Add(1, QStringLiteral("a"));
    list.Sort();
    list.Add(2, QStringLiteral("b"));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.sortedCount(), 0);
    EXPECT_EQ(list.pendingCapacity(), 0);
    EXPECT_EQ(list.Key(1), QString());
    list.Add(3, QStringLiteral("c"));
    EXPECT_EQ(list.Key(1), QStringLiteral("c"));
    EXPECT_EQ(list.Item(1), QVariant(3));
}

// The calls of a traced run as "module : procedure : parameters", entries marked "->" and exits
// "<-", read by a receiver in a runtime folder of the test's own.
class SortedListTrace : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        oldRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
        diag::ResetTrace();
    }
    void TearDown() override {
        diag::ResetTrace();
        qputenv("XDG_RUNTIME_DIR", oldRuntime_);
    }

    static QStringList calls(const QStringList& lines) {
        QStringList out;
        for (const QString& line : lines) {
            const qsizetype at = line.indexOf(QStringLiteral("] ->")) >= 0
                                     ? line.indexOf(QStringLiteral("] ->"))
                                     : line.indexOf(QStringLiteral("] <-"));
            if (at < 0)
                continue; // the banner
            QString call = line.mid(at + 2);
            const QString arrow = call.left(2);
            call = call.mid(2);
            while (call.startsWith(QLatin1Char('\t')))
                call.remove(0, 1);
            out.append(arrow + QLatin1Char(' ') + call.trimmed());
        }
        return out;
    }

private:
    QTemporaryDir runtime_;
    QByteArray oldRuntime_;
};

TEST_F(SortedListTrace, OperationsReportUnderSortListWithTheirParameters) {
    test::TraceReceiverThread viewer(QString::fromLatin1(diag::kTraceViewName));
    ASSERT_TRUE(viewer.listening());
    {
        SortedList list;
        list.Add(5, QStringLiteral("b"));
        list.Add(QStringLiteral("text"), QStringLiteral("a"));
        list.Add(true);
        list.Add(QVariant(), QStringLiteral("c"));
        list.Add(QVariant(QStringList{QStringLiteral("x")}), QStringLiteral("d"));
        list.Add(QVariant(qint64(7)), QStringLiteral("e"));
        EXPECT_EQ(list.Count(), 6);
        EXPECT_EQ(list.Key(9), QString());
    }
    const QStringList expected{
        "-> SortList : Sub Add : (value=5, key_value=b)",
        "<- SortList : Sub Add : (value=5, key_value=b)",
        "-> SortList : Sub Add : (value=text, key_value=a)",
        "<- SortList : Sub Add : (value=text, key_value=a)",
        "-> SortList : Sub Add : (value=True, key_value=<Missing>)",
        "<- SortList : Sub Add : (value=True, key_value=<Missing>)",
        "-> SortList : Sub Add : (value=<variant>, key_value=c)",
        "<- SortList : Sub Add : (value=<variant>, key_value=c)",
        "-> SortList : Sub Add : (value=<variant>, key_value=d)",
        "<- SortList : Sub Add : (value=<variant>, key_value=d)",
        "-> SortList : Sub Add : (value=<variant>, key_value=e)",
        "<- SortList : Sub Add : (value=<variant>, key_value=e)",
        "-> SortList : Function Count : ()",
        "<- SortList : Function Count : ()",
        "-> SortList : Function Key : (i=9)",
        "-> SortList : Sub Sort : ()",
        "-> SortList : Sub Quicksort : (min=1, max=6)",
        "-> SortList : Sub SelectionSort : (min=1, max=6)",
        "<- SortList : Sub SelectionSort : (min=1, max=6)",
        "<- SortList : Sub Quicksort : (min=1, max=6)",
        "-> SortList : Sub MergeLists : ()",
        "<- SortList : Sub MergeLists : ()",
        "<- SortList : Sub Sort : ()",
        "<- SortList : Function Key : (i=9)",
    };
    EXPECT_EQ(calls(viewer.lines()), expected);
}

} // namespace
} // namespace pelto
