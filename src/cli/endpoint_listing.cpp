#include "cli/endpoint_listing.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "discovery/endpoint_menu.h"
#include "engine/device_paths.h"

std::size_t ListEndpoints(std::ostream& out) {
    std::string driveStem;
    std::string devicePrefix;
    InitDeviceNames(driveStem, devicePrefix);

    std::vector<std::pair<std::string, std::string>> lines;
    for (const MenuEntry& entry : BuildEndpointMenu(MenuSide::Source, driveStem, devicePrefix)) {
        if (entry.kind == MenuEntry::Kind::Volume) {
            lines.emplace_back(entry.name + ":", entry.caption);
        } else if (entry.kind == MenuEntry::Kind::Disk) {
            lines.emplace_back(entry.name, entry.caption);
        }
    }

    std::size_t width = 0;
    for (const auto& line : lines) {
        width = std::max(width, line.first.size());
    }
    for (const auto& [name, caption] : lines) {
        out << name << std::string(width - name.size() + 2, ' ') << caption << '\n';
    }
    return lines.size();
}
