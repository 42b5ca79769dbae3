// The error log: the file's exact bytes over runs, the window text, the boxes and their result
// codes, and the texts the log is made of.
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

TEST_F(ErrorLogTest, EachRunAppendsItsHeaderOnceThenEachMessageWithCrLf) {
    const QString file = workPath("Error Log.txt");
    {
        QFile earlier(file);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier run\r\n");
    }
    enableLog(file);
    EXPECT_EQ(LogError("Pelto", "CheckFiles", "first", false, false), diag::Answer::None);
    EXPECT_TRUE(diag::LogStarted());
    EXPECT_EQ(LogError("Pelto", "CheckFiles", "\r\nSkipped: a\r\nand b", false, false), 0);
    const QByteArray run = runHeaderBytes() + "first\r\n\r\nSkipped: a\r\nand b\r\n";
    EXPECT_EQ(readAll(file), "an earlier run\r\n" + run);

    // The next run adds its own header; text is written in the locale's encoding.
    diag::ResetErrorLog();
    enableLog(file);
    const QString message = QStringLiteral("Datei \u00e4rger.txt");
    LogError("Pelto", "CopyFile", message, false, false);
    EXPECT_EQ(readAll(file),
              "an earlier run\r\n" + run + runHeaderBytes() + message.toLocal8Bit() + "\r\n");
}

TEST_F(ErrorLogTest, UnwritableLogFileIsSkippedAndWindowAndBoxStillGetTheMessage) {
    enableLog(workPath("missing folder/log.txt"));
    dialogs().then(BoxAnswer::Retry);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "disk gone", false, true), diag::Answer::Retry);
    EXPECT_TRUE(diag::messageLog().text().endsWith("\r\ndisk gone"));
    EXPECT_FALSE(QFile::exists(workPath("missing folder/log.txt")));
    ASSERT_EQ(dialogs().shown().size(), 1) << "no failure report for the log file itself";
}

TEST_F(ErrorLogTest, WindowTextCollectsHeaderAndMessagesAndShowsOnce) {
    int shown = 0;
    int changes = 0;
    diag::messageLog().showAndDock = [&] { ++shown; };
    diag::messageLog().changed = [&] { ++changes; };
    enableLog(workPath("log.txt"));

    LogError("Pelto", "CheckFiles", "first", false, false);
    LogError("Pelto", "CheckFiles", "second", false, false);
    EXPECT_EQ(diag::messageLog().text(),
              "Message Log:\r\n\r\nLogging started 03/07/26 at 02:05 PM\r\n" +
                  diag::programVersionLine(kVersion) + "\r\nfirst\r\nsecond");
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(changes, 3);

    diag::messageLog().clear();
    EXPECT_EQ(diag::messageLog().text(), QString());
    LogError("Pelto", "CheckFiles", "after the check began", false, false);
    EXPECT_EQ(diag::messageLog().text(), "\r\nafter the check began");
    EXPECT_EQ(shown, 1);
}

// The boxes and their result codes; a notice wins over a question and a silent call asks
// nothing. With the log off nothing is written; on with no file named, it is "error.log" in the
// current folder.
TEST_F(ErrorLogTest, AnswersGiveResultCodesAndAnOffLogWritesNothing) {
    dialogs().then(BoxAnswer::Abort).then(BoxAnswer::Retry).then(BoxAnswer::Ignore);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "locked", false, true), 3);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "locked", false, true), 1);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "locked", false, true), 2);
    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Ok);
    EXPECT_EQ(LogError("Pelto", "ReadINI", "notice", true, true), 0);
    EXPECT_EQ(LogError("Pelto", "ReadINI", "bad line"), 0);
    EXPECT_EQ(LogError("Pelto", "ReadINI", "silent", false, false), 0);
    ASSERT_EQ(dialogs().shown().size(), 5);
    for (int i = 0; i < 5; ++i) {
        const ShownBox& box = dialogs().shown()[i];
        EXPECT_EQ(box.buttons, i < 3 ? BoxButtons::AbortRetryIgnore : BoxButtons::Ok);
        EXPECT_EQ(box.title, i < 3 ? "Unexpected Error" : "Pelto Error");
        EXPECT_EQ(box.text, i < 3 ? "locked" : i == 3 ? "notice" : "bad line");
    }
    EXPECT_EQ(dialogs().shown()[0].icon, BoxIcon::Critical);
    EXPECT_FALSE(QFile::exists(workPath("error.log")));
    EXPECT_FALSE(diag::LogStarted());
    EXPECT_EQ(diag::messageLog().text(), "Message Log:\r\n");

    diag::SetLogEnabled(true);
    LogError("Pelto", "Startup", "no log file named", false, false);
    EXPECT_EQ(diag::LogFile(), "error.log");
    EXPECT_EQ(readAll(workPath("error.log")), runHeaderBytes() + "no log file named\r\n");
}

TEST_F(ErrorLogTest, PendingErrorIsCarriedIntoTheLine) {
    const QString file = workPath("log.txt");
    enableLog(file);
    LogError("Pelto", "ReadINI", "while reading", false, false,
             RuntimeError(err::FileNotFound, "File not found"), 12);
    LogError("Pelto", "CopyFile", "copying a.txt", false, false,
             RuntimeError(err::DiskFull, "ignored for status codes"), 7);
    LogError("Pelto", "CopyFile", "no error pending", false, false, RuntimeError(0, {}), 3);

    EXPECT_EQ(readAll(file),
              runHeaderBytes() +
                  "Program error #53 (File not found) occurred in module Pelto, ReadINI, "
                  "line 12 while reading\r\n"
                  "Program error #-2147024784 (There is not enough space on the disk.) "
                  "occurred in module Pelto, CopyFile, line 7 copying a.txt\r\n"
                  "no error pending\r\n");
}

TEST(LogTextTest, MessageTextVersionLineAndStartedLine) {
    EXPECT_EQ(diag::MessageText(ENOSPC), "No space left on device");
    EXPECT_EQ(diag::MessageText(err::LockViolation), describeError(err::LockViolation));
    EXPECT_EQ(diag::programVersionLine({"Pelto", 2, 7, 140, "", ""}), "Program version 2.7.40");
    for (const qint32 unknown : {99999, -5, static_cast<qint32>(0x80070002u)})
        EXPECT_EQ(diag::MessageText(unknown), "Error not found.") << unknown;

    // The locale's date and time separators, and a twelve-hour clock.
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    const QLocale fi(QLocale::Finnish, QLocale::Finland);
    const QDate day(2009, 12, 31);
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(0, 7)), us),
              "Logging started 12/31/09 at 12:07 AM");
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(12, 30)), us),
              "Logging started 12/31/09 at 12:30 PM");
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(23, 59)), de),
              "Logging started 12.31.09 at 11:59 " + de.pmText());
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(9, 5)), fi),
              "Logging started 12.31.09 at 09.05 " + fi.amText());
}

TEST_F(ErrorLogTest, ElapsedSecondsCountsProgramClockMillisecondsSinceStartTimer) {
    clock_.advance(50'000);
    diag::StartTimer();
    clock_.advance(1234);
    EXPECT_FLOAT_EQ(diag::ElapsedSeconds(), 1.234f);
}

} // namespace
} // namespace pelto::test
