// The handles of the standard streams and the console check: a terminal is a console; a file,
// a pipe and /dev/null are none, also after the stream was redirected.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/platform/winapi.h"
#include "support/temp_dir.h"

using namespace win;

namespace {

// A descriptor of the test's own, closed when it goes.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

// Descriptor 2 goes to `target` for the scope of the object, then back where it went before.
class RedirectedStderr {
  public:
    explicit RedirectedStderr(int target) : saved_(::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3)) {
        if (saved_.fd >= 0) {
            redirected_ = ::dup2(target, STDERR_FILENO) == STDERR_FILENO;
        }
    }
    ~RedirectedStderr() {
        if (redirected_) {
            ::dup2(saved_.fd, STDERR_FILENO);
        }
    }
    bool Redirected() const { return redirected_; }
    RedirectedStderr(const RedirectedStderr&) = delete;
    RedirectedStderr& operator=(const RedirectedStderr&) = delete;

  private:
    Descriptor saved_;
    bool redirected_ = false;
};

// Where a case sends descriptor 2, and the other end that must stay open meanwhile (a
// terminal's master side, a pipe's reading end); -1 where there is none or it failed.
struct StreamEnd {
    int fd = -1;
    int other = -1;
};

StreamEnd Terminal() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        return {-1, master};
    }
    const char* name = ::ptsname(master);
    return {name == nullptr ? -1 : ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC), master};
}

StreamEnd PlainFile(const TempDir& folder) {
    return {::open(folder.File("log.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644)};
}

StreamEnd NullDevice() {
    return {::open("/dev/null", O_WRONLY | O_CLOEXEC)};
}

StreamEnd Pipe() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return {};
    }
    return {ends[1], ends[0]};
}

TEST(Console, OnlyATerminalIsAConsoleWhereverTheStreamGoes) {
    const TempDir folder;
    struct Case {
        const char* name;
        std::function<StreamEnd()> open;
        bool console;
    };
    // In turns, so that a handle kept from the stream's earlier target would answer wrongly.
    const std::vector<Case> cases = {
        {"file", [&] { return PlainFile(folder); }, false},
        {"terminal", Terminal, true},
        {"/dev/null", NullDevice, false},
        {"pipe", Pipe, false},
        {"another terminal", Terminal, true},
    };
    for (const Case& c : cases) {
        const StreamEnd end = c.open();
        const Descriptor other(end.other);
        const Descriptor target(end.fd);
        if (target.fd < 0) {
            ADD_FAILURE() << c.name << " cannot be opened";
            continue;
        }
        const RedirectedStderr redirected(target.fd);
        ASSERT_TRUE(redirected.Redirected()) << c.name;
        const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
        ASSERT_GT(handle, 0) << c.name;
        EXPECT_EQ(GetStdHandle(STD_ERROR_HANDLE), handle) << c.name;
        DWORD mode = 99;
        EXPECT_EQ(GetConsoleMode(handle, &mode) != FALSE, c.console) << c.name;
        if (c.console) {
            EXPECT_NE(mode, 0u) << c.name;
        } else {
            EXPECT_EQ(mode, 0u) << c.name;
            EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE) << c.name;
        }
    }
}

TEST(Console, ClosingAStandardHandleLeavesTheStreamOpen) {
    const TempDir folder;
    const Descriptor log(
        ::open(folder.File("log.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    ASSERT_GE(log.fd, 0);
    const RedirectedStderr redirected(log.fd);
    ASSERT_TRUE(redirected.Redirected());

    ASSERT_TRUE(CloseHandle(GetStdHandle(STD_ERROR_HANDLE)));
    ASSERT_EQ(::write(STDERR_FILENO, "one ", 4), 4);  // the process's stream still goes there
    const HANDLE again = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(again, "two", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(ReadWholeFile(folder.File("log.txt")), "one two");
}

TEST(Console, EachStreamHasItsOwnHandleAndOtherValuesNone) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    EXPECT_GT(output, 0);
    EXPECT_GT(error, 0);
    EXPECT_NE(output, error);

    EXPECT_EQ(GetStdHandle(static_cast<DWORD>(-13)), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DWORD mode = 99;
    EXPECT_FALSE(GetConsoleMode(INVALID_HANDLE_VALUE, &mode));
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
