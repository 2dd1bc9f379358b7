// Faults the layer injects into reads, writes and flushes, for tests of how the engine copes
// with damaged sources and failing targets. With no plan installed nothing is injected.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/winapi.h"

namespace win {

struct FaultPlan {
    // A byte range [begin, end) of the object opened from `path` (the text given to
    // CreateFileA) that cannot be read. A ReadFile that starts inside the range fails with
    // `error`. One that starts before it and reaches into it either fails as well
    // (short = false) or delivers only the bytes before the range (short = true).
    struct BadRange {
        std::string path;
        std::int64_t begin = 0;
        std::int64_t end = 0;
        bool shortRead = false;
        DWORD error = ERROR_IO_DEVICE;
        // How many reads meeting the range fail before it reads well (a flaky sector); 0 for
        // every read.
        int failures = 0;
    };
    // A WriteFile to `path` that reaches byte `offset` fails with `error` (short = false) or
    // writes only the bytes before `offset` and reports that count (short = true).
    struct WriteFault {
        std::string path;
        std::int64_t offset = 0;
        bool shortWrite = false;
        DWORD error = ERROR_DISK_FULL;
    };

    std::vector<BadRange> badReads;
    std::vector<WriteFault> badWrites;
    // FlushFileBuffers on a handle opened from one of these paths fails with ERROR_IO_DEVICE.
    std::vector<std::string> failFlush;
    // Every ReadFile on a handle opened from this path first sleeps this long.
    std::string slowPath;
    std::chrono::milliseconds readDelay{0};
};

// Installs a plan for the handles opened from now on and the ones already open;
// std::nullopt removes it.
void SetFaultPlan(std::optional<FaultPlan> plan);

}  // namespace win
