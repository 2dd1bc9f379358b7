// What the job tells the user before it overwrites a disk or volume: which device it is, the
// question itself, and the refusals for file systems that are never unmounted.
#pragma once

#include <cstdint>
#include <string>

#include "engine/platform/device_facts.h"

// A size in the units the question uses, exact in bytes after it: "64.0 MB (67108864 字节)".
// `bytesWord` names the unit of the exact count ("字节" in the question, "bytes" in errors).
std::string DeviceSizeText(std::int64_t bytes, const char* bytesWord);

// The question before `target` (its full path) is overwritten: the device's system name, model
// and serial where known, its exact size, the file systems that will be unmounted, and whether
// to go on.
std::string DeviceQuestion(const std::string& target, const win::DeviceFacts& facts);

// Raises EDeviceError when a file system on the device must never be unmounted: the root file
// system, swap space in use, the program's own files or the source.
void CheckUnmountable(const std::string& target, const win::DeviceFacts& facts);
