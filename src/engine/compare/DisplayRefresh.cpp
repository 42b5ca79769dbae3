#include "engine/compare/DisplayRefresh.h"

#include "diag/ErrorLog.h"
#include "engine/compare/MainForm.h"
#include "platform/Clock.h"
#include "platform/ProgramState.h"

namespace pelto {

namespace {
constexpr int kPauseMs = 500;
}

bool RefreshDisplayIfDue(MainForm& af) {
    if (diag::ElapsedSeconds() <= static_cast<float>(g().giUpdateFrequency))
        return false;
    clock().sleepMs(kPauseMs);
    diag::StartTimer();
    af.Refresh();
    af.DoEvents();
    return true;
}

} // namespace pelto
