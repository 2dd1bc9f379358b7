#include "engine/platform/linux/volume_lookup.h"

#include <cctype>
#include <cstring>

namespace win::linux_backend {

std::optional<VolumeEntry> FindVolumeOfRoot(const char* rootPathName) {
    if (rootPathName == nullptr || std::strlen(rootPathName) != 3 || rootPathName[1] != ':' ||
        rootPathName[2] != '\\') {
        return std::nullopt;
    }
    const char letter =
        static_cast<char>(std::toupper(static_cast<unsigned char>(rootPathName[0])));
    if (letter < 'A' || letter > 'Z') {
        return std::nullopt;
    }
    for (const VolumeEntry& volume : CurrentDeviceMap().volumes) {
        if (volume.letter == letter) {
            return volume;
        }
    }
    return std::nullopt;
}

}  // namespace win::linux_backend
