// The start field's text as a signed 64-bit integer: optional leading spaces, an optional sign,
// then decimal digits or hexadecimal digits after "$", "x" or "0x". Anything else raises
// EConvertError "'%s' is not a valid integer value".
#pragma once

#include <cstdint>
#include <string>

std::int64_t StrToInt64(const std::string& text);
