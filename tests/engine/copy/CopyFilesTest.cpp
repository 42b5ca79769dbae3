// File copy over real trees: what is copied, what is skipped, attributes, test mode, cancel and
// the item limit.

#include "CopyFixture.h"

#include "platform/SystemDirs.h"

namespace pelto::test {
namespace {

class CopyFiles : public CopyTest {};

// Missing and newer files are copied with their time, the rest left alone, and attributes travel
// by the carry rule.
TEST_F(CopyFiles, CopiesMissingAndNewerFilesAndLeavesTheRestAlone) {
    makeFile("src/a.txt", "new a");
    makeFile("src/B.txt", "new b", kBaseMs + 2000);
    makeFile("dst/b.txt", "old b");
    makeFile("src/c.txt", "same");
    makeFile("dst/c.txt", "same too");
    makeFile("src/d.txt", "older", kBaseMs);
    makeFile("dst/d.txt", "newer", kBaseMs + 5000);
    makeFile("src/ReadMe.TXT", "case");
    const std::vector<std::tuple<const char*, int, int>> carried{
        {"ro", attr::ReadOnly | attr::Archive, attr::ReadOnly},
        {"sys", attr::System | attr::Archive, attr::System},
        // Nothing to carry: the copy keeps what copying gave it (a new file is one to archive).
        {"done", 0, attr::Archive}};
    for (const auto& [name, before, after] : carried) {
        makeFile(QStringLiteral("src/") + name, name);
        setAttributes(QStringLiteral("src/") + name, before);
    }
    ASSERT_TRUE(check());

    EXPECT_TRUE(copyFiles());

    // A missing file arrives under its own name, not the list's lower-cased one.
    EXPECT_EQ(filesIn("dst"), Files({{"ReadMe.TXT", "case"},
                                     {"a.txt", "new a"},
                                     {"b.txt", "new b"},
                                     {"c.txt", "same too"},
                                     {"d.txt", "newer"},
                                     {"done", "done"},
                                     {"ro", "ro"},
                                     {"sys", "sys"}}));
    EXPECT_EQ(QFileInfo(at("dst/b.txt")).lastModified().toMSecsSinceEpoch(), kBaseMs + 2000);
    for (const auto& [name, before, after] : carried) {
        EXPECT_EQ(attributes(QStringLiteral("dst/") + name), after) << name;
        EXPECT_EQ(attributes(QStringLiteral("src/") + name), before) << "the source is not touched";
    }
    EXPECT_TRUE(loggedMessages().isEmpty());
    EXPECT_FALSE(g().gbErrorFlag);
    // The selection moves every fifth line: lines 0 and 5 of the seven.
    EXPECT_EQ(form_.lstSrcFile().count(), 7);
    EXPECT_EQ(form_.lstSrcFile().selectedIndex(), 5);
}

TEST_F(CopyFiles, DriveRootGetsNoPageOrSwapFilesButOtherFoldersDo) {
    for (const QString folder : {"src/", "src2/"})
        for (const char* name :
             {"pagefile.sys", "WIN386.SWP", "hiberfil.sys", "diskstamp.iomega", "pagefile.sys.bak"})
            makeFile(folder + name);
    makeFiles({"dst/", "backup/"});
    fs_.driveRoots.insert(D());

    ASSERT_TRUE(check());
    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(QDir(D()).entryList(QDir::Files), QStringList({"pagefile.sys.bak"}));
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
    for (const QString& line : {dir(S(), config), tagged(1, "sam unmatched"),
                                tagged(2, "system.log newer"), tagged(3, "notes unmatched")})
        form_.lstSrcFile().add(line);

    EXPECT_TRUE(pelto::CopyFiles(S(), config, form_));
    EXPECT_EQ(loggedMessages(),
              QStringList({"Locked registry file skipped: " + S() + "/sam",
                           "Locked registry file skipped: " + S() + "/system.log"}));
}

TEST_F(CopyFiles, ArchiveModePassesOverFilesWhoseArchiveBitWasClearedSinceTheCheck) {
    makeFiles({"src/one.txt", "src/two.txt", "src/old.txt", "dst/"});
    setAttributes("src/old.txt", 0);
    g().gbArchive = true;
    ASSERT_TRUE(check());
    ASSERT_EQ(form_.lstSrcFile().items(), QStringList({dir(S(), D()), tagged(1, "one.txt archive"),
                                                       tagged(2, "two.txt archive")}));
    setAttributes("src/two.txt", 0);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(QDir(D()).entryList(QDir::Files), QStringList({"one.txt"}));
    EXPECT_TRUE(loggedMessages().isEmpty());
}

TEST_F(CopyFiles, CancelStopsBeforeTheNextFile) {
    makeFiles({"src/a1", "src/a2", "src/a3", "dst/"});
    ASSERT_TRUE(check());
    // Each copy takes "five seconds", so the display refresh is due at the next item; the user
    // clicks Cancel while the window processes its events.
    fs_.afterCopy = [&](const QString&) { clock_.advance(5000); };
    form_.onDoEvents = [] { g().gbCancel = true; };

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(QDir(D()).entryList(QDir::Files), QStringList({"a1"}));
    EXPECT_EQ(form_.doEventsCount(), 1);
    EXPECT_EQ(clock_.totalSlept(), 500);
    EXPECT_FALSE(g().gbErrorFlag);
}

// A list longer than one call takes is refused whole, also when its length would wrap a 16-bit
// count to a small positive number (65537 lines would have read as 1).
TEST_F(CopyFiles, ListsBeyondTheItemLimitAreRefusedWhole) {
    makeFiles({"src/a.txt", "dst/"});
    form_.setOptTest(true); // the most one call takes, 32767 lines, goes through
    for (const int lines : {32767, 32768, 65537}) {
        form_.lstSrcFile().clear();
        form_.lstSrcFile().add(dir(S(), D()));
        for (int n = 1; n < lines; ++n)
            form_.lstSrcFile().add(tagged(n, "a.txt unmatched"));
        if (lines > 32767)
            dialogs_->then(BoxAnswer::Ok);

        EXPECT_EQ(copyFiles(), lines == 32767);
        EXPECT_EQ(g().gbErrorFlag, lines > 32767);
        EXPECT_EQ(loggedMessages(), lines == 32767
                                        ? QStringList()
                                        : QStringList({"More than 32766 files + folders."}));
        g().gbErrorFlag = false;
        diag::messageLog().clear();
    }
    ASSERT_EQ(dialogs_->shown().size(), 2);
    const ShownBox& box = dialogs_->shown().last();
    EXPECT_EQ(box.title, "Pelto error - more than 32766 files");
    EXPECT_EQ(box.buttons, BoxButtons::Ok);
    EXPECT_TRUE(box.text.startsWith("This is usually caused by copying to \r\nan NTFS "));
    EXPECT_TRUE(box.text.endsWith("Daylight savings time, so ALL files are \r\nflagged for "
                                  "copying. "));
}

TEST_F(CopyFiles, AllFilesOfAFolderLeaveOutExcludedOnesWithANote) {
    makeFiles({"src/keep.txt", "src/Scratch.TMP", "dst/"});
    setExcludes({"*.tmp"}, true);

    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_, "CopyFolders2"));
    EXPECT_EQ(QDir(D()).entryList(QDir::Files), QStringList({"keep.txt"}));
    EXPECT_EQ(loggedMessages(), QStringList({"Source file excluded: " + S() + "/scratch.tmp"}));
}

} // namespace
} // namespace pelto::test
