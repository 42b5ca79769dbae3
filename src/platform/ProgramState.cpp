#include "platform/ProgramState.h"

#include <mutex>
#include <vector>

namespace pelto {
namespace {

ProgramState gState;

// The registered resets, made on first use so that registration works from any file's static
// initialisation, whatever the order in which files are initialised.
struct Resets {
    std::mutex mutex;
    std::vector<void (*)()> functions;
};

Resets& resets() {
    static Resets r;
    return r;
}

} // namespace

ProgramState& g() {
    return gState;
}

void resetProgramState() {
    gState = ProgramState{};
    Resets& r = resets();
    const std::lock_guard lock(r.mutex);
    for (void (*reset)() : r.functions)
        reset();
}

StateReset::StateReset(void (*reset)()) {
    Resets& r = resets();
    const std::lock_guard lock(r.mutex);
    r.functions.push_back(reset);
}

} // namespace pelto
