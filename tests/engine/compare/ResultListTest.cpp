// The result list model: lines are stored at once and shown to views in batches.

#include "engine/compare/ResultList.h"
#include "engine/compare/HeadlessMainForm.h"

#include <gtest/gtest.h>

namespace pelto::test {
namespace {

TEST(ResultList, LinesAreReadableAtOnceButPublishedInOneBatch) {
    ResultList list;
    QList<std::pair<int, int>> inserted;
    QObject::connect(&list, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) {
                         inserted.append({first, last});
                     });
    for (int i = 0; i < 1000; ++i)
        list.add(QString::number(i));

    EXPECT_EQ(list.count(), 1000);
    EXPECT_EQ(list.item(999), "999");
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(inserted.count(), 0);

    list.publish();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0], std::make_pair(0, 999));
    EXPECT_EQ(list.rowCount(), 1000);
    EXPECT_EQ(list.data(list.index(5)).toString(), "5");

    list.publish(); // nothing new: no signal
    EXPECT_EQ(inserted.count(), 1);
}

TEST(ResultList, SelectingPublishesAndClearResetsEverything) {
    ResultList list;
    int selected = 0;
    QObject::connect(&list, &ResultList::selectedIndexChanged, [&] { ++selected; });
    list.add("a");
    list.add("b");
    list.setSelectedIndex(1);
    EXPECT_EQ(list.selectedIndex(), 1);
    EXPECT_EQ(list.rowCount(), 2);
    list.setSelectedIndex(7);
    EXPECT_EQ(list.selectedIndex(), -1);

    list.setSelectedIndex(0);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(selected, 4);
}

} // namespace
} // namespace pelto::test
