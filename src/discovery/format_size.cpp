// Sizes as the volume captions show them, with the user's decimal separator.
#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "discovery/nt_volume_list.h"
#include "engine/errors.h"

namespace {

// Set once at start-up by InitDecimalSeparator; a full stop until then.
std::string decimalSeparator = ".";

// The decimal separator of the user's LC_NUMERIC, read through a locale object of its own so
// that the process's global locale stays as it is; a full stop when there is none.
std::string UserDecimalSeparator() {
    const locale_t numeric = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (numeric == static_cast<locale_t>(0)) {
        return std::string(1, '.');
    }
    const char* radix = nl_langinfo_l(RADIXCHAR, numeric);
    std::string separator =
        radix != nullptr && *radix != '\0' ? std::string(radix) : std::string(1, '.');
    freelocale(numeric);
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
