// Long writes through the layer: write-back starts behind the writing position and what has
// reached the disk leaves the page cache, and neither changes what the file holds, also where
// the writer goes back and writes over what already left the cache.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <linux/magic.h>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/linux/write_behind.h"
#include "engine/platform/winapi.h"
#include "support/scoped_handle.h"
#include "support/temp_dir.h"

using namespace win;
using linux_backend::WriteBehind;

namespace {

constexpr std::int64_t kChunk = 256 << 10;

// Bytes that differ at every offset of the file and between the two passes, so that a block
// written to the wrong place or lost shows.
std::vector<char> Pattern(std::int64_t begin, std::int64_t count, std::uint32_t pass) {
    std::vector<char> bytes(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        const std::uint64_t x = static_cast<std::uint64_t>(begin + i) * 0x9E3779B97F4A7C15ull;
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((x >> 56) ^ pass);
    }
    return bytes;
}

bool WriteAll(HANDLE h, const std::vector<char>& bytes) {
    DWORD done = 0;
    return WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
           done == bytes.size();
}

// How many of the pages of [begin, begin + count) of the file are in the page cache.
std::size_t ResidentPages(const std::string& path, std::int64_t begin, std::int64_t count) {
    const long page = ::sysconf(_SC_PAGESIZE);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return SIZE_MAX;
    }
    void* map = ::mmap(nullptr, static_cast<std::size_t>(count), PROT_READ, MAP_SHARED, fd, begin);
    ::close(fd);
    if (map == MAP_FAILED) {
        return SIZE_MAX;
    }
    std::vector<unsigned char> in(static_cast<std::size_t>((count + page - 1) / page));
    std::size_t resident = SIZE_MAX;
    if (::mincore(map, static_cast<std::size_t>(count), in.data()) == 0) {
        resident = 0;
        for (const unsigned char flags : in) {
            resident += flags & 1;
        }
    }
    ::munmap(map, static_cast<std::size_t>(count));
    return resident;
}

bool OnTmpfs(const std::string& path) {
    struct statfs fs {};
    return ::statfs(path.c_str(), &fs) == 0 && fs.f_type == TMPFS_MAGIC;
}

TEST(WriteBehind, ALongWriteIsExactAfterTheFlushAndLeavesThePageCache) {
    TempDir dir;
    const std::string path = dir.File("image.img");
    // Far enough that write-back was waited for more than once, ending in a partial chunk.
    const std::int64_t total = WriteBehind::kInFlight + 3 * WriteBehind::kWindow + 12345;
    // Written over again once the front of the file has left the cache.
    const std::int64_t rewriteAt = (1 << 20) + 123;
    const std::int64_t rewriteCount = 300 << 10;
    {
        ScopedHandle h{OpenShared(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS)};
        ASSERT_GE(h.value, 0) << FormatSystemMessage(GetLastError());
        for (std::int64_t at = 0; at < total; at += kChunk) {
            ASSERT_TRUE(WriteAll(h.value, Pattern(at, std::min(kChunk, total - at), 0))) << at;
        }
        ASSERT_TRUE(SetFilePointerEx(h.value, rewriteAt, nullptr, FILE_BEGIN));
        ASSERT_TRUE(WriteAll(h.value, Pattern(rewriteAt, rewriteCount, 1)));
        ASSERT_TRUE(FlushFileBuffers(h.value)) << FormatSystemMessage(GetLastError());
    }

    if (!OnTmpfs(path)) {
        // What was waited for left the cache (tmpfs keeps everything in it anyway).
        const std::int64_t behind = 2 << 20;  // past the rewritten bytes, page-aligned
        const std::int64_t count = 8 << 20;
        const std::size_t resident = ResidentPages(path, behind, count);
        EXPECT_LT(resident, static_cast<std::size_t>(count / ::sysconf(_SC_PAGESIZE) / 8));
    }

    const std::string content = ReadWholeFile(path);
    ASSERT_EQ(static_cast<std::int64_t>(content.size()), total);
    std::vector<char> expected = Pattern(0, total, 0);
    const std::vector<char> rewritten = Pattern(rewriteAt, rewriteCount, 1);
    std::copy(rewritten.begin(), rewritten.end(), expected.begin() + rewriteAt);
    // Compared without printing 88 MiB where they differ.
    EXPECT_TRUE(std::equal(content.begin(), content.end(), expected.begin()));
}

}  // namespace
