// pelto-cli check, copy and sync, run as a program on real trees.
#include "CliSandbox.h"

#include <QDir>

#include <sys/xattr.h>

namespace pelto::cli::test {
namespace {

class CliTreeTest : public MixedTreeTest {
protected:
    static QString lines(const QStringList& list) { return list.join('\n') + '\n'; }
    // The report on the mixed trees; a synchronising run warns in its labels of the deletions.
    QStringList report(bool sync = false) const {
        const QString folders = sync ? ". These directories will be deleted!" : " ";
        const QString files = sync ? ". These files will be deleted!" : " ";
        return {"Mismatched directories on source drive",
                "4: " + src + "/newdir unmatched" + kNbsp + " to " + dst + "/",
                "",
                "Mismatched directories on destination" + folders,
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
                "Mismatched files on destination drive" + files,
                "Dir: " + dst,
                "1: x.log unmatched" + kNbsp};
    }
};

TEST_F(CliTreeTest, CheckListsEveryMismatchAndExitsOne) {
    const CliResult all = run({"check"});
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_EQ(all.out, lines(report()));
    EXPECT_EQ(all.err, QString()); // nothing logged, and no progress line without a terminal

    QStringList top = report(); // without the subfolders and the folders' mismatches
    for (const int row : {12, 11, 4, 1})
        top.removeAt(row);
    const CliResult noSubdirs = run({"check", "--no-subdirs"});
    EXPECT_EQ(noSubdirs.exitCode, 1);
    EXPECT_EQ(noSubdirs.out, lines(top));

    const CliResult quiet = run({"check", "--quiet"});
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_EQ(quiet.out + quiet.err, QString());
}

TEST_F(CliTreeTest, TestModeChangesNothingOnDiskAndSaysWhatItWouldDo) {
    const auto before = snapshot(box.path({}));
    const QStringList plan{"", "Test mode: nothing was changed on disk (--production copies).",
                           "Folders to copy with their contents: 1", "Files to copy: 4"};
    const CliResult copy = run({"copy"}), sync = run({"sync"});
    EXPECT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_EQ(copy.out, lines(report() + plan + QStringList{"Skipped: 0"}));
    EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_EQ(sync.out,
              lines(report(true) + plan +
                    QStringList{"Folders to delete: 1", "Files to delete: 1", "Skipped: 0"}));
    EXPECT_EQ(snapshot(box.path({})), before);
}

TEST_F(CliTreeTest, CopyAddsAndSyncDeletesExactlyWhatDiffersSoThatACheckFindsNothing) {
    box.write("dst/gone/deep/y.txt", "y");
    box.write("dst/sub/stale.txt", "stale");
    const auto source = snapshot(src);
    auto expected = snapshot(dst);
    expected.insert(source); // a copy brings what is missing or newer and deletes nothing

    const CliResult copy = run({"copy", "--production"});
    ASSERT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_TRUE(copy.out.endsWith(
        "\n\nFolders copied with their contents: 1\nFiles copied: 4\nSkipped: 0\n"))
        << qPrintable(copy.out);
    EXPECT_EQ(snapshot(dst), expected);

    const CliResult sync = run({"sync", "--production"});
    ASSERT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_TRUE(sync.out.endsWith("\n\nFolders copied with their contents: 0\nFiles copied: 0\n"
                                  "Folders deleted: 2\nFiles deleted: 2\nSkipped: 0\n"))
        << qPrintable(sync.out);
    EXPECT_EQ(snapshot(dst), source);
    EXPECT_EQ(snapshot(src), source);

    const CliResult check = run({"check"});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out + check.err, "Mismatched directories on source drive\n\n"
                                     "Mismatched directories on destination \n\n"
                                     "Mismatched files on source drive\n\n"
                                     "Mismatched files on destination drive \n");
    ASSERT_TRUE(QDir().mkpath(dst + "/extra")); // a folder only at the destination differs too
    EXPECT_EQ(run({"check", "--quiet"}).exitCode, 1);
}

TEST_F(CliTreeTest, ArchiveCopyWithResetClearsTheBitsSoThatTheNextArchiveCheckIsClean) {
    // Without user extended attributes every file reads as carrying the archive attribute.
    if (::setxattr(QFile::encodeName(box.path("src/a.txt")).constData(), "user.pelto.probe", "1", 1,
                   0) != 0)
        GTEST_SKIP() << "no user extended attributes in the temporary folder";
    ASSERT_TRUE(QDir(box.path("dst/old")).removeRecursively()); // archive checks list such folders

    const CliResult copy = run({"copy", "--archive", "--reset-archive", "--production"});
    ASSERT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_TRUE(copy.out.contains("\nArchive bits of the copied files cleared.\n"));
    // The next archive check lists only folder headers, which are no difference.
    const CliResult check = run({"check", "--archive"});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.out);
    EXPECT_TRUE(check.out.contains("\nDir: " + src + " to "));
    EXPECT_FALSE(check.out.contains(" archive" + kNbsp));
}

} // namespace
} // namespace pelto::cli::test
