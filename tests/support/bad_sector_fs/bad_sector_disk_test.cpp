// The bad-sector disk as the copy tests use it: what a reader of the loop device sees for bad,
// flaky and discarded ranges, a changed list, a killed server and a cut image file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/bad_sector_disk.h"
#include "support/image_files.h"

namespace {

constexpr std::int64_t kSector = 512;
constexpr std::size_t kDiskBytes = 256 << 10;

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

// A buffer for O_DIRECT: page-aligned, its size rounded up to whole pages.
std::unique_ptr<char, FreeDeleter> AlignedBuffer(std::size_t size) {
    constexpr std::size_t kPage = 4096;
    return std::unique_ptr<char, FreeDeleter>(
        static_cast<char*>(std::aligned_alloc(kPage, (size + kPage - 1) / kPage * kPage)));
}

// One read of `count` bytes at `offset`; the bytes read, or the error number.
struct ReadResult {
    int error = 0;
    std::string bytes;
};

ReadResult ReadAt(const std::string& path, std::int64_t offset, std::size_t count, bool direct) {
    ReadResult result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (direct ? O_DIRECT : 0));
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    const auto buffer = AlignedBuffer(count);
    const ssize_t n = ::pread(fd, buffer.get(), count, offset);
    result.error = n < 0 ? errno : 0;
    if (n > 0) {
        result.bytes.assign(buffer.get(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    return result;
}

ReadResult ReadSector(const std::string& path, std::int64_t sector, bool direct = true) {
    return ReadAt(path, sector * kSector, kSector, direct);
}

std::string SectorOf(const std::string& content, std::int64_t sector) {
    return content.substr(static_cast<std::size_t>(sector * kSector), kSector);
}

struct SectorCase {
    const char* what;
    std::vector<BadRange> bad;
    std::int64_t sector;
    int error;  // 0: the sector reads with its bytes
};

class BadSectorRead : public testing::TestWithParam<SectorCase> {};

TEST_P(BadSectorRead, DirectReadOfOneSector) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const SectorCase& c = GetParam();
    const std::string content = Pattern(kDiskBytes, 5);
    BadSectorDisk disk(content);
    disk.SetBadRanges(c.bad);

    const ReadResult read = ReadSector(disk.Node(), c.sector);
    EXPECT_EQ(read.error, c.error) << c.what << ": " << std::strerror(read.error);
    if (c.error == 0) {
        EXPECT_EQ(read.bytes, SectorOf(content, c.sector)) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, BadSectorRead,
    testing::Values(
        SectorCase{"the bad sector", {{40 * kSector, kSector}}, 40, EIO},
        SectorCase{"the sector before it", {{40 * kSector, kSector}}, 39, 0},
        SectorCase{"the sector after it", {{40 * kSector, kSector}}, 41, 0},
        SectorCase{"one byte of a range", {{40 * kSector + 511, 1}}, 40, EIO},
        SectorCase{"a range at an odd offset over two sectors", {{40 * kSector + 8, 520}}, 41, EIO},
        SectorCase{"a range's first byte after the sector", {{41 * kSector, kSector}}, 40, 0},
        SectorCase{"a range that answers ENODEV", {{0, kSector, -1, 0, ENODEV}}, 0, ENODEV},
        SectorCase{"a range that answers ENOTCONN (the loop device gives EIO)",
                   {{0, kSector, -1, 0, ENOTCONN}},
                   0,
                   EIO}));

TEST(BadSectorDisk, FlakyRangeFailsItsCountThenReads) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const std::string content = Pattern(kDiskBytes, 6);
    BadSectorDisk disk(content);
    disk.SetBadRanges({{7 * kSector, kSector, 2, 150}});

    for (int attempt = 1; attempt <= 2; ++attempt) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ReadSector(disk.Node(), 7).error, EIO) << "attempt " << attempt;
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150))
            << "attempt " << attempt;
    }
    const ReadResult third = ReadSector(disk.Node(), 7);
    EXPECT_EQ(third.error, 0) << std::strerror(third.error);
    EXPECT_EQ(third.bytes, SectorOf(content, 7));

    disk.SetBadRanges({{7 * kSector, kSector, 1}});
    EXPECT_EQ(ReadSector(disk.Node(), 7).error, EIO) << "a new list counts anew";
    EXPECT_EQ(ReadSector(disk.Node(), 7).error, 0);
}

TEST(BadSectorDisk, ChangedListHoldsFromTheNextRead) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const std::string content = Pattern(kDiskBytes, 7);
    BadSectorDisk disk(content);

    EXPECT_EQ(ReadSector(disk.Node(), 100).error, 0);
    disk.Disconnect();
    EXPECT_EQ(ReadSector(disk.Node(), 100).error, ENODEV);
    EXPECT_EQ(ReadSector(disk.Node(), 0, false).error, EIO) << "the page cache reports EIO";
    disk.SetBadRanges({});
    const ReadResult back = ReadSector(disk.Node(), 100);
    EXPECT_EQ(back.error, 0) << std::strerror(back.error);
    EXPECT_EQ(back.bytes, SectorOf(content, 100));
}

