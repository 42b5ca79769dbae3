// Whole runs: check, copy (and delete), check again; and test mode, which changes nothing.

#include "CopyFixture.h"

#include <unistd.h>

namespace pelto::test {
namespace {

class RoundTrip : public CopyTest {
protected:
    // A source tree with a bit of everything, and a destination that differs in every way.
    void makeTrees() {
        makeFile("src/a.txt", "a", kBaseMs + 5000);
        makeFile("dst/A.TXT", "old a", kBaseMs);
        makeFile("src/same.txt", "same");
        makeFile("dst/same.txt", "same");
        makeFile("src/.hidden", "h");
        makeFile("src/ro.txt", "ro");
        setAttributes("src/ro.txt", attr::ReadOnly | attr::Archive);
        makeFile("dst/ro.txt", "old ro", kBaseMs - 5000);
        setAttributes("dst/ro.txt", attr::ReadOnly);
        makeFile("src/New Folder/One/two.txt", "2");
        makeFile("src/New Folder/top.txt", "top");
        makeDir("src/Empty");
        makeFile("src/Sub/Deeper/d.txt", "d");
        makeFile("src/Sub/s.txt", "s", kBaseMs + 1000);
        makeFile("dst/sub/s.txt", "old s", kBaseMs);
        makeFile("src/my to do/x.txt", "x");
        // Names that hold a colon, blanks and a tag's text are read back whole.
        makeFile("src/my to do/a:b c unmatched\u00A0d newer.txt", "tag");
        ASSERT_EQ(symlink("a.txt", QFile::encodeName(at("src/link")).constData()), 0);
        makeDir("dst/my to do");
    }
    // What only the destination has.
    void makeDestinationOnly() {
        makeFile("dst/only.log", "only");
        makeFile("dst/Gone/inner/g.txt", "g");
        makeFile("dst/sub/extra.txt", "extra");
        setAttributes("dst/sub/extra.txt", attr::ReadOnly | attr::Archive);
    }
};

// Check, copy, check again: nothing left to copy; delete, check again: nothing at all.
TEST_F(RoundTrip, CheckCopyAndDeleteCheckFindsNothingAtAll) {
    makeTrees();
    makeDestinationOnly();
    ASSERT_TRUE(check());
    ASSERT_FALSE(nothingListed());

    ASSERT_TRUE(copy());
    EXPECT_TRUE(loggedMessages().isEmpty()) << loggedMessages().join('\n').toStdString();
    // The existing copy is replaced under its own name.
    EXPECT_EQ(read("dst/A.TXT"), "a");
    EXPECT_EQ(read("dst/new folder/One/two.txt"), "2");
    EXPECT_TRUE(QFileInfo(at("dst/empty")).isDir());
    EXPECT_EQ(QFileInfo(at("dst/link")).symLinkTarget(), at("dst/a.txt"));
    ASSERT_TRUE(check());
    EXPECT_EQ(form_.lstSrcFile().count() + form_.lstSrcFolder().count(), 0)
        << form_.lstSrcFile().items().join('\n').toStdString()
        << form_.lstSrcFolder().items().join('\n').toStdString();

    ASSERT_TRUE(SyncDelete(form_));
    // The lists still show what was deleted, the last line of each selected.
    EXPECT_EQ(form_.lstDstFolder().items(), QStringList({tagged(2, D() + "/gone unmatched")}));
    EXPECT_EQ(form_.lstDstFolder().selectedIndex(), 0);
    EXPECT_EQ(form_.lstDstFile().count(), 4);
    EXPECT_EQ(form_.lstDstFile().selectedIndex(), 3);
    EXPECT_FALSE(exists("dst/only.log"));
    EXPECT_FALSE(exists("dst/Gone"));
    EXPECT_FALSE(exists("dst/sub/extra.txt"));
    ASSERT_TRUE(check());
    EXPECT_TRUE(nothingListed()) << form_.lstDstFile().items().join('\n').toStdString()
                                 << form_.lstDstFolder().items().join('\n').toStdString();
}

TEST_F(RoundTrip, TestModeTouchesNothing) {
    makeTrees();
    makeDestinationOnly();
    ASSERT_TRUE(check());
    const QMap<QString, ItemState> before = snapshot();
    form_.setOptTest(true);
    form_.setOptSync(true);

    EXPECT_TRUE(copy());
    EXPECT_TRUE(SyncDelete(form_));
    g().gbArchive = true;
    EXPECT_TRUE(ResetArcFolders(S(), D(), form_));

    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(fs_.calls(FsOp::CopyFile) + fs_.calls(FsOp::CreateFolder) +
                  fs_.calls(FsOp::DeleteFile) + fs_.calls(FsOp::DeleteFolder) +
                  fs_.calls(FsOp::SetAttributesOf),
              0);
    EXPECT_TRUE(loggedMessages().isEmpty());
    EXPECT_FALSE(g().gbErrorFlag);
}

} // namespace
} // namespace pelto::test
