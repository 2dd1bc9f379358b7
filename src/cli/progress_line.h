// The progress line of the console: one line on stderr, rewritten in place at most once a
// second while the copy runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

// "47%  504365056 of 1073741824 bytes  312.4 MiB/s  剩余时间: 0 : 41": whole per cent passed
// (truncated), the bytes, the rate over the whole copy so far and the remaining time at that
// rate. Without a rate yet (nothing done, or no time passed) the rate and the time are left out.
std::string FormatProgressLine(std::int64_t bytesDone, std::int64_t bytesTotal,
                               std::chrono::duration<double> elapsed);

class ProgressLine {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The clock starts when the line is made, that is when the copy begins.
    ProgressLine(std::ostream& out, Clock clock);
    // Finishes the line, so that an error that ends the copy early starts on a line of its own.
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Shows the state when a second or more has passed since the line was last shown (the
    // first time: since the start).
    void Update(std::int64_t bytesDone, std::int64_t bytesTotal);
    // When the line was shown: brings it up to the last state it was told (so a finished copy
    // ends at 100%) and ends it with a newline, so later messages start on their own line.
    // Nothing is shown when nothing was.
    void Finish();

  private:
    void Show(std::chrono::steady_clock::time_point now);

    std::ostream& out_;
    Clock clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastShown_;
    std::size_t lastLength_ = 0;
    bool shown_ = false;    // a line is on the terminal
    bool pending_ = false;  // told a state that is not on the terminal yet
    std::int64_t bytesDone_ = 0;
    std::int64_t bytesTotal_ = 0;
};
