// Makes a file of a test's own read-only for the scope of one object, so that opening it for
// writing fails even for root: its mode bits are cleared and, where the file system allows it,
// it is marked immutable. Both are undone when the object goes.
#pragma once

#include <string>

class ReadOnlyFile {
  public:
    explicit ReadOnlyFile(std::string path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // False when the file could still be opened for writing (the test should skip).
    bool Effective() const { return effective_; }

  private:
    std::string path_;
    bool immutable_ = false;
    bool effective_ = false;
};
