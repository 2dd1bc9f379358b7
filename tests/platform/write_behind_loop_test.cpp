// A disk that loses what is written to it: write-back fails after the data left the writer.
// The layer starts write-back behind the writing position and waits for it, which tells the
// error to the handle instead of to the final fsync(); the error must still come out, at the
// latest from FlushFileBuffers, however much was written.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/platform/linux/write_behind.h"
#include "engine/platform/winapi.h"
#include "support/loop_device.h"
#include "support/run_command.h"
#include "support/scoped_handle.h"

using namespace win;
using linux_backend::WriteBehind;

namespace {

// A loop device over a sparse file much larger than the free space of the file system that
// holds it: what goes beyond that space never reaches the file.
class OverfullLoop {
  public:
    explicit OverfullLoop(const std::string& backingFile, std::int64_t sizeBytes) {
        std::ofstream(backingFile, std::ios::binary).close();
        std::filesystem::resize_file(backingFile, static_cast<std::uintmax_t>(sizeBytes));
        const CommandResult attached = RunCommand({"losetup", "-f", "--show", backingFile});
        std::string node = attached.output;
        while (!node.empty() && node.back() == '\n') {
            node.pop_back();
        }
        if (attached.exitCode != 0 || !std::string_view(node).starts_with("/dev/loop")) {
            throw std::runtime_error("losetup failed on " + backingFile);
        }
        node_ = node;
    }
    ~OverfullLoop() { RunCommand({"losetup", "-d", node_}); }
    OverfullLoop(const OverfullLoop&) = delete;
    OverfullLoop& operator=(const OverfullLoop&) = delete;

    const std::string& Node() const { return node_; }

  private:
    std::string node_;
};

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
    OverfullLoop disk(holder.MountPoint() + "/disk.img", 128 << 20);

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
