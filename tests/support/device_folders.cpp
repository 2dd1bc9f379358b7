#include "support/device_folders.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

DeviceFolders::DeviceFolders() {
    fs::create_directories(dir_.File("sys/block"));
    fs::create_directories(dir_.File("sys/dev/block"));
    fs::create_directories(dir_.File("proc/self"));
    fs::create_directories(dir_.File("dev"));
    Put("proc/self/mountinfo", "");
    Put("proc/swaps", "Filename\tType\tSize\tUsed\tPriority\n");
}

win::DeviceRoots DeviceFolders::Roots() const {
    return {dir_.File("sys"), dir_.File("proc"), dir_.File("dev")};
}

std::string DeviceFolders::Node(const std::string& name) const {
    return dir_.File("dev/" + name);
}

void DeviceFolders::AddDisk(const std::string& name, std::int64_t sizeBytes,
                            const std::string& numbers, const std::string& model,
                            const std::string& serial) {
    const std::string folder = "sys/block/" + name;
    Put(folder + "/size", std::to_string(sizeBytes / 512) + "\n");
    Put(folder + "/removable", "1\n");
    if (!model.empty()) {
        Put(folder + "/device/model", model + "\n");
    }
    if (!serial.empty()) {
        Put(folder + "/device/serial", serial + "\n");
    }
    fs::create_symlink("../../block/" + name, dir_.File("sys/dev/block/" + numbers));
    std::ofstream(Node(name)).close();
    fs::resize_file(Node(name), static_cast<std::uintmax_t>(sizeBytes));
}

void DeviceFolders::AddPartition(const std::string& disk, const std::string& name,
                                 const std::string& numbers, std::int64_t startSector,
                                 std::int64_t sectors) {
    const std::string folder = "sys/block/" + disk + "/" + name;
    Put(folder + "/partition", "1\n");
    Put(folder + "/start", std::to_string(startSector) + "\n");
    Put(folder + "/size", std::to_string(sectors) + "\n");
    fs::create_symlink("../../block/" + disk + "/" + name, dir_.File("sys/dev/block/" + numbers));
    std::ofstream(Node(name)).close();
}

void DeviceFolders::Mount(const std::string& name, const std::string& numbers,
                          const std::string& mountPoint, const std::string& fsType) {
    ++mounts_;
    Append("proc/self/mountinfo", std::to_string(20 + mounts_) + " 1 " + numbers + " / " +
                                      mountPoint +
                                      " rw,relatime shared:" + std::to_string(mounts_) + " - " +
                                      fsType + " " + Node(name) + " rw");
}

void DeviceFolders::Swap(const std::string& path, bool partition) {
    Append("proc/swaps", path + (partition ? "\tpartition" : "\tfile") + "\t1024\t0\t-2");
}

void DeviceFolders::Program(const std::string& path) {
    fs::create_symlink(path, dir_.File("proc/self/exe"));
}

win::DeviceMap DeviceFolders::Disks(const std::vector<std::string>& names) const {
    win::DeviceMap map;
    for (const std::string& name : names) {
        map.disks.push_back({Node(name), name, true});
    }
    map.roots = Roots();
    return map;
}

void DeviceFolders::Put(const std::string& path, const std::string& text) const {
    fs::create_directories(fs::path(dir_.File(path)).parent_path());
    std::ofstream(dir_.File(path)) << text;
}

void DeviceFolders::Append(const std::string& path, const std::string& line) const {
    std::ofstream(dir_.File(path), std::ios::app) << line << "\n";
}
