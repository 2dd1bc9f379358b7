// The fault plan: reads, writes and flushes of the handles opened from the named paths fail
// or come up short exactly where the plan says.
#include "engine/platform/fault_plan.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "support/scoped_fault_plan.h"
#include "support/scoped_handle.h"
#include "support/temp_dir.h"

using namespace win;

namespace {

// One file of 300 bytes opened read-write, closed when it goes.
struct OpenFile {
    TempDir dir;
    std::string path = dir.WriteFile("image.img", std::string(300, 'o'));
    ScopedHandle scoped{OpenShared(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING)};
    HANDLE handle = scoped.value;

    void Seek(std::int64_t position) const {
        ASSERT_TRUE(SetFilePointerEx(handle, position, nullptr, FILE_BEGIN));
    }
};

struct ReadCase {
    std::int64_t position;
    DWORD count;
    bool shortRead;
    bool succeeds;
    DWORD delivered;
    DWORD error;  // GetLastError() afterwards
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.count << " bytes at " << c.position << (c.shortRead ? ", short reads" : "");
}

class BadReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(BadReads, FailOrStopBeforeTheBadRange) {
    const ReadCase& c = GetParam();
    OpenFile file;
    ASSERT_GE(file.handle, 0);
    FaultPlan plan;
    plan.badReads.push_back({file.path, 100, 200, c.shortRead, ERROR_IO_DEVICE});
    plan.badReads.push_back({file.path + ".other", 0, 300, false, ERROR_IO_DEVICE});
    ScopedFaultPlan scoped(plan);  // installed while the handle is already open

    file.Seek(c.position);
    std::string buffer(c.count, '\0');
    DWORD done = 12345;
    EXPECT_EQ(ReadFile(file.handle, buffer.data(), c.count, &done, nullptr) != FALSE, c.succeeds);
    EXPECT_EQ(done, c.delivered);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(buffer.substr(0, done), std::string(done, 'o'));
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, BadReads,
    ::testing::Values(ReadCase{0, 50, false, true, 50, 0},                  // before the range
                      ReadCase{0, 100, false, true, 100, 0},                // up to its first byte
                      ReadCase{50, 100, false, false, 0, ERROR_IO_DEVICE},  // reaching into it
                      // short: the bytes before it move, and the call fails as a whole
                      ReadCase{50, 100, true, false, 50, ERROR_IO_DEVICE},
                      ReadCase{100, 10, true, false, 0, ERROR_IO_DEVICE},   // at its first byte
                      ReadCase{199, 10, false, false, 0, ERROR_IO_DEVICE},  // at its last byte
                      ReadCase{200, 50, false, true, 50, 0},                // after it
                      ReadCase{250, 100, false, true, 50, 0}));             // after it, to the end

struct WriteCase {
    std::int64_t position;
    DWORD count;
    bool shortWrite;
    bool succeeds;
    DWORD written;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.count << " bytes at " << c.position << (c.shortWrite ? ", short writes" : "");
}

class BadWrites : public ::testing::TestWithParam<WriteCase> {};

TEST_P(BadWrites, FailOrStopBeforeTheOffset) {
    const WriteCase& c = GetParam();
    OpenFile file;
    ASSERT_GE(file.handle, 0);
    FaultPlan plan;
    plan.badWrites.push_back({file.path, 100, c.shortWrite, ERROR_DISK_FULL});
    ScopedFaultPlan scoped(plan);

    file.Seek(c.position);
    const std::string data(c.count, 'w');
    DWORD done = 12345;
    EXPECT_EQ(WriteFile(file.handle, data.data(), c.count, &done, nullptr) != FALSE, c.succeeds);
    EXPECT_EQ(done, c.written);
    EXPECT_EQ(GetLastError(), c.succeeds ? ERROR_SUCCESS : ERROR_DISK_FULL);

    std::string expected(300, 'o');
    expected.replace(static_cast<std::size_t>(c.position), c.written, c.written, 'w');
    EXPECT_EQ(ReadWholeFile(file.path), expected);
}

INSTANTIATE_TEST_SUITE_P(Offsets, BadWrites,
                         ::testing::Values(WriteCase{0, 100, false, true, 100},  // up to it
                                           WriteCase{50, 100, false, false, 0},  // across it
                                           WriteCase{50, 100, true, false, 50},  // short: fails
                                           WriteCase{100, 10, true, false, 0},   // at it
                                           WriteCase{150, 10, false, false, 0}   // past it
                                           ));

TEST(FaultPlan, AFlakyRangeFailsAsOftenAsToldThenReads) {
    OpenFile file;
    FaultPlan plan;
    FaultPlan::BadRange flaky{file.path, 100, 200, false, ERROR_CRC};
    flaky.failures = 2;
    plan.badReads.push_back(flaky);
    ScopedFaultPlan scoped(plan);
    char buffer[10];
    DWORD done = 0;
    for (const bool succeeds : {false, false, true, true}) {
        file.Seek(150);
        EXPECT_EQ(ReadFile(file.handle, buffer, 10, &done, nullptr) != FALSE, succeeds);
    }
}

TEST(FaultPlan, FlushFailsOnlyForTheNamedPath) {
    OpenFile file;
    OpenFile other;
    FaultPlan plan;
    plan.failFlush.push_back(file.path);
    {
        ScopedFaultPlan scoped(plan);
        EXPECT_FALSE(FlushFileBuffers(file.handle));
        EXPECT_EQ(GetLastError(), ERROR_IO_DEVICE);
        EXPECT_TRUE(FlushFileBuffers(other.handle));
    }
    EXPECT_TRUE(FlushFileBuffers(file.handle));  // the plan is gone
}

}  // namespace
