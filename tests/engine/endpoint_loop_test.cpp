// Opening and measuring endpoints that are real block devices: a loop disk of the test's own
// with a mounted ext4 file system on its one partition.
#include <gtest/gtest.h>

#include <optional>

#include "engine/endpoint_size.h"
#include "engine/errors.h"
#include "support/loop_device.h"
#include "support/scoped_device_map.h"

namespace {

constexpr std::int64_t kDiskBytes = 48 << 20;
constexpr std::int64_t kPartitionStart = 1 << 20;
constexpr std::int64_t kPartitionBytes = 16 << 20;

class EndpointOnLoop : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!LoopDevice::Available()) {
            return;
        }
        disk.emplace(
            MountedFirstPartition(kDiskBytes, "label: dos\nstart=2048, size=32768, type=83\n"));
    }
    static void TearDownTestSuite() { disk.reset(); }

    void SetUp() override {
        if (!LoopDevice::Available()) {
            GTEST_SKIP() << LoopDevice::WhyUnavailable();
        }
        ASSERT_TRUE(disk) << "the loop device could not be set up";
        map.emplace(
            DisksWithVolume({disk->Node()}, 'D', disk->PartitionNode(1), disk->MountPoint()));
    }

    static inline std::optional<LoopDevice> disk;
    std::optional<ScopedDeviceMap> map;
};

TEST_F(EndpointOnLoop, SourcesAreMeasuredByTheirLengthOnTheDisk) {
    EXPECT_EQ(GetEndpointSize("\\\\.\\PhysicalDrive0", false, EndpointRole::Source), kDiskBytes);
    EXPECT_EQ(GetEndpointSize("PhysicalDrive0", false, EndpointRole::Source), kDiskBytes);
    // The partition's extent, not the total of the file system on it.
    EXPECT_EQ(GetEndpointSize("\\\\.\\D:", false, EndpointRole::Source), kPartitionBytes);
    EXPECT_EQ(GetEndpointSize("D:", false, EndpointRole::Source), kPartitionBytes);
}

TEST_F(EndpointOnLoop, AMountedTargetIsRefusedWithTheReason) {
    const std::string reason =
        "The device is in use by a mounted file system or by another program";
    for (const std::string path : {"\\\\.\\PhysicalDrive0", "\\\\.\\D:"}) {
        try {
            GetEndpointSize(path, false, EndpointRole::Target);
            ADD_FAILURE() << path << ": no exception";
        } catch (const EFOpenError& error) {
            EXPECT_EQ(error.Message(), "Cannot open file \"" + path + "\". " + reason);
        }
    }
}

TEST_F(EndpointOnLoop, AnUnmountedDiskIsATarget) {
    LoopDevice blank(LoopDeviceOptions{});
    ScopedDeviceMap only(DisksOnly({blank.Node()}));
    EXPECT_EQ(GetEndpointSize("\\\\.\\PhysicalDrive0", false, EndpointRole::Target),
              LoopDeviceOptions{}.sizeBytes);
}

}  // namespace
