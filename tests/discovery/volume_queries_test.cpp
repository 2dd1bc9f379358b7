// The layer's volume queries on drive roots, answered from a replaced device map.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <array>
#include <cstring>
#include <vector>

#include "discovery_fixture.h"
#include "engine/platform/linux/handle_table.h"
#include "engine/platform/winapi.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

using discovery_test::Volume;

TEST(VolumeQueriesTest, DriveTypeOfRoots) {
    TempDir folder;
    win::DeviceMap map;
    map.volumes.push_back(Volume('D', folder.File("d"), win::DRIVE_FIXED, 0));
    map.volumes.push_back(Volume('E', "", win::DRIVE_REMOTE, -1));
    map.volumes.push_back(Volume('F', folder.File("f"), win::DRIVE_REMOVABLE, 1));
    ScopedDeviceMap scoped(map);
    struct Case {
        const char* root;
        win::UINT type;
    };
    const Case cases[] = {
        {"D:\\", win::DRIVE_FIXED},       {"d:\\", win::DRIVE_FIXED},
        {"E:\\", win::DRIVE_REMOTE},      {"F:\\", win::DRIVE_REMOVABLE},
        {"G:\\", win::DRIVE_NO_ROOT_DIR},  // no volume
        {"D:", win::DRIVE_NO_ROOT_DIR},   {"D:\\x", win::DRIVE_NO_ROOT_DIR},
        {"", win::DRIVE_NO_ROOT_DIR},     {"1:\\", win::DRIVE_NO_ROOT_DIR},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(win::GetDriveTypeA(c.root), c.type) << c.root;
    }
    EXPECT_EQ(win::GetDriveTypeA(nullptr), win::DRIVE_NO_ROOT_DIR);
}

struct ImageCase {
    std::vector<std::string> mkfs;
    std::int64_t bytes;
    const char* label;
    win::DWORD serial;
    const char* fileSystem;
};

void PrintTo(const ImageCase& c, std::ostream* os) {
    *os << c.fileSystem;
}

class VolumeInformationTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(VolumeInformationTest, LabelSerialAndFileSystemFromTheDevice) {
    const ImageCase& c = GetParam();
    TempDir folder;
    const std::string image = folder.File("volume.img");
    if (!discovery_test::MakeFileSystemImage(image, c.bytes, c.mkfs)) {
        GTEST_SKIP() << "cannot make the file system with " << c.mkfs[0];
    }
    win::DeviceMap map;
    map.volumes.push_back(Volume('K', image, win::DRIVE_FIXED, 0));
    ScopedDeviceMap scoped(map);

    std::array<char, 261> label{};
    std::array<char, 32> fileSystem{};
    win::DWORD serial = 0;
    win::DWORD nameMax = 0;
    win::DWORD flags = 0;
    ASSERT_TRUE(win::GetVolumeInformationA("K:\\", label.data(), label.size(), &serial, &nameMax,
                                           &flags, fileSystem.data(), fileSystem.size()));
    EXPECT_STREQ(label.data(), c.label);
    EXPECT_EQ(serial, c.serial);
    EXPECT_STREQ(fileSystem.data(), c.fileSystem);
}

INSTANTIATE_TEST_SUITE_P(
    FileSystems, VolumeInformationTest,
    ::testing::Values(
        ImageCase{
            {"mkfs.vfat", "-n", "SMALL", "-i", "1234ABCD"}, 2 << 20, "SMALL", 0x1234ABCDu, "FAT12"},
        ImageCase{{"mkfs.vfat", "-F", "16", "-n", "MIDDLE", "-i", "00C0FFEE"},
                  16 << 20,
                  "MIDDLE",
                  0x00C0FFEEu,
                  "FAT16"},
        ImageCase{{"mkfs.vfat", "-F", "32", "-s", "1", "-n", "BIG", "-i", "CAFEF00D"},
                  40 << 20,
                  "BIG",
                  0xCAFEF00Du,
                  "FAT32"},
        ImageCase{{"mkfs.ext4", "-q", "-F", "-L", "linuxdata", "-U",
                   "0badcafe-1234-4321-8765-0123456789ab"},
                  4 << 20,
                  "linuxdata",
                  0x0BADCAFEu,
                  "ext4"}));

TEST(VolumeQueriesTest, NamesAreCutToTheBuffersAndZeroTerminated) {
    TempDir folder;
    const std::string image = folder.File("fat.img");
    if (!discovery_test::MakeFileSystemImage(image, 2 << 20, {"mkfs.vfat", "-n", "LONGLABEL"})) {
        GTEST_SKIP() << "mkfs.vfat is missing";
    }
    win::DeviceMap map;
    map.volumes.push_back(Volume('K', image, win::DRIVE_FIXED, 0));
    ScopedDeviceMap scoped(map);
    std::array<char, 8> label;
    std::array<char, 8> fileSystem;
    label.fill('#');
    fileSystem.fill('#');
    ASSERT_TRUE(win::GetVolumeInformationA("K:\\", label.data(), 4, nullptr, nullptr, nullptr,
                                           fileSystem.data(), 3));
    EXPECT_EQ(std::string(label.data(), 5), std::string("LON\0#", 5));
    EXPECT_EQ(std::string(fileSystem.data(), 4), std::string("FA\0#", 4));
    // Buffers of no size are left alone.
    ASSERT_TRUE(win::GetVolumeInformationA("K:\\", label.data(), 0, nullptr, nullptr, nullptr,
                                           fileSystem.data(), 0));
    EXPECT_EQ(label[0], 'L');
}

