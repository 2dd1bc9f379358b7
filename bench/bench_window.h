// The window of the benchmark programs: nobody looks at it; its event processing is a hook
// the program chooses (nothing by default).
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "engine/gauge.h"
#include "engine/window_services.h"

class BenchWindow : public WindowServices {
  public:
    explicit BenchWindow(std::function<void()> processMessages = {})
        : processMessages_(std::move(processMessages)) {}

    JobInputs ReadJobInputs() override { return {}; }
    void DisableControls() override {}
    void EnableControls() override {}
    void ProcessMessages() override {
        if (processMessages_) {
            processMessages_();
        }
    }
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    TGauge& Gauge() override { return gauge_; }
    bool& StopRequested() override { return stop_; }
    bool& PauseRequested() override { return pause_; }

  private:
    std::function<void()> processMessages_;
    TGauge gauge_;
    bool stop_ = false;
    bool pause_ = false;
};
