#pragma once
// The local date and time for the log header and the trace banner. Tests install a fixed time so
// that those lines can be compared byte for byte.

#include <QDateTime>
#include <functional>

namespace pelto::diag {

QDateTime wallClockNow();
// Installs a replacement; an empty function restores the system's local time.
void setWallClock(std::function<QDateTime()> replacement);

} // namespace pelto::diag
