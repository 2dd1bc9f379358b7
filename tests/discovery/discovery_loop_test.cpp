// Drive discovery on real block devices: a loop device of the test with an ext4 partition that
// the test mounts and a FAT partition it leaves unmounted.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <optional>

#include "discovery/endpoint_menu.h"
#include "discovery/nt_volume_info.h"
#include "discovery/nt_volume_list.h"
#include "discovery_fixture.h"
#include "engine/errors.h"
#include "support/loop_device.h"
#include "support/run_command.h"
#include "support/scoped_device_map.h"

namespace {

constexpr std::int64_t kSectorBytes = 512;
constexpr std::int64_t kExtStart = 2048;
constexpr std::int64_t kExtSectors = 32768;

LoopDeviceOptions TwoPartitions() {
    LoopDeviceOptions options;
    options.sizeBytes = 64 << 20;
    options.partitionTable = "label: dos\nstart=2048, size=32768, type=83\nstart=34816, type=c\n";
    options.formatPartition = 1;
    options.label = "VARNELDISC";
    options.mount = true;
    return options;
}

std::optional<std::int32_t> DiskNumberOf(const win::DeviceMap& map, const std::string& node) {
    for (std::size_t i = 0; i < map.disks.size(); ++i) {
        if (map.disks[i].node == node) {
            return static_cast<std::int32_t>(i);
        }
    }
    return std::nullopt;
}

const win::VolumeEntry* VolumeOf(const win::DeviceMap& map, const std::string& node) {
    for (const win::VolumeEntry& volume : map.volumes) {
        if (volume.node == node) {
            return &volume;
        }
    }
    return nullptr;
}

class DiscoveryLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!LoopDevice::Available()) {
            GTEST_SKIP() << LoopDevice::WhyUnavailable();
        }
        loop_.emplace(TwoPartitions());
    }

    std::optional<LoopDevice> loop_;
};

TEST_F(DiscoveryLoopTest, MountedPartitionGetsALetterCaptionAndExtent) {
    // The test program's map shows loop devices only; ours is one of them.
    const win::DeviceMap map = win::CurrentDeviceMap();
    const auto disk = DiskNumberOf(map, loop_->Node());
    const win::VolumeEntry* volume = VolumeOf(map, loop_->PartitionNode(1));
    ASSERT_TRUE(disk.has_value()) << loop_->Node() << " is not among the disks";
    ASSERT_NE(volume, nullptr) << loop_->PartitionNode(1) << " has no drive letter";
    const std::string drive(1, volume->letter);
    const std::string tag = volume->driveType == win::DRIVE_REMOVABLE ? "RD" : "HD";

    struct statvfs stats {};
    ASSERT_EQ(statvfs(loop_->MountPoint().c_str(), &stats), 0);
    const auto total = static_cast<std::int64_t>(stats.f_blocks * stats.f_frsize);
    const auto free = static_cast<std::int64_t>(stats.f_bavail * stats.f_frsize);

    const TNTVolumeInfo info(drive);
    EXPECT_EQ(info.VolumeLabel, "VARNELDISC");
    EXPECT_EQ(info.FileSystem, "ext4");
    EXPECT_EQ(info.SerialNumber.size(), 8u);
    EXPECT_EQ(info.TotalSize, total);
    EXPECT_EQ(info.FreeSize, free);
    EXPECT_EQ(info.DriveType, tag);
    EXPECT_EQ(info.Extent.DiskNumber, static_cast<std::uint32_t>(*disk));
    EXPECT_EQ(info.Extent.StartingOffset, kExtStart * kSectorBytes);
    EXPECT_EQ(info.Extent.ExtentLength, kExtSectors * kSectorBytes);

    const std::string caption = "VARNELDISC (" + drive + ":), " + tag + std::to_string(*disk) +
                                ", ext4, [" + FormatSize(static_cast<double>(free)) + "/" +
                                FormatSize(static_cast<double>(total)) + "]";
    const TNTVolumeList list;
    std::optional<std::string> listed;
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        if (list.GetName(i) == drive) {
            listed = list.GetCaption(i);
        }
    }
    EXPECT_EQ(listed, caption);

    const std::string diskName = "PhysicalDrive" + std::to_string(*disk);
    bool diskListed = false;
    for (const MenuEntry& entry : BuildEndpointMenu(MenuSide::Target, "PhysicalDrive", "\\\\.\\")) {
        if (entry.name == diskName + "x") {
            diskListed = true;
            EXPECT_EQ(entry.caption,
                      Format("HD%d, %s, [0GB]", *disk,
                             map.disks[*disk].removable ? "Removable Drive" : "Fixed Drive"));
        }
    }
    EXPECT_TRUE(diskListed) << diskName;
}

TEST_F(DiscoveryLoopTest, FatPartitionLabelSerialAndFileSystem) {
    const std::string fat = loop_->PartitionNode(2);
    ASSERT_EQ(RunCommand({"mkfs.vfat", "-n", "LOOPFAT", "-i", "2468ACE0", fat}).exitCode, 0);
    ScopedDeviceMap scoped(
        win::DeviceMap{{}, {discovery_test::Volume('F', fat, win::DRIVE_REMOVABLE, -1)}});
    const TNTVolumeInfo info("F");
    EXPECT_EQ(info.VolumeLabel, "LOOPFAT");
    EXPECT_EQ(info.SerialNumber, "2468ACE0");
    EXPECT_EQ(info.FileSystem, "FAT16");
    EXPECT_EQ(info.DriveType, "RD");
    EXPECT_EQ(info.TotalSize, 0);  // not mounted: no free-space figures
}

}  // namespace
