// Linux backend: building the device map from the kernel's tables.
#pragma once

#include <string>

#include "engine/platform/device_map.h"

namespace win::linux_backend {

// The disks listed in <sysRoot>/block and the volumes mounted according to
// <procRoot>/self/mountinfo; device nodes are named under devRoot. The roots are parameters
// so that small folders can stand in for /sys, /proc and /dev.
DeviceMap BuildDeviceMap(const std::string& sysRoot, const std::string& procRoot,
                         const std::string& devRoot);

// The map of this machine: BuildDeviceMap("/sys", "/proc", "/dev").
DeviceMap BuildSystemDeviceMap();

}  // namespace win::linux_backend
