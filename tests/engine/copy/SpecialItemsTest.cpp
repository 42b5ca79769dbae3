// Fifos and sockets at the source of a check and copy: left out, logged once per run with their
// path, and counted among the items the run left out.

#include "CopyFixture.h"
#include "platform/LeftOut.h"

#include <sys/stat.h>

namespace pelto::test {
namespace {

TEST_F(CopyTest, ItemsThatAreNeitherFilesNorFoldersAreLoggedOncePerRunAndCounted) {
    // At the top, in a folder both sides hold, and in a folder the copy creates.
    makeTree({"src/plain.txt", "src/sub/in.txt", "dst/sub/", "src/new/deeper/f.txt"});
    QStringList expected;
    for (const QString rel : {"src/pipe", "src/sub/sock", "src/new/deeper/pipe"}) {
        const mode_t type = rel.endsWith("sock") ? S_IFSOCK : S_IFIFO;
        ASSERT_EQ(mknod(QFile::encodeName(at(rel)).constData(), type | 0644, 0), 0);
        expected.append("Not a file or folder, left out: " + at(rel));
    }
    // The check reads two of the folders, the copy the new ones, and the second check all.
    for (int run = 1; run <= 2; ++run) {
        ASSERT_TRUE(check() && copy() && check());
        QStringList logged = loggedMessages(), want = run == 1 ? expected : expected + expected;
        logged.sort(), want.sort();
        EXPECT_EQ(logged, want) << run;
        EXPECT_EQ(leftOut().count(LeftOutReason::SpecialFile), 3);
        EXPECT_EQ(leftOut().total(), 3);
        leftOut().clear(); // as a new run starts
    }
    EXPECT_EQ(snapshot("dst"), QStringList({"new/", "new/deeper/", "new/deeper/f.txt=x",
                                            "plain.txt=x", "sub/", "sub/in.txt=x"}));
}

} // namespace
} // namespace pelto::test
