// A disk that loses what is written to it: write-back fails after the data left the writer.
// The layer starts write-back behind the writing position and waits for it, which tells the
// error to the handle instead of to the final fsync(); the error must still come out, at the
// latest from FlushFileBuffers, however much was written.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/linux/write_behind.h"
#include "engine/platform/winapi.h"
#include "support/loop_device.h"
#include "support/scoped_handle.h"

using namespace win;
using linux_backend::WriteBehind;

namespace {

struct LostWriteCase {
    const char* name;
    std::int64_t bytes;
};

class LostWrites : public ::testing::TestWithParam<LostWriteCase> {};

TEST_P(LostWrites, AreReportedByTheFlushAtTheLatest) {
    if (!LoopDevice::Available()) {
        GTEST_SKIP() << LoopDevice::WhyUnavailable();
    }
    // A few MiB of ext4 hold the backing file of a 128 MiB disk.
    LoopDeviceOptions small;
    small.sizeBytes = 4 << 20;
    small.formatPartition = -1;
    small.mount = true;
    LoopDevice holder(small);
    // A disk over a sparse file much larger than that: what goes beyond the free space of
    // the holder never reaches the file.
    LoopDeviceOptions overfull;
    overfull.sizeBytes = 128 << 20;
    overfull.backingFile = holder.MountPoint() + "/disk.img";
    LoopDevice disk(overfull);

    // Claimed, as every stream that writes a device claims it.
    ScopedHandle h{OpenShared(disk.Node(), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING,
                              FILE_FLAG_EXCLUSIVE_DEVICE)};
    ASSERT_GE(h.value, 0) << FormatSystemMessage(GetLastError());
    const std::vector<char> chunk(256 << 10, '\x5a');
    for (std::int64_t at = 0; at < GetParam().bytes;
         at += static_cast<std::int64_t>(chunk.size())) {
        DWORD done = 0;
        if (!WriteFile(h.value, chunk.data(), static_cast<DWORD>(chunk.size()), &done, nullptr)) {
            EXPECT_NE(GetLastError(), ERROR_SUCCESS);
            break;
        }
        ASSERT_EQ(done, chunk.size());
    }
    EXPECT_FALSE(FlushFileBuffers(h.value));
    EXPECT_NE(GetLastError(), ERROR_SUCCESS);
    // Asking again does not make the loss go away.
    EXPECT_FALSE(FlushFileBuffers(h.value));
}

INSTANTIATE_TEST_SUITE_P(Lengths, LostWrites,
                         ::testing::Values(
                             // Less than one window: only the final fsync() sees the loss.
                             LostWriteCase{"ShorterThanAWindow", WriteBehind::kWindow - (1 << 20)},
                             // Write-back was waited for during the writing: the handle was told.
                             LostWriteCase{"BeyondWhatIsInFlight",
                                           WriteBehind::kInFlight + 3 * WriteBehind::kWindow}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
