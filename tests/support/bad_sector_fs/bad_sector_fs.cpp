// bad_sector_fs: a FUSE file system that serves one file, "disk", whose bytes are those of an
// image file, with read failures and lost writes taken from a rules file. The rules file is
// read anew on every read and write, so a test can change it while the file system runs.
//
//   bad_sector_fs IMAGE RULES MOUNTPOINT [FUSE options]
//
// Rules, one a line; other lines (empty ones, # comments) are skipped:
//   bad START LENGTH [fails=N] [delay=MS] [errno=E]
//       A read that touches a byte of [START, START+LENGTH) fails as a whole with EIO (or the
//       error number E) after MS milliseconds; with fails=N only the first N such reads fail
//       (counted from the last change of the rules file).
//   discard START LENGTH
//       A write reports the bytes of [START, START+LENGTH) as written but does not store them.
// Reads and writes reach the file with the sizes the kernel asked for (direct I/O).
#define FUSE_USE_VERSION 31
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr const char* kFilePath = "/disk";

struct Rule {
    bool discard = false;
    off_t start = 0;
    off_t length = 0;
    long fails = -1;  // -1: every read fails
    long delayMs = 0;
    int error = EIO;

    bool Touches(off_t offset, std::size_t size) const {
        return offset < start + length && start < offset + static_cast<off_t>(size);
    }
};

struct Server {
    std::string rulesPath;
    int image = -1;
    std::mutex mutex;
    std::string rulesText;                                  // as last read
    std::map<std::pair<off_t, off_t>, long> failuresSoFar;  // by (start, length) of a bad rule
};

Server server;

std::vector<Rule> ReadRules() {
    std::ostringstream text;
    text << std::ifstream(server.rulesPath).rdbuf();
    {
        // New rules count their failures anew.
        const std::lock_guard<std::mutex> lock(server.mutex);
        if (text.str() != server.rulesText) {
            server.rulesText = text.str();
            server.failuresSoFar.clear();
        }
    }
    std::vector<Rule> rules;
    std::istringstream in(text.str());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        Rule rule;
        if (!(words >> kind) || (kind != "bad" && kind != "discard") ||
            !(words >> rule.start >> rule.length)) {
            continue;
        }
        rule.discard = kind == "discard";
        for (std::string option; words >> option;) {
            const std::size_t equals = option.find('=');
            const std::string name = option.substr(0, equals);
            const long value = equals == std::string::npos
                                   ? 0
                                   : std::strtol(option.c_str() + equals + 1, nullptr, 0);
            if (name == "fails") {
                rule.fails = value;
            } else if (name == "delay") {
                rule.delayMs = value;
            } else if (name == "errno") {
                rule.error = static_cast<int>(value);
            }
        }
        rules.push_back(rule);
    }
    return rules;
}

// The error a read of [offset, offset+size) fails with, counted against its rule; 0 when the
// read succeeds.
int ReadError(off_t offset, std::size_t size) {
    for (const Rule& rule : ReadRules()) {
        if (rule.discard || !rule.Touches(offset, size)) {
            continue;
        }
        {
            const std::lock_guard<std::mutex> lock(server.mutex);
            long& failures = server.failuresSoFar[{rule.start, rule.length}];
            if (rule.fails >= 0 && failures >= rule.fails) {
                continue;
            }
            ++failures;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(rule.delayMs));
        return rule.error;
    }
    return 0;
}

void* Init(fuse_conn_info*, fuse_config* config) {
    config->direct_io = 1;
    config->attr_timeout = 0;
    config->entry_timeout = 0;
    config->negative_timeout = 0;
    return nullptr;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
    std::memset(st, 0, sizeof *st);
    if (std::strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
        return 0;
    }
    if (std::strcmp(path, kFilePath) != 0) {
        return -ENOENT;
    }
    struct stat image {};
    if (::fstat(server.image, &image) != 0) {
        return -errno;
    }
    st->st_mode = S_IFREG | 0644;
    st->st_nlink = 1;
    st->st_size = image.st_size;
    st->st_blocks = image.st_blocks;
    st->st_mtim = image.st_mtim;
    return 0;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    if (std::strcmp(path, "/") != 0) {
        return -ENOENT;
    }
    fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags{});
    fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags{});
    fill(buffer, kFilePath + 1, nullptr, 0, fuse_fill_dir_flags{});
    return 0;
}

int Open(const char* path, fuse_file_info* file) {
    if (std::strcmp(path, kFilePath) != 0) {
        return -ENOENT;
    }
    file->direct_io = 1;
    return 0;
}

int Read(const char*, char* buffer, std::size_t size, off_t offset, fuse_file_info*) {
    if (const int error = ReadError(offset, size); error != 0) {
        return -error;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(server.image, buffer + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            return -errno;
        }
        if (n == 0) {
            break;  // the end of the image
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<int>(done);
}

int Write(const char*, const char* data, std::size_t size, off_t offset, fuse_file_info*) {
    // Bytes in a discarded range keep what the image holds there.
    std::string bytes(data, size);
    for (const Rule& rule : ReadRules()) {
        if (!rule.discard || !rule.Touches(offset, size)) {
            continue;
        }
        const off_t from = std::max(offset, rule.start);
        const off_t to = std::min(offset + static_cast<off_t>(size), rule.start + rule.length);
        char* kept = bytes.data() + (from - offset);
        std::memset(kept, 0, static_cast<std::size_t>(to - from));
        if (::pread(server.image, kept, static_cast<std::size_t>(to - from), from) < 0) {
            return -errno;
        }
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(server.image, bytes.data() + done, size - done,
                                   offset + static_cast<off_t>(done));
        if (n < 0) {
            return -errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<int>(done);
}

int Fsync(const char*, int, fuse_file_info*) {
    return ::fdatasync(server.image) == 0 ? 0 : -errno;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "Usage: %s IMAGE RULES MOUNTPOINT [FUSE options]\n", argv[0]);
        return 2;
    }
    server.image = ::open(argv[1], O_RDWR | O_CLOEXEC);
    if (server.image < 0) {
        std::fprintf(stderr, "Cannot open the image \"%s\". %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    // The server goes to / once it runs: keep the rules file's full path.
    char* rules = ::realpath(argv[2], nullptr);
    server.rulesPath = rules != nullptr ? rules : argv[2];
    std::free(rules);

    fuse_operations operations{};
    operations.init = Init;
    operations.getattr = GetAttr;
    operations.readdir = ReadDir;
    operations.open = Open;
    operations.read = Read;
    operations.write = Write;
    operations.fsync = Fsync;

    std::vector<char*> fuseArgs{argv[0]};
    fuseArgs.insert(fuseArgs.end(), argv + 3, argv + argc);
    const int status =
        fuse_main(static_cast<int>(fuseArgs.size()), fuseArgs.data(), &operations, nullptr);
    ::close(server.image);
    return status;
}
