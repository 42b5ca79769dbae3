// Synchronising delete over real trees (the plain case is in the round trip): what stays,
// nested folders, failures.

#include "CopyFixture.h"

namespace pelto::test {
namespace {

class SyncDelete : public CopyTest {};

// Two nested folders listed in that order: the inner one went with the outer one, and files
// listed under it are not attempted.
TEST_F(SyncDelete, NestedFoldersAreDeletedOnceAndTheirFilesSkipped) {
    makeFiles({"dst/x/y/f", "dst/xy/g", "dst/loose.txt", "dst/kept.txt"});
    ResultList& folders = form_.lstDstFolder();
    folders.add(tagged(1, D() + "/x unmatched"));
    folders.add(tagged(2, D() + "/x/y unmatched"));
    ResultList& files = form_.lstDstFile();
    for (const QString& line :
         {dir(D() + "/x/y"), tagged(3, "f unmatched"), dir(D() + "/xy"), tagged(4, "g unmatched"),
          dir(D()), tagged(5, "loose.txt unmatched")})
        files.add(line);

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
    makeFiles({"src/tools/", "dst/Recycled/r", "dst/$RECYCLE.BIN/r", "dst/tools/BootWiz/b",
               "dst/tools/BootWizard/o", "dst/pagefile.sys", "dst/WIN386.SWP", "dst/hiberfil.sys"});
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

// A failed delete is reported: Ignore goes on, Abort ends the run with the name that failed.
TEST_F(SyncDelete, AFailedDeleteIsReportedIgnoreGoesOnAbortNamesIt) {
    makeFiles({"dst/a.txt", "dst/b.txt", "dst/Gone/x", "src/"});
    ASSERT_TRUE(check());
    fs_.inject(FsOp::DeleteFile, at("dst/a.txt"), err::PermissionDenied, 1);
    dialogs_->then(BoxAnswer::Ignore);
    EXPECT_TRUE(pelto::SyncDelete(form_));
    EXPECT_TRUE(exists("dst/a.txt"));
    EXPECT_FALSE(exists("dst/b.txt"));
    EXPECT_EQ(dialogs_->shown().at(0).buttons, BoxButtons::AbortRetryIgnore);

    makeFile("dst/Gone/x");
    fs_.inject(FsOp::DeleteFile, at("dst/a.txt"), err::PermissionDenied, 1);
    dialogs_->then(BoxAnswer::Abort).then(BoxAnswer::Ok);
    EXPECT_FALSE(pelto::SyncDelete(form_));
    EXPECT_TRUE(g().gbErrorFlag);
    ASSERT_EQ(dialogs_->shown().size(), 3);
    EXPECT_EQ(dialogs_->shown().at(2).text, "Error while synchronizing files: File name: a.txt");

    g().gbErrorFlag = false;
    makeFile("dst/Gone/x");
    fs_.inject(FsOp::DeleteFolder, at("dst/gone"), err::PathNotFound, 1);
    dialogs_->then(BoxAnswer::Abort).then(BoxAnswer::Ok);
    EXPECT_FALSE(pelto::SyncDelete(form_));
    ASSERT_EQ(dialogs_->shown().size(), 5);
    EXPECT_EQ(dialogs_->shown().at(4).text,
              "Error while synchronizing files: Directory name: " + D() + "/gone");
    EXPECT_TRUE(exists("dst/Gone/x"));
}

} // namespace
} // namespace pelto::test
