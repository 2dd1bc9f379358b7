// Linux backend: the facts of a disk or volume from sysfs, the mount table and the swap list,
// and unmounting the file systems on it.
#include "engine/platform/device_facts.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "engine/platform/device_map.h"
#include "engine/platform/linux/device_map_builder.h"
#include "engine/platform/linux/device_names.h"
#include "engine/platform/linux/error_codes.h"
#include "engine/platform/linux/mount_table.h"

namespace win {
namespace {

namespace fs = std::filesystem;
using namespace linux_backend;

constexpr std::int64_t kSysfsSectorBytes = 512;
// How far up from a disk's device folder a serial number (of a USB device, for one) is looked
// for.
constexpr int kSerialSearchDepth = 8;

struct Mount {
    MountedFileSystem fileSystem;
    MountEntry entry;
};

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    text.erase(0, first);
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

// The host node a device path stands for: a disk or volume of the map, or the path itself
// when it is a file name.
std::optional<std::string> HostNode(const std::string& path, const DeviceMap& map) {
    if (!IsDeviceNamespacePath(path)) {
        return path;
    }
    const auto target = ResolveDevicePath(path, map);
    if (!target) {
        return std::nullopt;
    }
    return target->kind == DeviceTarget::Kind::Disk ? target->disk.node : target->volume.node;
}

// The kernel's name of a node in the folder of device nodes (sdb, sdb1, loop3); empty for
// anything else, such as a plain file standing in for a disk.
std::string KernelName(const std::string& node, const DeviceRoots& roots) {
    if (!node.starts_with(roots.dev + "/")) {
        return "";
    }
    const std::string name = fs::path(node).filename().string();
    return WholeDeviceOf(fs::path(roots.sys) / "block", name).empty() ? "" : name;
}

// True when `name` is the device `device` or one of its partitions.
bool IsOnDevice(const std::string& name, const std::string& device, const fs::path& block) {
    return !name.empty() && (name == device || WholeDeviceOf(block, name) == device);
}

std::string ModelOf(const fs::path& deviceFolder) {
    const std::string vendor = ReadLine(deviceFolder / "vendor");
    const std::string model = ReadLine(deviceFolder / "model");
    return Trimmed(Trimmed(vendor) + " " + Trimmed(model));
}

// The serial number: the disk's own, the unit serial number page of a SCSI disk, or that of
// the device it hangs on (a USB stick's is its USB device's).
std::string SerialOf(const fs::path& deviceFolder, const fs::path& sys) {
    std::string serial = Trimmed(ReadLine(deviceFolder / "serial"));
    if (!serial.empty()) {
        return serial;
    }
    std::ifstream page(deviceFolder / "vpd_pg80", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    if (bytes.size() > 4) {
        serial = Trimmed(bytes.substr(4));
        if (!serial.empty()) {
            return serial;
        }
    }
    std::error_code error;
    fs::path folder = fs::canonical(deviceFolder, error);
    const fs::path top = fs::canonical(sys, error);
    for (int depth = 0;
         !error && depth < kSerialSearchDepth && folder.has_relative_path() && folder != top;
         ++depth) {
        folder = folder.parent_path();
        serial = Trimmed(ReadLine(folder / "serial"));
        if (!serial.empty()) {
            return serial;
        }
    }
    return "";
}

// True when `path` lies at or below the folder `mountPoint`.
bool Below(const std::string& path, const std::string& mountPoint) {
    if (mountPoint == "/") {
        return path.starts_with("/");
    }
    return path == mountPoint || path.starts_with(mountPoint + "/");
}

// The mount (an index into `table`) whose file system holds `path`: the deepest mount point
// above it, the last mounted of equal ones.
std::optional<std::size_t> HolderOf(const std::string& path, const std::vector<MountEntry>& table) {
    std::optional<std::size_t> holder;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (Below(path, table[i].mountPoint) &&
            (!holder || table[i].mountPoint.size() >= table[*holder].mountPoint.size())) {
            holder = i;
        }
    }
    return holder;
}

struct SwapArea {
    std::string path;
    bool partition = false;
};

// The swap areas in use, from <proc>/swaps (a heading line, then one area a line).
std::vector<SwapArea> ReadSwaps(const fs::path& file) {
    std::vector<SwapArea> areas;
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string path, type;
        if (fields >> path >> type) {
            areas.push_back({UnescapeMountText(path), type == "partition"});
        }
    }
    return areas;
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? path : canonical.string();
}

// Everything the facts say about the mounts of `name` (a device of the kernel).
std::vector<Mount> MountsOf(const std::string& name, const std::string& keptPath,
                            const DeviceMap& map) {
    const DeviceRoots& roots = map.roots;
    const fs::path sys(roots.sys);
    const fs::path block = sys / "block";
    const std::vector<MountEntry> table = ReadMountInfo(roots.proc + "/self/mountinfo");

    std::vector<Mount> mounts;
    std::vector<std::size_t> tableIndex;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string mounted = BlockDeviceName(sys, roots.dev, table[i]);
        if (IsOnDevice(mounted, name, block)) {
            MountedFileSystem fileSystem;
            fileSystem.device = roots.dev + "/" + mounted;
            fileSystem.mountPoint = table[i].mountPoint;
            fileSystem.fsType = table[i].fsType;
            fileSystem.isRoot = table[i].mountPoint == "/";
            mounts.push_back({fileSystem, table[i]});
            tableIndex.push_back(i);
        }
    }
    // Marks the mount of ours whose file system holds `path`.
    const auto markHolder = [&](const std::string& path, bool MountedFileSystem::*flag) {
        if (const auto holder = HolderOf(path, table)) {
            for (std::size_t k = 0; k < mounts.size(); ++k) {
                if (tableIndex[k] == *holder) {
                    mounts[k].fileSystem.*flag = true;
                }
            }
        }
    };

