#include "platform/Clock.h"
#include "platform/ProgramState.h"

#include <QElapsedTimer>
#include <QThread>

namespace pelto {
namespace {

class SystemClock : public Clock {
public:
    SystemClock() { timer_.start(); }
    qint64 nowMs() override { return timer_.elapsed(); }
    void sleepMs(int ms) override { QThread::msleep(static_cast<unsigned long>(ms)); }

private:
    QElapsedTimer timer_;
};

Clock* gInstalled = nullptr;
const StateReset kResetClock{[] { gInstalled = nullptr; }};

} // namespace

Clock& clock() {
    static SystemClock system;
    return gInstalled ? *gInstalled : system;
}

void setClock(Clock* replacement) {
    gInstalled = replacement;
}

} // namespace pelto
