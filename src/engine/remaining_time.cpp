#include "engine/remaining_time.h"

#include <algorithm>
#include <limits>

std::string FormatMinutesSeconds(std::int32_t seconds) {
    return std::to_string(seconds / 60) + " : " + std::to_string(seconds % 60);
}

std::optional<std::string> RemainingTimeText(std::int32_t tickCount, std::int32_t maxValue,
                                             std::int32_t progress) {
    if (tickCount <= 0) {
        return std::nullopt;
    }
    const std::int64_t rate = std::int64_t{progress} / tickCount;
    if (rate == 0) {
        return std::nullopt;
    }
    // Worked out in 64 bits: the difference of two 32-bit values, over a rate of 1, does not
    // fit 32 bits at the extremes.
    const std::int64_t remaining = (std::int64_t{maxValue} - progress) / rate;
    const std::int64_t clamped =
        std::clamp<std::int64_t>(remaining, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max());
    return "剩余时间: " + FormatMinutesSeconds(static_cast<std::int32_t>(clamped));
}
