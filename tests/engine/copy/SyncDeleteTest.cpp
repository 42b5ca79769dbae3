// Synchronising delete over real trees: what goes, what stays, nested folders, failures.

#include "CopyFixture.h"

namespace pelto::test {
namespace {

class SyncDelete : public CopyTest {};

TEST_F(SyncDelete, DeletesDestinationOnlyFoldersWithTheirContentThenFiles) {
    makeFile("src/keep.txt");
    makeFile("dst/keep.txt");
    makeFile("dst/x.log");
    makeFile("dst/Old/deep/file");
    makeFile("src/Sub/s");
    makeFile("dst/sub/s");
    makeFile("dst/sub/extra.bin");
    setAttributes("dst/sub/extra.bin", attr::ReadOnly | attr::Archive);
    ASSERT_TRUE(check());

    EXPECT_TRUE(pelto::SyncDelete(form_));
    EXPECT_EQ(QDir(D()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
              QStringList({"keep.txt", "sub"}));
    EXPECT_EQ(QDir(at("dst/sub")).entryList(QDir::Files), QStringList({"s"}));
    EXPECT_EQ(form_.lstDstFolder().selectedIndex(), 0);
    EXPECT_EQ(form_.lstDstFile().selectedIndex(), form_.lstDstFile().count() - 1);
    // The lists still show what was deleted.
    EXPECT_EQ(form_.lstDstFile().count(), 4);
    EXPECT_FALSE(g().gbErrorFlag);
}

// Two nested folders listed in that order: the inner one went with the outer one, and files
// listed under it are not attempted.
TEST_F(SyncDelete, NestedFoldersAreDeletedOnceAndTheirFilesSkipped) {
    makeFile("dst/x/y/f", "f");
    makeFile("dst/xy/g", "g");
    makeFile("dst/loose.txt");
    makeFile("dst/kept.txt");
    ResultList& folders = form_.lstDstFolder();
    folders.add(tagged(1, D() + "/x unmatched"));
    folders.add(tagged(2, D() + "/x/y unmatched"));
    ResultList& files = form_.lstDstFile();
    files.add("Dir: " + D() + "/x/y");
    files.add(tagged(3, "f unmatched"));
    files.add("Dir: " + D() + "/xy");
    files.add(tagged(4, "g unmatched"));
    files.add("Dir: " + D());
    files.add(tagged(5, "loose.txt unmatched"));

    EXPECT_TRUE(pelto::SyncDelete(form_));
    EXPECT_FALSE(exists("dst/x"));
    // "x" does not hold "xy".
    EXPECT_FALSE(exists("dst/xy/g"));
    EXPECT_TRUE(exists("dst/xy"));
    EXPECT_FALSE(exists("dst/loose.txt"));
    EXPECT_TRUE(exists("dst/kept.txt"));
    EXPECT_EQ(fs_.calls(FsOp::DeleteFolder), 2);
    EXPECT_EQ(fs_.calls(FsOp::DeleteFile), 2);
    EXPECT_TRUE(dialogs_->shown().isEmpty());
}

TEST_F(SyncDelete, RecycleBinsBootFoldersAndSwapFilesStay) {
    makeDir("src/tools");
    makeFile("dst/Recycled/r");
    makeFile("dst/$RECYCLE.BIN/r");
    makeFile("dst/tools/BootWiz/b");
    makeFile("dst/tools/other/o");
    for (const char* name : {"pagefile.sys", "WIN386.SWP", "hiberfil.sys"})
        makeFile(QStringLiteral("dst/") + name);
    ASSERT_TRUE(check());
    ASSERT_EQ(form_.lstDstFolder().count(), 4);
    fs_.driveRoots.insert(D());

    EXPECT_TRUE(pelto::SyncDelete(form_));
    EXPECT_EQ(QDir(D()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name | QDir::IgnoreCase),
              QStringList({"$RECYCLE.BIN", "pagefile.sys", "Recycled", "tools", "WIN386.SWP"}));
    EXPECT_EQ(QDir(at("dst/tools")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({"BootWiz"}));
}

TEST_F(SyncDelete, AFileThatCannotBeDeletedIsReportedAndIgnoreGoesOn) {
    makeFile("dst/a.txt");
    makeFile("dst/b.txt");
    makeDir("src");
    ASSERT_TRUE(check());
    fs_.inject(FsOp::DeleteFile, at("dst/a.txt"), err::PermissionDenied, 1);
    dialogs_->then(BoxAnswer::Ignore);

    EXPECT_TRUE(pelto::SyncDelete(form_));
    EXPECT_TRUE(exists("dst/a.txt"));
    EXPECT_FALSE(exists("dst/b.txt"));
    EXPECT_EQ(dialogs_->shown().at(0).buttons, BoxButtons::AbortRetryIgnore);
}

TEST_F(SyncDelete, AbortEndsTheRunWithTheNameThatFailed) {
    makeFile("dst/Gone/x");
    makeFile("dst/a.txt");
    makeDir("src");
    ASSERT_TRUE(check());
    fs_.inject(FsOp::DeleteFile, at("dst/a.txt"), err::PermissionDenied, 1);
    dialogs_->then(BoxAnswer::Abort).then(BoxAnswer::Ok);
    EXPECT_FALSE(pelto::SyncDelete(form_));
    EXPECT_TRUE(g().gbErrorFlag);
    ASSERT_EQ(dialogs_->shown().size(), 2);
    EXPECT_EQ(dialogs_->shown().at(1).text, "Error while synchronizing files: File name: a.txt");

    // A folder: the report names it.
    g().gbErrorFlag = false;
    makeFile("dst/Gone/x");
    fs_.inject(FsOp::DeleteFolder, at("dst/gone"), err::PathNotFound, 1);
    dialogs_->then(BoxAnswer::Abort).then(BoxAnswer::Ok);
    EXPECT_FALSE(pelto::SyncDelete(form_));
    ASSERT_EQ(dialogs_->shown().size(), 4);
    EXPECT_EQ(dialogs_->shown().at(3).text,
              "Error while synchronizing files: Directory name: " + D() + "/gone");
    EXPECT_TRUE(exists("dst/Gone/x"));
}

} // namespace
} // namespace pelto::test
