// What the window's event processing once per chunk costs the copy.
//
// Copies a source file into a new file in the same folder with CopySectors, alternating two
// windows: one whose ProcessMessages does nothing and one whose ProcessMessages is the Qt
// event processing the desktop window does (QCoreApplication::processEvents with nothing
// pending). Prints the median time of each and their ratio, then the cost of one
// processEvents call measured on its own against the time of one chunk, and the peak memory.
//
// Usage: event_cost_bench SOURCE [SECTOR_SIZE [ROUNDS]]
#include <sys/resource.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_window.h"
#include "engine/copy_sectors.h"
#include "engine/errors.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// One copy into a new, empty target; the time in seconds.
double TimedCopy(WindowServices& window, const std::string& source, const std::string& target,
                 std::int64_t size, std::int32_t sectorSize) {
    std::filesystem::remove(target);
    { std::ofstream create(target, std::ios::binary); }
    const auto begin = Clock::now();
    CopySectors(window, source, target, size, sectorSize, 0);
    const std::chrono::duration<double> took = Clock::now() - begin;
    return took.count();
}

// Seconds per QCoreApplication::processEvents call with nothing pending.
double ProcessEventsCost() {
    constexpr int kCalls = 200000;
    const auto begin = Clock::now();
    for (int i = 0; i < kCalls; ++i) {
        QCoreApplication::processEvents();
    }
    const std::chrono::duration<double> took = Clock::now() - begin;
    return took.count() / kCalls;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "Usage: event_cost_bench SOURCE [SECTOR_SIZE [ROUNDS]]\n");
        return 2;
    }
    const std::string source = argv[1];
    const std::int32_t sectorSize = argc > 2 ? std::stoi(argv[2]) : 512;
    const int rounds = argc > 3 ? std::stoi(argv[3]) : 5;
    const std::string target = source + ".bench-target";
    const std::int64_t size = static_cast<std::int64_t>(std::filesystem::file_size(source));

    BenchWindow quiet;
    BenchWindow events([] { QCoreApplication::processEvents(); });
    std::vector<double> quietTimes;
    std::vector<double> eventTimes;
    try {
        for (int round = 0; round < rounds; ++round) {
            quietTimes.push_back(TimedCopy(quiet, source, target, size, sectorSize));
            eventTimes.push_back(TimedCopy(events, source, target, size, sectorSize));
        }
    } catch (const Exception& error) {
        std::filesystem::remove(target);
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
    std::filesystem::remove(target);

    const double quietMedian = Median(quietTimes);
    const double eventMedian = Median(eventTimes);
    const double chunks = static_cast<double>(size) / (512.0 * sectorSize);
    const double callCost = ProcessEventsCost();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    std::printf(
        "S=%d, %d rounds: copy without events %.3f s, with processEvents %.3f s, "
        "ratio %.3f\n",
        sectorSize, rounds, quietMedian, eventMedian, eventMedian / quietMedian);
    std::printf("one processEvents call %.2f us, one chunk %.1f us: %.3f %% per chunk\n",
                callCost * 1e6, quietMedian / chunks * 1e6,
                100.0 * callCost / (quietMedian / chunks));
    std::printf("peak memory of the driver: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
