// The target must never be where the source's data lies: a copy empties or overwrites its
// target before it has read the source.
#pragma once

#include <string>

// The root of the kernel's device tree on a running system.
inline constexpr const char* kSystemDeviceTree = "/sys";

// Raises EFCreateError when the target is the source file (by any name, link or bind mount),
// the file that holds a source loop device or the disk one of its partitions lies on, or the
// source device under another name. The same disk or volume named as both (by its device
// name) is allowed. A target that does not exist yet never clashes; the standard output is
// checked for the file or device it goes to.
void CheckTargetIsNotSource(const std::string& sourcePath, const std::string& targetPath,
                            const std::string& deviceTree = kSystemDeviceTree);
