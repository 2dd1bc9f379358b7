#include "cli/stop_signals.h"

#include <atomic>

namespace {

// Lock-free, so the handler may set it.
std::atomic<bool> stopSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnStopSignal(int /*signal*/) {
    stopSignalled.store(true);
}

void Install(int signal, struct sigaction& previous) {
    sigaction(signal, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) {
        return;  // started with the signal ignored (nohup, a background job): leave it so
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted reads and writes, so a signal never turns into a failed read of the
    // source; the default action returns with the first signal.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(signal, &action, nullptr);
}

}  // namespace

ScopedStopSignals::ScopedStopSignals() {
    stopSignalled.store(false);
    Install(SIGINT, previousInt_);
    Install(SIGTERM, previousTerm_);
}

ScopedStopSignals::~ScopedStopSignals() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

bool ScopedStopSignals::StopSignalled() {
    return stopSignalled.load();
}
