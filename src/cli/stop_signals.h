// Ctrl+C and SIGTERM as the Stop button of the console.
#pragma once

#include <csignal>

// While an object lives, SIGINT and SIGTERM only note that a stop was asked for; the copy
// loop sees it at its next event processing and ends after the current chunk. The handlers
// take effect once: a second signal has its default effect (Ctrl+C twice ends the program at
// once, for a read that hangs on a damaged disk). A signal that was ignored stays ignored. The
// previous handlers come back when the object goes.
class ScopedStopSignals {
  public:
    ScopedStopSignals();
    ~ScopedStopSignals();
    ScopedStopSignals(const ScopedStopSignals&) = delete;
    ScopedStopSignals& operator=(const ScopedStopSignals&) = delete;

    // True once SIGINT or SIGTERM arrived since the object was made.
    static bool StopSignalled();

  private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};
