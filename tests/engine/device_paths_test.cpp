// The path forms of disks and volumes and the tests that tell them apart.
#include "engine/device_paths.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* text;
    bool diskName;
    bool bareDrive;
    bool physicalDiskPath;
    bool devicePath;
    const char* volumeLetter;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.text);
}

class DevicePaths : public ::testing::TestWithParam<PathCase> {
  protected:
    void SetUp() override { InitDeviceNames(driveStem, devicePrefix); }
    std::string driveStem;
    std::string devicePrefix;
};

TEST_P(DevicePaths, TellTheFormsApart) {
    const PathCase& c = GetParam();
    EXPECT_EQ(IsDiskName(c.text, driveStem), c.diskName);
    EXPECT_EQ(IsBareDrive(c.text), c.bareDrive);
    EXPECT_EQ(IsPhysicalDiskPath(c.text, driveStem), c.physicalDiskPath);
    EXPECT_EQ(IsDevicePath(c.text, devicePrefix), c.devicePath);
    EXPECT_EQ(VolumeLetterOf(c.text), c.volumeLetter);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DevicePaths,
    ::testing::Values(PathCase{"PhysicalDrive12", true, false, false, false, "i"},
                      PathCase{"physicalDrive12", false, false, false, false, "i"},
                      PathCase{"PHYSICALDRIVE12", false, false, false, false, "I"},
                      PathCase{"PhysicalDriv", false, false, false, false, "i"},  // too short
                      PathCase{"\\\\.\\PhysicalDrive12", false, false, true, true, "P"},
                      PathCase{"\\\\.\\PhysicalDrive", false, false, true, true,
                               "P"},  // 17 characters
                      PathCase{"//./PhysicalDrive1", false, false, true, false, "P"},
                      PathCase{"\\\\.\\C:", false, false, false, true, "C"},
                      PathCase{"\\\\.\\CdRom0", false, false, false, true, "C"},
                      PathCase{"\\\\.\\", false, false, false, true, ""},
                      PathCase{"\\\\.", false, false, false, false, ""},
                      PathCase{"D:", false, true, false, false, ""},
                      PathCase{"d:", false, true, false, false, ""},
                      PathCase{"D:\\", false, false, false, false, ""},
                      PathCase{"d", false, false, false, false, ""},
                      PathCase{"DD:", false, false, false, false, ""},
                      PathCase{"", false, false, false, false, ""},
                      PathCase{"D:\\img\\disk.img", false, false, false, false, "m"},
                      PathCase{"\\\\server\\share\\disk.img", false, false, false, false, "r"},
                      PathCase{"\\\\?\\D:\\disk.img", false, false, false, false, "D"}));

TEST(DevicePathNames, AreFixedAndBuildTheDevicePaths) {
    std::string driveStem = "x";
    std::string devicePrefix = "y";
    InitDeviceNames(driveStem, devicePrefix);
    EXPECT_EQ(driveStem, "PhysicalDrive");
    EXPECT_EQ(devicePrefix, "\\\\.\\");
    EXPECT_EQ(DiskNameToPath("PhysicalDrive2", devicePrefix), "\\\\.\\PhysicalDrive2");
    EXPECT_EQ(BareDriveToPath("D:", devicePrefix), "\\\\.\\D:");
}

}  // namespace
