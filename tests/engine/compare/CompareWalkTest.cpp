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

    void setExcludes(const QStringList& specs, bool subdirs) {
        g().gasExcludes = QStringList(102);
        g().gasExcludes[0] = QString::number(specs.size() + 1);
        g().gasExcludes[1] = subdirs ? QStringLiteral("subdirs") : QString();
        for (qsizetype k = 0; k < specs.size(); ++k)
            g().gasExcludes[k + 2] = specs[k];
        g().gbExcludes = true;
    }
};

TEST_F(CompareWalk, ArchiveModeListsArchivedSourceFilesAndNeverReadsDestinationFiles) {
    makeFile("src/arc1");
    makeFile("src/clean");
    makeFile("dst/clean");
    makeFile("dst/dstonly");
    makeFile("src/Quiet/q1");
    makeDir("dst/quiet");
    makeFile("src/Sub/arc2");
    makeFile("src/Sub/clean2");
    makeDir("dst/sub");
    makeDir("src/OnlySrc");
    makeDir("dst/OnlyDst");
    if (!clearArchive("src/clean"))
        GTEST_SKIP() << "the temporary folder keeps no extended attributes";
    ASSERT_TRUE(clearArchive("src/Quiet/q1"));
    ASSERT_TRUE(clearArchive("src/Sub/clean2"));
    g().gbArchive = true;

    ASSERT_TRUE(check());

    const QString S = at("src"), D = at("dst");
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + S + " to " + D, tagged(1, "arc1 archive"),
                           "Dir: " + S + "/Quiet to " + D + "/quiet",
                           "Dir: " + S + "/Sub to " + D + "/sub", tagged(3, "arc2 archive")}));
    EXPECT_TRUE(form_.lstDstFile().items().isEmpty());
    EXPECT_EQ(form_.lstDstFolder().items(), QStringList({tagged(1, D + "/onlydst unmatched")}));
    EXPECT_EQ(form_.lstSrcFolder().items(),
              QStringList({tagged(2, S + "/onlysrc unmatched") + " to " + D + "/"}));
    EXPECT_EQ(g().glSrcFiles, 5);
    EXPECT_EQ(g().glDstFiles, 0);
    EXPECT_TRUE(fs_.stated.isEmpty());
    for (const QString& path : fs_.attributesRead.keys())
        EXPECT_TRUE(path.startsWith(S + "/")) << path.toStdString();
    EXPECT_EQ(fs_.listed.value(D), 1);
}

TEST_F(CompareWalk, ExclusionsLeaveOutSourceFilesFoldersAndDestinationFilesOfTheTopFolder) {
    setExcludes({"/tmp*", "*.bak"}, false);
    makeFile("src/keep.txt");
    makeFile("src/old.bak");
    makeFile("dst/other.BAK");
    makeFile("src/TmpFiles/x");
    makeFile("dst/tmpfiles/x");
    makeFile("src/Sub/deep.bak");
    makeDir("dst/sub");

    ASSERT_TRUE(check());

    const QString S = at("src"), D = at("dst");
    EXPECT_EQ(
        form_.lstSrcFile().items(),
        QStringList({"Dir: " + S + " to " + D, tagged(1, "keep.txt unmatched"),
                     "Dir: " + S + "/Sub to " + D + "/sub", tagged(2, "deep.bak unmatched")}));
    EXPECT_EQ(form_.lstDstFolder().items(), QStringList({tagged(1, D + "/tmpfiles unmatched")}));
    EXPECT_TRUE(form_.lstDstFile().items().isEmpty());
    EXPECT_TRUE(form_.lstSrcFolder().items().isEmpty());
    EXPECT_EQ(loggedMessages(), QStringList({"Source file excluded: " + S + "/old.bak",
                                             "Destination file excluded: " + D + "/other.bak",
                                             "Source folder excluded: tmpfiles"}));
    EXPECT_FALSE(fs_.listed.contains(at("src/TmpFiles")));
}

