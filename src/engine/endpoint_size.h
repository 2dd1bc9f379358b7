// Opening one endpoint of a job once, in the mode its path calls for, and measuring it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/endpoint_identity.h"

class TFileStream;

enum class EndpointRole { Source, Target };

// An endpoint as it was measured: its size, and the file or device its name led to then.
struct EndpointMeasure {
    std::int64_t size = 0;
    std::optional<EndpointIdentity> identity;
};

// Opens the endpoint and returns its size in bytes: a disk by its geometry, a volume by its
// length on the disk, a file by its length. A source is opened read-only; a target read-write
// (claimed exclusively when it is a device), or created anew, empty, when `create` is set.
// Raises EFOpenError or EFCreateError when it cannot be opened, EDeviceError when a disk or
// volume cannot be measured. Nothing stays open.
// A source that is not a file or a disk (a pipe, a character device, a file the system makes up
// as it is read) has no fixed size and is refused with EFOpenError.
std::int64_t GetEndpointSize(const std::string& path, bool create, EndpointRole role);
// The same, with the file or device the endpoint's name led to.
EndpointMeasure MeasureEndpoint(const std::string& path, bool create, EndpointRole role);

// The path an endpoint is opened by: a disk name or a bare drive gets the device prefix.
std::string EndpointOpenPath(const std::string& path);

// The size of an endpoint that is open under the path it was opened by, measured as
// GetEndpointSize measures it.
std::int64_t SizeOfOpenEndpoint(TFileStream& stream);

// True when the path names a disk or a volume rather than a file: a device path or one of its
// short forms, or a file name of the system that names a block device.
bool IsDeviceEndpoint(const std::string& path);
