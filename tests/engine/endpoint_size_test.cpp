// Opening and measuring one endpoint: files, and disks and volumes that the map points at
// plain files.
#include "engine/endpoint_size.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/errors.h"
#include "engine/file_stream.h"
#include "support/read_only_file.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// A temporary folder that is also the current directory, with PhysicalDrive0 and volume C
// pointing at files of their own, and a file physicaldrive0 whose name only looks like a disk.
class EndpointSize : public ::testing::Test {
  protected:
    void SetUp() override {
        disk = dir.WriteFile("disk.img", std::string(5000, 'd'));
        volume = dir.WriteFile("volume.img", std::string(3000, 'v'));
        dir.WriteFile("physicaldrive0", std::string(7, 'f'));
        map.emplace(DisksWithVolume({disk}, 'C', volume));
    }

    TempDir dir;
    ScopedCurrentDir inside{dir.Path()};
    std::string here = fs::current_path().string();
    std::string disk;
    std::string volume;
    std::optional<ScopedDeviceMap> map;
};

struct SizeCase {
    const char* path;
    EndpointRole role;
    std::int64_t size;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.path << (c.role == EndpointRole::Source ? " as source" : " as target");
}

class EndpointSizes : public EndpointSize, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(EndpointSizes, FollowTheFormOfThePath) {
    const SizeCase& c = GetParam();
    EXPECT_EQ(GetEndpointSize(c.path, false, c.role), c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, EndpointSizes,
    ::testing::Values(SizeCase{"\\\\.\\PhysicalDrive0", EndpointRole::Source, 5000},
                      SizeCase{"\\\\.\\PhysicalDrive0", EndpointRole::Target, 5000},
                      SizeCase{"PhysicalDrive0", EndpointRole::Source, 5000},
                      SizeCase{"\\\\.\\C:", EndpointRole::Source, 3000},
                      SizeCase{"\\\\.\\C:", EndpointRole::Target, 3000},
                      SizeCase{"C:", EndpointRole::Source, 3000},
                      SizeCase{"physicaldrive0", EndpointRole::Source, 7},
                      SizeCase{"disk.img", EndpointRole::Source, 5000}));

TEST_F(EndpointSize, ACreatedTargetIsEmptiedAndMeasuresZero) {
    const std::string target = dir.WriteFile("target.img", "old image data");
    EXPECT_EQ(GetEndpointSize(target, true, EndpointRole::Target), 0);
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::file_size(target), 0u);
    EXPECT_EQ(GetEndpointSize("new.img", true, EndpointRole::Target), 0);
    EXPECT_TRUE(fs::exists(here + "/new.img"));
}

TEST_F(EndpointSize, AReadOnlySourceMeasuresAndAReadOnlyTargetIsRefused) {
    const std::string image = dir.WriteFile("readonly.img", std::string(1024, 'r'));
    ReadOnlyFile readOnly(image);
    if (!readOnly.Effective()) {
        GTEST_SKIP() << "the file system cannot make a file read-only for this user";
    }
    EXPECT_EQ(GetEndpointSize(image, false, EndpointRole::Source), 1024);
    try {
        GetEndpointSize("readonly.img", false, EndpointRole::Target);
        FAIL() << "no exception";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(), "Cannot open file \"" + image + "\". " +
                                       SystemErrorText(win::ERROR_ACCESS_DENIED));
    }
}

TEST_F(EndpointSize, ErrorsNameTheFullPathAndTheReasonWithoutItsFullStop) {
    struct Case {
        const char* path;
        bool create;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"missing.img", false,
         "Cannot open file \"" + here + "/missing.img\". No such file or directory"},
        {"no/such/folder/new.img", true,
         "Cannot create file \"" + here + "/no/such/folder/new.img\". No such file or directory"},
        {"PhysicalDrive1", false,
         "Cannot open file \"\\\\.\\PhysicalDrive1\". No such file or directory"},
        {"E:", false, "Cannot open file \"\\\\.\\E:\". No such file or directory"},
    };
    for (const Case& c : cases) {
        try {
            GetEndpointSize(c.path, c.create, EndpointRole::Source);
            ADD_FAILURE() << c.path << ": no exception";
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), c.message);
            EXPECT_EQ(dynamic_cast<const EFCreateError*>(&error) != nullptr, c.create) << c.path;
        }
    }
}

TEST_F(EndpointSize, AFileNamedLikeADiskPathRaisesForItsGeometryAndIsClosed) {
    // Characters 5 to 17 spell PhysicalDrive, so the file is measured as a disk; a plain file
    // has no geometry, which is reported instead of ending the program.
    fs::create_directory("abc");
    dir.WriteFile("abc/PhysicalDrive0", "data");
    const std::size_t before = OpenDescriptors();
    try {
        GetEndpointSize("abc/PhysicalDrive0", false, EndpointRole::Source);
        FAIL() << "no exception";
    } catch (const EDeviceError& error) {
        EXPECT_EQ(error.Message(), "Cannot read the geometry of \"" + here +
                                       "/abc/PhysicalDrive0\". Inappropriate ioctl for device");
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(IsDeviceEndpoint, DisksAndVolumesInEveryFormButNotFiles) {
    const std::vector<std::pair<std::string, bool>> cases = {{"\\\\.\\PhysicalDrive0", true},
                                                             {"PhysicalDrive3", true},
                                                             {"\\\\.\\D:", true},
                                                             {"D:", true},
                                                             {"/tmp/disk.img", false},
                                                             {"physicaldrive1", false},
                                                             {"D:\\disk.img", false},
                                                             {"", false}};
    for (const auto& [path, device] : cases) {
        EXPECT_EQ(IsDeviceEndpoint(path), device) << path;
    }
}

}  // namespace
