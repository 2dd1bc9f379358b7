#include "discovery/nt_volume_list.h"

#include <vector>

#include "engine/errors.h"

namespace {

constexpr std::uint32_t kNoDisk = 255;

const std::string& EntryAt(const std::vector<std::string>& entries, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) {
        throw EListError(Format("List index out of bounds (%d)", index));
    }
    return entries[static_cast<std::size_t>(index)];
}

}  // namespace

bool IsListedVolume(const TNTVolumeInfo& info) {
    return info.Extent.DiskNumber != kNoDisk || !info.VolumeLabel.empty();
}

VolumeItem MakeVolumeItem(const TNTVolumeInfo& info) {
    VolumeItem item;
    item.Drive = info.Drive;
    item.VolumeLabel = info.VolumeLabel;
    item.DiskTag = info.DriveType + std::to_string(info.Extent.DiskNumber);
    item.DriveType = info.DriveType;
    item.FileSystem = info.FileSystem;
    item.SerialNumber = info.SerialNumber;
    item.TotalSize = info.TotalSize;
    item.FreeSize = info.FreeSize;
    item.Valid = true;
    return item;
}

std::string VolumeCaption(const VolumeItem& item) {
    return item.VolumeLabel + " (" + item.Drive + ":), " + item.DiskTag + ", " + item.FileSystem +
           ", [" + FormatSize(static_cast<double>(item.FreeSize)) + "/" +
           FormatSize(static_cast<double>(item.TotalSize)) + "]";
}

TNTVolumeList::TNTVolumeList() {
    Refresh();
}

void TNTVolumeList::Refresh() {
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        const TNTVolumeInfo info(std::string(1, letter));
        if (!IsListedVolume(info)) {
            continue;
        }
        Item = MakeVolumeItem(info);
        Names.push_back(Item.Drive);
        Captions.push_back(VolumeCaption(Item));
    }
}

std::int32_t TNTVolumeList::Count() const {
    return static_cast<std::int32_t>(Captions.size());
}

std::string TNTVolumeList::GetCaption(std::int32_t index) const {
    return EntryAt(Captions, index);
}

std::string TNTVolumeList::GetName(std::int32_t index) const {
    return EntryAt(Names, index);
}
