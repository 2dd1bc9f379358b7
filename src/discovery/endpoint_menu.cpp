#include "discovery/endpoint_menu.h"

#include <optional>

#include "discovery/nt_volume_list.h"
#include "engine/disk_geometry.h"
#include "engine/errors.h"
#include "engine/file_stream.h"
#include "engine/platform/winapi.h"

namespace {

constexpr int kLastDiskNumber = 255;
constexpr std::int64_t kGiB = 1073741824;

MenuEntry Separator() {
    return MenuEntry{MenuEntry::Kind::Separator, "", "-"};
}

// The caption of disk N, or nothing when the disk cannot be opened or measured. Opened only to
// be measured, so read-only. `denied` is set when the system refused the open for lack of
// rights.
std::optional<std::string> ProbeDisk(int number, const std::string& path, bool& denied) {
    try {
        TFileStream disk(path, fmOpenReadShared);
        const std::string mediaType = GetMediaTypeName(disk);
        const std::int64_t size = GetDiskSize(disk);
        return Format("HD%d, %s, [%lldGB]", number, mediaType.c_str(),
                      static_cast<long long>(size / kGiB));
    } catch (const EFOpenError&) {
        // The open error keeps the system's code: nothing after the failed open sets another.
        denied = denied || win::GetLastError() == win::ERROR_ACCESS_DENIED;
        return std::nullopt;
    } catch (const EDeviceError&) {
        return std::nullopt;
    }
}

}  // namespace

std::vector<MenuEntry> BuildEndpointMenu(MenuSide side, const std::string& driveStem,
                                         const std::string& devicePrefix) {
    const bool target = side == MenuSide::Target;
    const std::string suffix = target ? "x" : "";
    std::vector<MenuEntry> entries;
    entries.push_back(target ? MenuEntry{MenuEntry::Kind::Image, "Saveimage", "保存为镜像文件"}
                             : MenuEntry{MenuEntry::Kind::Image, "Openimage", "打开磁盘镜像"});
    {
        const TNTVolumeList volumes;
        if (volumes.Count() > 0) {
            entries.push_back(Separator());
        }
        for (std::int32_t i = 0; i < volumes.Count(); ++i) {
            entries.push_back(
                {MenuEntry::Kind::Volume, volumes.GetName(i) + suffix, volumes.GetCaption(i)});
        }
    }
    entries.push_back(Separator());
    // Every number is tried: a disk that is missing or refuses does not hide the ones after it.
    bool denied = false;
    for (int number = 0; number <= kLastDiskNumber; ++number) {
        const std::string name = driveStem + std::to_string(number);
        if (auto caption = ProbeDisk(number, devicePrefix + name, denied)) {
            entries.push_back({MenuEntry::Kind::Disk, name + suffix, std::move(*caption)});
        }
    }
    if (denied) {
        entries.push_back({MenuEntry::Kind::NoRights, "", kNoRightsCaption});
    }
    return entries;
}
