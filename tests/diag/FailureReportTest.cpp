#include "DiagFixture.h"
#include "TraceReceiverThread.h"

#include "diag/LogText.h"
#include "diag/Procedure.h"
#include "diag/TraceText.h"

namespace pelto::test {
namespace {

using diag::Answer;
using diag::noParams;
using diag::Procedure;
using diag::traceParams;

class FailureReportTest : public DiagTest {
protected:
    static QString report(const QString& tail) {
        return "Pelto TraceView reports " + diag::ProgramPath() + " program error #" + tail;
    }
};

// The user is asked whether the log is on or not; with it on, the report follows the run's
// header in the log, "error.log" when no log file is named, and not in the window.
TEST_F(FailureReportTest, ReportIsAskedAndLoggedAfterTheHeader) {
    dialogs().then(BoxAnswer::Ignore).then(BoxAnswer::Retry).then(BoxAnswer::Ignore);
    dialogs().then(BoxAnswer::Abort);
    const RuntimeError notFound(err::FileNotFound, "File not found");
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 41), diag::Answer::Ignore);
    EXPECT_FALSE(QFile::exists(workPath("error.log")));
    EXPECT_FALSE(diag::LogStarted());

    diag::SetLogEnabled(true);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 42), diag::Answer::Retry);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 43), diag::Answer::Ignore);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 44), diag::Answer::Abort);

    EXPECT_EQ(diag::LogFile(), "error.log");
    QByteArray expected = runHeaderBytes();
    for (int line = 42; line <= 44; ++line)
        expected += report(QStringLiteral("53 (File not found) occurred in module Pelto, Function "
                                          "ReadINI, line %1.\r\n")
                               .arg(line))
                        .toLocal8Bit();
    EXPECT_EQ(readAll(workPath("error.log")), expected);
    EXPECT_EQ(diag::messageLog().text(),
              "Message Log:\r\n\r\nLogging started 03/07/26 at 02:05 PM\r\n" +
                  diag::programVersionLine(kVersion));
    ASSERT_EQ(dialogs().shown().size(), 4);
    const ShownBox& box = dialogs().shown()[0];
    EXPECT_EQ(box.text, report("53 (File not found) occurred in module Pelto, Function ReadINI, "
                               "line 41."));
    EXPECT_EQ(box.title, "Unexpected Error");
    EXPECT_EQ(box.buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_EQ(box.icon, BoxIcon::Critical);
}

TEST(FailureReportTextTest, RemoteComponentSuffix) {
    const QString base = "Pelto TraceView reports /opt/pelto/pelto program error #5 (Bad call) "
                         "occurred in module Pelto, Sub A, line 9";
    const QString remote = ". This error was generated remotely by %1, a component of "
                           "/opt/pelto/pelto.";
    const std::pair<const char*, QString> cases[] = {
        {"", base + "."},
        {"Engine", base + "."},
        {"0Engine!x", base + "."},
        {"3Engine!CopyFile", base + remote.arg("Engine")},
        {" -1Sorter!x", base + remote.arg("-1Sorter")},
        {"3Engine", base}, // a numeric source without "!" names no component
    };
    for (const auto& [source, expected] : cases)
        EXPECT_EQ(diag::failureReportText("/opt/pelto/pelto", RuntimeError(5, "Bad call", source),
                                          "Pelto", "Sub A", 9),
                  expected)
            << source;
}

// A procedure of three statements; the second fails with 70 while `failures` lasts, its error
// without a description of its own: reports and trace lines take its number's text.
struct StepRun {
    explicit StepRun(int failing) : failures(failing) {}
    int failures = 0;
    int attempts = 0;
    QStringList done;
    int failingLine = 0;
};

bool threeSteps(StepRun& r) {
    bool result = false;
    Procedure proc("Pelto", "Function ThreeSteps",
                   [&] { return traceParams("attempts", r.attempts); });
    const auto trap = proc.trap();
    if (!trap([&] { r.done << QStringLiteral("one"); }))
        return result;
    r.failingLine = __LINE__ + 1;
    if (!trap([&] {
            ++r.attempts;
            if (r.failures-- > 0)
                throw RuntimeError(err::PermissionDenied, {});
            r.done << QStringLiteral("two");
        }))
        return result;
    if (!trap([&] { r.done << QStringLiteral("three"); }))
        return result;
    result = true;
    return result;
}

