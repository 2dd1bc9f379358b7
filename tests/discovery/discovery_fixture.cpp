#include "discovery_fixture.h"

#include <filesystem>
#include <fstream>

#include "support/run_command.h"

namespace discovery_test {

bool MakeFileSystemImage(const std::string& path, std::int64_t bytes,
                         std::vector<std::string> mkfs) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).close();
    std::error_code error;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(bytes), error);
    if (error) {
        return false;
    }
    if (mkfs.empty()) {
        return true;
    }
    mkfs.push_back(path);
    return RunCommand(mkfs).exitCode == 0;
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
