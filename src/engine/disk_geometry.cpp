#include "engine/disk_geometry.h"

#include <array>

#include "engine/errors.h"
#include "engine/file_stream.h"

using namespace win;

namespace {

using GeometryBuffer = std::array<unsigned char, DISK_GEOMETRY_EX_SIZE>;

// Asks the driver for the disk's DISK_GEOMETRY_EX; a refusal raises EDeviceError.
GeometryBuffer QueryGeometry(TFileStream& stream) {
    GeometryBuffer buffer{};
    DWORD returned = 0;
    if (!DeviceIoControl(stream.Handle(), IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                         buffer.data(), DISK_GEOMETRY_EX_SIZE, &returned, nullptr)) {
        const DWORD error = GetLastError();
        throw EDeviceError(Format("Cannot read the geometry of \"%s\". %s",
                                  GetFullPathNameA(stream.FileName()).c_str(),
                                  SystemErrorText(error).c_str()));
    }
    return buffer;
}

// A little-endian field of the buffer.
std::uint64_t Field(const GeometryBuffer& buffer, std::size_t offset, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value |= std::uint64_t{buffer[offset + i]} << (8 * i);
    }
    return value;
}

constexpr std::size_t kMediaTypeOffset = 8;
constexpr std::size_t kDiskSizeOffset = 24;

}  // namespace

std::int64_t GetDiskSize(TFileStream& stream) {
    return static_cast<std::int64_t>(Field(QueryGeometry(stream), kDiskSizeOffset, 8));
}

std::string GetMediaTypeName(TFileStream& stream) {
    const auto mediaType = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(Field(QueryGeometry(stream), kMediaTypeOffset, 4)));
    return MediaTypeText(mediaType);
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
