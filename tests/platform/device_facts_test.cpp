// The facts of a disk or volume (name, model, serial, size, what is mounted on it and what must
// stay mounted) from folders that stand in for /sys, /proc and /dev, and the unmounting that
// refuses a mount table that does not match the system.
#include "engine/platform/device_facts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/device_folders.h"
#include "support/scoped_device_map.h"

using namespace win;

namespace {

constexpr std::int64_t kDiskBytes = 64 << 20;

// A USB stick sdz with two partitions; the first is mounted, the second holds swap.
class DeviceFacts : public ::testing::Test {
  protected:
    DeviceFacts() {
        folders.AddDisk("sdz", kDiskBytes, "8:208", "SanDisk Ultra", "4C530001");
        folders.AddPartition("sdz", "sdz1", "8:209", 2048, 65536);
        folders.AddPartition("sdz", "sdz2", "8:210", 67584, 4096);
        folders.Mount("sdz1", "8:209", "/media/stick", "vfat");
    }

    win::DeviceFacts Facts(const std::string& path, const std::string& kept = "") {
        const ScopedDeviceMap map(folders.Disks({"sdz"}));
        win::DeviceFacts facts;
        EXPECT_EQ(GetDeviceFacts(path, kept, &facts), TRUE);
        return facts;
    }

