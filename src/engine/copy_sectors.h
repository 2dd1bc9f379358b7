// The sector copy loop.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class WindowServices;

// The source sector sizes a copy cuts to 512 bytes, in the order of the sector-size buttons.
inline constexpr std::array<std::int32_t, 4> kSourceSectorSizes = {512, 518, 520, 522};

struct CopyResult {
    std::int64_t unreadableSectors = 0;  // source sectors written as 512 zero bytes
    bool stopped = false;                // ended by Stop before the end of the range
    std::int64_t sourcePosition = 0;     // source byte where the copy ended
    std::int64_t bytesWritten = 0;       // bytes written to the target from its byte 0
};

// Copies the source from startOffset up to sourceSize in chunks of 512 source sectors of
// sectorSize bytes, every sector cut to its first 512 bytes, into the target from its byte 0.
// Reads that fail are retried sector by sector; sectors that still fail are written as zeros
// and counted. A failed or short write, or a failed flush, raises EWriteError. The target is
// flushed before the copy returns, also after Stop. A sector size other than 512, 518, 520 or
// 522 (EInvalidArgument "Sector size %d is not supported") and a negative start offset (see
// CheckStartOffset) are refused before anything is opened.
CopyResult CopySectors(WindowServices& window, const std::string& sourcePath,
                       const std::string& targetPath, std::int64_t sourceSize,
                       std::int32_t sectorSize, std::int64_t startOffset);

// The number of source bytes one gauge step stands for: 1024, doubled as often as needed for
// the source size in those units to fit the gauge's signed 32-bit MaxValue.
std::int64_t GaugeUnit(std::int64_t sourceSize);
