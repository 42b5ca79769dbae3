#include "engine/compare/SortedList.h"

#include "CompareFixture.h"

#include <QRandomGenerator>
#include <algorithm>
#include <vector>

namespace pelto {
namespace {

// Sorts `keys` (value = index) like std::stable_sort, every value with its key; FindKey finds a
// listed key, of any other the count of keys below it.
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

// Keys differing at every position by codes either side of 0x8000, a surrogate or length alone;
// then large random and ordered inputs.
TEST(SortedList, OrderIsBinaryBySixteenBitCodesAsStableSortHasIt) {
    const QString base = QStringLiteral("back to school (1");
    QStringList keys{QString(), base.left(3), base.left(4), base.left(5), base};
    for (qsizetype at = 0; at <= base.size(); ++at)
        for (const char16_t code : {u'\0', u' ', u'0', u'9', u'a', char16_t(0x7fff),
                                    char16_t(0x8000), char16_t(0xd83d), char16_t(0xfffd)})
            keys << base.left(at) + QChar(code) + base.mid(at + 1)
                 << base.left(at) + QChar(code) + base.mid(at + 1) + "x";
    std::shuffle(keys.begin(), keys.end(), QRandomGenerator(17));
    expectSortedLikeReference(keys, {base, base + QChar(0x8000), base.left(6) + QChar(0x7fff)});

    QRandomGenerator rng(20240601);
    const QString alphabet = QStringLiteral("aAbBzZ09._-~ ") + QString::fromUtf8("äÄéß€");
    QStringList random;
    for (int i = 0; i < 60000; ++i) {
        QString key;
        for (auto c = rng.bounded(1, 7); c > 0; --c)
            key += alphabet[rng.bounded(0, static_cast<int>(alphabet.size()))];
        random.append(key);
    }
    expectSortedLikeReference(random, {"", " ", "a", "aa", "zZ", "~~~~~~~", "€"});
    // Listings often arrive in name order; runs of equal keys are the partition's worst case.
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

} // namespace
} // namespace pelto
