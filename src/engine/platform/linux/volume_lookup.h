// Linux backend: which volume of the device map a root "X:\" names.
#pragma once

#include <optional>

#include "engine/platform/device_map.h"

namespace win::linux_backend {

// The volume of the drive letter of a root "X:\" (the letter in either case), from the map as
// it is now; nothing for a text of another form or a letter with no volume.
std::optional<VolumeEntry> FindVolumeOfRoot(const char* rootPathName);

}  // namespace win::linux_backend
