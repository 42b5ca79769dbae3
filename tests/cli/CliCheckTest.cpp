// pelto-cli check, run as a program on real trees.
#include "CliSandbox.h"

#include <gtest/gtest.h>

namespace pelto::cli::test {
namespace {

const QString kNbsp = QString(QChar(0x00A0));

class CliCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        box.buildMixedTree();
    }
    CliResult check(const QStringList& options = {}) const {
        return box.run(QStringList{"check"} + options + QStringList{src, dst});
    }

    CliSandbox box;
    const QString src = box.path("src");
    const QString dst = box.path("dst");
};

TEST_F(CliCheckTest, ListsEveryMismatchUnderTheWindowsLabelsAndReportsDifferences) {
    const CliResult result = check();
    const QStringList expected{
        "Mismatched directories on source drive",
        "4: " + src + "/newdir unmatched" + kNbsp + " to " + dst + "/",
        "",
        "Mismatched directories on destination ",
        "2: " + dst + "/old unmatched" + kNbsp,
        "",
        "Mismatched files on source drive",
        "Dir: " + src + " to " + dst,
        "1: a.txt unmatched" + kNbsp,
        "2: b.txt newer" + kNbsp,
        "3: upper.txt unmatched" + kNbsp,
        "Dir: " + src + "/sub to " + dst + "/sub",
        "5: c.txt unmatched" + kNbsp,
        "",
        "Mismatched files on destination drive ",
        "Dir: " + dst,
        "1: x.log unmatched" + kNbsp,
    };
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, expected.join('\n') + '\n');
    // Nothing was logged, and without a terminal there is no progress line.
    EXPECT_EQ(result.err, QString());
}

TEST_F(CliCheckTest, OptionsQuietNoSubdirsAndTheLabelsOfASynchronisingRun) {
    const CliResult quiet = check({"--quiet"});
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_EQ(quiet.out, QString());
    EXPECT_EQ(quiet.err, QString());

    const CliResult top = check({"--no-subdirs"});
    EXPECT_EQ(top.exitCode, 1);
    EXPECT_FALSE(top.out.contains("newdir"));
    EXPECT_FALSE(top.out.contains("c.txt"));
    EXPECT_TRUE(top.out.contains("1: a.txt unmatched" + kNbsp));

    const CliResult sync = box.run({"sync", src, dst});
    EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_TRUE(sync.out.contains(
        "\nMismatched directories on destination. These directories will be deleted!\n"));
    EXPECT_TRUE(sync.out.contains(
        "\nMismatched files on destination drive. These files will be deleted!\n"));
}

TEST(CliCheckIdenticalTest, IdenticalTreesReportNothingAndExitZero) {
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    box.write("one/f.txt", "f");
    box.write("two/f.txt", "f");
    const CliResult result = box.run({"check", box.path("one"), box.path("two")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Mismatched directories on source drive\n\n"
                          "Mismatched directories on destination \n\n"
                          "Mismatched files on source drive\n\n"
                          "Mismatched files on destination drive \n");
}

} // namespace
} // namespace pelto::cli::test
