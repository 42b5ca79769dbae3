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
        return QStringLiteral("Pelto TraceView reports ") + diag::ProgramPath() +
               QStringLiteral(" program error #") + tail;
    }
    QString logFile() const { return workPath(QStringLiteral("Error Log.txt")); }
};

TEST_F(FailureReportTest, ReportIsLoggedAfterTheHeaderAndAsked) {
    diag::SetLogEnabled(true);
    diag::SetLogFile(logFile());
    dialogs().then(BoxAnswer::Retry).then(BoxAnswer::Ignore).then(BoxAnswer::Abort);
    const RuntimeError notFound(err::FileNotFound, QStringLiteral("File not found"));

    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 42), diag::kRetry);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 43), diag::kIgnore);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 44), diag::kAbort);

    const QString first = report(
        QStringLiteral("53 (File not found) occurred in module Pelto, Function ReadINI, line 42."));
    EXPECT_EQ(readAll(logFile()),
              runHeaderBytes() + first.toLocal8Bit() + "\r\n" +
                  report("53 (File not found) occurred in module Pelto, Function ReadINI, "
                         "line 43.\r\n")
                      .toLocal8Bit() +
                  report("53 (File not found) occurred in module Pelto, Function ReadINI, "
                         "line 44.\r\n")
                      .toLocal8Bit());
    // The window shows the header but not the report.
    EXPECT_EQ(diag::messageLog().text(),
              QStringLiteral("Message Log:\r\n\r\nLogging started 03/07/26 at 02:05 PM\r\n") +
                  diag::programVersionLine(kVersion));
    ASSERT_EQ(dialogs().shown().size(), 3);
    EXPECT_EQ(dialogs().shown()[0].text, first);
    EXPECT_EQ(dialogs().shown()[0].title, QStringLiteral("Unexpected Error"));
    EXPECT_EQ(dialogs().shown()[0].buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_EQ(dialogs().shown()[0].icon, BoxIcon::Critical);
}

TEST_F(FailureReportTest, WithoutLogTheUserIsStillAsked) {
    dialogs().then(BoxAnswer::Ignore);
    EXPECT_EQ(diag::TrapError("Pelto", "Sub Display",
                              RuntimeError(err::PathNotFound, QStringLiteral("Path not found")), 3),
              diag::kIgnore);
    EXPECT_FALSE(QFile::exists(workPath(QStringLiteral("error.log"))));
    EXPECT_FALSE(diag::LogStarted());
}

TEST_F(FailureReportTest, EmptyLogFileNameFallsBackToErrorLog) {
    diag::SetLogEnabled(true);
    dialogs().then(BoxAnswer::Abort);
    diag::TrapError("Pelto", "Sub Display", RuntimeError(err::PathNotFound, {}), 3);
    EXPECT_EQ(diag::LogFile(), QStringLiteral("error.log"));
    EXPECT_EQ(readAll(workPath(QStringLiteral("error.log"))),
              runHeaderBytes() +
                  report("76 (Path not found) occurred in module Pelto, Sub Display, line 3.\r\n")
                      .toLocal8Bit());
}

TEST(FailureReportTextTest, RemoteComponentSuffix) {
    const QString path = QStringLiteral("/opt/pelto/pelto");
    const auto text = [&](const QString& source) {
        return diag::failureReportText(path, RuntimeError(5, QStringLiteral("Bad call"), source),
                                       QStringLiteral("Pelto"), QStringLiteral("Sub A"), 9);
    };
    const QString base = QStringLiteral("Pelto TraceView reports /opt/pelto/pelto program error #5 "
                                        "(Bad call) occurred in module Pelto, Sub A, line 9");
    EXPECT_EQ(text(QString()), base + QStringLiteral("."));
    EXPECT_EQ(text(QStringLiteral("Engine")), base + QStringLiteral("."));
    EXPECT_EQ(text(QStringLiteral("0Engine!x")), base + QStringLiteral("."));
    EXPECT_EQ(text(QStringLiteral("3Engine!CopyFile")),
              base + QStringLiteral(". This error was generated remotely by Engine, a component "
                                    "of /opt/pelto/pelto."));
    EXPECT_EQ(text(QStringLiteral(" -1Sorter!x")),
              base + QStringLiteral(". This error was generated remotely by -1Sorter, a "
                                    "component of /opt/pelto/pelto."));
    // A numeric source without "!" names no component: the suffix stays empty.
    EXPECT_EQ(text(QStringLiteral("3Engine")), base);
}

