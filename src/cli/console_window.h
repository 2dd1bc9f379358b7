// The console as the window of an imaging job: the inputs come from the command line, the
// boxes become lines on the console, Ctrl+C is the Stop button, and the gauge drives the
// progress line.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "engine/gauge.h"
#include "engine/window_services.h"

class ProgressLine;

class ConsoleWindow : public WindowServices {
  public:
    // force answers the overwrite question with Yes; progress may be null (no progress line).
    ConsoleWindow(JobInputs inputs, bool force, std::ostream& err, ProgressLine* progress);

    JobInputs ReadJobInputs() override { return inputs_; }
    void DisableControls() override {}
    void EnableControls() override {}
    // A stop signal (Ctrl+C, SIGTERM, SIGHUP, SIGPIPE) is the Stop request: seen at the top of the
    // next chunk, even when it arrived before the copy began.
    void ProcessMessages() override { NoteStopSignal(); }
    // The completion text is kept for the command to print on stdout once it knows how the job
    // ended; every other text is a warning and goes to stderr at once.
    void ShowMessage(const std::string& text) override;
    // Yes with --force; otherwise prints the refusal and says No.
    bool AskYesNo(const std::string& text) override;
    TGauge& Gauge() override { return gauge_; }
    bool& StopRequested() override {
        NoteStopSignal();
        return stopRequested_;
    }
    bool& PauseRequested() override { return pauseRequested_; }
    void CopyProgress(std::int64_t bytesDone, std::int64_t bytesTotal) override;

    // The completion text the job showed, if it showed one.
    const std::optional<std::string>& Completion() const { return completion_; }

  private:
    void NoteStopSignal();
    void EndProgressLine();

    JobInputs inputs_;
    bool force_;
    std::ostream& err_;
    ProgressLine* progress_;
    TGauge gauge_;
    bool stopRequested_ = false;
    bool pauseRequested_ = false;
    std::optional<std::string> completion_;
};
