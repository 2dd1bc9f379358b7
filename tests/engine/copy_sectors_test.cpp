#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/copy_sectors.h"
#include "engine/errors.h"
#include "support/fake_window.h"
#include "support/image_files.h"
#include "support/scoped_fault_plan.h"
#include "support/temp_dir.h"

namespace {

constexpr std::int64_t kChunk = 262144;
constexpr std::int64_t kMiB = 1048576;

// A source and a target file in a scratch folder.
class CopyFiles : public testing::Test {
  protected:
    TempDir folder;
    std::string source = folder.File("source.img");
    std::string target = folder.File("target.img");
    FakeWindow window;

    // Writes the source and the target file.
    void Prepare(const std::string& sourceBytes, const std::string& targetBytes = "") {
        folder.WriteFile("source.img", sourceBytes);
        folder.WriteFile("target.img", targetBytes);
    }
};

struct LayoutCase {
    const char* name;
    std::int32_t sectorSize;
    std::int64_t sourceSize;
    std::int64_t start;
    std::int64_t targetSize;  // bytes the target holds before the copy
    std::int64_t written;     // bytes the copy writes
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class CopyLayout : public CopyFiles, public testing::WithParamInterface<LayoutCase> {};

TEST_P(CopyLayout, TargetHoldsTheCutSectors) {
    const LayoutCase& c = GetParam();
    const std::string input = Pattern(static_cast<std::size_t>(c.sourceSize));
    const std::string before = Pattern(static_cast<std::size_t>(c.targetSize), 7);
    Prepare(input, before);

    const CopyResult result =
        CopySectors(window, source, target, c.sourceSize, c.sectorSize, c.start);

    EXPECT_EQ(result.bytesWritten, c.written);
    EXPECT_EQ(result.unreadableSectors, 0);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(ReadWholeFile(target), ExpectedTarget(input, c.start, c.sectorSize, before));
    EXPECT_EQ(window.Gauge().MaxValue(), c.sourceSize / 1024);
    EXPECT_EQ(window.Gauge().Progress(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyLayout,
    testing::Values(LayoutCase{"S512OneMiB", 512, kMiB, 0, 0, kMiB},
                    LayoutCase{"S512PartSectorAtEnd", 512, kMiB + 700, 0, 0, kMiB + 512},
                    LayoutCase{"S518StartThreeSectors", 518, 2 * 512 * 518 + 100, 3 * 518, 0,
                               (2 * 512 - 3) * 512},
                    LayoutCase{"S520OneSmallChunk", 520, 1140, 0, 0, 1024},
                    LayoutCase{"S520ThreeChunks", 520, 3 * 512 * 520 + 9000, 0, 0,
                               (3 * 512 + 17) * 512},
                    LayoutCase{"S522OneFullChunk", 522, 512 * 522, 0, 0, kChunk},
                    LayoutCase{"TargetTailKept", 520, 1140, 0, 4096, 1024},
                    LayoutCase{"EmptySource", 512, 0, 0, 1000, 0},
                    LayoutCase{"StartAtEnd", 512, 4096, 4096, 1000, 0},
                    LayoutCase{"StartPastEnd", 512, 4096, 9000, 1000, 0},
                    LayoutCase{"SourceBelow1024", 512, 1000, 0, 0, 512}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST_F(CopyFiles, S520KeepsFirst512BytesOfEachSector) {
    const std::string input = Pattern(1140);
    Prepare(input);
    CopySectors(window, source, target, 1140, 520, 0);
    const std::string expected = input.substr(0, 512) + input.substr(520, 512);
    EXPECT_EQ(ReadWholeFile(target), expected);
}

TEST_F(CopyFiles, GaugeAndProgressFollowTheChunks) {
    Prepare(Pattern(kMiB));
    CopySectors(window, source, target, kMiB, 512, 0);
    using G = FakeWindow::GaugeState;
    const std::vector<G> expected = {{0, 100, 0},    {0, 1024, 0},   {0, 1024, 0}, {0, 1024, 256},
                                     {0, 1024, 512}, {0, 1024, 768}, {0, 1024, 0}};
    EXPECT_EQ(window.gaugeLog, expected);
    const std::vector<std::pair<std::int64_t, std::int64_t>> reports = {
        {kChunk, kMiB}, {2 * kChunk, kMiB}, {3 * kChunk, kMiB}, {4 * kChunk, kMiB}};
    EXPECT_EQ(window.progressReports, reports);
    EXPECT_EQ(window.processCount, 4);
}

TEST(GaugeUnit, GrowsSoThatTheRangeFits32Bits) {
    const std::vector<std::pair<std::int64_t, std::int64_t>> cases = {
        {0, 1024},
        {(std::int64_t{1} << 41) - 1, 1024},  // just below 2 TiB
        {std::int64_t{1} << 41, 2048},
        {std::int64_t{1} << 50, std::int64_t{1} << 20},
        {INT64_MAX, std::int64_t{1} << 32},
    };
    for (const auto& [size, unit] : cases) {
        EXPECT_EQ(GaugeUnit(size), unit) << size;
    }
}

TEST_F(CopyFiles, SourceOf4TiBKeepsTheGaugeRight) {
    const std::int64_t size = std::int64_t{4} << 40;
    Prepare("");
    std::error_code error;
    std::filesystem::resize_file(source, size, error);
    if (error) {
        GTEST_SKIP() << "the temporary folder holds no sparse file of 4 TiB";
    }
    CopySectors(window, source, target, size, 512, size - 2 * kChunk);
    ASSERT_EQ(window.gaugeLog.size(), 5u);
    EXPECT_EQ(window.gaugeLog[1].maxValue, size / 4096);
    EXPECT_EQ(window.gaugeLog[3].progress, (size - kChunk) / 4096);
    TGauge atLastChunk;
    atLastChunk.SetMaxValue(window.gaugeLog[3].maxValue);
    atLastChunk.SetProgress(window.gaugeLog[3].progress);
    EXPECT_EQ(atLastChunk.Percent(), 99);
}

// Clicks on Stop and Pause, either before the copy or during the event processing of a chunk.
struct ClickCase {
    const char* name;
    bool stopBefore, pauseBefore;  // clicked while no copy ran
    int clickAt;                   // ProcessMessages call (1-based) that handles the click
    bool stop, pause;
    std::int64_t chunksWritten;
    int pauseBoxes;
};

void PrintTo(const ClickCase& c, std::ostream* os) {
    *os << c.name;
}

class CopyClicks : public CopyFiles, public testing::WithParamInterface<ClickCase> {};

TEST_P(CopyClicks, TakeEffectAtTheNextChunk) {
    const ClickCase& c = GetParam();
    const std::string input = Pattern(kMiB);
    Prepare(input);
    window.stop = c.stopBefore;
    window.pause = c.pauseBefore;
    window.onProcessMessages = [&](int n) {
        if (n == c.clickAt) {
            window.stop = window.stop || c.stop;
            window.pause = window.pause || c.pause;
        }
    };

    const CopyResult result = CopySectors(window, source, target, kMiB, 512, 0);

    EXPECT_EQ(result.stopped, c.chunksWritten < 4);
    EXPECT_EQ(result.bytesWritten, c.chunksWritten * kChunk);
    EXPECT_EQ(result.sourcePosition, c.chunksWritten * kChunk);
    const std::string copied = input.substr(0, c.chunksWritten * kChunk);
    EXPECT_EQ(ReadWholeFile(target), copied);
    EXPECT_EQ(static_cast<int>(window.messages.size()), c.pauseBoxes);
    for (const std::string& text : window.messages) {
        EXPECT_EQ(text, "继续...");
    }
    EXPECT_EQ(window.Gauge().Progress(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyClicks,
    testing::Values(ClickCase{"StopDuringSecondChunk", false, false, 2, true, false, 2, 0},
                    ClickCase{"StopDuringLastChunk", false, false, 4, true, false, 4, 0},
                    ClickCase{"PauseShowsOneBox", false, false, 2, false, true, 4, 1},
                    ClickCase{"StopAndPauseEndWithoutBox", false, false, 1, true, true, 1, 0},
                    ClickCase{"StopWhileIdleForgotten", true, false, 0, false, false, 4, 0},
                    ClickCase{"PauseWhileIdleForgotten", false, true, 0, false, false, 4, 0}),
    [](const testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

TEST_F(CopyFiles, PauseBoxComesBeforeTheNextChunk) {
    Prepare(Pattern(kMiB));
    window.onProcessMessages = [&](int n) { window.pause = window.pause || n == 2; };
    CopySectors(window, source, target, kMiB, 512, 0);
    const std::vector<std::string> expected = {"ProcessMessages", "ProcessMessages",
                                               "ShowMessage: 继续...", "ProcessMessages",
                                               "ProcessMessages"};
    EXPECT_EQ(window.events, expected);
}

// Unreadable spots of the source, injected by the layer.
struct ReadFaultCase {
    const char* name;
    std::int32_t sectorSize;
    std::int64_t fileSize;                      // bytes the source file really holds
    std::int64_t measuredSize;                  // size the copy is told
    std::vector<win::FaultPlan::BadRange> bad;  // path filled in by the test
    std::vector<std::int64_t> zeroSectors;      // output sectors expected to be zeros
};

void PrintTo(const ReadFaultCase& c, std::ostream* os) {
    *os << c.name;
}

class CopyReadFaults : public CopyFiles, public testing::WithParamInterface<ReadFaultCase> {};

TEST_P(CopyReadFaults, UnreadableSectorsBecomeZerosInPlace) {
    const ReadFaultCase& c = GetParam();
    std::string input = Pattern(static_cast<std::size_t>(c.fileSize));
    Prepare(input);
    win::FaultPlan plan;
    for (win::FaultPlan::BadRange range : c.bad) {
        range.path = source;
        plan.badReads.push_back(range);
    }
    ScopedFaultPlan faults(plan);

    const CopyResult result = CopySectors(window, source, target, c.measuredSize, c.sectorSize, 0);

    input.resize(static_cast<std::size_t>(c.measuredSize), '\0');
    EXPECT_EQ(result.unreadableSectors, static_cast<std::int64_t>(c.zeroSectors.size()));
    EXPECT_EQ(ReadWholeFile(target), ExpectedTarget(input, 0, c.sectorSize, {}, c.zeroSectors));
}

using Bad = win::FaultPlan::BadRange;
INSTANTIATE_TEST_SUITE_P(
    Cases, CopyReadFaults,
    testing::Values(
        ReadFaultCase{
            "FailedReadInFirstChunk", 512, kMiB, kMiB, {Bad{"", 600 * 512, 602 * 512}}, {600, 601}},
        ReadFaultCase{"ShortReadInFirstChunk",
                      512,
                      kMiB,
                      kMiB,
                      {Bad{"", 600 * 512 + 3, 600 * 512 + 4, true}},
                      {600}},
        // The first sector of the second chunk: the buffer still holds the first chunk.
        ReadFaultCase{
            "FirstSectorOfSecondChunk", 512, kMiB, kMiB, {Bad{"", kChunk, kChunk + 512}}, {512}},
        ReadFaultCase{"TwoSpotsInOneChunk",
                      520,
                      2 * 512 * 520,
                      2 * 512 * 520,
                      {Bad{"", 3 * 520, 3 * 520 + 1}, Bad{"", 700 * 520 + 100, 700 * 520 + 101}},
                      {3, 700}},
        ReadFaultCase{"WholeChunkUnreadable",
                      522,
                      3 * 512 * 522,
                      3 * 512 * 522,
                      {Bad{"", 512 * 522, 2 * 512 * 522}},
                      [] {
                          std::vector<std::int64_t> sectors;
                          for (std::int64_t k = 512; k < 1024; ++k) {
                              sectors.push_back(k);
                          }
                          return sectors;
                      }()}),
    [](const testing::TestParamInfo<ReadFaultCase>& info) { return std::string(info.param.name); });

// Targets that refuse what the copy writes.
struct WriteFaultCase {
    const char* name;
    std::int64_t offset;  // where the layer refuses
    bool shortWrite;
    std::int64_t failedAt;  // byte the message names: the start of the failed write
    std::int64_t kept;      // bytes the target holds
};

void PrintTo(const WriteFaultCase& c, std::ostream* os) {
    *os << c.name;
}

class CopyWriteFaults : public CopyFiles, public testing::WithParamInterface<WriteFaultCase> {};

TEST_P(CopyWriteFaults, StopAtOnceNamingTheByte) {
    const WriteFaultCase& c = GetParam();
    const std::string input = Pattern(kMiB);
    Prepare(input);
    win::FaultPlan plan;
    plan.badWrites.push_back({target, c.offset, c.shortWrite});
    ScopedFaultPlan faults(plan);
    try {
        CopySectors(window, source, target, kMiB, 512, 0);
        FAIL() << "the copy ended normally";
    } catch (const EWriteError& e) {
        const std::string prefix =
            "Cannot write file \"" + target + "\" at byte " + std::to_string(c.failedAt) + ". ";
        EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix) << e.Message();
        EXPECT_GT(e.Message().size(), prefix.size()) << "no system text";
    }
    EXPECT_EQ(ReadWholeFile(target), input.substr(0, c.kept));
    EXPECT_EQ(window.processCount, static_cast<int>(c.offset / kChunk) + 1);
    EXPECT_EQ(window.Gauge().Progress(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyWriteFaults,
                         testing::Values(WriteFaultCase{"Failed", 300000, false, kChunk, kChunk},
                                         // A write that stops part-way fails as a whole.
                                         WriteFaultCase{"Short", 300000, true, kChunk, 300000},
                                         WriteFaultCase{"FailedFirstWrite", 0, false, 0, 0}),
                         [](const testing::TestParamInfo<WriteFaultCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(CopyFiles, FullDeviceRefusesTheWrite) {
    folder.WriteFile("source.img", Pattern(4096));
    try {
        CopySectors(window, source, "/dev/full", 4096, 512, 0);
        FAIL() << "the copy ended normally";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message().rfind("Cannot write file \"/dev/full\" at byte 0. ", 0), 0u)
            << e.Message();
    }
}

TEST_F(CopyFiles, FailedFlushIsAWriteFailureAlsoAfterStop) {
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "to the end");
        Prepare(Pattern(kMiB));
        window.onProcessMessages = [&](int n) { window.stop = stop && n == 2; };
        win::FaultPlan plan;
        plan.failFlush.push_back(target);
        ScopedFaultPlan faults(plan);
        try {
            CopySectors(window, source, target, kMiB, 512, 0);
            ADD_FAILURE() << "the copy ended normally";
        } catch (const EWriteError& e) {
            const std::string prefix = "Cannot flush file \"" + target + "\". ";
            EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix) << e.Message();
        }
    }
}

TEST_F(CopyFiles, RefusesSectorSizesItCannotCut) {
    Prepare(Pattern(4096), "kept");
    for (const std::int32_t size : {0, 511, 513, 1024}) {
        try {
            CopySectors(window, source, target, 4096, size, 0);
            ADD_FAILURE() << size << " accepted";
        } catch (const EInvalidArgument& e) {
            EXPECT_EQ(e.Message(), "Sector size " + std::to_string(size) + " is not supported");
        }
    }
    EXPECT_EQ(ReadWholeFile(target), "kept");
}

TEST_F(CopyFiles, TargetThatCannotBeOpenedLeavesTheGaugeAtZero) {
    folder.WriteFile("source.img", Pattern(4096));
    window.Gauge().SetProgress(50);
    EXPECT_THROW(CopySectors(window, source, folder.File("missing.img"), 4096, 512, 0),
                 EFOpenError);
    EXPECT_EQ(window.Gauge().Progress(), 0);
    EXPECT_EQ(window.processCount, 0);
}

}  // namespace
