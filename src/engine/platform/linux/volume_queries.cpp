// Linux backend: the volume queries on a drive root "X:\", answered from the device map.
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/platform/linux/error_codes.h"
#include "engine/platform/linux/volume_lookup.h"
#include "engine/platform/linux/volume_probe.h"
#include "engine/platform/winapi.h"

namespace win {
namespace {

using linux_backend::FindVolumeOfRoot;
using linux_backend::VolumeIdentity;

// Copies text into a buffer of `size` bytes, cut to fit and always zero-terminated.
void CopyText(const std::string& text, char* buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

// A network share has no device to probe: no label, no serial, and the mount table's type,
// NFS for every NFS version.
VolumeIdentity NetworkShareIdentity(const VolumeEntry& volume) {
    VolumeIdentity identity;
    identity.fileSystem = volume.fsType.starts_with("nfs") ? "NFS" : volume.fsType;
    return identity;
}

}  // namespace

UINT GetDriveTypeA(const char* rootPathName) {
    const auto volume = FindVolumeOfRoot(rootPathName);
    return volume ? volume->driveType : DRIVE_NO_ROOT_DIR;
}

BOOL GetVolumeInformationA(const char* rootPathName, char* volumeNameBuffer, DWORD volumeNameSize,
                           DWORD* volumeSerialNumber, DWORD* maximumComponentLength,
                           DWORD* fileSystemFlags, char* fileSystemNameBuffer,
                           DWORD fileSystemNameSize) {
    const auto volume = FindVolumeOfRoot(rootPathName);
    if (!volume) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    VolumeIdentity identity;
    if (volume->driveType == DRIVE_REMOTE || volume->node.empty()) {
        identity = NetworkShareIdentity(*volume);
    } else {
        // A device we may not read still counts as a volume, only without its facts.
        identity = linux_backend::ProbeVolumeIdentity(volume->node).value_or(VolumeIdentity{});
    }
    DWORD nameMax = 255;
    struct statvfs stats {};
    if (!volume->mountPoint.empty() && statvfs(volume->mountPoint.c_str(), &stats) == 0) {
        nameMax = static_cast<DWORD>(stats.f_namemax);
    }
    CopyText(identity.label, volumeNameBuffer, volumeNameSize);
    CopyText(identity.fileSystem, fileSystemNameBuffer, fileSystemNameSize);
    if (volumeSerialNumber != nullptr) {
        *volumeSerialNumber = identity.serial;
    }
    if (maximumComponentLength != nullptr) {
        *maximumComponentLength = nameMax;
    }
    if (fileSystemFlags != nullptr) {
        *fileSystemFlags = 0;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetDiskFreeSpaceExA(const char* directoryName, ULONGLONG* freeBytesAvailableToCaller,
                         ULONGLONG* totalNumberOfBytes, ULONGLONG* totalNumberOfFreeBytes) {
    const auto volume = FindVolumeOfRoot(directoryName);
    if (!volume) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (volume->mountPoint.empty()) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    struct statvfs stats {};
    if (statvfs(volume->mountPoint.c_str(), &stats) != 0) {
        SetLastError(linux_backend::WindowsError(errno));
        return FALSE;
    }
    const ULONGLONG unit = stats.f_frsize;
    if (freeBytesAvailableToCaller != nullptr) {
        *freeBytesAvailableToCaller = static_cast<ULONGLONG>(stats.f_bavail) * unit;
    }
    if (totalNumberOfBytes != nullptr) {
        *totalNumberOfBytes = static_cast<ULONGLONG>(stats.f_blocks) * unit;
    }
    if (totalNumberOfFreeBytes != nullptr) {
        *totalNumberOfFreeBytes = static_cast<ULONGLONG>(stats.f_bfree) * unit;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace win
