// Runs one sector copy between two existing files and prints how long it took, for comparing
// the copy loop with other copying tools on the same files.
//
//   copy_driver SOURCE TARGET SECTOR_SIZE
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_window.h"
#include "engine/copy_sectors.h"
#include "engine/errors.h"
#include "engine/file_stream.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE TARGET SECTOR_SIZE\n", argv[0]);
        return 2;
    }
    const std::string source = argv[1];
    const std::string target = argv[2];
    const auto sectorSize = static_cast<std::int32_t>(std::atoi(argv[3]));
    try {
        std::int64_t size = 0;
        {
            TFileStream measure(source, fmOpenReadShared);
            size = measure.Size();
        }
        BenchWindow window;
        const auto begin = std::chrono::steady_clock::now();
        const CopyResult result = CopySectors(window, source, target, size, sectorSize, 0);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        std::printf("S=%d: %lld source bytes in %.3f s, %.1f MiB/s (%lld bytes written)\n",
                    sectorSize, static_cast<long long>(size), took.count(),
                    static_cast<double>(size) / took.count() / 1048576.0,
                    static_cast<long long>(result.bytesWritten));
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
