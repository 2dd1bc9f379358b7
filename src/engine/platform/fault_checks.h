// The layer's side of the fault plan: what a read, write or flush on a handle opened from a
// given path must suffer. Cheap when no plan is installed.
#pragma once

#include <cstdint>
#include <string>

#include "engine/platform/winapi.h"

namespace win::faults {

// True while a plan is installed; the layer asks the questions below only then.
bool PlanInstalled();

struct Verdict {
    bool fail = false;  // the call fails with `error` and moves no byte
    DWORD allowed = 0;  // otherwise: how many bytes the call may move (<= the count asked)
    DWORD error = 0;    // set when the call fails or is cut short
};

// A read or write of `count` bytes at `position` of the object opened from `path`.
Verdict CheckRead(const std::string& path, std::int64_t position, DWORD count);
Verdict CheckWrite(const std::string& path, std::int64_t position, DWORD count);
// Sleeps as long as the plan says reads from `path` take.
void DelayRead(const std::string& path);
// True when flushing a handle opened from `path` must fail.
bool FlushFails(const std::string& path);

}  // namespace win::faults
