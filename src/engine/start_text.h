// The start field's text as a signed 64-bit integer: optional leading spaces, an optional sign,
// then decimal digits or hexadecimal digits after "$", "x" or "0x". Anything else raises
// EConvertError "'%s' is not a valid integer value".
#pragma once

#include <cstdint>
#include <string>

// Hexadecimal texts must fit a signed 64-bit integer just like decimal ones; nothing wraps.
std::int64_t StrToInt64(const std::string& text);

// A start offset before the beginning of the source is refused with EConvertError
// "Start offset %lld is negative".
void CheckStartOffset(std::int64_t startOffset);
