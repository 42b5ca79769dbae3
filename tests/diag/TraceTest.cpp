// Tracing to a viewer: a receiver that goes away or hangs ends it for the run.
#include "DiagFixture.h"
#include "TraceReceiverThread.h"

#include <QLocalServer>

namespace pelto::test {
namespace {

const QString kViewer = QString::fromLatin1(diag::kTraceViewName);

using TraceTest = DiagTest;

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
