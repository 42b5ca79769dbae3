// File copy over real trees: what is copied, what is skipped, attributes, test mode, cancel and
// the item limit.

#include "CopyFixture.h"

#include "platform/SystemDirs.h"

namespace pelto::test {
namespace {

class CopyFiles : public CopyTest {};

TEST_F(CopyFiles, CopiesMissingAndNewerFilesAndLeavesTheRestAlone) {
    makeFile("src/a.txt", "new a");
    makeFile("src/B.txt", "new b", kBaseMs + 2000);
    makeFile("dst/b.txt", "old b");
    makeFile("src/c.txt", "same");
    makeFile("dst/c.txt", "same too");
    makeFile("src/d.txt", "older", kBaseMs);
    makeFile("dst/d.txt", "newer", kBaseMs + 5000);
    makeFile("src/ReadMe.TXT", "case");
    ASSERT_TRUE(check());

    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_));

    EXPECT_EQ(read("dst/a.txt"), "new a");
    EXPECT_EQ(read("dst/b.txt"), "new b");
    EXPECT_EQ(QFileInfo(at("dst/b.txt")).lastModified().toMSecsSinceEpoch(), kBaseMs + 2000);
    EXPECT_EQ(read("dst/c.txt"), "same too");
    EXPECT_EQ(read("dst/d.txt"), "newer");
    // A missing file arrives under its own name, not the list's lower-cased one.
    EXPECT_EQ(QDir(D()).entryList(QDir::Files, QDir::Name),
              QStringList({"ReadMe.TXT", "a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_TRUE(loggedMessages().isEmpty());
    EXPECT_FALSE(g().gbErrorFlag);
    // The selection moves every fifth line: lines 0 and 5 of the six.
    EXPECT_EQ(form_.lstSrcFile().count(), 4);
    EXPECT_EQ(form_.lstSrcFile().selectedIndex(), 0);
}

TEST_F(CopyFiles, DriveRootGetsNoPageOrSwapFilesButOtherFoldersDo) {
    for (const char* name :
         {"pagefile.sys", "WIN386.SWP", "hiberfil.sys", "diskstamp.iomega", "notes.txt"}) {
        makeFile(QStringLiteral("src/") + name);
        makeFile(QStringLiteral("src2/") + name);
    }
    makeDir("dst");
    makeDir("backup");
    fs_.driveRoots.insert(D());

    ASSERT_TRUE(check());
    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_));
    EXPECT_EQ(QDir(D()).entryList(QDir::Files), QStringList({"notes.txt"}));
    EXPECT_TRUE(loggedMessages().isEmpty());

    ASSERT_TRUE(check(at("src2"), at("backup")));
    EXPECT_TRUE(pelto::CopyFiles(at("src2"), at("backup"), form_));
    EXPECT_EQ(QDir(at("backup")).entryList(QDir::Files).size(), 5);
}

TEST_F(CopyFiles, LiveRegistryHivesAreSkippedAndLoggedEvenInTestMode) {
    const QString config = GetSystemDir();
    ASSERT_NE(config, QString::fromLatin1(kApiCallFailed));
    makeFile("src/SAM", "hive");
    makeFile("src/system.log", "hive log");
    makeFile("src/notes", "text");
    // The running system's configuration folder is never written by a test: test mode only.
    form_.setOptTest(true);
    form_.lstSrcFile().add("Dir: " + S() + " to " + config);
    form_.lstSrcFile().add(tagged(1, "sam unmatched"));
    form_.lstSrcFile().add(tagged(2, "system.log newer"));
    form_.lstSrcFile().add(tagged(3, "notes unmatched"));

    EXPECT_TRUE(pelto::CopyFiles(S(), config, form_));
    EXPECT_EQ(loggedMessages(),
              QStringList({"Locked registry file skipped: " + S() + "/sam",
                           "Locked registry file skipped: " + S() + "/system.log"}));
}

TEST_F(CopyFiles, ArchiveModePassesOverFilesWhoseArchiveBitWasClearedSinceTheCheck) {
    makeFile("src/one.txt", "1");
    makeFile("src/two.txt", "2");
    makeFile("src/old.txt", "3");
    setAttributes("src/old.txt", 0);
    makeDir("dst");
    g().gbArchive = true;
    ASSERT_TRUE(check());
    ASSERT_EQ(form_.lstSrcFile().items(),
              QStringList({"Dir: " + S() + " to " + D(), tagged(1, "one.txt archive"),
                           tagged(2, "two.txt archive")}));
    setAttributes("src/two.txt", 0);

    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_));
    EXPECT_EQ(QDir(D()).entryList(QDir::Files), QStringList({"one.txt"}));
    EXPECT_TRUE(loggedMessages().isEmpty());
}

