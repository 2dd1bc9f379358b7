// Sizes as the volume captions show them, with the user's decimal separator.
#include <cmath>
#include <cstdint>
#include <string>

#include "discovery/nt_volume_list.h"
#include "engine/errors.h"
#include "engine/platform/winapi.h"

namespace {

// Set once at start-up by InitDecimalSeparator; a full stop until then.
std::string decimalSeparator = ".";

// The user's decimal separator; a full stop when the system has none to give.
std::string UserDecimalSeparator() {
    char separator[8] = {};
    if (win::GetLocaleInfoA(win::LOCALE_USER_DEFAULT, win::LOCALE_SDECIMAL, separator,
                            sizeof separator) <= 1) {
        return ".";
    }
    return separator;
}

}  // namespace

void InitDecimalSeparator() {
    decimalSeparator = UserDecimalSeparator();
}

std::string FormatSize(double bytes) {
    constexpr double kMiB = 1048576.0;
    const bool inGigabytes = bytes >= kMiB;
    const double quotient = inGigabytes ? bytes / 1024 / 1024 / 1024 : bytes / 1024 / 1024;
    // Two decimals, rounded half up: 0.125 GB reads 0.13 GB.
    const double hundredths = std::floor(std::fabs(quotient) * 100 + 0.5);
    const auto cents = static_cast<std::int64_t>(hundredths);
    return Format("%s%lld%s%02lld %s", quotient < 0 && cents != 0 ? "-" : "",
                  static_cast<long long>(cents / 100), decimalSeparator.c_str(),
                  static_cast<long long>(cents % 100), inGigabytes ? "GB" : "MB");
}
