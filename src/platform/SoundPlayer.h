#pragma once
// Plays a sound file to its end, one sound at a time. Whoever plays a series starts the next
// sound from the finished notification of the one before, so sounds never overlap.

#include <QString>
#include <functional>

namespace pelto {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts `file`; `finished` runs from the event loop once the sound has ended, never from
    // inside this call. A missing or unplayable file, and a machine without an audio device,
    // play nothing and show nothing: `finished` then runs as soon as the event loop turns.
    // Not called while a sound plays.
    virtual void play(const QString& file, std::function<void()> finished) = 0;
};

} // namespace pelto
