// pelto-cli copy and sync where the destination holds an item of another kind than the source
// (a link or file where a folder goes, a folder where a file goes): nothing is written through a
// link, sync puts the source's item in place, copy skips it saying what is in the way.
#include "CliSandbox.h"

#include <QFile>

namespace pelto::cli::test {
namespace {

struct TypeChangeCase {
    const char* name;
    QStringList sourceFiles; // "path=content" below src (older than anything at the destination)
    QStringList destinationFiles;
    QStringList destinationFolders;
    QStringList destinationLinks; // "path=target" below dst
    const char* inTheWay;         // the destination item in the way, below dst
    const char* copyMessage;      // what copy logs about it, before the item's path
};

void PrintTo(const TypeChangeCase& c, std::ostream* os) {
    *os << c.name;
}

class CliTypeChangeTest : public ::testing::TestWithParam<TypeChangeCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        const TypeChangeCase& c = GetParam();
        box.makeFolder("dst");
        for (const QString& entry : c.sourceFiles)
            box.write("src/" + entry.section('=', 0, 0), entry.section('=', 1).toUtf8());
        for (const QString& entry : c.destinationFiles)
            box.write("dst/" + entry.section('=', 0, 0), entry.section('=', 1).toUtf8(), kNewer);
        for (const QString& folder : c.destinationFolders)
            box.makeFolder("dst/" + folder);
        for (const QString& entry : c.destinationLinks)
            ASSERT_TRUE(
                QFile::link(entry.section('=', 1), box.path("dst/" + entry.section('=', 0, 0))));
        box.write("outside/f.txt", "outside, newer than the source", kNewer);
    }

    CliSandbox box;
    const QString src = box.path("src"), dst = box.path("dst");
};

TEST_P(CliTypeChangeTest, SyncPutsTheSourceItemInPlaceAndCopySkipsItWithoutWritingThroughLinks) {
    const TypeChangeCase& c = GetParam();
    const QString inTheWay = dst + '/' + c.inTheWay;
    const auto source = snapshot(src), outside = snapshot(box.path("outside"));
    const auto destination = snapshot(dst);

    const CliResult copy = box.run({"copy", "--production", src, dst});
    EXPECT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    const QString message = QString(c.copyMessage) + inTheWay;
    EXPECT_TRUE(copy.out.contains("\nSkipped: 1\n  " + message + '\n')) << qPrintable(copy.out);
    EXPECT_TRUE(box.errorLog().contains(message));
    EXPECT_EQ(snapshot(dst).value(c.inTheWay), destination.value(c.inTheWay));
    EXPECT_EQ(snapshot(src), source);
    EXPECT_EQ(snapshot(box.path("outside")), outside);

    const CliResult sync = box.run({"sync", "--production", src, dst});
    EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_TRUE(sync.out.endsWith("\nSkipped: 0\n")) << qPrintable(sync.out);
    EXPECT_EQ(snapshot(dst), source); // the destination mirrors the source, link gone
    EXPECT_EQ(snapshot(src), source);
    EXPECT_EQ(snapshot(box.path("outside")), outside);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliTypeChangeTest,
    ::testing::Values(
        // A link to the source itself where the source has a folder.
        TypeChangeCase{"LinkToSourceWhereAFolderGoes",
                       {"d/file.txt=inner", "file.txt=top"},
                       {},
                       {},
                       {"d=../src"},
                       "d",
                       "Skipped, a link stands where the folder must go: "},
        // A link out of both trees one level down, onto a file newer than the source's.
        TypeChangeCase{"LinkOutOfTheTreesBelowAMatchedFolder",
                       {"d/e/f.txt=source"},
                       {},
                       {"d"},
                       {"d/e=../../outside"},
                       "d/e",
                       "Skipped, a link stands where the folder must go: "},
        TypeChangeCase{"FileWhereAFolderGoes",
                       {"x/f.txt=in x"},
                       {"x=a file"},
                       {},
                       {},
                       "x",
                       "Skipped, a file stands where the folder must go: "},
        TypeChangeCase{"FolderWhereAFileGoes",
                       {"y=now a file"},
                       {"y/g.txt=in y", "y/h/i.txt=i"},
                       {},
                       {},
                       "y",
                       "Skipped, a folder stands where the file must go: "}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace pelto::cli::test
