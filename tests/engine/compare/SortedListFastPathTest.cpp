// The sorted list's cheap paths: numbered pairs, the untraced reads of the sorted part, and the
// key order where keys share long beginnings or hold codes of 0x8000 and above.
#include "engine/compare/SortedList.h"

#include "diag/Trace.h"
#include "diag/TraceReceiverThread.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace pelto {
namespace {

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
