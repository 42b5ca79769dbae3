// Folder copy over real trees: missing folders created and filled, names, parents, profile
// history, drive not ready, and twins the destination cannot hold.

#include "CopyFixture.h"

#include "platform/LeftOut.h"

namespace pelto::test {
namespace {

class CopyFolders : public CopyTest {
protected:
    void makeMissingTemp() {
        makeTree({"src/Temp/t1=t1", "src/Temp/Sub/s1=s1", "src/top.txt=top", "dst/"});
    }
};

// Listed folders and the subfolders below them are made in the source's own spelling.
TEST_F(CopyFolders, MissingFoldersAreCreatedInTheSourcesSpellingAndFilledThenFilesAreCopied) {
    makeMissingTemp();
    makeTree({"src/Same/Deep/d1=d1", "dst/same/"});
    ASSERT_TRUE(check());
    ASSERT_EQ(form_.lstSrcFolder().count(), 2);

    EXPECT_TRUE(copy());
    EXPECT_EQ(snapshot("dst"),
              QStringList({"Temp/", "Temp/Sub/", "Temp/Sub/s1=s1", "Temp/t1=t1", "same/",
                           "same/Deep/", "same/Deep/d1=d1", "top.txt=top"}));
    EXPECT_EQ(fs_.created, QStringList({D() + "/same/Deep", D() + "/Temp", D() + "/Temp/Sub"}));
    EXPECT_EQ(form_.lstSrcFolder().selectedIndex(), 1);
    EXPECT_EQ(form_.lstSrcFile().selectedIndex(), form_.lstSrcFile().count() - 1);
    EXPECT_TRUE(form_.storedFolderProfiles().isEmpty());
    EXPECT_TRUE(loggedMessages().isEmpty());
    EXPECT_EQ(real_.heldFolders(), 0); // nothing keeps the destination's volume busy

    // Without recursion only the listed folder and its files are made.
    ASSERT_TRUE(QDir(at("dst/Temp")).removeRecursively());
    ASSERT_TRUE(check());
    form_.setOptRecurse(false);
    EXPECT_TRUE(copy());
    EXPECT_EQ(snapshot("dst/Temp"), QStringList({"t1=t1"}));
}

// With a profile each folder made is recorded in the history; a failed record ends the run.
TEST_F(CopyFolders, ProfileRunRecordsEachFolderInTheHistory) {
    makeMissingTemp();
    g().gbExcludes = true;
    ASSERT_TRUE(check());

    EXPECT_TRUE(copy());
    EXPECT_EQ(snapshot("dst"),
              QStringList({"Temp/", "Temp/Sub/", "Temp/Sub/s1=s1", "Temp/t1=t1", "top.txt=top"}));
    EXPECT_EQ(form_.storedFolderProfiles(), QStringList({D() + "/Temp", D() + "/Temp/Sub"}));

    ASSERT_TRUE(QDir(D()).removeRecursively());
    makeDir("dst");
    form_.onStoreFolderProfile = [](const QString&) { return false; };
    EXPECT_FALSE(copy());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(snapshot("dst"), QStringList({"Temp/"}));
}

// Missing parents are made outermost first; one that cannot be made is reported.
TEST_F(CopyFolders, MissingParentsAreCreatedOutermostFirstOrReported) {
    makeTree({"dst/file=a file"});
    CreateNewFolder(at("dst/x/y/z"));
    EXPECT_EQ(fs_.created, QStringList({D() + "/x", D() + "/x/y", D() + "/x/y/z"}));

    dialogs_->then(BoxAnswer::Abort).then(BoxAnswer::Abort);
    CreateNewFolder(at("dst/file/y"));
    ASSERT_EQ(dialogs_->shown().size(), 2);
    EXPECT_EQ(dialogs_->shown()[0].buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_EQ(snapshot("dst"), QStringList({"file=a file", "x/", "x/y/", "x/y/z/"}));
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
    EXPECT_EQ(dialogs_->shown()[0].text, "\r\nOOPS! Drive not ready - please try again.");
    EXPECT_EQ(dialogs_->shown()[0].title, "Pelto Error");
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_TRUE(snapshot("dst").isEmpty());
    EXPECT_EQ(loggedMessages(),
              QStringList({"OOPS! Drive not ready - please try again.",
                           "OOPS! Drive not ready - please try again.",
                           "Path not found, flag ='CopyFile' with " + D() + "/Temp/Sub/s1"}));
}

// Where the destination ignores letter case, the second of twins is left out and counted.
TEST_F(CopyFolders, TwinsTheDestinationCannotHoldAreLeftOutAndCounted) {
    makeTree({"src/a.txt=lower", "src/A.txt=upper", "src/Docs/x=D", "src/docs/x=d", "dst/"});
    fs_.foldingBelow = D();
    ASSERT_TRUE(check());
    EXPECT_TRUE(copy());
    const QStringList copied = snapshot("dst");
    EXPECT_EQ(copied.size(), 3) << copied.join(',').toStdString();
    EXPECT_TRUE(copied.contains("A.txt=upper") != copied.contains("a.txt=lower"));
    EXPECT_TRUE(copied.contains("Docs/x=D") != copied.contains("docs/x=d"));
    EXPECT_EQ(leftOut().count(LeftOutReason::NameNotHeld), 2);
    EXPECT_EQ(loggedMessages().filter("ignores letter case").size(), 2);
}

} // namespace
} // namespace pelto::test
