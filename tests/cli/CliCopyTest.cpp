// pelto-cli copy and sync, run as a program on real trees.

#include "CliSandbox.h"
#include "TestTrees.h"

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
        buildMixedTree(box);
    }
    QString src() const { return box.path(QStringLiteral("src")); }
    QString dst() const { return box.path(QStringLiteral("dst")); }

    CliSandbox box;
};

TEST_F(CliCopyTest, TestModeChangesNothingOnDiskAndSaysWhatItWouldDo) {
    const auto sourceBefore = snapshot(src());
    const auto destinationBefore = snapshot(dst());

    const CliResult copy = box.run({QStringLiteral("copy"), src(), dst()});
    const CliResult sync = box.run({QStringLiteral("sync"), src(), dst()});

    EXPECT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_EQ(snapshot(src()), sourceBefore);
    EXPECT_EQ(snapshot(dst()), destinationBefore);
    EXPECT_TRUE(sync.out.endsWith(
        QStringLiteral("\n\nTest mode: nothing was changed on disk (--production copies).\n"
                       "Folders to copy with their contents: 1\n"
                       "Files to copy: 4\n"
                       "Folders to delete: 1\n"
                       "Files to delete: 1\n"
                       "Skipped: 0\n")))
        << qPrintable(sync.out);
}

TEST_F(CliCopyTest, ProductionCopyBringsTheDestinationUpToDateSoThatACheckFindsNothing) {
    const CliResult copy =
        box.run({QStringLiteral("copy"), QStringLiteral("--production"), src(), dst()});
    ASSERT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_TRUE(copy.out.endsWith(QStringLiteral("\n\nFolders copied with their contents: 1\n"
                                                 "Files copied: 4\n"
                                                 "Skipped: 0\n")))
        << qPrintable(copy.out);

    // A copy deletes nothing: the destination-only items stay, so only they are still listed.
    EXPECT_TRUE(box.exists(QStringLiteral("dst/x.log")));
    EXPECT_TRUE(box.exists(QStringLiteral("dst/old/o.txt")));
    const auto copied = snapshot(dst());
    EXPECT_EQ(copied.value(QStringLiteral("b.txt")),
              snapshot(src()).value(QStringLiteral("b.txt")));
    EXPECT_TRUE(copied.contains(QStringLiteral("newdir/n.txt")));
    EXPECT_TRUE(copied.contains(QStringLiteral("sub/c.txt")));

    const CliResult sync =
        box.run({QStringLiteral("sync"), QStringLiteral("--production"), src(), dst()});
    ASSERT_EQ(sync.exitCode, 0) << qPrintable(sync.err);

    const CliResult check = box.run({QStringLiteral("check"), src(), dst()});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.out);
    EXPECT_EQ(check.err, QString());
}

TEST_F(CliCopyTest, SyncDeletesExactlyTheDestinationOnlyItems) {
    box.write(QStringLiteral("dst/gone/deep/y.txt"), "y", kOlder);
    box.write(QStringLiteral("dst/sub/stale.txt"), "stale", kOlder);
    const auto sourceBefore = snapshot(src());
    const auto before = snapshot(dst());

    const CliResult sync =
        box.run({QStringLiteral("sync"), QStringLiteral("--production"), src(), dst()});
    ASSERT_EQ(sync.exitCode, 0) << qPrintable(sync.err);

    const auto after = snapshot(dst());
    QStringList removed;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key())) {
            removed.append(it.key());
        } else if (it.key() != QStringLiteral("b.txt")) {
            EXPECT_EQ(after.value(it.key()), it.value()) << qPrintable(it.key());
        }
    }
    removed.sort();
    EXPECT_EQ(removed, (QStringList{QStringLiteral("gone"), QStringLiteral("gone/deep"),
                                    QStringLiteral("gone/deep/y.txt"), QStringLiteral("old"),
                                    QStringLiteral("old/o.txt"), QStringLiteral("sub/stale.txt"),
                                    QStringLiteral("x.log")}));
    // The source is never touched, and the destination now holds exactly what it holds.
    EXPECT_EQ(snapshot(src()), sourceBefore);
    QStringList sourceNames = sourceBefore.keys();
    QStringList destinationNames = after.keys();
    for (QString& name : sourceNames)
        name = name.toLower();
    for (QString& name : destinationNames)
        name = name.toLower();
    sourceNames.sort();
    destinationNames.sort();
    EXPECT_EQ(destinationNames, sourceNames);
    EXPECT_TRUE(sync.out.contains(QStringLiteral("\nFolders deleted: 2\nFiles deleted: 2\n")))
        << qPrintable(sync.out);
}

TEST_F(CliCopyTest, ArchiveCopyWithResetClearsTheBitsSoThatTheNextArchiveCheckIsClean) {
    // The archive attribute lives in an extended attribute; a file system without them reads
    // every file as carrying it.
    if (::setxattr(QFile::encodeName(box.path(QStringLiteral("src/a.txt"))).constData(),
                   "user.pelto.probe", "1", 1, 0) != 0)
        GTEST_SKIP() << "no user extended attributes in the temporary folder";

    // Archive mode still lists destination-only folders; this test is about the files.
    ASSERT_TRUE(QDir(box.path(QStringLiteral("dst/old"))).removeRecursively());

    const CliResult copy =
        box.run({QStringLiteral("copy"), QStringLiteral("--archive"),
                 QStringLiteral("--reset-archive"), QStringLiteral("--production"), src(), dst()});
    ASSERT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_TRUE(copy.out.contains(QStringLiteral("\nArchive bits of the copied files cleared.\n")));

    // Every copied file lost its archive bit: the next archive check lists only folder headers,
    // which are no difference.
    const CliResult check =
        box.run({QStringLiteral("check"), QStringLiteral("--archive"), src(), dst()});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.out);
    EXPECT_TRUE(check.out.contains(QStringLiteral("\nDir: ") + src() + QStringLiteral(" to ")));
    EXPECT_FALSE(check.out.contains(QStringLiteral(" archive\u00a0")));
}

} // namespace
} // namespace pelto::cli::test
