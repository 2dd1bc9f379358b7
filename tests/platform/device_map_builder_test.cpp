// The device map built from small stand-ins for /sys and /proc.
#include "engine/platform/linux/device_map_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

using namespace win;

namespace {

namespace fs = std::filesystem;

// Writes <root>/<path> with the text (and the folders on the way).
void Put(const fs::path& root, const std::string& path, const std::string& text) {
    fs::create_directories((root / path).parent_path());
    std::ofstream(root / path) << text << "\n";
}

// A block device in the fixture: its folder under block/ (or under its disk's folder for a
// partition), its numbers in dev/block/ and its size in 512-byte units.
struct BlockDevice {
    std::string name;
    std::string disk;  // empty for a whole device
    std::string numbers;
    long sectors;
    long start = 0;  // partitions
    int removable = 0;
    std::string backingFile = {};  // loop devices
};

void PutBlockDevice(const fs::path& sys, const BlockDevice& device) {
    const std::string folder =
        device.disk.empty() ? "block/" + device.name : "block/" + device.disk + "/" + device.name;
    Put(sys, folder + "/size", std::to_string(device.sectors));
    if (device.disk.empty()) {
        Put(sys, folder + "/removable", std::to_string(device.removable));
    } else {
        Put(sys, folder + "/start", std::to_string(device.start));
        Put(sys, folder + "/partition", "1");
    }
    if (!device.backingFile.empty()) {
        Put(sys, folder + "/loop/backing_file", device.backingFile);
    }
    if (!device.numbers.empty()) {
        fs::create_directories(sys / "dev/block");
        fs::create_symlink("../../devices/virtual/block/" + device.name,
                           sys / "dev/block" / device.numbers);
    }
}

std::string MountLine(int id, const std::string& numbers, const std::string& mountPoint,
                      const std::string& fsType, const std::string& source) {
    return std::to_string(id) + " 1 " + numbers + " / " + mountPoint +
           " rw,relatime shared:" + std::to_string(id) + " - " + fsType + " " + source + " rw";
}

class DeviceMapBuilder : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::vector<BlockDevice> devices = {
            {"sdb", "", "8:16", 1000},
            {"sdaa", "", "65:160", 1000},
            {"sda", "", "8:0", 409600, 0, 1},  // a removable USB stick
            {"sda1", "sda", "8:1", 2048, 2048},
            {"sda2", "sda", "8:2", 4096, 4096},
            {"nvme1n1", "", "259:4", 1000},
            {"nvme0n2", "", "259:2", 1000},
            {"nvme0n1", "", "259:0", 8000},
            {"nvme0n1p1", "nvme0n1", "259:1", 6000, 2048},
            {"nvme0c0n1", "", "", 8000},  // a controller path, not a disk
            {"mmcblk0", "", "179:0", 1000},
            {"mmcblk0boot0", "", "179:8", 100},
            {"mmcblk0rpmb", "", "179:16", 10},
            {"vdb", "", "", 80000},   // a whole-disk file system; found through class/block
            {"loop1", "", "7:1", 0},  // no backing file: not a disk
            {"loop0", "", "7:0", 20480, 0, 0, "/images/a.img"},
            {"loop0p1", "loop0", "259:7", 10240, 2048},
            {"zram0", "", "252:0", 4096},
            {"sr0", "", "11:0", 1300000, 0, 1},
            {"dm-0", "", "254:0", 30000},
            {"ram0", "", "1:0", 8192},
            {"md0", "", "9:0", 1000},
        };
        for (const BlockDevice& device : devices) {
            PutBlockDevice(sys(), device);
        }
        Put(sys(), "class/block/vdb/dev", "252:16");
        Put(sys(), "class/block/sda/dev", "8:0");

        const std::vector<std::string> mounts = {
            MountLine(20, "0:21", "/proc", "proc", "proc"),
            MountLine(21, "8:1", "/media/usb\\040stick", "vfat", Node("sda1")),
            MountLine(22, "0:22", "/sys", "sysfs", "sysfs"),
            MountLine(23, "0:50", "/mnt/nfs", "nfs4", "server:/export"),
            MountLine(24, "252:16", "/data", "ext4", Node("vdb")),
            MountLine(25, "8:1", "/mnt/again", "vfat", Node("sda1")),  // mounted twice
            MountLine(26, "11:0", "/media/cdrom", "iso9660", Node("sr0")),
            MountLine(27, "252:0", "/var/cache", "ext4", Node("zram0")),
            MountLine(28, "0:60", "/var/lib/overlay", "overlay", "overlay"),
            MountLine(29, "0:61", "/run", "tmpfs", "tmpfs"),
            MountLine(30, "8:2", "/media/usb2", "ext4", Node("sda2")),
            MountLine(31, "259:7", "/mnt/loop", "ext4", Node("loop0p1")),
            MountLine(32, "0:62", "/mnt/smb", "cifs", "//srv/share"),
            MountLine(33, "254:0", "/", "ext4", Node("mapper/vg-root")),
            MountLine(34, "0:63", "/srv/fuse", "fuse.sshfs", "user@host:"),
            MountLine(35, "259:1", "/home", "xfs", Node("nvme0n1p1")),
            MountLine(36, "0:50", "/mnt/nfs-again", "nfs4", "server:/export"),
            MountLine(37, "0:45", "/srv/btrfs", "btrfs", Node("sdb")),  // its own device number
            MountLine(38, "0:46", "/srv/gone", "ext4", Node("sdz9")),   // a device sysfs lacks
        };
        std::string table;
        for (const std::string& line : mounts) {
            table += line + "\n";
        }
        Put(proc(), "self/mountinfo", table);
    }

    fs::path sys() const { return fs::path(dir.Path()) / "sys"; }
    fs::path proc() const { return fs::path(dir.Path()) / "proc"; }
    // Device nodes are named under the fixture's own folder: the map never names a real one.
    std::string dev() const { return dir.File("dev"); }
    std::string Node(const std::string& name) const { return dev() + "/" + name; }
    DeviceMap Build() const {
        return linux_backend::BuildDeviceMap(sys().string(), proc().string(), dev());
    }

    TempDir dir;
};

