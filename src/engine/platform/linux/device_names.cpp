// Linux backend: resolving "\\.\PhysicalDriveN" and "\\.\X:" through the device map.
#include "engine/platform/linux/device_names.h"

#include <cctype>
#include <string_view>

namespace win::linux_backend {
namespace {

constexpr std::string_view kPrefix = "\\\\.\\";
constexpr std::string_view kDiskStem = "PhysicalDrive";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A disk number in decimal, without sign or leading zeros, 0 to 255.
std::optional<std::size_t> DiskNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) {
        return std::nullopt;
    }
    std::size_t number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    if (number > 255) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

bool IsDeviceNamespacePath(const std::string& path) {
    return std::string_view(path).substr(0, kPrefix.size()) == kPrefix;
}

std::optional<DeviceTarget> ResolveDevicePath(const std::string& path, const DeviceMap& map) {
    if (!IsDeviceNamespacePath(path)) {
        return std::nullopt;
    }
    const std::string_view name = std::string_view(path).substr(kPrefix.size());
    // The device namespace ignores case, as the system it comes from does.
    if (name.size() > kDiskStem.size() &&
        EqualsIgnoringCase(name.substr(0, kDiskStem.size()), kDiskStem)) {
        const auto number = DiskNumber(name.substr(kDiskStem.size()));
        if (!number || *number >= map.disks.size()) {
            return std::nullopt;
        }
        DeviceTarget target;
        target.kind = DeviceTarget::Kind::Disk;
        target.disk = map.disks[*number];
        return target;
    }
    if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        for (const VolumeEntry& volume : map.volumes) {
            if (volume.letter == letter) {
                DeviceTarget target;
                target.kind = DeviceTarget::Kind::Volume;
                target.volume = volume;
                return target;
            }
        }
    }
    return std::nullopt;
}

}  // namespace win::linux_backend
