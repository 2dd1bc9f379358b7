// Folders that stand in for /sys, /proc and /dev: disks with a model, a serial number and
// partitions, a mount table, a list of swap areas and the program's own executable. The device
// map a test installs points at them, so the facts of a device come from here and never from
// the machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/device_map.h"
#include "support/temp_dir.h"

class DeviceFolders {
  public:
    DeviceFolders();

    win::DeviceRoots Roots() const;
    // dev/<name>: the node of a disk or partition (a sparse file for a disk).
    std::string Node(const std::string& name) const;

    // A disk of `sizeBytes` with device numbers `numbers` ("8:208"); an empty model or serial
    // is left out.
    void AddDisk(const std::string& name, std::int64_t sizeBytes, const std::string& numbers,
                 const std::string& model = "", const std::string& serial = "");
    // A partition of `disk`, in 512-byte sectors.
    void AddPartition(const std::string& disk, const std::string& name, const std::string& numbers,
                      std::int64_t startSector, std::int64_t sectors);
    // One line of the mount table: the device `name` (numbers as in AddDisk) at `mountPoint`.
    void Mount(const std::string& name, const std::string& numbers, const std::string& mountPoint,
               const std::string& fsType);
    // One swap area in use: a partition (its node) or a swap file.
    void Swap(const std::string& path, bool partition);
    // The executable of the running program, as <proc>/self/exe names it.
    void Program(const std::string& path);

    // A map whose disks PhysicalDrive0, 1, ... are the named disks of these folders.
    win::DeviceMap Disks(const std::vector<std::string>& names) const;

  private:
    void Put(const std::string& path, const std::string& text) const;
    void Append(const std::string& path, const std::string& line) const;

    TempDir dir_;
    int mounts_ = 0;
};
