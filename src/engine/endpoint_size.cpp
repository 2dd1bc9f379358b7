#include "engine/endpoint_size.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "engine/device_paths.h"
#include "engine/disk_geometry.h"
#include "engine/errors.h"
#include "engine/file_stream.h"

using namespace win;

namespace {

// The length of a volume on its disk; a refusal raises EDeviceError, never a size of 0.
std::int64_t VolumeLength(TFileStream& stream) {
    std::array<unsigned char, GET_LENGTH_INFORMATION_SIZE> buffer{};
    DWORD returned = 0;
    if (!DeviceIoControl(stream.Handle(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, buffer.data(),
                         GET_LENGTH_INFORMATION_SIZE, &returned, nullptr)) {
        const DWORD error = GetLastError();
        throw EDeviceError(Format("Cannot read the size of \"%s\". %s",
                                  GetFullPathNameA(stream.FileName()).c_str(),
                                  SystemErrorText(error).c_str()));
    }
    std::uint64_t length = 0;
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        length |= std::uint64_t{buffer[i]} << (8 * i);
    }
    return static_cast<std::int64_t>(length);
}

}  // namespace

std::int64_t GetEndpointSize(const std::string& path, bool create, EndpointRole role) {
    std::string driveStem;
    std::string devicePrefix;
    InitDeviceNames(driveStem, devicePrefix);

    // Opening: the first rule that matches decides. A source is only ever read, so it is
    // opened read-only whatever its form; a target is opened for writing, which claims a disk
    // or volume for this program alone.
    std::string opened = path;
    std::uint16_t mode;
    if (IsDiskName(path, driveStem)) {
        opened = DiskNameToPath(path, devicePrefix);
        mode = fmOpenReadShared;
    } else if (IsBareDrive(path)) {
        opened = BareDriveToPath(path, devicePrefix);
        mode = fmOpenReadShared;
    } else if (create) {
        mode = fmCreate;
    } else {
        mode = role == EndpointRole::Source ? fmOpenReadShared : fmOpenReadWriteShared;
    }
    TFileStream stream(opened, mode);

    // Measuring, on the path as opened.
    if (IsPhysicalDiskPath(opened, driveStem)) {
        return GetDiskSize(stream);
    }
    if (IsDevicePath(opened, devicePrefix)) {
        return VolumeLength(stream);
    }
    return stream.Size();
}

bool IsDeviceEndpoint(const std::string& path) {
    std::string driveStem;
    std::string devicePrefix;
    InitDeviceNames(driveStem, devicePrefix);
    if (IsDiskName(path, driveStem) || IsBareDrive(path) || IsDevicePath(path, devicePrefix)) {
        return true;
    }
    // A file name may also name a disk or a partition directly (a device node, or a link to
    // one): writing it overwrites a device all the same.
    std::error_code error;
    return std::filesystem::is_block_file(path, error);
}
