// pelto-cli refuses unsafe folder pairs before touching anything, and answers the questions it
// cannot ask as documented.
#include "CliSandbox.h"

#include <QFile>
#include <QFileInfo>

namespace pelto::cli::test {
namespace {

class CliSafetyTest : public MixedTreeTest {
protected:
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

    // The source as the refusals name it, with links resolved.
    const QString real = QFileInfo(box.path({})).canonicalFilePath() + "/src";
};

TEST_F(CliSafetyTest, OverlappingIdenticalOrMissingFoldersAreRefusedBeforeAnythingIsTouched) {
    const QString inside = "The destination folder lies inside the source folder: ";
    const QString same = "Source and destination are the same folder: " + real;
    // A destination inside the source, even one whose last two folders do not exist yet.
    expectRefused({src, src + "/backup/daily"}, inside + real + "/backup/daily is inside " + real);
    expectRefused({src + "/sub", src}, "The source folder lies inside the destination folder: " +
                                           real + "/sub is inside " + real);
    // The same folder written differently: another letter case, dot folders, a trailing
    // separator, a link.
    expectRefused({src, box.path("SRC/./sub/../")}, same);
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

TEST_F(CliSafetyTest, MissingDestinationOfAPairOrAProfileIsRefusedUnlessYesCreatesIt) {
    // Runs `arguments` without and with `yes`: the first run is refused with the question's
    // box `title`, the second makes `made`, ending with `exitCode`.
    const auto expectCreatedOnlyWithYes = [&](const QStringList& arguments, const QStringList& yes,
                                              const QString& folder, const QString& title,
                                              const QString& made, int exitCode) {
        const CliResult refused = box.run(arguments);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(logged(refused), "Destination directory not found:" + folder + "\n" + title +
                                       ": Destination directory not found:\n" + folder +
                                       "\nWould you like to create the directory?\n"
                                       "Answered No (--yes answers Yes).\n"
                                       "The run ended with an error; the error log says why: " +
                                       box.path("bin/Error Log.txt") + "\n");
        EXPECT_EQ(refused.out, QString());
        EXPECT_FALSE(QFileInfo::exists(folder));
        const CliResult created = box.run(arguments + yes);
        EXPECT_EQ(created.exitCode, exitCode) << qPrintable(created.err);
        EXPECT_TRUE(created.err.contains("Answered Yes (--yes)."));
        EXPECT_TRUE(box.exists(made));
    };
    const QString fresh = box.path("fresh/backup");
    expectCreatedOnlyWithYes({"copy", src, fresh}, {"--yes", "--production"}, fresh, "Pelto",
                             "fresh/backup/sub/c.txt", 0);
    box.write("my.ini", ("[Other]\n" + src + "   " + box.path("other") + "\n").toUtf8());
    expectCreatedOnlyWithYes({"check", "--profile", "Other", "--ini", box.path("my.ini")},
                             {"--yes"}, box.path("other"), "ReadINI error", "other", 1);
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
