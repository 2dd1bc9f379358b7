#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/start_text.h"

namespace {

TEST(StrToInt64, ConvertsOrRefuses) {
    struct Case {
        std::string text;
        std::optional<std::int64_t> value;  // nothing: refused
    };
    const std::vector<Case> cases = {
        {"0", 0},
        {" 12", 12},
        {"   -7", -7},
        {"+5", 5},
        {"0x200", 512},
        {"0X200", 512},
        {"$FF", 255},
        {"$ff", 255},
        {"x1f", 31},
        {"X1f", 31},
        {"-0x10", -16},
        {"007", 7},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"0x7FFFFFFFFFFFFFFF", INT64_MAX},
        {"-$8000000000000000", INT64_MIN},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"12 ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"0xG", std::nullopt},
        {"- 5", std::nullopt},
        {"\t5", std::nullopt},
        {"1e3", std::nullopt},
        {"00x10", std::nullopt},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"0x8000000000000000", std::nullopt},  // hexadecimal does not wrap to a negative value
        {"0xFFFFFFFFFFFFFFFF", std::nullopt},
        {"0x10000000000000000", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text '" + c.text + "'");
        if (c.value) {
            EXPECT_EQ(StrToInt64(c.text), *c.value);
            continue;
        }
        try {
            StrToInt64(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + c.text + "' is not a valid integer value");
        }
    }
}

TEST(CheckStartOffset, RefusesOnlyNegativeOffsets) {
    EXPECT_NO_THROW(CheckStartOffset(0));
    EXPECT_NO_THROW(CheckStartOffset(INT64_MAX));
    try {
        CheckStartOffset(-512);
        ADD_FAILURE() << "accepted";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Start offset -512 is negative");
    }
}

}  // namespace
