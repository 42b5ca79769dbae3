#include "DiagFixture.h"
#include "TraceReceiverThread.h"

#include "diag/LogText.h"
#include "diag/Procedure.h"
#include "diag/TraceText.h"

namespace pelto::test {
namespace {

using diag::noParams;
using diag::Procedure;
using diag::Resume;
using diag::traceParams;

class FailureReportTest : public DiagTest {
protected:
    static QString report(const QString& tail) {
        return "Pelto TraceView reports " + diag::ProgramPath() + " program error #" + tail;
    }
};

// The report is asked whatever the log says; with the log on it follows the run's header in
// "error.log" (no file named) and not in the window.
TEST_F(FailureReportTest, ReportIsAskedAndLoggedAfterTheHeader) {
    dialogs().then(BoxAnswer::Ignore).then(BoxAnswer::Retry).then(BoxAnswer::Abort);
    const RuntimeError notFound(err::FileNotFound, "File not found");
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 41), diag::kIgnore);
    EXPECT_FALSE(QFile::exists(workPath("error.log")));
    diag::SetLogEnabled(true);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 42), diag::kRetry);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 43), diag::kAbort);

    const QString text = "53 (File not found) occurred in module Pelto, Function ReadINI, line %1.";
    EXPECT_EQ(readAll(workPath("error.log")),
              runHeaderBytes() +
                  (report(text.arg(42)) + "\r\n" + report(text.arg(43)) + "\r\n").toLocal8Bit());
    EXPECT_EQ(diag::messageLog().text(),
              "Message Log:\r\n\r\nLogging started 03/07/26 at 02:05 PM\r\n" +
                  diag::programVersionLine(kVersion));
    ASSERT_EQ(dialogs().shown().size(), 3);
    const ShownBox& box = dialogs().shown()[0];
    EXPECT_EQ(box.text, report(text.arg(41)));
    EXPECT_TRUE(box.title == "Unexpected Error" && box.buttons == BoxButtons::AbortRetryIgnore &&
                box.icon == BoxIcon::Critical);
}

TEST(FailureReportTextTest, RemoteComponentSuffix) {
    const QString base = "Pelto TraceView reports /opt/pelto/pelto program error #5 (Bad call) "
                         "occurred in module Pelto, Sub A, line 9";
    const std::pair<const char*, QString> cases[] = {
        {"Engine", base + "."},
        {"3Engine!CopyFile", base + ". This error was generated remotely by Engine, a component "
                                    "of /opt/pelto/pelto."},
        {"3Engine", base}, // a numeric source without "!" names no component
    };
    for (const auto& [source, expected] : cases)
        EXPECT_EQ(diag::failureReportText("/opt/pelto/pelto", RuntimeError(5, "Bad call", source),
                                          "Pelto", "Sub A", 9),
                  expected)
            << source;
}

// Three statements; the second throws 70, without a text of its own, `failures` times.
bool threeSteps(int failures, QStringList& done, int& failingLine) {
    bool result = false;
    Procedure proc("Pelto", "Function ThreeSteps",
                   [&] { return traceParams("failures", failures); });
    PELTO_TRY(proc, result, done << QStringLiteral("one"));
    failingLine = __LINE__ + 1;
    PELTO_TRY(proc, result, {
        if (failures-- > 0)
            throw RuntimeError(err::PermissionDenied, {});
        done << QStringLiteral("two");
    });
    PELTO_TRY(proc, result, done << QStringLiteral("three"));
    result = true;
    return result;
}

// Retry repeats the statement, Ignore goes on, Abort leaves through the normal exit (traced).
TEST_F(FailureReportTest, RetryRepeatsIgnoreGoesOnAbortLeavesThroughTheNormalExit) {
    TraceReceiverThread viewer(QString::fromLatin1(diag::kTraceViewName));
    ASSERT_TRUE(diag::TraceActive());
    dialogs().then(BoxAnswer::Retry).then(BoxAnswer::Retry).then(BoxAnswer::Ignore);
    dialogs().then(BoxAnswer::Abort);
    QStringList retried, ignored, aborted;
    int line = 0;
    EXPECT_TRUE(threeSteps(2, retried, line));
    EXPECT_TRUE(threeSteps(5, ignored, line));
    EXPECT_FALSE(threeSteps(5, aborted, line));
    EXPECT_EQ(retried, (QStringList{"one", "two", "three"}));
    EXPECT_EQ(ignored, (QStringList{"one", "three"}));
    EXPECT_EQ(aborted, QStringList{"one"});
    ASSERT_EQ(dialogs().shown().size(), 4);
    const QString where = QString::number(line);
    EXPECT_EQ(dialogs().shown()[0].text,
              report("70 (Permission denied) occurred in module Pelto, Function ThreeSteps, line " +
                     where + "."));
    // After the banner, four lines of the retried run and three of the ignored one.
    const QStringList lines = viewer.lines();
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines.first(), traceBanner());
    EXPECT_EQ(
        lines.mid(8),
        (QStringList{
            traceLine("00005", "00000.000", "->", 0, "Pelto : Function ThreeSteps : (failures=5)"),
            "[" + diag::ProgramName() +
                "] ERROR 70 \"Permission denied\" at Pelto : Function ThreeSteps : " + where,
            traceLine("00006", "00000.000", "<-", 0, "Pelto : Function ThreeSteps : (failures=4)"),
        }));
}

// A handler table: a missing folder is logged and passed over, a full disk leaves quietly,
// anything else, a std::exception too, goes to the failure report.
int checkFolder(const std::function<void()>& fail, int& reached) {
    int result = 0;
    Procedure proc("Pelto", "Function CheckFolders", noParams());
    const auto onError = [&](const RuntimeError& e) {
        switch (e.number()) {
        case err::PathNotFound:
            diag::LogError("Pelto", "CheckFolders", "\r\nSkipped: missing folder", false);
            return Resume::Next;
        case err::DiskFull:
            result = -1;
            return Resume::Leave;
        default:
            return Resume::Report;
        }
    };
    PELTO_TRY_H(proc, onError, result, fail());
    reached = 2;
    result = 1;
    return result;
}

TEST_F(FailureReportTest, HandlerTableRoutesExpectedNumbersItself) {
    diag::SetLogEnabled(true);
    const auto raise = [](qint32 n) { return [n] { throw RuntimeError(n, describeError(n)); }; };
    int reached = 0;
    EXPECT_EQ(checkFolder(raise(err::PathNotFound), reached), 1);
    EXPECT_EQ(reached, 2);
    EXPECT_EQ(readAll(workPath("error.log")), runHeaderBytes() + "\r\nSkipped: missing folder\r\n");
    reached = 0;
    EXPECT_EQ(checkFolder(raise(err::DiskFull), reached), -1);
    EXPECT_EQ(reached, 0);
    EXPECT_TRUE(dialogs().shown().isEmpty());

    dialogs().then(BoxAnswer::Ignore).then(BoxAnswer::Ignore);
    EXPECT_EQ(checkFolder(raise(err::FileNotFound), reached), 1);
    EXPECT_EQ(checkFolder([] { throw std::runtime_error("broken"); }, reached), 1);
    ASSERT_EQ(dialogs().shown().size(), 2);
    EXPECT_TRUE(dialogs().shown()[0].text.contains(
        "#53 (File not found) occurred in module Pelto, Function CheckFolders"));
    EXPECT_TRUE(dialogs().shown()[1].text.contains("#51 (broken)"));
}

} // namespace
} // namespace pelto::test
