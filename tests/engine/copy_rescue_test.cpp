// How the copy deals with damaged and changing sources: which read failures are bad sectors,
// sources that end early, the order in which a damaged source is read, and resuming a copy
// from its map file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/copy_sectors.h"
#include "engine/errors.h"
#include "engine/file_stream.h"
#include "support/fake_window.h"
#include "support/image_files.h"
#include "support/scoped_fault_plan.h"
#include "support/temp_dir.h"

namespace {

constexpr std::int64_t kChunk = 262144;
constexpr std::int64_t kMiB = 1048576;
using Bad = win::FaultPlan::BadRange;

class CopyRescue : public testing::Test {
  protected:
    TempDir folder;
    std::string source = folder.File("source.img");
    std::string target = folder.File("target.img");
    std::string mapPath = folder.File("copy.map");
    FakeWindow window;

    std::string Prepare(std::int64_t size) {
        const std::string input = Pattern(static_cast<std::size_t>(size));
        folder.WriteFile("source.img", input);
        folder.WriteFile("target.img", "");
        return input;
    }

    // A plan that fails reads of the source in [begin, end) with `error`.
    win::FaultPlan FailingSource(std::int64_t begin, std::int64_t end, win::DWORD error) const {
        win::FaultPlan plan;
        plan.badReads.push_back(Bad{source, begin, end, false, error});
        return plan;
    }
};

// What a read failure means: a bad sector (written as zeros, the copy goes on) or a source that
// cannot be read on (the copy ends with an error naming the source and the byte).
struct FailureCase {
    const char* name;
    win::DWORD error;
    bool badSector;
};

class ReadFailureKinds : public CopyRescue, public testing::WithParamInterface<FailureCase> {};

TEST_P(ReadFailureKinds, OnlyMediaErrorsAreBadSectors) {
    const FailureCase& c = GetParam();
    const std::string input = Prepare(kMiB);
    // The source goes away in its third chunk: every read from there on fails.
    ScopedFaultPlan faults(FailingSource(2 * kChunk + 1024, kMiB, c.error));
    if (c.badSector) {
        const CopyResult result = CopySectors(window, source, target, kMiB, 512, 0);
        EXPECT_EQ(result.unreadableSectors, (kMiB - 2 * kChunk - 1024) / 512);
        return;
    }
    try {
        CopySectors(window, source, target, kMiB, 512, 0);
        FAIL() << "the copy ended normally";
    } catch (const EReadError& e) {
        const std::string expected = "Cannot read file \"" + source + "\" at byte " +
                                     std::to_string(2 * kChunk) + ". " + SystemErrorText(c.error);
        EXPECT_EQ(e.Message(), expected);
    }
    // What was read before stays in the target.
    EXPECT_EQ(ReadWholeFile(target), input.substr(0, 2 * kChunk));
    EXPECT_EQ(window.Gauge().Progress(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ReadFailureKinds,
    testing::Values(FailureCase{"IoDevice", win::ERROR_IO_DEVICE, true},
                    FailureCase{"Crc", win::ERROR_CRC, true},
                    FailureCase{"SectorNotFound", win::ERROR_SECTOR_NOT_FOUND, true},
                    FailureCase{"DeviceNotConnected", win::ERROR_DEVICE_NOT_CONNECTED, false},
                    FailureCase{"DeviceGone", win::ERROR_DEV_NOT_EXIST, false},
                    FailureCase{"NotReady", win::ERROR_NOT_READY, false},
                    FailureCase{"AccessDenied", win::ERROR_ACCESS_DENIED, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A source shorter than it was measured: the bytes it delivers are written, not zeroed, and the
// copy ends with an error instead of counting the missing end as unreadable sectors.
struct EndedCase {
    const char* name;
    std::int32_t sectorSize;
    std::int64_t fileSize;
    std::int64_t measuredSize;
    std::int64_t targetBytes;  // what the target holds afterwards
};

class EndedSources : public CopyRescue, public testing::WithParamInterface<EndedCase> {};

TEST_P(EndedSources, AreAnErrorAfterTheDeliveredBytes) {
    const EndedCase& c = GetParam();
    const std::string input = Prepare(c.fileSize);
    try {
        CopySectors(window, source, target, c.measuredSize, c.sectorSize, 0);
        FAIL() << "the copy ended normally";
    } catch (const EReadError& e) {
        const std::string expected =
            "Source \"" + source + "\" ended at byte " + std::to_string(c.fileSize) + ", " +
            std::to_string(c.measuredSize - c.fileSize) + " bytes before its measured end";
        EXPECT_EQ(e.Message(), expected);
    }
    std::string expected = ExpectedTarget(input, 0, c.sectorSize, "");
    const std::int64_t part = std::min<std::int64_t>(c.fileSize % c.sectorSize, 512);
    expected += input.substr(static_cast<std::size_t>(c.fileSize - c.fileSize % c.sectorSize),
                             static_cast<std::size_t>(part));
    EXPECT_EQ(ReadWholeFile(target), expected);
    EXPECT_EQ(static_cast<std::int64_t>(expected.size()), c.targetBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EndedSources,
    testing::Values(EndedCase{"WholeSectors", 512, kMiB - 1024, kMiB, kMiB - 1024},
                    EndedCase{"MidSector", 520, 1000 * 520 + 300, 1002 * 520, 1000 * 512 + 300},
                    EndedCase{"InTheCutBytes", 520, 1000 * 520 + 515, 1002 * 520, 1000 * 512 + 512},
                    EndedCase{"EmptyNow", 512, 0, kMiB, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyRescue, ASourceCutShortDuringTheCopyIsAnError) {
    Prepare(kMiB);
    window.onProcessMessages = [&](int n) {
        if (n == 2) {
            std::filesystem::resize_file(source, kChunk + kChunk / 2);
        }
    };
    EXPECT_THROW(CopySectors(window, source, target, kMiB, 512, 0), EReadError);
    EXPECT_EQ(std::filesystem::file_size(target), static_cast<std::uintmax_t>(kChunk * 3 / 2));
}

// A flaky sector reads on a later try: the number of tries decides whether it is saved.
TEST_F(CopyRescue, ReadAttemptsDecideWhetherAFlakySectorIsSaved) {
    for (const int attempts : {1, 2, 3}) {
        SCOPED_TRACE(attempts);
        const std::string input = Prepare(kMiB);
        win::FaultPlan plan;
        Bad flaky{source, 700 * 512, 701 * 512, false, win::ERROR_CRC};
        flaky.failures = 2;  // the chunk's read and one read of the sector alone
        plan.badReads.push_back(flaky);
        ScopedFaultPlan faults(plan);
        const CopyResult result =
            CopySectors(window, source, target, kMiB, 512, 0, CopyOptions{attempts, ""});
        const std::vector<std::int64_t> zeros =
            attempts == 1 ? std::vector<std::int64_t>{700} : std::vector<std::int64_t>{};
        EXPECT_EQ(result.unreadableSectors, static_cast<std::int64_t>(zeros.size()));
        EXPECT_EQ(ReadWholeFile(target), ExpectedTarget(input, 0, 512, "", zeros));
    }
}

// Good data first: after a failed chunk the copy skips ahead, saves the rest, then reads what it
// skipped, and only then reads the failed chunk sector by sector. Stopped at a chosen step, the
// target shows how far each part has come.
struct OrderCase {
    const char* name;
    int stopAfterStep;               // Stop is clicked during this step's events
    std::set<std::int64_t> written;  // chunks written by then
};

class RescueOrder : public CopyRescue, public testing::WithParamInterface<OrderCase> {};

TEST_P(RescueOrder, SavesReadableDataBeforeTheBadArea) {
    const OrderCase& c = GetParam();
    constexpr std::int64_t kChunks = 40;  // 10 MiB; the bad area lies in chunk 4
    const std::string input = Prepare(kChunks * kChunk);
    ScopedFaultPlan faults(
        FailingSource(4 * kChunk + 100 * 512, 4 * kChunk + 101 * 512, win::ERROR_IO_DEVICE));
    window.onProcessMessages = [&](int n) { window.stop = window.stop || n == c.stopAfterStep; };

    const CopyResult result = CopySectors(window, source, target, kChunks * kChunk, 512, 0);

    const std::string copied = ReadWholeFile(target);
    for (std::int64_t chunk = 0; chunk < kChunks; ++chunk) {
        const bool written = c.written.count(chunk) != 0;
        const std::string expected =
            written ? input.substr(chunk * kChunk, kChunk) : std::string(kChunk, '\0');
        const std::string got = copied.size() >= static_cast<std::size_t>((chunk + 1) * kChunk)
                                    ? copied.substr(chunk * kChunk, kChunk)
                                    : std::string(kChunk, '\0');
        EXPECT_EQ(got == expected, true)
            << "chunk " << chunk << (written ? " not" : "") << " written";
    }
    EXPECT_EQ(result.stopped, true);
    EXPECT_EQ(result.sourcePosition, 4 * kChunk);
}

std::set<std::int64_t> Chunks(std::int64_t from, std::int64_t to, std::set<std::int64_t> more) {
    for (std::int64_t k = from; k < to; ++k) {
        more.insert(k);
    }
    return more;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RescueOrder,
    testing::Values(
        // Chunks 0-3, the failed chunk 4, then a skip of 16 chunks to 21-39.
        OrderCase{"ForwardPassSkipsTheArea", 4 + 1 + 19, Chunks(0, 4, Chunks(21, 40, {}))},
        // Then the skipped chunks 5-20: all but the failed chunk is saved.
        OrderCase{"SkippedPartReadNext", 4 + 1 + 19 + 16, Chunks(0, 4, Chunks(5, 40, {}))}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyRescue, StopWorksInsideABadAreaAtOnce) {
    Prepare(4 * kChunk);
    win::FaultPlan plan = FailingSource(kChunk, 3 * kChunk, win::ERROR_CRC);
    plan.slowPath = source;
    plan.readDelay = std::chrono::milliseconds(2);
    ScopedFaultPlan faults(plan);
    int steps = 0;
    window.onProcessMessages = [&](int n) {
        steps = n;
        window.stop = window.stop || n == 10;  // a few sectors into the bad area
    };
    const CopyResult result = CopySectors(window, source, target, 4 * kChunk, 512, 0);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(steps, 10);
    // Chunks 0 and 3 are saved; the bad area has come a few sectors far.
    EXPECT_GT(result.sourcePosition, kChunk);
    EXPECT_LT(result.sourcePosition, kChunk + 20 * 512);
    EXPECT_EQ(window.progressReports.size(), 10u);  // the progress line kept moving
}

TEST_F(CopyRescue, AStoppedCopyGoesOnFromItsMapToTheSameImage) {
    const std::string input = Prepare(10 * kChunk);
    window.onProcessMessages = [&](int n) { window.stop = n == 4; };
    CopyResult first =
        CopySectors(window, source, target, 10 * kChunk, 520, 1040, CopyOptions{1, mapPath});
    ASSERT_TRUE(first.stopped);
    ASSERT_TRUE(std::filesystem::exists(mapPath));

    // The second run must not read what the first one copied: make that part unreadable.
    window.onProcessMessages = nullptr;
    ScopedFaultPlan faults(FailingSource(0, 1040 + 4 * 512 * 520, win::ERROR_DEVICE_NOT_CONNECTED));
    const CopyResult second =
        CopySectors(window, source, target, 10 * kChunk, 520, 1040, CopyOptions{1, mapPath});
    EXPECT_FALSE(second.stopped);
    EXPECT_EQ(ReadWholeFile(target), ExpectedTarget(input, 1040, 520, ""));
}

TEST_F(CopyRescue, AResumedCopyReadsOnlyTheSectorsThatWereUnreadable) {
    const std::string input = Prepare(4 * kChunk);
    {
        ScopedFaultPlan faults(FailingSource(kChunk + 512 * 7, kChunk + 512 * 9, win::ERROR_CRC));
        const CopyResult first =
            CopySectors(window, source, target, 4 * kChunk, 512, 0, CopyOptions{1, mapPath});
        EXPECT_EQ(first.unreadableSectors, 2);
    }
    // The bad sectors read now; everything else would fail if it were read again.
    win::FaultPlan plan = FailingSource(0, kChunk + 512 * 7, win::ERROR_DEVICE_NOT_CONNECTED);
    plan.badReads.push_back(
        Bad{source, kChunk + 512 * 9, 4 * kChunk, false, win::ERROR_DEVICE_NOT_CONNECTED});
    ScopedFaultPlan faults(plan);
    const CopyResult second =
        CopySectors(window, source, target, 4 * kChunk, 512, 0, CopyOptions{1, mapPath});
    EXPECT_EQ(second.unreadableSectors, 0);
    EXPECT_EQ(second.bytesWritten, 2 * 512);
    EXPECT_EQ(ReadWholeFile(target), input);
}

TEST_F(CopyRescue, AMapOfAnotherCopyIsRefusedBeforeAnythingIsWritten) {
    Prepare(kMiB);
    CopySectors(window, source, target, kMiB, 512, 0, CopyOptions{1, mapPath});
    folder.WriteFile("target.img", "kept");
    EXPECT_THROW(CopySectors(window, source, target, kMiB, 520, 0, CopyOptions{1, mapPath}),
                 EMapError);
    EXPECT_EQ(ReadWholeFile(target), "kept");
}

}  // namespace

namespace {

// Bytes the file system really keeps for a file.
std::int64_t AllocatedBytes(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_blocks) * 512 : -1;
}

// A new image file gets holes where whole chunks of the image are zeros; it reads back the
// same, also when the image ends in zeros.
struct SparseCase {
    const char* name;
    bool sparse;
    std::int32_t sectorSize;
    bool stopAfterThirdChunk;
};

class SparseTargets : public CopyRescue, public testing::WithParamInterface<SparseCase> {};

TEST_P(SparseTargets, ReadBackTheSameWithZerosAsHoles) {
    const SparseCase& c = GetParam();
    // Chunks: data, zeros, zeros, data, zeros, zeros (the image ends in zeros).
    const std::int64_t chunk = 512 * c.sectorSize;
    std::string input = Pattern(static_cast<std::size_t>(6 * chunk));
    for (const std::int64_t zero : {1, 2, 4, 5}) {
        input.replace(static_cast<std::size_t>(zero * chunk), static_cast<std::size_t>(chunk),
                      static_cast<std::size_t>(chunk), '\0');
    }
    folder.WriteFile("source.img", input);
    folder.WriteFile("target.img", "");
    window.onProcessMessages = [&](int n) { window.stop = c.stopAfterThirdChunk && n == 3; };

    CopySectors(window, source, target, 6 * chunk, c.sectorSize, 0, CopyOptions{1, "", c.sparse});

    const std::int64_t chunks = c.stopAfterThirdChunk ? 3 : 6;
    const std::string expected =
        ExpectedTarget(input.substr(0, chunks * chunk), 0, c.sectorSize, "");
    EXPECT_TRUE(ReadWholeFile(target) == expected);
    const std::int64_t allocated = AllocatedBytes(target);
    if (c.sparse) {
        EXPECT_LT(allocated, static_cast<std::int64_t>(expected.size()) / 2);
    } else {
        EXPECT_GE(allocated, static_cast<std::int64_t>(expected.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SparseTargets,
                         testing::Values(SparseCase{"Sparse512", true, 512, false},
                                         SparseCase{"Sparse520", true, 520, false},
                                         SparseCase{"StoppedInZeros", true, 512, true},
                                         SparseCase{"NotSparse", false, 512, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyRescue, AnOldTargetKeepsNoOldBytesWhereTheImageHasZeros) {
    // A target that is not empty is never left with holes, even when asked.
    const std::string input(4 * kChunk, '\0');
    folder.WriteFile("source.img", input);
    folder.WriteFile("target.img", Pattern(4 * kChunk, 3));
    CopySectors(window, source, target, 4 * kChunk, 512, 0, CopyOptions{1, "", true});
    EXPECT_TRUE(ReadWholeFile(target) == input);
}

}  // namespace
