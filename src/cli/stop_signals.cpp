#include "cli/stop_signals.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/platform/winapi.h"

namespace {

// Lock-free, so a handler that interrupts the program may set them.
std::atomic<bool> stopSignalled{false};
std::atomic<bool> scopeOpen{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The system ends the program this long after a close event at the latest.
constexpr auto kCloseWait = std::chrono::milliseconds(4500);

win::BOOL OnConsoleControl(win::DWORD ctrlType) {
    if (ctrlType == win::CTRL_C_EVENT || ctrlType == win::CTRL_BREAK_EVENT) {
        // The first one stops the copy; a second one goes on to the earlier handler.
        return stopSignalled.exchange(true) ? win::FALSE : win::TRUE;
    }
    // The console goes away and the program with it once this returns: let the copy end
    // after its chunk and flush first.
    stopSignalled.store(true);
    const auto deadline = std::chrono::steady_clock::now() + kCloseWait;
    while (scopeOpen.load() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return win::TRUE;
}

}  // namespace

ScopedStopSignals::ScopedStopSignals() {
    stopSignalled.store(false);
    scopeOpen.store(true);
    win::SetConsoleCtrlHandler(OnConsoleControl, win::TRUE);
}

ScopedStopSignals::~ScopedStopSignals() {
    win::SetConsoleCtrlHandler(OnConsoleControl, win::FALSE);
    scopeOpen.store(false);
}

bool ScopedStopSignals::StopSignalled() {
    return stopSignalled.load();
}