TEST_F(CopyFiles, AttributesTravelByTheCarryRule) {
    makeFile("src/ro.txt");
    setAttributes("src/ro.txt", attr::ReadOnly | attr::Archive);
    makeFile("src/plain.txt");
    setAttributes("src/plain.txt", attr::Archive);
    makeFile("src/sys.txt");
    setAttributes("src/sys.txt", attr::System | attr::Archive);
    makeFile("src/done.txt");
    setAttributes("src/done.txt", 0);
    makeDir("dst");
    ASSERT_TRUE(check());

    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_));
    EXPECT_EQ(attributes("dst/ro.txt"), attr::ReadOnly);
    EXPECT_EQ(attributes("dst/plain.txt"), attr::Archive);
    EXPECT_EQ(attributes("dst/sys.txt"), attr::System);
    // Nothing to carry: the copy keeps what copying gave it (a new file is one to archive).
    EXPECT_EQ(attributes("dst/done.txt"), attr::Archive);
    // The source is not touched.
    EXPECT_EQ(attributes("src/ro.txt"), attr::ReadOnly | attr::Archive);
}

TEST_F(CopyFiles, CancelStopsBeforeTheNextFile) {
    makeFile("src/a1");
    makeFile("src/a2");
    makeFile("src/a3");
    makeDir("dst");
    ASSERT_TRUE(check());
    // Each copy takes "five seconds", so the display refresh is due at the next item; the user
    // clicks Cancel while the window processes its events.
    fs_.afterCopy = [&](const QString&) { clock_.advance(5000); };
    form_.onDoEvents = [] { g().gbCancel = true; };

    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_));
    EXPECT_EQ(QDir(D()).entryList(QDir::Files), QStringList({"a1"}));
    EXPECT_EQ(form_.doEventsCount(), 1);
    EXPECT_EQ(clock_.totalSlept(), 500);
    EXPECT_FALSE(g().gbErrorFlag);
}

// A list longer than one call takes is refused whole, also when its length would wrap a 16-bit
// count to a small positive number (65537 lines would have read as 1).
TEST_F(CopyFiles, ListsBeyondTheItemLimitAreRefusedWhole) {
    makeFile("src/a.txt");
    makeDir("dst");
    for (const int lines : {32768, 65537}) {
        form_.lstSrcFile().clear();
        form_.lstSrcFile().add("Dir: " + S() + " to " + D());
        for (int n = 1; n < lines; ++n)
            form_.lstSrcFile().add(tagged(n, "a.txt unmatched"));
        g().gbErrorFlag = false;
        dialogs_->then(BoxAnswer::Ok);
        diag::messageLog().clear();

        EXPECT_FALSE(pelto::CopyFiles(S(), D(), form_));
        EXPECT_TRUE(g().gbErrorFlag);
        EXPECT_FALSE(exists("dst/a.txt"));
        EXPECT_EQ(loggedMessages(), QStringList({"More than 32766 files + folders."}));
        const ShownBox& box = dialogs_->shown().last();
        EXPECT_EQ(box.title, "Pelto error - more than 32766 files");
        EXPECT_EQ(box.buttons, BoxButtons::Ok);
        EXPECT_TRUE(box.text.startsWith("This is usually caused by copying to \r\nan NTFS "));
        EXPECT_TRUE(box.text.endsWith("Daylight savings time, so ALL files are \r\nflagged for "
                                      "copying. "));
    }
    // The most one call takes: 32767 lines.
    form_.lstSrcFile().clear();
    form_.lstSrcFile().add("Dir: " + S() + " to " + D());
    for (int n = 1; n < 32767; ++n)
        form_.lstSrcFile().add(tagged(n, "a.txt unmatched"));
    form_.setOptTest(true);
    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_));
}

TEST_F(CopyFiles, AllFilesOfAFolderLeaveOutExcludedOnesWithANote) {
    makeFile("src/keep.txt");
    makeFile("src/Scratch.TMP");
    makeDir("dst");
    g().gbExcludes = true;
    g().gasExcludes[0] = "2";
    g().gasExcludes[1] = "subdirs";
    g().gasExcludes[2] = "*.tmp";

    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_, "CopyFolders2"));
    EXPECT_EQ(QDir(D()).entryList(QDir::Files), QStringList({"keep.txt"}));
    EXPECT_EQ(loggedMessages(), QStringList({"Source file excluded: " + S() + "/scratch.tmp"}));
}

} // namespace
} // namespace pelto::test
