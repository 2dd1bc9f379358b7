// A fresh folder under /tmp for one test; removed with everything in it when it goes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;
    // Creates (or replaces) the file `name` with the given bytes and returns its path.
    std::string WriteFile(const std::string& name, const std::string& bytes) const;

  private:
    std::string path_;
};

// The whole content of a file (empty when it cannot be read).
std::string ReadWholeFile(const std::string& path);

// Makes a folder the current one for as long as it lives; the previous one comes back after.
class ScopedCurrentDir {
  public:
    explicit ScopedCurrentDir(const std::string& dir) { std::filesystem::current_path(dir); }
    ~ScopedCurrentDir() { std::filesystem::current_path(previous_); }
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

  private:
    std::filesystem::path previous_ = std::filesystem::current_path();
};
