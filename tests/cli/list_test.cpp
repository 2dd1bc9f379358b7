// --list on a device map of the test's own.
#include <gtest/gtest.h>

#include <sstream>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

TEST(ListTest, PrintsTheSourceMenusVolumesAndDisksAsNamesTheCommandTakes) {
    const TempDir folder;
    win::DeviceMap map = DisksOnly(
        {folder.WriteFile("disk0", Pattern(4096)), folder.WriteFile("disk1", Pattern(4096))});
    win::VolumeEntry volume;
    volume.letter = 'E';
    volume.node = folder.File("disk1");
    volume.mountPoint = folder.Path();
    volume.fsType = "ext4";
    volume.driveType = win::DRIVE_FIXED;
    volume.diskNumber = 1;
    volume.extentLength = 4096;
    map.volumes.push_back(volume);
    const ScopedDeviceMap scoped(map);

    const auto run = RunImage({"--list"});

    ASSERT_EQ(run.status, kExitComplete) << run.err;
    std::vector<std::string> lines;
    std::istringstream text(run.out);
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    // The image item and the separators are left out; names line up in one column. The
    // volume's caption holds the free space of the test's folder, which other programs change.
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0].rfind("E:              ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("(E:), HD1, "), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "PhysicalDrive0  HD0, Fixed Drive, [0GB]");
    EXPECT_EQ(lines[2], "PhysicalDrive1  HD1, Fixed Drive, [0GB]");
}

TEST(ListTest, SaysSoWhenThereIsNothingToList) {
    const ScopedDeviceMap scoped(win::DeviceMap{});

    const auto run = RunImage({"--list"});

    EXPECT_EQ(run.status, kExitComplete);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "No disk or volume was found that can be opened.\n");
}

}  // namespace
