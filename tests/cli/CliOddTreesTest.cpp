// pelto-cli on trees that a name-by-name text conversion or a whole-path system call would get
// wrong: names that are not valid UTF-8, paths longer than the system's limit, and items that are
// neither files nor folders. Trees are made and compared byte for byte.
#include "CliSandbox.h"
#include "support/ByteTree.h"

#include <QFile>

namespace pelto::cli::test {
namespace {

namespace bt = pelto::test::bytetree;

class CliOddTreesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        bt::makeFolder(src, {});
        bt::makeFolder(dst, {});
    }
    void TearDown() override {
        bt::removeAllBelow(src);
        bt::removeAllBelow(dst);
    }
    // A production sync, then a check that must find nothing to do. With `leftOut` the runs may
    // end with the status that tells of items left out.
    void syncAndCheck(bool leftOut = false) {
        const auto finished = [&](const CliResult& r) {
            return r.exitCode == 0 || (leftOut && r.exitCode == 4);
        };
        const CliResult sync = box.run({"sync", "--production", box.path("src"), box.path("dst")});
        EXPECT_TRUE(finished(sync)) << sync.exitCode << qPrintable(sync.err);
        const CliResult check = box.run({"check", box.path("src"), box.path("dst")});
        EXPECT_TRUE(finished(check)) << qPrintable(check.out) << qPrintable(check.err);
    }
    // The source's items other than fifos, sockets and devices.
    QMap<QByteArray, QByteArray> filesAndFolders(const QByteArray& root) const {
        QMap<QByteArray, QByteArray> items = bt::snapshot(root);
        items.removeIf([](const auto& item) { return item.value() == "other"; });
        return items;
    }

    CliSandbox box;
    const QByteArray src = QFile::encodeName(box.path("src"));
    const QByteArray dst = QFile::encodeName(box.path("dst"));
};

// Every kind of difference on names that are not valid UTF-8 (Latin-1 letters, bytes that begin
// no sequence, sequences cut short), beside valid names that a lossy decoding would make equal.
TEST_F(CliOddTreesTest, NamesThatAreNotUtf8AreCopiedReplacedAndDeletedByteForByte) {
    const struct {
        const char* path;
        const char* at; // "src", "dst" or "both" (the source newer)
    } rows[] = {
        {"\xff\xfe.txt", "src"},
        {"caf\xe9.txt", "both"},
        {"caf\xc3\xa9.txt", "src"},
        {"x\xe8.txt", "src"},
        {"x\xe9.txt", "src"},
        {"d\xff/inner\xe9.txt", "src"},
        {"d\xff/sub\xc3/cut.txt", "src"},
        {"m\xe9/a.txt", "src"},
        {"m\xe9/b\xfe.txt", "both"},
        {"gone\xfe.txt", "dst"},
        {"old\xff/o\xe9.txt", "dst"},
        {"m\xe9/stale\xff", "dst"},
    };
    for (const auto& row : rows) {
        const QByteArray at(row.at), path(row.path);
        if (at != "dst")
            bt::put(src, path, "source " + path, kNewer);
        if (at != "src")
            bt::put(dst, path, "older " + path, kOlder);
    }
    syncAndCheck();
    EXPECT_EQ(bt::snapshot(dst), bt::snapshot(src));
    EXPECT_EQ(bt::snapshot(dst).size(), 12); // 9 files and 3 folders, nothing of dst's own left
}

// A tree deeper than the system's path limit is copied whole, then walked by a check: a newer
// file is replaced and what only the destination holds is deleted, at every depth.
TEST_F(CliOddTreesTest, PathsLongerThanTheSystemLimitAreCopiedAndSynchronised) {
    QByteArray deep;
    for (int level = 0; level < 24; ++level)
        deep += (deep.isEmpty() ? "" : "/") + QByteArray(200, char('a' + level % 26));
    ASSERT_GT(src.size() + deep.size(), 4096 + 200);
    const QByteArray middle = deep.left(12 * 201 - 1);
    bt::put(src, deep + "/deepest.txt", "deepest");
    bt::put(src, deep + "/w\xe9ird.txt", "odd name at depth");
    bt::put(src, middle + "/middle.txt", "middle");
    syncAndCheck();
    EXPECT_EQ(bt::snapshot(dst), bt::snapshot(src));

    bt::put(src, deep + "/deepest.txt", "changed", kNewer);
    bt::put(dst, deep + "/only here.txt", "stale");
    bt::put(dst, deep + "/gone/deeper/x.txt", "stale");
    bt::put(src, deep + "/new/n.txt", "new below the limit");
    syncAndCheck();
    EXPECT_EQ(bt::snapshot(dst), bt::snapshot(src));
    EXPECT_EQ(bt::snapshot(dst).value(deep + "/deepest.txt").left(15), "file 1704153600");
}

// A fifo, a socket and (as root) a device node at the source are left out of the copy, each
// logged once with its path though its folder is read by the check and the copy, and the
// source keeps them.
TEST_F(CliOddTreesTest, ItemsThatAreNeitherFilesNorFoldersAreLeftOutAndLoggedOnce) {
    bt::put(src, "plain.txt", "plain");
    bt::put(src, "sub/in.txt", "in a matched folder");
    bt::makeFolder(dst, "sub");
    bt::put(src, "new/f.txt", "in a new folder");
    QByteArrayList specials;
    for (const auto& [path, type] : {std::pair("pipe", S_IFIFO), std::pair("sub/sock", S_IFSOCK),
                                     std::pair("new/null", S_IFCHR)})
        if (bt::makeSpecial(src, path, type))
            specials.append(path);
    ASSERT_GE(specials.size(), 2);

    syncAndCheck(true);
    EXPECT_EQ(bt::snapshot(dst), filesAndFolders(src));
    EXPECT_EQ(bt::snapshot(src).size(), 5 + specials.size());
    const QString log = box.errorLog();
    for (const QByteArray& path : specials) {
        const QString message =
            "Not a file or folder, left out: " + box.path("src/") + QString::fromUtf8(path);
        // Once for the sync; the check after it logs it again, in its own run.
        EXPECT_EQ(log.count(message), 2) << qPrintable(log);
    }
}

} // namespace
} // namespace pelto::cli::test
