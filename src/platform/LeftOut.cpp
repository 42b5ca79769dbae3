#include "platform/LeftOut.h"

#include "platform/ProgramState.h"

#include <numeric>

namespace pelto {

qsizetype LeftOutTally::total() const {
    return std::accumulate(counts_.begin(), counts_.end(), qsizetype{0});
}

LeftOutTally& leftOut() {
    static LeftOutTally tally;
    return tally;
}

namespace {
const StateReset kResetLeftOut{[] { leftOut().clear(); }};
} // namespace

} // namespace pelto