TEST_F(CompareWalk, ExclusionsReachSubfoldersOnlyWithSubdirs) {
    setExcludes({"*.bak"}, true);
    makeFile("src/Sub/deep.bak");
    makeFile("src/Sub/deep.txt");
    makeDir("dst/sub");

    ASSERT_TRUE(check());

    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + at("src/Sub") + " to " + at("dst/sub"),
                           tagged(1, "deep.txt unmatched")}));
    EXPECT_EQ(g().glSrcFiles, 1);

    // Without a profile in force the table is ignored.
    form_.lstSrcFile().clear();
    g().gbExcludes = false;
    ASSERT_TRUE(check());
    EXPECT_EQ(form_.lstSrcFile().count(), 3);
}

TEST_F(CompareWalk, RecycleBinsBelowADriveRootAndSystemVolumeInformationAreSkipped) {
    fs_.driveRoots.insert(at("src"));
    makeFile("src/$Recycle.Bin/x");
    makeDir("dst/$recycle.bin");
    makeFile("src/RECYCLER/y");
    makeFile("src/Sub/recycled/z");
    makeDir("dst/sub/recycled");
    makeFile("src/Sub/System Volume Information/w");
    makeDir("dst/sub/system volume information");

    ASSERT_TRUE(check());

    const QString S = at("src"), D = at("dst");
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + S + "/Sub/recycled to " + D + "/sub/recycled",
                           tagged(2, "z unmatched")}));
    // A bin missing at the destination is still a mismatch of its parent folder.
    EXPECT_EQ(form_.lstSrcFolder().items(),
              QStringList({tagged(1, S + "/recycler unmatched") + " to " + D + "/"}));
    EXPECT_EQ(
        form_.lstShowDirs().items(),
        QStringList({fitted(S), fitted(S + "/$recycle.bin"), fitted(S + "/sub"),
                     fitted(S + "/sub/recycled"), fitted(S + "/sub/system volume information")}));
    EXPECT_FALSE(fs_.listed.contains(at("src/$Recycle.Bin")));
    EXPECT_FALSE(fs_.listed.contains(at("src/Sub/System Volume Information")));

    // A walk that starts inside a bin does nothing at all.
    form_.lstShowDirs().clear();
    EXPECT_TRUE(CheckFolders(S + "/$Recycle.Bin/inner", D, form_, true));
    EXPECT_TRUE(form_.lstShowDirs().items().isEmpty());
    EXPECT_TRUE(IsBuiltInSkip(S + "/Google Desktop Search/idx"));
    EXPECT_TRUE(IsBuiltInSkip("/any/where/SYSTEM VOLUME INFORMATION"));
    EXPECT_FALSE(IsBuiltInSkip(S + "/Sub/recycled"));
}

