#include "engine/endpoint_size.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "engine/device_paths.h"
#include "engine/device_query.h"
#include "engine/disk_geometry.h"
#include "engine/file_stream.h"

using namespace win;

namespace {

// The length of a volume on its disk; a refusal raises EDeviceError, never a size of 0.
std::int64_t VolumeLength(TFileStream& stream) {
    std::array<unsigned char, GET_LENGTH_INFORMATION_SIZE> buffer{};
    QueryDevice(stream, IOCTL_DISK_GET_LENGTH_INFO, buffer.data(), GET_LENGTH_INFORMATION_SIZE,
                "size");
    return static_cast<std::int64_t>(LittleEndian(buffer.data(), buffer.size()));
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
