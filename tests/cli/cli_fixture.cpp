#include "cli_fixture.h"

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

}  // namespace cli_test