TEST_F(CompareWalk, MissingDestinationGivesTheFailureReportAndStops) {
    makeFile("src/a");
    dialogs_->then(BoxAnswer::Retry).then(BoxAnswer::Abort);

    EXPECT_FALSE(check("src", "nowhere"));

    ASSERT_EQ(dialogs_->shown().size(), 2);
    EXPECT_EQ(dialogs_->shown()[0].buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_EQ(dialogs_->shown()[0].title, "Unexpected Error");
    EXPECT_EQ(form_.lstSrcFile().count(), 0);
    EXPECT_EQ(form_.lstShowDirs().count(), 0);

    // Ignore leaves the pair out and the check goes on.
    g().gbErrorFlag = false;
    dialogs_->then(BoxAnswer::Ignore);
    EXPECT_TRUE(check("src", "nowhere"));
    EXPECT_EQ(form_.lstSrcFile().count(), 0);
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(CompareWalk, AnUnreadableFolderIsNeverTakenForAnEmptyOne) {
    makeFile("src/Sub/a");
    makeFile("dst/sub/b");
    makeFile("src/Zed/c");
    makeDir("dst/zed");
    faults_.inject(FsOp::List, at("src/Sub"), err::PermissionDenied,
                   FaultInjectingFileSystem::kAlways);
    dialogs_->then(BoxAnswer::Ignore);

    ASSERT_TRUE(check());

    // Neither b (which would be deleted later) nor a is listed; the walk goes on.
    EXPECT_TRUE(form_.lstDstFile().items().isEmpty());
    EXPECT_EQ(
        form_.lstSrcFile().items(),
        QStringList({"Dir: " + at("src/Zed") + " to " + at("dst/zed"), tagged(1, "c unmatched")}));
    EXPECT_FALSE(g().gbErrorFlag);

    // Abort stops the whole walk and flags the error.
    form_.lstSrcFile().clear();
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(check());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_TRUE(form_.lstSrcFile().items().isEmpty());
}

TEST_F(CompareWalk, AFileThatVanishesBeforeItsTimeIsReadGoesToTheFailureReport) {
    makeFile("src/f");
    makeFile("dst/f");
    makeFile("src/g", kBaseMs + 5000);
    makeFile("dst/g");
    makeFile("src/Sub/h");
    makeDir("dst/sub");
    faults_.inject(FsOp::LastModifiedOf, at("src/f"), err::FileNotFound,
                   FaultInjectingFileSystem::kAlways);
    dialogs_->then(BoxAnswer::Ignore);

    ASSERT_TRUE(check());

    EXPECT_EQ(
        form_.lstSrcFile().items(),
        QStringList({"Dir: " + at("src") + " to " + at("dst"), tagged(1, "g newer"),
                     "Dir: " + at("src/Sub") + " to " + at("dst/sub"), tagged(2, "h unmatched")}));

    form_.lstSrcFile().clear();
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(check());
    EXPECT_TRUE(form_.lstSrcFile().items().isEmpty());
    EXPECT_EQ(dialogs_->shown().size(), 2);
}

TEST_F(CompareWalk, CancelSeenAtTheDisplayRefreshEndsTheWalkWithTrue) {
    makeFile("src/a");
    makeFile("src/b");
    makeFile("src/c");
    makeDir("src/F");
    makeDir("dst");
    g().giUpdateFrequency = 4;
    clock_.advance(4001);
    form_.onDoEvents = [] { g().gbCancel = true; };

    EXPECT_TRUE(check());

    EXPECT_TRUE(g().gbCancel);
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + at("src") + " to " + at("dst"), tagged(1, "a unmatched")}));
    EXPECT_TRUE(form_.lstSrcFolder().items().isEmpty());
    EXPECT_TRUE(form_.lstShowDirs().items().isEmpty());
    EXPECT_EQ(clock_.totalSlept(), 500);
    EXPECT_EQ(form_.doEventsCount(), 1);
}

TEST_F(CompareWalk, WithUpdatePeriodZeroEveryTurnPausesOnTheManualClock) {
    makeFile("src/a");
    makeFile("src/b");
    makeFile("dst/c");
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
    makeFile("src/README.txt");
    makeFile("dst/readme.txt");
    makeFile("src/normal.txt");
    makeFile("dst/Dup");
    makeFile("dst/dup");
    makeFile("src/Docs/a");
    makeFile("src/docs/b");
    makeDir("dst/docs");
    makeFile("src/Fine/c");
    makeDir("dst/FINE");

    ASSERT_TRUE(check());

    const QString S = at("src"), D = at("dst");
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + S + " to " + D, tagged(1, "normal.txt unmatched"),
                           "Dir: " + S + "/Fine to " + D + "/FINE", tagged(2, "c unmatched")}));
    EXPECT_TRUE(form_.lstDstFile().items().isEmpty());
    EXPECT_TRUE(form_.lstSrcFolder().items().isEmpty());
    EXPECT_TRUE(form_.lstDstFolder().items().isEmpty());

    QStringList logged = loggedMessages();
    std::sort(logged.begin(), logged.end());
    const QString note =
        "Skipped, the folder holds another name that differs only in letter case: ";
    QStringList expected;
    for (const QString& path : {S + "/Readme.txt", S + "/README.txt", D + "/readme.txt", D + "/Dup",
                                D + "/dup", S + "/Docs", S + "/docs", D + "/docs"})
        expected.append(note + path);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(logged, expected);
    EXPECT_FALSE(fs_.listed.contains(at("src/Docs")));
    EXPECT_FALSE(fs_.stated.contains(at("src/Readme.txt")));
}

} // namespace
} // namespace pelto::test
