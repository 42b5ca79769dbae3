// Exact result lines of whole checks over real folder trees.

#include "CompareFixture.h"

#include "engine/compare/SortedList.h"

namespace pelto::test {
namespace {

class CompareLines : public CompareTest {};

TEST_F(CompareLines, MixedTreeGivesEveryLineInWalkOrder) {
    makeFile("src/a.txt");
    makeFile("src/B.txt", kBaseMs + 2000);
    makeFile("dst/b.txt");
    makeFile("src/c.txt");
    makeFile("dst/c.txt");
    makeFile("src/d.txt");
    makeFile("dst/d.txt", kBaseMs + 5000);
    makeFile("dst/x.log");
    makeFile("src/Temp/t1");
    makeFile("src/Sub/f1");
    makeFile("dst/sub/g");
    makeFile("src/Sub/Deep/z");
    makeFile("src/Same/s.txt");
    makeFile("dst/Same/s.txt");
    makeDir("dst/Old");

    ASSERT_TRUE(check());

    const QString S = at("src"), D = at("dst");
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + S + " to " + D, tagged(1, "a.txt unmatched"),
                           tagged(2, "b.txt newer"), "Dir: " + S + "/Sub to " + D + "/sub",
                           tagged(3, "f1 unmatched")}));
    EXPECT_EQ(form_.lstDstFile().items(),
              QStringList({"Dir: " + D, tagged(1, "x.log unmatched"), "Dir: " + D + "/sub",
                           tagged(3, "g unmatched")}));
    EXPECT_EQ(form_.lstSrcFolder().items(),
              QStringList({tagged(4, S + "/sub/deep unmatched") + " to " + D + "/sub/",
                           tagged(5, S + "/temp unmatched") + " to " + D + "/"}));
    EXPECT_EQ(form_.lstSrcFolder2().items(), QStringList({S + "/sub/", S + "/"}));
    EXPECT_EQ(form_.lstDstFolder2().items(), QStringList({D + "/sub/", D + "/"}));
    EXPECT_EQ(form_.lstDstFolder().items(), QStringList({tagged(2, D + "/old unmatched")}));
    EXPECT_EQ(form_.lstShowDirs().items(),
              QStringList({fitted(S), fitted(S + "/same"), fitted(S + "/sub")}));
    EXPECT_EQ(form_.lstShowDirs().selectedIndex(), 2);
    EXPECT_TRUE(form_.lstSrcFile2().items().isEmpty());
    EXPECT_TRUE(form_.lstDstFile2().items().isEmpty());
    // Files of folders that exist on one side only are not read.
    EXPECT_EQ(g().glSrcFiles, 6);
    EXPECT_EQ(g().glDstFiles, 6);
}

TEST_F(CompareLines, TimesAreReadOncePerFolderWithoutPathLookups) {
    g().goFSO = &fs_; // the Linux service's own read of many times at once
    makeFile("src/Old.txt", kBaseMs + 1000);
    makeFile("dst/old.TXT");
    makeFile("src/same");
    makeFile("dst/same");
    makeFile("src/Sub/deep", kBaseMs + 1000);
    makeFile("dst/sub/deep");

    ASSERT_TRUE(check());

    EXPECT_EQ(
        form_.lstSrcFile().items(),
        QStringList({"Dir: " + at("src") + " to " + at("dst"), tagged(1, "old.txt newer"),
                     "Dir: " + at("src/Sub") + " to " + at("dst/sub"), tagged(2, "deep newer")}));
    EXPECT_TRUE(fs_.stated.isEmpty());
}

TEST_F(CompareLines, TimesCompareAtWholeSecondsWithoutTolerance) {
    makeFile("src/same-second", kBaseMs + 999);
    makeFile("dst/same-second", kBaseMs);
    makeFile("src/next-second", kBaseMs + 1000);
    makeFile("dst/next-second", kBaseMs + 999);
    makeFile("src/older", kBaseMs - 3'600'000);
    makeFile("dst/older", kBaseMs);
    makeFile("src/equal");
    makeFile("dst/equal");

    ASSERT_TRUE(check());

    EXPECT_EQ(form_.lstSrcFile().items(), QStringList({"Dir: " + at("src") + " to " + at("dst"),
                                                       tagged(1, "next-second newer")}));
    EXPECT_TRUE(form_.lstDstFile().items().isEmpty());
}

