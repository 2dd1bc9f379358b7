// The layer on real block devices: loop devices that the tests create, one partitioned with a
// mounted ext4 file system on its partition.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "engine/platform/device_map.h"
#include "engine/platform/winapi.h"
#include "support/loop_device.h"
#include "support/scoped_device_map.h"
#include "support/scoped_handle.h"

using namespace win;

namespace {

constexpr std::int64_t kDiskBytes = 32 << 20;
constexpr std::int64_t kPartitionStart = 1 << 20;

HANDLE Open(const char* path, DWORD access, DWORD flags) {
    return OpenShared(path, access, OPEN_EXISTING, flags);
}

std::int64_t Int64At(const unsigned char* bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return static_cast<std::int64_t>(value);
}

// One partitioned loop disk whose first partition holds a mounted ext4 file system, named by
// PhysicalDrive0 and drive C; a second, blank loop disk as PhysicalDrive1.
class BlockDevices : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!LoopDevice::Available()) {
            return;
        }
        mounted.emplace(MountedFirstPartition(kDiskBytes, "label: dos\nstart=2048, type=83\n"));
        blank.emplace(LoopDeviceOptions{});
    }
    static void TearDownTestSuite() {
        mounted.reset();
        blank.reset();
    }
    void SetUp() override {
        if (!LoopDevice::Available()) {
            GTEST_SKIP() << LoopDevice::WhyUnavailable();
        }
        ASSERT_TRUE(mounted && blank) << "the loop devices could not be set up";
        map.emplace(DisksWithVolume({mounted->Node(), blank->Node()}, 'C',
                                    mounted->PartitionNode(1), mounted->MountPoint()));
    }

    static inline std::optional<LoopDevice> mounted;
    static inline std::optional<LoopDevice> blank;
    std::optional<ScopedDeviceMap> map;
};

TEST_F(BlockDevices, MountedDisksAndVolumesAreNotClaimedForWriting) {
    for (const char* path : {"\\\\.\\PhysicalDrive0", "\\\\.\\C:"}) {
        ScopedHandle claimed{Open(path, GENERIC_READ | GENERIC_WRITE, FILE_FLAG_EXCLUSIVE_DEVICE)};
        EXPECT_EQ(claimed.value, INVALID_HANDLE_VALUE) << path;
        EXPECT_EQ(GetLastError(), ERROR_DEVICE_IN_USE) << path;

        // Without the claim the device opens, for a question about it or for reading, but
        // nothing can be written through it: that would write under the mounted file system.
        ScopedHandle shared{Open(path, GENERIC_READ | GENERIC_WRITE, 0)};
        ASSERT_GE(shared.value, 0) << path;
        std::array<unsigned char, GET_LENGTH_INFORMATION_SIZE> length{};
        DWORD returned = 0;
        EXPECT_TRUE(DeviceIoControl(shared.value, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0,
                                    length.data(), GET_LENGTH_INFORMATION_SIZE, &returned, nullptr))
            << path;
        std::array<unsigned char, 512> sector{};
        DWORD done = 0;
        ASSERT_TRUE(ReadFile(shared.value, sector.data(), 512, &done, nullptr)) << path;
        ASSERT_TRUE(SetFilePointerEx(shared.value, 0, nullptr, FILE_BEGIN));
        EXPECT_FALSE(WriteFile(shared.value, sector.data(), 512, &done, nullptr)) << path;
        EXPECT_EQ(done, 0u) << path;
        ScopedHandle reading{Open(path, GENERIC_READ, FILE_FLAG_EXCLUSIVE_DEVICE)};
        EXPECT_GE(reading.value, 0) << path;
    }
}

TEST_F(BlockDevices, AClaimedDiskIsNotClaimedTwice) {
    ScopedHandle first{
        Open("\\\\.\\PhysicalDrive1", GENERIC_READ | GENERIC_WRITE, FILE_FLAG_EXCLUSIVE_DEVICE)};
    ASSERT_GE(first.value, 0) << FormatSystemMessage(GetLastError());
    ScopedHandle second{
        Open("\\\\.\\PhysicalDrive1", GENERIC_READ | GENERIC_WRITE, FILE_FLAG_EXCLUSIVE_DEVICE)};
    EXPECT_EQ(second.value, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_IN_USE);
}

