// Small fixtures of the drive discovery tests: file-system images in files and volume entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/device_map.h"

namespace discovery_test {

// Makes a sparse file of `bytes` and runs the tool `mkfs` (such as {"mkfs.vfat", "-n", "DATA"})
// on it, the file's path appended; false when the tool failed or is missing.
bool MakeFileSystemImage(const std::string& path, std::int64_t bytes,
                         std::vector<std::string> mkfs);

// A volume entry for a letter, pointing at `node` and mounted at `mountPoint`.
win::VolumeEntry Volume(char letter, const std::string& node, win::UINT driveType,
                        std::int32_t diskNumber, const std::string& mountPoint = "");

}  // namespace discovery_test
