// How one letter's facts become a list entry and its caption.
#include <gtest/gtest.h>

#include "discovery/nt_volume_list.h"
#include "support/scoped_device_map.h"

namespace {

// The facts of a letter with no volume, as a start for fixed facts.
TNTVolumeInfo NoVolume(const std::string& drive) {
    ScopedDeviceMap empty(win::DeviceMap{});
    return TNTVolumeInfo(drive);
}

TEST(VolumeCaptionTest, WorkedExample) {
    VolumeItem item;
    item.Drive = "D";
    item.VolumeLabel = "Data";
    item.DiskTag = "HD1";
    item.FileSystem = "NTFS";
    item.TotalSize = 100LL * 1073741824;
    item.FreeSize = 50LL * 1073741824;
    EXPECT_EQ(VolumeCaption(item), "Data (D:), HD1, NTFS, [50.00 GB/100.00 GB]");
}

TEST(VolumeCaptionTest, AbsentLetterKeepsEveryDefault) {
    const TNTVolumeInfo info = NoVolume("Q");
    EXPECT_EQ(info.Drive, "Q");
    EXPECT_EQ(info.VolumeLabel, "");
    EXPECT_EQ(info.SerialNumber, "");
    EXPECT_EQ(info.FileSystem, "");
    EXPECT_EQ(info.TotalSize, 0);
    EXPECT_EQ(info.FreeSize, 0);
    EXPECT_EQ(info.DriveType, "");
    EXPECT_EQ(info.Extent.DiskNumber, 255u);
    EXPECT_FALSE(IsListedVolume(info));
}

struct EntryCase {
    const char* driveType;
    std::uint32_t diskNumber;
    const char* label;
    bool listed;
    const char* caption;  // when listed
};

void PrintTo(const EntryCase& c, std::ostream* os) {
    *os << c.driveType << c.diskNumber << " \"" << c.label << '"';
}

class VolumeEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(VolumeEntryTest, ListedOnADiskOrWithALabel) {
    const EntryCase& c = GetParam();
    TNTVolumeInfo info = NoVolume("E");
    info.DriveType = c.driveType;
    info.Extent.DiskNumber = c.diskNumber;
    info.VolumeLabel = c.label;
    info.FileSystem = "NTFS";
    info.TotalSize = 2LL * 1073741824;
    info.FreeSize = 0;
    ASSERT_EQ(IsListedVolume(info), c.listed);
    if (c.listed) {
        const VolumeItem item = MakeVolumeItem(info);
        EXPECT_TRUE(item.Valid);
        EXPECT_EQ(VolumeCaption(item), c.caption);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VolumeEntryTest,
    ::testing::Values(
        EntryCase{"HD", 0, "", true, " (E:), HD0, NTFS, [0.00 MB/2.00 GB]"},
        EntryCase{"HD", 255, "", false, ""},  // a fixed volume that could not be opened
        EntryCase{"ND", 255, "Share", true, "Share (E:), ND255, NTFS, [0.00 MB/2.00 GB]"},
        EntryCase{"ND", 255, "", false, ""},
        EntryCase{"CD", 255, "Disc", true, "Disc (E:), CD255, NTFS, [0.00 MB/2.00 GB]"},
        EntryCase{"RD", 255, "Ram", true, "Ram (E:), RD255, NTFS, [0.00 MB/2.00 GB]"},
        EntryCase{"RD", 2, "", true, " (E:), RD2, NTFS, [0.00 MB/2.00 GB]"}));

}  // namespace
