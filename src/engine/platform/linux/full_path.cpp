// Linux backend: GetFullPathNameA.
#include <filesystem>
#include <system_error>

#include "engine/platform/linux/device_names.h"
#include "engine/platform/winapi.h"

namespace win {

std::string GetFullPathNameA(const std::string& fileName) {
    if (fileName.empty() || linux_backend::IsDeviceNamespacePath(fileName)) {
        return fileName;
    }
    std::filesystem::path path(fileName);
    if (path.is_relative()) {
        std::error_code error;
        const auto current = std::filesystem::current_path(error);
        if (error) {
            return fileName;
        }
        path = current / path;
    }
    std::string full = path.lexically_normal().string();
    // "dir/" names the folder, as the system it comes from writes it without the separator.
    if (full.size() > 1 && full.back() == '/') {
        full.pop_back();
    }
    return full;
}

}  // namespace win
