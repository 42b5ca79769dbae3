// Items that are neither files nor folders (fifos, sockets, devices) at the source of a check and
// copy: left out, logged once per run with their path, and counted among the items left out.

#include "CopyFixture.h"
#include "platform/LeftOut.h"

#include <sys/stat.h>

namespace pelto::test {
namespace {

TEST_F(CopyTest, ItemsThatAreNeitherFilesNorFoldersAreLoggedOncePerRunAndCounted) {
    // At the top, in a folder both sides hold, and in a folder the copy creates.
    makeTree({"src/plain.txt", "src/sub/in.txt", "dst/sub/", "src/new/deeper/f.txt"});
    const QStringList items{"src/pipe", "src/sub/sock", "src/new/deeper/pipe"};
    for (const QString& rel : items)
        ASSERT_EQ(mknod(QFile::encodeName(at(rel)).constData(),
                        (rel.endsWith("sock") ? S_IFSOCK : S_IFIFO) | 0644, 0),
                  0);
    QStringList expected;
    for (const QString& rel : items)
        expected.append("Not a file or folder, left out: " + at(rel));
    const auto logged = [] {
        QStringList messages = loggedMessages();
        messages.sort();
        return messages;
    };

    // The check reads the first two folders and the copy the new ones; the copy's second
    // check reads them all again, and the run logs and counts each item once.
    ASSERT_TRUE(check());
    ASSERT_TRUE(copy());
    ASSERT_TRUE(check());
    expected.sort();
    EXPECT_EQ(logged(), expected);
    EXPECT_EQ(leftOut().count(LeftOutReason::SpecialFile), 3);
    EXPECT_EQ(leftOut().total(), 3);
    EXPECT_EQ(snapshot("dst"), QStringList({"new/", "new/deeper/", "new/deeper/f.txt=x",
                                            "plain.txt=x", "sub/", "sub/in.txt=x"}));

    // A new run (its tally emptied) reports them again.
    leftOut().clear();
    ASSERT_TRUE(check());
    QStringList twice = expected + expected;
    twice.sort();
    EXPECT_EQ(logged(), twice);
    EXPECT_EQ(leftOut().count(LeftOutReason::SpecialFile), 3);
}

} // namespace
} // namespace pelto::test
