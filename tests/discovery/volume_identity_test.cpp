// The serial number and file-system name Windows would report, from what the probe reads.
#include <gtest/gtest.h>

#include "engine/platform/linux/volume_probe.h"

namespace {

using win::linux_backend::SerialFromIdentifier;
using win::linux_backend::WindowsFileSystemName;

TEST(VolumeIdentityTest, SerialNumberFromIdentifier) {
    struct Case {
        const char* type;
        const char* identifier;
        win::DWORD serial;
    };
    const Case cases[] = {
        {"vfat", "1234-ABCD", 0x1234ABCDu},
        {"exfat", "00FF-0001", 0x00FF0001u},
        {"ntfs", "0A1B2C3D4E5F6071", 0x4E5F6071u},  // low 32 bits of the 64-bit serial
        {"ext4", "c6b37ba5-e24b-406e-bff9-d77d873440a6", 0xC6B37BA5u},
        {"xfs", "", 0u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SerialFromIdentifier(c.type, c.identifier), c.serial) << c.identifier;
    }
}

TEST(VolumeIdentityTest, FileSystemNamesAsWindowsShowsThem) {
    struct Case {
        const char* type;
        const char* version;
        const char* name;
    };
    const Case cases[] = {
        {"vfat", "FAT32", "FAT32"}, {"vfat", "FAT12", "FAT12"}, {"vfat", "", "FAT"},
        {"ntfs", "", "NTFS"},       {"exfat", "1.0", "exFAT"},  {"ext4", "1.0", "ext4"},
        {"btrfs", "", "btrfs"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowsFileSystemName(c.type, c.version), c.name) << c.type << c.version;
    }
}

}  // namespace
