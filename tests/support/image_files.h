// Byte patterns for the copy tests and the image a copy is expected to produce.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// n bytes of a pseudo-random sequence: no two sectors alike, so a shifted or repeated sector
// shows up in a comparison.
std::string Pattern(std::size_t n, std::uint32_t seed = 1);

// What the target holds after a copy of `source` from `start` with sectors of `sectorSize`
// bytes over a target that held `target` before: the first 512 bytes of every whole sector,
// laid over the target from its byte 0. Sectors of `zeroSectors` (output sector numbers)
// hold zeros.
std::string ExpectedTarget(const std::string& source, std::int64_t start, std::int32_t sectorSize,
                           std::string target, const std::vector<std::int64_t>& zeroSectors = {});
