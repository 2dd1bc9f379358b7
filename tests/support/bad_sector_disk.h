// A block device with bad sectors, for a test of its own: an image file served by the FUSE file
// system bad_sector_fs, whose reads fail in the ranges the test names, under a loop device with
// direct I/O and 512-byte sectors, so that an O_DIRECT read of one sector of the loop device
// reaches the file system as one 512-byte read. Everything is undone in reverse order when the
// object goes, also when building it failed half way.
//
// Only root with FUSE and loop devices can do this: begin each test with
// SKIP_WITHOUT_BAD_SECTOR_DISK().
//
// What a reader of Node() sees (Linux 6.18):
// - a read that touches a bad range fails with EIO; of the other error numbers a range can
//   give, ENODEV, ENODATA and ENOLINK reach an O_DIRECT reader, ENXIO, ENOTCONN and ESHUTDOWN
//   arrive as EIO; a buffered read gets EIO for all of them;
// - a buffered read loses the whole 4 KiB page around a bad sector (8 sectors), and it may
//   reach the file system more than once (read-ahead, then the page alone, ...), so `fails`
//   counts reads exactly only for O_DIRECT readers;
// - once the server is killed, every read fails with EIO (ENOTCONN on ServedFile());
// - after TruncateImage the device keeps its size and reads past the cut fail with EIO
//   (ServedFile() ends there instead).
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

#define SKIP_WITHOUT_BAD_SECTOR_DISK()                   \
    if (!BadSectorDisk::Available()) {                   \
        GTEST_SKIP() << BadSectorDisk::WhyUnavailable(); \
    }

struct BadRange {
    std::int64_t start = 0;
    std::int64_t length = 512;
    int fails = -1;   // only the first N reads that touch the range fail; -1: every read
    int delayMs = 0;  // a failing read fails after this long
    int error = EIO;  // the error number the file system answers with
};

struct DiscardRange {
    std::int64_t start = 0;
    std::int64_t length = 512;
};

class BadSectorDisk {
  public:
    static bool Available();
    static std::string WhyUnavailable();

    // A disk that holds `content` (whole 512-byte sectors) and reads without errors.
    explicit BadSectorDisk(const std::string& content);
    ~BadSectorDisk();
    BadSectorDisk(const BadSectorDisk&) = delete;
    BadSectorDisk& operator=(const BadSectorDisk&) = delete;

    const std::string& Node() const { return node_; }  // /dev/loopN
    std::string Name() const;                          // loopN
    // The real file behind the disk: what a write stored.
    const std::string& ImageFile() const { return image_; }
    // The file the FUSE file system serves (the loop device's backing file).
    const std::string& ServedFile() const { return served_; }
    const TempDir& Folder() const { return dir_; }

    // Replace the ranges whose reads fail, and the ranges whose writes are reported as done
    // but not stored. They hold from the next read or write on; a change starts the count of
    // `fails` anew. The loop device's page cache is dropped, so no cached page hides a range.
    void SetBadRanges(const std::vector<BadRange>& ranges);
    void SetDiscardedWrites(const std::vector<DiscardRange>& ranges);
    // Every read fails with ENODEV from now on, as on a disk that dropped off the bus.
    void Disconnect();
    // Ends the file system's server at once (SIGKILL): the source is gone.
    void KillServer();
    // Cuts the image file to `size` bytes.
    void TruncateImage(std::int64_t size);

  private:
    void WriteRules();
    void StartServer();
    void StopServer();
    void Teardown();

    TempDir dir_;
    std::string image_;
    std::string rules_;
    std::string mountPoint_;
    std::string served_;
    std::string node_;
    std::int64_t size_ = 0;
    pid_t server_ = -1;
    bool mounted_ = false;
    std::vector<BadRange> bad_;
    std::vector<DiscardRange> discarded_;
};
