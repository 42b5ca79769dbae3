// Archive bit reset after a copy in archive mode, over real trees.

#include "CopyFixture.h"

namespace pelto::test {
namespace {

class ResetArchive : public CopyTest {
protected:
    void SetUp() override {
        CopyTest::SetUp();
        g().gbArchive = true;
        form_.setChkArchive(true);
    }
    bool reset() { return ResetArcFolders(S(), D(), form_); }
};

TEST_F(ResetArchive, ClearsTheArchiveBitOfEachCopiedFileAndItsCopy) {
    makeFile("src/ro.txt");
    setAttributes("src/ro.txt", attr::ReadOnly | attr::Archive);
    makeFile("src/plain.txt");
    makeFile("src/New/Inner/n.txt");
    makeFile("src/untouched.txt");
    setAttributes("src/untouched.txt", attr::Hidden);
    makeDir("dst");
    ASSERT_TRUE(check());
    ASSERT_TRUE(copy());
    ASSERT_EQ(attributes("dst/ro.txt"), attr::ReadOnly);

    EXPECT_TRUE(reset());
    EXPECT_EQ(attributes("src/ro.txt"), attr::ReadOnly);
    EXPECT_EQ(attributes("dst/ro.txt"), attr::ReadOnly);
    EXPECT_EQ(attributes("src/plain.txt"), 0);
    EXPECT_EQ(attributes("dst/plain.txt"), 0);
    EXPECT_EQ(attributes("src/New/Inner/n.txt"), 0);
    EXPECT_EQ(attributes("dst/new/Inner/n.txt"), 0);
    EXPECT_EQ(attributes("src/untouched.txt"), attr::Hidden);

    // The next check in archive mode finds nothing to copy (folders with files still get their
    // header line).
    ASSERT_TRUE(check());
    for (const QString& line : form_.lstSrcFile().items())
        EXPECT_TRUE(line.startsWith("Dir: ")) << line.toStdString();
    EXPECT_EQ(form_.lstSrcFolder().count(), 0);
}

TEST_F(ResetArchive, UserAndSystemHivesKeepTheirArchiveBit) {
    makeFile("src/Documents and Settings/joe/NTUSER.DAT");
    makeFile("src/Documents and Settings/joe/notes.txt");
    makeFile("src/System32/Config/SAM");
    makeDir("dst/documents and settings/joe");
    makeDir("dst/system32/config");
    ASSERT_TRUE(check());
    ASSERT_TRUE(copy());

    EXPECT_TRUE(reset());
    EXPECT_EQ(attributes("src/Documents and Settings/joe/NTUSER.DAT"), attr::Archive);
    EXPECT_EQ(attributes("dst/documents and settings/joe/NTUSER.DAT"), attr::Archive);
    EXPECT_EQ(attributes("src/System32/Config/SAM"), attr::Archive);
    EXPECT_EQ(attributes("src/Documents and Settings/joe/notes.txt"), 0);
}

// What the copy did not copy keeps its archive bit, so the next run offers it again, and the
// reset does not report the copy it cannot find.
TEST_F(ResetArchive, FilesAndFoldersTheCopySkippedKeepTheirBitWithoutAReport) {
    makeFile("src/locked.txt");
    makeFile("src/fine.txt");
    makeFile("src/New/keep.txt");
    makeFile("src/New/scratch.tmp");
    makeFile("src/New/Cache/c.txt");
    makeDir("dst");
    g().gbExcludes = true;
    g().gasExcludes[0] = "3";
    g().gasExcludes[1] = "subdirs";
    g().gasExcludes[2] = "*.tmp";
    g().gasExcludes[3] = "/cache";
    ASSERT_TRUE(check());
    fs_.inject(FsOp::CopyFile, at("dst/locked.txt"), err::PermissionDenied,
               FaultInjectingFileSystem::kAlways);
    ASSERT_TRUE(copy());
    ASSERT_FALSE(exists("dst/New/scratch.tmp"));
    ASSERT_FALSE(exists("dst/New/Cache"));

    EXPECT_TRUE(reset());
    EXPECT_TRUE(dialogs_->shown().isEmpty());
    EXPECT_EQ(attributes("src/locked.txt"), attr::Archive);
    EXPECT_EQ(attributes("src/New/scratch.tmp"), attr::Archive);
    EXPECT_EQ(attributes("src/New/Cache/c.txt"), attr::Archive);
    EXPECT_EQ(attributes("src/fine.txt"), 0);
    EXPECT_EQ(attributes("src/New/keep.txt"), 0);
    EXPECT_EQ(attributes("dst/New/keep.txt"), 0);
}

// A copy that is missing for another reason is a failure the user hears of.
TEST_F(ResetArchive, ACopyGoneSinceTheCopyGoesToTheFailureReport) {
    makeFile("src/a.txt");
    makeFile("src/b.txt");
    makeDir("dst");
    ASSERT_TRUE(check());
    ASSERT_TRUE(copy());
    ASSERT_TRUE(QFile::remove(at("dst/a.txt")));
    dialogs_->then(BoxAnswer::Abort);

    EXPECT_FALSE(reset());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(dialogs_->shown().at(0).buttons, BoxButtons::AbortRetryIgnore);
    // The source was cleared before its copy was looked up; b.txt was not reached.
    EXPECT_EQ(attributes("src/a.txt"), 0);
    EXPECT_EQ(attributes("src/b.txt"), attr::Archive);
}

} // namespace
} // namespace pelto::test
