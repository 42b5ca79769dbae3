#include "engine/compare/ProgramState.h"

namespace pelto {
namespace {
ProgramState gState;
}

ProgramState& g() { return gState; }

void resetProgramState() { gState = ProgramState{}; }

} // namespace pelto
