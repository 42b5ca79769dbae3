// The failure table of the file copy, row by row: faults root cannot feel come from the
// fault-injecting service, the rest are real.

#include "CopyFixture.h"

#include "platform/linux/PosixError.h"

#include <sys/mount.h>
#include <unistd.h>

namespace pelto::test {
namespace {

class CopyFaults : public CopyTest {
protected:
    // src/<rel> newer than an old dst/<rel>, and src/next.txt missing at dst.
    void makeUpdate(const QString& rel) {
        makeFile("src/" + rel, "new", kBaseMs + 10'000);
        makeFile("dst/" + rel, "old", kBaseMs);
        makeFile("src/next.txt", "next");
        ASSERT_TRUE(check());
    }
    bool copyFiles() { return pelto::CopyFiles(S(), D(), form_); }
    int copyCalls() const { return fs_.calls(FsOp::CopyFile); }
};

TEST_F(CopyFaults, ReadOnlyDestinationIsMadeWritableAndOverwritten) {
    makeUpdate("r.txt");
    setAttributes("dst/r.txt", attr::ReadOnly | attr::Hidden | attr::System | attr::Archive);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(read("dst/r.txt"), "new");
    EXPECT_EQ(attributes("dst/r.txt"), attr::Archive);
    EXPECT_EQ(read("dst/next.txt"), "next");
    EXPECT_TRUE(loggedMessages().isEmpty());
}

TEST_F(CopyFaults, ThreeFailedAttemptsLogOneLockedLineKeepTheOldFileAndTheRunGoesOn) {
    makeUpdate("locked.txt");
    setAttributes("dst/locked.txt", attr::ReadOnly | attr::Archive);
    fs_.inject(FsOp::CopyFile, at("dst/locked.txt"), err::PermissionDenied,
               FaultInjectingFileSystem::kAlways);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(loggedMessages(), QStringList({"Locked file skipped: " + S() + "/locked.txt"}));
    EXPECT_EQ(read("dst/locked.txt"), "old");
    // The protection lifted for the other attempts is given back.
    EXPECT_EQ(attributes("dst/locked.txt"), attr::ReadOnly | attr::Archive);
    EXPECT_EQ(read("dst/next.txt"), "next");
    EXPECT_EQ(copyCalls(), 3 + 1);
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(CopyFaults, TheMachineKeyStoreIsSkippedAtTheFirstRefusal) {
    makeUpdate("Microsoft/Crypto/RSA/MachineKeys/key1");
    fs_.inject(FsOp::CopyFile, at("dst/Microsoft/Crypto/RSA/MachineKeys/key1"),
               err::PermissionDenied, FaultInjectingFileSystem::kAlways);

    EXPECT_TRUE(pelto::CopyFolders(S(), D(), form_));
    EXPECT_EQ(loggedMessages(), QStringList({"Locked file skipped: " + S() +
                                             "/Microsoft/Crypto/RSA/MachineKeys/key1"}));
    EXPECT_EQ(read("dst/next.txt"), "next");
}

// Once: one more attempt, then the guarded copy goes through. For good: skipped with one line.
TEST_F(CopyFaults, ALockViolationIsTriedAgainThenSkipped) {
    makeUpdate("busy.db");
    fs_.inject(FsOp::CopyFile, at("dst/busy.db"), err::LockViolation, 1);
    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(read("dst/busy.db"), "new");
    EXPECT_TRUE(loggedMessages().isEmpty());
    EXPECT_EQ(copyCalls(), 3 + 1);

    makeFile("src/busy.db", "newer", kBaseMs + 20'000);
    ASSERT_TRUE(check());
    fs_.inject(FsOp::CopyFile, at("dst/busy.db"), err::LockViolation,
               FaultInjectingFileSystem::kAlways);
    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(loggedMessages(), QStringList({"Locked file skipped: " + S() + "/busy.db"}));
    EXPECT_EQ(read("dst/busy.db"), "new");
}

TEST_F(CopyFaults, AVanishedFileInAVolatileLocationIsSkippedWithALine) {
    makeFile("src/Windows/Prefetch/app.pf", "pf");
    makeFile("src/data/session.lck", "lock");
    makeFile("src/next.txt", "next");
    makeDir("dst/windows/prefetch");
    makeDir("dst/data");
    ASSERT_TRUE(check());
    ASSERT_TRUE(QFile::remove(at("src/Windows/Prefetch/app.pf")));
    ASSERT_TRUE(QFile::remove(at("src/data/session.lck")));

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(
        loggedMessages(),
        QStringList({"Locked (or missing) file skipped: " + S() + "/data/session.lck",
                     "Locked (or missing) file skipped: " + S() + "/Windows/Prefetch/app.pf"}));
    EXPECT_EQ(read("dst/next.txt"), "next");
}

TEST_F(CopyFaults, AVanishedFileElsewhereAsksIgnoreGoesOnAbortEnds) {
    makeFile("src/gone.txt", "gone");
    makeFile("src/next.txt", "next");
    makeDir("dst");
    ASSERT_TRUE(check());
    ASSERT_TRUE(QFile::remove(at("src/gone.txt")));
    // Retry finds it still gone; Ignore passes it by.
    dialogs_->then(BoxAnswer::Retry).then(BoxAnswer::Ignore);

    EXPECT_TRUE(copyFiles());
    ASSERT_EQ(dialogs_->shown().size(), 2);
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
    makeFile("src/Local Settings/Temporary Internet Files/page.htm", "page");
    makeFile("src/Spy Sweeper/Temp/scan.tmp", "scan");
    makeFile("src/music/cr\u00E8me.mp3", "tune");
    makeFile("src/music/plain.mp3", "plain");
    for (const char* folder :
         {"dst/local settings/temporary internet files", "dst/spy sweeper/temp", "dst/music"})
        makeDir(folder);
    // Read-only sources: their copies are looked up to be given the read-only bit.
    for (const char* file :
         {"src/Local Settings/Temporary Internet Files/page.htm", "src/Spy Sweeper/Temp/scan.tmp",
          "src/music/cr\u00E8me.mp3", "src/music/plain.mp3"})
        setAttributes(QString::fromUtf8(file), attr::ReadOnly | attr::Archive);
    ASSERT_TRUE(check());
    for (const char* copy :
         {"dst/local settings/temporary internet files/page.htm", "dst/spy sweeper/temp/scan.tmp",
          "dst/music/cr\u00E8me.mp3", "dst/music/plain.mp3"})
        fs_.inject(FsOp::ResolvePath, at(QString::fromUtf8(copy)), err::FileNotFound, 1);
    // The plain name has no excuse: the user is asked, and Ignore goes on after the look-up.
    dialogs_->then(BoxAnswer::Ignore);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(loggedMessages(),
              QStringList({"Locked (or missing) file skipped: " + S() +
                               "/Local Settings/Temporary Internet Files/page.htm",
                           "Umlaut file skipped: " + S() + "/music/cr\u00E8me.mp3",
                           "Unexpected error, flag ='Attributes' with " + S() + "/music/plain.mp3",
                           "Locked) file skipped: " + S() + "/Spy Sweeper/Temp/scan.tmp"}));
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(CopyFaults, AMissingDestinationFolderEndsTheRunWithALine) {
    makeFile("src/sub/a.txt", "a");
    makeDir("dst/sub");
    ASSERT_TRUE(check());
    ASSERT_TRUE(QDir(at("dst/sub")).removeRecursively());

    EXPECT_FALSE(copyFiles());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(loggedMessages(),
              QStringList({"Path not found, flag ='CopyFile' with " + D() + "/sub/a.txt"}));
}

TEST_F(CopyFaults, TheBrowsersParentLockIsSkippedOnAnyOtherError) {
    makeFile("src/Mozilla/Firefox/Profiles/p1/parent.lock", "lock");
    makeDir("dst/mozilla/firefox/profiles/p1");
    makeFile("src/next.txt", "next");
    ASSERT_TRUE(check());
    fs_.inject(FsOp::CopyFile, at("dst/mozilla/firefox/profiles/p1/parent.lock"),
               err::DeviceIoError, FaultInjectingFileSystem::kAlways);
    // Elsewhere the same error goes to the failure report.
    fs_.inject(FsOp::CopyFile, at("dst/next.txt"), err::DeviceIoError, 1);
    dialogs_->then(BoxAnswer::Retry);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(loggedMessages(), QStringList({"Locked (or missing) file skipped: " + S() +
                                             "/Mozilla/Firefox/Profiles/p1/parent.lock"}));
    EXPECT_EQ(dialogs_->shown().size(), 1);
    EXPECT_EQ(read("dst/next.txt"), "next");
}

// --- a full destination ------------------------------------------------------------------------

class DiskFull : public CopyFaults {
protected:
    void SetUp() override {
        CopyFaults::SetUp();
        makeFile("src/big.bin", "big");
        makeFile("dst/junk.bin", "junk");
        ASSERT_TRUE(check());
        fs_.inject(FsOp::CopyFile, at("dst/big.bin"), err::DiskFull, 1);
    }
    static constexpr auto kOutOfSpace =
        "Out of space on destination drive. You need to free up some space.";
    static constexpr auto kOffer = "Would you like to delete files and folders on the destination "
                                   "to free up some space?";
};

TEST_F(DiskFull, WithoutSynchronisingTheRunEnds) {
    form_.setOptSync(false);
    dialogs_->then(BoxAnswer::Ok);

    EXPECT_FALSE(copyFiles());
    EXPECT_TRUE(g().gbErrorFlag);
    ASSERT_EQ(dialogs_->shown().size(), 1);
    EXPECT_EQ(dialogs_->shown().at(0).text, QString("\r\n") + kOutOfSpace);
    EXPECT_EQ(loggedMessages(), QStringList({kOutOfSpace}));
    EXPECT_TRUE(exists("dst/junk.bin"));
}

TEST_F(DiskFull, YesDeletesTheDestinationOnlyItemsAndTriesAgain) {
    form_.setOptSync(true);
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::Yes);

    EXPECT_TRUE(copyFiles());
    ASSERT_EQ(dialogs_->shown().size(), 2);
    EXPECT_EQ(dialogs_->shown().at(1).buttons, BoxButtons::YesNo);
    EXPECT_EQ(dialogs_->shown().at(1).title, "Out of disk space");
    EXPECT_EQ(dialogs_->shown().at(1).text, kOffer);
    EXPECT_FALSE(exists("dst/junk.bin"));
    EXPECT_EQ(read("dst/big.bin"), "big");
    EXPECT_TRUE(g().gbSpaceFreed);
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(DiskFull, NoEndsTheRunAndASecondFullDiskDoesNotAskAgain) {
    form_.setOptSync(true);
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::No);
    EXPECT_FALSE(copyFiles());
    EXPECT_TRUE(exists("dst/junk.bin"));
    EXPECT_FALSE(g().gbSpaceFreed);

    // Space was freed once in this run: the next full disk only ends the run.
    g().gbSpaceFreed = true;
    fs_.inject(FsOp::CopyFile, at("dst/big.bin"), err::DiskFull, 1);
    dialogs_->then(BoxAnswer::Ok);
    EXPECT_FALSE(copyFiles());
    EXPECT_EQ(dialogs_->shown().size(), 3);

    // A new run starts afresh.
    BeginCopyRun();
    EXPECT_FALSE(g().gbSpaceFreed);
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
        makeFile("src/big.bin", QByteArray(700 * 1024, 'b'));
        makeFile("dst/junk.bin", QByteArray(600 * 1024, 'j'));
        makeFile("src/small.txt", "old small", kBaseMs);
        makeFile("dst/small.txt", "older", kBaseMs - 10'000);
        ASSERT_TRUE(check());
    }
    void TearDown() override {
        if (mounted_)
            umount2(QFile::encodeName(D()).constData(), MNT_DETACH);
        CopyTest::TearDown();
    }
    bool mounted_ = false;
};

TEST_F(RealDiskFull, TheRunEndsAndNothingHalfWrittenIsLeft) {
    form_.setOptSync(false);
    dialogs_->then(BoxAnswer::Ok);
    EXPECT_FALSE(pelto::CopyFiles(S(), D(), form_));
    EXPECT_EQ(QDir(D()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"junk.bin", "small.txt"}));
    EXPECT_EQ(read("dst/small.txt"), "older");
}

TEST_F(RealDiskFull, FreeingSpaceLetsTheCopyThrough) {
    form_.setOptSync(true);
    dialogs_->then(BoxAnswer::Ok).then(BoxAnswer::Yes);
    EXPECT_TRUE(pelto::CopyFiles(S(), D(), form_));
    EXPECT_EQ(QDir(D()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"big.bin", "small.txt"}));
    EXPECT_EQ(read("dst/big.bin").size(), 700 * 1024);
    EXPECT_EQ(read("dst/small.txt"), "old small");
}

} // namespace
} // namespace pelto::test