TEST_F(CompareLines, ToInsideAPathSwitchesTheHeaderSeparatorToNbsp) {
    makeFile("back to front/new.txt");
    makeDir("dst");
    makeFile("plain/new.txt");
    makeFile("nbsp" + QString(kNbsp) + "to" + kNbsp + "dst/keep");

    ASSERT_TRUE(check("back to front", "dst"));
    ASSERT_TRUE(check("plain", "nbsp" + QString(kNbsp) + "to" + kNbsp + "dst"));

    const QString nbspTo = QString(kNbsp) + "to" + kNbsp;
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + at("back to front") + nbspTo + at("dst"),
                           tagged(1, "new.txt unmatched"),
                           "Dir: " + at("plain") + nbspTo + at("nbsp" + nbspTo + "dst"),
                           tagged(2, "new.txt unmatched")}));
}

TEST_F(CompareLines, NumbersRunAcrossTwoFolderPairsOfOneCheck) {
    makeFile("one/src/a");
    makeFile("one/dst/z");
    makeDir("one/src/f");
    makeFile("two/src/b");
    makeFile("two/dst/y");
    makeDir("two/dst/e");

    ASSERT_TRUE(check("one/src", "one/dst"));
    ASSERT_TRUE(check("two/src", "two/dst"));

    EXPECT_EQ(
        form_.lstSrcFile().items(),
        QStringList({"Dir: " + at("one/src") + " to " + at("one/dst"), tagged(1, "a unmatched"),
                     "Dir: " + at("two/src") + " to " + at("two/dst"), tagged(3, "b unmatched")}));
    EXPECT_EQ(form_.lstSrcFolder().items(), QStringList({tagged(2, at("one/src") + "/f unmatched") +
                                                         " to " + at("one/dst") + "/"}));
    EXPECT_EQ(form_.lstDstFile().items(),
              QStringList({"Dir: " + at("one/dst"), tagged(1, "z unmatched"),
                           "Dir: " + at("two/dst"), tagged(2, "y unmatched")}));
    EXPECT_EQ(form_.lstDstFolder().items(),
              QStringList({tagged(3, at("two/dst") + "/e unmatched")}));
    // Each walk shows its own top folder.
    EXPECT_EQ(form_.lstShowDirs().items(),
              QStringList({fitted(at("one/src")), fitted(at("two/src"))}));

    // A new check starts counting at 1 again.
    CheckLists(nullptr, nullptr, "folder", "dummy", "dummy", form_, true);
    form_.lstSrcFile().clear();
    ASSERT_TRUE(check("one/src", "one/dst"));
    EXPECT_EQ(form_.lstSrcFile().item(1), tagged(1, "a unmatched"));
}

TEST_F(CompareLines, RecursionOffComparesOnlyTheTopFiles) {
    form_.setOptRecurse(false);
    makeFile("src/a");
    makeFile("src/Sub/deep");
    makeFile("dst/sub/other");
    makeDir("src/OnlySrc");
    makeDir("dst/OnlyDst");

    ASSERT_TRUE(check());

    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + at("src") + " to " + at("dst"), tagged(1, "a unmatched")}));
    EXPECT_EQ(form_.lstSrcFolder().count() + form_.lstDstFolder().count() +
                  form_.lstDstFile().count(),
              0);
    EXPECT_EQ(form_.lstShowDirs().items(), QStringList({fitted(at("src"))}));
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

    ASSERT_TRUE(CheckLists(&srcList, &dstList, "FILE", at("src"), at("dst"), form_));

    EXPECT_EQ(form_.lstSrcFile().items(), QStringList({"Dir: " + at("src") + " to " + at("dst"),
                                                       tagged(1, "report.txt newer")}));
    EXPECT_EQ(form_.lstDstFile().items(),
              QStringList({"Dir: " + at("dst"), tagged(1, "zz unmatched")}));
}

} // namespace
} // namespace pelto::test
