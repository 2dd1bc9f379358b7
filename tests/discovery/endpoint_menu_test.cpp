// The entries of the source and target menus for a replaced device map whose disks and volume
// are files and folders of the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "discovery/endpoint_menu.h"
#include "discovery_fixture.h"
#include "support/scoped_device_map.h"
#include "support/scoped_no_rights.h"
#include "support/temp_dir.h"

namespace {

using Kind = MenuEntry::Kind;

const std::string kDriveStem = "PhysicalDrive";
const std::string kDevicePrefix = "\\\\.\\";

std::string SparseFile(const TempDir& folder, const std::string& name, std::int64_t bytes) {
    const std::string path = folder.File(name);
    EXPECT_TRUE(discovery_test::MakeFileSystemImage(path, bytes, {}));
    return path;
}

std::vector<std::tuple<Kind, std::string, std::string>> Entries(const std::vector<MenuEntry>& m) {
    std::vector<std::tuple<Kind, std::string, std::string>> entries;
    for (const MenuEntry& entry : m) {
        entries.emplace_back(entry.kind, entry.name, entry.caption);
    }
    return entries;
}

class EndpointMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        map_ = DisksOnly({
            SparseFile(folder_, "disk0", 1073741824),
            folder_.File("gone"),  // cannot be opened
            SparseFile(folder_, "disk2", 3 * 1073741824LL - 1),
            "/dev/null",  // opens (read-only), no geometry
            SparseFile(folder_, "disk4", 1048576),
        });
    }

    TempDir folder_;
    win::DeviceMap map_;
};

TEST_F(EndpointMenuTest, ImageItemVolumesThenEveryDiskThatAnswers) {
    const std::string fat = folder_.File("fat.img");
    if (!discovery_test::MakeFileSystemImage(fat, 2 << 20, {"mkfs.vfat", "-n", "DATA"})) {
        GTEST_SKIP() << "mkfs.vfat is missing";
    }
    map_.volumes = {discovery_test::Volume('D', fat, win::DRIVE_FIXED, 0)};
    ScopedDeviceMap scoped(map_);

    struct Case {
        MenuSide side;
        std::string imageName;
        std::string imageCaption;
        std::string suffix;
    };
    const Case cases[] = {
        {MenuSide::Source, "Openimage", "打开磁盘镜像", ""},
        {MenuSide::Target, "Saveimage", "保存为镜像文件", "x"},
    };
    for (const Case& c : cases) {
        const std::vector<std::tuple<Kind, std::string, std::string>> expected = {
            {Kind::Image, c.imageName, c.imageCaption},
            {Kind::Separator, "", "-"},
            {Kind::Volume, "D" + c.suffix, "DATA (D:), HD0, FAT12, [0.00 MB/0.00 MB]"},
            {Kind::Separator, "", "-"},
            {Kind::Disk, "PhysicalDrive0" + c.suffix, "HD0, Fixed Drive, [1GB]"},
            {Kind::Disk, "PhysicalDrive2" + c.suffix, "HD2, Fixed Drive, [2GB]"},
            {Kind::Disk, "PhysicalDrive4" + c.suffix, "HD4, Fixed Drive, [0GB]"},
        };
        EXPECT_EQ(Entries(BuildEndpointMenu(c.side, kDriveStem, kDevicePrefix)), expected);
    }
}

TEST_F(EndpointMenuTest, OneSeparatorWithoutVolumes) {
    map_.disks.resize(2);  // disk 0 and the missing disk 1
    ScopedDeviceMap scoped(map_);
    const std::vector<std::tuple<Kind, std::string, std::string>> expected = {
        {Kind::Image, "Openimage", "打开磁盘镜像"},
        {Kind::Separator, "", "-"},
        {Kind::Disk, "PhysicalDrive0", "HD0, Fixed Drive, [1GB]"},
    };
    EXPECT_EQ(Entries(BuildEndpointMenu(MenuSide::Source, kDriveStem, kDevicePrefix)), expected);

    ScopedDeviceMap nothing(win::DeviceMap{});
    EXPECT_EQ(BuildEndpointMenu(MenuSide::Target, kDriveStem, kDevicePrefix).size(), 2u);
}

// Disks this user may not open leave one entry that says so, after the disks that opened; a
// missing disk or one without geometry is no matter of rights.
TEST_F(EndpointMenuTest, DisksRefusedForLackOfRightsLeaveOneEntry) {
    const std::string refused1 = SparseFile(folder_, "refused1", 1048576);
    const std::string refused2 = SparseFile(folder_, "refused2", 1048576);
    map_.disks.push_back({refused1, "refused1"});
    map_.disks.push_back({refused2, "refused2"});
    ScopedDeviceMap scoped(map_);
    EXPECT_EQ(BuildEndpointMenu(MenuSide::Source, kDriveStem, kDevicePrefix).back().kind,
              Kind::Disk);

    // The other disks stay open to the unprivileged user.
    namespace fs = std::filesystem;
    fs::permissions(folder_.Path(), fs::perms::others_exec, fs::perm_options::add);
    for (const char* disk : {"disk0", "disk2", "disk4"}) {
        fs::permissions(folder_.File(disk), fs::perms::others_read, fs::perm_options::add);
    }
    const ScopedNoRights noRights({refused1, refused2});
    const std::vector<MenuEntry> entries =
        BuildEndpointMenu(MenuSide::Target, kDriveStem, kDevicePrefix);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[4].name, "PhysicalDrive4x");
    EXPECT_EQ(Entries({entries[5]}),
              (std::vector<std::tuple<Kind, std::string, std::string>>{
                  {Kind::NoRights, "", "无权打开磁盘: 请以管理员 (root) 身份运行本程序"}}));
}

}  // namespace
