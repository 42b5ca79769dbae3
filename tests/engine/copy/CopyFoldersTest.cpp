// Folder copy over real trees: missing folders created and filled, names, parents, profile
// history, drive not ready, cancel, very large folders, and folders the copy must not enter.

#include "CopyFixture.h"

namespace pelto::test {
namespace {

class CopyFolders : public CopyTest {
protected:
    void makeMissingTemp() {
        makeFile("src/Temp/t1", "t1");
        makeFile("src/Temp/Sub/s1", "s1");
        makeFile("src/top.txt", "top");
        makeDir("dst");
    }
};

TEST_F(CopyFolders, MissingFoldersAreCreatedInTheListsCaseAndFilledThenFilesAreCopied) {
    makeMissingTemp();
    makeFile("src/Same/Deep/d1", "d1");
    makeDir("dst/same");
    ASSERT_TRUE(check());
    ASSERT_EQ(form_.lstSrcFolder().count(), 2);

    EXPECT_TRUE(copy());
    // Below the listed folder, subfolders keep their own names.
    EXPECT_EQ(read("dst/temp/t1"), "t1");
    EXPECT_EQ(read("dst/temp/Sub/s1"), "s1");
    EXPECT_EQ(read("dst/same/deep/d1"), "d1");
    EXPECT_EQ(read("dst/top.txt"), "top");
    EXPECT_EQ(fs_.created, QStringList({D() + "/same/deep", D() + "/temp", D() + "/temp/Sub"}));
    EXPECT_EQ(form_.lstSrcFolder().selectedIndex(), 1);
    EXPECT_EQ(form_.lstSrcFile().selectedIndex(), form_.lstSrcFile().count() - 1);
    EXPECT_TRUE(form_.storedFolderProfiles().isEmpty());
    EXPECT_TRUE(loggedMessages().isEmpty());
}

TEST_F(CopyFolders, WithoutRecursionOnlyTheListedFolderAndItsFilesAreMade) {
    makeMissingTemp();
    ASSERT_TRUE(check());
    form_.setOptRecurse(false);
    EXPECT_TRUE(copy());
    EXPECT_EQ(read("dst/temp/t1"), "t1");
    EXPECT_FALSE(exists("dst/temp/Sub"));
}

// With a profile in force folders are made in their own case and each is recorded in the
// history; a failed record ends the run.
TEST_F(CopyFolders, ProfileRunRecordsEachFolderInTheHistory) {
    makeMissingTemp();
    g().gbExcludes = true;
    ASSERT_TRUE(check());

    EXPECT_TRUE(copy());
    EXPECT_EQ(read("dst/Temp/t1"), "t1");
    EXPECT_EQ(read("dst/Temp/Sub/s1"), "s1");
    EXPECT_EQ(form_.storedFolderProfiles(), QStringList({D() + "/Temp", D() + "/Temp/Sub"}));

    ASSERT_TRUE(QDir(at("dst/Temp")).removeRecursively());
    ASSERT_TRUE(QFile::remove(at("dst/top.txt")));
    form_.onStoreFolderProfile = [](const QString&) { return false; };
    EXPECT_FALSE(copy());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_TRUE(exists("dst/Temp"));
    EXPECT_FALSE(exists("dst/Temp/t1"));
    EXPECT_FALSE(exists("dst/top.txt"));
}

// Missing parents are made outermost first; one that cannot be made is reported, not retried
// without end.
TEST_F(CopyFolders, MissingParentsAreCreatedOutermostFirstOrReported) {
    makeDir("dst");
    CreateNewFolder(at("dst/x/y/z"));
    EXPECT_EQ(fs_.created, QStringList({D() + "/x", D() + "/x/y", D() + "/x/y/z"}));
    EXPECT_TRUE(QFileInfo(at("dst/x/y/z")).isDir());

    makeFile("dst/file", "a file where a folder should be");
    dialogs_->then(BoxAnswer::Abort).then(BoxAnswer::Abort);
    CreateNewFolder(at("dst/file/y"));
    ASSERT_EQ(dialogs_->shown().size(), 2);
    EXPECT_EQ(dialogs_->shown().at(0).buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_EQ(fs_.created.size(), 3);
    EXPECT_EQ(read("dst/file"), "a file where a folder should be");
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(CopyFolders, DriveNotReadyIsShownAndTheFollowingCopyFailsOnItsOwn) {
    makeMissingTemp();
    ASSERT_TRUE(check());
    fs_.setNotReady(real_.MountPointOf(D()));
    // Once for the folder, once for its subfolder.
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::Ok);

    EXPECT_FALSE(copy());
    ASSERT_EQ(dialogs_->shown().size(), 2);
    EXPECT_EQ(dialogs_->shown().at(0).text, "\r\nOOPS! Drive not ready - please try again.");
    EXPECT_EQ(dialogs_->shown().at(0).title, "Pelto Error");
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_FALSE(exists("dst/temp"));
    EXPECT_EQ(loggedMessages(),
              QStringList({"OOPS! Drive not ready - please try again.",
                           "OOPS! Drive not ready - please try again.",
                           "Path not found, flag ='CopyFile' with " + D() + "/temp/Sub/s1"}));
}

TEST_F(CopyFolders, AFolderOfMoreFilesThanOneCopyTakesIsShownThenRefused) {
    makeFiles({"src/Huge/f0", "dst/"});
    ASSERT_TRUE(check());
    fs_.extraFiles.insert(at("src/Huge"), 32767);
    dialogs_->then(BoxAnswer::Ok);

    EXPECT_FALSE(copy());
    ASSERT_EQ(dialogs_->shown().size(), 1);
    EXPECT_EQ(dialogs_->shown().at(0).title, "Pelto error - more than 32766 files");
    EXPECT_EQ(dialogs_->shown().at(0).text,
              "This number of files in one directory is unusual. \r\nYou should check the files "
              "in this directory: \r\n" +
                  S() + "/huge/");
    EXPECT_EQ(loggedMessages(), QStringList({"More than 32766 files + folders.",
                                             "More than 32766 files + folders."}));
    EXPECT_TRUE(QDir(at("dst/huge")).isEmpty());
    EXPECT_TRUE(g().gbErrorFlag);
}

// A destination inside the source tree: the subfolder that holds the destination is not copied
// into itself.
TEST_F(CopyFolders, TheFolderHoldingTheDestinationIsNotCopiedIntoItself) {
    makeFile("a/b/c/old.txt", "old");
    makeFile("a/b/note.txt", "note");
    ASSERT_TRUE(check(at("a"), at("a/b/c")));
    ASSERT_EQ(form_.lstSrcFolder().count(), 1);

    EXPECT_TRUE(pelto::CopyFolders(at("a"), at("a/b/c"), form_));
    EXPECT_EQ(read("a/b/c/b/note.txt"), "note");
    EXPECT_FALSE(exists("a/b/c/b/c"));
    EXPECT_EQ(loggedMessages(),
              QStringList({"Folder skipped, it holds the destination: " + at("a/b/c")}));
}

} // namespace
} // namespace pelto::test
