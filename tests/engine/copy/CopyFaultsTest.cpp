// The file copy's failure table row by row; faults root cannot feel are injected.

#include "CopyFixture.h"

#include "platform/FileSystem.h"
#include "platform/LeftOut.h"

#include <sys/mount.h>

namespace pelto::test {
namespace {

constexpr int kAlways = FaultInjectingFileSystem::kAlways;
constexpr int kRA = attr::ReadOnly | attr::Archive;
constexpr const char* kLocked = "Locked file skipped: ";
constexpr const char* kLockedOrMissing = "Locked (or missing) file skipped: ";

using CopyFaults = CopyTest;

// One file updated over an old copy while the copy of it fails; the run goes on to next.txt.
struct FaultRow {
    const char* rel;
    int dstAttributes;   // given to the old copy first; -1: as made
    qint32 error;        // injected into the copy of rel; 0: none
    int times;           // how many copies fail
    bool asks;           // the failure report is shown (and answered Retry)
    const char* logged;  // the one logged line, before the source path; nullptr: none
    const char* result;  // dst/<rel> afterwards
    int copyCalls;       // with the one of next.txt; -1: not checked
    int attributesAfter; // of dst/<rel>; -1: not checked
};

class CopyFaultRows : public CopyTest, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(CopyFaultRows, LogKeepAndAttempts) {
    const FaultRow& row = GetParam();
    const QString dst = QStringLiteral("dst/") + row.rel;
    makeFile(QStringLiteral("src/") + row.rel, "new", kBaseMs + 10'000);
    makeTree({dst + "=old", "src/next.txt=next"});
    ASSERT_TRUE(check());
    if (row.dstAttributes >= 0)
        setAttributes(dst, row.dstAttributes);
    if (row.error != 0)
        fs_.inject(FsOp::CopyFile, at(dst), row.error, row.times);
    if (row.asks)
        dialogs_->then(BoxAnswer::Retry);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(loggedMessages(),
              row.logged ? QStringList({row.logged + S() + "/" + row.rel}) : QStringList());
    EXPECT_EQ(read(dst), row.result);
    if (row.copyCalls >= 0) {
        EXPECT_EQ(fs_.calls(FsOp::CopyFile), row.copyCalls);
    }
    if (row.attributesAfter >= 0) {
        EXPECT_EQ(attributes(dst), row.attributesAfter);
    }
    EXPECT_EQ(dialogs_->shown().size(), row.asks ? 1 : 0);
    EXPECT_EQ(read("dst/next.txt"), "next");
    EXPECT_FALSE(g().gbErrorFlag);
    // Every skip in this table is a file in use: counted once as such.
    EXPECT_EQ(leftOut().count(LeftOutReason::Locked), row.logged ? 1 : 0);
    EXPECT_EQ(leftOut().total(), row.logged ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CopyFaultRows,
    ::testing::Values(
        // A read-only destination is made writable and overwritten.
        FaultRow{"r.txt", kRA | attr::Hidden | attr::System, 0, 0, false, nullptr, "new", -1,
                 attr::Archive},
        // Three failed attempts: one line, the old file, its protection given back.
        FaultRow{"locked.txt", kRA, err::PermissionDenied, kAlways, false, kLocked, "old", 4, kRA},
        // The machine key store is skipped at the first refusal.
        FaultRow{"Microsoft/Crypto/RSA/MachineKeys/key1", -1, err::PermissionDenied, kAlways, false,
                 kLocked, "old", 2, -1},
        // A lock violation is tried once more; for good it is skipped.
        FaultRow{"busy.db", -1, err::LockViolation, 1, false, nullptr, "new", 4, -1},
        FaultRow{"busy.db", -1, err::LockViolation, kAlways, false, kLocked, "old", 3, -1},
        // The browser's lock is skipped on any error; elsewhere the error is reported.
        FaultRow{"Mozilla/Firefox/Profiles/p1/parent.lock", -1, err::DeviceIoError, kAlways, false,
                 kLockedOrMissing, "old", 2, -1},
        FaultRow{"data.bin", -1, err::DeviceIoError, 1, true, nullptr, "new", 3, -1}));

// A source gone since the check is skipped and counted without a question; a file still there
// whose copy reports it missing goes to the failure report.
TEST_F(CopyFaults, AVanishedFileIsSkippedAndCountedWithoutAQuestion) {
    const QStringList volatileFiles{"app/db.ldb.bak", "data/session.lck", "Windows/Prefetch/app.pf",
                                    "Documents and Settings/joe/Cookies/c.txt",
                                    "Mozilla/Profiles/x/Cache/f"};
    // Below a browser profile only its own volatile folders count.
    const QStringList otherFiles{"Mozilla/Profiles/x/f", "gone.txt"};
    QStringList expected;
    for (const QString& rel : volatileFiles + otherFiles) {
        makeTree({"src/" + rel, "dst/" + QFileInfo(rel).path().toLower() + "/"});
        expected << (volatileFiles.contains(rel) ? kLockedOrMissing
                                                 : "Source file vanished, skipped: ") +
                        S() + "/" + rel;
    }
    makeTree({"src/next.txt=next"});
    ASSERT_TRUE(check());
    for (const QString& rel : volatileFiles + otherFiles)
        ASSERT_TRUE(QFile::remove(at("src/" + rel)));

    EXPECT_TRUE(copyFiles());
    QStringList logged = loggedMessages();
    logged.sort();
    expected.sort();
    EXPECT_EQ(logged, expected);
    EXPECT_TRUE(dialogs_->shown().isEmpty());
    EXPECT_EQ(read("dst/next.txt"), "next");
    EXPECT_FALSE(g().gbErrorFlag);
    EXPECT_EQ(leftOut().count(LeftOutReason::Vanished), 2);
    EXPECT_EQ(leftOut().count(LeftOutReason::Locked), 5);

    ASSERT_TRUE(QFile::remove(at("dst/next.txt")));
    makeTree({"src/gone.txt=back"});
    ASSERT_TRUE(check());
    fs_.inject(FsOp::CopyFile, at("src/gone.txt"), err::FileNotFound, kAlways);
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(copyFiles());
    ASSERT_EQ(dialogs_->shown().size(), 1);
    EXPECT_EQ(dialogs_->shown()[0].text,
              "Unexpected error, flag ='CopyFile' with " + S() + "/gone.txt");
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_FALSE(exists("dst/next.txt"));
}

// When synchronising, a full destination offers once per run to delete what only it has.
TEST_F(CopyFaults, AFullDiskOffersToFreeSpaceOncePerRun) {
    makeTree({"src/big.bin=big", "dst/junk.bin=junk"});
    ASSERT_TRUE(check());
    form_.setOptSync(true);
    const auto fullOnce = [&] { fs_.inject(FsOp::CopyFile, at("dst/big.bin"), err::DiskFull, 1); };
    fullOnce();
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::No);
    EXPECT_FALSE(copyFiles());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(snapshot("dst"), QStringList({"junk.bin=junk"}));

    g().gbErrorFlag = false;
    fullOnce();
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::Yes);
    EXPECT_TRUE(copyFiles());
    ASSERT_EQ(dialogs_->shown().size(), 4);
    EXPECT_EQ(dialogs_->shown()[3].buttons, BoxButtons::YesNo);
    EXPECT_EQ(dialogs_->shown()[3].title, "Out of disk space");
    EXPECT_EQ(dialogs_->shown()[3].text, "Would you like to delete files and folders on the "
                                         "destination to free up some space?");
    EXPECT_EQ(snapshot("dst"), QStringList({"big.bin=big"}));
    EXPECT_FALSE(g().gbErrorFlag);

