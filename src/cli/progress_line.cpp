#include "cli/progress_line.h"

#include <algorithm>
#include <limits>

#include "engine/errors.h"
#include "engine/remaining_time.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

}  // namespace

std::string FormatProgressLine(std::int64_t bytesDone, std::int64_t bytesTotal,
                               std::chrono::duration<double> elapsed) {
    const std::int64_t percent =
        bytesTotal > 0 ? static_cast<std::int64_t>(static_cast<double>(bytesDone) * 100.0 /
                                                   static_cast<double>(bytesTotal))
                       : 0;
    std::string line =
        Format("%3lld%%  %lld of %lld bytes", static_cast<long long>(percent),
               static_cast<long long>(bytesDone), static_cast<long long>(bytesTotal));
    const double seconds = elapsed.count();
    if (bytesDone <= 0 || seconds <= 0.0) {
        return line;
    }
    const double bytesPerSecond = static_cast<double>(bytesDone) / seconds;
    const double remaining =
        std::max<double>(0.0, static_cast<double>(bytesTotal - bytesDone) / bytesPerSecond);
    const double clamped = std::min<double>(remaining, std::numeric_limits<std::int32_t>::max());
    line += Format("  %.1f MiB/s  剩余时间: ", bytesPerSecond / kMiB);
    line += FormatMinutesSeconds(static_cast<std::int32_t>(clamped));
    return line;
}

ProgressLine::ProgressLine(std::ostream& out, Clock clock)
    : out_(out), clock_(std::move(clock)), start_(clock_()), lastShown_(start_) {}

ProgressLine::~ProgressLine() {
    Finish();
}

void ProgressLine::Update(std::int64_t bytesDone, std::int64_t bytesTotal) {
    bytesDone_ = bytesDone;
    bytesTotal_ = bytesTotal;
    pending_ = true;
    const auto now = clock_();
    if (now - lastShown_ >= std::chrono::seconds(1)) {
        Show(now);
    }
}

void ProgressLine::Finish() {
    if (!shown_) {
        return;
    }
    if (pending_) {
        Show(clock_());
    }
    out_ << '\n' << std::flush;
    shown_ = false;
}

void ProgressLine::Show(std::chrono::steady_clock::time_point now) {
    lastShown_ = now;
    const std::string line = FormatProgressLine(bytesDone_, bytesTotal_, now - start_);
    // Blanks over what is left of a longer previous line (counted in bytes, which is never
    // fewer than the columns it took).
    const std::size_t padding = lastLength_ > line.size() ? lastLength_ - line.size() : 0;
    out_ << '\r' << line << std::string(padding, ' ') << std::flush;
    lastLength_ = line.size();
    shown_ = true;
    pending_ = false;
}
