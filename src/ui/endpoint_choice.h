// What a click on a volume or disk item of the source or target menu chooses: the path the job
// opens and the text the field shows. The item name carries the meaning: a disk item starts
// with DriveStem, any other is a volume's drive letter; target items end in "x".
#pragma once

#include <string>

#include "discovery/endpoint_menu.h"

namespace varnel {

struct EndpointChoice {
    std::string path;       // \\.\PhysicalDrive1 or \\.\C:
    std::string fieldText;  // PhysicalDrive1 or C:
};

EndpointChoice ChooseDeviceItem(MenuSide side, const std::string& itemName,
                                const std::string& driveStem, const std::string& devicePrefix);

}  // namespace varnel
