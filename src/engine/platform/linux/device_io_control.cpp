// Linux backend: DeviceIoControl for the disk and volume queries the program makes.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "engine/platform/linux/error_codes.h"
#include "engine/platform/linux/handle_table.h"
#include "engine/platform/winapi.h"

namespace win {
namespace {

using linux_backend::HandleInfo;

// Heads and sectors per track of the made-up geometry of a disk.
constexpr std::uint32_t kTracksPerCylinder = 255;
constexpr std::uint32_t kSectorsPerTrack = 63;
constexpr std::uint32_t kFileSectorBytes = 512;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

template <typename T>
void Put(void* buffer, std::size_t offset, T value) {
    // Little-endian, like every structure of the system this layer stands for.
    auto* bytes = static_cast<unsigned char*>(buffer) + offset;
    using U = std::make_unsigned_t<T>;
    const auto bits = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}

// What a disk or volume query needs to know of the device behind a handle.
struct Medium {
    std::int64_t size = 0;
    std::uint32_t sectorBytes = kFileSectorBytes;
    bool removable = false;
};

// The kernel's removable mark of the disk that holds the block device `rdev`.
bool SysfsRemovable(dev_t rdev) {
    const std::string base =
        "/sys/dev/block/" + std::to_string(major(rdev)) + ":" + std::to_string(minor(rdev));
    for (const char* relative : {"/removable", "/../removable"}) {
        std::ifstream in(base + relative);
        int value = 0;
        if (in >> value) {
            return value != 0;
        }
    }
    return false;
}

// Disks and volumes are measured from the block device; where the map points one at a plain
// file, from the file. A file opened by its own path is no disk: the query is refused.
bool Measure(const HandleInfo& info, Medium& medium) {
    struct stat st {};
    if (::fstat(info.fd, &st) != 0) {
        SetLastError(linux_backend::WindowsError(errno));
        return false;
    }
    if (S_ISBLK(st.st_mode)) {
        std::uint64_t bytes = 0;
        int sectorBytes = 0;
        if (::ioctl(info.fd, BLKGETSIZE64, &bytes) != 0 ||
            ::ioctl(info.fd, BLKSSZGET, &sectorBytes) != 0) {
            SetLastError(linux_backend::WindowsError(errno));
            return false;
        }
        medium.size = static_cast<std::int64_t>(bytes);
        medium.sectorBytes = static_cast<std::uint32_t>(sectorBytes);
        medium.removable =
            info.kind == HandleInfo::Kind::Disk ? info.disk.removable : SysfsRemovable(st.st_rdev);
        return true;
    }
    if (S_ISREG(st.st_mode) && info.kind != HandleInfo::Kind::File) {
        medium.size = st.st_size;
        return true;
    }
    SetLastError(ERROR_INVALID_FUNCTION);
    return false;
}

// Answers a query about the medium behind the handle: `fill` writes the `size` bytes of the
// answer, zeroed first, from what was measured.
template <typename Fill>
BOOL Answer(const HandleInfo& info, void* out, DWORD outSize, DWORD* returned, DWORD size,
            Fill fill) {
    if (out == nullptr || outSize < size) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    Medium medium;
    if (!Measure(info, medium)) {
        return FALSE;
    }
    std::memset(out, 0, size);
    fill(out, medium);
    if (returned != nullptr) {
        *returned = size;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

void PutGeometryEx(void* out, const Medium& medium) {
    const std::int64_t cylinderBytes =
        std::int64_t{kTracksPerCylinder} * kSectorsPerTrack * medium.sectorBytes;
    Put<std::int64_t>(out, 0, medium.size / cylinderBytes);
    Put<std::int32_t>(out, 8, medium.removable ? RemovableMedia : FixedMedia);
    Put<std::uint32_t>(out, 12, kTracksPerCylinder);
    Put<std::uint32_t>(out, 16, kSectorsPerTrack);
    Put<std::uint32_t>(out, 20, medium.sectorBytes);
    Put<std::int64_t>(out, 24, medium.size);
}

void PutLengthInfo(void* out, const Medium& medium) {
    Put<std::int64_t>(out, 0, medium.size);
}

}  // namespace

BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, void* /*inBuffer*/, DWORD /*inBufferSize*/,
                     void* outBuffer, DWORD outBufferSize, DWORD* bytesReturned,
                     void* /*overlapped*/) {
    if (bytesReturned != nullptr) {
        *bytesReturned = 0;
    }
    const auto info = linux_backend::FindHandle(device);
    if (!info) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    switch (ioControlCode) {
        case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX:
            return Answer(*info, outBuffer, outBufferSize, bytesReturned, DISK_GEOMETRY_EX_SIZE,
                          PutGeometryEx);
        case IOCTL_DISK_GET_LENGTH_INFO:
            return Answer(*info, outBuffer, outBufferSize, bytesReturned,
                          GET_LENGTH_INFORMATION_SIZE, PutLengthInfo);
        case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS:
            if (info->kind != HandleInfo::Kind::Volume) {
                return Fail(ERROR_INVALID_FUNCTION);
            }
            return linux_backend::QueryVolumeDiskExtents(*info, outBuffer, outBufferSize,
                                                         bytesReturned);
        default:
            return Fail(ERROR_INVALID_FUNCTION);
    }
}

}  // namespace win
