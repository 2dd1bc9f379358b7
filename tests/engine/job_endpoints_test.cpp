// The job's checks of its endpoints before anything is written: the target is never where the
// source lies, and the copy writes the device that was measured and asked about.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "engine/errors.h"
#include "engine/imaging_job.h"
#include "support/fake_window.h"
#include "support/image_files.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kDisk0 = "\\\\.\\PhysicalDrive0";
constexpr const char* kDisk1 = "\\\\.\\PhysicalDrive1";
constexpr std::size_t kDiskBytes = 1 << 20;

// A source file, and two disks of the test's own: PhysicalDrive0 and PhysicalDrive1.
struct Endpoints {
    TempDir folder;
    FakeWindow window;
    std::string sourceBytes = Pattern(3000);
    std::string source = folder.WriteFile("source.img", sourceBytes);
    std::string disk0 = folder.WriteFile("disk0.img", Pattern(kDiskBytes, 5));
    std::string disk1 = folder.WriteFile("disk1.img", Pattern(kDiskBytes, 6));
    std::string other = folder.WriteFile("other.img", Pattern(kDiskBytes, 7));
    std::optional<ScopedDeviceMap> devices{DisksOnly({disk0, disk1})};

    void Choose(const std::string& sourcePath, const std::string& targetPath, bool file) {
        window.inputs.SourcePath = window.inputs.SourceFieldText = sourcePath;
        window.inputs.TargetPath = window.inputs.TargetFieldText = targetPath;
        window.inputs.TargetIsFile = file;
        window.answers = {true};
    }
    // While the question is on screen, the disks are replaced by `disks`.
    void SwapDisksWhenAsked(std::vector<std::string> disks) {
        window.onAskYesNo = [this, disks](const std::string&) {
            devices.reset();
            devices.emplace(DisksOnly(disks));
        };
    }
};

struct EndpointCase {
    const char* name;
    std::function<void(Endpoints&)> setup;
    std::string error;  // part of the raised message; empty: the job copies
};

void PrintTo(const EndpointCase& c, std::ostream* os) {
    *os << c.name;
}

class JobEndpoints : public testing::TestWithParam<EndpointCase> {};

// A refused job writes nothing anywhere and shows no completion.
TEST_P(JobEndpoints, RefusesBeforeWritingOrCopies) {
    const EndpointCase& c = GetParam();
    Endpoints e;
    c.setup(e);
    const std::string files[] = {e.source, e.disk0, e.disk1, e.other};
    std::vector<std::string> before;
    for (const std::string& file : files) {
        before.push_back(ReadWholeFile(file));
    }

    std::optional<std::string> error;
    try {
        EXPECT_EQ(RunImagingJob(e.window).kind, JobOutcome::Kind::Copied);
    } catch (const Exception& raised) {
        error = raised.Message();
    }

    if (c.error.empty()) {
        EXPECT_FALSE(error) << *error;
        EXPECT_EQ(e.window.messages, std::vector<std::string>{"Disk image complete!"});
        return;
    }
    ASSERT_TRUE(error) << "the job ran";
    EXPECT_NE(error->find(c.error), std::string::npos) << *error;
    EXPECT_TRUE(e.window.messages.empty());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(ReadWholeFile(files[i]), before[i]) << files[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JobEndpoints,
    testing::Values(
        EndpointCase{"SameFile", [](Endpoints& e) { e.Choose(e.source, e.source, true); },
                     "is the source"},
        EndpointCase{"HardLink",
                     [](Endpoints& e) {
                         std::filesystem::create_hard_link(e.source, e.folder.File("link.img"));
                         e.Choose(e.source, e.folder.File("link.img"), true);
                     },
                     "is the source"},
        EndpointCase{"SymbolicLink",
                     [](Endpoints& e) {
                         std::filesystem::create_symlink(e.source, e.folder.File("link.img"));
                         e.Choose(e.source, e.folder.File("link.img"), true);
                     },
                     "is the source"},
        EndpointCase{"FileNameOfTheSourceDisk",
                     [](Endpoints& e) { e.Choose(kDisk0, e.disk0, true); }, "is the source"},
        EndpointCase{"SameDiskByItsDeviceName",
                     [](Endpoints& e) { e.Choose(kDisk0, kDisk0, false); }, ""},
        EndpointCase{"TargetDiskSwappedWhileAsked",
                     [](Endpoints& e) {
                         e.Choose(e.source, kDisk0, false);
                         e.SwapDisksWhenAsked({e.other, e.disk1});
                     },
                     "leads elsewhere"},
        EndpointCase{"SourceDiskSwappedWhileAsked",
                     [](Endpoints& e) {
                         e.Choose(kDisk1, kDisk0, false);
                         e.SwapDisksWhenAsked({e.disk0, e.other});
                     },
                     "leads elsewhere"},
        EndpointCase{"DisksListedAgainUnchanged",
                     [](Endpoints& e) {
                         e.Choose(kDisk1, kDisk0, false);
                         e.SwapDisksWhenAsked({e.disk0, e.disk1});
                     },
                     ""}),
    [](const testing::TestParamInfo<EndpointCase>& info) { return std::string(info.param.name); });

}  // namespace
