// How the walk treats archive mode, exclusions, built-in skips, failures, cancel, the display
// refresh and names that differ only in letter case.

#include "CompareFixture.h"
#include "support/ManualClock.h"

#include <algorithm>

namespace pelto::test {
namespace {

class CompareWalk : public CompareTest {
protected:
    // Clears a file's archive bit; false where the file system keeps no attributes.
    bool clearArchive(const QString& rel) {
        const QString path = at(rel);
        fs_.SetAttributesOf(path, fs_.AttributesOf(path) & ~attr::Archive & attr::Writable);
        return (fs_.AttributesOf(path) & attr::Archive) == 0;
    }
};

TEST_F(CompareWalk, ArchiveModeListsArchivedSourceFilesAndNeverReadsDestinationFiles) {
    makeFiles({"src/arc1", "src/clean", "dst/clean", "dst/dstonly", "src/Quiet/q1", "src/Sub/arc2",
               "src/Sub/clean2", "dst/quiet/", "dst/sub/", "src/OnlySrc/", "dst/OnlyDst/"});
    if (!clearArchive("src/clean"))
        GTEST_SKIP() << "the temporary folder keeps no extended attributes";
    ASSERT_TRUE(clearArchive("src/Quiet/q1"));
    ASSERT_TRUE(clearArchive("src/Sub/clean2"));
    g().gbArchive = true;

    ASSERT_TRUE(check());

    EXPECT_EQ(
        form_.lstSrcFile().items(),
        QStringList({dir(S(), D()), tagged(1, "arc1 archive"), dir(S() + "/Quiet", D() + "/quiet"),
                     dir(S() + "/Sub", D() + "/sub"), tagged(3, "arc2 archive")}));
    EXPECT_TRUE(form_.lstDstFile().items().isEmpty());
    EXPECT_EQ(form_.lstDstFolder().items(), QStringList({tagged(1, D() + "/onlydst unmatched")}));
    EXPECT_EQ(form_.lstSrcFolder().items(),
              QStringList({tagged(2, S() + "/onlysrc unmatched") + " to " + D() + "/"}));
    EXPECT_EQ(g().glSrcFiles, 5);
    EXPECT_EQ(g().glDstFiles, 0);
    EXPECT_TRUE(fs_.stated.isEmpty());
    for (const QString& path : fs_.attributesRead.keys())
        EXPECT_TRUE(path.startsWith(S() + "/")) << path.toStdString();
    EXPECT_EQ(fs_.listed.value(D()), 1);
}

// Without subdirs the table leaves out source files, folders and destination files of the top
// folder only; with it every folder; without a profile in force it is ignored.
TEST_F(CompareWalk, ExclusionsReachSubfoldersOnlyWithSubdirs) {
    makeFiles({"src/keep.txt", "src/old.bak", "dst/other.BAK", "src/TmpFiles/x", "dst/tmpfiles/x",
               "src/Sub/deep.bak", "src/Sub/deep.txt", "dst/sub/"});
    const QString keep = tagged(1, "keep.txt unmatched"), sub = dir(S() + "/Sub", D() + "/sub");

    setExcludes({"/tmp*", "*.bak"}, false);
    ASSERT_TRUE(check());
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({dir(S(), D()), keep, sub, tagged(2, "deep.bak unmatched"),
                           tagged(3, "deep.txt unmatched")}));
    EXPECT_EQ(form_.lstDstFolder().items(), QStringList({tagged(1, D() + "/tmpfiles unmatched")}));
    EXPECT_TRUE(form_.lstDstFile().items().isEmpty());
    EXPECT_TRUE(form_.lstSrcFolder().items().isEmpty());
    EXPECT_EQ(loggedMessages(), QStringList({"Source file excluded: " + S() + "/old.bak",
                                             "Destination file excluded: " + D() + "/other.bak",
                                             "Source folder excluded: tmpfiles"}));
    EXPECT_FALSE(fs_.listed.contains(at("src/TmpFiles")));

