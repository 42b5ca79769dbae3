// pelto-cli where the destination holds an item of another kind than the source: nothing is
// written through a link, sync puts the source's item in place, copy skips it saying so.
#include "CliSandbox.h"

#include <QFile>

namespace pelto::cli::test {
namespace {

struct TypeChangeCase {
    const char* name;
    // '|' between items below the sandbox: "src/path=content" (older than anything at the
    // destination), "dst/path=content", "dst/folder/" or "dst/link->target".
    const char* items;
    const char* inTheWay;         // the destination item in the way, below dst
    const char *found, *expected; // its kind and the source's, as copy names them
    friend void PrintTo(const TypeChangeCase& c, std::ostream* os) { *os << c.name; }
};

class CliTypeChangeTest : public ::testing::TestWithParam<TypeChangeCase> {};

TEST_P(CliTypeChangeTest, SyncPutsTheSourceItemInPlaceAndCopySkipsItWithoutWritingThroughLinks) {
    const TypeChangeCase& c = GetParam();
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    const QString src = box.path("src"), dst = box.path("dst");
    box.makeFolder("dst");
    box.write("outside/f.txt", "outside, newer than the source", kNewer);
    for (const QString& item : QString(c.items).split('|'))
        if (item.endsWith('/'))
            box.makeFolder(item);
        else if (item.contains("->"))
            ASSERT_TRUE(QFile::link(item.section("->", 1), box.path(item.section("->", 0, 0))));
        else
            box.write(item.section('=', 0, 0), item.section('=', 1).toUtf8(),
                      item.startsWith("dst/") ? kNewer : kOlder);
    // The source and the folder outside both trees, which neither run may change.
    const auto others = [&] { return std::pair(snapshot(src), snapshot(box.path("outside"))); };
    const auto before = others();
    const auto destination = snapshot(dst);

    // The copy finishes, but the item in the way leaves the backup incomplete: status 4.
    const CliResult copy = box.run({"copy", "--production", src, dst});
    EXPECT_EQ(copy.exitCode, 4) << qPrintable(copy.err);
    const QString message = QString("Skipped, a %1 stands where the %2 must go: %3/%4")
                                .arg(c.found, c.expected, dst, c.inTheWay);
    EXPECT_TRUE(copy.out.contains("\nSkipped: 1 (other reasons 1)\n  " + message + '\n'))
        << qPrintable(copy.out);
    EXPECT_TRUE(box.errorLog().contains(message));
    EXPECT_EQ(snapshot(dst).value(c.inTheWay), destination.value(c.inTheWay));
    EXPECT_EQ(others(), before);

    const CliResult sync = box.run({"sync", "--production", src, dst});
    EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_TRUE(sync.out.endsWith("\nSkipped: 0\n")) << qPrintable(sync.out);
    EXPECT_EQ(snapshot(dst), before.first); // the destination mirrors the source, link gone
    EXPECT_EQ(others(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliTypeChangeTest,
    ::testing::Values(
        // A link to the source itself where the source has a folder.
        TypeChangeCase{"LinkToSourceWhereAFolderGoes",
                       "src/d/file.txt=inner|src/file.txt=top|dst/d->../src", "d", "link",
                       "folder"},
        // A link out of both trees one level down, onto a file newer than the source's.
        TypeChangeCase{"LinkOutOfTheTreesBelowAMatchedFolder",
                       "src/d/e/f.txt=source|dst/d/|dst/d/e->../../outside", "d/e", "link",
                       "folder"},
        TypeChangeCase{"FileWhereAFolderGoes", "src/x/f.txt=in x|dst/x=a file", "x", "file",
                       "folder"},
        TypeChangeCase{"FolderWhereAFileGoes", "src/y=now a file|dst/y/g.txt=in y|dst/y/h/i.txt=i",
                       "y", "folder", "file"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace pelto::cli::test
