// A window for tests of the imaging job and the copy loop: it records what the engine asks of
// it and answers from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/gauge.h"
#include "engine/window_services.h"

class FakeWindow : public WindowServices {
  public:
    struct GaugeState {
        std::int32_t minValue = 0;
        std::int32_t maxValue = 0;
        std::int32_t progress = 0;
        bool operator==(const GaugeState&) const = default;
    };

    FakeWindow();

    // What ReadJobInputs returns.
    JobInputs inputs;
    // Answers of AskYesNo in order; when none are left the answer is No.
    std::deque<bool> answers;
    // Called inside the n-th ProcessMessages (counted from 1), e.g. to click Stop.
    std::function<void(int n)> onProcessMessages;
    // Called inside ShowMessage before it returns, with the text shown.
    std::function<void(const std::string&)> onShowMessage;
    // Called inside AskYesNo before it answers, with the question (e.g. to unplug a disk).
    std::function<void(const std::string&)> onAskYesNo;

    // Everything the engine did to the window, in order: "DisableControls",
    // "EnableControls", "ProcessMessages", "ShowMessage: <text>", "AskYesNo: <text>".
    std::vector<std::string> events;
    std::vector<std::string> messages;   // texts of ShowMessage
    std::vector<std::string> questions;  // texts of AskYesNo
    std::vector<GaugeState> gaugeLog;    // the gauge after every change of one of its values
    std::vector<std::pair<std::int64_t, std::int64_t>> progressReports;  // CopyProgress calls
    int processCount = 0;
    bool stop = false;
    bool pause = false;

    // Events whose text begins with `prefix`, in order.
    std::vector<std::string> EventsStartingWith(const std::string& prefix) const;

    JobInputs ReadJobInputs() override { return inputs; }
    void DisableControls() override;
    void EnableControls() override;
    void ProcessMessages() override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    TGauge& Gauge() override { return gauge_; }
    bool& StopRequested() override { return stop; }
    bool& PauseRequested() override { return pause; }
    void CopyProgress(std::int64_t bytesDone, std::int64_t bytesTotal) override;

  private:
    TGauge gauge_;
};
