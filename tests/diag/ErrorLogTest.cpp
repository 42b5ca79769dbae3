#include "DiagFixture.h"

#include "diag/LogText.h"

#include <cerrno>

namespace pelto::test {
namespace {

using diag::LogError;

class ErrorLogTest : public DiagTest {
protected:
    void enableLog(const QString& file) {
        diag::SetLogEnabled(true);
        diag::SetLogFile(file);
    }
};

TEST_F(ErrorLogTest, RunAppendsHeaderOnceThenEachMessageWithCrLf) {
    const QString file = workPath(QStringLiteral("Error Log.txt"));
    {
        QFile earlier(file);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier run\r\n");
    }
    enableLog(file);

    EXPECT_EQ(LogError("Pelto", "CheckFiles", "first", false, false), diag::kNothingAsked);
    EXPECT_TRUE(diag::LogStarted());
    EXPECT_EQ(LogError("Pelto", "CheckFiles", "\r\nSkipped: a\r\nand b", false, false), 0);

    const QByteArray run = runHeaderBytes() + "first\r\n\r\nSkipped: a\r\nand b\r\n";
    EXPECT_EQ(readAll(file), QByteArray("an earlier run\r\n") + run);

    // The next run of the program adds its own header; nothing is lost.
    diag::ResetErrorLog();
    enableLog(file);
    LogError("Pelto", "CheckFiles", "second run", false, false);
    EXPECT_EQ(readAll(file),
              QByteArray("an earlier run\r\n") + run + runHeaderBytes() + "second run\r\n");
}

TEST_F(ErrorLogTest, TextIsWrittenInTheLocaleEncoding) {
    const QString file = workPath(QStringLiteral("log.txt"));
    enableLog(file);
    const QString message = QStringLiteral("Datei \u00e4rger.txt");
    LogError("Pelto", "CopyFile", message, false, false);
    EXPECT_TRUE(readAll(file).endsWith(message.toLocal8Bit() + "\r\n"));
}

TEST_F(ErrorLogTest, EmptyLogFileFallsBackToErrorLogInTheCurrentFolder) {
    diag::SetLogEnabled(true);
    LogError("Pelto", "Startup", "no log file named", false, false);
    EXPECT_EQ(diag::LogFile(), QStringLiteral("error.log"));
    EXPECT_EQ(readAll(workPath(QStringLiteral("error.log"))),
              runHeaderBytes() + "no log file named\r\n");
}

TEST_F(ErrorLogTest, DisabledLogWritesNothingButStillShowsTheBox) {
    diag::SetLogFile(workPath(QStringLiteral("log.txt")));
    dialogs().then(BoxAnswer::Ok);
    EXPECT_EQ(LogError("Pelto", "ReadINI", "bad line"), 0);
    EXPECT_FALSE(QFile::exists(workPath(QStringLiteral("log.txt"))));
    EXPECT_FALSE(diag::LogStarted());
    EXPECT_EQ(diag::messageLog().text(), QStringLiteral("Message Log:\r\n"));
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_EQ(dialogs().shown()[0].text, QStringLiteral("bad line"));
}

TEST_F(ErrorLogTest, UnwritableLogFileIsSkippedAndWindowAndBoxStillGetTheMessage) {
    enableLog(workPath(QStringLiteral("missing folder/log.txt")));
    dialogs().then(BoxAnswer::Retry);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "disk gone", false, true), diag::kRetry);
    EXPECT_TRUE(diag::messageLog().text().endsWith(QStringLiteral("\r\ndisk gone")));
    EXPECT_FALSE(QFile::exists(workPath(QStringLiteral("missing folder/log.txt"))));
    ASSERT_EQ(dialogs().shown().size(), 1) << "no failure report for the log file itself";
}

TEST_F(ErrorLogTest, WindowTextCollectsHeaderAndMessagesAndShowsOnce) {
    int shown = 0;
    int changes = 0;
    diag::messageLog().showAndDock = [&] { ++shown; };
    diag::messageLog().changed = [&] { ++changes; };
    enableLog(workPath(QStringLiteral("log.txt")));

    LogError("Pelto", "CheckFiles", "first", false, false);
    LogError("Pelto", "CheckFiles", "second", false, false);

    EXPECT_EQ(diag::messageLog().text(),
              QStringLiteral("Message Log:\r\n\r\nLogging started 03/07/26 at 02:05 PM\r\n") +
                  diag::programVersionLine(kVersion) + QStringLiteral("\r\nfirst\r\nsecond"));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(changes, 3);

    diag::messageLog().clear();
    EXPECT_EQ(diag::messageLog().text(), QString());
    LogError("Pelto", "CheckFiles", "after the check began", false, false);
    EXPECT_EQ(diag::messageLog().text(), QStringLiteral("\r\nafter the check began"));
    EXPECT_EQ(shown, 1);
}

