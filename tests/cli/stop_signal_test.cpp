// Ctrl+C, SIGTERM, SIGHUP and SIGPIPE stop a copy after the current chunk, like the Stop
// button.
#include <gtest/gtest.h>

#include <csignal>

#include "cli_fixture.h"
#include "engine/errors.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

constexpr std::int32_t kChunk = 512 * 520;

class StopSignalTest : public testing::TestWithParam<int> {};

TEST_P(StopSignalTest, EndsAfterTheChunkWithTheFlushedPrefix) {
    const int signal = GetParam();
    const ScopedTestHandler testHandler(signal);
    const TempDir folder;
    const std::string source = Pattern(4 * static_cast<std::size_t>(kChunk));
    const std::string in = folder.WriteFile("in.img", source);
    const std::string out = folder.File("out.img");
    const auto run = RunImage({"-s", "520", in, out}, SignalAfterFirstChunk(signal));

    EXPECT_EQ(run.status, kExitStopped);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(Format("Stopped at source byte %d; 262144 bytes were written to \"%s\".",
                                  kChunk, out.c_str())),
              std::string::npos)
        << run.err;
    const std::string image = ExpectedTarget(source, 0, 520, "");
    EXPECT_TRUE(SameBytes(ReadWholeFile(out), image.substr(0, 262144)));

    // The command's handler is gone again: the one before it is back.
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    EXPECT_EQ(now.sa_handler, &TestHandler);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest,
                         testing::Values(SIGINT, SIGTERM, SIGHUP, SIGPIPE));

}  // namespace
