// Ctrl+C, SIGTERM, SIGHUP and SIGPIPE as the Stop button of the console.
#pragma once

#include <csignal>
#include <iterator>

// While an object lives, SIGINT, SIGTERM, SIGHUP (the terminal went away) and SIGPIPE (the
// reader of the image went away) only note that a stop was asked for; the copy loop sees it at
// its next event processing and ends after the current chunk, with the target flushed. The handlers
// of SIGINT and SIGTERM take effect once: a second one has its default effect (Ctrl+C twice
// ends the program at once, for a read that hangs on a damaged disk). A write that waits on a
// pipe comes back at the signal, so the copy stops there too. A signal that was ignored stays
// ignored. The previous handlers come back when the object goes.
class ScopedStopSignals {
  public:
    ScopedStopSignals();
    ~ScopedStopSignals();
    ScopedStopSignals(const ScopedStopSignals&) = delete;
    ScopedStopSignals& operator=(const ScopedStopSignals&) = delete;

    // True once one of the stop signals arrived since the object was made.
    static bool StopSignalled();

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
    struct sigaction previous_[std::size(kSignals)]{};
};
