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
    // Checks and copies a tree of the given files; dst is made.
    void copyTree(std::initializer_list<const char*> files) {
        for (const char* file : files)
            makeFile(QString::fromUtf8(file));
        makeDir("dst");
        ASSERT_TRUE(check());
        ASSERT_TRUE(copy());
    }
};

TEST_F(ResetArchive, ClearsTheArchiveBitOfEachCopiedFileAndItsCopy) {
    makeFile("src/ro.txt");
    setAttributes("src/ro.txt", attr::ReadOnly | attr::Archive);
    makeFile("src/untouched.txt");
    setAttributes("src/untouched.txt", attr::Hidden);
    copyTree({"src/plain.txt", "src/New/Inner/n.txt"});
    ASSERT_EQ(attributes("dst/ro.txt"), attr::ReadOnly);

    EXPECT_TRUE(reset());
    for (const char* file :
         {"src/plain.txt", "dst/plain.txt", "src/New/Inner/n.txt", "dst/new/Inner/n.txt"})
        EXPECT_EQ(attributes(file), 0) << file;
    EXPECT_EQ(attributes("src/ro.txt"), attr::ReadOnly);
    EXPECT_EQ(attributes("dst/ro.txt"), attr::ReadOnly);
    EXPECT_EQ(attributes("src/untouched.txt"), attr::Hidden);

    // The next check in archive mode finds nothing to copy (folders with files still get their
    // header line).
    ASSERT_TRUE(check());
    for (const QString& line : form_.lstSrcFile().items())
        EXPECT_TRUE(line.startsWith("Dir: ")) << line.toStdString();
    EXPECT_EQ(form_.lstSrcFolder().count(), 0);
}

TEST_F(ResetArchive, UserAndSystemHivesKeepTheirArchiveBit) {
    makeDir("dst/documents and settings/joe");
    makeDir("dst/system32/config");
    copyTree({"src/Documents and Settings/joe/NTUSER.DAT",
              "src/Documents and Settings/joe/notes.txt", "src/System32/Config/SAM"});

    EXPECT_TRUE(reset());
    EXPECT_EQ(attributes("src/Documents and Settings/joe/NTUSER.DAT"), attr::Archive);
    EXPECT_EQ(attributes("dst/documents and settings/joe/NTUSER.DAT"), attr::Archive);
    EXPECT_EQ(attributes("src/System32/Config/SAM"), attr::Archive);
    EXPECT_EQ(attributes("src/Documents and Settings/joe/notes.txt"), 0);
}

// What the copy did not copy keeps its archive bit, so the next run offers it again, and the
// reset does not report the copy it cannot find.
TEST_F(ResetArchive, FilesAndFoldersTheCopySkippedKeepTheirBitWithoutAReport) {
    setExcludes({"*.tmp", "/cache"}, true);
    fs_.inject(FsOp::CopyFile, at("dst/locked.txt"), err::PermissionDenied,
               FaultInjectingFileSystem::kAlways);
    copyTree({"src/locked.txt", "src/fine.txt", "src/New/keep.txt", "src/New/scratch.tmp",
              "src/New/Cache/c.txt"});
    ASSERT_FALSE(exists("dst/New/scratch.tmp"));
    ASSERT_FALSE(exists("dst/New/Cache"));

    EXPECT_TRUE(reset());
    EXPECT_TRUE(dialogs_->shown().isEmpty());
    for (const char* file : {"src/locked.txt", "src/New/scratch.tmp", "src/New/Cache/c.txt"})
        EXPECT_EQ(attributes(file), attr::Archive) << file;
    for (const char* file : {"src/fine.txt", "src/New/keep.txt", "dst/New/keep.txt"})
        EXPECT_EQ(attributes(file), 0) << file;
}

// A copy that is missing for another reason is a failure the user hears of.
TEST_F(ResetArchive, ACopyGoneSinceTheCopyGoesToTheFailureReport) {
    copyTree({"src/a.txt", "src/b.txt"});
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
