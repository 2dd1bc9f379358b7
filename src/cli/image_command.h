// varnel-image as a function: the whole command, run against streams, so the tests run it in
// the test process (with a device map of their own) and main() only hands it the console.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/progress_line.h"

// Exit statuses of the command.
constexpr int kExitComplete = 0;   // the copy reached the end (unreadable sectors are reported)
constexpr int kExitFailed = 1;     // an endpoint could not be opened or written, a device refused
constexpr int kExitUsage = 2;      // bad arguments
constexpr int kExitStopped = 130;  // a stop signal (Ctrl+C, SIGTERM, ...) ended the copy

struct ConsoleEnvironment {
    bool errIsTerminal = false;  // the progress line is shown only on a terminal
    ProgressLine::Clock clock = [] { return std::chrono::steady_clock::now(); };
};

// Runs varnel-image with the arguments (without the program name). Results go to out, the
// progress line, warnings and errors to err. Returns the exit status.
int RunImageCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const ConsoleEnvironment& environment = {});
