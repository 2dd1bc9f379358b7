#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "engine/remaining_time.h"

namespace {

TEST(FormatMinutesSeconds, MinutesWithoutHours) {
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "0 : 0"}, {59, "0 : 59"}, {60, "1 : 0"}, {323, "5 : 23"}, {3725, "62 : 5"}};
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(FormatMinutesSeconds(seconds), text) << seconds;
    }
}

TEST(RemainingTimeText, FromTicksAndGauge) {
    struct Case {
        int tickCount, maxValue, progress;
        std::optional<std::string> text;
    };
    const std::vector<Case> cases = {
        {10, 1048576, 204800, "剩余时间: 0 : 41"},   // 1 GiB source, 10th tick
        {110, 1048576, 204800, "剩余时间: 7 : 33"},  // earlier jobs' ticks count too
        {1, 3725, 1, "剩余时间: 62 : 4"},
        {1, 1048576, 0, std::nullopt},  // nothing passed yet
        {5, 1000, 4, std::nullopt},     // rate below one unit per tick
        {0, 1000, 500, std::nullopt},   // no tick counted
        {-3, 1000, 500, std::nullopt},
        {1, INT_MAX, INT_MIN + 1, "剩余时间: 0 : -2"},  // range wider than 32 bits
        {1, INT_MAX, 1, "剩余时间: 35791394 : 6"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemainingTimeText(c.tickCount, c.maxValue, c.progress), c.text)
            << c.tickCount << " " << c.maxValue << " " << c.progress;
    }
}

}  // namespace
