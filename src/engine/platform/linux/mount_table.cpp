// Linux backend: reading /proc/self/mountinfo.
#include "engine/platform/linux/mount_table.h"

#include <fstream>
#include <sstream>

namespace win::linux_backend {

std::string UnescapeMountText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const auto isOctal = [&](std::size_t k) { return text[k] >= '0' && text[k] <= '7'; };
            if (isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
                out.push_back(static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                                (text[i + 3] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

bool ParseMountInfoLine(const std::string& line, MountEntry& entry) {
    // id parent major:minor root mountpoint options [optional fields...] - fstype source super
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint, options;
    if (!(fields >> id >> parent >> device >> root >> mountPoint >> options)) {
        return false;
    }
    std::string field;
    while (fields >> field && field != "-") {
    }
    std::string fsType, source;
    if (field != "-" || !(fields >> fsType >> source)) {
        return false;
    }
    unsigned major = 0, minor = 0;
    char colon = 0;
    std::istringstream numbers(device);
    if (!(numbers >> major >> colon >> minor) || colon != ':') {
        return false;
    }
    entry.major = major;
    entry.minor = minor;
    entry.mountPoint = UnescapeMountText(mountPoint);
    entry.fsType = fsType;
    entry.source = UnescapeMountText(source);
    return true;
}

std::vector<MountEntry> ReadMountInfo(const std::string& path) {
    std::vector<MountEntry> entries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        MountEntry entry;
        if (ParseMountInfoLine(line, entry)) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

}  // namespace win::linux_backend
