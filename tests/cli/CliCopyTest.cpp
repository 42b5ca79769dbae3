// pelto-cli copy and sync, run as a program on real trees.
#include "CliSandbox.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/xattr.h>

namespace pelto::cli::test {
namespace {

class CliCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        box.buildMixedTree();
    }
    CliResult run(const QStringList& arguments) const {
        return box.run(arguments + QStringList{src, dst});
    }

    CliSandbox box;
    const QString src = box.path("src");
    const QString dst = box.path("dst");
};

TEST_F(CliCopyTest, TestModeChangesNothingOnDiskAndSaysWhatItWouldDo) {
    const auto before = snapshot(box.path({}));
    const CliResult copy = run({"copy"});
    const CliResult sync = run({"sync"});
    EXPECT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_EQ(snapshot(box.path({})), before);
    EXPECT_TRUE(sync.out.endsWith("\n\nTest mode: nothing was changed on disk (--production "
                                  "copies).\nFolders to copy with their contents: 1\n"
                                  "Files to copy: 4\nFolders to delete: 1\nFiles to delete: 1\n"
                                  "Skipped: 0\n"))
        << qPrintable(sync.out);
}

TEST_F(CliCopyTest, ProductionCopyBringsTheDestinationUpToDateSoThatACheckFindsNothing) {
    const CliResult copy = run({"copy", "--production"});
    ASSERT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_TRUE(copy.out.endsWith(
        "\n\nFolders copied with their contents: 1\nFiles copied: 4\nSkipped: 0\n"))
        << qPrintable(copy.out);
    // A copy deletes nothing.
    EXPECT_TRUE(box.exists("dst/x.log"));
    EXPECT_TRUE(box.exists("dst/old/o.txt"));
    const auto copied = snapshot(dst);
    EXPECT_EQ(copied.value("b.txt"), snapshot(src).value("b.txt"));
    EXPECT_TRUE(copied.contains("newdir/n.txt"));
    EXPECT_TRUE(copied.contains("sub/c.txt"));

    ASSERT_EQ(run({"sync", "--production"}).exitCode, 0);
    const CliResult check = run({"check"});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.out);
    EXPECT_EQ(check.err, QString());
}

TEST_F(CliCopyTest, SyncDeletesExactlyTheDestinationOnlyItems) {
    box.write("dst/gone/deep/y.txt", "y");
    box.write("dst/sub/stale.txt", "stale");
    const auto sourceBefore = snapshot(src);
    const auto before = snapshot(dst);

    const CliResult sync = run({"sync", "--production"});
    ASSERT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_TRUE(sync.out.contains("\nFolders deleted: 2\nFiles deleted: 2\n"))
        << qPrintable(sync.out);

    const auto after = snapshot(dst);
    QStringList removed;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key())) {
            removed.append(it.key());
        } else if (it.key() != "b.txt") {
            EXPECT_EQ(after.value(it.key()), it.value()) << qPrintable(it.key());
        }
    }
    EXPECT_EQ(removed, (QStringList{"gone", "gone/deep", "gone/deep/y.txt", "old", "old/o.txt",
                                    "sub/stale.txt", "x.log"}));
    // The source is never touched, and the destination now holds what it holds.
    EXPECT_EQ(snapshot(src), sourceBefore);
    const auto lowered = [](QStringList names) {
        for (QString& name : names)
            name = name.toLower();
        names.sort();
        return names;
    };
    EXPECT_EQ(lowered(after.keys()), lowered(sourceBefore.keys()));
}

TEST_F(CliCopyTest, ArchiveCopyWithResetClearsTheBitsSoThatTheNextArchiveCheckIsClean) {
    // Without user extended attributes every file reads as carrying the archive attribute.
    if (::setxattr(QFile::encodeName(box.path("src/a.txt")).constData(), "user.pelto.probe", "1", 1,
                   0) != 0)
        GTEST_SKIP() << "no user extended attributes in the temporary folder";
    // Archive mode still lists destination-only folders; this test is about the files.
    ASSERT_TRUE(QDir(box.path("dst/old")).removeRecursively());

    const CliResult copy = run({"copy", "--archive", "--reset-archive", "--production"});
    ASSERT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_TRUE(copy.out.contains("\nArchive bits of the copied files cleared.\n"));

    // The next archive check lists only folder headers, which are no difference.
    const CliResult check = run({"check", "--archive"});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.out);
    EXPECT_TRUE(check.out.contains("\nDir: " + src + " to "));
    EXPECT_FALSE(check.out.contains(" archive\u00a0"));
}

} // namespace
} // namespace pelto::cli::test
