// Exact result lines of whole checks over real folder trees.

#include "CompareFixture.h"

#include "engine/compare/SortedList.h"

namespace pelto::test {
namespace {

class CompareLines : public CompareTest {};

// Every list of one check; times compare at whole seconds without tolerance, read once per folder
// by the Linux service's own read of many times at once.
TEST_F(CompareLines, MixedTreeGivesEveryLineInWalkOrder) {
    g().goFSO = &fs_;
    makeFiles({"src/a.txt", "src/c.txt", "dst/c.txt", "src/d.txt", "dst/x.log", "src/Temp/t1",
               "src/Sub/f1", "dst/sub/g", "src/Sub/Deep/z", "src/Same/s.txt", "dst/Same/s.txt",
               "dst/sub/h", "dst/b.txt", "dst/same-second", "dst/older", "dst/Old/"});
    makeFile("src/B.txt", kBaseMs + 2000);
    makeFile("dst/d.txt", kBaseMs + 5000);
    makeFile("src/Sub/h", kBaseMs + 1000);
    makeFile("src/same-second", kBaseMs + 999);
    makeFile("src/next-second", kBaseMs + 1000);
    makeFile("dst/next-second", kBaseMs + 999);
    makeFile("src/older", kBaseMs - 3'600'000);

    ASSERT_TRUE(check());

    EXPECT_EQ(
        results(),
        QList<QStringList>(
            {{dir(S(), D()), tagged(1, "a.txt unmatched"), tagged(2, "b.txt newer"),
              tagged(3, "next-second newer"), dir(S() + "/Sub", D() + "/sub"),
              tagged(4, "f1 unmatched"), tagged(5, "h newer")},
             {dir(D()), tagged(1, "x.log unmatched"), dir(D() + "/sub"), tagged(3, "g unmatched")},
             {tagged(6, S() + "/sub/deep unmatched") + " to " + D() + "/sub/",
              tagged(7, S() + "/temp unmatched") + " to " + D() + "/"},
             {tagged(2, D() + "/old unmatched")},
             {S() + "/sub/", S() + "/"},
             {D() + "/sub/", D() + "/"},
             {},
             {},
             {fitted(S()), fitted(S() + "/same"), fitted(S() + "/sub")}}));
    EXPECT_EQ(form_.lstShowDirs().selectedIndex(), 2);
    EXPECT_TRUE(fs_.stated.isEmpty());
    // Files of folders that exist on one side only are not read.
    EXPECT_EQ(g().glSrcFiles, 10);
    EXPECT_EQ(g().glDstFiles, 10);
}

// Numbers run on across the folder pairs of one check, and a header whose path holds " to " uses
// NBSP "to" NBSP as its separator.
TEST_F(CompareLines, NumbersRunAcrossFolderPairsAndToInAPathSwitchesTheSeparator) {
    const QString nbspTo = QString(kNbsp) + "to" + kNbsp;
    const QString src1 = at("one/back to front"), dst1 = at("one/dst");
    const QString src2 = at("two/src"), dst2 = at("two/nbsp" + nbspTo + "dst");
    makeFile("one/back to front/a");
    makeFile("one/dst/z");
    makeDir("one/back to front/f");
    makeFile("two/src/b");
    makeFile("two/nbsp" + nbspTo + "dst/y");
    makeDir("two/nbsp" + nbspTo + "dst/e");

    ASSERT_TRUE(check("one/back to front", "one/dst"));
    ASSERT_TRUE(check("two/src", "two/nbsp" + nbspTo + "dst"));

    EXPECT_EQ(results(),
              QList<QStringList>(
                  {{"Dir: " + src1 + nbspTo + dst1, tagged(1, "a unmatched"),
                    "Dir: " + src2 + nbspTo + dst2, tagged(3, "b unmatched")},
                   {dir(dst1), tagged(1, "z unmatched"), dir(dst2), tagged(2, "y unmatched")},
                   {tagged(2, src1 + "/f unmatched") + " to " + dst1 + "/"},
                   {tagged(3, dst2 + "/e unmatched")},
                   {src1 + "/"},
                   {dst1 + "/"},
                   {},
                   {},
                   {fitted(src1), fitted(src2)}}));

    // A new check starts counting at 1 again.
    newCheck();
    ASSERT_TRUE(check("two/src", "two/nbsp" + nbspTo + "dst"));
    EXPECT_EQ(form_.lstSrcFile().item(1), tagged(1, "b unmatched"));
}

TEST_F(CompareLines, RecursionOffComparesOnlyTheTopFiles) {
    form_.setOptRecurse(false);
    makeFiles({"src/a", "src/Sub/deep", "dst/sub/other", "src/OnlySrc/", "dst/OnlyDst/"});

    ASSERT_TRUE(check());

    QList<QStringList> expected(9);
    expected[0] = {dir(S(), D()), tagged(1, "a unmatched")};
    expected[8] = {fitted(S())};
    EXPECT_EQ(results(), expected);
    EXPECT_FALSE(fs_.listed.contains(at("src/Sub")));
}

TEST_F(CompareLines, ListsWithoutStoredNamesAreLookedUpCaseBlind) {
    makeFile("src/Report.TXT", kBaseMs + 5000);
    makeFile("dst/REPORT.txt");
    SortedList srcList;
    SortedList dstList;
    srcList.Add(1, "report.txt");
    dstList.Add(1, "report.txt");
    dstList.Add(2, "zz");

    ASSERT_TRUE(CheckLists(&srcList, &dstList, "FILE", S(), D(), form_));

    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({dir(S(), D()), tagged(1, "report.txt newer")}));
    EXPECT_EQ(form_.lstDstFile().items(), QStringList({dir(D()), tagged(1, "zz unmatched")}));
}

} // namespace
} // namespace pelto::test
