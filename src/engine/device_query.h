// Fixed-size answers of the driver behind an open disk or volume, and the numbers in them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/platform/winapi.h"

class TFileStream;

// Fills `answer` (`size` bytes) with the driver's answer to the control code. A refusal raises
// EDeviceError "Cannot read the <what> of "<full path>". <system text>".
void QueryDevice(TFileStream& stream, win::DWORD code, unsigned char* answer, win::DWORD size,
                 const char* what);

// The unsigned little-endian number held in `size` bytes from `bytes`.
std::uint64_t LittleEndian(const unsigned char* bytes, std::size_t size);
