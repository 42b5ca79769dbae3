// Modification times: of one file, as local time to the millisecond and a link's own, and of
// many entries of one folder at once.
#include "FsTestTree.h"

#include <QDateTime>

namespace pelto::test {
namespace {

using Times = QList<std::optional<qint64>>;
using ModifiedTimesIn = FsTest;

TEST_F(ModifiedTimesIn, GivesEachStoredNameItsTimeAlsoInAFolderFoundCaseBlind) {
    tree.makeFolder("Sub");
    for (const auto& [name, seconds, nanoseconds] :
         {std::tuple("Sub/Alpha.txt", 1'600'000'000, 123'000'000),
          std::tuple("Sub/beta", -86'401, 500'000'000),
          std::tuple("Sub/café ü", 1'700'000'000, 0)}) {
        tree.write(name, "x");
        tree.setModified(name, seconds, nanoseconds);
    }
    // Stored names only: no case-blind lookup per entry.
    EXPECT_EQ(
        fs.ModifiedTimesIn(tree.path("Sub"), {"beta", "gone", "Alpha.txt", "alpha.txt", "café ü"}),
        (Times{-86'400'500, std::nullopt, 1'600'000'000'123, std::nullopt, 1'700'000'000'000}));
    EXPECT_EQ(fs.ModifiedTimesIn(tree.path("SUB"), {"beta", "gone"}),
              (Times{-86'400'500, std::nullopt}));

    const QDateTime modified = fs.GetFile(tree.path("SUB/ALPHA.txt")).DateLastModified();
    EXPECT_EQ(modified.toMSecsSinceEpoch(), 1'600'000'000'123);
    EXPECT_EQ(modified.timeSpec(), Qt::LocalTime);
    tree.link("link", tree.path("Sub/beta"));
    tree.setModified("link", 1'500'000'000, 0);
    EXPECT_EQ(fs.GetFile(tree.path("link")).DateLastModified().toSecsSinceEpoch(), 1'500'000'000);
}

} // namespace
} // namespace pelto::test
