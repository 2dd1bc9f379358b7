// The size and media type of a disk from its geometry, and a refused query.
#include "engine/disk_geometry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/errors.h"
#include "engine/file_stream.h"
#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

namespace {

TEST(MediaTypeText, NamesEveryValue) {
    const std::vector<std::pair<std::int32_t, std::string>> cases = {
        {0, "Unknown Media Type"}, {1, "Floppy Disk"},      {10, "Floppy Disk"},
        {11, "Removable Drive"},   {12, "Fixed Drive"},     {13, "Zip / Other"},
        {25, "Zip / Other"},       {26, "Undefined"},       {-1, "Undefined"},
        {INT32_MIN, "Undefined"},  {INT32_MAX, "Undefined"}};
    for (const auto& [mediaType, text] : cases) {
        EXPECT_EQ(MediaTypeText(mediaType), text) << mediaType;
    }
}

TEST(DiskGeometry, SizeAndMediaTypeOfADisk) {
    TempDir dir;
    const std::string image = dir.WriteFile("disk.img", "");
    std::filesystem::resize_file(image, 3 * 1024 * 1024 + 4096);
    ScopedDeviceMap map(DisksOnly({image}));
    TFileStream disk("\\\\.\\PhysicalDrive0", fmOpenReadShared);
    EXPECT_EQ(GetDiskSize(disk), 3 * 1024 * 1024 + 4096);
    EXPECT_EQ(GetMediaTypeName(disk), "Fixed Drive");
}

TEST(DiskGeometry, ARefusedQueryRaisesWithThePathAndTheReason) {
    // A plain file opened by its own path is no disk: the driver refuses the query.
    TempDir dir;
    const std::string image = dir.WriteFile("disk.img", "data");
    TFileStream file(image, fmOpenReadShared);
    const std::string expected =
        "Cannot read the geometry of \"" + image + "\". Inappropriate ioctl for device";
    try {
        GetDiskSize(file);
        FAIL() << "no exception";
    } catch (const EDeviceError& error) {
        EXPECT_EQ(error.Message(), expected);
    }
    EXPECT_THROW(GetMediaTypeName(file), EDeviceError);
}

}  // namespace
