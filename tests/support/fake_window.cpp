#include "support/fake_window.h"

FakeWindow::FakeWindow() {
    gauge_.OnChange = [this] {
        gaugeLog.push_back({gauge_.MinValue(), gauge_.MaxValue(), gauge_.Progress()});
    };
}

std::vector<std::string> FakeWindow::EventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& event : events) {
        if (event.rfind(prefix, 0) == 0) {
            found.push_back(event);
        }
    }
    return found;
}

void FakeWindow::DisableControls() {
    events.push_back("DisableControls");
}

void FakeWindow::EnableControls() {
    events.push_back("EnableControls");
}

void FakeWindow::ProcessMessages() {
    events.push_back("ProcessMessages");
    ++processCount;
    if (onProcessMessages) {
        onProcessMessages(processCount);
    }
}

void FakeWindow::ShowMessage(const std::string& text) {
    events.push_back("ShowMessage: " + text);
    messages.push_back(text);
    if (onShowMessage) {
        onShowMessage(text);
    }
}

bool FakeWindow::AskYesNo(const std::string& text) {
    events.push_back("AskYesNo: " + text);
    questions.push_back(text);
    if (onAskYesNo) {
        onAskYesNo(text);
    }
    if (answers.empty()) {
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeWindow::CopyProgress(std::int64_t bytesDone, std::int64_t bytesTotal) {
    progressReports.emplace_back(bytesDone, bytesTotal);
}
