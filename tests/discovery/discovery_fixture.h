// Small fixtures of the drive discovery tests: a temporary folder, a replaced device map and
// file-system images made in files.
#pragma once

#include <filesystem>
#include <string>

#include "engine/platform/device_map.h"

namespace discovery_test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Answers every device-map query with `map` until destroyed; then the system's map is back.
class ScopedDeviceMap {
  public:
    explicit ScopedDeviceMap(win::DeviceMap map);
    ~ScopedDeviceMap();
    ScopedDeviceMap(const ScopedDeviceMap&) = delete;
    ScopedDeviceMap& operator=(const ScopedDeviceMap&) = delete;
};

// Makes a sparse file of `bytes` and runs `command` (such as "mkfs.vfat -n DATA") on it; false
// when the tool failed or is missing.
bool MakeFileSystemImage(const std::string& path, std::int64_t bytes, const std::string& command);

// A volume entry for a letter, pointing at `node` and mounted at `mountPoint`.
win::VolumeEntry Volume(char letter, const std::string& node, win::UINT driveType,
                        std::int32_t diskNumber, const std::string& mountPoint = "");

}  // namespace discovery_test
