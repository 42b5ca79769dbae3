#include "cli/CancelSignal.h"

#include <csignal>

namespace pelto::cli {
namespace {

volatile std::sig_atomic_t gRequested = 0;
struct sigaction gPreviousInt {};
struct sigaction gPreviousTerm {};

void onSignal(int) {
    gRequested = 1;
}

} // namespace

CancelSignal::CancelSignal() {
    gRequested = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // The first signal asks; the handler then falls back to the default, so a second one ends
    // the program.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, &gPreviousInt);
    sigaction(SIGTERM, &action, &gPreviousTerm);
}

CancelSignal::~CancelSignal() {
    sigaction(SIGINT, &gPreviousInt, nullptr);
    sigaction(SIGTERM, &gPreviousTerm, nullptr);
}

bool CancelSignal::requested() {
    return gRequested != 0;
}

} // namespace pelto::cli
