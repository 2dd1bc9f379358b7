// The program varnel-image itself, run as a separate process.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

// The program and its arguments, quoted for the shell.
std::string CommandLine(const std::vector<std::string>& args) {
    std::string line = std::string("'") + VARNEL_IMAGE_PROGRAM + "'";
    for (const auto& arg : args) {
        line += " '" + arg + "'";
    }
    return line;
}

// Runs a shell command line; its exit status (-1 when it did not exit).
int RunShell(const std::string& line) {
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the program with the arguments; stdout and stderr land in files of the folder. Returns
// the exit status.
int RunProgram(const TempDir& folder, const std::vector<std::string>& args) {
    return RunShell(CommandLine(args) + " >'" + folder.File("stdout") + "' 2>'" +
                    folder.File("stderr") + "'");
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

struct StandardOutputCase {
    std::vector<std::string> options;
    std::string target;
};

void PrintTo(const StandardOutputCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.options) << " " << c.target;
}

class StandardOutputTest : public testing::TestWithParam<StandardOutputCase> {};

// With "-" (or the standard output's own name) as the target the image is all that goes to
// stdout; the completion goes to stderr.
TEST_P(StandardOutputTest, StreamsOnlyTheImage) {
    const StandardOutputCase& c = GetParam();
    const TempDir folder;
    const std::string source = Pattern(700 * 518 + 17);
    folder.WriteFile("in.img", source);
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-s", "518", folder.File("in.img"), c.target});

    ASSERT_EQ(RunProgram(folder, args), 0) << ReadWholeFile(folder.File("stderr"));
    EXPECT_TRUE(
        SameBytes(ReadWholeFile(folder.File("stdout")), ExpectedTarget(source, 0, 518, "")));
    EXPECT_EQ(ReadWholeFile(folder.File("stderr")), "Disk image complete!\n");
}

INSTANTIATE_TEST_SUITE_P(Targets, StandardOutputTest,
                         testing::Values(StandardOutputCase{{}, "-"},
                                         StandardOutputCase{{"-q"}, "-"},
                                         StandardOutputCase{{}, "/dev/stdout"}));

// A reader of "-" that goes away stops the copy (SIGPIPE) with a message, instead of killing
// the program without one.
TEST(StandardOutputTest, AReaderThatGoesAwayStopsTheCopy) {
    const TempDir folder;
    folder.WriteFile("in.img", Pattern(8 << 20));
    const std::string line = "{ " + CommandLine({folder.File("in.img"), "-"}) + " 2>'" +
                             folder.File("stderr") + "'; echo $? >'" + folder.File("status") +
                             "'; } | head -c 1000 >/dev/null";

    RunShell(line);

    const std::string err = ReadWholeFile(folder.File("stderr"));
    EXPECT_EQ(ReadWholeFile(folder.File("status")), "130\n") << err;
    EXPECT_NE(err.find("Cannot write file \"/dev/stdout\""), std::string::npos) << err;
    EXPECT_EQ(err.find("Disk image complete!"), std::string::npos) << err;
}

// Standard output appended to the source file: the image would overwrite what it is read from.
TEST(StandardOutputTest, TheSourceFileIsRefused) {
    const TempDir folder;
    const std::string source = Pattern(5000);
    const std::string in = folder.WriteFile("in.img", source);

    EXPECT_EQ(
        RunShell(CommandLine({in, "-"}) + " >>'" + in + "' 2>'" + folder.File("stderr") + "'"), 1);
    EXPECT_NE(ReadWholeFile(folder.File("stderr")).find("is the source"), std::string::npos)
        << ReadWholeFile(folder.File("stderr"));
    EXPECT_TRUE(SameBytes(ReadWholeFile(in), source));
}

// The standard input as the source, fed by a pipe, has no size: refused, no target made.
TEST(StandardInputTest, IsRefusedAsSource) {
    const TempDir folder;
    const std::string line = "echo data | " + CommandLine({"/dev/stdin", folder.File("out.img")}) +
                             " 2>'" + folder.File("stderr") + "'";

    EXPECT_EQ(RunShell(line), 1);
    EXPECT_NE(ReadWholeFile(folder.File("stderr")).find("It is a pipe, not a file or a disk"),
              std::string::npos)
        << ReadWholeFile(folder.File("stderr"));
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.img")));
}

// The program started on its own, Ctrl+C not ignored, its output in files of the folder.
class ProgramProcess {
  public:
    ProgramProcess(const TempDir& folder, const std::vector<std::string>& args) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::signal(SIGINT, SIG_DFL);
            const int out = ::open(folder.File("stdout").c_str(), O_WRONLY | O_CREAT, 0600);
            const int err = ::open(folder.File("stderr").c_str(), O_WRONLY | O_CREAT, 0600);
            ::dup2(out, 1);
            ::dup2(err, 2);
            std::vector<char*> argv{const_cast<char*>(VARNEL_IMAGE_PROGRAM)};
            for (const std::string& arg : args) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(VARNEL_IMAGE_PROGRAM, argv.data());
            ::_exit(127);
        }
    }
    ~ProgramProcess() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    void Signal(int signal) const { ::kill(pid_, signal); }
    // The exit status once the program ended within the time; -1 when it did not.
    int Wait(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

// The copy waits on a named pipe, for a reader (`readBytes` 0: none comes) or in a write (the
// reader read some and stopped reading): the first Ctrl+C ends the wait.
class NamedPipeStopTest : public testing::TestWithParam<std::size_t> {};

TEST_P(NamedPipeStopTest, FirstCtrlCEndsTheWait) {
    const std::size_t readBytes = GetParam();
    const TempDir folder;
    folder.WriteFile("in.img", Pattern(8 << 20));
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ProgramProcess program(folder, {folder.File("in.img"), fifo});

    int reader = -1;
    if (readBytes > 0) {
        reader = ::open(fifo.c_str(), O_RDONLY);  // waits for the program to open it
        ASSERT_GE(reader, 0);
        std::vector<char> some(readBytes);
        ASSERT_GT(::read(reader, some.data(), some.size()), 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the program waits now
    program.Signal(SIGINT);
    const int status = program.Wait(std::chrono::seconds(5));
    if (reader >= 0) {
        ::close(reader);
    }

    const std::string err = ReadWholeFile(folder.File("stderr"));
    EXPECT_EQ(status, 130) << err;
    const std::string what = readBytes > 0 ? "Cannot write file" : "Cannot open file";
    EXPECT_NE(err.find(what + " \"" + fifo + "\""), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(Waits, NamedPipeStopTest, testing::Values(0, 4096));

}  // namespace
