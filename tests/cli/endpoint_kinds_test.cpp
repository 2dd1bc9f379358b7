// Sources and targets that are not plain files or disks: sources without a fixed size are
// refused before anything is created; a named pipe target is streamed, a character device is
// written only with --force, and the device folder gets no new files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/scoped_pipe.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

struct SourceCase {
    const char* source;  // "fifo" and "pipe" are made by the test
    const char* what;    // how the refusal names it
};

void PrintTo(const SourceCase& c, std::ostream* os) {
    *os << c.source;
}

class SourceKindTest : public testing::TestWithParam<SourceCase> {};

TEST_P(SourceKindTest, IsRefusedBeforeTheTargetIsCreated) {
    const SourceCase& c = GetParam();
    const TempDir folder;
    const ScopedPipe pipe;
    std::string source = c.source;
    if (source == "fifo") {
        source = folder.File("fifo");
        ASSERT_EQ(::mkfifo(source.c_str(), 0600), 0);
    } else if (source == "pipe") {
        source = pipe.ReadEndName();
    }
    const std::string out = folder.File("out.img");

    const auto run = RunImage({source, out});

    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(
        run.err.find("Cannot image \"" + source + "\". It is " + c.what + ", not a file or a disk"),
        std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

INSTANTIATE_TEST_SUITE_P(Sources, SourceKindTest,
                         testing::Values(SourceCase{"fifo", "a pipe"}, SourceCase{"pipe", "a pipe"},
                                         SourceCase{"/dev/zero", "a character device"},
                                         SourceCase{"/dev/urandom", "a character device"},
                                         SourceCase{"/proc/self/status",
                                                    "a file the system makes up as it is read"},
                                         SourceCase{"/sys/kernel/uevent_seqnum",
                                                    "a file the system makes up as it is read"}));

// A character device is overwritten only with --force, like a disk, and has no size to check.
TEST(CharacterDeviceTargetTest, NeedsForce) {
    const TempDir folder;
    const std::string in = folder.WriteFile("in.img", Pattern(5000));

    const auto refused = RunImage({in, "/dev/null"});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_NE(refused.err.find("\"/dev/null\" is a disk, a volume or a device and is not "
                               "overwritten without --force."),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(refused.out, "");

    const auto forced = RunImage({"--force", in, "/dev/null"});
    EXPECT_EQ(forced.status, kExitComplete) << forced.err;
    EXPECT_EQ(forced.out, "Disk image complete!\n");
}

// A name in the device folder that is not there is a device that does not exist.
TEST(DeviceFolderTargetTest, GetsNoNewFile) {
    const TempDir folder;
    const std::string in = folder.WriteFile("in.img", Pattern(5000));
    const std::string target = "/dev/varnel-test-no-such-disk-" + std::to_string(::getpid());

    const auto run = RunImage({in, target});
    const bool created = std::filesystem::exists(target);
    if (created) {
        std::filesystem::remove(target);
    }

    EXPECT_FALSE(created);
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("Cannot create file \"" + target + "\"."), std::string::npos) << run.err;
}

// The image streams into the pipe once: its reader sees the whole image and then its end,
// never an end before the image (a measuring open and close would give one).
TEST(NamedPipeTargetTest, StreamsTheImageOnce) {
    const TempDir folder;
    const std::string source = Pattern(600 * 520 + 100);
    const std::string in = folder.WriteFile("in.img", source);
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto received = std::async(std::launch::async, [&] { return ReadWholeFile(fifo); });

    const auto run = RunImage({"-s", "520", in, fifo});
    // A reader still waiting for a writer (the copy never opened the pipe) gets its end.
    if (const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) {
        ::close(fd);
    }

    ASSERT_EQ(run.status, kExitComplete) << run.err;
    EXPECT_EQ(run.out, "Disk image complete!\n");
    EXPECT_TRUE(SameBytes(received.get(), ExpectedTarget(source, 0, 520, "")));
}

}  // namespace
