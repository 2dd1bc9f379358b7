// The layer's file operations on plain files: open modes, reads and writes, positioning,
// handles and the errors with their texts.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/platform/winapi.h"
#include "support/scoped_device_map.h"
#include "support/scoped_handle.h"
#include "support/temp_dir.h"

using namespace win;

namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

struct OpenCase {
    const char* name;
    bool exists;
    DWORD disposition;
    bool opens;
    DWORD error;               // when it does not open
    const char* contentAfter;  // nullptr: the file must not exist afterwards
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.name;
}

class OpenModes : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenModes, CreateOrKeepAsTheDispositionSays) {
    const OpenCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("image.img");
    if (c.exists) {
        dir.WriteFile("image.img", "old data");
    }
    ScopedHandle h{OpenShared(path, kReadWrite, c.disposition)};
    EXPECT_EQ(h.value >= 0, c.opens);
    if (!c.opens) {
        EXPECT_EQ(h.value, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
    if (c.contentAfter == nullptr) {
        EXPECT_FALSE(std::filesystem::exists(path));
    } else {
        EXPECT_EQ(ReadWholeFile(path), c.contentAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dispositions, OpenModes,
    ::testing::Values(OpenCase{"ExistingNeverCreates", false, OPEN_EXISTING, false,
                               ERROR_FILE_NOT_FOUND, nullptr},
                      OpenCase{"ExistingKeepsData", true, OPEN_EXISTING, true, 0, "old data"},
                      OpenCase{"AlwaysCreates", false, CREATE_ALWAYS, true, 0, ""},
                      OpenCase{"AlwaysEmpties", true, CREATE_ALWAYS, true, 0, ""},
                      OpenCase{"NewRefusesExisting", true, CREATE_NEW, false, ERROR_FILE_EXISTS,
                               "old data"},
                      OpenCase{"NewCreates", false, CREATE_NEW, true, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileApi, ReadsDeliverWhatIsThereAndZeroAtTheEnd) {
    TempDir dir;
    const std::string path = dir.WriteFile("data.bin", "0123456789");
    ScopedHandle h{OpenShared(path, GENERIC_READ, OPEN_EXISTING)};
    ASSERT_GE(h.value, 0);
    std::vector<char> buffer(64, '\0');
    DWORD done = 99;
    ASSERT_TRUE(ReadFile(h.value, buffer.data(), 4, &done, nullptr));
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(std::string(buffer.data(), 4), "0123");
    ASSERT_TRUE(ReadFile(h.value, buffer.data(), 64, &done, nullptr));
    EXPECT_EQ(done, 6u);
    EXPECT_EQ(std::string(buffer.data(), 6), "456789");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    ASSERT_TRUE(ReadFile(h.value, buffer.data(), 64, &done, nullptr));
    EXPECT_EQ(done, 0u);
}

TEST(FileApi, WritesAtThePositionAndPositionsFromEachOrigin) {
    TempDir dir;
    const std::string path = dir.WriteFile("data.bin", "abcdefgh");
    ScopedHandle h{OpenShared(path, kReadWrite, OPEN_EXISTING)};
    ASSERT_GE(h.value, 0);
    LONGLONG position = -1;
    ASSERT_TRUE(SetFilePointerEx(h.value, 2, &position, FILE_BEGIN));
    EXPECT_EQ(position, 2);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(h.value, "XY", 2, &done, nullptr));
    EXPECT_EQ(done, 2u);
    ASSERT_TRUE(SetFilePointerEx(h.value, 1, &position, FILE_CURRENT));
    EXPECT_EQ(position, 5);
    ASSERT_TRUE(SetFilePointerEx(h.value, 0, &position, FILE_END));
    EXPECT_EQ(position, 8);
    ASSERT_TRUE(WriteFile(h.value, "!", 1, &done, nullptr));
    ASSERT_TRUE(FlushFileBuffers(h.value));
    EXPECT_EQ(ReadWholeFile(path), "abXYefgh!");

    EXPECT_FALSE(SetFilePointerEx(h.value, -100, &position, FILE_CURRENT));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FileApi, AReadOnlyHandleRefusesWrites) {
    TempDir dir;
    const std::string path = dir.WriteFile("data.bin", "abc");
    ScopedHandle h{OpenShared(path, GENERIC_READ, OPEN_EXISTING)};
    ASSERT_GE(h.value, 0);
    DWORD done = 7;
    EXPECT_FALSE(WriteFile(h.value, "x", 1, &done, nullptr));
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadWholeFile(path), "abc");
}

TEST(FileApi, ASpecialFileThatKeepsNothingFlushesFine) {
    // Reading a disk into /dev/null is how a technician checks it can be read at all; the
    // flush at the end must not turn that into a failure.
    ScopedHandle h{OpenShared("/dev/null", kReadWrite, OPEN_EXISTING)};
    ASSERT_GE(h.value, 0);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(h.value, "abc", 3, &done, nullptr));
    EXPECT_TRUE(FlushFileBuffers(h.value));
}

TEST(FileApi, FoldersAreNoFiles) {
    TempDir dir;
    ScopedHandle h{OpenShared(dir.Path(), GENERIC_READ, OPEN_EXISTING)};
    EXPECT_EQ(h.value, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(FileApi, ClosedAndUnknownHandlesAreRefused) {
    TempDir dir;
    const std::string path = dir.WriteFile("data.bin", "abc");
    const HANDLE h = OpenShared(path, GENERIC_READ, OPEN_EXISTING);
    ASSERT_GE(h, 0);
    EXPECT_TRUE(CloseHandle(h));
    char byte = 0;
    DWORD done = 0;
    EXPECT_FALSE(ReadFile(h, &byte, 1, &done, nullptr));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_FALSE(FlushFileBuffers(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(SetFilePointerEx(12345, 0, nullptr, FILE_BEGIN));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(FileApi, DeviceNamesOpenWhatTheMapNames) {
    TempDir dir;
    win::DeviceMap map = DisksWithVolume({dir.WriteFile("disk0", "disk zero")}, 'C',
                                         dir.WriteFile("volume", "volume c"));
    win::VolumeEntry share;
    share.letter = 'D';
    share.mountPoint = dir.Path();
    share.driveType = DRIVE_REMOTE;
    map.volumes.push_back(share);
    ScopedDeviceMap scoped(map);

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\\\\.\\PhysicalDrive0", "disk zero"},
        {"\\\\.\\physicaldrive0", "disk zero"},  // the namespace ignores case
        {"\\\\.\\C:", "volume c"},
        {"\\\\.\\c:", "volume c"},
        {"\\\\.\\PhysicalDrive1", ""},   // no such disk
        {"\\\\.\\PhysicalDrive00", ""},  // leading zero
        {"\\\\.\\PhysicalDrive", ""},    // no number
        {"\\\\.\\PhysicalDrive0x", ""},
        {"\\\\.\\E:", ""},      // no such letter
        {"\\\\.\\D:", ""},      // a network share has no device to open
        {"\\\\.\\CdRom0", ""},  // nothing else lives in the namespace
    };
    for (const auto& [path, content] : cases) {
        ScopedHandle h{OpenShared(path, GENERIC_READ, OPEN_EXISTING)};
        if (content.empty()) {
            EXPECT_EQ(h.value, INVALID_HANDLE_VALUE) << path;
            EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << path;
            continue;
        }
        ASSERT_GE(h.value, 0) << path;
        std::string buffer(32, '\0');
        DWORD done = 0;
        ASSERT_TRUE(ReadFile(h.value, buffer.data(), 32, &done, nullptr));
        EXPECT_EQ(buffer.substr(0, done), content) << path;
    }
}

TEST(FileApi, LastErrorBelongsToTheThread) {
    SetLastError(42);
    DWORD seenByOther = 1;
    std::thread([&] { seenByOther = GetLastError(); }).join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), 42u);
}

TEST(FileApi, SystemTextsAreTheHostsErrorTexts) {
    EXPECT_EQ(FormatSystemMessage(ERROR_FILE_NOT_FOUND), "No such file or directory");
    EXPECT_EQ(FormatSystemMessage(ERROR_ACCESS_DENIED), "Permission denied");
    EXPECT_EQ(FormatSystemMessage(ERROR_DEVICE_NOT_CONNECTED),
              "Transport endpoint is not connected");
    EXPECT_EQ(FormatSystemMessage(ERROR_DEVICE_IN_USE),
              "The device is in use by a mounted file system or by another program.");
    // A host error without a Windows counterpart keeps its own text.
    EXPECT_EQ(FormatSystemMessage(APPLICATION_ERROR_BIT | EHOSTDOWN), "Host is down");
}

TEST(FileApi, FullPathsAreAbsoluteAndDevicePathsStayAsTheyAre) {
    TempDir dir;
    ScopedCurrentDir inside(dir.Path());
    const std::string here = std::filesystem::current_path().string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"disk.img", here + "/disk.img"},
        {"sub/../disk.img", here + "/disk.img"},
        {"./a/./b.img", here + "/a/b.img"},
        {"/abs/x/../y.img", "/abs/y.img"},
        {"\\\\.\\PhysicalDrive3", "\\\\.\\PhysicalDrive3"},
        {"\\\\.\\C:", "\\\\.\\C:"},
    };
    for (const auto& [path, full] : cases) {
        EXPECT_EQ(GetFullPathNameA(path), full) << path;
    }
}

}  // namespace
