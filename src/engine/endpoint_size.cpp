#include "engine/endpoint_size.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "engine/device_paths.h"
#include "engine/device_query.h"
#include "engine/disk_geometry.h"
#include "engine/file_stream.h"
#include "engine/source_kind.h"

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
    return MeasureEndpoint(path, create, role).size;
}

EndpointMeasure MeasureEndpoint(const std::string& path, bool create, EndpointRole role) {
    // Opening: the first rule that matches decides. A source is only ever read, so it is
    // opened read-only whatever its form; a target is opened for writing, which claims a disk
    // or volume for this program alone.
    const std::string opened = EndpointOpenPath(path);
    std::uint16_t mode;
    if (opened != path) {
        mode = fmOpenReadShared;
    } else if (create) {
        mode = fmCreate;
    } else {
        mode = role == EndpointRole::Source ? fmOpenReadShared : fmOpenReadWriteShared;
    }
    TFileStream stream(opened, mode);
    if (role == EndpointRole::Source) {
        CheckSourceKind(stream);
    }

    EndpointMeasure measure;
    measure.size = SizeOfOpenEndpoint(stream);
    measure.identity = IdentityOf(stream);
    return measure;
}

std::string EndpointOpenPath(const std::string& path) {
    std::string driveStem;
    std::string devicePrefix;
    InitDeviceNames(driveStem, devicePrefix);
    if (IsDiskName(path, driveStem)) {
        return DiskNameToPath(path, devicePrefix);
    }
    if (IsBareDrive(path)) {
        return BareDriveToPath(path, devicePrefix);
    }
    return path;
}

std::int64_t SizeOfOpenEndpoint(TFileStream& stream) {
    std::string driveStem;
    std::string devicePrefix;
    InitDeviceNames(driveStem, devicePrefix);
    // Measuring, on the path as opened.
    if (IsPhysicalDiskPath(stream.FileName(), driveStem)) {
        return GetDiskSize(stream);
    }
    if (IsDevicePath(stream.FileName(), devicePrefix)) {
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
