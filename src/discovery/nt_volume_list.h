// The usable volumes of the drive letters C to Z, with one caption each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/nt_volume_info.h"

struct VolumeItem {
    std::string Drive;
    std::string VolumeLabel;
    std::string DiskTag;  // DriveType followed by the disk number: HD0, RD2, ND255
    std::string DriveType;
    std::string FileSystem;
    std::string SerialNumber;
    std::int64_t TotalSize = 0;
    std::int64_t FreeSize = 0;
    bool Valid = false;
};

class TNTVolumeList {
  public:
    TNTVolumeList();  // enumerates the letters C to Z (Refresh)

    std::int32_t Count() const;
    // Raise EListError "List index out of bounds (%d)" for an index outside 0..Count()-1.
    std::string GetCaption(std::int32_t index) const;
    std::string GetName(std::int32_t index) const;

    VolumeItem Item;

  private:
    void Refresh();

    std::vector<std::string> Captions;
    std::vector<std::string> Names;
};

// How one letter's facts become an entry: it is listed when its volume lies on a disk the extent
// query names (DiskNumber other than 255) or has a label; its record, with DiskTag such as HD0;
// and its caption "Label (D:), HD1, NTFS, [free/total]".
bool IsListedVolume(const TNTVolumeInfo& info);
VolumeItem MakeVolumeItem(const TNTVolumeInfo& info);
std::string VolumeCaption(const VolumeItem& item);

// "%f GB" from 1 MiB on, "%f MB" below, two decimals rounded half up, with the decimal
// separator of the user's locale.
std::string FormatSize(double bytes);

// Reads the user's decimal separator (LC_NUMERIC); the programs call it once at start-up.
void InitDecimalSeparator();
