// Test mode: a whole run of copy, delete and archive reset changes nothing on disk.

#include "CopyFixture.h"

#include <unistd.h>

namespace pelto::test {
namespace {

TEST_F(CopyTest, TestModeTouchesNothing) {
    // A destination that differs in every way from its source, and holds what the source lacks.
    makeTree({"src/a.txt=a@5000", "dst/A.TXT=old a", "src/ro.txt=ro", "dst/ro.txt=old ro@-5000",
              "src/Empty/", "src/New Folder/One/two.txt=2", "src/Sub/s.txt=s@1000",
              "dst/sub/s.txt=old s", "dst/only.log", "dst/Gone/inner/g.txt", "dst/sub/extra.txt"});
    setAttributes("src/ro.txt", attr::ReadOnly | attr::Archive);
    setAttributes("dst/ro.txt", attr::ReadOnly);
    setAttributes("dst/sub/extra.txt", attr::ReadOnly | attr::Archive);
    ASSERT_EQ(symlink("a.txt", QFile::encodeName(at("src/link")).constData()), 0);
    ASSERT_TRUE(check());
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
