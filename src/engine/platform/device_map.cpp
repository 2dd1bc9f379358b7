// The device map: the system's, built anew for every query, or the installed source's.
#include "engine/platform/device_map.h"

#include <mutex>

#include "engine/platform/linux/device_map_builder.h"

namespace win {
namespace {

std::mutex sourceMutex;
DeviceMapSource installedSource;

}  // namespace

DeviceMap CurrentDeviceMap() {
    DeviceMapSource source;
    {
        std::lock_guard lock(sourceMutex);
        source = installedSource;
    }
    return source ? source() : linux_backend::BuildSystemDeviceMap();
}

void SetDeviceMapSource(DeviceMapSource source) {
    std::lock_guard lock(sourceMutex);
    installedSource = std::move(source);
}

}  // namespace win
