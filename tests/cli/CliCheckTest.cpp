// pelto-cli check, run as a program on real trees.

#include "CliSandbox.h"
#include "TestTrees.h"

#include <gtest/gtest.h>

namespace pelto::cli::test {
namespace {

const QString kNbsp = QString(QChar(0x00A0));

class CliCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        buildMixedTree(box);
    }
    QString src() const { return box.path(QStringLiteral("src")); }
    QString dst() const { return box.path(QStringLiteral("dst")); }

    CliSandbox box;
};

TEST_F(CliCheckTest, ListsEveryMismatchUnderTheWindowsLabelsAndReportsDifferences) {
    const CliResult result = box.run({QStringLiteral("check"), src(), dst()});

    const QString expected =
        QStringList{
            QStringLiteral("Mismatched directories on source drive"),
            QStringLiteral("4: ") + src() + QStringLiteral("/newdir unmatched") + kNbsp +
                QStringLiteral(" to ") + dst() + QStringLiteral("/"),
            QString(),
            QStringLiteral("Mismatched directories on destination "),
            QStringLiteral("2: ") + dst() + QStringLiteral("/old unmatched") + kNbsp,
            QString(),
            QStringLiteral("Mismatched files on source drive"),
            QStringLiteral("Dir: ") + src() + QStringLiteral(" to ") + dst(),
            QStringLiteral("1: a.txt unmatched") + kNbsp,
            QStringLiteral("2: b.txt newer") + kNbsp,
            QStringLiteral("3: upper.txt unmatched") + kNbsp,
            QStringLiteral("Dir: ") + src() + QStringLiteral("/sub to ") + dst() +
                QStringLiteral("/sub"),
            QStringLiteral("5: c.txt unmatched") + kNbsp,
            QString(),
            QStringLiteral("Mismatched files on destination drive "),
            QStringLiteral("Dir: ") + dst(),
            QStringLiteral("1: x.log unmatched") + kNbsp,
        }
            .join(QLatin1Char('\n')) +
        QLatin1Char('\n');

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, expected);
    // Nothing was logged, and without a terminal there is no progress line.
    EXPECT_EQ(result.err, QString());
}

TEST_F(CliCheckTest, SynchronisingRunLabelsWhatWillBeDeleted) {
    const CliResult result = box.run({QStringLiteral("sync"), src(), dst()});

    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_TRUE(result.out.contains(QStringLiteral(
        "\nMismatched directories on destination. These directories will be deleted!\n")));
    EXPECT_TRUE(result.out.contains(
        QStringLiteral("\nMismatched files on destination drive. These files will be deleted!\n")));
}

TEST_F(CliCheckTest, QuietPrintsNothingAndStillReportsDifferencesByExitStatus) {
    const CliResult result =
        box.run({QStringLiteral("check"), QStringLiteral("--quiet"), src(), dst()});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, QString());
    EXPECT_EQ(result.err, QString());
}

TEST_F(CliCheckTest, NoSubdirsComparesOnlyTheTopFolders) {
    const CliResult result =
        box.run({QStringLiteral("check"), QStringLiteral("--no-subdirs"), src(), dst()});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(result.out.contains(QStringLiteral("newdir")));
    EXPECT_FALSE(result.out.contains(QStringLiteral("c.txt")));
    EXPECT_TRUE(result.out.contains(QStringLiteral("1: a.txt unmatched") + kNbsp));
}

TEST_F(CliCheckTest, IdenticalTreesReportNothingAndExitZero) {
    CliSandbox same;
    ASSERT_TRUE(same.isValid());
    same.write(QStringLiteral("one/f.txt"), "f", kOlder);
    same.write(QStringLiteral("two/f.txt"), "f", kOlder);

    const CliResult result = same.run({QStringLiteral("check"), same.path(QStringLiteral("one")),
                                       same.path(QStringLiteral("two"))});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, QStringLiteral("Mismatched directories on source drive\n\n"
                                         "Mismatched directories on destination \n\n"
                                         "Mismatched files on source drive\n\n"
                                         "Mismatched files on destination drive \n"));
}

} // namespace
} // namespace pelto::cli::test
