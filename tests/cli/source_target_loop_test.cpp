// The target must not be where the source's data lies, when the source is a loop device of the
// test's own or a file seen through a bind mount; the same disk named as both stays allowed.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/loop_device.h"
#include "support/run_command.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

constexpr std::int64_t kDiskBytes = 4 << 20;

// A partitioned loop device as PhysicalDrive0.
struct LoopSource {
    LoopDevice loop{[] {
        LoopDeviceOptions options;
        options.sizeBytes = kDiskBytes;
        options.partitionTable = "label: dos\nstart=2048, size=4096, type=83\n";
        return options;
    }()};
    ScopedDeviceMap devices{DisksOnly({loop.Node()})};
};

struct LoopCase {
    const char* name;
    // The arguments for the loop device `s`.
    std::function<std::vector<std::string>(const LoopSource& s)> args;
    int status;
    std::string err;  // part of stderr
};

void PrintTo(const LoopCase& c, std::ostream* os) {
    *os << c.name;
}

class LoopSourceTest : public testing::TestWithParam<LoopCase> {};

TEST_P(LoopSourceTest, NeverWritesTheSourcesData) {
    if (!LoopDevice::Available()) {
        GTEST_SKIP() << LoopDevice::WhyUnavailable();
    }
    const LoopCase& c = GetParam();
    const LoopSource s;
    const std::string before = ReadWholeFile(s.loop.BackingFile());

    const auto run = RunImage(c.args(s));

    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    if (c.status != kExitComplete) {
        EXPECT_TRUE(SameBytes(ReadWholeFile(s.loop.BackingFile()), before));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoopSourceTest,
    testing::Values(
        LoopCase{"BackingFileOfTheDisk",
                 [](const LoopSource& s) {
                     return std::vector<std::string>{"PhysicalDrive0", s.loop.BackingFile()};
                 },
                 kExitFailed, "holds the data of the source"},
        LoopCase{"BackingFileOfAPartition",
                 [](const LoopSource& s) {
                     return std::vector<std::string>{s.loop.PartitionNode(1), s.loop.BackingFile()};
                 },
                 kExitFailed, "holds the data of the source"},
        LoopCase{"DeviceNodeAndDiskName",
                 [](const LoopSource& s) {
                     return std::vector<std::string>{"--force", s.loop.Node(), "PhysicalDrive0"};
                 },
                 kExitFailed, "is the source"},
        LoopCase{"SameDiskByItsName",
                 [](const LoopSource&) {
                     return std::vector<std::string>{"--force", "PhysicalDrive0",
                                                     "\\\\.\\PhysicalDrive0"};
                 },
                 kExitComplete, ""}),
    [](const testing::TestParamInfo<LoopCase>& info) { return std::string(info.param.name); });

// A folder mounted a second time elsewhere: the source file under the other name.
class ScopedBindMount {
  public:
    ScopedBindMount(const std::string& from, const std::string& to) : to_(to) {
        std::filesystem::create_directory(to);
        mounted_ = RunCommand({"mount", "--bind", from, to}).exitCode == 0;
    }
    ~ScopedBindMount() {
        if (mounted_) {
            RunCommand({"umount", to_});
        }
    }
    ScopedBindMount(const ScopedBindMount&) = delete;
    ScopedBindMount& operator=(const ScopedBindMount&) = delete;
    bool Mounted() const { return mounted_; }

  private:
    std::string to_;
    bool mounted_ = false;
};

TEST(BindMountTest, TheSourceUnderAnotherMountIsRefused) {
    const TempDir folder;
    const std::string source = Pattern(5000);
    std::filesystem::create_directory(folder.File("data"));
    const std::string in = folder.WriteFile("data/in.img", source);
    const TempDir other;
    const ScopedBindMount bind(folder.File("data"), other.File("view"));
    if (!bind.Mounted()) {
        GTEST_SKIP() << "a bind mount needs mount(8) and the right to mount";
    }

    const auto run = RunImage({in, other.File("view/in.img")});

    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("is the source"), std::string::npos) << run.err;
    EXPECT_TRUE(SameBytes(ReadWholeFile(in), source));
}

}  // namespace
