#include "support/bad_sector_disk.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "support/run_command.h"

extern char** environ;

namespace {

#ifdef VARNEL_BAD_SECTOR_FS
constexpr const char* kFileSystemProgram = VARNEL_BAD_SECTOR_FS;
#else
constexpr const char* kFileSystemProgram = "";
#endif

bool Succeeds(const std::vector<std::string>& argv) {
    return RunCommand(argv).exitCode == 0;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

bool IsMountPoint(const std::string& path) {
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (fields >> id >> parent >> device >> root >> mountPoint && mountPoint == path) {
            return true;
        }
    }
    return false;
}

// Waits up to `limit` for the process to end; true when it ended (and was reaped).
bool Reaped(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

bool BadSectorDisk::Available() {
    return WhyUnavailable().empty();
}

std::string BadSectorDisk::WhyUnavailable() {
    static const std::string why = []() -> std::string {
        if (std::string_view(kFileSystemProgram).empty()) {
            return "built without libfuse3 (no bad_sector_fs)";
        }
        if (::geteuid() != 0) {
            return "the bad-sector disk needs root";
        }
        if (::access("/dev/fuse", R_OK | W_OK) != 0) {
            return "no /dev/fuse";
        }
        if (::access("/dev/loop-control", F_OK) != 0) {
            return "no /dev/loop-control";
        }
        for (const char* tool : {"losetup", "fusermount3", "umount"}) {
            if (!Succeeds({"sh", "-c", std::string("command -v ") + tool})) {
                return std::string("the tool ") + tool + " is missing";
            }
        }
        return "";
    }();
    return why;
}

BadSectorDisk::BadSectorDisk(const std::string& content)
    : image_(dir_.File("disk.img")),
      rules_(dir_.File("rules")),
      mountPoint_(dir_.File("mnt")),
      served_(mountPoint_ + "/disk"),
      size_(static_cast<std::int64_t>(content.size())) {
    if (content.empty() || content.size() % 512 != 0) {
        throw std::invalid_argument("a bad-sector disk holds whole 512-byte sectors");
    }
    try {
        dir_.WriteFile("disk.img", content);
        WriteRules();
        std::filesystem::create_directory(mountPoint_);
        StartServer();
        const CommandResult attached = RunCommand(
            {"losetup", "--direct-io=on", "--sector-size", "512", "-f", "--show", served_});
        const std::string node = Trimmed(attached.output);
        if (attached.exitCode != 0 || !std::string_view(node).starts_with("/dev/loop")) {
            throw std::runtime_error("losetup failed on " + served_);
        }
        node_ = node;
        std::string directIo;
        std::ifstream("/sys/block/" + Name() + "/loop/dio") >> directIo;
        if (directIo != "1") {
            throw std::runtime_error(node_ + " reads its backing file without direct I/O");
        }
    } catch (...) {
        Teardown();
        throw;
    }
}

BadSectorDisk::~BadSectorDisk() {
    Teardown();
}

std::string BadSectorDisk::Name() const {
    return node_.substr(node_.rfind('/') + 1);
}

void BadSectorDisk::SetBadRanges(const std::vector<BadRange>& ranges) {
    bad_ = ranges;
    WriteRules();
}

void BadSectorDisk::SetDiscardedWrites(const std::vector<DiscardRange>& ranges) {
    discarded_ = ranges;
    WriteRules();
}

void BadSectorDisk::Disconnect() {
    SetBadRanges({BadRange{0, size_, -1, 0, ENODEV}});
}

void BadSectorDisk::KillServer() {
    if (server_ > 0) {
        ::kill(server_, SIGKILL);
        Reaped(server_, std::chrono::seconds(10));
        server_ = -1;
    }
}

void BadSectorDisk::TruncateImage(std::int64_t size) {
    std::filesystem::resize_file(image_, static_cast<std::uintmax_t>(size));
}

void BadSectorDisk::WriteRules() {
    std::ostringstream text;
    for (const BadRange& range : bad_) {
        text << "bad " << range.start << ' ' << range.length << " fails=" << range.fails
             << " delay=" << range.delayMs << " errno=" << range.error << '\n';
    }
    for (const DiscardRange& range : discarded_) {
        text << "discard " << range.start << ' ' << range.length << '\n';
    }
    // The server reads the rules at any moment: it sees the old list or the new one, whole.
    const std::string next = dir_.WriteFile("rules.next", text.str());
    std::filesystem::rename(next, rules_);
    if (!node_.empty()) {
        const int fd = ::open(node_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::ioctl(fd, BLKFLSBUF, 0);
            ::close(fd);
        }
    }
}

void BadSectorDisk::StartServer() {
    const std::string log = dir_.File("server.log");
    std::vector<std::string> argv{
        kFileSystemProgram, image_, rules_, mountPoint_, "-f", "-o", "fsname=varnel-bad-sector"};
    std::vector<char*> args;
    for (std::string& arg : argv) {
        args.push_back(arg.data());
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error(std::string("cannot start ") + kFileSystemProgram);
    }
    server_ = pid;
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (IsMountPoint(mountPoint_)) {
            mounted_ = true;
            return;
        }
        if (Reaped(server_, std::chrono::milliseconds(0))) {
            server_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    throw std::runtime_error("bad_sector_fs did not mount " + mountPoint_ + ": " +
                             ReadWholeFile(log));
}

void BadSectorDisk::StopServer() {
    if (server_ > 0) {
        // An unmounted server ends on its own; one that does not is ended.
        if (!Reaped(server_, std::chrono::seconds(5))) {
            ::kill(server_, SIGKILL);
            Reaped(server_, std::chrono::seconds(10));
        }
        server_ = -1;
    }
}

void BadSectorDisk::Teardown() {
    if (!node_.empty()) {
        Succeeds({"losetup", "-d", node_});
        node_.clear();
    }
    if (mounted_) {
        bool unmounted = false;
        for (int attempt = 0; attempt < 20 && !unmounted; ++attempt) {
            unmounted = Succeeds({"fusermount3", "-u", mountPoint_});
            if (!unmounted) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (!unmounted) {
            // Still busy: detach it so that removing the folder cannot reach into it.
            Succeeds({"umount", "-l", mountPoint_});
        }
        mounted_ = false;
    }
    StopServer();
}
