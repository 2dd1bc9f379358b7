// The map file of a resumable copy: which source ranges are copied, unreadable or still to be
// read, as plain text that a later run of the same copy reads to go on where this one ended.
//
// Lines beginning with "#" are comments. Five header lines name the copy the map belongs to:
//   source <full path>
//   target <full path>
//   source-size <bytes>
//   sector-size <bytes>
//   start <byte>
// Then one line per run of source sectors, in order, together covering every whole source
// sector from the start offset on: the run's first source byte and its length in bytes, both
// in hexadecimal with "0x", and its state: "+" copied, "-" unreadable (written as zeros),
// "*" a read over it failed (to be read sector by sector), "?" not tried yet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/rescue_map.h"

// What a map belongs to.
struct MapIdentity {
    std::string source;  // full paths
    std::string target;
    std::int64_t sourceSize = 0;
    std::int32_t sectorSize = 512;
    std::int64_t startOffset = 0;
};

// The map's text.
std::string FormatMapFile(const MapIdentity& identity, const RescueMap& map);

// The map that `text` holds. Raises EMapError when the text is no map, or when the map belongs
// to another copy than `identity` (another source, target, size, sector size or start).
RescueMap ParseMapFile(const std::string& text, const MapIdentity& identity,
                       const std::string& mapPath);

// True when the map file exists: a copy with it goes on where an earlier one ended.
bool MapFileExists(const std::string& mapPath);

// The text of the map file, or nothing when there is no such file. Raises EMapError when it
// exists but cannot be read.
std::optional<std::string> ReadMapFile(const std::string& mapPath);

// Replaces the map file by `text` as a whole: a crash leaves the old map or the new one, never
// half of one. Raises EMapError when it cannot be written.
void WriteMapFile(const std::string& mapPath, const std::string& text);
