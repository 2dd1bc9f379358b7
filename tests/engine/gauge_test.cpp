#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/gauge.h"

namespace {

struct RangeCase {
    const char* name;
    std::function<void(TGauge&)> prepare;
    std::function<void(TGauge&)> change;
    const char* refusal;  // nullptr when the change is taken
    int minValue, maxValue, progress;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.name;
}

class GaugeRange : public testing::TestWithParam<RangeCase> {};

TEST_P(GaugeRange, TakesOrRefusesAndKeepsValues) {
    const RangeCase& c = GetParam();
    TGauge gauge;
    c.prepare(gauge);
    if (c.refusal == nullptr) {
        c.change(gauge);
    } else {
        try {
            c.change(gauge);
            FAIL() << "the change was taken";
        } catch (const EInvalidArgument& e) {
            EXPECT_EQ(e.Message(), c.refusal);
        }
    }
    EXPECT_EQ(gauge.MinValue(), c.minValue);
    EXPECT_EQ(gauge.MaxValue(), c.maxValue);
    EXPECT_EQ(gauge.Progress(), c.progress);
}

const auto kNothing = [](TGauge&) {};

INSTANTIATE_TEST_SUITE_P(
    Cases, GaugeRange,
    testing::Values(RangeCase{"MaxBelowMin", kNothing, [](TGauge& g) { g.SetMaxValue(-1); },
                              "Value must be between 1 and 2147483647", 0, 100, 0},
                    RangeCase{"MinAboveMax", kNothing, [](TGauge& g) { g.SetMinValue(101); },
                              "Value must be between -2147483647 and 99", 0, 100, 0},
                    RangeCase{"MinEqualMaxTaken", kNothing, [](TGauge& g) { g.SetMinValue(100); },
                              nullptr, 100, 100, 100},
                    RangeCase{"MaxAtLowestEnd",
                              [](TGauge& g) {
                                  g.SetMinValue(INT_MIN);
                                  g.SetMaxValue(INT_MIN);
                              },
                              [](TGauge& g) { g.SetMinValue(0); },
                              "Value must be between -2147483647 and -2147483649", INT_MIN, INT_MIN,
                              INT_MIN},
                    RangeCase{"MinAtHighestEnd",
                              [](TGauge& g) {
                                  g.SetMaxValue(INT_MAX);
                                  g.SetMinValue(INT_MAX);
                              },
                              [](TGauge& g) { g.SetMaxValue(0); },
                              "Value must be between 2147483648 and 2147483647", INT_MAX, INT_MAX,
                              INT_MAX},
                    RangeCase{"ProgressAboveMax", kNothing, [](TGauge& g) { g.SetProgress(101); },
                              nullptr, 0, 100, 100},
                    RangeCase{"ProgressBelowMin", kNothing, [](TGauge& g) { g.SetProgress(-5); },
                              nullptr, 0, 100, 0},
                    RangeCase{"MaxPullsProgressDown", [](TGauge& g) { g.SetProgress(80); },
                              [](TGauge& g) { g.SetMaxValue(50); }, nullptr, 0, 50, 50},
                    RangeCase{"MinPullsProgressUp", [](TGauge& g) { g.SetProgress(20); },
                              [](TGauge& g) { g.SetMinValue(30); }, nullptr, 30, 100, 30}),
    [](const testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

TEST(GaugePercent, TruncatedShareOfTheRange) {
    struct Case {
        int minValue, maxValue, progress, percent;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 0},                      // empty range
        {0, 1048576, 1048320, 99},         // never rounded up
        {0, 3, 2, 66},                     //
        {-100, 100, 0, 50},                //
        {INT_MIN, INT_MAX, INT_MAX, 100},  // the widest range
        {INT_MIN, INT_MAX, -1, 49},        //
    };
    for (const Case& c : cases) {
        TGauge gauge;
        gauge.SetMaxValue(INT_MAX);
        gauge.SetMinValue(c.minValue);
        gauge.SetMaxValue(c.maxValue);
        gauge.SetProgress(c.progress);
        EXPECT_EQ(gauge.Percent(), c.percent)
            << c.minValue << ".." << c.maxValue << " at " << c.progress;
    }
}

TEST(GaugePercent, TextCarriesTheSuffix) {
    TGauge gauge;
    gauge.SetProgress(47);
    EXPECT_EQ(gauge.Text(), "47%");
}

}  // namespace
