// The result list model: lines are stored at once and shown to views in batches.

#include "engine/compare/ResultList.h"

#include <gtest/gtest.h>

namespace pelto {
namespace {

TEST(ResultList, LinesAreReadableAtOnceButPublishedInOneBatchAndClearResetsAll) {
    ResultList list;
    QList<std::pair<int, int>> inserted;
    QObject::connect(&list, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) {
                         inserted.append({first, last});
                     });
    for (int i = 0; i < 1000; ++i)
        list.add(QString::number(i));
    EXPECT_EQ(list.item(999), "999");
    EXPECT_EQ(list.rowCount(), 0);
    list.publish();
    list.publish(); // nothing new: no signal
    EXPECT_EQ(inserted, (QList<std::pair<int, int>>{{0, 999}}));
    EXPECT_EQ(list.data(list.index(5)).toString(), "5");

    // Selecting publishes first; a position beyond the list selects nothing.
    list.add("a");
    list.setSelectedIndex(1000);
    EXPECT_EQ(list.rowCount(), 1001);
    EXPECT_EQ(list.selectedIndex(), 1000);
    list.setSelectedIndex(2000);
    EXPECT_EQ(list.selectedIndex(), -1);
    list.setSelectedIndex(0);
    list.clear();
    EXPECT_EQ(list.count() + list.rowCount(), 0);
    EXPECT_EQ(list.selectedIndex(), -1);
}

} // namespace
} // namespace pelto
