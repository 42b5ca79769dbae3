// A check while a trace receiver listens: the walk then reads its sorted lists through the traced
// Key and Item, and must find exactly what it finds without the trace.

#include "CompareFixture.h"

namespace pelto::test {
namespace {

class TracedWalk : public CompareTest {};

TEST_F(TracedWalk, TheTraceShowsTheWalksReadsAndChangesNoLine) {
    // Case.txt and case.TXT: two names for one key, left out on both sides.
    makeFiles({"src/a.txt", "dst/b.txt", "dst/x.log", "src/Case.txt", "src/case.TXT",
               "dst/case.txt", "dst/sub/F1", "src/Only/o"});
    makeFile("src/B.txt", kBaseMs + 2000);
    makeFile("src/Sub/f1", kBaseMs + 5000);

    ASSERT_TRUE(check());
    const QList<QStringList> untraced = results();
    ASSERT_EQ(untraced[0].size(), 5) << "two headers, a, b and f1";

    const QStringList calls = tracedCalls([this] {
        newCheck();
        ASSERT_TRUE(check());
    });

    EXPECT_EQ(results(), untraced);
    // Every position of every list is read once through Key and once through Item.
    const qsizetype firstReads = calls.count(QStringLiteral("SortList : Function Key : (i=1)"));
    EXPECT_GE(firstReads, 4) << "the file and folder lists of the top folder at least";
    EXPECT_EQ(calls.count(QStringLiteral("SortList : Function Item : (i=1)")), firstReads);
}

} // namespace
} // namespace pelto::test