    for (const SwapArea& area : ReadSwaps(fs::path(roots.proc) / "swaps")) {
        if (!area.partition) {
            markHolder(area.path, &MountedFileSystem::holdsSwap);
            continue;
        }
        const std::string swapName = KernelName(area.path, roots);
        if (IsOnDevice(swapName, name, block)) {
            MountedFileSystem swap;
            swap.device = area.path;
            swap.fsType = "swap";
            swap.holdsSwap = true;
            mounts.push_back({swap, MountEntry{}});
            tableIndex.push_back(table.size());
        }
    }

    std::error_code error;
    const fs::path program = fs::read_symlink(fs::path(roots.proc) / "self" / "exe", error);
    if (!error) {
        markHolder(program.string(), &MountedFileSystem::holdsProgram);
    }

    if (!keptPath.empty()) {
        const std::optional<std::string> keptNode = HostNode(keptPath, map);
        const std::string keptName = keptNode ? KernelName(*keptNode, roots) : "";
        if (!keptName.empty()) {
            for (Mount& mount : mounts) {
                const std::string mounted = fs::path(mount.fileSystem.device).filename().string();
                mount.fileSystem.holdsKeptPath =
                    IsOnDevice(mounted, keptName, block) || IsOnDevice(keptName, mounted, block);
            }
        } else if (keptNode && !IsDeviceNamespacePath(keptPath)) {
            markHolder(AbsolutePath(keptPath), &MountedFileSystem::holdsKeptPath);
        }
    }
    return mounts;
}

// The facts, with the mount table entries behind them.
std::optional<std::pair<DeviceFacts, std::vector<Mount>>> Describe(const std::string& devicePath,
                                                                   const std::string& keptPath) {
    const DeviceMap map = CurrentDeviceMap();
    const std::optional<std::string> node = HostNode(devicePath, map);
    if (!node) {
        return std::nullopt;
    }
    DeviceFacts facts;
    const std::string name = KernelName(*node, map.roots);
    if (name.empty()) {
        std::error_code error;
        const auto size = fs::file_size(*node, error);
        facts.sizeBytes = error ? 0 : static_cast<std::int64_t>(size);
        return std::make_pair(facts, std::vector<Mount>{});
    }
    const fs::path block = fs::path(map.roots.sys) / "block";
    const std::string whole = WholeDeviceOf(block, name);
    const fs::path place = whole == name ? block / name : block / whole / name;
    const std::string sectors = ReadLine(place / "size");
    facts.systemName = map.roots.dev + "/" + name;
    facts.sizeBytes =
        sectors.empty() || sectors.find_first_not_of("0123456789") != std::string::npos
            ? 0
            : std::stoll(sectors) * kSysfsSectorBytes;
    facts.model = ModelOf(block / whole / "device");
    facts.serial = SerialOf(block / whole / "device", map.roots.sys);
    std::vector<Mount> mounts = MountsOf(name, keptPath, map);
    for (const Mount& mount : mounts) {
        facts.mounts.push_back(mount.fileSystem);
    }
    return std::make_pair(facts, std::move(mounts));
}

}  // namespace

BOOL GetDeviceFacts(const std::string& devicePath, const std::string& keptPath,
                    DeviceFacts* facts) {
    if (facts == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto described = Describe(devicePath, keptPath);
    if (!described) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    *facts = described->first;
    return TRUE;
}

BOOL UnmountDeviceFileSystems(const std::string& devicePath) {
    const auto described = Describe(devicePath, "");
    if (!described) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const std::vector<Mount>& mounts = described->second;
    for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) {
        if (it->fileSystem.mountPoint.empty()) {
            continue;  // a swap area
        }
        // Only a mount point that really carries that file system now is unmounted: the
        // table may be stale, or come from a folder standing in for the system's.
        struct stat info {};
        if (::stat(it->fileSystem.mountPoint.c_str(), &info) != 0) {
            return FailWithHostError(errno);
        }
        if (info.st_dev != makedev(it->entry.major, it->entry.minor)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        if (::umount2(it->fileSystem.mountPoint.c_str(), 0) != 0) {
            return FailWithHostError(errno);
        }
    }
    return TRUE;
}

}  // namespace win
