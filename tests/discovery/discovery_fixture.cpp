#include "discovery_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace discovery_test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "discovery-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = buffer.data();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedDeviceMap::ScopedDeviceMap(win::DeviceMap map) {
    win::SetDeviceMapSource([map] { return map; });
}

ScopedDeviceMap::~ScopedDeviceMap() {
    win::SetDeviceMapSource({});
}

bool MakeFileSystemImage(const std::string& path, std::int64_t bytes, const std::string& command) {
    std::filesystem::remove(path);
    { std::ofstream create(path, std::ios::binary); }
    std::error_code error;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(bytes), error);
    if (error) {
        return false;
    }
    const std::string line = command + " '" + path + "' >/dev/null 2>&1";
    return std::system(line.c_str()) == 0;
}

win::VolumeEntry Volume(char letter, const std::string& node, win::UINT driveType,
                        std::int32_t diskNumber, const std::string& mountPoint) {
    win::VolumeEntry volume;
    volume.letter = letter;
    volume.node = node;
    volume.mountPoint = mountPoint;
    volume.driveType = driveType;
    volume.diskNumber = diskNumber;
    return volume;
}

}  // namespace discovery_test