// The fault a copy through the page cache has: one bad sector fails every sector of its
// cached block.
TEST(BadSectorDisk, BufferedReadLosesTheCachedBlockAroundABadSector) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const std::string content = Pattern(kDiskBytes, 8);
    BadSectorDisk disk(content);
    constexpr std::int64_t kBad = 77;
    disk.SetBadRanges({{kBad * kSector, kSector}});

    std::vector<std::int64_t> lost;
    for (std::int64_t sector = 0; sector < 256; ++sector) {
        const ReadResult read = ReadSector(disk.Node(), sector, false);
        if (read.error != 0) {
            EXPECT_EQ(read.error, EIO) << "sector " << sector;
            lost.push_back(sector);
        } else {
            EXPECT_EQ(read.bytes, SectorOf(content, sector)) << "sector " << sector;
        }
    }
    ASSERT_FALSE(lost.empty());
    const auto run = static_cast<std::int64_t>(lost.size());
    EXPECT_EQ(lost.back() - lost.front() + 1, run) << "one run of sectors";
    EXPECT_EQ(lost.front() % run, 0) << "an aligned block";
    EXPECT_LE(lost.front(), kBad);
    EXPECT_GE(lost.back(), kBad);
    EXPECT_GT(run, 1) << "only the bad sector is lost";
    std::cout << "A buffered read loses " << run << " sectors (" << lost.front() << " to "
              << lost.back() << ") around bad sector " << kBad << ".\n";

    const ReadResult direct = ReadSector(disk.Node(), kBad - 1);
    EXPECT_EQ(direct.error, 0) << "direct I/O reads the neighbour";
}

TEST(BadSectorDisk, KilledServerFailsEveryRead) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    BadSectorDisk disk(Pattern(kDiskBytes, 9));
    ASSERT_EQ(ReadSector(disk.Node(), 3).error, 0);

    disk.KillServer();
    EXPECT_EQ(ReadSector(disk.Node(), 3).error, EIO) << "the loop device";
    EXPECT_EQ(ReadSector(disk.Node(), 300, false).error, EIO) << "the loop device, buffered";
    EXPECT_EQ(ReadSector(disk.ServedFile(), 3).error, ENOTCONN) << "the served file";
}

TEST(BadSectorDisk, CutImageEndsTheServedFileButNotTheDevice) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const std::string content = Pattern(kDiskBytes, 10);
    BadSectorDisk disk(content);
    constexpr std::int64_t kKept = 200;
    disk.TruncateImage(kKept * kSector);

    EXPECT_EQ(ReadSector(disk.Node(), kKept - 1).bytes, SectorOf(content, kKept - 1));
    EXPECT_EQ(ReadSector(disk.Node(), kKept).error, EIO);
    const ReadResult across = ReadAt(disk.Node(), (kKept - 4) * kSector, 8 * kSector, true);
    EXPECT_EQ(across.error, EIO) << "a read across the cut fails as a whole";
    const ReadResult served = ReadSector(disk.ServedFile(), kKept);
    EXPECT_EQ(served.error, 0);
    EXPECT_EQ(served.bytes, "") << "the served file ends at the cut";
}

TEST(BadSectorDisk, DiscardedWritesKeepTheOldBytes) {
    SKIP_WITHOUT_BAD_SECTOR_DISK();
    const std::string content = Pattern(kDiskBytes, 11);
    BadSectorDisk disk(content);
    disk.SetDiscardedWrites({{10 * kSector + 100, kSector}});

    const std::string written = Pattern(4 * kSector, 12);
    const int fd = ::open(disk.Node().c_str(), O_WRONLY | O_DIRECT | O_CLOEXEC);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    const auto buffer = AlignedBuffer(written.size());
    std::memcpy(buffer.get(), written.data(), written.size());
    EXPECT_EQ(::pwrite(fd, buffer.get(), written.size(), 9 * kSector),
              static_cast<ssize_t>(written.size()))
        << "the write is reported as done";
    EXPECT_EQ(::fsync(fd), 0) << std::strerror(errno);
    ::close(fd);

    std::string expected = content;
    expected.replace(9 * kSector, written.size(), written);
    expected.replace(10 * kSector + 100, kSector, content, 10 * kSector + 100, kSector);
    EXPECT_TRUE(ReadWholeFile(disk.ImageFile()) == expected);
    EXPECT_EQ(ReadAt(disk.Node(), 9 * kSector, written.size(), true).bytes,
              expected.substr(9 * kSector, written.size()))
        << "the device reads the old bytes back";
}

}  // namespace
