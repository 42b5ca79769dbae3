// The failure table of the file copy, row by row: faults root cannot feel come from the
// fault-injecting service, the rest are real.

#include "CopyFixture.h"

#include "platform/linux/PosixError.h"

#include <sys/mount.h>
#include <unistd.h>

namespace pelto::test {
namespace {

constexpr int kAlways = FaultInjectingFileSystem::kAlways;

class CopyFaults : public CopyTest {
protected:
    // src/<rel> newer than an old dst/<rel>, and src/next.txt missing at dst.
    void makeUpdate(const QString& rel) {
        makeFile("src/" + rel, "new", kBaseMs + 10'000);
        makeFile("dst/" + rel, "old", kBaseMs);
        makeFile("src/next.txt", "next");
        ASSERT_TRUE(check());
    }
};

// One file updated over an old copy while the copy of it fails; the run always goes on to
// next.txt.
struct FaultRow {
    const char* rel;
    int dstAttributes;   // given to the old copy first; -1: as made
    qint32 error;        // injected into the copy of rel; 0: none
    int times;           // how many copies fail
    bool asks;           // the failure report is shown (and answered Retry)
    const char* logged;  // the one logged line, before the source path; nullptr: none
    const char* result;  // dst/<rel> afterwards
    int copyCalls;       // with the one of next.txt
    int attributesAfter; // of dst/<rel>; -1: not checked
};

class CopyFaultRows : public CopyFaults, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(CopyFaultRows, LogKeepAndAttempts) {
    const FaultRow& row = GetParam();
    makeUpdate(row.rel);
    if (row.dstAttributes >= 0)
        setAttributes(QStringLiteral("dst/") + row.rel, row.dstAttributes);
    if (row.error != 0)
        fs_.inject(FsOp::CopyFile, at(QStringLiteral("dst/") + row.rel), row.error, row.times);
    if (row.asks)
        dialogs_->then(BoxAnswer::Retry);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(loggedMessages(),
              row.logged ? QStringList({row.logged + S() + "/" + row.rel}) : QStringList());
    EXPECT_EQ(read(QStringLiteral("dst/") + row.rel), row.result);
    if (row.copyCalls >= 0) {
        EXPECT_EQ(fs_.calls(FsOp::CopyFile), row.copyCalls);
    }
    if (row.attributesAfter >= 0) {
        EXPECT_EQ(attributes(QStringLiteral("dst/") + row.rel), row.attributesAfter);
    }
    EXPECT_EQ(dialogs_->shown().size(), row.asks ? 1 : 0);
    EXPECT_EQ(read("dst/next.txt"), "next");
    EXPECT_FALSE(g().gbErrorFlag);
}

constexpr int kRA = attr::ReadOnly | attr::Archive;
constexpr const char* kLocked = "Locked file skipped: ";
constexpr const char* kLockedOrMissing = "Locked (or missing) file skipped: ";

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
        // A lock violation is tried once more, then the guarded copy goes through; for good it
        // is skipped.
        FaultRow{"busy.db", -1, err::LockViolation, 1, false, nullptr, "new", 4, -1},
        FaultRow{"busy.db", -1, err::LockViolation, kAlways, false, kLocked, "old", 3, -1},
        // The browser's parent lock is skipped on any other error; elsewhere the same error goes
        // to the failure report.
        FaultRow{"Mozilla/Firefox/Profiles/p1/parent.lock", -1, err::DeviceIoError, kAlways, false,
                 kLockedOrMissing, "old", 2, -1},
        FaultRow{"data.bin", -1, err::DeviceIoError, 1, true, nullptr, "new", 3, -1}));

// A source gone since the check: in a volatile location skipped with a line, elsewhere the
// failure report, where Ignore goes on and Abort ends the run.
TEST_F(CopyFaults, AVanishedFileIsSkippedWhereVolatileElseReported) {
    const QStringList volatileFiles{"app/db.ldb.bak",
                                    "data/session.lck",
                                    "Documents and Settings/joe/Cookies/c.txt",
                                    "Mozilla/Profiles/x/Cache/f",
                                    "Windows/PCHealth/HelpCtr/x/f",
                                    "Windows/Prefetch/app.pf"};
    // Below a user profile only the profile's own volatile folders count.
    const QStringList otherFiles{"Documents and Settings/joe/PCHealth/HelpCtr/f",
                                 "Mozilla/Profiles/x/f", "gone.txt"};
    for (const QString& rel : volatileFiles + otherFiles) {
        makeFile("src/" + rel, "v");
        makeDir("dst/" + QFileInfo(rel).path().toLower());
    }
    makeFile("src/next.txt", "next");
    ASSERT_TRUE(check());
    QStringList expected;
    for (const QString& rel : volatileFiles + otherFiles) {
        ASSERT_TRUE(QFile::remove(at("src/" + rel)));
        expected.append((volatileFiles.contains(rel) ? kLockedOrMissing
                                                     : "Unexpected error, flag ='CopyFile' with ") +
                        S() + "/" + rel);
    }
    expected.append(expected.last()); // gone.txt: reported again after Retry
    expected.sort();
    // Retry finds it still gone; Ignore passes it by.
    dialogs_->then(BoxAnswer::Retry)
        .then(BoxAnswer::Ignore)
        .then(BoxAnswer::Ignore)
        .then(BoxAnswer::Ignore);

    EXPECT_TRUE(copyFiles());
    QStringList logged = loggedMessages();
    logged.sort();
    EXPECT_EQ(logged, expected);
    ASSERT_EQ(dialogs_->shown().size(), 4);
    const ShownBox& box = dialogs_->shown().at(0);
    EXPECT_EQ(box.buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_EQ(box.text, "Unexpected error, flag ='CopyFile' with " + S() + "/gone.txt");
    EXPECT_EQ(box.title, "Unexpected Error");
    EXPECT_EQ(read("dst/next.txt"), "next");
    EXPECT_FALSE(g().gbErrorFlag);

    // Abort ends the run before the next file.
    ASSERT_TRUE(QFile::remove(at("dst/next.txt")));
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(copyFiles());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_FALSE(exists("dst/next.txt"));
}

TEST_F(CopyFaults, ACopyNotFoundAfterwardsIsSkippedByWhereItLivesOrByItsName) {
    // Read-only sources: their copies are looked up to be given the read-only bit.
    const QStringList files{"Local Settings/Temporary Internet Files/page.htm",
                            "Spy Sweeper/Temp/scan.tmp", "music/cr\u00E8me.mp3", "music/plain.mp3"};
    for (const QString& file : files) {
        makeFile("src/" + file, "v");
        setAttributes("src/" + file, kRA);
        makeDir("dst/" + QFileInfo(file).path().toLower());
    }
    ASSERT_TRUE(check());
    for (const QString& file : files)
        fs_.inject(FsOp::ResolvePath,
                   at("dst/" + QFileInfo(file).path().toLower() + "/" + QFileInfo(file).fileName()),
                   err::FileNotFound, 1);
    // The plain name has no excuse: the user is asked, and Ignore goes on after the look-up.
    dialogs_->then(BoxAnswer::Ignore);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(
        loggedMessages(),
        QStringList({kLockedOrMissing + S() + "/Local Settings/Temporary Internet Files/page.htm",
                     "Umlaut file skipped: " + S() + "/music/cr\u00E8me.mp3",
                     "Unexpected error, flag ='Attributes' with " + S() + "/music/plain.mp3",
                     "Locked) file skipped: " + S() + "/Spy Sweeper/Temp/scan.tmp"}));
    EXPECT_FALSE(g().gbErrorFlag);
}

// A copy that fails at the last moment, after the new content was written, leaves the old file.
TEST_F(CopyFaults, AFailedCopyNeverReplacesTheGoodFile) {
    makeUpdate("doc.txt");
    real_.setBeforeReplaceHook([](const QString&) { throw RuntimeError(err::DiskFull, "full"); });
    dialogs_->then(BoxAnswer::Ok);

    EXPECT_FALSE(copyFiles());
    EXPECT_EQ(read("dst/doc.txt"), "old");
    EXPECT_EQ(QDir(D()).entryList(QDir::Files | QDir::Hidden), QStringList({"doc.txt"}));
}

// A full destination: without synchronising the run ends; with it the user is offered to delete
// what only the destination has (once per run).
TEST_F(CopyFaults, AFullDiskEndsTheRunOrFreesSpaceOncePerRun) {
    const QString outOfSpace = "Out of space on destination drive. You need to free up some space.";
    makeFile("src/big.bin", "big");
    makeFile("dst/junk.bin", "junk");
    ASSERT_TRUE(check());
    fs_.inject(FsOp::CopyFile, at("dst/big.bin"), err::DiskFull, 1);
    dialogs_->then(BoxAnswer::Ok);
    EXPECT_FALSE(copyFiles());
    EXPECT_TRUE(g().gbErrorFlag);
    ASSERT_EQ(dialogs_->shown().size(), 1);
    EXPECT_EQ(dialogs_->shown().at(0).text, "\r\n" + outOfSpace);
    EXPECT_EQ(loggedMessages(), QStringList({outOfSpace}));

    form_.setOptSync(true);
    fs_.inject(FsOp::CopyFile, at("dst/big.bin"), err::DiskFull, 1);
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::No);
    EXPECT_FALSE(copyFiles());
    EXPECT_TRUE(exists("dst/junk.bin"));
    EXPECT_FALSE(g().gbSpaceFreed);

    g().gbErrorFlag = false;
    fs_.inject(FsOp::CopyFile, at("dst/big.bin"), err::DiskFull, 1);
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::Yes);
    EXPECT_TRUE(copyFiles());
    ASSERT_EQ(dialogs_->shown().size(), 5);
    EXPECT_EQ(dialogs_->shown().at(4).buttons, BoxButtons::YesNo);
    EXPECT_EQ(dialogs_->shown().at(4).title, "Out of disk space");
    EXPECT_EQ(dialogs_->shown().at(4).text, "Would you like to delete files and folders on the "
                                            "destination to free up some space?");
    EXPECT_FALSE(exists("dst/junk.bin"));
    EXPECT_EQ(read("dst/big.bin"), "big");
    EXPECT_TRUE(g().gbSpaceFreed);
    EXPECT_FALSE(g().gbErrorFlag);

