#include "engine/disk_geometry.h"

#include <array>

#include "engine/device_query.h"
#include "engine/file_stream.h"

using namespace win;

namespace {

using GeometryBuffer = std::array<unsigned char, DISK_GEOMETRY_EX_SIZE>;

// The disk's DISK_GEOMETRY_EX; a refusal raises EDeviceError.
GeometryBuffer QueryGeometry(TFileStream& stream) {
    GeometryBuffer buffer{};
    QueryDevice(stream, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, buffer.data(), DISK_GEOMETRY_EX_SIZE,
                "geometry");
    return buffer;
}

constexpr std::size_t kMediaTypeOffset = 8;
constexpr std::size_t kBytesPerSectorOffset = 20;
constexpr std::size_t kDiskSizeOffset = 24;

}  // namespace

std::int64_t GetDiskSize(TFileStream& stream) {
    return static_cast<std::int64_t>(
        LittleEndian(QueryGeometry(stream).data() + kDiskSizeOffset, 8));
}

std::string GetMediaTypeName(TFileStream& stream) {
    const auto mediaType = static_cast<std::int32_t>(static_cast<std::uint32_t>(
        LittleEndian(QueryGeometry(stream).data() + kMediaTypeOffset, 4)));
    return MediaTypeText(mediaType);
}

std::int32_t GetDeviceSectorSize(TFileStream& stream) {
    GeometryBuffer buffer{};
    DWORD returned = 0;
    if (!DeviceIoControl(stream.Handle(), IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                         buffer.data(), DISK_GEOMETRY_EX_SIZE, &returned, nullptr) ||
        returned < kBytesPerSectorOffset + 4) {
        return 0;
    }
    return static_cast<std::int32_t>(LittleEndian(buffer.data() + kBytesPerSectorOffset, 4));
}

std::string MediaTypeText(std::int32_t mediaType) {
    if (mediaType == 0) {
        return "Unknown Media Type";
    }
    if (mediaType >= 1 && mediaType <= 10) {
        return "Floppy Disk";
    }
    if (mediaType == RemovableMedia) {
        return "Removable Drive";
    }
    if (mediaType == FixedMedia) {
        return "Fixed Drive";
    }
    if (mediaType >= 13 && mediaType <= 25) {
        return "Zip / Other";
    }
    return "Undefined";
}
