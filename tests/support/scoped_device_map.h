// Points the layer's device names at what a test chooses, for the scope of one object: the
// source that was installed before comes back when it goes.
#pragma once

#include "engine/platform/device_map.h"

class ScopedDeviceMap {
  public:
    explicit ScopedDeviceMap(win::DeviceMap map);
    explicit ScopedDeviceMap(win::DeviceMapSource source);
    ~ScopedDeviceMap();
    ScopedDeviceMap(const ScopedDeviceMap&) = delete;
    ScopedDeviceMap& operator=(const ScopedDeviceMap&) = delete;

  private:
    win::DeviceMapSource previous_;
};

// A map whose disks PhysicalDrive0, 1, ... are the given files or devices.
win::DeviceMap DisksOnly(const std::vector<std::string>& nodes);
// The same with one volume: drive `letter` is `volumeNode`, mounted at `mountPoint`, on
// PhysicalDrive0.
win::DeviceMap DisksWithVolume(const std::vector<std::string>& nodes, char letter,
                               const std::string& volumeNode, const std::string& mountPoint = "");
