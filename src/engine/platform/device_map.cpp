// The device map: the system's, built anew for every query, or the installed source's.
#include "engine/platform/device_map.h"

#include <mutex>

#include "engine/platform/linux/device_map_builder.h"

namespace win {
namespace {

// Reached through a function so that a source installed while the program starts (before
// this file's own statics would be set up) is kept.
struct SourceSlot {
    std::mutex mutex;
    DeviceMapSource source;
};

SourceSlot& Slot() {
    static SourceSlot slot;
    return slot;
}

}  // namespace

DeviceMap CurrentDeviceMap() {
    const DeviceMapSource source = CurrentDeviceMapSource();
    return source ? source() : linux_backend::BuildSystemDeviceMap();
}

void SetDeviceMapSource(DeviceMapSource source) {
    SourceSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.source = std::move(source);
}

DeviceMapSource CurrentDeviceMapSource() {
    SourceSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    return slot.source;
}

}  // namespace win
