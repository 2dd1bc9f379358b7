// Linux backend: the kernel's mount table (/proc/self/mountinfo), line by line.
#pragma once

#include <string>
#include <vector>

namespace win::linux_backend {

struct MountEntry {
    unsigned major = 0;  // device numbers of the mounted file system
    unsigned minor = 0;
    std::string mountPoint;  // unescaped
    std::string fsType;
    std::string source;  // unescaped; "/dev/..." for block devices
};

// The entries of a mountinfo file in its order; lines that do not parse are left out.
std::vector<MountEntry> ReadMountInfo(const std::string& path);
// One mountinfo line; false when it does not parse.
bool ParseMountInfoLine(const std::string& line, MountEntry& entry);
// The kernel writes space, tab, newline and backslash in mount paths as \ooo (octal).
std::string UnescapeMountText(const std::string& text);

}  // namespace win::linux_backend
