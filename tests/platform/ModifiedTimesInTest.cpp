// Reading the modification times of many entries of one folder at once.

#include "platform/FaultInjectingFileSystem.h"
#include "platform/LinuxFileSystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pelto::test {
namespace {

class ModifiedTimesIn : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    void makeFile(const QString& name, qint64 ms) {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        // Whole milliseconds, also before the epoch (nanoseconds stay positive).
        const qint64 seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
        const timespec t{seconds, static_cast<long>((ms - seconds * 1000) * 1'000'000)};
        const timespec times[2] = {t, t};
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(f.fileName()).constData(), times, 0), 0);
    }

    QTemporaryDir dir_;
    LinuxFileSystem fs_;
};

TEST_F(ModifiedTimesIn, GivesEachStoredNameItsTimeAndNothingForMissingOnes) {
    makeFile("Alpha.txt", 1'600'000'000'123);
    makeFile("beta", -86'400'500); // before the epoch
    makeFile("café ü", 1'700'000'000'000);

    const auto times =
        fs_.ModifiedTimesIn(dir_.path(), {"beta", "gone", "Alpha.txt", "alpha.txt", "café ü"});

    ASSERT_EQ(times.size(), 5);
    EXPECT_EQ(times[0], std::optional<qint64>(-86'400'500));
    EXPECT_EQ(times[1], std::nullopt);
    EXPECT_EQ(times[2], std::optional<qint64>(1'600'000'000'123));
    EXPECT_EQ(times[3], std::nullopt); // stored names only: no case-blind lookup per entry
    EXPECT_EQ(times[4], std::optional<qint64>(1'700'000'000'000));
    // The same instants LastModifiedOf gives.
    EXPECT_EQ(*times[2], fs_.LastModifiedOf(dir_.filePath("Alpha.txt")).toMSecsSinceEpoch());
}

TEST_F(ModifiedTimesIn, AFolderNamedInAnotherCaseIsLookedUpCaseBlind) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("Sub"));
    QFile f(dir_.filePath("Sub/x"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    const auto times = fs_.ModifiedTimesIn(dir_.filePath("SUB"), {"x", "y"});

    ASSERT_EQ(times.size(), 2);
    EXPECT_TRUE(times[0].has_value());
    EXPECT_EQ(times[1], std::nullopt);
}

TEST_F(ModifiedTimesIn, ServicesWithoutTheirOwnReadAskLastModifiedOfSoFaultsStillApply) {
    makeFile("a", 1'000);
    makeFile("b", 2'000);
    FaultInjectingFileSystem faults(fs_);
    faults.inject(FsOp::LastModifiedOf, dir_.filePath("b"), err::PermissionDenied);

    const auto times = faults.ModifiedTimesIn(dir_.path(), {"a", "b"});

    ASSERT_EQ(times.size(), 2);
    EXPECT_EQ(times[0], std::optional<qint64>(1'000));
    EXPECT_EQ(times[1], std::nullopt);
    EXPECT_EQ(faults.faultsRaised(), 1);
}

} // namespace
} // namespace pelto::test
