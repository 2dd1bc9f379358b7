// Linux backend: building the device map from the kernel's tables.
#pragma once

#include <filesystem>
#include <string>

#include "engine/platform/device_map.h"
#include "engine/platform/linux/mount_table.h"

namespace win::linux_backend {

// The disks listed in <sysRoot>/block and the volumes mounted according to
// <procRoot>/self/mountinfo; device nodes are named under devRoot. The roots are parameters
// so that small folders can stand in for /sys, /proc and /dev.
DeviceMap BuildDeviceMap(const std::string& sysRoot, const std::string& procRoot,
                         const std::string& devRoot);

// The first line of a file of the kernel's tables, trailing white space cut; empty when there
// is none.
std::string ReadLine(const std::filesystem::path& path);
// The whole device in <sys>/block that a block device is or belongs to (sda for sda1, sda for
// sda); empty when it is neither.
std::string WholeDeviceOf(const std::filesystem::path& block, const std::string& name);
// The kernel's name of the block device a mount stands on (sda1, dm-0, ...); empty when the
// mount is not on a block device. File systems that report a device number of their own
// (btrfs, fuseblk) are found by the name of their source.
std::string BlockDeviceName(const std::filesystem::path& sys, const std::string& devRoot,
                            const MountEntry& mount);

// The map of this machine: BuildDeviceMap("/sys", "/proc", "/dev").
DeviceMap BuildSystemDeviceMap();

}  // namespace win::linux_backend
