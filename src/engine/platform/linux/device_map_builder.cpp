// Linux backend: the device map from /sys and /proc. Nothing here depends on udev: disks come
// from the kernel's list of block devices, volumes from its mount table.
#include "engine/platform/linux/device_map_builder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>
#include <system_error>

#include "engine/platform/linux/mount_table.h"

namespace win::linux_backend {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxVolumes = 24;  // C to Z
constexpr std::int64_t kSysfsSectorBytes = 512;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool AllLowerLetters(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

constexpr std::string_view kFamilies[] = {"xvd", "sd", "vd", "hd", "nvme", "mmcblk"};

// The family of a disk name: the prefix that says which kind of driver it comes from.
std::string_view FamilyOf(std::string_view name) {
    for (const std::string_view prefix : kFamilies) {
        if (name.starts_with(prefix)) {
            return prefix;
        }
    }
    return {};
}

// Whole disks by name: sda, vdb, xvdc, hdd, nvme0n1, mmcblk0 (not their partitions, NVMe
// controller paths or the boot and RPMB areas of an eMMC).
bool IsDiskName(std::string_view name) {
    const std::string_view family = FamilyOf(name);
    const std::string_view rest = name.substr(family.size());
    if (family == "nvme") {
        const auto n = rest.find('n');
        return n != std::string_view::npos && AllDigits(rest.substr(0, n)) &&
               AllDigits(rest.substr(n + 1));
    }
    if (family == "mmcblk") {
        return AllDigits(rest);
    }
    return !family.empty() && AllLowerLetters(rest);
}

// Compares runs of digits as numbers and runs of letters first by length (sdb < sdaa), then
// alphabetically.
int CompareRun(std::string_view a, std::string_view b, bool digits) {
    if (digits) {
        a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
        b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

// Natural name order within a family (sda < sdb < sdaa, nvme0n1 < nvme0n2 < nvme1n1); the
// families in alphabetical order.
bool NaturalLess(const std::string& a, const std::string& b) {
    const std::string_view familyA = FamilyOf(a);
    const std::string_view familyB = FamilyOf(b);
    if (familyA != familyB) {
        return familyA < familyB;
    }
    std::string_view restA = std::string_view(a).substr(familyA.size());
    std::string_view restB = std::string_view(b).substr(familyB.size());
    while (!restA.empty() && !restB.empty()) {
        const bool digitsA = IsDigit(restA[0]);
        if (digitsA != IsDigit(restB[0])) {
            return !digitsA;  // letters before digits
        }
        const auto runEnd = [&](std::string_view text) {
            std::size_t end = 0;
            while (end < text.size() && IsDigit(text[end]) == digitsA) {
                ++end;
            }
            return end;
        };
        const std::size_t endA = runEnd(restA);
        const std::size_t endB = runEnd(restB);
        const int order = CompareRun(restA.substr(0, endA), restB.substr(0, endB), digitsA);
        if (order != 0) {
            return order < 0;
        }
        restA.remove_prefix(endA);
        restB.remove_prefix(endB);
    }
    return restA.size() < restB.size();
}

}  // namespace

std::string ReadLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
        line.pop_back();
    }
    return line;
}

namespace {

std::int64_t ReadSectors(const fs::path& path) {
    const std::string text = ReadLine(path);
    return AllDigits(text) ? std::stoll(text) * kSysfsSectorBytes : 0;
}

std::vector<std::string> ListDir(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

std::vector<DiskEntry> ListDisks(const fs::path& block, const std::string& devRoot) {
    std::vector<std::string> disks;
    std::vector<std::pair<long, std::string>> loops;
    for (const std::string& name : ListDir(block)) {
        if (IsDiskName(name)) {
            disks.push_back(name);
        } else if (name.starts_with("loop") && AllDigits(std::string_view(name).substr(4)) &&
                   !ReadLine(block / name / "loop" / "backing_file").empty()) {
            loops.emplace_back(std::stol(name.substr(4)), name);
        }
    }
    std::sort(disks.begin(), disks.end(), NaturalLess);
    std::sort(loops.begin(), loops.end());
    for (const auto& loop : loops) {
        disks.push_back(loop.second);
    }
    std::vector<DiskEntry> entries;
    for (const std::string& name : disks) {
        DiskEntry entry;
        entry.name = name;
        entry.node = devRoot + "/" + name;
        entry.removable = ReadLine(block / name / "removable") == "1";
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

std::string WholeDeviceOf(const fs::path& block, const std::string& name) {
    std::error_code error;
    if (fs::is_directory(block / name, error)) {
        return name;
    }
    for (const std::string& whole : ListDir(block)) {
        if (fs::is_directory(block / whole / name, error)) {
            return whole;
        }
    }
    return "";
}

std::string BlockDeviceName(const fs::path& sys, const std::string& devRoot,
                            const MountEntry& mount) {
    if (!mount.source.starts_with(devRoot + "/")) {
        return "";
    }
    if (mount.major != 0) {
        const std::string numbers = std::to_string(mount.major) + ":" + std::to_string(mount.minor);
        std::error_code error;
        const fs::path link = fs::read_symlink(sys / "dev" / "block" / numbers, error);
        if (!error && !link.filename().empty()) {
            return link.filename().string();
        }
        for (const std::string& name : ListDir(sys / "class" / "block")) {
            if (ReadLine(sys / "class" / "block" / name / "dev") == numbers) {
                return name;
            }
        }
    }
    const std::string name = fs::path(mount.source).filename().string();
    return WholeDeviceOf(sys / "block", name).empty() ? "" : name;
}

namespace {

bool IsNetworkShare(const std::string& fsType) {
    static const std::set<std::string> kinds{"nfs", "nfs4", "cifs", "smb3"};
    return kinds.count(fsType) != 0;
}

// File systems that live in memory or stand for the kernel's own tables: never volumes.
bool IsPseudoFileSystem(const std::string& fsType) {
    static const std::set<std::string> kinds{
        "proc",        "sysfs",    "tmpfs",    "devtmpfs",   "devpts",    "cgroup",
        "cgroup2",     "overlay",  "mqueue",   "debugfs",    "tracefs",   "securityfs",
        "pstore",      "bpf",      "configfs", "fusectl",    "hugetlbfs", "autofs",
        "binfmt_misc", "efivarfs", "ramfs",    "rpc_pipefs", "nsfs"};
    return kinds.count(fsType) != 0;
}

UINT DriveTypeOf(const std::string& whole, bool removable) {
    if (whole.starts_with("sr")) {
        return DRIVE_CDROM;
    }
    if (whole.starts_with("ram") || whole.starts_with("zram")) {
        return DRIVE_RAMDISK;
    }
    return removable ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

VolumeEntry BlockVolume(const fs::path& block, const std::string& devRoot,
                        const std::vector<DiskEntry>& disks, const std::string& name,
                        const MountEntry& mount) {
    VolumeEntry volume;
    volume.node = devRoot + "/" + name;
    volume.mountPoint = mount.mountPoint;
    volume.fsType = mount.fsType;
    const std::string whole = WholeDeviceOf(block, name);
    const fs::path place = whole == name ? block / name : block / whole / name;
    if (whole != name) {
        volume.startingOffset = ReadSectors(place / "start");
    }
    volume.extentLength = ReadSectors(place / "size");
    const auto disk = std::find_if(disks.begin(), disks.end(),
                                   [&](const DiskEntry& entry) { return entry.name == whole; });
    volume.diskNumber = disk == disks.end() ? -1 : static_cast<std::int32_t>(disk - disks.begin());
    const bool removable =
        disk != disks.end() ? disk->removable : ReadLine(block / whole / "removable") == "1";
    volume.driveType = DriveTypeOf(whole, removable);
    return volume;
}

}  // namespace

DeviceMap BuildDeviceMap(const std::string& sysRoot, const std::string& procRoot,
                         const std::string& devRoot) {
    const fs::path sys(sysRoot);
    const fs::path block = sys / "block";
    DeviceMap map;
    map.roots = DeviceRoots{sysRoot, procRoot, devRoot};
    map.disks = ListDisks(block, devRoot);

    std::set<std::string> seenDevices;
    std::set<std::string> seenShares;
    std::vector<VolumeEntry> shares;
    for (const MountEntry& mount : ReadMountInfo(procRoot + "/self/mountinfo")) {
        if (IsNetworkShare(mount.fsType)) {
            if (seenShares.insert(mount.source).second) {
                VolumeEntry share;
                share.mountPoint = mount.mountPoint;
                share.fsType = mount.fsType;
                share.driveType = DRIVE_REMOTE;
                shares.push_back(std::move(share));
            }
            continue;
        }
        if (IsPseudoFileSystem(mount.fsType)) {
            continue;
        }
        const std::string name = BlockDeviceName(sys, devRoot, mount);
        if (name.empty() || !seenDevices.insert(name).second) {
            continue;
        }
        map.volumes.push_back(BlockVolume(block, devRoot, map.disks, name, mount));
    }
    map.volumes.insert(map.volumes.end(), shares.begin(), shares.end());
    if (map.volumes.size() > kMaxVolumes) {
        map.volumes.resize(kMaxVolumes);
    }
    char letter = 'C';
    for (VolumeEntry& volume : map.volumes) {
        volume.letter = letter++;
    }
    return map;
}

DeviceMap BuildSystemDeviceMap() {
    return BuildDeviceMap("/sys", "/proc", "/dev");
}

}  // namespace win::linux_backend
