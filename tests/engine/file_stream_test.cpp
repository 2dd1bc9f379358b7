// TFileStream over the layer: the three open modes, counts instead of exceptions, the size and
// the error texts.
#include "engine/file_stream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "engine/errors.h"
#include "support/scoped_fault_plan.h"
#include "support/temp_dir.h"

namespace {

TEST(FileStream, ReadsWritesAndMeasuresWithoutMovingThePosition) {
    TempDir dir;
    const std::string path = dir.WriteFile("image.img", "0123456789");
    TFileStream stream(path, fmOpenReadWriteShared);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Position(), 4);
    EXPECT_EQ(stream.Write("ab", 2), 2);
    stream.SetPosition(8);
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(stream.LastError(), 0u);
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    EXPECT_TRUE(stream.Flush());
    EXPECT_EQ(ReadWholeFile(path), "0123ab6789");
}

TEST(FileStream, AReadOnlyStreamReportsAFailedWriteAsZero) {
    TempDir dir;
    const std::string path = dir.WriteFile("image.img", "0123");
    TFileStream stream(path, fmOpenReadShared);
    EXPECT_EQ(stream.Write("ab", 2), 0);
    EXPECT_EQ(stream.LastError(), win::ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadWholeFile(path), "0123");
}

TEST(FileStream, AReadThatFailsPartWayIsAFailureAndTellsWhy) {
    TempDir dir;
    const std::string path = dir.WriteFile("image.img", std::string(100, 'x'));
    TFileStream stream(path, fmOpenReadShared);
    win::FaultPlan plan;
    plan.badReads.push_back({path, 50, 60, true, win::ERROR_CRC});
    ScopedFaultPlan faults(plan);
    char buffer[100];
    EXPECT_EQ(stream.Read(buffer, 100), 0);
    EXPECT_EQ(stream.LastError(), win::ERROR_CRC);
}

TEST(FileStream, AReadAtTheEndIsShortWithoutAnError) {
    TempDir dir;
    const std::string path = dir.WriteFile("image.img", std::string(100, 'x'));
    TFileStream stream(path, fmOpenReadShared);
    char buffer[150];
    EXPECT_EQ(stream.Read(buffer, 150), 100);
    EXPECT_EQ(stream.LastError(), win::ERROR_SUCCESS);
}

TEST(FileStream, CreateEmptiesAnExistingFile) {
    TempDir dir;
    const std::string path = dir.WriteFile("image.img", "old");
    TFileStream stream(path, fmCreate);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(SystemErrorText, CutsTrailingFullStopsAndBlanks) {
    EXPECT_EQ(SystemErrorText(win::ERROR_FILE_NOT_FOUND), "No such file or directory");
    EXPECT_EQ(SystemErrorText(win::ERROR_DEVICE_IN_USE),
              "The device is in use by a mounted file system or by another program");
}

}  // namespace
