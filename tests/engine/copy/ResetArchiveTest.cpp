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
    // Checks and copies a tree of the given items; dst is made.
    void copyTree(const QStringList& items) {
        makeTree(items + QStringList{"dst/"});
        ASSERT_TRUE(check());
        ASSERT_TRUE(copy());
    }
};

// What the copy did not copy keeps its archive bit for the next run, without a report.
TEST_F(ResetArchive, FilesAndFoldersTheCopySkippedKeepTheirBitWithoutAReport) {
    setExcludes({"*.tmp", "/cache"}, true);
    fs_.inject(FsOp::CopyFile, at("dst/locked.txt"), err::PermissionDenied,
               FaultInjectingFileSystem::kAlways);
    copyTree({"src/locked.txt", "src/fine.txt", "src/New/keep.txt", "src/New/scratch.tmp",
              "src/New/Cache/c.txt"});
    ASSERT_EQ(snapshot("dst"), QStringList({"New/", "New/keep.txt=x", "fine.txt=x"}));

    EXPECT_TRUE(reset());
    EXPECT_TRUE(dialogs_->shown().isEmpty());
    for (const char* file : {"src/locked.txt", "src/New/scratch.tmp", "src/New/Cache/c.txt"})
        EXPECT_EQ(attributes(file), attr::Archive) << file;
    for (const char* file : {"src/fine.txt", "src/New/keep.txt", "dst/New/keep.txt"})
        EXPECT_EQ(attributes(file), 0) << file;
}

} // namespace
} // namespace pelto::test
