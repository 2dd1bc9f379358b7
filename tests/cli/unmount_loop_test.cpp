// A disk with a mounted partition as the target, on a loop device of the test's own: --force
// unmounts the file system and writes the disk; without --force, or when the file system holds
// the source, it stays mounted and the disk is not written.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/loop_device.h"
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

}  // namespace
