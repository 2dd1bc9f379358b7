// Linux backend: the label, serial number and file-system name of a volume, read from the
// file-system headers on its device, named as Windows names them.
#pragma once

#include <optional>
#include <string>

#include "engine/platform/winapi.h"

namespace win::linux_backend {

struct VolumeIdentity {
    std::string label;
    DWORD serial = 0;
    std::string fileSystem;
};

// Probes the block device (or image file) at `node`. Nothing when it cannot be read; a device
// without a recognisable file system gives an empty identity.
std::optional<VolumeIdentity> ProbeVolumeIdentity(const std::string& node);

// The 32-bit serial number from the identifier the probe reports: FAT and exFAT "ABCD-1234"
// give 0xABCD1234, NTFS (16 hex digits) its low 32 bits, any other file system the first 8
// hex digits of its UUID. 0 when there is no identifier.
DWORD SerialFromIdentifier(const std::string& type, const std::string& identifier);

// The file-system name Windows users know: vfat gives its FAT version (FAT12, FAT16, FAT32),
// ntfs NTFS, exfat exFAT; other types keep the probe's name (ext4, xfs, btrfs).
std::string WindowsFileSystemName(const std::string& type, const std::string& version);

}  // namespace win::linux_backend