TEST(VolumeQueriesTest, VolumesWithoutReadableFactsAndAbsentLetters) {
    TempDir folder;
    const std::string blank = folder.File("blank.img");
    ASSERT_TRUE(discovery_test::MakeFileSystemImage(blank, 1 << 20, {}));
    win::DeviceMap map;
    map.volumes.push_back(Volume('D', folder.File("missing"), win::DRIVE_FIXED, 0));
    map.volumes.push_back(Volume('E', blank, win::DRIVE_FIXED, 0));
    win::VolumeEntry share = Volume('N', "", win::DRIVE_REMOTE, -1, folder.Path());
    share.fsType = "nfs4";
    map.volumes.push_back(share);
    ScopedDeviceMap scoped(map);

    struct Case {
        const char* root;
        win::BOOL result;
        const char* fileSystem;
    };
    const Case cases[] = {
        {"D:\\", win::TRUE, ""},     // the device cannot be read
        {"E:\\", win::TRUE, ""},     // no file system on it
        {"N:\\", win::TRUE, "NFS"},  // a network share: no label, the mount table's type
        {"Z:\\", win::FALSE, ""},
    };
    for (const Case& c : cases) {
        std::array<char, 261> label;
        std::array<char, 32> fileSystem;
        label.fill('#');
        fileSystem.fill('#');
        win::DWORD serial = 77;
        win::SetLastError(0);
        ASSERT_EQ(win::GetVolumeInformationA(c.root, label.data(), label.size(), &serial, nullptr,
                                             nullptr, fileSystem.data(), fileSystem.size()),
                  c.result)
            << c.root;
        if (c.result) {
            EXPECT_STREQ(label.data(), "") << c.root;
            EXPECT_EQ(serial, 0u) << c.root;
            EXPECT_STREQ(fileSystem.data(), c.fileSystem) << c.root;
        } else {
            EXPECT_EQ(win::GetLastError(), win::ERROR_PATH_NOT_FOUND);
        }
    }
}

TEST(VolumeQueriesTest, FreeSpaceOfTheMountPoint) {
    TempDir folder;
    win::DeviceMap map;
    map.volumes.push_back(Volume('D', folder.File("d"), win::DRIVE_FIXED, 0, folder.Path()));
    map.volumes.push_back(Volume('E', folder.File("e"), win::DRIVE_FIXED, 0));  // not mounted
    ScopedDeviceMap scoped(map);

    win::ULONGLONG available = 0;
    win::ULONGLONG total = 0;
    win::ULONGLONG totalFree = 0;
    ASSERT_TRUE(win::GetDiskFreeSpaceExA("D:\\", &available, &total, &totalFree));
    struct statvfs stats {};
    ASSERT_EQ(statvfs(folder.Path().c_str(), &stats), 0);
    EXPECT_EQ(total, static_cast<win::ULONGLONG>(stats.f_blocks) * stats.f_frsize);
    // Free space moves with other people's files; the counts only have to be consistent.
    EXPECT_GT(total, 0u);
    EXPECT_LE(available, totalFree);
    EXPECT_LE(totalFree, total);

    EXPECT_FALSE(win::GetDiskFreeSpaceExA("E:\\", &available, &total, &totalFree));
    EXPECT_FALSE(win::GetDiskFreeSpaceExA("F:\\", &available, &total, &totalFree));
    EXPECT_EQ(win::GetLastError(), win::ERROR_PATH_NOT_FOUND);
}

win::linux_backend::HandleInfo VolumeHandle(std::int32_t diskNumber) {
    win::linux_backend::HandleInfo info;
    info.kind = win::linux_backend::HandleInfo::Kind::Volume;
    info.volume.diskNumber = diskNumber;
    info.volume.startingOffset = 0x0102030405060708;
    info.volume.extentLength = 0x1112131415161718;
    return info;
}

TEST(VolumeDiskExtentsTest, OneExtentInTheWindowsLayout) {
    std::vector<unsigned char> buffer(260, 0xAA);
    win::DWORD returned = 0;
    ASSERT_TRUE(
        win::linux_backend::QueryVolumeDiskExtents(VolumeHandle(3), buffer.data(), 260, &returned));
    EXPECT_EQ(returned, 32u);
    const std::vector<unsigned char> expected = {
        1,    0,    0,    0,    0,    0,    0,    0,     // one extent, padding
        3,    0,    0,    0,    0,    0,    0,    0,     // DiskNumber, padding
        0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // StartingOffset
        0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11,  // ExtentLength
    };
    EXPECT_EQ(std::vector<unsigned char>(buffer.begin(), buffer.begin() + 32), expected);
    EXPECT_EQ(buffer[32], 0xAA);
}

TEST(VolumeDiskExtentsTest, RefusedLikeWindows) {
    struct Case {
        win::linux_backend::HandleInfo info;
        win::DWORD size;
        win::DWORD error;
    };
    win::linux_backend::HandleInfo file = VolumeHandle(0);
    file.kind = win::linux_backend::HandleInfo::Kind::File;
    const Case cases[] = {
        {VolumeHandle(-1), 260, win::ERROR_INVALID_FUNCTION},  // on no listed disk
        {file, 260, win::ERROR_INVALID_FUNCTION},
        {VolumeHandle(0), 31, win::ERROR_INSUFFICIENT_BUFFER},  // no room for one extent
        {VolumeHandle(0), 8, win::ERROR_INSUFFICIENT_BUFFER},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> buffer(260, 0);
        win::DWORD returned = 99;
        EXPECT_FALSE(
            win::linux_backend::QueryVolumeDiskExtents(c.info, buffer.data(), c.size, &returned));
        EXPECT_EQ(win::GetLastError(), c.error);
        EXPECT_EQ(returned, 0u);
    }
}

}  // namespace
