#include "cli_fixture.h"

#include <csignal>
#include <memory>
#include <sstream>

namespace cli_test {

CommandRun RunImage(const std::vector<std::string>& args, const ConsoleEnvironment& environment) {
    std::ostringstream out;
    std::ostringstream err;
    CommandRun run;
    run.status = RunImageCommand(args, out, err, environment);
    run.out = out.str();
    run.err = err.str();
    return run;
}

testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return testing::AssertionSuccess();
    }
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
        ++at;
    }
    return testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                       << " were expected; the first difference is at byte " << at;
}

extern "C" void TestHandler(int /*signal*/) {}

ScopedTestHandler::ScopedTestHandler(int signal) : signal_(signal) {
    struct sigaction action {};
    action.sa_handler = TestHandler;
    sigemptyset(&action.sa_mask);
    sigaction(signal_, &action, &previous_);
}

ScopedTestHandler::~ScopedTestHandler() {
    sigaction(signal_, &previous_, nullptr);
}

ConsoleEnvironment SignalAfterFirstChunk(int signal) {
    ConsoleEnvironment environment;
    environment.errIsTerminal = true;
    environment.clock = [signal, readings = std::make_shared<int>(0)] {
        if (++*readings == 2) {
            std::raise(signal);
        }
        return std::chrono::steady_clock::time_point{};
    };
    return environment;
}

}  // namespace cli_test