// Retry runs the failing statement again, Ignore goes on with the next, Abort leaves through
// the normal exit; the trace shows each error and the exit.
TEST_F(FailureReportTest, RetryRepeatsIgnoreGoesOnAbortLeavesThroughTheNormalExit) {
    TraceReceiverThread viewer(QString::fromLatin1(diag::kTraceViewName));
    ASSERT_TRUE(diag::TraceActive());
    dialogs().then(BoxAnswer::Retry).then(BoxAnswer::Retry).then(BoxAnswer::Ignore);
    dialogs().then(BoxAnswer::Abort);
    StepRun retried{2}, ignored{5}, aborted{5};
    EXPECT_TRUE(threeSteps(retried));
    EXPECT_TRUE(threeSteps(ignored));
    EXPECT_FALSE(threeSteps(aborted));
    EXPECT_EQ(retried.attempts, 3);
    EXPECT_EQ(ignored.attempts, 1);
    EXPECT_EQ(retried.done, (QStringList{"one", "two", "three"}));
    EXPECT_EQ(ignored.done, (QStringList{"one", "three"}));
    EXPECT_EQ(aborted.done, QStringList{"one"});
    ASSERT_EQ(dialogs().shown().size(), 4);
    EXPECT_EQ(dialogs().shown()[0].text,
              report(QStringLiteral("70 (Permission denied) occurred in module Pelto, Function "
                                    "ThreeSteps, line %1.")
                         .arg(aborted.failingLine)));

    // The banner, four lines of the retried run and three of the ignored one come first.
    const QStringList lines = viewer.lines();
    ASSERT_EQ(lines.size(), 11);
    const QStringList abortedLines{
        traceLine("00005", "00000.000", "->", 0, "Pelto : Function ThreeSteps : (attempts=0)"),
        QStringLiteral("[%1] ERROR 70 \"Permission denied\" at Pelto : Function ThreeSteps : %2")
            .arg(diag::ProgramName())
            .arg(aborted.failingLine),
        traceLine("00006", "00000.000", "<-", 0, "Pelto : Function ThreeSteps : (attempts=1)"),
    };
    EXPECT_EQ(lines.first(), traceBanner());
    EXPECT_EQ(lines.mid(8), abortedLines);
}

// A procedure with its own handler table: a missing folder is logged and passed over, a full
// disk ends the procedure quietly, anything else goes to the failure report.
int checkFolder(qint32 number, int& reached) {
    int result = 0;
    Procedure proc("Pelto", "Function CheckFolders", noParams());
    const auto trap = proc.trap([&](const RuntimeError& e) {
        switch (e.number()) {
        case err::PathNotFound:
            diag::LogError("Pelto", "CheckFolders", "\r\nSkipped: missing folder", false);
            return Answer::Ignore;
        case err::DiskFull:
            result = -1;
            return Answer::Abort;
        default:
            return Answer::None;
        }
    });
    if (!trap([&] { throw RuntimeError(number, describeError(number)); }))
        return result;
    reached = 2;
    result = 1;
    return result;
}

TEST_F(FailureReportTest, HandlerTableRoutesExpectedNumbersItself) {
    diag::SetLogEnabled(true);
    int reached = 0;
    EXPECT_EQ(checkFolder(err::PathNotFound, reached), 1);
    EXPECT_EQ(reached, 2);
    EXPECT_TRUE(dialogs().shown().isEmpty());
    EXPECT_EQ(readAll(workPath("error.log")), runHeaderBytes() + "\r\nSkipped: missing folder\r\n");

    reached = 0;
    EXPECT_EQ(checkFolder(err::DiskFull, reached), -1);
    EXPECT_EQ(reached, 0);
    EXPECT_TRUE(dialogs().shown().isEmpty());

    dialogs().then(BoxAnswer::Ignore);
    EXPECT_EQ(checkFolder(err::FileNotFound, reached), 1);
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_TRUE(dialogs().shown()[0].text.contains(
        QStringLiteral("#53 (File not found) occurred in module Pelto, Function CheckFolders")));
}

TEST_F(FailureReportTest, OtherExceptionsReachTheReportToo) {
    dialogs().then(BoxAnswer::Ignore);
    Procedure proc("Pelto", "Sub Other", noParams());
    const auto trap = proc.trap();
    bool after = false;
    const auto body = [&] {
        if (!trap([&] { throw std::runtime_error("broken"); }))
            return;
        after = true;
    };
    body();
    EXPECT_TRUE(after);
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_TRUE(dialogs().shown()[0].text.contains(QStringLiteral("#51 (broken)")));
}

} // namespace
} // namespace pelto::test
