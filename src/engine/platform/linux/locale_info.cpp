// Linux backend: GetLocaleInfoA, from the user's LC_NUMERIC.
#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>

#include "engine/platform/winapi.h"

namespace win {
namespace {

// The decimal separator of the user's LC_NUMERIC, read through a locale object of its own so
// that the process's global locale stays as it is; a full stop when there is none.
std::string UserDecimalSeparator() {
    const locale_t numeric = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (numeric == static_cast<locale_t>(0)) {
        return ".";
    }
    const char* radix = nl_langinfo_l(RADIXCHAR, numeric);
    std::string separator = radix != nullptr && *radix != '\0' ? std::string(radix) : ".";
    freelocale(numeric);
    return separator;
}

}  // namespace

int GetLocaleInfoA(LCID /*locale*/, LCTYPE type, char* data, int size) {
    if (type != LOCALE_SDECIMAL) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (size < 0 || (size > 0 && data == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string text = UserDecimalSeparator();
    const int needed = static_cast<int>(text.size()) + 1;
    if (size == 0) {
        return needed;
    }
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(data, text.c_str(), text.size() + 1);
    return needed;
}

}  // namespace win
