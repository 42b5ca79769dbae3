#include "DiagFixture.h"
#include "TraceReceiverThread.h"

#include "diag/Procedure.h"
#include "support/ManualClock.h"

#include <QLocalServer>

namespace pelto::test {
namespace {

using diag::noParams;
using diag::Procedure;
using diag::traceParams;

const QString kViewer = QString::fromLatin1(diag::kTraceViewName);

// Three traced procedures nested in each other; each lets 250 ms pass inside.
void inner(ManualClock& clock) {
    Procedure proc("SortList", "Sub Inner", noParams());
    clock.advance(250);
}
void middle(ManualClock& clock, const QString& name) {
    Procedure proc("Pelto", "Function Middle", [&] { return traceParams("asName", name); });
    clock.advance(250);
    inner(clock);
}
void outer(ManualClock& clock, int& count) {
    Procedure proc("Pelto", "Sub Outer",
                   [&] { return traceParams("aiCount", count, "abFlag", "<Boolean = True>"); });
    middle(clock, QStringLiteral("a b"));
    ++count;
}

using TraceTest = DiagTest;

// Seconds count from the trace's start, not the clock's, with a full stop in a comma locale.
TEST_F(TraceTest, NestedCallsAreIndentedNumberedAndTimed) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    TraceReceiverThread viewer(kViewer);
    clock_.advance(7000);
    int count = 4;
    outer(clock_, count);
    clock_.advance(123'456'789 - 500);
    diag::TraceEnter("Pelto", "Sub Later", "()");
    diag::TraceExit("Pelto", "Sub Later", "()");

    const QStringList expected{
        traceBanner(),
        traceLine("00001", "00000.000", "->", 0,
                  "Pelto : Sub Outer : (aiCount=4, abFlag=<Boolean = True>)"),
        traceLine("00002", "00000.000", "->", 1, "Pelto : Function Middle : (asName=a b)"),
        traceLine("00003", "00000.250", "->", 2, "SortList : Sub Inner : ()"),
        traceLine("00004", "00000.500", "<-", 2, "SortList : Sub Inner : ()"),
        traceLine("00005", "00000.500", "<-", 1, "Pelto : Function Middle : (asName=a b)"),
        traceLine("00006", "00000.500", "<-", 0,
                  "Pelto : Sub Outer : (aiCount=5, abFlag=<Boolean = True>)"),
        traceLine("00007", "123456.789", "->", 0, "Pelto : Sub Later : ()"),
        traceLine("00008", "123456.789", "<-", 0, "Pelto : Sub Later : ()"),
    };
    EXPECT_EQ(viewer.lines(), expected);
}

// A receiver that vanishes, or never answers within the wait limit, ends tracing for the run: a
// viewer that opens later is not taken up.
TEST_F(TraceTest, VanishedOrHungReceiverMeansNoTraceForTheRestOfTheRun) {
    {
        TraceReceiverThread viewer(kViewer);
        diag::TraceEnter("Pelto", "Sub A", "()");
        EXPECT_EQ(viewer.lines().size(), 2);
    }
    diag::TraceExit("Pelto", "Sub A", "()");
    EXPECT_FALSE(diag::TraceActive());
    {
        TraceReceiverThread again(kViewer);
        diag::TraceEnter("Pelto", "Sub B", "()");
        EXPECT_TRUE(again.lines().isEmpty());
    }
    diag::ResetTrace(); // a new run, whose only receiver never answers
    diag::SetTraceWaitMs(20);
    QLocalServer hung; // accepts connections in the kernel but never reads or answers
    ASSERT_TRUE(hung.listen(runtimeFolder() + "/" + kViewer));
    EXPECT_FALSE(diag::TraceActive());
    TraceReceiverThread late(kViewer + " - 2");
    ASSERT_TRUE(late.listening());
    diag::TraceEnter("Pelto", "Sub B", "()");
    EXPECT_TRUE(late.lines().isEmpty());
}

} // namespace
} // namespace pelto::test
