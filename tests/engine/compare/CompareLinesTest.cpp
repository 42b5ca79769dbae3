// Exact result lines of whole checks over real folder trees.

#include "CompareFixture.h"

namespace pelto::test {
namespace {

using CompareLines = CompareTest;

// Every list of one check; times compare at whole seconds, read once per folder in one go.
TEST_F(CompareLines, MixedTreeGivesEveryLineInWalkOrder) {
    g().goFSO = &fs_;
    makeTree({"src/a.txt", "src/c.txt", "dst/c.txt", "src/d.txt", "dst/x.log", "src/Temp/t1",
              "src/Sub/f1", "dst/sub/g", "src/Sub/Deep/z", "src/Same/s.txt", "dst/Same/s.txt",
              "dst/sub/h", "dst/b.txt", "dst/same-second", "dst/older", "dst/Old/"});
    makeTree({"src/B.txt@2000", "dst/d.txt@5000", "src/Sub/h@1000", "src/same-second@999",
              "src/next-second@1000", "dst/next-second@999", "src/older@-3600000"});

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
    EXPECT_EQ(g().glSrcFiles, 10);
    EXPECT_EQ(g().glDstFiles, 10);
}

// Numbers run on across the pairs of one check; a path holding " to " switches to NBSP "to" NBSP.
TEST_F(CompareLines, NumbersRunAcrossFolderPairsAndToInAPathSwitchesTheSeparator) {
    const QString nbspTo = QString(kNbsp) + "to" + kNbsp;
    const QString src1 = at("one/back to front"), dst1 = at("one/dst");
    const QString d2 = "two/nbsp" + nbspTo + "dst", src2 = at("two/src"), dst2 = at(d2);
    makeTree({"one/back to front/a", "one/dst/z", "one/back to front/f/", "two/src/b", d2 + "/y",
              d2 + "/e/"});

    ASSERT_TRUE(check("one/back to front", "one/dst"));
    ASSERT_TRUE(check("two/src", d2));

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
}

} // namespace
} // namespace pelto::test
