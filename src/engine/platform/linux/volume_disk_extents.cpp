// Linux backend: IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS on a volume handle.
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/platform/linux/handle_table.h"

namespace win::linux_backend {
namespace {

template <typename T>
void PutLittleEndian(unsigned char* at, T value) {
    using U = std::make_unsigned_t<T>;
    auto bits = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        at[i] = static_cast<unsigned char>(bits & 0xFF);
        bits = static_cast<U>(bits >> 8);
    }
}

}  // namespace

// A volume lies in one piece on one disk here: the answer is always one extent.
BOOL QueryVolumeDiskExtents(const HandleInfo& info, void* outBuffer, DWORD outBufferSize,
                            DWORD* bytesReturned) {
    if (bytesReturned != nullptr) {
        *bytesReturned = 0;
    }
    if (info.kind != HandleInfo::Kind::Volume || info.volume.diskNumber < 0) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    constexpr DWORD size = VOLUME_DISK_EXTENTS_HEADER_SIZE + DISK_EXTENT_SIZE;
    if (outBuffer == nullptr || outBufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* out = static_cast<unsigned char*>(outBuffer);
    std::memset(out, 0, size);
    PutLittleEndian<std::uint32_t>(out, 1);
    unsigned char* extent = out + VOLUME_DISK_EXTENTS_HEADER_SIZE;
    PutLittleEndian(extent, static_cast<std::uint32_t>(info.volume.diskNumber));
    PutLittleEndian(extent + 8, info.volume.startingOffset);
    PutLittleEndian(extent + 16, info.volume.extentLength);
    if (bytesReturned != nullptr) {
        *bytesReturned = size;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace win::linux_backend
