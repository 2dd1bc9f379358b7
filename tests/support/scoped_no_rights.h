// Takes this thread's rights to open the given files of a test's own, for the scope of one
// object: their mode bits are cleared and, when the test runs as root, the thread's file-system
// user and group become unprivileged ones (which also drops root's right to override file modes).
// Both are undone when the object goes.
#pragma once

#include <string>
#include <vector>

class ScopedNoRights {
  public:
    explicit ScopedNoRights(std::vector<std::string> paths);
    ~ScopedNoRights();
    ScopedNoRights(const ScopedNoRights&) = delete;
    ScopedNoRights& operator=(const ScopedNoRights&) = delete;

  private:
    std::vector<std::string> paths_;
    bool wasRoot_ = false;
};
