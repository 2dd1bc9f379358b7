#include "support/image_files.h"

#include <algorithm>

std::string Pattern(std::size_t n, std::uint32_t seed) {
    std::string bytes(n, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::string ExpectedTarget(const std::string& source, std::int64_t start, std::int32_t sectorSize,
                           std::string target, const std::vector<std::int64_t>& zeroSectors) {
    const auto size = static_cast<std::int64_t>(source.size());
    for (std::int64_t k = 0; start + (k + 1) * sectorSize <= size; ++k) {
        const auto out = static_cast<std::size_t>(k * 512);
        if (target.size() < out + 512) {
            target.resize(out + 512);
        }
        if (std::find(zeroSectors.begin(), zeroSectors.end(), k) != zeroSectors.end()) {
            target.replace(out, 512, 512, '\0');
        } else {
            target.replace(out, 512, source, static_cast<std::size_t>(start + k * sectorSize), 512);
        }
    }
    return target;
}
