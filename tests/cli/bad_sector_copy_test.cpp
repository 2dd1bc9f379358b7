// Copies from a block device with bad sectors, and from sources that vanish or shrink during
// the copy: exactly the unreadable sectors are zeroed, good data is saved before bad areas are
// ground through, Stop is prompt inside a bad area, and a source that goes away is an error.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "cli_fixture.h"
#include "engine/imaging_job.h"
#include "support/bad_sector_disk.h"
#include "support/image_files.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kSector = 512;
constexpr std::int64_t kMiB = 1 << 20;
constexpr const char* kDisk0 = "PhysicalDrive0";

std::string CompletionLine(std::int64_t unreadableSectors) {
    CopyResult result;
    result.unreadableSectors = unreadableSectors;
    return CompletionMessage(result) + "\n";
}

struct BadSectorCopyCase {
    const char* what;
    std::vector<std::string> options;
    std::int32_t sectorSize;
    std::int64_t start;
    std::vector<BadRange> bad;
    std::vector<std::int64_t> zeroSectors;  // output sectors
};

void PrintTo(const BadSectorCopyCase& c, std::ostream* os) {
    *os << c.what;
}

class BadSectorCopy : public testing::TestWithParam<BadSectorCopyCase> {};

TEST_P(BadSectorCopy, ZeroesExactlyTheUnreadableSectors) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const BadSectorCopyCase& c = GetParam();
    const std::string content = Pattern(4 * kMiB, 21);
    BadSectorDisk disk(content);
    disk.SetBadRanges(c.bad);
    const ScopedDeviceMap devices(DisksOnly({disk.Node()}));
    const std::string out = disk.Folder().File("out.img");
    std::vector<std::string> args = c.options;
    args.push_back(kDisk0);
    args.push_back(out);

    const auto run = RunImage(args);

    ASSERT_EQ(run.status, kExitComplete) << run.err;
    EXPECT_EQ(run.out, CompletionLine(static_cast<std::int64_t>(c.zeroSectors.size())));
    EXPECT_TRUE(SameBytes(ReadWholeFile(out),
                          ExpectedTarget(content, c.start, c.sectorSize, "", c.zeroSectors)));
}

std::vector<std::int64_t> SectorRange(std::int64_t first, std::int64_t count) {
    std::vector<std::int64_t> sectors;
    for (std::int64_t k = first; k < first + count; ++k) {
        sectors.push_back(k);
    }
    return sectors;
}

INSTANTIATE_TEST_SUITE_P(
    Disks, BadSectorCopy,
    testing::Values(
        BadSectorCopyCase{"one bad sector", {}, 512, 0, {{300 * kSector, kSector}}, {300}},
        // Device sector 69 lies inside source sector 66 (bytes 7 to 518 of it).
        BadSectorCopyCase{"a bad device sector inside a 520-byte sector at an odd offset",
                          {"-s", "520", "-o", "1001"},
                          520,
                          1001,
                          {{69 * kSector, kSector}},
                          {66}},
        // Fails the chunk's read and the first retry (read-ahead of a buffered chunk read may
        // use up more failures: counts are exact for direct I/O).
        BadSectorCopyCase{"a flaky sector that reads on the second retry",
                          {"--retries", "2"},
                          512,
                          0,
                          {{300 * kSector, kSector, 2}},
                          {}},
        BadSectorCopyCase{"a large bad area",
                          {},
                          512,
                          0,
                          {{kMiB + 3 * kSector, kMiB}},
                          SectorRange(2051, 2048)}));

// Runs the command from PhysicalDrive0 (the disk) or from the disk's served file, and calls
// `duringCopy` once two chunks are written.
CommandRun RunWithHook(const BadSectorDisk& disk, bool fromDevice, const std::string& out,
                       const std::function<void()>& duringCopy) {
    int readings = 0;
    ConsoleEnvironment environment;
    environment.errIsTerminal = true;  // the clock is read for the progress line
    environment.clock = [&] {
        if (++readings == 3) {
            duringCopy();
        }
        return Clock::now();
    };
    return RunImage({fromDevice ? kDisk0 : disk.ServedFile(), out}, environment);
}

struct VanishCase {
    const char* what;
    bool fromDevice;
    std::function<void(BadSectorDisk&)> vanish;
};

void PrintTo(const VanishCase& c, std::ostream* os) {
    *os << c.what;
}

class VanishingSource : public testing::TestWithParam<VanishCase> {};

TEST_P(VanishingSource, EndsWithAnErrorAndKeepsThePrefix) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const VanishCase& c = GetParam();
    const std::string content = Pattern(4 * kMiB, 22);
    BadSectorDisk disk(content);
    const ScopedDeviceMap devices(DisksOnly({disk.Node()}));
    const std::string out = disk.Folder().File("out.img");

    const auto run = RunWithHook(disk, c.fromDevice, out, [&] { c.vanish(disk); });

    EXPECT_EQ(run.status, kExitFailed) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.fromDevice ? std::string("PhysicalDrive0") : disk.ServedFile()),
              std::string::npos)
        << run.err;
    const std::string written = ReadWholeFile(out);
    EXPECT_GE(written.size(), 512u << 10) << "the chunks before the source went";
    EXPECT_TRUE(SameBytes(written, content.substr(0, written.size()))) << "no zeros after it";
}

