#pragma once
// The objects of one pelto-cli run: the program session the window starts too (settings store,
// error log, file-system service), with the error log echoed to standard error, boxes answered
// from the command line, the main window, and Ctrl+C as the Cancel button.
//
// Display refreshes never pause: the window pauses 500 ms at each refresh so that a long walk
// leaves the machine usable, which on the command line is what `nice` is for. The refresh itself
// still runs every second, for the progress line and to see a cancel request.

#include "cli/CancelSignal.h"
#include "cli/CliDialogs.h"
#include "cli/CliForm.h"
#include "cli/LogEcho.h"
#include "platform/Clock.h"
#include "workflow/ProgramSession.h"

namespace pelto::cli {

class Console;
struct CliOptions;

// The system's time without its pauses.
class PauseFreeClock : public Clock {
public:
    explicit PauseFreeClock(Clock& time) : time_(time) {}
    qint64 nowMs() override { return time_.nowMs(); }
    void sleepMs(int) override {}

private:
    Clock& time_;
};

class CliSession {
public:
    CliSession(Console& console, const CliOptions& options);
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    CliForm& form() { return form_; }
    CliDialogs& boxes() { return dialogs_; }
    LogEcho& echo() { return echo_; }
    FileSystem& fileSystem() { return program_.fileSystem(); }

private:
    // Installs the pause-free clock for the session's lifetime, before anything reads the time.
    struct ClockInstall {
        explicit ClockInstall(Clock& clock) { setClock(&clock); }
        ~ClockInstall() { setClock(nullptr); }
    };

    PauseFreeClock clock_;
    ClockInstall clockInstall_;
    LogEcho echo_;
    CliDialogs dialogs_;
    workflow::ProgramSession program_;
    CliForm form_;
    CancelSignal cancel_;
};

} // namespace pelto::cli
