// The error log: the file's exact bytes over runs, the window text, the boxes and result codes.
#include "DiagFixture.h"

#include "diag/LogText.h"

#include <cerrno>

namespace pelto::test {
namespace {

using diag::LogError;

using ErrorLogTest = DiagTest;

void enableLog(const QString& file) {
    diag::SetLogEnabled(true);
    diag::SetLogFile(file);
}

// The file gains the run's header once, then each message with CR LF; the window shows once.
TEST_F(ErrorLogTest, EachRunAppendsItsHeaderOnceThenEachMessageWithCrLf) {
    const QString file = workPath("Error Log.txt");
    {
        QFile earlier(file);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier run\r\n");
    }
    int shown = 0;
    diag::messageLog().showAndDock = [&] { ++shown; };
    enableLog(file);
    EXPECT_EQ(LogError("Pelto", "CheckFiles", "first", false, false), diag::Answer::None);
    LogError("Pelto", "CheckFiles", "\r\nSkipped: a\r\nand b", false, false);
    const QByteArray run = runHeaderBytes() + "first\r\n\r\nSkipped: a\r\nand b\r\n";
    EXPECT_EQ(readAll(file), "an earlier run\r\n" + run);
    EXPECT_EQ(diag::messageLog().text(),
              "Message Log:\r\n\r\nLogging started 03/07/26 at 02:05 PM\r\n" +
                  diag::programVersionLine(kVersion) + "\r\nfirst\r\n\r\nSkipped: a\r\nand b");
    LogError("Pelto", "CheckFiles", "after the check began", false, false);
    EXPECT_EQ(shown, 1);

    // The next run adds its own header; text is written in the locale's encoding.
    diag::ResetErrorLog();
    enableLog(file);
    const QString message = QStringLiteral("Datei \u00e4rger.txt");
    LogError("Pelto", "CopyFile", message, false, false);
    EXPECT_EQ(readAll(file), "an earlier run\r\n" + run + "after the check began\r\n" +
                                 runHeaderBytes() + message.toLocal8Bit() + "\r\n");
}

TEST_F(ErrorLogTest, UnwritableLogFileIsSkippedAndWindowAndBoxStillGetTheMessage) {
    enableLog(workPath("missing folder/log.txt"));
    dialogs().then(BoxAnswer::Retry);
    EXPECT_EQ(LogError("Pelto", "CopyFile", "disk gone", false, true), diag::Answer::Retry);
    EXPECT_TRUE(diag::messageLog().text().endsWith("\r\ndisk gone"));
    ASSERT_EQ(dialogs().shown().size(), 1) << "no failure report for the log file itself";
}

// A notice wins over a question, a silent call asks nothing; a log that is off writes nothing.
TEST_F(ErrorLogTest, AnswersGiveResultCodesAndAnOffLogWritesNothing) {
    dialogs().then(BoxAnswer::Abort).then(BoxAnswer::Retry).then(BoxAnswer::Ignore);
    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Ok);
    for (const int code : {3, 1, 2})
        EXPECT_EQ(LogError("Pelto", "CopyFile", "locked", false, true), code);
    EXPECT_EQ(LogError("Pelto", "ReadINI", "notice", true, true), 0);
    EXPECT_EQ(LogError("Pelto", "ReadINI", "bad line"), 0);
    EXPECT_EQ(LogError("Pelto", "ReadINI", "silent", false, false), 0);
    QStringList boxes;
    for (const ShownBox& box : dialogs().shown())
        boxes << box.title + ": " + box.text;
    EXPECT_EQ(boxes, (QStringList{"Unexpected Error: locked", "Unexpected Error: locked",
                                  "Unexpected Error: locked", "Pelto Error: notice",
                                  "Pelto Error: bad line"}));
    EXPECT_TRUE(dialogs().shown()[0].buttons == BoxButtons::AbortRetryIgnore &&
                dialogs().shown()[0].icon == BoxIcon::Critical);
    EXPECT_FALSE(QFile::exists(workPath("error.log")));
}

TEST_F(ErrorLogTest, PendingErrorIsCarriedIntoTheLine) {
    enableLog(workPath("log.txt"));
    LogError("Pelto", "ReadINI", "while reading", false, false,
             RuntimeError(err::FileNotFound, "File not found"), 12);
    LogError("Pelto", "CopyFile", "copying a.txt", false, false,
             RuntimeError(err::DiskFull, "ignored for status codes"), 7);
    EXPECT_EQ(readAll(workPath("log.txt")),
              runHeaderBytes() +
                  "Program error #53 (File not found) occurred in module Pelto, ReadINI, "
                  "line 12 while reading\r\n"
                  "Program error #-2147024784 (There is not enough space on the disk.) "
                  "occurred in module Pelto, CopyFile, line 7 copying a.txt\r\n");
}

// Message texts, the version line and the started line in the locale's separators, 12-hour.
TEST(LogTextTest, MessageTextVersionLineAndStartedLine) {
    EXPECT_EQ(diag::MessageText(ENOSPC), "No space left on device");
    EXPECT_EQ(diag::programVersionLine({"Pelto", 2, 7, 140, "", ""}), "Program version 2.7.40");
    const QDate day(2009, 12, 31);
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(0, 7)),
                                       QLocale(QLocale::English, QLocale::UnitedStates)),
              "Logging started 12/31/09 at 12:07 AM");
    EXPECT_EQ(diag::loggingStartedLine(QDateTime(day, QTime(23, 59)), de),
              "Logging started 12.31.09 at 11:59 " + de.pmText());
}

} // namespace
} // namespace pelto::test
