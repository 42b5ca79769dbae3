// Synchronising delete over real trees (the plain case is in the round trip): what stays,
// nested folders, failures.

#include "CopyFixture.h"

namespace pelto::test {
namespace {

using SyncDelete = CopyTest;

// Two nested folders listed in that order: the inner one went with the outer one, and files
// listed under it are not attempted; "x" does not hold "xy".
TEST_F(SyncDelete, NestedFoldersAreDeletedOnceAndTheirFilesSkipped) {
    makeTree({"dst/x/y/f", "dst/xy/g", "dst/loose.txt", "dst/kept.txt"});
    using K = LineData::Kind;
    for (const auto& [folder, name] : {std::pair{D() + "/", "x"}, {D() + "/x/", "y"}})
        form_.lstDstFolder().add(name, {K::Entry, folder, {}, name});
    for (const auto& [folder, name] : {std::pair{D() + "/x/y/", ""},
                                       {D() + "/x/y/", "f"},
                                       {D() + "/xy/", ""},
                                       {D() + "/xy/", "g"},
                                       {D() + "/", ""},
                                       {D() + "/", "loose.txt"}})
        form_.lstDstFile().add(name, {*name ? K::Entry : K::Header, folder, {}, name});

    EXPECT_TRUE(pelto::SyncDelete(form_));
    EXPECT_EQ(snapshot("dst"), QStringList({"kept.txt=x", "xy/"}));
    EXPECT_EQ(fs_.calls(FsOp::DeleteFolder), 2);
    EXPECT_EQ(fs_.calls(FsOp::DeleteFile), 2);
    EXPECT_TRUE(dialogs_->shown().isEmpty());

    // A line that carries only its displayed text names nothing the delete may act on.
    makeTree({"dst/x/f"});
    form_.lstDstFolder().clear();
    form_.lstDstFolder().add(tagged(1, D() + "/x unmatched"));
    dialogs_->then(BoxAnswer::Abort).then(BoxAnswer::Ok);
    EXPECT_FALSE(pelto::SyncDelete(form_));
    EXPECT_EQ(snapshot("dst"), QStringList({"kept.txt=x", "x/", "x/f=x", "xy/"}));
}

TEST_F(SyncDelete, RecycleBinsBootFoldersAndSwapFilesStay) {
    makeTree({"src/tools/", "dst/Recycled/r", "dst/$RECYCLE.BIN/r", "dst/tools/BootWiz/b",
              "dst/tools/BootWizard/o", "dst/pagefile.sys", "dst/WIN386.SWP", "dst/hiberfil.sys"});
    ASSERT_TRUE(check());
    ASSERT_EQ(form_.lstDstFolder().count(), 4);
    fs_.driveRoots.insert(D());

    EXPECT_TRUE(pelto::SyncDelete(form_));
    EXPECT_EQ(snapshot("dst"), QStringList({"$RECYCLE.BIN/", "$RECYCLE.BIN/r=x", "Recycled/",
                                            "Recycled/r=x", "WIN386.SWP=x", "pagefile.sys=x",
                                            "tools/", "tools/BootWiz/", "tools/BootWiz/b=x"}));
}

// A failed delete is reported: Ignore goes on, Abort ends the run with the name that failed.
TEST_F(SyncDelete, AFailedDeleteIsReportedIgnoreGoesOnAbortNamesIt) {
    makeTree({"dst/a.txt", "dst/b.txt", "dst/Gone/x", "src/"});
    ASSERT_TRUE(check());
    fs_.inject(FsOp::DeleteFile, at("dst/a.txt"), err::PermissionDenied, 1);
    dialogs_->then(BoxAnswer::Ignore);
    EXPECT_TRUE(pelto::SyncDelete(form_));
    EXPECT_EQ(snapshot("dst"), QStringList({"a.txt=x"}));
    EXPECT_EQ(dialogs_->shown()[0].buttons, BoxButtons::AbortRetryIgnore);

    makeTree({"dst/Gone/x"});
    fs_.inject(FsOp::DeleteFile, at("dst/a.txt"), err::PermissionDenied, 1);
    dialogs_->then(BoxAnswer::Abort).then(BoxAnswer::Ok);
    EXPECT_FALSE(pelto::SyncDelete(form_));
    EXPECT_TRUE(g().gbErrorFlag);
    ASSERT_EQ(dialogs_->shown().size(), 3);
    EXPECT_EQ(dialogs_->shown()[2].text, "Error while synchronizing files: File name: a.txt");
}

} // namespace
} // namespace pelto::test