TEST_F(BlockDevices, GeometryAndLengthComeFromTheDevice) {
    ScopedHandle disk{Open("\\\\.\\PhysicalDrive0", GENERIC_READ, 0)};
    ASSERT_GE(disk.value, 0);
    std::array<unsigned char, 40> geometry;
    geometry.fill(0xAA);
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(disk.value, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                                geometry.data(), 40, &returned, nullptr));
    EXPECT_EQ(Int64At(&geometry[0]), kDiskBytes / (255 * 63 * 512));
    EXPECT_EQ(geometry[8], FixedMedia);
    EXPECT_EQ(geometry[12], 255);
    EXPECT_EQ(geometry[16], 63);
    EXPECT_EQ(geometry[20] | geometry[21] << 8, 512);
    EXPECT_EQ(Int64At(&geometry[24]), kDiskBytes);
    EXPECT_EQ(Int64At(&geometry[32]), 0);

    ScopedHandle volume{Open("\\\\.\\C:", GENERIC_READ, 0)};
    ASSERT_GE(volume.value, 0);
    std::array<unsigned char, 8> length{};
    ASSERT_TRUE(DeviceIoControl(volume.value, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, length.data(),
                                8, &returned, nullptr));
    EXPECT_EQ(Int64At(length.data()), kDiskBytes - kPartitionStart);
}

TEST_F(BlockDevices, ReadsAndWritesReachTheDevice) {
    ScopedHandle disk{
        Open("\\\\.\\PhysicalDrive1", GENERIC_READ | GENERIC_WRITE, FILE_FLAG_EXCLUSIVE_DEVICE)};
    ASSERT_GE(disk.value, 0);
    const std::string sector(512, 's');
    DWORD done = 0;
    ASSERT_TRUE(SetFilePointerEx(disk.value, kDiskBytes - 512, nullptr, FILE_BEGIN));
    ASSERT_TRUE(WriteFile(disk.value, sector.data(), 512, &done, nullptr));
    EXPECT_EQ(done, 512u);
    ASSERT_TRUE(FlushFileBuffers(disk.value));
    LONGLONG end = 0;
    ASSERT_TRUE(SetFilePointerEx(disk.value, 0, &end, FILE_END));
    EXPECT_EQ(end, kDiskBytes);
    ASSERT_TRUE(SetFilePointerEx(disk.value, -512, nullptr, FILE_END));
    std::string back(1024, '\0');
    ASSERT_TRUE(ReadFile(disk.value, back.data(), 1024, &done, nullptr));
    EXPECT_EQ(done, 512u);  // the end of the device
    EXPECT_EQ(back.substr(0, 512), sector);
}

TEST_F(BlockDevices, TheSystemMapListsTheLoopDiskAndItsMountedPartition) {
    map.reset();  // back to the safety net: the system's map, loop devices only
    const DeviceMap system = CurrentDeviceMap();
    std::int32_t diskNumber = -1;
    for (std::size_t i = 0; i < system.disks.size(); ++i) {
        if (system.disks[i].name == mounted->Name()) {
            diskNumber = static_cast<std::int32_t>(i);
            EXPECT_EQ(system.disks[i].node, mounted->Node());
        }
    }
    ASSERT_GE(diskNumber, 0) << mounted->Name() << " is not listed";
    const VolumeEntry* found = nullptr;
    for (const VolumeEntry& volume : system.volumes) {
        if (volume.node == mounted->PartitionNode(1)) {
            found = &volume;
        }
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->mountPoint, mounted->MountPoint());
    EXPECT_EQ(found->fsType, "ext4");
    EXPECT_EQ(found->driveType, DRIVE_FIXED);
    EXPECT_EQ(found->diskNumber, diskNumber);
    EXPECT_EQ(found->startingOffset, kPartitionStart);
    EXPECT_EQ(found->extentLength, kDiskBytes - kPartitionStart);
}

}  // namespace
