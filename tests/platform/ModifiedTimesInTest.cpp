// Modification times: of one file, as local time to the millisecond and a link's own, and of
// many entries of one folder at once.
#include "FsTestTree.h"

#include "platform/linux/LinuxFileSystem.h"
#include "support/FaultInjectingFileSystem.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

using ModifiedTimesIn = FsTest;

TEST_F(ModifiedTimesIn, GivesEachStoredNameItsTimeAlsoInAFolderFoundCaseBlind) {
    tree.makeFolder("Sub");
    for (const char* name : {"Sub/Alpha.txt", "Sub/beta", "Sub/café ü"})
        tree.write(QString::fromUtf8(name), "x");
    tree.setModified("Sub/Alpha.txt", 1'600'000'000, 123'000'000);
    tree.setModified("Sub/beta", -86'401, 500'000'000); // before the epoch
    tree.setModified("Sub/café ü", 1'700'000'000, 0);

    const auto times =
        fs.ModifiedTimesIn(tree.path("Sub"), {"beta", "gone", "Alpha.txt", "alpha.txt", "café ü"});

    ASSERT_EQ(times.size(), 5);
    EXPECT_EQ(times[0], std::optional<qint64>(-86'400'500));
    EXPECT_EQ(times[1], std::nullopt);
    EXPECT_EQ(times[2], std::optional<qint64>(1'600'000'000'123));
    EXPECT_EQ(times[3], std::nullopt); // stored names only: no case-blind lookup per entry
    EXPECT_EQ(times[4], std::optional<qint64>(1'700'000'000'000));
    EXPECT_EQ(*times[2], fs.LastModifiedOf(tree.path("Sub/Alpha.txt")).toMSecsSinceEpoch());

    EXPECT_EQ(fs.ModifiedTimesIn(tree.path("SUB"), {"beta", "gone"}),
              (QList<std::optional<qint64>>{-86'400'500, std::nullopt}));

    const QDateTime modified = fs.GetFile(tree.path("SUB/ALPHA.txt")).DateLastModified();
    EXPECT_EQ(modified.toMSecsSinceEpoch(), 1'600'000'000'123);
    EXPECT_EQ(modified.timeSpec(), Qt::LocalTime);
    tree.link("link", tree.path("Sub/beta"));
    tree.setModified("link", 1'500'000'000, 0);
    EXPECT_EQ(fs.GetFile(tree.path("link")).DateLastModified().toSecsSinceEpoch(), 1'500'000'000);
}

TEST_F(ModifiedTimesIn, ServicesWithoutTheirOwnReadAskLastModifiedOfSoFaultsStillApply) {
    tree.write("a", "x");
    tree.write("b", "x");
    tree.setModified("a", 1, 0);
    FaultInjectingFileSystem faults(fs);
    faults.inject(FsOp::LastModifiedOf, tree.path("b"), err::PermissionDenied);

    const auto times = faults.ModifiedTimesIn(tree.root(), {"a", "b"});

    ASSERT_EQ(times.size(), 2);
    EXPECT_EQ(times[0], std::optional<qint64>(1'000));
    EXPECT_EQ(times[1], std::nullopt);
    EXPECT_EQ(faults.faultsRaised(), 1);
}

} // namespace
} // namespace pelto::test
