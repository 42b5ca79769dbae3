#pragma once
// A sound player for tests: records every file it is asked to play and plays nothing. A sound
// lasts until the test ends it with finish().

#include "platform/SoundPlayer.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace pelto::test {

class RecordingSoundPlayer : public SoundPlayer {
public:
    void play(const QString& file, std::function<void()> finished) override {
        if (finished_)
            ADD_FAILURE() << "a sound started while another one played";
        played.append(file);
        finished_ = std::move(finished);
    }
    bool playing() const { return static_cast<bool>(finished_); }
    // Ends the sound that plays, which may start the next one.
    void finish() {
        if (const auto finished = std::exchange(finished_, {}))
            finished();
    }
    // Ends sounds until none plays; returns how many ended.
    int finishAll() {
        int ended = 0;
        for (; playing() && ended < 1000; ++ended)
            finish();
        return ended;
    }

    QStringList played;

private:
    std::function<void()> finished_;
};

} // namespace pelto::test
