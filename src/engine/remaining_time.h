// The remaining-time estimate of a timer tick.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Seconds as "M : S", without leading zeros and without hours: 323 gives "5 : 23".
std::string FormatMinutesSeconds(std::int32_t seconds);

// One tick: tickCount is the count after this tick was added. Returns the pane text
// "剩余时间: M : S", or nothing when the rate is 0 and the pane keeps its text.
std::optional<std::string> RemainingTimeText(std::int32_t tickCount, std::int32_t maxValue,
                                             std::int32_t progress);
