// How the walk treats archive mode, exclusions, failures and case twins.

#include "CompareFixture.h"

namespace pelto::test {
namespace {

using CompareWalk = CompareTest;

TEST_F(CompareWalk, ArchiveModeListsArchivedSourceFilesAndNeverReadsDestinationFiles) {
    makeTree({"src/arc1", "src/clean", "dst/clean", "dst/dstonly", "src/Quiet/q1", "src/Sub/arc2",
              "src/Sub/clean2", "dst/quiet/", "dst/sub/", "src/OnlySrc/", "dst/OnlyDst/"});
    for (const char* rel : {"src/clean", "src/Quiet/q1", "src/Sub/clean2"})
        fs_.SetAttributesOf(at(rel), fs_.AttributesOf(at(rel)) & ~attr::Archive & attr::Writable);
    if (fs_.AttributesOf(at("src/clean")) & attr::Archive)
        GTEST_SKIP() << "the temporary folder keeps no extended attributes";
    g().gbArchive = true;

    ASSERT_TRUE(check());
    EXPECT_EQ(results().mid(0, 4),
              QList<QStringList>(
                  {{dir(S(), D()), tagged(1, "arc1 archive"), dir(S() + "/Quiet", D() + "/quiet"),
                    dir(S() + "/Sub", D() + "/sub"), tagged(3, "arc2 archive")},
                   {},
                   {tagged(2, S() + "/onlysrc unmatched") + " to " + D() + "/"},
                   {tagged(1, D() + "/onlydst unmatched")}}));
    EXPECT_EQ(g().glSrcFiles, 5);
    EXPECT_EQ(g().glDstFiles, 0);
    EXPECT_TRUE(fs_.stated.isEmpty());
    for (const QString& path : fs_.attributesRead.keys())
        EXPECT_TRUE(path.startsWith(S() + "/")) << path.toStdString();
}

// Without subdirs the exclusions apply in the top folder only; with it in every folder.
TEST_F(CompareWalk, ExclusionsReachSubfoldersOnlyWithSubdirs) {
    makeTree({"src/keep.txt", "src/old.bak", "dst/other.BAK", "src/TmpFiles/x", "dst/tmpfiles/x",
              "src/Sub/deep.bak", "src/Sub/deep.txt", "dst/sub/"});
    const QString keep = tagged(1, "keep.txt unmatched"), sub = dir(S() + "/Sub", D() + "/sub");

    setExcludes({"/tmp*", "*.bak"}, false);
    ASSERT_TRUE(check());
    EXPECT_EQ(results().mid(0, 4),
              QList<QStringList>({{dir(S(), D()), keep, sub, tagged(2, "deep.bak unmatched"),
                                   tagged(3, "deep.txt unmatched")},
                                  {},
                                  {},
                                  {tagged(1, D() + "/tmpfiles unmatched")}}));
    EXPECT_EQ(loggedMessages(), QStringList({"Source file excluded: " + S() + "/old.bak",
                                             "Destination file excluded: " + D() + "/other.bak",
                                             "Source folder excluded: tmpfiles"}));
    EXPECT_FALSE(fs_.listed.contains(at("src/TmpFiles")));

    setExcludes({"/tmp*", "*.bak"}, true);
    newCheck();
    ASSERT_TRUE(check());
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({dir(S(), D()), keep, sub, tagged(2, "deep.txt unmatched")}));
}

// An unreadable folder or time: Ignore leaves the item out (never taken as empty); Abort ends.
TEST_F(CompareWalk, ReadFailuresLeaveTheItemOutOrEndTheWalk) {
    makeTree({"src/Sub/a", "dst/sub/b", "src/Zed/c", "dst/zed/", "src/f", "dst/f", "dst/g",
              "src/g@5000"});
    faults_.inject(FsOp::List, at("src/Sub"), err::PermissionDenied,
                   FaultInjectingFileSystem::kAlways);
    faults_.inject(FsOp::LastModifiedOf, at("src/f"), err::FileNotFound,
                   FaultInjectingFileSystem::kAlways);
    dialogs_->then(BoxAnswer::Ignore).then(BoxAnswer::Ignore);
    ASSERT_TRUE(check());
    EXPECT_EQ(results().mid(0, 2),
              QList<QStringList>({{dir(S(), D()), tagged(1, "g newer"),
                                   dir(S() + "/Zed", D() + "/zed"), tagged(2, "c unmatched")},
                                  {}}));
    EXPECT_FALSE(g().gbErrorFlag);

    newCheck();
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(check());
    EXPECT_TRUE(form_.lstSrcFile().items().isEmpty());
    faults_.clearFaults();
    faults_.inject(FsOp::List, at("src/Sub"), err::PermissionDenied, 1);
    newCheck();
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(check());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(form_.lstSrcFile().items(), QStringList({dir(S(), D()), tagged(1, "g newer")}));
}

// Names equal after lower-casing are matched and listed by their exact names.
TEST_F(CompareWalk, NamesDifferingOnlyInCaseWithinAFolderAreMatchedByTheirExactNames) {
    makeTree({"src/Readme.txt@5000", "src/README.txt", "dst/readme.txt", "src/normal.txt",
              "dst/Dup", "dst/dup", "src/Docs/a", "src/docs/b", "src/Fine/c", "dst/docs/",
              "dst/FINE/"});

    ASSERT_TRUE(check());
    QList<QStringList> expected(9);
    expected[0] = {dir(S(), D()),
                   tagged(1, "normal.txt unmatched"),
                   tagged(2, "README.txt unmatched"),
                   tagged(3, "Readme.txt unmatched"),
                   dir(S() + "/docs", D() + "/docs"),
                   tagged(5, "b unmatched"),
                   dir(S() + "/Fine", D() + "/FINE"),
                   tagged(6, "c unmatched")};
    expected[1] = {dir(D()), tagged(1, "Dup unmatched"), tagged(2, "dup unmatched"),
                   tagged(3, "readme.txt unmatched")};
    expected[2] = {QString("4: ") + S() + "/Docs unmatched\u00A0 to " + D() + "/"};
    expected[4] = {S() + "/"};
    expected[5] = {D() + "/"};
    expected[8] = {fitted(S()), fitted(S() + "/docs"), fitted(S() + "/fine")};
    EXPECT_EQ(results(), expected);
    EXPECT_EQ(loggedMessages(), QStringList());
    const LineData& twin = form_.lstSrcFile().lineData(2);
    EXPECT_EQ(std::tuple(twin.folder, twin.name, twin.exactName),
              std::tuple(S() + "/", QString("README.txt"), true));
    EXPECT_FALSE(form_.lstSrcFile().lineData(1).exactName);
}

} // namespace
} // namespace pelto::test
