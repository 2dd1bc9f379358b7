// Runs a system tool for a test helper, without a shell.
#pragma once

#include <string>
#include <vector>

struct CommandResult {
    int exitCode = -1;   // -1 when the tool could not be started or was killed
    std::string output;  // what it wrote to standard output
};

// Runs argv[0] (looked up on PATH) with the arguments; standard input comes from `inputFile`
// when it is not empty, standard error is dropped.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& inputFile = "");
