// The safety net every test program starts with: only loop devices are in reach.
#include "support/safe_device_map.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace win;

namespace {

TEST(SafeDeviceMap, IsInstalledBeforeTheFirstTest) {
    const DeviceMap map = CurrentDeviceMap();
    for (const DiskEntry& disk : map.disks) {
        EXPECT_TRUE(std::string_view(disk.node).starts_with("/dev/loop")) << disk.node;
    }
    for (const VolumeEntry& volume : map.volumes) {
        EXPECT_TRUE(std::string_view(volume.node).starts_with("/dev/loop")) << volume.node;
    }
}

TEST(SafeDeviceMap, KeepsLoopDevicesAndRenumbersTheirDisks) {
    DeviceMap system;
    // Two disks that are no loop devices (named by made-up nodes) and one that is.
    system.disks = {{"/fixture/dev/vda", "vda", false},
                    {"/fixture/dev/sda", "sda", true},
                    {"/dev/loop3", "loop3", false}};
    VolumeEntry root;
    root.letter = 'C';
    root.node = "/fixture/dev/vda";
    root.diskNumber = 0;
    VolumeEntry share;
    share.letter = 'E';
    share.driveType = DRIVE_REMOTE;
    VolumeEntry loop;
    loop.letter = 'D';
    loop.node = "/dev/loop3p1";
    loop.diskNumber = 2;
    system.volumes = {root, loop, share};

    const DeviceMap safe = LoopOnly(system);
    ASSERT_EQ(safe.disks.size(), 1u);
    EXPECT_EQ(safe.disks[0].node, "/dev/loop3");
    ASSERT_EQ(safe.volumes.size(), 1u);
    EXPECT_EQ(safe.volumes[0].letter, 'D');
    EXPECT_EQ(safe.volumes[0].diskNumber, 0);
}

}  // namespace