TEST_F(DeviceMapBuilder, ListsWholeDisksInNaturalOrderThenLoopDevicesWithAFile) {
    const DeviceMap map = Build();
    std::vector<std::string> names;
    for (const DiskEntry& disk : map.disks) {
        names.push_back(disk.name);
        EXPECT_EQ(disk.node, Node(disk.name));
        EXPECT_EQ(disk.removable, disk.name == "sda") << disk.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"mmcblk0", "nvme0n1", "nvme0n2", "nvme1n1", "sda",
                                               "sdb", "sdaa", "vdb", "loop0"}));
}

TEST_F(DeviceMapBuilder, GivesLettersToMountedDevicesThenToNetworkShares) {
    const DeviceMap map = Build();
    struct Expected {
        char letter;
        std::string node;
        std::string mountPoint;
        std::string fsType;
        UINT driveType;
        std::int32_t diskNumber;
        std::int64_t startingOffset;
        std::int64_t extentLength;
    };
    const std::vector<Expected> expected = {
        {'C', Node("sda1"), "/media/usb stick", "vfat", DRIVE_REMOVABLE, 4, 2048 * 512, 2048 * 512},
        {'D', Node("vdb"), "/data", "ext4", DRIVE_FIXED, 7, 0, 80000 * 512},
        {'E', Node("sr0"), "/media/cdrom", "iso9660", DRIVE_CDROM, -1, 0, 1300000LL * 512},
        {'F', Node("zram0"), "/var/cache", "ext4", DRIVE_RAMDISK, -1, 0, 4096 * 512},
        {'G', Node("sda2"), "/media/usb2", "ext4", DRIVE_REMOVABLE, 4, 4096 * 512, 4096 * 512},
        {'H', Node("loop0p1"), "/mnt/loop", "ext4", DRIVE_FIXED, 8, 2048 * 512, 10240 * 512},
        {'I', Node("dm-0"), "/", "ext4", DRIVE_FIXED, -1, 0, 30000 * 512},
        {'J', Node("nvme0n1p1"), "/home", "xfs", DRIVE_FIXED, 1, 2048 * 512, 6000 * 512},
        {'K', Node("sdb"), "/srv/btrfs", "btrfs", DRIVE_FIXED, 5, 0, 1000 * 512},
        {'L', "", "/mnt/nfs", "nfs4", DRIVE_REMOTE, -1, 0, 0},
        {'M', "", "/mnt/smb", "cifs", DRIVE_REMOTE, -1, 0, 0},
    };
    ASSERT_EQ(map.volumes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const VolumeEntry& got = map.volumes[i];
        const Expected& want = expected[i];
        SCOPED_TRACE(std::string(1, want.letter));
        EXPECT_EQ(got.letter, want.letter);
        EXPECT_EQ(got.node, want.node);
        EXPECT_EQ(got.mountPoint, want.mountPoint);
        EXPECT_EQ(got.fsType, want.fsType);
        EXPECT_EQ(got.driveType, want.driveType);
        EXPECT_EQ(got.diskNumber, want.diskNumber);
        EXPECT_EQ(got.startingOffset, want.startingOffset);
        EXPECT_EQ(got.extentLength, want.extentLength);
    }
}

TEST(DeviceMapBuilderLimits, AtMostTwentyFourLettersCToZ) {
    TempDir dir;
    std::string table;
    for (int i = 0; i < 30; ++i) {
        table += MountLine(100 + i, "0:" + std::to_string(100 + i), "/mnt/s" + std::to_string(i),
                           "nfs", "server:/s" + std::to_string(i)) +
                 "\n";
    }
    Put(fs::path(dir.Path()) / "proc", "self/mountinfo", table);
    const DeviceMap map =
        linux_backend::BuildDeviceMap(dir.File("sys"), dir.File("proc"), dir.File("dev"));
    ASSERT_EQ(map.volumes.size(), 24u);
    EXPECT_EQ(map.volumes.front().letter, 'C');
    EXPECT_EQ(map.volumes.back().letter, 'Z');
    EXPECT_EQ(map.volumes.back().mountPoint, "/mnt/s23");
    EXPECT_TRUE(map.disks.empty());
}

}  // namespace
