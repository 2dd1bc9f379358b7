// A disk with a mounted partition as the target, on a loop device of the test's own: --force
// unmounts the file system and writes the disk; without --force, or when the file system holds
// the source, it stays mounted and the disk is not written.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "cli_fixture.h"
#include "engine/platform/linux/device_map_builder.h"
#include "support/image_files.h"
#include "support/loop_device.h"
#include "support/safe_device_map.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

bool IsMountPoint(const std::string& folder) {
    return ReadWholeFile("/proc/self/mountinfo").find(" " + folder + " ") != std::string::npos;
}

class MountedTarget : public testing::Test {
  protected:
    void SetUp() override {
        if (!LoopDevice::Available()) {
            GTEST_SKIP() << LoopDevice::WhyUnavailable();
        }
        loop.emplace(
            MountedFirstPartition(8 << 20, "label: dos\nstart=2048, size=8192, type=83\n"));
        map.emplace(DisksOnly({loop->Node()}));
    }

    std::optional<LoopDevice> loop;
    std::optional<ScopedDeviceMap> map;
    TempDir folder;
    std::string image = Pattern(1 << 20, 7);
};

TEST_F(MountedTarget, ForceUnmountsTheFileSystemAndWritesTheDisk) {
    const std::string in = folder.WriteFile("in.img", image);
    const CommandRun refused = RunImage({in, "PhysicalDrive0"});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_TRUE(IsMountPoint(loop->MountPoint()));

    const CommandRun forced = RunImage({"--force", in, "PhysicalDrive0"});
    EXPECT_EQ(forced.status, kExitComplete) << forced.err;
    EXPECT_FALSE(IsMountPoint(loop->MountPoint()));
    EXPECT_TRUE(SameBytes(ReadWholeFile(loop->Node()).substr(0, image.size()), image));
}

TEST_F(MountedTarget, AFileSystemHoldingTheSourceStaysMounted) {
    const std::string in = loop->MountPoint() + "/in.img";
    std::ofstream(in, std::ios::binary) << image;
    const std::string before = ReadWholeFile(loop->Node());
    const CommandRun run = RunImage({"--force", in, "PhysicalDrive0"});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("holds the source"), std::string::npos) << run.err;
    EXPECT_TRUE(IsMountPoint(loop->MountPoint()));
    EXPECT_TRUE(SameBytes(ReadWholeFile(loop->Node()), before));
}

// The volume is named by its drive letter in a map built anew from the system, as in the
// program: once unmounted it has no letter any more, and the copy still writes it.
TEST_F(MountedTarget, ForceWritesAnUnmountedVolumeByItsDevice) {
    const std::string partition = loop->PartitionNode(1);
    const ScopedDeviceMap system([partition] {
        win::DeviceMap all = LoopOnly(win::linux_backend::BuildSystemDeviceMap());
        win::DeviceMap ours;
        for (const win::VolumeEntry& volume : all.volumes) {
            if (volume.node == partition) {
                ours.volumes.push_back(volume);
            }
        }
        return ours;
    });
    const win::DeviceMap before = win::CurrentDeviceMap();
    ASSERT_EQ(before.volumes.size(), 1u);
    const std::string letter = std::string(1, before.volumes[0].letter) + ":";

    const std::string in = folder.WriteFile("in.img", image);
    const CommandRun forced = RunImage({"--force", in, letter});
    EXPECT_EQ(forced.status, kExitComplete) << forced.err;
    EXPECT_FALSE(IsMountPoint(loop->MountPoint()));
    EXPECT_TRUE(SameBytes(ReadWholeFile(partition).substr(0, image.size()), image));
}

}  // namespace
