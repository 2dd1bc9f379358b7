// The facts of one drive letter: label, serial number, file system, sizes, drive type and the
// disk that holds the volume. Filled completely by the constructor; no query failure raises.
#pragma once

#include <cstdint>
#include <string>

struct DISK_EXTENT {
    std::uint32_t DiskNumber = 255;
    std::int64_t StartingOffset = 0;
    std::int64_t ExtentLength = 0;
};

class TNTVolumeInfo {
  public:
    explicit TNTVolumeInfo(const std::string& drive);

    std::string Drive;
    std::string VolumeLabel;
    std::string SerialNumber;  // 8 upper-case hexadecimal digits
    std::string FileSystem;
    std::int64_t TotalSize = 0;
    std::int64_t FreeSize = 0;
    std::string DriveType;  // "RD", "HD", "ND", "CD" or empty
    DISK_EXTENT Extent;

  private:
    void ReadVolumeInformation();
    void ReadDiskExtent();
};
