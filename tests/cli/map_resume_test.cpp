// --map: a copy stopped by Ctrl+C goes on where it ended when the same command runs again.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

constexpr std::size_t kChunk = 512 * 520;

// Runs the command and sends Ctrl+C after its first chunk.
CommandRun RunInterrupted(const std::vector<std::string>& args) {
    const ScopedTestHandler testHandler(SIGINT);
    return RunImage(args, SignalAfterFirstChunk(SIGINT));
}

TEST(MapResume, AStoppedCopyRunAgainEndsWithTheWholeImage) {
    const TempDir folder;
    const std::string source = Pattern(5 * kChunk + 77);
    const std::string in = folder.WriteFile("in.img", source);
    const std::string out = folder.File("out.img");
    const std::string map = folder.File("copy.map");
    const std::vector<std::string> args = {"-s", "520", "-o", "1040", "--map", map, in, out};

    const auto first = RunInterrupted(args);
    ASSERT_EQ(first.status, kExitStopped) << first.err;
    ASSERT_TRUE(std::filesystem::exists(map));
    EXPECT_LT(ReadWholeFile(out).size(), ExpectedTarget(source, 1040, 520, "").size());

    const auto second = RunImage(args);
    EXPECT_EQ(second.status, kExitComplete) << second.err;
    EXPECT_EQ(second.out, "Disk image complete!\n");
    EXPECT_TRUE(SameBytes(ReadWholeFile(out), ExpectedTarget(source, 1040, 520, "")));
}

TEST(MapResume, AMapOfAnotherSourceIsRefusedAndTheTargetKept) {
    const TempDir folder;
    const std::string in = folder.WriteFile("in.img", Pattern(5 * kChunk));
    const std::string other = folder.WriteFile("other.img", Pattern(5 * kChunk, 9));
    const std::string out = folder.File("out.img");
    const std::string map = folder.File("copy.map");
    ASSERT_EQ(RunInterrupted({"--map", map, in, out}).status, kExitStopped);
    const std::string kept = ReadWholeFile(out);

    const auto run = RunImage({"--map", map, other, out});

    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("belongs to another copy: its source is " + in + ", not " + other),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadWholeFile(out), kept);
}

}  // namespace

namespace {

TEST(MapResume, AStreamedTargetKeepsNoMap) {
    const TempDir folder;
    const std::string in = folder.WriteFile("in.img", Pattern(4096));
    const std::string map = folder.File("copy.map");
    const auto run = cli_test::RunImage({"--map", map, in, "-"});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("cannot go on later, so it keeps no map"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(map));
}

}  // namespace
