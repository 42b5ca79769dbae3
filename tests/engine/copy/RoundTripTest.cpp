// Whole runs: check, copy (and delete), check again; and test mode, which changes nothing.

#include "CopyFixture.h"

#include <unistd.h>

namespace pelto::test {
namespace {

class RoundTrip : public CopyTest {
protected:
    // A source tree with a bit of everything, a destination that differs in every way, and what
    // only the destination has.
    void SetUp() override {
        CopyTest::SetUp();
        // Names holding a colon, blanks and a tag's text are read back whole.
        makeTree({"src/a.txt=a@5000", "dst/A.TXT=old a", "src/same.txt=same", "dst/same.txt=same",
                  "src/.hidden=h", "src/ro.txt=ro", "dst/ro.txt=old ro@-5000", "src/Empty/",
                  "src/New Folder/One/two.txt=2", "src/New Folder/top.txt=top",
                  "src/Sub/Deeper/d.txt=d", "src/Sub/s.txt=s@1000", "dst/sub/s.txt=old s",
                  "src/my to do/x.txt", "src/my to do/a:b c unmatched\u00A0d newer.txt=tag",
                  "dst/my to do/", "dst/only.log", "dst/Gone/inner/g.txt", "dst/sub/extra.txt"});
        setAttributes("src/ro.txt", attr::ReadOnly | attr::Archive);
        setAttributes("dst/ro.txt", attr::ReadOnly);
        setAttributes("dst/sub/extra.txt", attr::ReadOnly | attr::Archive);
        ASSERT_EQ(symlink("a.txt", QFile::encodeName(at("src/link")).constData()), 0);
        ASSERT_TRUE(check());
    }
};

// Check, copy, check again: nothing left to copy; delete, check again: nothing at all.
TEST_F(RoundTrip, CheckCopyAndDeleteCheckFindsNothingAtAll) {
    ASSERT_FALSE(nothingListed());
    ASSERT_TRUE(copy());
    EXPECT_TRUE(loggedMessages().isEmpty()) << loggedMessages().join('\n').toStdString();
    // The existing copy is replaced under its own name; new folders take the source's spelling.
    EXPECT_EQ(read("dst/A.TXT"), "a");
    EXPECT_EQ(read("dst/New Folder/One/two.txt"), "2");
    EXPECT_TRUE(QFileInfo(at("dst/Empty")).isDir());
    EXPECT_EQ(QFileInfo(at("dst/link")).symLinkTarget(), at("dst/a.txt"));
    ASSERT_TRUE(check());
    EXPECT_EQ(form_.lstSrcFile().items() + form_.lstSrcFolder().items(), QStringList());

    ASSERT_TRUE(SyncDelete(form_));
    // The lists still show what was deleted.
    EXPECT_EQ(form_.lstDstFolder().items(), QStringList({tagged(2, D() + "/gone unmatched")}));
    EXPECT_EQ(form_.lstDstFile().count(), 4);
    ASSERT_TRUE(check());
    EXPECT_TRUE(nothingListed()) << form_.lstDstFile().items().join('\n').toStdString();
    EXPECT_FALSE(exists("dst/only.log") || exists("dst/Gone") || exists("dst/sub/extra.txt"));
}

TEST_F(RoundTrip, TestModeTouchesNothing) {
    const QStringList before = snapshot(".", true);
    form_.setOptTest(true);
    form_.setOptSync(true);

    EXPECT_TRUE(copy());
    EXPECT_TRUE(SyncDelete(form_));
    g().gbArchive = true;
    EXPECT_TRUE(ResetArcFolders(S(), D(), form_));

    EXPECT_EQ(snapshot(".", true), before);
    for (const FsOp op : {FsOp::CopyFile, FsOp::CreateFolder, FsOp::DeleteFile, FsOp::DeleteFolder,
                          FsOp::SetAttributesOf})
        EXPECT_EQ(fs_.calls(op), 0);
    EXPECT_TRUE(loggedMessages().isEmpty());
    EXPECT_FALSE(g().gbErrorFlag);
}

} // namespace
} // namespace pelto::test
