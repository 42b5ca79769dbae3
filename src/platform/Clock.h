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

// A clock that only moves when told to; sleeping advances it.
class ManualClock : public Clock {
public:
    qint64 nowMs() override { return now_; }
    void sleepMs(int ms) override {
        now_ += ms;
        slept_ += ms;
    }
    void advance(qint64 ms) { now_ += ms; }
    qint64 totalSlept() const { return slept_; }

private:
    qint64 now_ = 0;
    qint64 slept_ = 0;
};

} // namespace pelto
