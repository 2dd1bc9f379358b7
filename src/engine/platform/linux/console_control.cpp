// Linux backend: SetConsoleCtrlHandler. SIGINT stands for Ctrl+C (CTRL_C_EVENT); SIGTERM,
// SIGHUP (the terminal went away) and SIGPIPE (the reader of the output went away) for
// Ctrl+Break (CTRL_BREAK_EVENT). The handlers are called from the signal handler, on the thread
// the signal interrupted, so no handler may wait there.
#include <array>
#include <atomic>
#include <csignal>
#include <mutex>

#include "engine/platform/winapi.h"

namespace win {
namespace {

constexpr std::size_t kMaxHandlers = 16;

struct Signal {
    int number;
    DWORD event;
    // Whether the signal has its default effect when no handler takes it. A terminal that
    // closed, or a reader that left, may say so many times while the copy stops: those
    // signals never end the program.
    bool endsUnhandled;
};
constexpr std::array<Signal, 4> kSignals = {{{SIGINT, CTRL_C_EVENT, true},
                                             {SIGTERM, CTRL_BREAK_EVENT, true},
                                             {SIGHUP, CTRL_BREAK_EVENT, false},
                                             {SIGPIPE, CTRL_BREAK_EVENT, false}}};

// Read by the signal handler: lock-free slots, the last one added at the highest index.
std::array<std::atomic<PHANDLER_ROUTINE>, kMaxHandlers> handlers{};
static_assert(std::atomic<PHANDLER_ROUTINE>::is_always_lock_free);

std::mutex installMutex;
std::size_t handlerCount = 0;
std::array<struct sigaction, kSignals.size()> previous{};
std::array<bool, kSignals.size()> installed{};

extern "C" void OnSignal(int number) {
    Signal signal{number, CTRL_C_EVENT, true};
    for (const Signal& known : kSignals) {
        if (known.number == number) {
            signal = known;
        }
    }
    for (std::size_t i = kMaxHandlers; i-- > 0;) {
        const PHANDLER_ROUTINE handler = handlers[i].load();
        if (handler != nullptr && handler(signal.event)) {
            return;
        }
    }
    if (!signal.endsUnhandled) {
        return;
    }
    // Nobody dealt with it: the signal's default effect, as the system's own handler ends the
    // process.
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    sigemptyset(&defaults.sa_mask);
    sigaction(number, &defaults, nullptr);
    std::raise(number);
}

void InstallSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i].number, nullptr, &previous[i]);
        // Started with the signal ignored (nohup, a background job): leave it so.
        installed[i] = previous[i].sa_handler != SIG_IGN;
        if (!installed[i]) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        // No restart: a write that waits on a pipe whose reader does not read comes back, so the
        // first signal stops the copy there too (the file calls take every other interrupted
        // read or write up again).
        action.sa_flags = 0;
        sigaction(kSignals[i].number, &action, nullptr);
    }
}

void RestoreSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (installed[i]) {
            sigaction(kSignals[i].number, &previous[i], nullptr);
            installed[i] = false;
        }
    }
}

}  // namespace

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
    if (handler == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(installMutex);
    if (add) {
        if (handlerCount == kMaxHandlers) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        handlers[handlerCount++].store(handler);
        if (handlerCount == 1) {
            InstallSignals();
        }
        return TRUE;
    }
    for (std::size_t i = handlerCount; i-- > 0;) {
        if (handlers[i].load() != handler) {
            continue;
        }
        for (std::size_t j = i; j + 1 < handlerCount; ++j) {
            handlers[j].store(handlers[j + 1].load());
        }
        handlers[--handlerCount].store(nullptr);
        if (handlerCount == 0) {
            RestoreSignals();
        }
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

}  // namespace win
