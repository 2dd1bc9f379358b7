// A pipe of a test's own, both ends closed when it goes; its read end has a file name.
#pragma once

#include <unistd.h>

#include <string>

class ScopedPipe {
  public:
    ScopedPipe() {
        if (::pipe(ends_) != 0) {
            ends_[0] = ends_[1] = -1;
        }
    }
    ~ScopedPipe() {
        for (const int end : ends_) {
            if (end >= 0) {
                ::close(end);
            }
        }
    }
    ScopedPipe(const ScopedPipe&) = delete;
    ScopedPipe& operator=(const ScopedPipe&) = delete;

    // The read end as a file name under /proc/self/fd.
    std::string ReadEndName() const { return "/proc/self/fd/" + std::to_string(ends_[0]); }

  private:
    int ends_[2];
};