    setExcludes({"/tmp*", "*.bak"}, true);
    newCheck();
    ASSERT_TRUE(check());
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({dir(S(), D()), keep, sub, tagged(2, "deep.txt unmatched")}));

    g().gbExcludes = false;
    newCheck();
    ASSERT_TRUE(check());
    EXPECT_EQ(form_.lstSrcFile().count(), 6);
}

TEST_F(CompareWalk, RecycleBinsBelowADriveRootAndSystemVolumeInformationAreSkipped) {
    fs_.driveRoots.insert(S());
    makeFiles({"src/$Recycle.Bin/x", "src/RECYCLER/y", "src/Sub/recycled/z",
               "src/Sub/System Volume Information/w", "dst/$recycle.bin/", "dst/sub/recycled/",
               "dst/sub/system volume information/"});

    ASSERT_TRUE(check());

    EXPECT_EQ(
        form_.lstSrcFile().items(),
        QStringList({dir(S() + "/Sub/recycled", D() + "/sub/recycled"), tagged(2, "z unmatched")}));
    // A bin missing at the destination is still a mismatch of its parent folder.
    EXPECT_EQ(form_.lstSrcFolder().items(),
              QStringList({tagged(1, S() + "/recycler unmatched") + " to " + D() + "/"}));
    EXPECT_EQ(form_.lstShowDirs().items(),
              QStringList({fitted(S()), fitted(S() + "/$recycle.bin"), fitted(S() + "/sub"),
                           fitted(S() + "/sub/recycled"),
                           fitted(S() + "/sub/system volume information")}));
    EXPECT_FALSE(fs_.listed.contains(at("src/$Recycle.Bin")));
    EXPECT_FALSE(fs_.listed.contains(at("src/Sub/System Volume Information")));

    // A walk that starts inside a bin does nothing at all.
    form_.lstShowDirs().clear();
    EXPECT_TRUE(CheckFolders(S() + "/$Recycle.Bin/inner", D(), form_, true));
    EXPECT_TRUE(form_.lstShowDirs().items().isEmpty());
    EXPECT_TRUE(IsBuiltInSkip(S() + "/Google Desktop Search/idx"));
    EXPECT_TRUE(IsBuiltInSkip("/any/where/SYSTEM VOLUME INFORMATION"));
    EXPECT_FALSE(IsBuiltInSkip(S() + "/Sub/recycled"));
}

TEST_F(CompareWalk, MissingDestinationGivesTheFailureReportAndStops) {
    makeFile("src/a");
    dialogs_->then(BoxAnswer::Retry).then(BoxAnswer::Abort);

    EXPECT_FALSE(check("src", "nowhere"));
    ASSERT_EQ(dialogs_->shown().size(), 2);
    EXPECT_EQ(dialogs_->shown()[0].buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_EQ(dialogs_->shown()[0].title, "Unexpected Error");
    EXPECT_EQ(results(), QList<QStringList>(9));

    // Ignore leaves the pair out and the check goes on.
    g().gbErrorFlag = false;
    dialogs_->then(BoxAnswer::Ignore);
    EXPECT_TRUE(check("src", "nowhere"));
    EXPECT_EQ(form_.lstSrcFile().count(), 0);
    EXPECT_FALSE(g().gbErrorFlag);
}

// A folder that cannot be listed, or a file whose time cannot be read: Ignore leaves it out (an
// unreadable folder is never taken for an empty one, whose destination files would be deleted
// later) and the walk goes on; Abort ends the walk and flags the error.
TEST_F(CompareWalk, ReadFailuresLeaveTheItemOutOrEndTheWalk) {
    makeFiles({"src/Sub/a", "dst/sub/b", "src/Zed/c", "dst/zed/", "src/f", "dst/f", "dst/g"});
    makeFile("src/g", kBaseMs + 5000);
    faults_.inject(FsOp::List, at("src/Sub"), err::PermissionDenied,
                   FaultInjectingFileSystem::kAlways);
    faults_.inject(FsOp::LastModifiedOf, at("src/f"), err::FileNotFound,
                   FaultInjectingFileSystem::kAlways);
    dialogs_->then(BoxAnswer::Ignore).then(BoxAnswer::Ignore);

    ASSERT_TRUE(check());
    EXPECT_TRUE(form_.lstDstFile().items().isEmpty());
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({dir(S(), D()), tagged(1, "g newer"), dir(S() + "/Zed", D() + "/zed"),
                           tagged(2, "c unmatched")}));
    EXPECT_FALSE(g().gbErrorFlag);

    // Abort at the time ends the walk before any line; at the folder it also flags the error.
    newCheck();
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(check());
    EXPECT_TRUE(form_.lstSrcFile().items().isEmpty());
    faults_.clearFaults();
    faults_.inject(FsOp::List, at("src/Sub"), err::PermissionDenied, 1);
    newCheck();
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(check());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(form_.lstSrcFile().items(), QStringList({dir(S(), D()), tagged(1, "g newer")}));
    EXPECT_EQ(dialogs_->shown().size(), 4);
}

