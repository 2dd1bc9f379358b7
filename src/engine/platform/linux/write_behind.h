// Linux backend: write-back started behind the writing position of a handle, so that a long
// copy reaches the disk while it runs instead of all in the final flush, and so that what has
// reached the disk leaves the page cache instead of crowding out everything else.
#pragma once

#include <cstdint>
#include <mutex>

namespace win::linux_backend {

class WriteBehind {
  public:
    // Write-back starts for every `window` bytes written front to back; once more than
    // `inFlight` bytes are on their way, writing waits for the oldest of them and drops them
    // from the page cache.
    static constexpr std::int64_t kWindow = 8 << 20;
    static constexpr std::int64_t kInFlight = 64 << 20;

    explicit WriteBehind(int fd) : fd_(fd) {}

    // After `count` bytes were written at `offset`.
    void Written(std::int64_t offset, std::int64_t count);

    // The first error that write-back of this handle reported, 0 while there is none. The
    // kernel tells a write-back error to each open file once: once it was told here, fsync()
    // no longer tells it, so the handle keeps it.
    int Error();
    // Keeps an error that says written data was lost, unless one is kept already.
    void Record(int error);

  private:
    void Keep(int error);  // Record with the mutex held

    std::mutex mutex_;
    int fd_;
    // The current run of writes front to back: written up to end_, write-back started up to
    // started_, waited for up to waited_.
    std::int64_t waited_ = 0;
    std::int64_t started_ = 0;
    std::int64_t end_ = 0;
    int error_ = 0;
};

}  // namespace win::linux_backend
