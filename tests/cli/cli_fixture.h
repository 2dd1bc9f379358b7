// Small fixtures of the command-line tests: a run of the command in this process and a
// comparison of bytes that reports where they differ.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "cli/image_command.h"

namespace cli_test {

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs varnel-image in this process with the arguments.
CommandRun RunImage(const std::vector<std::string>& args,
                    const ConsoleEnvironment& environment = {});

// Equal bytes; otherwise the sizes and the first offset that differs (not the bytes).
testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

// A console on a terminal whose clock raises `signal` at its second reading: the clock is read
// once when the copy begins and once after every chunk, so the signal comes after the first.
ConsoleEnvironment SignalAfterFirstChunk(int signal);

// A handler that does nothing.
extern "C" void TestHandler(int signal);

// Installs TestHandler for the signal for the object's life: the command has a previous handler
// to put back, and a signal that comes after the command ended does no harm.
class ScopedTestHandler {
  public:
    explicit ScopedTestHandler(int signal);
    ~ScopedTestHandler();
    ScopedTestHandler(const ScopedTestHandler&) = delete;
    ScopedTestHandler& operator=(const ScopedTestHandler&) = delete;

  private:
    int signal_;
    struct sigaction previous_ {};
};

}  // namespace cli_test