TEST_F(CompareWalk, CancelSeenAtTheDisplayRefreshEndsTheWalkWithTrue) {
    makeFiles({"src/a", "src/b", "src/c", "src/F/", "dst/"});
    g().giUpdateFrequency = 4;
    clock_.advance(4001);
    form_.onDoEvents = [] { g().gbCancel = true; };

    EXPECT_TRUE(check());

    EXPECT_TRUE(g().gbCancel);
    QList<QStringList> expected(9);
    expected[0] = {dir(S(), D()), tagged(1, "a unmatched")};
    EXPECT_EQ(results(), expected);
    EXPECT_EQ(clock_.totalSlept(), 500);
    EXPECT_EQ(form_.doEventsCount(), 1);
}

TEST_F(CompareWalk, WithUpdatePeriodZeroEveryTurnPausesOnTheManualClock) {
    makeFiles({"src/a", "src/b", "dst/c"});
    g().giUpdateFrequency = 0;
    clock_.advance(1);
    form_.onDoEvents = [this] { clock_.advance(1); };

    ASSERT_TRUE(check());

    EXPECT_EQ(form_.doEventsCount(), 3); // one per turn: a, b, c
    EXPECT_EQ(clock_.totalSlept(), 3 * 500);
    EXPECT_EQ(form_.refreshCount(), 3 + 1); // and the top folder shown once
    EXPECT_EQ(form_.lstSrcFile().publishedCount(), form_.lstSrcFile().count());
}

TEST_F(CompareWalk, NamesDifferingOnlyInCaseWithinAFolderAreLeftOutOnBothSides) {
    makeFile("src/Readme.txt", kBaseMs + 5000);
    makeFiles({"src/README.txt", "dst/readme.txt", "src/normal.txt", "dst/Dup", "dst/dup",
               "src/Docs/a", "src/docs/b", "src/Fine/c", "dst/docs/", "dst/FINE/"});

    ASSERT_TRUE(check());

    QList<QStringList> expected(9);
    expected[0] = {dir(S(), D()), tagged(1, "normal.txt unmatched"),
                   dir(S() + "/Fine", D() + "/FINE"), tagged(2, "c unmatched")};
    expected[8] = {fitted(S()), fitted(S() + "/fine")};
    EXPECT_EQ(results(), expected);

    QStringList logged = loggedMessages();
    std::sort(logged.begin(), logged.end());
    QStringList expectedLog;
    for (const QString& path :
         {S() + "/Readme.txt", S() + "/README.txt", D() + "/readme.txt", D() + "/Dup", D() + "/dup",
          S() + "/Docs", S() + "/docs", D() + "/docs"})
        expectedLog.append(
            "Skipped, the folder holds another name that differs only in letter case: " + path);
    std::sort(expectedLog.begin(), expectedLog.end());
    EXPECT_EQ(logged, expectedLog);
    EXPECT_FALSE(fs_.listed.contains(at("src/Docs")));
    EXPECT_FALSE(fs_.stated.contains(at("src/Readme.txt")));
}

} // namespace
} // namespace pelto::test