TEST_F(ErrorLogTest, QuestionAnswersMapToAbortRetryIgnoreCodes) {
    dialogs().then(BoxAnswer::Abort).then(BoxAnswer::Retry).then(BoxAnswer::Ignore);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "locked", false, true), 3);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "locked", false, true), 1);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "locked", false, true), 2);
    ASSERT_EQ(dialogs().shown().size(), 3);
    for (const ShownBox& box : dialogs().shown()) {
        EXPECT_EQ(box.buttons, BoxButtons::AbortRetryIgnore);
        EXPECT_EQ(box.title, QStringLiteral("Unexpected Error"));
        EXPECT_EQ(box.icon, BoxIcon::Critical);
        EXPECT_EQ(box.text, QStringLiteral("locked"));
    }
}

TEST_F(ErrorLogTest, NoticeWinsOverQuestionAndSilentEntryAsksNothing) {
    dialogs().then(BoxAnswer::Ok);
    EXPECT_EQ(LogError("Pelto", "ReadINI", "notice", true, true), 0);
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_EQ(dialogs().shown()[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(dialogs().shown()[0].title, QStringLiteral("Pelto Error"));

    EXPECT_EQ(LogError("Pelto", "ReadINI", "silent", false, false), 0);
    EXPECT_EQ(dialogs().shown().size(), 1);
}

TEST_F(ErrorLogTest, PendingErrorIsCarriedIntoTheLine) {
    const QString file = workPath(QStringLiteral("log.txt"));
    enableLog(file);
    LogError("Pelto", "ReadINI", "while reading", false, false,
             RuntimeError(err::FileNotFound, QStringLiteral("File not found")), 12);
    LogError("Pelto", "CopyFile", "copying a.txt", false, false,
             RuntimeError(err::DiskFull, QStringLiteral("ignored for status codes")), 7);
    LogError("Pelto", "CopyFile", "no error pending", false, false, RuntimeError(0, {}), 3);

    EXPECT_EQ(readAll(file),
              runHeaderBytes() +
                  "Program error #53 (File not found) occurred in module Pelto, ReadINI, "
                  "line 12 while reading\r\n"
                  "Program error #-2147024784 (There is not enough space on the disk.) "
                  "occurred in module Pelto, CopyFile, line 7 copying a.txt\r\n"
                  "no error pending\r\n");
}

TEST(MessageTextTest, SystemTextsOnOneLineAndUnknownCodes) {
    EXPECT_EQ(diag::MessageText(ENOENT), QStringLiteral("No such file or directory"));
    EXPECT_EQ(diag::MessageText(ENOSPC), QStringLiteral("No space left on device"));
    EXPECT_EQ(diag::MessageText(err::LockViolation), describeError(err::LockViolation));
    EXPECT_EQ(diag::MessageText(99999), QStringLiteral("Error not found."));
    EXPECT_EQ(diag::MessageText(-5), QStringLiteral("Error not found."));
    EXPECT_EQ(diag::MessageText(static_cast<qint32>(0x80070002u)),
              QStringLiteral("Error not found."));
}

TEST(LogTextTest, VersionLineKeepsTheLastTwoDigitsOfTheRevision) {
    VersionRecord v{"Pelto", 2, 7, 40, "", ""};
    EXPECT_EQ(diag::programVersionLine(v), QStringLiteral("Program version 2.7.40"));
    v.revision = 140;
    EXPECT_EQ(diag::programVersionLine(v), QStringLiteral("Program version 2.7.40"));
    v.revision = 5;
    EXPECT_EQ(diag::programVersionLine(v), QStringLiteral("Program version 2.7.5"));
}

TEST(LogTextTest, StartedLineUsesLocaleSeparatorsAndTwelveHourClock) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    const QLocale fi(QLocale::Finnish, QLocale::Finland);
    const QDate day(2009, 12, 31);
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(0, 7)), us),
              QStringLiteral("Logging started 12/31/09 at 12:07 AM"));
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(12, 30)), us),
              QStringLiteral("Logging started 12/31/09 at 12:30 PM"));
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(23, 59)), de),
              QStringLiteral("Logging started 12.31.09 at 11:59 ") + de.pmText());
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(9, 5)), fi),
              QStringLiteral("Logging started 12.31.09 at 09.05 ") + fi.amText());
}

TEST_F(ErrorLogTest, ElapsedSecondsFollowsTheProgramClock) {
    clock_.advance(50'000);
    diag::StartTimer();
    EXPECT_FLOAT_EQ(diag::ElapsedSeconds(), 0.0f);
    clock_.advance(1234);
    EXPECT_FLOAT_EQ(diag::ElapsedSeconds(), 1.234f);
    diag::StartTimer();
    clock_.advance(500);
    EXPECT_FLOAT_EQ(diag::ElapsedSeconds(), 0.5f);
}

} // namespace
} // namespace pelto::test
