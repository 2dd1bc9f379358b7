// A loop device of a test's own: a sparse backing file in a temporary folder, attached with
// losetup, optionally partitioned, formatted with ext4 and mounted in that folder. Everything
// is undone when the object goes, also when building it failed half way.
//
// Only root can do this: guard each test with
//     if (!LoopDevice::Available()) GTEST_SKIP() << LoopDevice::WhyUnavailable();
// Other programs attach loop devices at the same time: use Node() and Name(), never a guessed
// index.
#pragma once

#include <cstdint>
#include <string>

#include "support/temp_dir.h"

struct LoopDeviceOptions {
    std::int64_t sizeBytes = 32 << 20;
    // An sfdisk script for the partition table; empty for none.
    std::string partitionTable;
    // 0: no file system; N > 0: ext4 on partition N; -1: ext4 on the whole device.
    int formatPartition = 0;
    std::string label = "VARNELTEST";
    bool mount = false;  // mount the file system in the temporary folder
    // Where the sparse backing file goes (it stays there when the device goes); empty: in the
    // temporary folder.
    std::string backingFile;
};

// A disk of `sizeBytes` with the partition table `partitionTable`, its first partition
// formatted with ext4 and mounted.
LoopDeviceOptions MountedFirstPartition(std::int64_t sizeBytes, const std::string& partitionTable);

class LoopDevice {
  public:
    static bool Available();
    static std::string WhyUnavailable();

    explicit LoopDevice(const LoopDeviceOptions& options = {});
    ~LoopDevice();
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    const std::string& Node() const { return node_; }  // /dev/loopN
    std::string Name() const;                          // loopN
    std::string PartitionNode(int number) const;       // /dev/loopNpK
    const std::string& BackingFile() const { return backingFile_; }
    const std::string& MountPoint() const { return mountPoint_; }  // empty when not mounted
    const TempDir& Folder() const { return dir_; }

  private:
    void Teardown();

    TempDir dir_;
    std::string backingFile_;
    std::string node_;
    std::string mountPoint_;
};
