// The safety net of every test program: the layer sees only loop devices, so no test can reach
// the machine's own disks, not even by mistake. It is installed before the first test runs
// (every GoogleTest program gets it through the support library); a test replaces it for its
// own scope with ScopedDeviceMap. Programs that do not run GoogleTest call
// InstallLoopOnlyDeviceMap() themselves before anything else.
#pragma once

#include "engine/platform/device_map.h"

// The system's map cut down to the disks named loop* and the volumes on /dev/loop* nodes;
// volumes keep their letters, disk numbers follow the cut-down disk list.
win::DeviceMap LoopOnly(const win::DeviceMap& system);

// Installs a source that gives LoopOnly of the system's map, built anew on every query.
void InstallLoopOnlyDeviceMap();
