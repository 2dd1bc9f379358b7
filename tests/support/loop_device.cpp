#include "support/loop_device.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "support/run_command.h"

namespace {

bool Succeeds(const std::vector<std::string>& argv, const std::string& input = "") {
    return RunCommand(argv, input).exitCode == 0;
}

bool IsBlockDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
}

// The kernel makes partition nodes on its own; give it a moment.
bool WaitForBlockDevice(const std::string& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (IsBlockDevice(path)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

LoopDeviceOptions MountedFirstPartition(std::int64_t sizeBytes, const std::string& partitionTable) {
    LoopDeviceOptions options;
    options.sizeBytes = sizeBytes;
    options.partitionTable = partitionTable;
    options.formatPartition = 1;
    options.mount = true;
    return options;
}

bool LoopDevice::Available() {
    return WhyUnavailable().empty();
}

std::string LoopDevice::WhyUnavailable() {
    static const std::string why = []() -> std::string {
        if (::geteuid() != 0) {
            return "loop devices need root";
        }
        if (::access("/dev/loop-control", F_OK) != 0) {
            return "no /dev/loop-control";
        }
        for (const char* tool : {"losetup", "sfdisk", "partx", "mkfs.ext4", "mount", "umount"}) {
            if (!Succeeds({"sh", "-c", std::string("command -v ") + tool})) {
                return std::string("the tool ") + tool + " is missing";
            }
        }
        return "";
    }();
    return why;
}

LoopDevice::LoopDevice(const LoopDeviceOptions& options) {
    try {
        backingFile_ = options.backingFile.empty() ? dir_.File("disk.img") : options.backingFile;
        std::ofstream(backingFile_, std::ios::binary).close();
        std::filesystem::resize_file(backingFile_, static_cast<std::uintmax_t>(options.sizeBytes));
        if (!options.partitionTable.empty()) {
            const std::string script = dir_.WriteFile("layout.sfdisk", options.partitionTable);
            if (!Succeeds({"sfdisk", "--quiet", backingFile_}, script)) {
                throw std::runtime_error("sfdisk failed");
            }
        }
        const CommandResult attached = RunCommand({"losetup", "-f", "--show", backingFile_});
        const std::string node = Trimmed(attached.output);
        if (attached.exitCode != 0 || !std::string_view(node).starts_with("/dev/loop")) {
            throw std::runtime_error("losetup failed");
        }
        node_ = node;
        if (!options.partitionTable.empty()) {
            Succeeds({"partx", "-u", node_});
            if (!WaitForBlockDevice(PartitionNode(1))) {
                throw std::runtime_error("no partition nodes for " + node_);
            }
        }
        if (options.formatPartition != 0) {
            const std::string target =
                options.formatPartition < 0 ? node_ : PartitionNode(options.formatPartition);
            if (!WaitForBlockDevice(target) ||
                !Succeeds({"mkfs.ext4", "-q", "-F", "-L", options.label, target})) {
                throw std::runtime_error("mkfs.ext4 failed on " + target);
            }
            if (options.mount) {
                const std::string mountPoint = dir_.File("mnt");
                std::filesystem::create_directory(mountPoint);
                if (!Succeeds({"mount", "-t", "ext4", target, mountPoint})) {
                    throw std::runtime_error("mount failed on " + target);
                }
                mountPoint_ = mountPoint;
            }
        }
    } catch (...) {
        Teardown();
        throw;
    }
}

LoopDevice::~LoopDevice() {
    Teardown();
}

void LoopDevice::Teardown() {
    // A test may have unmounted the file system itself.
    if (!mountPoint_.empty() && !Succeeds({"mountpoint", "-q", mountPoint_})) {
        mountPoint_.clear();
    }
    if (!mountPoint_.empty()) {
        bool unmounted = false;
        for (int attempt = 0; attempt < 20 && !unmounted; ++attempt) {
            unmounted = Succeeds({"umount", mountPoint_});
            if (!unmounted) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (!unmounted) {
            // Still busy: detach it so that removing the folder cannot reach into it.
            Succeeds({"umount", "-l", mountPoint_});
        }
        mountPoint_.clear();
    }
    if (!node_.empty()) {
        // Partitions that partx added outlive the detach and would confuse the next user of
        // the same loop device: drop them first.
        Succeeds({"partx", "-d", node_});
        Succeeds({"losetup", "-d", node_});
        node_.clear();
    }
}

std::string LoopDevice::Name() const {
    return node_.substr(node_.rfind('/') + 1);
}

std::string LoopDevice::PartitionNode(int number) const {
    return node_ + "p" + std::to_string(number);
}
