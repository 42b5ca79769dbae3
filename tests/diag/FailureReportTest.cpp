#include "DiagFixture.h"
#include "TraceReceiverThread.h"

#include "diag/LogText.h"
#include "diag/Procedure.h"

#include <functional>

namespace pelto::test {
namespace {

using diag::Answer;
using diag::noParams;
using diag::Procedure;
using diag::traceParams;

using FailureReportTest = DiagTest;

QString report(const QString& tail) {
    return "Pelto TraceView reports " + diag::ProgramPath() + " program error #" + tail;
}

// The report is asked whatever the log says; logged after the header, not in the window.
TEST_F(FailureReportTest, ReportIsAskedAndLoggedAfterTheHeader) {
    dialogs().then(BoxAnswer::Ignore).then(BoxAnswer::Retry).then(BoxAnswer::Abort);
    const RuntimeError notFound(err::FileNotFound, "File not found");
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 41), diag::Answer::Ignore);
    diag::SetLogEnabled(true);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 42), diag::Answer::Retry);
    EXPECT_EQ(diag::TrapError("Pelto", "Function ReadINI", notFound, 43), diag::Answer::Abort);

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

// Three statements; the second throws 70, without a text of its own, `failures` times.
bool threeSteps(int failures, QStringList& done, int& failingLine) {
    bool result = false;
    Procedure proc("Pelto", "Function ThreeSteps",
                   [&] { return traceParams("failures", failures); });
    const auto trap = proc.trap();
    if (!trap([&] { done << QStringLiteral("one"); }))
        return result;
    failingLine = __LINE__ + 1;
    if (!trap([&] {
            if (failures-- > 0)
                throw RuntimeError(err::PermissionDenied, {});
            done << QStringLiteral("two");
        }))
        return result;
    if (!trap([&] { done << QStringLiteral("three"); }))
        return result;
    result = true;
    return result;
}

// Retry repeats the statement, Ignore goes on, Abort leaves through the normal exit (traced).
TEST_F(FailureReportTest, RetryRepeatsIgnoreGoesOnAbortLeavesThroughTheNormalExit) {
    TraceReceiverThread viewer(QString::fromLatin1(diag::kTraceViewName));
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
    EXPECT_EQ(
        lines.mid(8),
        (QStringList{
            traceLine("00005", "00000.000", "->", 0, "Pelto : Function ThreeSteps : (failures=5)"),
            "[" + diag::ProgramName() +
                "] ERROR 70 \"Permission denied\" at Pelto : Function ThreeSteps : " + where,
            traceLine("00006", "00000.000", "<-", 0, "Pelto : Function ThreeSteps : (failures=4)"),
        }));
}

// A handler passes over a missing folder; anything else, a std::exception too, is reported.
bool checkFolder(const std::function<void()>& fail) {
    bool result = false;
    Procedure proc("Pelto", "Function CheckFolders", noParams());
    const auto trap = proc.trap([](const RuntimeError& e) {
        if (e.number() != err::PathNotFound)
            return Answer::None;
        diag::LogError("Pelto", "CheckFolders", "\r\nSkipped: missing folder", false);
        return Answer::Ignore;
    });
    if (!trap(fail))
        return result;
    result = true; // reached after a passed-over or ignored error
    return result;
}

TEST_F(FailureReportTest, HandlerTableRoutesExpectedNumbersItself) {
    diag::SetLogEnabled(true);
    const auto raise = [](qint32 n) { return [n] { throw RuntimeError(n, describeError(n)); }; };
    EXPECT_TRUE(checkFolder(raise(err::PathNotFound)));
    EXPECT_EQ(readAll(workPath("error.log")), runHeaderBytes() + "\r\nSkipped: missing folder\r\n");
    EXPECT_TRUE(dialogs().shown().isEmpty());

    dialogs().then(BoxAnswer::Ignore).then(BoxAnswer::Ignore);
    EXPECT_TRUE(checkFolder(raise(err::FileNotFound)));
    EXPECT_TRUE(checkFolder([] { throw std::runtime_error("broken"); }));
    ASSERT_EQ(dialogs().shown().size(), 2);
    EXPECT_TRUE(dialogs().shown()[0].text.contains(
        "#53 (File not found) occurred in module Pelto, Function CheckFolders"));
    EXPECT_TRUE(dialogs().shown()[1].text.contains("#51 (broken)"));
}

} // namespace
} // namespace pelto::test
