#include "ui/endpoint_choice.h"

#include "engine/device_paths.h"

namespace varnel {

EndpointChoice ChooseDeviceItem(MenuSide side, const std::string& itemName,
                                const std::string& driveStem, const std::string& devicePrefix) {
    std::string base = itemName;
    if (side == MenuSide::Target && !base.empty()) {
        base.pop_back();  // the suffix "x"
    }
    // The disk test looks at the item's own name, suffix included.
    if (IsDiskName(itemName, driveStem)) {
        return {devicePrefix + base, base};
    }
    return {devicePrefix + base + ":", base + ":"};
}

}  // namespace varnel
