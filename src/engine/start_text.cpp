#include "engine/start_text.h"

#include <cstdint>
#include <limits>

#include "engine/errors.h"

namespace {

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value;
}

[[noreturn]] void Refuse(const std::string& text) {
    throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
}

}  // namespace

// Hexadecimal values obey the same range as decimal ones: the magnitude must fit a signed
// 64-bit integer (2^63 with a minus sign). A hexadecimal text does not wrap into a negative
// number.
std::int64_t StrToInt64(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) {
        Refuse(text);
    }
    // The magnitude, limited to 2^63 for a negative value and 2^63 - 1 otherwise.
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0 || magnitude > (limit - static_cast<std::uint64_t>(digit)) /
                                         static_cast<std::uint64_t>(base)) {
            Refuse(text);
        }
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    if (!negative) {
        return static_cast<std::int64_t>(magnitude);
    }
    // 0 - magnitude in unsigned arithmetic, then the two's-complement value (2^63 included).
    return static_cast<std::int64_t>(std::uint64_t{0} - magnitude);
}

void CheckStartOffset(std::int64_t startOffset) {
    if (startOffset < 0) {
        throw EConvertError(
            Format("Start offset %lld is negative", static_cast<long long>(startOffset)));
    }
}
