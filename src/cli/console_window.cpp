#include "cli/console_window.h"

#include "cli/progress_line.h"
#include "cli/stop_signals.h"
#include "engine/errors.h"
#include "engine/imaging_job.h"

namespace {

// The job's completion text starts with the text of a copy without unreadable sectors.
bool IsCompletion(const std::string& text) {
    const std::string complete = CompletionMessage(CopyResult{});
    return text.compare(0, complete.size(), complete) == 0;
}

}  // namespace

ConsoleWindow::ConsoleWindow(JobInputs inputs, bool force, std::ostream& err,
                             ProgressLine* progress)
    : inputs_(std::move(inputs)), force_(force), err_(err), progress_(progress) {}

void ConsoleWindow::NoteStopSignal() {
    if (ScopedStopSignals::StopSignalled()) {
        stopRequested_ = true;
    }
}

void ConsoleWindow::ShowMessage(const std::string& text) {
    if (IsCompletion(text)) {
        completion_ = text;
        return;
    }
    EndProgressLine();
    err_ << text << '\n' << std::flush;
}

bool ConsoleWindow::AskYesNo(const std::string& /*text*/) {
    if (force_) {
        return true;
    }
    EndProgressLine();
    err_ << Format("\"%s\" is a disk, a volume or a device and is not overwritten without --force.",
                   inputs_.TargetPath.c_str())
         << '\n'
         << std::flush;
    return false;
}

void ConsoleWindow::CopyProgress(std::int64_t bytesDone, std::int64_t bytesTotal) {
    if (progress_ != nullptr) {
        progress_->Update(bytesDone, bytesTotal);
    }
}

void ConsoleWindow::EndProgressLine() {
    if (progress_ != nullptr) {
        progress_->Finish();
    }
}
