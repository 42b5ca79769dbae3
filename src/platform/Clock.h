#pragma once
// Time and pauses go through this seam so that tests of display-refresh pauses never sleep.

#include <QtGlobal>

namespace pelto {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds; only differences mean anything.
    virtual qint64 nowMs() = 0;
    virtual void sleepMs(int ms) = 0;
};

// The program's clock: the system's monotonic clock unless a test installed another.
Clock& clock();
// Installs a clock (not owned); nullptr restores the system clock.
void setClock(Clock* replacement);

} // namespace pelto
