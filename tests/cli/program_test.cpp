// The program varnel-image itself, run as a separate process.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

// Runs the program with the arguments (quoted for the shell); stdout and stderr land in files
// of the folder. Returns the exit status.
int RunProgram(const TempDir& folder, const std::vector<std::string>& args) {
    std::string line = std::string("'") + VARNEL_IMAGE_PROGRAM + "'";
    for (const auto& arg : args) {
        line += " '" + arg + "'";
    }
    line += " >'" + folder.File("stdout") + "' 2>'" + folder.File("stderr") + "'";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ProgramTest, VersionUsageErrorAndAFileCopy) {
    const TempDir folder;

    EXPECT_EQ(RunProgram(folder, {"--version"}), 0);
    EXPECT_EQ(ReadWholeFile(folder.File("stdout")), "varnel-image 1.5.0\n");

    EXPECT_EQ(RunProgram(folder, {"-s", "513", "a", "b"}), 2);
    EXPECT_NE(ReadWholeFile(folder.File("stderr")).find("Usage: varnel-image"), std::string::npos);

    const std::string source = Pattern(3 * 518 + 17);
    folder.WriteFile("in.img", source);
    ASSERT_EQ(RunProgram(folder, {"-s", "518", folder.File("in.img"), folder.File("out.img")}), 0)
        << ReadWholeFile(folder.File("stderr"));
    EXPECT_EQ(ReadWholeFile(folder.File("stdout")), "Disk image complete!\n");
    EXPECT_EQ(ReadWholeFile(folder.File("stderr")), "");  // not a terminal: no progress line
    EXPECT_TRUE(
        SameBytes(ReadWholeFile(folder.File("out.img")), ExpectedTarget(source, 0, 518, "")));
}

}  // namespace
