#include "engine/device_paths.h"

namespace {

// The characters from position `first` (counting from 1) on, at most `count` of them; only
// those that exist.
std::string Mid(const std::string& text, std::size_t first, std::size_t count) {
    if (first < 1 || first > text.size()) {
        return "";
    }
    return text.substr(first - 1, count);
}

constexpr std::size_t kStemLength = 13;   // "PhysicalDrive"
constexpr std::size_t kPrefixLength = 4;  // "\\.\"

}  // namespace

void InitDeviceNames(std::string& driveStem, std::string& devicePrefix) {
    driveStem = "PhysicalDrive";
    devicePrefix = "\\\\.\\";
}

bool IsDiskName(const std::string& text, const std::string& driveStem) {
    return Mid(text, 1, kStemLength) == driveStem;
}

bool IsBareDrive(const std::string& text) {
    return text.size() == 2 && text[1] == ':';
}

bool IsPhysicalDiskPath(const std::string& text, const std::string& driveStem) {
    return Mid(text, kPrefixLength + 1, kStemLength) == driveStem;
}

bool IsDevicePath(const std::string& text, const std::string& devicePrefix) {
    return Mid(text, 1, kPrefixLength) == devicePrefix;
}

std::string VolumeLetterOf(const std::string& devicePath) {
    return Mid(devicePath, kPrefixLength + 1, 1);
}

std::string DiskNameToPath(const std::string& diskName, const std::string& devicePrefix) {
    return devicePrefix + diskName;
}

std::string BareDriveToPath(const std::string& bareDrive, const std::string& devicePrefix) {
    return devicePrefix + bareDrive;
}
