// Linux backend: write-back started behind the writing position.
#include "engine/platform/linux/write_behind.h"

#include <fcntl.h>

#include <cerrno>

namespace win::linux_backend {
namespace {

// Write-back that cannot be started early on this file (a file system without it) loses
// nothing: the final fsync() writes everything. Only errors that say data was lost count.
bool LostData(int error) {
    return error != EINVAL && error != ESPIPE && error != ENOSYS && error != EOPNOTSUPP;
}

}  // namespace

void WriteBehind::Keep(int error) {
    if (error_ == 0) {
        error_ = error;
    }
}

void WriteBehind::Record(int error) {
    std::lock_guard lock(mutex_);
    Keep(error);
}

void WriteBehind::Written(std::int64_t offset, std::int64_t count) {
    std::lock_guard lock(mutex_);
    if (offset != end_) {
        // A jump starts a new run; what the old one left unwritten goes with the flush.
        waited_ = started_ = offset;
    }
    end_ = offset + count;
    if (end_ - started_ < kWindow) {
        return;
    }
    if (::sync_file_range(fd_, started_, end_ - started_, SYNC_FILE_RANGE_WRITE) != 0 &&
        LostData(errno)) {
        Keep(errno);
    }
    started_ = end_;
    if (started_ - waited_ <= kInFlight) {
        return;
    }
    const std::int64_t upTo = started_ - kInFlight;
    if (::sync_file_range(fd_, waited_, upTo - waited_,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER) != 0) {
        if (LostData(errno)) {
            Keep(errno);
        }
    } else {
        // On the disk now: nobody reads it back soon. Dirty pages (rewritten meanwhile) stay.
        ::posix_fadvise(fd_, waited_, upTo - waited_, POSIX_FADV_DONTNEED);
    }
    waited_ = upTo;
}

int WriteBehind::Error() {
    std::lock_guard lock(mutex_);
    return error_;
}

}  // namespace win::linux_backend