INSTANTIATE_TEST_SUITE_P(
    Sources, VanishingSource,
    testing::Values(VanishCase{"a disk that drops off the bus (ENODEV)", true,
                               [](BadSectorDisk& disk) { disk.Disconnect(); }},
                    VanishCase{"a file whose server was killed (ENOTCONN)", false,
                               [](BadSectorDisk& disk) { disk.KillServer(); }},
                    VanishCase{"a file cut short", false,
                               [](BadSectorDisk& disk) { disk.TruncateImage(3 * kMiB / 2); }}));

TEST(BadSectorCopy, FileCutShortNamesWhereItEnded) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    BadSectorDisk disk(Pattern(4 * kMiB, 23));
    const std::string out = disk.Folder().File("out.img");

    const auto run = RunWithHook(disk, false, out, [&] { disk.TruncateImage(3 * kMiB / 2); });

    EXPECT_EQ(run.status, kExitFailed) << run.err;
    EXPECT_NE(run.err.find("ended at byte 1572864, 2621440 bytes before its measured end"),
              std::string::npos)
        << run.err;
}

// Sends SIGINT to this process `after` the copy's second clock reading (the command's handler
// is in place by then); `until` may end the wait early.
class DelayedStop {
  public:
    void Arm(std::chrono::milliseconds after, std::function<bool()> until = {}) {
        thread_ = std::thread([this, after, until] {
            const auto deadline = Clock::now() + after;
            while (Clock::now() < deadline && !(until && until())) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            sent_ = Clock::now();
            ::kill(::getpid(), SIGINT);
        });
    }
    ~DelayedStop() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    Clock::time_point Sent() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return sent_;
    }

  private:
    std::thread thread_;
    Clock::time_point sent_;
};

CommandRun RunUntilStopped(const std::string& out, const std::function<void()>& arm) {
    const ScopedTestHandler late(SIGINT);  // a signal after the command ended
    int readings = 0;
    ConsoleEnvironment environment;
    environment.errIsTerminal = true;
    environment.clock = [&] {
        if (++readings == 2) {
            arm();
        }
        return Clock::now();
    };
    return RunImage({kDisk0, out}, environment);
}

TEST(BadSectorCopy, StopsWithinASecondInsideABadArea) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    BadSectorDisk disk(Pattern(8 * kMiB, 24));
    // Every failing read takes 20 ms: grinding through the area takes over a minute.
    disk.SetBadRanges({{512 << 10, 6 * kMiB, -1, 20}});
    const ScopedDeviceMap devices(DisksOnly({disk.Node()}));
    DelayedStop stop;

    const auto run = RunUntilStopped(disk.Folder().File("out.img"),
                                     [&] { stop.Arm(std::chrono::milliseconds(1000)); });
    const auto ended = Clock::now();

    EXPECT_EQ(run.status, kExitStopped) << run.err;
    EXPECT_LT(ended - stop.Sent(), std::chrono::milliseconds(1500));
}

TEST(BadSectorCopy, SavesTheGoodDataBeforeGrindingThroughABadArea) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const std::string content = Pattern(8 * kMiB, 25);
    BadSectorDisk disk(content);
    constexpr std::int64_t kAreaStart = kMiB;
    constexpr std::int64_t kAreaEnd = 5 * kMiB;
    // 8192 failing sectors of 10 ms each: over 80 s sector by sector.
    disk.SetBadRanges({{kAreaStart, kAreaEnd - kAreaStart, -1, 10}});
    const ScopedDeviceMap devices(DisksOnly({disk.Node()}));
    const std::string out = disk.Folder().File("out.img");
    const std::string after = content.substr(kAreaEnd);
    std::atomic<bool> saved = false;
    DelayedStop stop;

    const auto run = RunUntilStopped(out, [&] {
        stop.Arm(std::chrono::seconds(20), [&] {
            const std::string written = ReadWholeFile(out);
            saved = written.size() >= content.size() && written.substr(kAreaEnd) == after;
            return saved.load();
        });
    });

    EXPECT_TRUE(saved) << "the data after the bad area was not saved within 20 s";
    EXPECT_EQ(run.status, kExitStopped) << run.err;
    const std::string written = ReadWholeFile(out);
    ASSERT_EQ(written.size(), content.size());
    EXPECT_TRUE(SameBytes(written.substr(0, kAreaStart), content.substr(0, kAreaStart)));
    EXPECT_TRUE(SameBytes(written.substr(kAreaEnd), after));
}

}  // namespace
