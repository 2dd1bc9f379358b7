// What a handle is open on: the kind of file, its identity under any name, the device number,
// files the system makes up, the file behind a loop device, and the device folder that gets no
// new files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/platform/winapi.h"
#include "support/scoped_handle.h"
#include "support/scoped_pipe.h"
#include "support/temp_dir.h"

using namespace win;

namespace {

struct KindCase {
    const char* name;
    DWORD type;
    bool generated;
    bool device;
};

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.name;
}

// The file each case opens: made by the test where it must be.
std::string KindPath(const std::string& name, const TempDir& dir, const ScopedPipe& pipe) {
    if (name == "file") {
        return dir.WriteFile("image.img", "data");
    }
    if (name == "named pipe") {
        const std::string path = dir.File("fifo");
        ::mkfifo(path.c_str(), 0600);
        return path;
    }
    if (name == "pipe") {
        return pipe.ReadEndName();
    }
    return name;
}

class FileKinds : public testing::TestWithParam<KindCase> {};

// A named pipe without a writer opens at once for reading: the kind can be asked before anyone
// writes to it.
TEST_P(FileKinds, TellsWhatTheHandleIsOpenOn) {
    const KindCase& c = GetParam();
    const TempDir dir;
    const ScopedPipe pipe;
    const std::string path = KindPath(c.name, dir, pipe);

    const ScopedHandle h{OpenShared(path, GENERIC_READ, OPEN_EXISTING)};
    ASSERT_GE(h.value, 0) << path << ": " << FormatSystemMessage(GetLastError());

    EXPECT_EQ(GetFileType(h.value), c.type);
    EXPECT_EQ(IsGeneratedFile(h.value), c.generated ? TRUE : FALSE);
    ULONGLONG device = 0;
    EXPECT_EQ(GetHostDeviceNumber(h.value, &device), c.device ? TRUE : FALSE);
    if (!c.device) {
        EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileKinds,
                         testing::Values(KindCase{"file", FILE_TYPE_DISK, false, false},
                                         KindCase{"named pipe", FILE_TYPE_PIPE, false, false},
                                         KindCase{"pipe", FILE_TYPE_PIPE, false, false},
                                         KindCase{"/dev/zero", FILE_TYPE_CHAR, false, true},
                                         KindCase{"/proc/self/status", FILE_TYPE_DISK, true, false},
                                         KindCase{"/sys/kernel/uevent_seqnum", FILE_TYPE_DISK, true,
                                                  false}));

TEST(FileKinds, AClosedHandleIsNothing) {
    EXPECT_EQ(GetFileType(123456), FILE_TYPE_UNKNOWN);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    BY_HANDLE_FILE_INFORMATION info;
    EXPECT_EQ(GetFileInformationByHandle(123456, &info), FALSE);
    EXPECT_EQ(IsGeneratedFile(123456), FALSE);
}

TEST(DeviceNumber, IsTheDevicesOwnNumber) {
    const ScopedHandle h{OpenShared("/dev/null", GENERIC_READ, OPEN_EXISTING)};
    ULONGLONG device = 0;
    ASSERT_EQ(GetHostDeviceNumber(h.value, &device), TRUE);
    EXPECT_EQ(device, makedev(1, 3));
}

// The volume serial number and file index name the file, not the name it was opened by.
TEST(FileInformation, OneFileUnderEveryName) {
    const TempDir dir;
    const std::string file = dir.WriteFile("a.img", "12345");
    const std::string other = dir.WriteFile("b.img", "12345");
    std::filesystem::create_hard_link(file, dir.File("link.img"));
    std::filesystem::create_symlink(file, dir.File("symlink.img"));

    auto identity = [](const std::string& path) {
        const ScopedHandle h{OpenShared(path, GENERIC_READ, OPEN_EXISTING)};
        BY_HANDLE_FILE_INFORMATION info;
        EXPECT_EQ(GetFileInformationByHandle(h.value, &info), TRUE) << path;
        EXPECT_EQ(info.nFileSizeLow, 5u);
        return std::make_pair(info.dwVolumeSerialNumber,
                              (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
    };
    EXPECT_EQ(identity(dir.File("link.img")), identity(file));
    EXPECT_EQ(identity(dir.File("symlink.img")), identity(file));
    EXPECT_NE(identity(other), identity(file));
}

// A device tree as the kernel lays it out: loop3 with a partition, loop4 whose backing file was
// removed, and a disk that is no loop device.
class DeviceTree {
  public:
    DeviceTree() {
        Folder("devices/virtual/block/loop3/loop");
        Folder("devices/virtual/block/loop3/loop3p1");
        dir_.WriteFile("devices/virtual/block/loop3/loop/backing_file", "/images/disk.img\n");
        dir_.WriteFile("devices/virtual/block/loop3/loop3p1/partition", "1\n");
        Folder("devices/virtual/block/loop4/loop");
        dir_.WriteFile("devices/virtual/block/loop4/loop/backing_file",
                       "/images/gone.img (deleted)\n");
        Folder("devices/pci/block/sda/sda1");
        dir_.WriteFile("devices/pci/block/sda/sda1/partition", "1\n");
        Folder("dev/block");
        Link("7:3", "devices/virtual/block/loop3");
        Link("259:0", "devices/virtual/block/loop3/loop3p1");
        Link("7:4", "devices/virtual/block/loop4");
        Link("8:0", "devices/pci/block/sda");
        Link("8:1", "devices/pci/block/sda/sda1");
    }
    const std::string& Root() const { return dir_.Path(); }

  private:
    void Folder(const std::string& path) { std::filesystem::create_directories(dir_.File(path)); }
    void Link(const std::string& number, const std::string& to) {
        std::filesystem::create_directory_symlink("../../" + to, dir_.File("dev/block/" + number));
    }
    TempDir dir_;
};

struct BackingCase {
    unsigned major;
    unsigned minor;
    const char* backing;
};

void PrintTo(const BackingCase& c, std::ostream* os) {
    *os << c.major << ":" << c.minor;
}

class LoopBackingFile : public testing::TestWithParam<BackingCase> {};

TEST_P(LoopBackingFile, IsReadFromTheDeviceTree) {
    const BackingCase& c = GetParam();
    const DeviceTree tree;
    EXPECT_EQ(GetLoopBackingFile(tree.Root(), makedev(c.major, c.minor)), c.backing);
}

INSTANTIATE_TEST_SUITE_P(Devices, LoopBackingFile,
                         testing::Values(BackingCase{7, 3, "/images/disk.img"},    // loop device
                                         BackingCase{259, 0, "/images/disk.img"},  // its partition
                                         BackingCase{7, 4, "/images/gone.img"},    // removed file
                                         BackingCase{8, 0, ""},    // a disk, no loop device
                                         BackingCase{8, 1, ""},    // a partition of that disk
                                         BackingCase{9, 9, ""}));  // not in the tree

// A name in the device folder that is not there is a device that does not exist: creating it
// fails and leaves nothing behind.
TEST(DeviceFolder, GetsNoNewFiles) {
    const std::string path = "/dev/varnel-test-no-such-device-" + std::to_string(::getpid());
    ASSERT_FALSE(std::filesystem::exists(path));
    const ScopedHandle h{OpenShared(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS)};
    const bool created = std::filesystem::exists(path);
    if (created) {
        std::filesystem::remove(path);
    }
    EXPECT_EQ(h.value, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(created);
}

}  // namespace
