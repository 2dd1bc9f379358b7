// What the system knows about a disk or volume beyond its contents, and taking the file systems
// on it out of use. These are operations of this program, not of the Windows API; like the
// Windows calls they report failure as FALSE plus GetLastError().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/winapi.h"

namespace win {

// A file system (or a swap area) in use on the device or on one of a disk's partitions.
struct MountedFileSystem {
    std::string device;          // the system's name of the partition or device: /dev/sdb1
    std::string mountPoint;      // empty for a swap area
    std::string fsType;          // ext4, vfat, ...; "swap" for a swap area
    bool isRoot = false;         // mounted at "/"
    bool holdsSwap = false;      // a swap area in use: the device itself or a swap file on it
    bool holdsProgram = false;   // the running program's own executable lies on it
    bool holdsKeptPath = false;  // the path the caller asked to keep lies on it
};

struct DeviceFacts {
    std::string systemName;  // /dev/sdb; empty when a plain file stands in for the device
    std::string model;       // empty when the system does not know it
    std::string serial;      // empty when the system does not know it
    std::int64_t sizeBytes = 0;
    std::vector<MountedFileSystem> mounts;  // in the order they were mounted
};

// The facts of the disk or volume `devicePath` names ("\\.\PhysicalDriveN", "\\.\X:", or a
// file name of a block device). `keptPath` (may be empty) is a path the caller still needs,
// such as the source of a copy: a file path, or a device path whose disk or partition counts.
// FALSE with ERROR_FILE_NOT_FOUND when the path names no device.
BOOL GetDeviceFacts(const std::string& devicePath, const std::string& keptPath, DeviceFacts* facts);

// Unmounts every file system GetDeviceFacts lists for the device, the last mounted first. Swap
// areas are not touched. FALSE with the system's error code at the first file system that
// cannot be unmounted (for example one that is busy); the ones before it stay unmounted.
BOOL UnmountDeviceFileSystems(const std::string& devicePath);

}  // namespace win
