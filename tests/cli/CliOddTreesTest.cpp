// pelto-cli on names that are not valid UTF-8, paths past the system's limit, fifos, sockets and
// devices; trees are made and compared byte for byte.
#include "CliSandbox.h"
#include "support/ByteTree.h"

#include <QFile>

namespace pelto::cli::test {
namespace {

namespace bt = pelto::test::bytetree;

class CliOddTreesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(box.isValid()); }
    void TearDown() override { bt::removeAllBelow(src), bt::removeAllBelow(dst); }
    // A sync, then a check that finds nothing to do, both ending with `status`; the sync's result.
    CliResult syncAndCheck(int status = 0) {
        box.makeFolder("dst");
        CliResult sync;
        for (const char* command : {"sync", "check"}) {
            const CliResult r =
                box.run({command, "--production", box.path("src"), box.path("dst")});
            EXPECT_EQ(r.exitCode, status) << command << qPrintable(r.err);
            if (sync.exitCode < 0)
                sync = r;
        }
        return sync;
    }

    CliSandbox box;
    const QByteArray src = QFile::encodeName(box.path("src")),
                     dst = QFile::encodeName(box.path("dst"));
};

// Latin-1 letters, bytes that begin no sequence and cut sequences, beside valid names that a
// lossy decoding would make equal: copied, replaced and (only at the destination) deleted.
TEST_F(CliOddTreesTest, NamesThatAreNotUtf8AreCopiedReplacedAndDeletedByteForByte) {
    // Capitals beside odd bytes stay apart from their lower-case twins.
    const QByteArrayList onlySource{
        "\xff\xfe.txt", "caf\xc3\xa9.txt", "X\xe8.txt",           "X\xe9.txt",
        "x\xe9.txt",    "Y\xe9.txt",       "d\xff/inner\xe9.txt", "d\xff/sub\xc3/cut.txt",
        "m\xe9/a.txt"};
    const QByteArrayList both{"caf\xe9.txt", "m\xe9/b\xfe.txt", "D\xe8/f.txt"};
    const QByteArrayList onlyDestination{"gone\xfe.txt", "old\xff/o\xe9.txt", "m\xe9/stale\xff",
                                         "Y\xe8.txt",    "D\xe9/g.txt",       "D\xe8/h.txt"};
    for (const QByteArray& path : onlySource + both)
        bt::put(src, path, "source " + path, kNewer);
    for (const QByteArray& path : both + onlyDestination)
        bt::put(dst, path, "older " + path, kOlder);
    syncAndCheck();
    EXPECT_EQ(bt::snapshot(dst), bt::snapshot(src));
    EXPECT_EQ(bt::snapshot(dst).size(), 16); // 12 files and 4 folders
}

// Copied into an empty destination, then synchronised at every depth.
TEST_F(CliOddTreesTest, PathsLongerThanTheSystemLimitAreCopiedAndSynchronised) {
    QByteArray deep; // 24 folders of 200 bytes
    for (char level = 'a'; level < 'a' + 24; ++level)
        deep += (deep.isEmpty() ? "" : "/") + QByteArray(200, level);
    bt::put(src, deep + "/deepest.txt", "deepest");
    bt::put(src, deep + "/w\xe9ird.txt", "odd name at depth");
    bt::put(src, deep.left(12 * 201 - 1) + "/middle.txt", "middle");
    syncAndCheck();
    EXPECT_EQ(bt::snapshot(dst), bt::snapshot(src));

    bt::put(src, deep + "/deepest.txt", "changed", kNewer);
    bt::put(src, deep + "/new/n.txt", "new");
    bt::put(dst, deep + "/only here.txt", "stale");
    bt::put(dst, deep + "/gone/deeper/x.txt", "stale");
    syncAndCheck();
    EXPECT_EQ(bt::snapshot(dst), bt::snapshot(src));
    EXPECT_TRUE(bt::snapshot(dst).value(deep + "/deepest.txt").startsWith("file 1704153600"));
}

// At the top, in a matched folder and in a new one: left out and logged once per run.
TEST_F(CliOddTreesTest, ItemsThatAreNeitherFilesNorFoldersAreLeftOutAndLoggedOnce) {
    for (const char* path : {"plain.txt", "sub/in.txt", "new/f.txt"})
        bt::put(src, path, path);
    box.makeFolder("dst/sub");
    const auto regular = bt::snapshot(src);
    QByteArrayList specials;
    for (const auto& [path, type] : {std::pair("pipe", S_IFIFO), std::pair("sub/sock", S_IFSOCK),
                                     std::pair("new/null", S_IFCHR)})
        if (bt::makeSpecial(src, path, type)) // a device node needs root
            specials.append(path);
    ASSERT_GE(specials.size(), 2);

    const CliResult sync = syncAndCheck(4);
    const QString count = QString::number(specials.size());
    EXPECT_TRUE(sync.out.contains("Skipped: " + count + " (not a file or folder " + count + ")"))
        << qPrintable(sync.out);
    EXPECT_EQ(bt::snapshot(dst), regular);
    EXPECT_EQ(bt::snapshot(src).size(), regular.size() + specials.size());
    for (const QByteArray& path : specials)
        EXPECT_EQ(
            box.errorLog().count("Not a file or folder, left out: " + box.path("src/" + path)), 2)
            << qPrintable(box.errorLog());
}

} // namespace
} // namespace pelto::cli::test
