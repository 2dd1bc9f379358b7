// The progress line: its text, how often it is shown, and when the command shows it at all.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "cli/progress_line.h"
#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/scoped_fault_plan.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using cli_test::RunImage;

TEST(ProgressLineTest, FormatsPercentBytesRateAndRemainingTime) {
    struct Case {
        std::int64_t done;
        std::int64_t total;
        std::chrono::duration<double> elapsed;
        std::string line;
    };
    const Case cases[] = {
        {536870912, 1073741824, 2s,
         " 50%  536870912 of 1073741824 bytes  256.0 MiB/s  剩余时间: 0 : 2"},
        {1048576, 1073741824, 10s,
         "  0%  1048576 of 1073741824 bytes  0.1 MiB/s  剩余时间: 170 : 30"},
        {999, 1000, 1s, " 99%  999 of 1000 bytes  0.0 MiB/s  剩余时间: 0 : 0"},
        {0, 1000, 1s, "  0%  0 of 1000 bytes"},
        {0, 0, 1s, "  0%  0 of 0 bytes"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatProgressLine(c.done, c.total, c.elapsed), c.line);
    }
}

// A progress line on a string, with a clock the test moves by hand.
class ProgressLineRewriteTest : public testing::Test {
  protected:
    std::chrono::steady_clock::time_point now_{};
    std::ostringstream err_;
    ProgressLine line_{err_, [this] { return now_; }};
};

TEST_F(ProgressLineRewriteTest, RewritesOneLineAtMostOnceASecond) {
    now_ += 900ms;
    line_.Update(100, 1000);
    EXPECT_EQ(err_.str(), "");
    now_ += 100ms;
    line_.Update(200, 1000);
    const std::string first = err_.str();
    EXPECT_EQ(first.rfind("\r 20%  200 of 1000 bytes", 0), 0u) << first;
    now_ += 999ms;
    line_.Update(300, 1000);
    EXPECT_EQ(err_.str(), first);
    now_ += 1ms;
    line_.Update(400, 1000);
    const std::string second = err_.str().substr(first.size());
    EXPECT_EQ(second.rfind("\r 40%  400 of 1000 bytes", 0), 0u) << second;
}

// The end of the copy is shown even when it came less than a second after the last line.
TEST_F(ProgressLineRewriteTest, FinishShowsTheLastStateAndEndsTheLine) {
    now_ += 1s;
    line_.Update(500, 1000);
    const std::string first = err_.str();
    now_ += 10ms;
    line_.Update(1000, 1000);
    EXPECT_EQ(err_.str(), first);
    line_.Finish();
    const std::string last = err_.str().substr(first.size());
    EXPECT_EQ(last.rfind("\r100%  1000 of 1000 bytes", 0), 0u) << last;
    EXPECT_EQ(last.back(), '\n');
}

TEST_F(ProgressLineRewriteTest, ShortLinesBlankOutTheLongerOneBefore) {
    now_ += 1s;
    line_.Update(500, 1000);
    const std::size_t longLength = err_.str().size() - 1;
    now_ += 1s;
    line_.Update(0, 1000);  // no rate: a shorter line
    const std::string second = err_.str().substr(longLength + 1);
    EXPECT_EQ(second.size(), longLength + 1) << second;
}

// A copy shorter than a second shows nothing at all.
TEST_F(ProgressLineRewriteTest, FinishWithoutALineWritesNothing) {
    now_ += 500ms;
    line_.Update(1000, 1000);
    line_.Finish();
    EXPECT_EQ(err_.str(), "");
}

// The command shows the line only on a terminal and without --quiet; a clock that moves a
// second per reading shows it at every chunk.
TEST(ProgressLineTest, ShownOnlyOnATerminalWithoutQuiet) {
    struct Case {
        bool terminal;
        std::vector<std::string> options;
        bool shown;
    };
    const Case cases[] = {{true, {}, true}, {true, {"-q"}, false}, {false, {}, false}};
    for (const Case& c : cases) {
        const TempDir folder;
        const std::string in = folder.WriteFile("in.img", Pattern(3 * 262144));
        std::chrono::steady_clock::time_point now{};
        ConsoleEnvironment environment;
        environment.errIsTerminal = c.terminal;
        environment.clock = [&now] { return now += 1s; };
        std::vector<std::string> args = c.options;
        args.push_back(in);
        args.push_back(folder.File("out.img"));

        const auto run = RunImage(args, environment);

        ASSERT_EQ(run.status, kExitComplete) << run.err;
        EXPECT_EQ(run.out, "Disk image complete!\n");
        if (c.shown) {
            EXPECT_NE(run.err.find("\r 33%  262144 of 786432 bytes"), std::string::npos) << run.err;
            EXPECT_EQ(run.err.back(), '\n');
        } else {
            EXPECT_EQ(run.err, "");
        }
    }
}

// An error that ends the copy is printed after the progress line has ended, on a line of its own.
TEST(ProgressLineTest, AnErrorFollowsTheEndedLine) {
    const TempDir folder;
    const std::string in = folder.WriteFile("in.img", Pattern(3 * 262144));
    const std::string out = folder.File("out.img");
    win::FaultPlan plan;
    plan.badWrites.push_back({out, 2 * 262144});
    const ScopedFaultPlan faults(plan);
    std::chrono::steady_clock::time_point now{};
    ConsoleEnvironment environment;
    environment.errIsTerminal = true;
    environment.clock = [&now] { return now += 1s; };

    const auto run = RunImage({in, out}, environment);

    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.out, "");
    const std::size_t error = run.err.find("Cannot write file");
    ASSERT_NE(error, std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("\r 33%  262144 of 786432 bytes", error), 0u) << run.err;
    EXPECT_EQ(run.err[error - 1], '\n') << run.err;
}

}  // namespace
