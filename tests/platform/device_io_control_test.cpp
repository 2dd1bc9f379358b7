// The disk queries of DeviceIoControl on disks and volumes that the map points at plain files.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <optional>

#include "engine/platform/winapi.h"
#include "support/scoped_device_map.h"
#include "support/scoped_handle.h"
#include "support/temp_dir.h"

using namespace win;

namespace {

constexpr std::int64_t kDiskBytes = 16 * 1024 * 1024 + 512;  // two cylinders of 255 × 63 × 512

// A map whose PhysicalDrive0 and volume C are sparse files of kDiskBytes, and a handle to the
// named one.
struct MappedDevice {
    TempDir dir;
    std::string file = dir.File("device.img");
    std::optional<ScopedDeviceMap> map;
    ScopedHandle handle;

    explicit MappedDevice(const char* path) {
        dir.WriteFile("device.img", "");
        std::filesystem::resize_file(file, kDiskBytes);
        map.emplace(DisksWithVolume({file}, 'C', file));
        handle.value = OpenShared(path, GENERIC_READ, OPEN_EXISTING);
    }
};

TEST(DeviceIoControl, GeometryFillsTheFortyBytesOfTheWindowsLayout) {
    MappedDevice disk("\\\\.\\PhysicalDrive0");
    ASSERT_GE(disk.handle.value, 0);
    std::array<unsigned char, 40> buffer;
    buffer.fill(0xAA);
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(disk.handle.value, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                                buffer.data(), 40, &returned, nullptr));
    EXPECT_EQ(returned, 40u);
    const std::array<unsigned char, 40> expected = {
        0x02, 0,    0,    0,    0, 0, 0, 0,   // Cylinders 2
        0x0C, 0,    0,    0,                  // MediaType 12, FixedMedia
        0xFF, 0,    0,    0,                  // TracksPerCylinder 255
        0x3F, 0,    0,    0,                  // SectorsPerTrack 63
        0x00, 0x02, 0,    0,                  // BytesPerSector 512
        0x00, 0x02, 0x00, 0x01, 0, 0, 0, 0,   // DiskSize 0x01000200
        0,    0,    0,    0,    0, 0, 0, 0};  // Data
    EXPECT_EQ(buffer, expected);
}

TEST(DeviceIoControl, LengthOfDisksAndVolumes) {
    for (const char* path : {"\\\\.\\PhysicalDrive0", "\\\\.\\C:"}) {
        MappedDevice device(path);
        ASSERT_GE(device.handle.value, 0) << path;
        std::array<unsigned char, 8> buffer{};
        DWORD returned = 0;
        ASSERT_TRUE(DeviceIoControl(device.handle.value, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0,
                                    buffer.data(), 8, &returned, nullptr))
            << path;
        EXPECT_EQ(returned, 8u);
        const std::array<unsigned char, 8> expected = {0x00, 0x02, 0x00, 0x01, 0, 0, 0, 0};
        EXPECT_EQ(buffer, expected) << path;
    }
}

struct RefusedCase {
    const char* name;
    bool plainFile;  // opened by its own path, not through the map
    DWORD code;
    DWORD bufferSize;
    DWORD error;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedQueries : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedQueries, FailWithTheReason) {
    const RefusedCase& c = GetParam();
    MappedDevice disk("\\\\.\\PhysicalDrive0");
    HANDLE handle = disk.handle.value;
    ScopedHandle plain;
    if (c.plainFile) {
        plain.value = OpenShared(disk.file, GENERIC_READ, OPEN_EXISTING);
        handle = plain.value;
    }
    ASSERT_GE(handle, 0);
    std::array<unsigned char, 64> buffer{};
    DWORD returned = 99;
    EXPECT_FALSE(DeviceIoControl(handle, c.code, nullptr, 0, buffer.data(), c.bufferSize, &returned,
                                 nullptr));
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(returned, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedQueries,
    ::testing::Values(RefusedCase{"GeometryBufferTooSmall", false, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX,
                                  39, ERROR_INSUFFICIENT_BUFFER},
                      RefusedCase{"LengthBufferTooSmall", false, IOCTL_DISK_GET_LENGTH_INFO, 7,
                                  ERROR_INSUFFICIENT_BUFFER},
                      RefusedCase{"GeometryOfAPlainFile", true, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX,
                                  40, ERROR_INVALID_FUNCTION},
                      RefusedCase{"LengthOfAPlainFile", true, IOCTL_DISK_GET_LENGTH_INFO, 8,
                                  ERROR_INVALID_FUNCTION},
                      RefusedCase{"ExtentsOfADisk", false, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 64,
                                  ERROR_INVALID_FUNCTION},
                      RefusedCase{"UnknownCode", false, 0x00123456u, 64, ERROR_INVALID_FUNCTION}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
