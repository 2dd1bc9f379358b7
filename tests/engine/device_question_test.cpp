// The question before a disk or volume is overwritten, its sizes, and the file systems that
// are never unmounted.
#include "engine/device_question.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/errors.h"

namespace {

win::MountedFileSystem Mounted(const std::string& device, const std::string& mountPoint,
                               const std::string& fsType = "ext4") {
    win::MountedFileSystem mount;
    mount.device = device;
    mount.mountPoint = mountPoint;
    mount.fsType = fsType;
    return mount;
}

TEST(DeviceSizeText, ShowsTheUnitAndTheExactBytes) {
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {0, "0 字节"},
        {1048575, "1048575 字节"},
        {1048576, "1.0 MB (1048576 字节)"},
        {67108864, "64.0 MB (67108864 字节)"},
        {1073741823, "1024.0 MB (1073741823 字节)"},
        {1073741824, "1.0 GB (1073741824 字节)"},
        {15376000000, "14.3 GB (15376000000 字节)"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(DeviceSizeText(bytes, "字节"), text) << bytes;
    }
}

TEST(DeviceQuestion, NamesTheDeviceAndTheFileSystemsToUnmount) {
    win::DeviceFacts facts;
    facts.systemName = "/dev/loop7";
    facts.model = "SanDisk Ultra";
    facts.serial = "4C530001";
    facts.sizeBytes = 15376000000;
    facts.mounts = {Mounted("/dev/loop7p1", "/media/user/STICK", "vfat"),
                    Mounted("/dev/loop7p2", "/media/user/DATA")};
    EXPECT_EQ(DeviceQuestion("\\\\.\\PhysicalDrive1", facts),
              "目标 \\\\.\\PhysicalDrive1 上的所有数据将被覆盖。\n"
              "设备: /dev/loop7\n"
              "型号: SanDisk Ultra\n"
              "序列号: 4C530001\n"
              "大小: 14.3 GB (15376000000 字节)\n"
              "以下文件系统将被卸载:\n"
              "/dev/loop7p1 (vfat) 挂载于 /media/user/STICK\n"
              "/dev/loop7p2 (ext4) 挂载于 /media/user/DATA\n"
              "是否继续?");
}

TEST(CheckUnmountable, RefusesFileSystemsThatMustStayMounted) {
    struct Case {
        const char* name;
        void (*mark)(win::MountedFileSystem&);
        const char* error;  // empty: may be unmounted
    };
    const Case cases[] = {
        {"plain", [](win::MountedFileSystem&) {}, ""},
        {"root", [](win::MountedFileSystem& m) { m.isRoot = true; },
         "the system's root file system is mounted from /dev/loop7p1 at \"/\""},
        {"swap file", [](win::MountedFileSystem& m) { m.holdsSwap = true; },
         "the file system on /dev/loop7p1 holds swap space in use"},
        {"swap partition",
         [](win::MountedFileSystem& m) {
             m.mountPoint.clear();
             m.holdsSwap = true;
         },
         "/dev/loop7p1 is swap space in use"},
        {"program", [](win::MountedFileSystem& m) { m.holdsProgram = true; },
         "the file system on /dev/loop7p1 holds this program's own files"},
        {"source", [](win::MountedFileSystem& m) { m.holdsKeptPath = true; },
         "the file system on /dev/loop7p1 holds the source"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win::DeviceFacts facts;
        facts.mounts = {Mounted("/dev/loop7p2", "/media/b"), Mounted("/dev/loop7p1", "/media/a")};
        c.mark(facts.mounts[1]);
        if (*c.error == '\0') {
            EXPECT_NO_THROW(CheckUnmountable("\\\\.\\PhysicalDrive1", facts));
            continue;
        }
        try {
            CheckUnmountable("\\\\.\\PhysicalDrive1", facts);
            ADD_FAILURE() << "not refused";
        } catch (const EDeviceError& e) {
            EXPECT_EQ(e.Message(),
                      std::string("Target \"\\\\.\\PhysicalDrive1\" cannot be written: ") +
                          c.error + ".");
        }
    }
}

}  // namespace
