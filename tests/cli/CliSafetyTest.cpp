// pelto-cli refuses unsafe folder pairs before touching anything, and answers the questions it
// cannot ask as documented.
#include "CliSandbox.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace pelto::cli::test {
namespace {

class CliSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        box.buildMixedTree();
        real = QFileInfo(src).canonicalFilePath();
    }

    // Runs a production sync with --yes (every question answered Yes) and expects a refusal
    // naming `message` that left every tree of the sandbox as it was.
    void expectRefused(const QStringList& arguments, const QString& message) {
        SCOPED_TRACE(message.toStdString());
        const auto before = snapshot(box.path({}));
        const CliResult result = box.run(QStringList{"sync", "--production", "--yes"} + arguments);
        EXPECT_EQ(result.exitCode, 2) << qPrintable(result.err);
        EXPECT_TRUE(result.err.contains(message)) << qPrintable(result.err);
        EXPECT_EQ(result.out, QString());
        EXPECT_TRUE(box.errorLog().contains(message));
        // Only the error log may have changed: it says why.
        auto after = snapshot(box.path({}));
        auto expected = before;
        after.remove("bin/Error Log.txt");
        expected.remove("bin/Error Log.txt");
        EXPECT_EQ(after, expected);
    }

    CliSandbox box;
    const QString src = box.path("src");
    QString real; // the source as the refusals name it, with links resolved
};

TEST_F(CliSafetyTest, OverlappingIdenticalOrMissingFoldersAreRefusedBeforeAnythingIsTouched) {
    const QString inside = "The destination folder lies inside the source folder: ";
    const QString same = "Source and destination are the same folder: " + real;
    // A destination inside the source, even one that does not exist yet.
    expectRefused({src, src + "/backup"}, inside + real + "/backup is inside " + real);
    expectRefused({src + "/sub", src}, "The source folder lies inside the destination folder: " +
                                           real + "/sub is inside " + real);
    // The same folder written differently: another letter case, a trailing separator, a link.
    expectRefused({src, box.path("SRC/")}, same);
    ASSERT_TRUE(QFile::link(src, box.path("alias")));
    expectRefused({box.path("alias"), src}, same);
    ASSERT_TRUE(QFile::link(src + "/sub", box.path("inner")));
    expectRefused({src, box.path("inner")}, inside + real + "/sub is inside " + real);
    expectRefused({box.path("nowhere"), box.path("dst")},
                  "Source directory not found:" + box.path("nowhere"));

    // A profile line is refused before the reader would create its destination.
    box.write("my.ini", ("[Inner]\n" + src + "   " + src + "/copy   subdirs\n").toUtf8());
    expectRefused({"--profile", "Inner", "--ini", box.path("my.ini")},
                  inside + real + "/copy is inside " + real);

    // A sibling whose name extends the source is not inside it.
    box.makeFolder("src2");
    EXPECT_EQ(box.run({"check", src, src + '2'}).exitCode, 1);
}

TEST_F(CliSafetyTest, MissingDestinationIsRefusedUnlessYesCreatesIt) {
    const QString fresh = box.path("fresh/backup");
    const CliResult refused = box.run({"copy", src, fresh});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("Destination directory not found:" + fresh));
    EXPECT_TRUE(refused.err.contains("Would you like to create the directory?\n"
                                     "Answered No (--yes answers Yes)."))
        << qPrintable(refused.err);
    EXPECT_FALSE(box.exists("fresh"));

    const CliResult created = box.run({"copy", "--production", "--yes", src, fresh});
    EXPECT_EQ(created.exitCode, 0) << qPrintable(created.err);
    EXPECT_TRUE(box.exists("fresh/backup/sub/c.txt"));
}

TEST(CliErrorAnswerTest, UnexpectedErrorsAreAnsweredAbortUnlessIgnoreIsChosen) {
    // A source folder whose name is taken by a file at the destination: creating it fails in a
    // way the copy does not expect, which brings up the Abort / Retry / Ignore report.
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    box.write("src/x/f.txt", "f");
    box.write("dst/x", "a file");
    const QStringList copy{"copy", "--production", box.path("src"), box.path("dst")};

    const CliResult aborted = box.run(copy);
    EXPECT_EQ(aborted.exitCode, 2);
    EXPECT_TRUE(aborted.err.contains("Unexpected Error: "));
    EXPECT_TRUE(aborted.err.contains("Answered Abort (--on-error=ignore answers Ignore)."))
        << qPrintable(aborted.err);
    EXPECT_TRUE(aborted.err.contains("the error log says why: " + box.path("bin/Error Log.txt")));
    EXPECT_TRUE(box.errorLog().contains("Sub CreateNewFolder"));

    const CliResult ignored = box.run(copy + QStringList{"--on-error=ignore"});
    EXPECT_EQ(ignored.exitCode, 2); // going on past an unexpected error is no clean run
    EXPECT_TRUE(ignored.err.contains("Answered Ignore (--on-error=ignore)."))
        << qPrintable(ignored.err);
    EXPECT_EQ(QFile(box.path("dst/x")).size(), 6);
}

} // namespace
} // namespace pelto::cli::test
