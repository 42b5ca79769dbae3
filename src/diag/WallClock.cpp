#include "diag/WallClock.h"
#include "platform/ProgramState.h"

namespace pelto::diag {
namespace {

std::function<QDateTime()>& installed() {
    static std::function<QDateTime()> fn;
    return fn;
}
const StateReset kResetWallClock{[] { installed() = nullptr; }};

} // namespace

QDateTime wallClockNow() {
    const auto& fn = installed();
    return fn ? fn() : QDateTime::currentDateTime();
}

void setWallClock(std::function<QDateTime()> replacement) {
    installed() = std::move(replacement);
}

} // namespace pelto::diag
