// Linux backend: the device map from /sys and /proc.
#include "engine/platform/linux/device_map_builder.h"

namespace win::linux_backend {

DeviceMap BuildDeviceMap(const std::string&, const std::string&, const std::string&) {
    return DeviceMap{};
}

DeviceMap BuildSystemDeviceMap() {
    return BuildDeviceMap("/sys", "/proc", "/dev");
}

}  // namespace win::linux_backend
