// Which host devices the Windows device names stand for.
//
// "\\.\PhysicalDriveN" opens disks[N].node; "\\.\X:" opens the node of the volume with letter
// X, and "X:\" is its mount point. The map is built anew for every query (nothing is cached),
// from the system or from the source a test installed, so a test can point PhysicalDrive0 or a
// drive letter at a file or at a loop device of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/platform/winapi.h"

namespace win {

struct DiskEntry {
    std::string node;        // block device (or, in tests, a plain file) opened for the disk
    std::string name;        // the system's short name of the disk, such as sda or loop3
    bool removable = false;  // the system marks the disk as removable
};

struct VolumeEntry {
    char letter = 0;         // 'C' to 'Z'
    std::string node;        // block device of the volume; empty for a network share
    std::string mountPoint;  // where its file system is mounted: the root X:\ stands for it
    std::string fsType;      // file-system type as the mount table gives it (ext4, nfs4, ...)
    UINT driveType = DRIVE_UNKNOWN;  // GetDriveTypeA's answer for the volume
    // The disk that holds the volume, as a PhysicalDriveN number, and where on it the volume
    // lies; diskNumber -1 when it lies on no listed disk (network, device mapper, md, ...).
    std::int32_t diskNumber = -1;
    std::int64_t startingOffset = 0;
    std::int64_t extentLength = 0;
};

// Where the facts about the map's devices are read: the kernel's device list, its process
// tables and the folder of device nodes. Tests give folders of their own.
struct DeviceRoots {
    std::string sys = "/sys";
    std::string proc = "/proc";
    std::string dev = "/dev";
};

struct DeviceMap {
    std::vector<DiskEntry> disks;      // index = N of PhysicalDriveN
    std::vector<VolumeEntry> volumes;  // at most 24, in letter order
    DeviceRoots roots{};               // the roots the map was built from
};

// The map as it is now: built from the system, or from the installed source.
DeviceMap CurrentDeviceMap();

// Installs the source of the map; an empty function restores the system's map.
using DeviceMapSource = std::function<DeviceMap()>;
void SetDeviceMapSource(DeviceMapSource source);
// The installed source; empty while the system's map is in use.
DeviceMapSource CurrentDeviceMapSource();

}  // namespace win
