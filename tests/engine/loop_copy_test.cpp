#include <gtest/gtest.h>

#include <string>

#include "engine/imaging_job.h"
#include "support/fake_window.h"
#include "support/image_files.h"
#include "support/loop_device.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kDisk0 = "\\\\.\\PhysicalDrive0";

// One job through the fake window; the device question, if any, answered Yes.
JobOutcome RunJob(const std::string& source, const std::string& target, bool targetIsFile,
                  int sectorButton) {
    FakeWindow window;
    window.inputs.SourcePath = window.inputs.SourceFieldText = source;
    window.inputs.TargetPath = window.inputs.TargetFieldText = target;
    window.inputs.TargetIsFile = targetIsFile;
    window.inputs.SecradioItemIndex = sectorButton;
    window.answers = {true};
    return RunImagingJob(window);
}

TEST(LoopDeviceCopy, ImageToDiskAndBack) {
    if (!LoopDevice::Available()) {
        GTEST_SKIP() << LoopDevice::WhyUnavailable();
    }
    constexpr std::size_t kSize = 8 << 20;
    LoopDeviceOptions options;
    options.sizeBytes = kSize;
    LoopDevice loop(options);
    ScopedDeviceMap devices(DisksOnly({loop.Node()}));
    TempDir folder;
    const std::string image = Pattern(kSize, 3);
    const std::string source = folder.WriteFile("source.img", image);

    ASSERT_EQ(RunJob(source, kDisk0, false, 0).kind, JobOutcome::Kind::Copied);

    struct Case {
        int button;
        std::int32_t sectorSize;
    };
    for (const Case c : {Case{0, 512}, Case{2, 520}}) {
        SCOPED_TRACE(c.sectorSize);
        const std::string back = folder.File("back.img");
        const JobOutcome outcome = RunJob(kDisk0, back, true, c.button);
        EXPECT_EQ(outcome.kind, JobOutcome::Kind::Copied);
        EXPECT_EQ(outcome.copy.unreadableSectors, 0);
        EXPECT_EQ(ReadWholeFile(back), ExpectedTarget(image, 0, c.sectorSize, ""));
    }
}

TEST(LoopDeviceCopy, ADiskNamedByItsSystemFileNameIsAskedForLikeAnyDisk) {
    if (!LoopDevice::Available()) {
        GTEST_SKIP() << LoopDevice::WhyUnavailable();
    }
    LoopDeviceOptions options;
    options.sizeBytes = 4 << 20;
    LoopDevice loop(options);
    TempDir folder;
    const std::string source = folder.WriteFile("source.img", Pattern(1 << 20, 5));
    const std::string before = ReadWholeFile(loop.Node()).substr(0, 1 << 20);

    // Typed into the save dialog or given on the command line, the disk arrives as a file
    // target; it is still a disk, and No leaves it as it was.
    FakeWindow window;
    window.inputs.SourcePath = window.inputs.SourceFieldText = source;
    window.inputs.TargetPath = window.inputs.TargetFieldText = loop.Node();
    window.inputs.TargetIsFile = true;
    window.answers = {false};
    EXPECT_EQ(RunImagingJob(window).kind, JobOutcome::Kind::Declined);
    ASSERT_EQ(window.questions.size(), 1u);
    EXPECT_NE(window.questions[0].find(loop.Node()), std::string::npos);
    EXPECT_EQ(ReadWholeFile(loop.Node()).substr(0, 1 << 20), before);
}

}  // namespace