TEST(FailureReportTextTest, ErrorWithoutDescriptionUsesItsNumbersText) {
    EXPECT_EQ(diag::errorDescription(RuntimeError(err::PermissionDenied, {})),
              QStringLiteral("Permission denied"));
    EXPECT_EQ(diag::traceErrorLine(QStringLiteral("pelto"), RuntimeError(70, {}),
                                   QStringLiteral("Pelto"), QStringLiteral("Function CopyFile"),
                                   12),
              QStringLiteral("[pelto] ERROR 70 \"Permission denied\" at Pelto : Function "
                             "CopyFile : 12\r\n"));
}

// A procedure of three statements; the second fails with `number` while `failures` lasts.
struct StepRun {
    int failures = 0;
    qint32 number = err::PermissionDenied;
    int attempts = 0;
    QStringList done;
    int failingLine = 0;
};

bool threeSteps(StepRun& r) {
    bool result = false;
    Procedure proc("Pelto", "Function ThreeSteps",
                   [&] { return traceParams("attempts", r.attempts); });
    PELTO_TRY(proc, result, r.done << QStringLiteral("one"));
    r.failingLine = __LINE__ + 1;
    PELTO_TRY(proc, result, {
        ++r.attempts;
        if (r.failures-- > 0)
            throw RuntimeError(r.number, describeError(r.number));
        r.done << QStringLiteral("two");
    });
    PELTO_TRY(proc, result, r.done << QStringLiteral("three"));
    result = true;
    return result;
}

TEST_F(FailureReportTest, RetryRunsTheFailingStatementAgain) {
    dialogs().then(BoxAnswer::Retry).then(BoxAnswer::Retry);
    StepRun r;
    r.failures = 2;
    EXPECT_TRUE(threeSteps(r));
    EXPECT_EQ(r.attempts, 3);
    EXPECT_EQ(r.done, (QStringList{"one", "two", "three"}));
    ASSERT_EQ(dialogs().shown().size(), 2);
    EXPECT_EQ(dialogs().shown()[0].text,
              report(QStringLiteral("70 (Permission denied) occurred in module Pelto, Function "
                                    "ThreeSteps, line %1.")
                         .arg(r.failingLine)));
}

TEST_F(FailureReportTest, IgnoreGoesOnWithTheNextStatement) {
    dialogs().then(BoxAnswer::Ignore);
    StepRun r;
    r.failures = 5;
    EXPECT_TRUE(threeSteps(r));
    EXPECT_EQ(r.attempts, 1);
    EXPECT_EQ(r.done, (QStringList{"one", "three"}));
}

TEST_F(FailureReportTest, AbortLeavesThroughTheNormalExit) {
    TraceReceiverThread viewer(QString::fromLatin1(diag::kTraceViewName));
    ASSERT_TRUE(diag::TraceActive());
    dialogs().then(BoxAnswer::Abort);
    StepRun r;
    r.failures = 5;
    EXPECT_FALSE(threeSteps(r));
    EXPECT_EQ(r.done, QStringList{"one"});

    const QString program = diag::ProgramName();
    const QStringList expected{
        program + QStringLiteral(" START TRACE 1.00 LITE 03-07-2026,14:05:09"),
        QStringLiteral("[%1] [00001] [00000.000] ->Pelto : Function ThreeSteps : (attempts=0)")
            .arg(program),
        QStringLiteral("[%1] ERROR 70 \"Permission denied\" at Pelto : Function ThreeSteps : %2")
            .arg(program)
            .arg(r.failingLine),
        QStringLiteral("[%1] [00002] [00000.000] <-Pelto : Function ThreeSteps : (attempts=1)")
            .arg(program),
    };
    EXPECT_EQ(viewer.lines(), expected);
}

// A procedure with its own handler table: a missing folder is logged and passed over, a full
// disk ends the procedure quietly, anything else goes to the failure report.
int checkFolder(qint32 number, int& reached) {
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
    PELTO_TRY_H(proc, onError, result, throw RuntimeError(number, describeError(number)));
    reached = 2;
    result = 1;
    return result;
}

TEST_F(FailureReportTest, HandlerTableRoutesExpectedNumbersItself) {
    diag::SetLogEnabled(true);
    diag::SetLogFile(logFile());
    int reached = 0;
    EXPECT_EQ(checkFolder(err::PathNotFound, reached), 1);
    EXPECT_EQ(reached, 2);
    EXPECT_TRUE(dialogs().shown().isEmpty());
    EXPECT_EQ(readAll(logFile()), runHeaderBytes() + "\r\nSkipped: missing folder\r\n");

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
    bool after = false;
    const auto body = [&] {
        PELTO_TRY(proc, , throw std::runtime_error("broken"));
        after = true;
    };
    body();
    EXPECT_TRUE(after);
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_TRUE(dialogs().shown()[0].text.contains(QStringLiteral("#51 (broken)")));
}

} // namespace
} // namespace pelto::test
