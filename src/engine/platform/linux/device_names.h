// Linux backend: which map entry a path of the device namespace names.
#pragma once

#include <optional>
#include <string>

#include "engine/platform/device_map.h"

namespace win::linux_backend {

// What "\\.\PhysicalDriveN" or "\\.\X:" names: the disk or volume entry of the map.
struct DeviceTarget {
    enum class Kind { Disk, Volume } kind = Kind::Disk;
    DiskEntry disk;
    VolumeEntry volume;
};

// True for every path in the device namespace ("\\.\..."), whether or not it names anything.
bool IsDeviceNamespacePath(const std::string& path);
// The map entry the device path names; nothing when it names no disk or volume of the map.
std::optional<DeviceTarget> ResolveDevicePath(const std::string& path, const DeviceMap& map);

}  // namespace win::linux_backend
