#include "support/scoped_device_map.h"

ScopedDeviceMap::ScopedDeviceMap(win::DeviceMap map)
    : ScopedDeviceMap(win::DeviceMapSource([map = std::move(map)] { return map; })) {}

ScopedDeviceMap::ScopedDeviceMap(win::DeviceMapSource source)
    : previous_(win::CurrentDeviceMapSource()) {
    win::SetDeviceMapSource(std::move(source));
}

ScopedDeviceMap::~ScopedDeviceMap() {
    win::SetDeviceMapSource(std::move(previous_));
}

win::DeviceMap DisksOnly(const std::vector<std::string>& nodes) {
    win::DeviceMap map;
    for (const std::string& node : nodes) {
        win::DiskEntry disk;
        disk.node = node;
        disk.name = "disk" + std::to_string(map.disks.size());
        map.disks.push_back(disk);
    }
    return map;
}

win::DeviceMap DisksWithVolume(const std::vector<std::string>& nodes, char letter,
                               const std::string& volumeNode, const std::string& mountPoint) {
    win::DeviceMap map = DisksOnly(nodes);
    win::VolumeEntry volume;
    volume.letter = letter;
    volume.node = volumeNode;
    volume.mountPoint = mountPoint;
    volume.diskNumber = 0;
    map.volumes.push_back(volume);
    return map;
}
