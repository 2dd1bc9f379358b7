// The facts of drive letters and the volume list, through the layer, on volumes that are files
// of the test.
#include <gtest/gtest.h>

#include <vector>

#include "discovery/nt_volume_info.h"
#include "discovery/nt_volume_list.h"
#include "discovery_fixture.h"
#include "engine/errors.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

using discovery_test::Volume;

constexpr std::int64_t kImageBytes = 2 << 20;

class VolumeListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fat_ = folder_.File("fat.img");
        blank_ = folder_.File("blank.img");
        if (!discovery_test::MakeFileSystemImage(fat_, kImageBytes,
                                                 {"mkfs.vfat", "-n", "DATA", "-i", "1234ABCD"})) {
            GTEST_SKIP() << "mkfs.vfat is missing";
        }
        ASSERT_TRUE(discovery_test::MakeFileSystemImage(blank_, kImageBytes, {}));
    }

    TempDir folder_;
    std::string fat_;
    std::string blank_;
};

TEST_F(VolumeListTest, FactsOfAFixedVolume) {
    win::VolumeEntry volume = Volume('D', fat_, win::DRIVE_FIXED, 1, folder_.Path());
    volume.startingOffset = 1048576;
    volume.extentLength = kImageBytes;
    ScopedDeviceMap scoped(win::DeviceMap{{}, {volume}});

    const TNTVolumeInfo info("D");
    EXPECT_EQ(info.VolumeLabel, "DATA");
    EXPECT_EQ(info.SerialNumber, "1234ABCD");
    EXPECT_EQ(info.FileSystem, "FAT12");
    EXPECT_GT(info.TotalSize, 0);
    EXPECT_LE(info.FreeSize, info.TotalSize);
    EXPECT_EQ(info.DriveType, "HD");
    EXPECT_EQ(info.Extent.DiskNumber, 1u);
    EXPECT_EQ(info.Extent.StartingOffset, 1048576);
    EXPECT_EQ(info.Extent.ExtentLength, kImageBytes);
}

TEST_F(VolumeListTest, ExtentAskedOnlyOfRemovableAndFixedVolumesThatOpen) {
    struct Case {
        win::UINT driveType;
        bool nodeExists;
        const char* tag;
        std::uint32_t diskNumber;
    };
    const Case cases[] = {
        {win::DRIVE_FIXED, true, "HD", 2},    {win::DRIVE_REMOVABLE, true, "RD", 2},
        {win::DRIVE_FIXED, false, "HD", 255},  // cannot be opened
        {win::DRIVE_CDROM, true, "CD", 255},  {win::DRIVE_RAMDISK, true, "RD", 255},
        {win::DRIVE_REMOTE, true, "ND", 255}, {win::DRIVE_UNKNOWN, true, "", 255},
    };
    for (const Case& c : cases) {
        const std::string node = c.nodeExists ? blank_ : folder_.File("missing");
        ScopedDeviceMap scoped(win::DeviceMap{{}, {Volume('E', node, c.driveType, 2)}});
        const TNTVolumeInfo info("E");
        EXPECT_EQ(info.DriveType, c.tag) << c.driveType;
        EXPECT_EQ(info.Extent.DiskNumber, c.diskNumber) << c.driveType << c.nodeExists;
    }
}

TEST_F(VolumeListTest, ListsLettersCToZWithADiskOrALabel) {
    win::DeviceMap map;
    map.volumes = {
        Volume('A', fat_, win::DRIVE_REMOVABLE, 0),  // never examined
        Volume('C', blank_, win::DRIVE_FIXED, 0),
        Volume('D', fat_, win::DRIVE_FIXED, 1),
        Volume('E', "", win::DRIVE_REMOTE, -1),
        Volume('F', fat_, win::DRIVE_CDROM, -1),
        Volume('G', folder_.File("missing"), win::DRIVE_FIXED, 2),
        Volume('Z', fat_, win::DRIVE_FIXED, -1),
    };
    ScopedDeviceMap scoped(map);

    const TNTVolumeList list;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"C", " (C:), HD0, , [0.00 MB/0.00 MB]"},
        {"D", "DATA (D:), HD1, FAT12, [0.00 MB/0.00 MB]"},
        {"F", "DATA (F:), CD255, FAT12, [0.00 MB/0.00 MB]"},
        {"Z", "DATA (Z:), HD255, FAT12, [0.00 MB/0.00 MB]"},
    };
    ASSERT_EQ(list.Count(), static_cast<std::int32_t>(expected.size()));
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.GetName(i), expected[i].first);
        EXPECT_EQ(list.GetCaption(i), expected[i].second);
    }
    EXPECT_EQ(list.Item.Drive, "Z");
    EXPECT_EQ(list.Item.SerialNumber, "1234ABCD");
}

TEST(VolumeListIndexTest, IndexOutsideTheListRaises) {
    ScopedDeviceMap scoped(win::DeviceMap{});
    const TNTVolumeList list;
    ASSERT_EQ(list.Count(), 0);
    for (const std::int32_t index : {0, -1, 24}) {
        try {
            list.GetCaption(index);
            ADD_FAILURE() << "no error for " << index;
        } catch (const EListError& error) {
            EXPECT_EQ(error.Message(), Format("List index out of bounds (%d)", index));
        }
        EXPECT_THROW(list.GetName(index), EListError);
    }
}

}  // namespace
