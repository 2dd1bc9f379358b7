// Ctrl+C, Ctrl+Break and closing the console as the Stop button of the console.
#pragma once

// While an object lives, the console's stop events only note that a stop was asked for; the
// copy loop sees it at its next event processing and ends after the current chunk. The note
// takes effect once: a second Ctrl+C or Ctrl+Break has its earlier effect (Ctrl+C twice ends
// the program at once, for a read that hangs on a damaged disk). Closing the console, logging
// off or shutting down waits until the object goes, after the copy has flushed its target,
// before the system ends the program. The earlier effects come back when the object goes.
// On Linux the layer delivers SIGINT as Ctrl+C and SIGTERM, SIGHUP (the terminal went away)
// and SIGPIPE (the reader of the image went away) as Ctrl+Break; the last two never end the
// program, however often they come.
class ScopedStopSignals {
  public:
    ScopedStopSignals();
    ~ScopedStopSignals();
    ScopedStopSignals(const ScopedStopSignals&) = delete;
    ScopedStopSignals& operator=(const ScopedStopSignals&) = delete;

    // True once a stop event arrived since the object was made.
    static bool StopSignalled();
};
