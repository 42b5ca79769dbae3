#pragma once
// Items a run left out of the backup, by reason: the summary lists them with counts and the
// command line's exit status tells a scheduled run that the backup is incomplete.
//
// Whoever passes an item over notes it here once, besides logging it; the tally is part of the
// program state, so resetProgramState() (and the start of each run) empties it.

#include <QString>
#include <QtGlobal>
#include <array>

namespace pelto {

enum class LeftOutReason {
    Locked,      // in use or not readable when the copy came to it
    Vanished,    // gone between the check and its copy
    NameNotHeld, // the destination's file system cannot hold the name beside a twin
    SpecialFile, // a fifo, socket or device file: neither a file nor a folder
    Other,       // any other item passed over with a logged reason
};
inline constexpr int kLeftOutReasons = 5;

class LeftOutTally {
public:
    void note(LeftOutReason reason) { ++counts_[static_cast<size_t>(reason)]; }
    qsizetype count(LeftOutReason reason) const { return counts_[static_cast<size_t>(reason)]; }
    qsizetype total() const;
    void clear() { counts_ = {}; }

private:
    std::array<qsizetype, kLeftOutReasons> counts_{};
};

// The tally of the current run.
LeftOutTally& leftOut();
// Notes one item left out (the caller logs it with its own message).
inline void noteLeftOut(LeftOutReason reason) {
    leftOut().note(reason);
}

} // namespace pelto
