// Small fixtures of the command-line tests: a run of the command in this process and a
// comparison of bytes that reports where they differ.
#pragma once

#include <gtest/gtest.h>

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

}  // namespace cli_test
