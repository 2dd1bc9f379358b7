#include "support/read_only_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets or clears the immutable mark; false when the file system does not take it.
bool SetImmutable(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(std::string path) : path_(std::move(path)) {
    ::chmod(path_.c_str(), 0444);
    if (::geteuid() == 0) {
        immutable_ = SetImmutable(path_, true);
    }
    const int probe = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    effective_ = probe < 0;
    if (probe >= 0) {
        ::close(probe);
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    if (immutable_) {
        SetImmutable(path_, false);
    }
    ::chmod(path_.c_str(), 0644);
}
