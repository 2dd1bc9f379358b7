// Linux backend: what the layer remembers of every open handle.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/platform/device_map.h"
#include "engine/platform/linux/write_behind.h"
#include "engine/platform/winapi.h"

namespace win::linux_backend {

struct HandleInfo {
    int fd = -1;
    std::string path;  // the text given to CreateFileA
    enum class Kind { File, Disk, Volume } kind = Kind::File;
    DiskEntry disk;      // kind == Disk: the map's entry the handle was opened from
    VolumeEntry volume;  // kind == Volume: the map's entry the handle was opened from
    // A block device opened for writing without being claimed: opened read-only, and every
    // write through the handle is refused.
    bool writesRefused = false;
    // Handles that write to a regular file or a block device: write-back started early.
    std::shared_ptr<WriteBehind> writeBehind;
};

// A copy of what is known of an open handle; nothing for a handle that is not open.
std::optional<HandleInfo> LookupHandle(HANDLE handle);

// The layer's own access to the table: registering takes over the descriptor and gives the
// new handle (INVALID_HANDLE_VALUE, the descriptor closed, when there is no room for it);
// FindHandle shares the entry without copying it; ReleaseHandle forgets the handle and gives back
// its entry (the caller closes the descriptor).
HANDLE RegisterHandle(HandleInfo info);
std::shared_ptr<const HandleInfo> FindHandle(HANDLE handle);
std::shared_ptr<const HandleInfo> ReleaseHandle(HANDLE handle);

// DeviceIoControl's IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS for a volume handle.
BOOL QueryVolumeDiskExtents(const HandleInfo& info, void* outBuffer, DWORD outBufferSize,
                            DWORD* bytesReturned);

}  // namespace win::linux_backend
