// pelto-cli refuses unsafe folder pairs before touching anything, and answers the questions it
// cannot ask as documented.

#include "CliSandbox.h"
#include "TestTrees.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace pelto::cli::test {
namespace {

class CliSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        buildMixedTree(box);
    }
    QString src() const { return box.path(QStringLiteral("src")); }
    QString dst() const { return box.path(QStringLiteral("dst")); }
    // The source as the refusals name it: with links resolved.
    QString real() const { return QFileInfo(src()).canonicalFilePath(); }

    // Runs a production sync with --yes (every question answered Yes) and expects a refusal
    // naming `message` that left every tree of the sandbox as it was.
    void expectRefused(const QStringList& arguments, const QString& message) {
        const auto before = snapshot(box.path(QString()));
        const CliResult result =
            box.run(QStringList{QStringLiteral("sync"), QStringLiteral("--production"),
                                QStringLiteral("--yes")} +
                    arguments);
        EXPECT_EQ(result.exitCode, 2) << qPrintable(result.err);
        EXPECT_TRUE(result.err.contains(message)) << qPrintable(result.err);
        EXPECT_EQ(result.out, QString());
        // Only the error log (and the settings store) may have changed: it says why.
        auto after = snapshot(box.path(QString()));
        after.remove(QStringLiteral("bin/Error Log.txt"));
        auto expected = before;
        expected.remove(QStringLiteral("bin/Error Log.txt"));
        EXPECT_EQ(after, expected);
        EXPECT_TRUE(box.errorLog().contains(message));
    }

    CliSandbox box;
};

TEST_F(CliSafetyTest, OverlappingOrIdenticalFoldersAreRefusedBeforeAnythingIsTouched) {
    // A destination inside the source, even one that does not exist yet (--yes would create it).
    expectRefused({src(), src() + QStringLiteral("/backup")},
                  QStringLiteral("The destination folder lies inside the source folder: ") +
                      real() + QStringLiteral("/backup is inside ") + real());
    // A source inside the destination.
    expectRefused({src() + QStringLiteral("/sub"), src()},
                  QStringLiteral("The source folder lies inside the destination folder: ") +
                      real() + QStringLiteral("/sub is inside ") + real());
    // The same folder written differently: another letter case, a trailing separator, a link.
    expectRefused({src(), box.path(QStringLiteral("SRC/"))},
                  QStringLiteral("Source and destination are the same folder: ") + real());
    ASSERT_TRUE(QFile::link(src(), box.path(QStringLiteral("alias"))));
    expectRefused({box.path(QStringLiteral("alias")), src()},
                  QStringLiteral("Source and destination are the same folder: ") + real());
    // A link to a folder inside the source, as destination.
    ASSERT_TRUE(QFile::link(src() + QStringLiteral("/sub"), box.path(QStringLiteral("inner"))));
    expectRefused({src(), box.path(QStringLiteral("inner"))},
                  QStringLiteral("The destination folder lies inside the source folder: ") +
                      real() + QStringLiteral("/sub is inside ") + real());
}

TEST_F(CliSafetyTest, SiblingWhoseNameExtendsTheSourceIsNotInsideIt) {
    box.makeFolder(QStringLiteral("src2"));
    const CliResult result = box.run({QStringLiteral("check"), src(), src() + QLatin1Char('2')});
    EXPECT_EQ(result.exitCode, 1) << qPrintable(result.err);
}

TEST_F(CliSafetyTest, MissingSourceIsRefused) {
    expectRefused({box.path(QStringLiteral("nowhere")), dst()},
                  QStringLiteral("Source directory not found:") +
                      box.path(QStringLiteral("nowhere")));
}

TEST_F(CliSafetyTest, OverlappingProfileLineIsRefusedBeforeTheReaderCreatesItsDestination) {
    const QString ini = box.path(QStringLiteral("my.ini"));
    box.write(QStringLiteral("my.ini"),
              (QStringLiteral("[Inner]\n") + src() + QStringLiteral("   ") + src() +
               QStringLiteral("/copy   subdirs\n"))
                  .toUtf8());
    expectRefused(
        {QStringLiteral("--profile"), QStringLiteral("Inner"), QStringLiteral("--ini"), ini},
        QStringLiteral("The destination folder lies inside the source folder: ") + real() +
            QStringLiteral("/copy is inside ") + real());
}

TEST_F(CliSafetyTest, MissingDestinationIsRefusedUnlessYesCreatesIt) {
    const QString fresh = box.path(QStringLiteral("fresh/backup"));

    const CliResult refused = box.run({QStringLiteral("copy"), src(), fresh});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Destination directory not found:") + fresh));
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Would you like to create the directory?\n"
                                                    "Answered No (--yes answers Yes).")))
        << qPrintable(refused.err);
    EXPECT_FALSE(box.exists(QStringLiteral("fresh")));

    const CliResult created = box.run({QStringLiteral("copy"), QStringLiteral("--production"),
                                       QStringLiteral("--yes"), src(), fresh});
    EXPECT_EQ(created.exitCode, 0) << qPrintable(created.err);
    EXPECT_TRUE(box.exists(QStringLiteral("fresh/backup/sub/c.txt")));
}

TEST_F(CliSafetyTest, UnexpectedErrorsAreAnsweredAbortUnlessIgnoreIsChosen) {
    // A source folder whose name is taken by a file at the destination: creating it fails in a
    // way the copy does not expect, which brings up the Abort / Retry / Ignore report.
    CliSandbox clash;
    ASSERT_TRUE(clash.isValid());
    clash.write(QStringLiteral("src/x/f.txt"), "f", kOlder);
    clash.write(QStringLiteral("dst/x"), "a file", kOlder);
    const QStringList copy{QStringLiteral("copy"), QStringLiteral("--production"),
                           clash.path(QStringLiteral("src")), clash.path(QStringLiteral("dst"))};

    const CliResult aborted = clash.run(copy);
    EXPECT_EQ(aborted.exitCode, 2);
    EXPECT_TRUE(aborted.err.contains(QStringLiteral("Unexpected Error: ")));
    EXPECT_TRUE(
        aborted.err.contains(QStringLiteral("Answered Abort (--on-error=ignore answers Ignore).")))
        << qPrintable(aborted.err);
    EXPECT_TRUE(aborted.err.contains(QStringLiteral("the error log says why: ") +
                                     clash.path(QStringLiteral("bin/Error Log.txt"))));
    // The failure report is in the log too.
    EXPECT_TRUE(clash.errorLog().contains(QStringLiteral("Sub CreateNewFolder")));

    const CliResult ignored = clash.run(copy + QStringList{QStringLiteral("--on-error=ignore")});
    // Going on past an unexpected error is still no clean run.
    EXPECT_EQ(ignored.exitCode, 2);
    EXPECT_TRUE(ignored.err.contains(QStringLiteral("Answered Ignore (--on-error=ignore).")))
        << qPrintable(ignored.err);
    EXPECT_EQ(QFile(clash.path(QStringLiteral("dst/x"))).size(), 6);
}

} // namespace
} // namespace pelto::cli::test
