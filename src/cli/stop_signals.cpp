#include "cli/stop_signals.h"

#include <atomic>

namespace {

// Lock-free, so the handler may set it.
std::atomic<bool> stopSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnStopSignal(int /*signal*/) {
    stopSignalled.store(true);
}

// Ctrl+C and SIGTERM stop the copy once; the second one has its default effect. A terminal
// that closed or a reader that went away may say so more than once.
bool OnceOnly(int signal) {
    return signal == SIGINT || signal == SIGTERM;
}

void Install(int signal, struct sigaction& previous) {
    sigaction(signal, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) {
        return;  // started with the signal ignored (nohup, a background job): leave it so
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No restart: a write that waits on a pipe whose reader does not read comes back, so the
    // first signal stops the copy there too (the layer takes every other interrupted read or
    // write up again).
    action.sa_flags = OnceOnly(signal) ? SA_RESETHAND : 0;
    sigaction(signal, &action, nullptr);
}

}  // namespace

ScopedStopSignals::ScopedStopSignals() {
    stopSignalled.store(false);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        Install(kSignals[i], previous_[i]);
    }
}

ScopedStopSignals::~ScopedStopSignals() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &previous_[i], nullptr);
    }
}

bool ScopedStopSignals::StopSignalled() {
    return stopSignalled.load();
}