    // Space was freed once in this run: the next full disk only ends the run.
    makeTree({"src/big.bin=bigger@5000"});
    ASSERT_TRUE(check());
    fullOnce();
    dialogs_->then(BoxAnswer::Ok);
    EXPECT_FALSE(copyFiles());
    EXPECT_EQ(dialogs_->shown().size(), 5);
}

// A real full disk: the destination is a 1 MiB tmpfs (root only).
class RealDiskFull : public CopyTest {
protected:
    void SetUp() override {
        CopyTest::SetUp();
        makeDir("dst");
        mounted_ = mount("tmpfs", QFile::encodeName(D()).constData(), "tmpfs", 0, "size=1m") == 0;
        if (!mounted_)
            GTEST_SKIP() << "tmpfs could not be mounted (needs root)";
    }
    void TearDown() override {
        if (mounted_)
            umount2(QFile::encodeName(D()).constData(), MNT_DETACH);
        CopyTest::TearDown();
    }
    bool mounted_ = false;
};

TEST_F(RealDiskFull, TheRunEndsWithNothingHalfWrittenAndFreeingSpaceLetsTheCopyThrough) {
    makeFile("src/big.bin", QByteArray(700 * 1024, 'b'));
    makeFile("dst/junk.bin", QByteArray(600 * 1024, 'j'));
    makeTree({"src/small.txt=old small", "dst/small.txt=older@-10000"});
    ASSERT_TRUE(check());
    dialogs_->then(BoxAnswer::Ok);
    EXPECT_FALSE(copyFiles());
    EXPECT_TRUE(g().gbErrorFlag);
    const QString outOfSpace = "Out of space on destination drive. You need to free up some space.";
    ASSERT_EQ(dialogs_->shown().size(), 1);
    EXPECT_EQ(dialogs_->shown()[0].text, "\r\n" + outOfSpace);
    EXPECT_EQ(loggedMessages(), QStringList({outOfSpace}));
    EXPECT_EQ(snapshot("dst"),
              QStringList({"junk.bin=" + QString(600 * 1024, u'j'), "small.txt=older"}));

    g().gbErrorFlag = false;
    form_.setOptSync(true);
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::Yes);
    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(snapshot("dst"),
              QStringList({"big.bin=" + QString(700 * 1024, u'b'), "small.txt=old small"}));
}

} // namespace
} // namespace pelto::test
