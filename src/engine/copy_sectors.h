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
    // Where the copy ended: the end of the range, or for a stopped copy the first source byte
    // that is neither copied nor given up as unreadable.
    std::int64_t sourcePosition = 0;
    std::int64_t bytesWritten = 0;  // bytes this copy wrote to the target
};

struct CopyOptions {
    // How often each sector of a bad area is read before it is written as zeros.
    int readAttempts = 1;
    // The map file that records the copy's progress, so that a later copy of the same source
    // to the same target goes on where this one ended; empty for none.
    std::string mapPath;
    // The target is a new, empty file: chunks of zeros are left as holes instead of written, so
    // the image of a mostly empty disk takes little room. It reads back the same.
    bool sparseTarget = false;
};

// Copies the source from startOffset up to sourceSize in chunks of 512 source sectors of
// sectorSize bytes, every sector cut to its first 512 bytes, into the target from its byte 0:
// output sector k always holds source sector k.
//
// Damaged sources: a chunk whose read fails with a bad sector is left for later, and the copy
// skips ahead (further after every failure in a row) to save the readable rest first. Then it
// reads what it skipped, and last reads the failed chunks sector by sector, each sector up to
// readAttempts times; sectors that stay unreadable are written as zeros and counted. Any other
// read failure (EReadError "Cannot read file "%s" at byte %lld. %s"), a source that ends before
// sourceSize (EReadError "Source "%s" ended at byte %lld, %lld bytes before its measured end",
// after the bytes it did deliver were written), a failed or short write and a failed flush
// (EWriteError) end the copy. The target is flushed however the copy ends, and the map file,
// when there is one, written.
//
// A sector size other than 512, 518, 520 or 522 (EInvalidArgument "Sector size %d is not
// supported") and a negative start offset (see CheckStartOffset) are refused before anything
// is opened; so is a map file of another copy (EMapError).
CopyResult CopySectors(WindowServices& window, const std::string& sourcePath,
                       const std::string& targetPath, std::int64_t sourceSize,
                       std::int32_t sectorSize, std::int64_t startOffset,
                       const CopyOptions& options = {});

// The number of source bytes one gauge step stands for: 1024, doubled as often as needed for
// the source size in those units to fit the gauge's signed 32-bit MaxValue.
std::int64_t GaugeUnit(std::int64_t sourceSize);
