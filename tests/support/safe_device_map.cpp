#include "support/safe_device_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string_view>

#include "engine/platform/linux/device_map_builder.h"

win::DeviceMap LoopOnly(const win::DeviceMap& system) {
    win::DeviceMap map;
    std::map<std::int32_t, std::int32_t> newNumber;
    for (std::size_t i = 0; i < system.disks.size(); ++i) {
        const win::DiskEntry& disk = system.disks[i];
        if (std::string_view(disk.name).starts_with("loop") &&
            std::string_view(disk.node).starts_with("/dev/loop")) {
            newNumber[static_cast<std::int32_t>(i)] = static_cast<std::int32_t>(map.disks.size());
            map.disks.push_back(disk);
        }
    }
    for (win::VolumeEntry volume : system.volumes) {
        if (!std::string_view(volume.node).starts_with("/dev/loop")) {
            continue;
        }
        const auto it = newNumber.find(volume.diskNumber);
        volume.diskNumber = it == newNumber.end() ? -1 : it->second;
        map.volumes.push_back(volume);
    }
    return map;
}

void InstallLoopOnlyDeviceMap() {
    win::SetDeviceMapSource([] { return LoopOnly(win::linux_backend::BuildSystemDeviceMap()); });
}

namespace {

class LoopOnlyEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { InstallLoopOnlyDeviceMap(); }
};

// Installed already while the program starts, and again by GoogleTest before the first test.
const bool installedAtStart = [] {
    InstallLoopOnlyDeviceMap();
    ::testing::AddGlobalTestEnvironment(new LoopOnlyEnvironment);  // GoogleTest owns it
    return true;
}();

}  // namespace
