// Opening one endpoint of a job once, in the mode its path calls for, and measuring it.
#pragma once

#include <cstdint>
#include <string>

enum class EndpointRole { Source, Target };

// Opens the endpoint and returns its size in bytes: a disk by its geometry, a volume by its
// length on the disk, a file by its length. A source is opened read-only; a target read-write
// (claimed exclusively when it is a device), or created anew, empty, when `create` is set.
// Raises EFOpenError or EFCreateError when it cannot be opened, EDeviceError when a disk or
// volume cannot be measured. Nothing stays open.
std::int64_t GetEndpointSize(const std::string& path, bool create, EndpointRole role);

// True when the path names a disk or a volume rather than a file: a device path or one of its
// short forms, or a file name of the system that names a block device.
bool IsDeviceEndpoint(const std::string& path);
