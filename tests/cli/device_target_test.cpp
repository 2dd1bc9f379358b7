// Disks and volumes named in every form the command takes, mapped to files of the test: they
// are read like any source and written only with --force.
#include <gtest/gtest.h>

#include <limits>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

constexpr std::size_t kDeviceBytes = 1 << 20;

// PhysicalDrive0 and volume D, each a file of its own in the test's folder.
class DeviceTargetFixture {
  public:
    DeviceTargetFixture()
        : disk_(folder_.WriteFile("disk0", Pattern(kDeviceBytes, 11))),
          volume_(folder_.WriteFile("volumeD", Pattern(kDeviceBytes, 12))),
          map_(MakeMap(disk_, volume_)) {}

    const TempDir& Folder() const { return folder_; }
    // The file that stands for a name: PhysicalDrive0 forms or D forms.
    const std::string& Node(const std::string& name) const {
        return name.find("PhysicalDrive") != std::string::npos ? disk_ : volume_;
    }

  private:
    static win::DeviceMap MakeMap(const std::string& disk, const std::string& volume) {
        win::DeviceMap map = DisksOnly({disk});
        win::VolumeEntry entry;
        entry.letter = 'D';
        entry.node = volume;
        entry.driveType = win::DRIVE_FIXED;
        entry.diskNumber = -1;
        entry.extentLength = kDeviceBytes;
        map.volumes.push_back(entry);
        return map;
    }

    TempDir folder_;
    std::string disk_;
    std::string volume_;
    ScopedDeviceMap map_;
};

class DeviceNameTest : public testing::TestWithParam<std::string> {};

TEST_P(DeviceNameTest, WritesADeviceOnlyWithForce) {
    const DeviceTargetFixture devices;
    const std::string name = GetParam();
    const std::string node = devices.Node(name);
    const std::string before = ReadWholeFile(node);
    const std::string image = Pattern(5000, 3);
    const std::string in = devices.Folder().WriteFile("in.img", image);

    const auto refused = RunImage({in, name});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_NE(refused.err.find("is not overwritten without --force"), std::string::npos)
        << refused.err;
    const std::string path = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
    EXPECT_NE(refused.err.find("\"" + path + "\""), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(SameBytes(ReadWholeFile(node), before));

    const auto forced = RunImage({"--force", in, name});
    ASSERT_EQ(forced.status, kExitComplete) << forced.err;
    EXPECT_EQ(forced.out, "Disk image complete!\n");
    EXPECT_TRUE(SameBytes(ReadWholeFile(node), ExpectedTarget(image, 0, 512, before)));
}

TEST_P(DeviceNameTest, ReadsADeviceAsSource) {
    const DeviceTargetFixture devices;
    const std::string name = GetParam();
    const std::string out = devices.Folder().File("out.img");

    const auto run = RunImage({"-s", "520", name, out});

    ASSERT_EQ(run.status, kExitComplete) << run.err;
    EXPECT_TRUE(SameBytes(ReadWholeFile(out),
                          ExpectedTarget(ReadWholeFile(devices.Node(name)), 0, 520, "")));
}

// A device that cannot take the whole image is not written, even with --force.
TEST(DeviceTargetTest, RefusesADeviceTooSmallForTheImage) {
    const DeviceTargetFixture devices;
    const std::string before = ReadWholeFile(devices.Node("PhysicalDrive0"));
    const std::string in = devices.Folder().WriteFile("in.img", Pattern(kDeviceBytes + 512));

    const auto run = RunImage({"--force", in, "PhysicalDrive0"});

    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("is too small"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(SameBytes(ReadWholeFile(devices.Node("PhysicalDrive0")), before));
}

// PhysicalDrive0 leads to another disk once the question is answered (the asked disk was
// unplugged and another took its number): the copy writes neither.
TEST(DeviceTargetTest, WritesOnlyTheDiskItAskedAbout) {
    const TempDir folder;
    const std::string asked = folder.WriteFile("asked", Pattern(kDeviceBytes, 11));
    const std::string other = folder.WriteFile("other", Pattern(kDeviceBytes, 12));
    const std::string in = folder.WriteFile("in.img", Pattern(5000, 3));
    int queries = 0;
    int swapAfter = std::numeric_limits<int>::max();
    const ScopedDeviceMap map(
        win::DeviceMapSource([&] { return DisksOnly({++queries > swapAfter ? other : asked}); }));
    // Without --force the command stops at the question: that many map queries come first.
    ASSERT_EQ(RunImage({in, "PhysicalDrive0"}).status, kExitFailed);
    swapAfter = queries;
    queries = 0;

    const auto run = RunImage({"--force", in, "PhysicalDrive0"});

    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("It leads elsewhere than when it was measured"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(SameBytes(ReadWholeFile(asked), Pattern(kDeviceBytes, 11)));
    EXPECT_TRUE(SameBytes(ReadWholeFile(other), Pattern(kDeviceBytes, 12)));
}

INSTANTIATE_TEST_SUITE_P(Forms, DeviceNameTest,
                         testing::Values("PhysicalDrive0", "\\\\.\\PhysicalDrive0",
                                         "D:", "\\\\.\\D:"));

}  // namespace
