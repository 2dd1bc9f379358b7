// The entries of the source and target menus: the image item, the volumes of a fresh volume
// list and the disks the probe finds, in menu order. The window turns them into menu items;
// the command line prints them.
#pragma once

#include <string>
#include <vector>

struct MenuEntry {
    // NoRights: disks exist that this user may not open; shown as a disabled item.
    enum class Kind { Image, Separator, Volume, Disk, NoRights };
    Kind kind = Kind::Separator;
    std::string name;  // item name: Openimage/Saveimage, C / Cx, PhysicalDrive0 / PhysicalDrive0x
    std::string caption;  // item caption
};

enum class MenuSide { Source, Target };

// The caption of the NoRights entry.
inline constexpr const char* kNoRightsCaption = "无权打开磁盘: 请以管理员 (root) 身份运行本程序";

// Builds the entries anew: image item; a separator when there are volumes; the volumes; a
// separator; the disks. The probe tries every disk number from 0 to 255, opens each
// read-only, and lists every disk that opens and answers the geometry query, captioned
// "HD%d, %s, [%dGB]". When any disk was refused for lack of rights, one NoRights entry ends
// the list.
std::vector<MenuEntry> BuildEndpointMenu(MenuSide side, const std::string& driveStem,
                                         const std::string& devicePrefix);
