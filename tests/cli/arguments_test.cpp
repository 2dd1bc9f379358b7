// How varnel-image reads its arguments, and what it answers to bad ones.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/command_line.h"
#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using cli_test::RunImage;
using Action = ImageCommand::Action;

struct ParseCase {
    std::vector<std::string> args;
    Action action;
    int secradioItemIndex = 0;
    std::string startText = "0";
    bool force = false;
    bool quiet = false;
    std::string source = "in.img";
    std::string target = "out.img";
    int readAttempts = 1;
    std::string mapPath{};
    bool sparse = true;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.args);
}

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ReadsWhatTheArgumentsSay) {
    const ParseCase& c = GetParam();
    const ImageCommand command = ParseImageCommand(c.args);
    ASSERT_EQ(command.action, c.action) << command.error;
    if (c.action != Action::Copy) {
        return;
    }
    EXPECT_EQ(command.secradioItemIndex, c.secradioItemIndex);
    EXPECT_EQ(command.startText, c.startText);
    EXPECT_EQ(command.force, c.force);
    EXPECT_EQ(command.quiet, c.quiet);
    EXPECT_EQ(command.source, c.source);
    EXPECT_EQ(command.target, c.target);
    EXPECT_EQ(command.readAttempts, c.readAttempts);
    EXPECT_EQ(command.mapPath, c.mapPath);
    EXPECT_EQ(command.sparse, c.sparse);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ParseTest,
    testing::Values(
        ParseCase{{"in.img", "out.img"}, Action::Copy},
        ParseCase{{"-s", "518", "in.img", "out.img"}, Action::Copy, 1},
        ParseCase{{"in.img", "--sector-size", "520", "out.img"}, Action::Copy, 2},
        ParseCase{{"--sector-size=522", "in.img", "out.img"}, Action::Copy, 3},
        ParseCase{{"-s", "520", "-s", "512", "in.img", "out.img"}, Action::Copy, 0},
        ParseCase{{"-o", "0x200", "in.img", "out.img"}, Action::Copy, 0, "0x200"},
        ParseCase{{"--offset=$A0", "in.img", "out.img"}, Action::Copy, 0, "$A0"},
        ParseCase{{"--offset", " 12", "in.img", "out.img"}, Action::Copy, 0, " 12"},
        ParseCase{{"-f", "-q", "in.img", "out.img"}, Action::Copy, 0, "0", true, true},
        ParseCase{{"in.img", "out.img", "--force", "--quiet"}, Action::Copy, 0, "0", true, true},
        ParseCase{{"--", "-in.img", "-out.img"},
                  Action::Copy,
                  0,
                  "0",
                  false,
                  false,
                  "-in.img",
                  "-out.img"},
        ParseCase{{"-", "out.img"}, Action::Copy, 0, "0", false, false, "-"},
        ParseCase{{"-r", "3", "--map", "copy.map", "in.img", "out.img"},
                  Action::Copy,
                  0,
                  "0",
                  false,
                  false,
                  "in.img",
                  "out.img",
                  3,
                  "copy.map"},
        ParseCase{{"--no-sparse", "in.img", "out.img"},
                  Action::Copy,
                  0,
                  "0",
                  false,
                  false,
                  "in.img",
                  "out.img",
                  1,
                  "",
                  false},
        ParseCase{{"--retries=100", "-m", "m", "in.img", "out.img"},
                  Action::Copy,
                  0,
                  "0",
                  false,
                  false,
                  "in.img",
                  "out.img",
                  100,
                  "m"},
        ParseCase{{"--list"}, Action::List}, ParseCase{{"--help", "-x"}, Action::Help},
        ParseCase{{"-h"}, Action::Help}, ParseCase{{"in.img", "--version"}, Action::Version}));

struct UsageCase {
    std::vector<std::string> args;  // "@in" and "@out" stand for files of the test's folder
    std::string message;            // part of the explanation on stderr
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.args);
}

class UsageErrorTest : public testing::TestWithParam<UsageCase> {};

// Every usage error: status 2, the explanation and the usage on stderr, nothing on stdout, and
// the target not created.
TEST_P(UsageErrorTest, ExplainsAndTouchesNothing) {
    const TempDir folder;
    const std::string in = folder.WriteFile("in.img", Pattern(4096));
    const std::string out = folder.File("out.img");
    std::vector<std::string> args = GetParam().args;
    for (auto& arg : args) {
        arg = arg == "@in" ? in : arg == "@out" ? out : arg;
    }

    const auto run = RunImage(args);

    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Usage: varnel-image"), std::string::npos);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageErrorTest,
    testing::Values(UsageCase{{}, "SOURCE and TARGET are missing."},
                    UsageCase{{"@in"}, "TARGET is missing."},
                    UsageCase{{"@in", "@out", "extra"}, "Too many arguments: \"extra\""},
                    UsageCase{{"-x", "@in", "@out"}, "Unknown option \"-x\"."},
                    UsageCase{{"--forced", "@in", "@out"}, "Unknown option \"--forced\"."},
                    UsageCase{{"-s", "1024", "@in", "@out"}, "'1024' is not a sector size"},
                    UsageCase{{"--sector-size=", "@in", "@out"}, "'' is not a sector size"},
                    UsageCase{{"@in", "@out", "-s"}, "The option \"-s\" needs a value."},
                    UsageCase{{"-o", "12a", "@in", "@out"}, "'12a' is not a valid integer value"},
                    UsageCase{{"--offset=", "@in", "@out"}, "'' is not a valid integer value"},
                    UsageCase{{"-o", "-1", "@in", "@out"}, "negative"},
                    UsageCase{{"-o", "0x8000000000000000", "@in", "@out"},
                              "is not a valid integer value"},
                    UsageCase{{"--list", "@in"}, "--list takes no SOURCE or TARGET."},
                    UsageCase{{"-r", "0", "@in", "@out"}, "'0' is not a number of reads"},
                    UsageCase{{"--retries=101", "@in", "@out"}, "'101' is not a number of reads"},
                    UsageCase{{"-r", "2x", "@in", "@out"}, "'2x' is not a number of reads"},
                    UsageCase{{"--map=", "@in", "@out"}, "The map needs a file name."}));

TEST(InformationTest, HelpAndVersionGoToStdout) {
    const auto help = RunImage({"--help"});
    EXPECT_EQ(help.status, kExitComplete);
    EXPECT_EQ(help.out.rfind("Usage: varnel-image", 0), 0u);
    EXPECT_EQ(help.err, "");

    const auto version = RunImage({"--version"});
    EXPECT_EQ(version.status, kExitComplete);
    EXPECT_EQ(version.out, "varnel-image 1.5.0\n");
    EXPECT_EQ(version.err, "");
}

}  // namespace
