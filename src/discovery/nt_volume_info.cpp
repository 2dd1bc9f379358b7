#include "discovery/nt_volume_info.h"

#include <array>
#include <cstring>
#include <vector>

#include "engine/errors.h"
#include "engine/platform/winapi.h"

namespace {

constexpr win::DWORD kLabelBufferSize = 261;
constexpr win::DWORD kFileSystemBufferSize = 32;
// Room for the header and ten extents.
constexpr win::DWORD kExtentBufferSize = 260;

// The volume handle of the extent query, closed on every way out.
class VolumeHandle {
  public:
    explicit VolumeHandle(win::HANDLE handle) : handle_(handle) {}
    ~VolumeHandle() {
        if (IsOpen()) {
            win::CloseHandle(handle_);
        }
    }
    VolumeHandle(const VolumeHandle&) = delete;
    VolumeHandle& operator=(const VolumeHandle&) = delete;

    bool IsOpen() const { return handle_ >= 0; }
    win::HANDLE Get() const { return handle_; }

  private:
    win::HANDLE handle_;
};

template <typename T>
T GetLittleEndian(const unsigned char* at) {
    std::make_unsigned_t<T> bits = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) {
        bits = static_cast<std::make_unsigned_t<T>>((bits << 8) | at[i]);
    }
    return static_cast<T>(bits);
}

std::string DriveTypeTag(win::UINT driveType) {
    switch (driveType) {
        case win::DRIVE_REMOVABLE:
        case win::DRIVE_RAMDISK:
            return "RD";
        case win::DRIVE_FIXED:
            return "HD";
        case win::DRIVE_REMOTE:
            return "ND";
        case win::DRIVE_CDROM:
            return "CD";
        default:
            return "";
    }
}

}  // namespace

TNTVolumeInfo::TNTVolumeInfo(const std::string& drive) : Drive(drive) {
    ReadVolumeInformation();
    ReadDiskExtent();
}

void TNTVolumeInfo::ReadVolumeInformation() {
    VolumeLabel.clear();
    SerialNumber.clear();
    FileSystem.clear();
    TotalSize = 0;
    FreeSize = 0;
    const std::string root = Drive + ":\\";

    std::array<char, kLabelBufferSize> label{};
    std::array<char, kFileSystemBufferSize> fileSystem{};
    win::DWORD serial = 0;
    win::DWORD maximumComponentLength = 0;
    win::DWORD fileSystemFlags = 0;
    if (win::GetVolumeInformationA(root.c_str(), label.data(), kLabelBufferSize, &serial,
                                   &maximumComponentLength, &fileSystemFlags, fileSystem.data(),
                                   kFileSystemBufferSize)) {
        VolumeLabel.assign(label.data(), strnlen(label.data(), label.size()));
        SerialNumber = Format("%.8X", serial);
        FileSystem.assign(fileSystem.data(), strnlen(fileSystem.data(), fileSystem.size()));
    }

    win::ULONGLONG freeToCaller = 0;
    win::ULONGLONG total = 0;
    win::ULONGLONG totalFree = 0;
    if (win::GetDiskFreeSpaceExA(root.c_str(), &freeToCaller, &total, &totalFree)) {
        TotalSize = static_cast<std::int64_t>(total);
        FreeSize = static_cast<std::int64_t>(freeToCaller);
    }
}

void TNTVolumeInfo::ReadDiskExtent() {
    Extent = DISK_EXTENT{};
    const std::string root = Drive + ":\\";
    const win::UINT driveType = win::GetDriveTypeA(root.c_str());
    DriveType = DriveTypeTag(driveType);
    if (driveType != win::DRIVE_REMOVABLE && driveType != win::DRIVE_FIXED) {
        return;
    }
    // Opened only to ask where the volume lies: not claimed, so a mounted volume answers too.
    const std::string volumePath = "\\\\.\\" + Drive + ":";
    VolumeHandle volume(win::CreateFileA(volumePath.c_str(), win::GENERIC_READ | win::GENERIC_WRITE,
                                         win::FILE_SHARE_READ | win::FILE_SHARE_WRITE, nullptr,
                                         win::OPEN_EXISTING, 0, 0));
    if (!volume.IsOpen()) {
        return;
    }
    std::vector<unsigned char> buffer(kExtentBufferSize, 0);
    win::DWORD returned = 0;
    if (win::DeviceIoControl(volume.Get(), win::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                             buffer.data(), kExtentBufferSize, &returned, nullptr) &&
        GetLittleEndian<std::uint32_t>(buffer.data()) != 0) {
        const unsigned char* first = buffer.data() + win::VOLUME_DISK_EXTENTS_HEADER_SIZE;
        Extent.DiskNumber = GetLittleEndian<std::uint32_t>(first);
        Extent.StartingOffset = GetLittleEndian<std::int64_t>(first + 8);
        Extent.ExtentLength = GetLittleEndian<std::int64_t>(first + 16);
    }
}