    // Space was freed once in this run: the next full disk only ends the run.
    fs_.inject(FsOp::CopyFile, at("dst/big.bin"), err::DiskFull, 1);
    makeFile("src/big.bin", "bigger", kBaseMs + 5000);
    ASSERT_TRUE(check());
    dialogs_->then(BoxAnswer::Ok);
    EXPECT_FALSE(copyFiles());
    EXPECT_EQ(dialogs_->shown().size(), 6);
    // A new run starts afresh.
    BeginCopyRun();
    EXPECT_FALSE(g().gbSpaceFreed);
}

// A real full disk: the destination is a 1 MiB tmpfs (root only).
class RealDiskFull : public CopyTest {
protected:
    void SetUp() override {
        CopyTest::SetUp();
        if (geteuid() != 0)
            GTEST_SKIP() << "mounting a tmpfs needs root";
        makeDir("dst");
        mounted_ = mount("tmpfs", QFile::encodeName(D()).constData(), "tmpfs", 0, "size=1m") == 0;
        if (!mounted_)
            GTEST_SKIP() << "tmpfs could not be mounted";
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
    makeFile("src/small.txt", "old small", kBaseMs);
    makeFile("dst/small.txt", "older", kBaseMs - 10'000);
    ASSERT_TRUE(check());
    dialogs_->then(BoxAnswer::Ok);
    EXPECT_FALSE(copyFiles());
    EXPECT_EQ(QDir(D()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"junk.bin", "small.txt"}));
    EXPECT_EQ(read("dst/small.txt"), "older");

    g().gbErrorFlag = false;
    form_.setOptSync(true);
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::Yes);
    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(QDir(D()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"big.bin", "small.txt"}));
    EXPECT_EQ(read("dst/big.bin").size(), 700 * 1024);
    EXPECT_EQ(read("dst/small.txt"), "old small");
}

} // namespace
} // namespace pelto::test
