// Which file or device an open endpoint is, whatever name it was opened by.
#pragma once

#include <optional>

#include "engine/platform/winapi.h"

class TFileStream;

struct EndpointIdentity {
    bool device = false;        // a device: `number` is the host's device number
    win::DWORD volume = 0;      // a file: the volume serial number...
    win::ULONGLONG number = 0;  // ...and the file index there
    bool operator==(const EndpointIdentity&) const = default;
};

// The identity of the open endpoint; nothing when the system tells neither (a pipe).
std::optional<EndpointIdentity> IdentityOf(const TFileStream& stream);
