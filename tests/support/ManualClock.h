#pragma once
// The clock tests install: time moves only when a test says so.
#include "platform/Clock.h"

namespace pelto {

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
