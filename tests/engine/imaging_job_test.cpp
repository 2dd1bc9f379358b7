#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/imaging_job.h"
#include "support/fake_window.h"
#include "support/image_files.h"
#include "support/scoped_device_map.h"
#include "support/scoped_fault_plan.h"
#include "support/temp_dir.h"

namespace {

using Kind = JobOutcome::Kind;
constexpr const char* kWarning = "数据源或者数据目标没有填写!";
constexpr const char* kComplete = "Disk image complete!";
constexpr const char* kDisk0 = "\\\\.\\PhysicalDrive0";

struct Job {
    TempDir folder;
    FakeWindow window;
    std::string sourceBytes = Pattern(2 * 262144 + 1000);
    std::string before = Pattern(3000, 9);  // what the target file holds before the job
    std::string source = folder.WriteFile("source.img", sourceBytes);
    std::string target = folder.WriteFile("target.img", before);
    std::string written = target;  // the file whose bytes the case checks
    std::optional<ScopedDeviceMap> devices;
    std::optional<ScopedFaultPlan> faults;

    // Both endpoints chosen as files, fields filled, 512-byte sectors from 0.
    void Choose(const std::string& sourcePath, const std::string& targetPath) {
        window.inputs.SourcePath = sourcePath;
        window.inputs.TargetPath = targetPath;
        window.inputs.SourceFieldText = sourcePath;
        window.inputs.TargetFieldText = targetPath;
    }
    // PhysicalDrive0 is a file of `size` bytes of the test's own.
    void DiskTarget(std::size_t size) {
        before = Pattern(size, 5);
        written = folder.WriteFile("disk0.img", before);
        devices.emplace(DisksOnly({written}));
        Choose(source, kDisk0);
    }
};

struct JobCase {
    const char* name;
    std::function<void(Job&)> setup;
    std::optional<Kind> kind;           // nothing: the job raises
    std::string error;                  // beginning of the raised message
    std::vector<std::string> messages;  // boxes shown, in order
    int questions;
    // The checked file afterwards; nothing when it must not exist.
    std::function<std::optional<std::string>(const Job&)> after;
};

void PrintTo(const JobCase& c, std::ostream* os) {
    *os << c.name;
}

const auto kUntouched = [](const Job& j) { return std::optional<std::string>(j.before); };
const auto kEmpty = [](const Job&) { return std::optional<std::string>(""); };
const auto kCopied = [](const Job& j) {
    return std::optional<std::string>(ExpectedTarget(j.sourceBytes, 0, 512, j.before));
};
const auto kFirstChunk = [](const Job& j) {
    return std::optional<std::string>(j.sourceBytes.substr(0, 262144));
};
const auto kNoFile = [](const Job&) { return std::optional<std::string>(); };

class ImagingJob : public testing::TestWithParam<JobCase> {};

TEST_P(ImagingJob, RunsItsFlowAndUnlocks) {
    const JobCase& c = GetParam();
    Job job;
    c.setup(job);
    try {
        const JobOutcome outcome = RunImagingJob(job.window);
        ASSERT_TRUE(c.kind.has_value()) << "the job ended without the error " << c.error;
        EXPECT_EQ(outcome.kind, *c.kind);
    } catch (const Exception& e) {
        ASSERT_FALSE(c.kind.has_value()) << e.Message();
        EXPECT_EQ(e.Message().substr(0, c.error.size()), c.error) << e.Message();
    }
    EXPECT_EQ(job.window.messages, c.messages);
    EXPECT_EQ(static_cast<int>(job.window.questions.size()), c.questions);
    ASSERT_FALSE(job.window.events.empty());
    EXPECT_EQ(job.window.events.front(), "DisableControls");
    EXPECT_EQ(job.window.events.back(), "EnableControls");
    EXPECT_EQ(job.window.EventsStartingWith("DisableControls").size(), 1u);
    EXPECT_EQ(job.window.EventsStartingWith("EnableControls").size(), 1u);
    EXPECT_EQ(job.window.Gauge().Progress(), 0);
    const std::optional<std::string> expected = c.after(job);
    if (expected) {
        EXPECT_EQ(ReadWholeFile(job.written), *expected);
    } else {
        EXPECT_FALSE(std::filesystem::exists(job.written));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flows, ImagingJob,
    testing::Values(
        JobCase{"NeitherEndpoint", [](Job&) {}, Kind::NothingToDo, "", {kWarning}, 0, kUntouched},
        JobCase{"OnlySource",
                [](Job& j) { j.Choose(j.source, ""); },
                Kind::NothingToDo,
                "",
                {kWarning},
                0,
                kUntouched},
        JobCase{"EmptyFieldTextBothChosen",
                [](Job& j) {
                    j.Choose(j.source, j.target);
                    j.window.inputs.SourceFieldText.clear();
                },
                Kind::Copied,
                "",
                {kWarning, kComplete},
                0,
                kCopied},
        JobCase{"CopyIntoExistingFile",
                [](Job& j) { j.Choose(j.source, j.target); },
                Kind::Copied,
                "",
                {kComplete},
                0,
                kCopied},
        JobCase{"NoSectorSizeCreatesTheFile",
                [](Job& j) {
                    j.Choose(j.source, j.target);
                    j.window.inputs.TargetIsFile = true;
                    j.window.inputs.SecradioItemIndex = -1;
                },
                Kind::NoSectorSize,
                "",
                {kComplete},
                0,
                kEmpty},
        JobCase{"BadStartTextAfterMeasuring",
                [](Job& j) {
                    j.Choose(j.source, j.target);
                    j.window.inputs.TargetIsFile = true;
                    j.window.inputs.StartText = "12a";
                },
                std::nullopt,
                "'12a' is not a valid integer value",
                {},
                0,
                kEmpty},
        JobCase{"EmptyStartText",
                [](Job& j) {
                    j.Choose(j.source, j.target);
                    j.window.inputs.StartText = "";
                },
                std::nullopt,
                "'' is not a valid integer value",
                {},
                0,
                kUntouched},
        JobCase{"NegativeStart",
                [](Job& j) {
                    j.DiskTarget(1 << 20);
                    j.window.inputs.StartText = "-512";
                },
                std::nullopt,
                "Start offset -512 is negative",
                {},
                0,
                kUntouched},
        JobCase{"HexStartAndSector520",
                [](Job& j) {
                    j.Choose(j.source, j.target);
                    j.window.inputs.TargetIsFile = true;
                    j.window.inputs.StartText = "0x200";
                    j.window.inputs.SecradioItemIndex = 2;
                },
                Kind::Copied,
                "",
                {kComplete},
                0,
                [](const Job& j) {
                    return std::optional<std::string>(ExpectedTarget(j.sourceBytes, 512, 520, ""));
                }},
        JobCase{"SourceCannotBeOpened",
                [](Job& j) {
                    j.written = j.folder.File("new.img");
                    j.Choose(j.folder.File("missing.img"), j.written);
                    j.window.inputs.TargetIsFile = true;
                },
                std::nullopt,
                "Cannot open file \"",
                {},
                0,
                kNoFile},
        JobCase{"TargetCannotBeOpened",
                [](Job& j) {
                    j.written = j.folder.File("missing.img");
                    j.Choose(j.source, j.written);
                },
                std::nullopt,
                "Cannot open file \"",
                {},
                0,
                kNoFile},
        JobCase{"DeviceDeclined",
                [](Job& j) { j.DiskTarget(1 << 20); },
                Kind::Declined,
                "",
                {},
                1,
                kUntouched},
        JobCase{"DeviceAccepted",
                [](Job& j) {
                    j.DiskTarget(1 << 20);
                    j.window.answers = {true};
                },
                Kind::Copied,
                "",
                {kComplete},
                1,
                kCopied},
        JobCase{"DeviceTooSmall",
                [](Job& j) {
                    j.DiskTarget(4096);
                    j.window.answers = {true};
                },
                std::nullopt,
                "Target \"\\\\.\\PhysicalDrive0\" is too small: the image needs 524800 bytes, "
                "the target holds 4096 bytes",
                {},
                0,
                kUntouched},
        // A stopped copy is not complete: the front end reports where it stopped.
        JobCase{"StoppedShowsNoCompletion",
                [](Job& j) {
                    j.Choose(j.source, j.target);
                    j.window.onProcessMessages = [&j](int n) { j.window.stop = n == 1; };
                },
                Kind::Copied,
                "",
                {},
                0,
                kFirstChunk},
        JobCase{"UnreadableSectorCounted",
                [](Job& j) {
                    j.Choose(j.source, j.target);
                    win::FaultPlan plan;
                    plan.badReads.push_back({j.source, 1024, 1025});
                    j.faults.emplace(plan);
                },
                Kind::Copied,
                "",
                {"Disk image complete!\n1 unreadable sector was written as zeros."},
                0,
                [](const Job& j) {
                    return std::optional<std::string>(
                        ExpectedTarget(j.sourceBytes, 0, 512, j.before, {2}));
                }},
        JobCase{"WriteFailureHasNoCompletion",
                [](Job& j) {
                    j.Choose(j.source, j.target);
                    win::FaultPlan plan;
                    plan.badWrites.push_back({j.target, 262144});
                    j.faults.emplace(plan);
                },
                std::nullopt,
                "Cannot write file \"",
                {},
                0,
                kFirstChunk}),
    [](const testing::TestParamInfo<JobCase>& info) { return std::string(info.param.name); });

TEST(ImagingJobQuestion, NamesTheDeviceAndItsSize) {
    Job job;
    job.DiskTarget(3 << 20);
    RunImagingJob(job.window);
    ASSERT_EQ(job.window.questions.size(), 1u);
    EXPECT_EQ(job.window.questions[0],
              "目标 \\\\.\\PhysicalDrive0 上的所有数据将被覆盖。\n"
              "大小: 3.0 MB (3145728 字节)\n"
              "是否继续?");
}

TEST(StoppedMessage, SaysWhereTheCopyStoppedAndWhatWasWritten) {
    CopyResult result;
    result.stopped = true;
    result.sourcePosition = 262144;
    result.bytesWritten = 262144;
    EXPECT_EQ(StoppedMessage(result, "/tmp/a.img"),
              "Stopped at source byte 262144; 262144 bytes were written to \"/tmp/a.img\".");
    result.unreadableSectors = 2;
    EXPECT_EQ(StoppedMessage(result, "/tmp/a.img"),
              "Stopped at source byte 262144; 262144 bytes were written to \"/tmp/a.img\".\n"
              "2 unreadable sectors were written as zeros.");
}

TEST(CompletionMessage, CountsUnreadableSectors) {
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {0, "Disk image complete!"},
        {1, "Disk image complete!\n1 unreadable sector was written as zeros."},
        {37, "Disk image complete!\n37 unreadable sectors were written as zeros."},
    };
    for (const auto& [count, text] : cases) {
        CopyResult result;
        result.unreadableSectors = count;
        EXPECT_EQ(CompletionMessage(result), text);
    }
}

TEST(RequestButtons, OnlySetTheirFlag) {
    FakeWindow window;
    RequestStop(window);
    EXPECT_TRUE(window.stop);
    EXPECT_FALSE(window.pause);
    window.stop = false;
    RequestPause(window);
    EXPECT_TRUE(window.pause);
    EXPECT_FALSE(window.stop);
    EXPECT_TRUE(window.events.empty());
}

}  // namespace
