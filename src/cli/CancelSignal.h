#pragma once
// Ctrl+C (SIGINT) and SIGTERM ask the run to stop, as the window's Cancel button does: the
// engines see the request at their next display refresh and end the run in an orderly way (a copy
// never leaves a half-written file anyway). A second signal ends the program at once.

namespace pelto::cli {

class CancelSignal {
public:
    // Installs the handlers; the destructor restores the previous ones.
    CancelSignal();
    CancelSignal(const CancelSignal&) = delete;
    CancelSignal& operator=(const CancelSignal&) = delete;
    ~CancelSignal();

    // Whether a signal asked to stop.
    static bool requested();
};

} // namespace pelto::cli
