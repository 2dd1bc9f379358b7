#include "engine/gauge.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "engine/errors.h"

namespace {

// The bounds are worked out in 64 bits: MaxValue - 1 and MinValue + 1 leave the 32-bit range
// at its ends.
[[noreturn]] void RefuseValue(std::int64_t low, std::int64_t high) {
    throw EInvalidArgument(Format("Value must be between %lld and %lld",
                                  static_cast<long long>(low), static_cast<long long>(high)));
}

}  // namespace

void TGauge::SetMinValue(std::int32_t value) {
    if (value > maxValue_) {
        RefuseValue(-std::int64_t{std::numeric_limits<std::int32_t>::max()},
                    std::int64_t{maxValue_} - 1);
    }
    minValue_ = value;
    progress_ = std::max(progress_, minValue_);
    Changed();
}

void TGauge::SetMaxValue(std::int32_t value) {
    if (value < minValue_) {
        RefuseValue(std::int64_t{minValue_} + 1, std::numeric_limits<std::int32_t>::max());
    }
    maxValue_ = value;
    progress_ = std::min(progress_, maxValue_);
    Changed();
}

void TGauge::SetProgress(std::int32_t value) {
    progress_ = std::clamp(value, minValue_, maxValue_);
    Changed();
}

int TGauge::Percent() const {
    if (maxValue_ == minValue_) {
        return 0;
    }
    const double share = (static_cast<double>(progress_) - minValue_) * 100.0 /
                         (static_cast<double>(maxValue_) - minValue_);
    return static_cast<int>(share);
}

std::string TGauge::Text() const {
    return std::to_string(Percent()) + Suffix;
}

void TGauge::Changed() {
    if (OnChange) {
        OnChange();
    }
}
