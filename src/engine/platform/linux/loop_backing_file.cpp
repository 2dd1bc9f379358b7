// Linux backend: the backing file of a loop device, read from the kernel's device tree.
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <string_view>

#include "engine/platform/winapi.h"

namespace win {
namespace {

// The first line of a file of the device tree; empty when there is none.
std::string FirstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::string GetLoopBackingFile(const std::string& deviceTreeRoot, ULONGLONG deviceNumber) {
    namespace fs = std::filesystem;
    const auto number = static_cast<dev_t>(deviceNumber);
    const fs::path link = fs::path(deviceTreeRoot) / "dev" / "block" /
                          (std::to_string(::major(number)) + ":" + std::to_string(::minor(number)));
    std::error_code error;
    fs::path device = fs::canonical(link, error);
    if (error) {
        return "";
    }
    // A partition of a loop device: its disk is the folder above it.
    if (!fs::exists(device / "loop", error) && fs::exists(device / "partition", error)) {
        device = device.parent_path();
    }
    std::string backing = FirstLine(device / "loop" / "backing_file");
    // A backing file that was removed after the device was set up keeps its old name.
    constexpr std::string_view kDeleted = " (deleted)";
    if (backing.size() > kDeleted.size() &&
        std::string_view(backing).substr(backing.size() - kDeleted.size()) == kDeleted) {
        backing.resize(backing.size() - kDeleted.size());
    }
    return backing;
}

}  // namespace win