    DeviceFolders folders;
};

TEST_F(DeviceFacts, DescribeTheDiskAndItsMountedFileSystems) {
    const win::DeviceFacts facts = Facts("\\\\.\\PhysicalDrive0");
    EXPECT_EQ(facts.systemName, folders.Node("sdz"));
    EXPECT_EQ(facts.model, "SanDisk Ultra");
    EXPECT_EQ(facts.serial, "4C530001");
    EXPECT_EQ(facts.sizeBytes, kDiskBytes);
    ASSERT_EQ(facts.mounts.size(), 1u);
    EXPECT_EQ(facts.mounts[0].device, folders.Node("sdz1"));
    EXPECT_EQ(facts.mounts[0].mountPoint, "/media/stick");
    EXPECT_EQ(facts.mounts[0].fsType, "vfat");
    EXPECT_FALSE(facts.mounts[0].isRoot || facts.mounts[0].holdsSwap ||
                 facts.mounts[0].holdsProgram || facts.mounts[0].holdsKeptPath);
}

TEST_F(DeviceFacts, APartitionNamedByItsNodeHasItsOwnSize) {
    const win::DeviceFacts facts = Facts(folders.Node("sdz1"));
    EXPECT_EQ(facts.systemName, folders.Node("sdz1"));
    EXPECT_EQ(facts.sizeBytes, 65536 * 512);
    EXPECT_EQ(facts.model, "SanDisk Ultra");  // the disk's
    ASSERT_EQ(facts.mounts.size(), 1u);
    // The second partition is nothing of the first's.
    EXPECT_TRUE(Facts(folders.Node("sdz2")).mounts.empty());
}

// What marks a file system as one that must stay mounted.
TEST_F(DeviceFacts, MarkFileSystemsThatMustStayMounted) {
    folders.Mount("sdz2", "8:210", "/", "ext4");
    folders.Swap("/media/stick/swapfile", false);
    folders.Program("/usr/bin/varnel-backup");
    const win::DeviceFacts facts = Facts("\\\\.\\PhysicalDrive0", "/media/stick/images/a.img");
    ASSERT_EQ(facts.mounts.size(), 2u);
    const MountedFileSystem& stick = facts.mounts[0];
    const MountedFileSystem& root = facts.mounts[1];
    EXPECT_EQ(root.mountPoint, "/");
    EXPECT_TRUE(root.isRoot);
    EXPECT_TRUE(root.holdsProgram);  // /usr/bin lies on the root file system
    EXPECT_FALSE(root.holdsSwap || root.holdsKeptPath);
    EXPECT_TRUE(stick.holdsSwap);
    EXPECT_TRUE(stick.holdsKeptPath);
    EXPECT_FALSE(stick.isRoot || stick.holdsProgram);
}

TEST_F(DeviceFacts, ListASwapPartitionInUse) {
    folders.Swap(folders.Node("sdz2"), true);
    const win::DeviceFacts facts = Facts("\\\\.\\PhysicalDrive0");
    ASSERT_EQ(facts.mounts.size(), 2u);
    EXPECT_EQ(facts.mounts[1].device, folders.Node("sdz2"));
    EXPECT_EQ(facts.mounts[1].fsType, "swap");
    EXPECT_TRUE(facts.mounts[1].mountPoint.empty());
    EXPECT_TRUE(facts.mounts[1].holdsSwap);
}

// A source on the target: the disk holding the mounted partition, or the partition itself.
TEST_F(DeviceFacts, MarkTheMountThatHoldsADeviceSource) {
    for (const std::string& source : {folders.Node("sdz"), folders.Node("sdz1")}) {
        SCOPED_TRACE(source);
        const win::DeviceFacts facts = Facts("\\\\.\\PhysicalDrive0", source);
        ASSERT_EQ(facts.mounts.size(), 1u);
        EXPECT_TRUE(facts.mounts[0].holdsKeptPath);
    }
    EXPECT_FALSE(Facts("\\\\.\\PhysicalDrive0", folders.Node("sdz2")).mounts[0].holdsKeptPath);
}

TEST_F(DeviceFacts, AUsbSticksSerialComesFromItsUsbDevice) {
    // No serial of the disk's own: the one of the device folder above it counts.
    DeviceFolders usb;
    usb.AddDisk("sdy", kDiskBytes, "8:224", "Flash Disk");
    const std::string sys = usb.Roots().sys;
    std::filesystem::create_directories(sys + "/devices/usb1/1-1/host0/target0/0:0:0:0");
    std::ofstream(sys + "/devices/usb1/1-1/serial") << "USB-77\n";
    std::filesystem::rename(sys + "/block/sdy/device/model",
                            sys + "/devices/usb1/1-1/host0/target0/0:0:0:0/model");
    std::filesystem::remove(sys + "/block/sdy/device");
    std::filesystem::create_symlink(sys + "/devices/usb1/1-1/host0/target0/0:0:0:0",
                                    sys + "/block/sdy/device");
    const ScopedDeviceMap map(usb.Disks({"sdy"}));
    win::DeviceFacts facts;
    ASSERT_EQ(GetDeviceFacts("\\\\.\\PhysicalDrive0", "", &facts), TRUE);
    EXPECT_EQ(facts.model, "Flash Disk");
    EXPECT_EQ(facts.serial, "USB-77");
}

TEST(DeviceFactsOfFiles, AFileStandingInForADiskHasOnlyItsSize) {
    TempDir dir;
    const std::string disk = dir.WriteFile("disk0.bin", std::string(5000, 'x'));
    const ScopedDeviceMap map(DisksOnly({disk}));
    win::DeviceFacts facts;
    ASSERT_EQ(GetDeviceFacts("\\\\.\\PhysicalDrive0", "", &facts), TRUE);
    EXPECT_TRUE(facts.systemName.empty());
    EXPECT_TRUE(facts.model.empty() && facts.serial.empty() && facts.mounts.empty());
    EXPECT_EQ(facts.sizeBytes, 5000);
    EXPECT_EQ(UnmountDeviceFileSystems("\\\\.\\PhysicalDrive0"), TRUE);  // nothing to do
}

TEST(DeviceFactsOfFiles, ADeviceThatIsNotThereIsNotFound) {
    const ScopedDeviceMap map(DisksOnly({}));
    win::DeviceFacts facts;
    EXPECT_EQ(GetDeviceFacts("\\\\.\\PhysicalDrive3", "", &facts), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(UnmountDeviceFileSystems("\\\\.\\PhysicalDrive3"), FALSE);
}

// A mount table that names a folder which does not carry that file system is not acted on:
// nothing of the machine is unmounted on the word of a stale or stand-in table.
TEST_F(DeviceFacts, UnmountingActsOnlyOnMountPointsThatCarryTheFileSystem) {
    TempDir folder;
    folders.Mount("sdz1", "8:209", folder.Path(), "vfat");
    const ScopedDeviceMap map(folders.Disks({"sdz"}));
    EXPECT_EQ(UnmountDeviceFileSystems("\\\\.\\PhysicalDrive0"), FALSE);
    EXPECT_NE(GetLastError(), ERROR_SUCCESS);
}

}  // namespace
