#include "engine/map_file.h"

#include <cinttypes>
#include <sstream>
#include <vector>

#include "engine/errors.h"
#include "engine/file_stream.h"

namespace {

constexpr const char* kHeading =
    "# Varnel copy map. Runs of source bytes: first byte, length, state\n"
    "# (+ copied, - unreadable and written as zeros, * to be read sector by sector, ? not tried)\n";

bool KnownState(char c) {
    return c == '+' || c == '-' || c == '*' || c == '?';
}

[[noreturn]] void RaiseMalformed(const std::string& mapPath, int line) {
    throw EMapError(Format("The map \"%s\" cannot be used: line %d is not a line of a map.",
                           win::GetFullPathNameA(mapPath).c_str(), line));
}

[[noreturn]] void RaiseForeign(const std::string& mapPath, const char* what,
                               const std::string& mapValue, const std::string& value) {
    throw EMapError(Format("The map \"%s\" belongs to another copy: its %s is %s, not %s.",
                           win::GetFullPathNameA(mapPath).c_str(), what, mapValue.c_str(),
                           value.c_str()));
}

// Reads a whole number in decimal, or in hexadecimal after "0x"; false for anything else.
bool ParseNumber(const std::string& text, std::int64_t& value) {
    if (text.empty()) {
        return false;
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::size_t used = 0;
    try {
        value = std::stoll(hex ? text.substr(2) : text, &used, hex ? 16 : 10);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size() - (hex ? 2 : 0) && value >= 0;
}

}  // namespace

std::string FormatMapFile(const MapIdentity& identity, const RescueMap& map) {
    std::string text = kHeading;
    text += "source " + identity.source + "\n";
    text += "target " + identity.target + "\n";
    text += Format("source-size %lld\n", static_cast<long long>(identity.sourceSize));
    text += Format("sector-size %d\n", identity.sectorSize);
    text += Format("start %lld\n", static_cast<long long>(identity.startOffset));
    map.ForEachRun([&](const SectorRun& run) {
        text += Format(
            "0x%012llx 0x%012llx %c\n",
            static_cast<unsigned long long>(identity.startOffset + run.first * identity.sectorSize),
            static_cast<unsigned long long>(run.count * identity.sectorSize),
            static_cast<char>(run.state));
    });
    return text;
}

RescueMap ParseMapFile(const std::string& text, const MapIdentity& identity,
                       const std::string& mapPath) {
    const std::int64_t sectors =
        identity.sourceSize > identity.startOffset
            ? (identity.sourceSize - identity.startOffset) / identity.sectorSize
            : 0;
    RescueMap map(sectors);
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    int headers = 0;
    std::int64_t next = 0;  // the first sector the next run must begin with
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) {
            RaiseMalformed(mapPath, number);
        }
        const std::string key = line.substr(0, space);
        const std::string value = line.substr(space + 1);
        if (headers < 5) {
            static const char* const kKeys[] = {"source", "target", "source-size", "sector-size",
                                                "start"};
            const std::string expected[] = {
                identity.source, identity.target, std::to_string(identity.sourceSize),
                std::to_string(identity.sectorSize), std::to_string(identity.startOffset)};
            if (key != kKeys[headers]) {
                RaiseMalformed(mapPath, number);
            }
            if (value != expected[headers]) {
                RaiseForeign(mapPath, kKeys[headers], value, expected[headers]);
            }
            ++headers;
            continue;
        }
        std::istringstream fields(line);
        std::string first;
        std::string length;
        std::string state;
        std::int64_t firstByte = 0;
        std::int64_t bytes = 0;
        if (!(fields >> first >> length >> state) || !ParseNumber(first, firstByte) ||
            !ParseNumber(length, bytes) || state.size() != 1 || !KnownState(state[0]) ||
            firstByte < identity.startOffset ||
            (firstByte - identity.startOffset) % identity.sectorSize != 0 ||
            bytes % identity.sectorSize != 0 || bytes == 0 ||
            (firstByte - identity.startOffset) / identity.sectorSize != next ||
            bytes / identity.sectorSize > sectors - next) {
            RaiseMalformed(mapPath, number);
        }
        const std::int64_t count = bytes / identity.sectorSize;
        map.Mark(next, count, static_cast<SectorState>(state[0]));
        next += count;
    }
    if (headers < 5 || next != sectors) {
        RaiseMalformed(mapPath, number);
    }
    return map;
}

bool MapFileExists(const std::string& mapPath) {
    return !(win::GetFileAttributesA(mapPath.c_str()) == win::INVALID_FILE_ATTRIBUTES &&
             win::GetLastError() == win::ERROR_FILE_NOT_FOUND);
}

std::optional<std::string> ReadMapFile(const std::string& mapPath) {
    if (!MapFileExists(mapPath)) {
        return std::nullopt;
    }
    try {
        TFileStream stream(mapPath, fmOpenReadShared);
        std::string text;
        char buffer[65536];
        std::int32_t got = 0;
        while ((got = stream.Read(buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
        if (stream.LastError() != win::ERROR_SUCCESS) {
            throw EMapError(Format("Cannot read the map \"%s\". %s",
                                   win::GetFullPathNameA(mapPath).c_str(),
                                   SystemErrorText(stream.LastError()).c_str()));
        }
        return text;
    } catch (const EFOpenError& error) {
        throw EMapError(error.Message());
    }
}

void WriteMapFile(const std::string& mapPath, const std::string& text) {
    const std::string temporary = mapPath + ".new";
    try {
        TFileStream stream(temporary, fmCreate);
        const auto length = static_cast<std::int32_t>(text.size());
        if (stream.Write(text.data(), length) != length || !stream.Flush()) {
            throw EMapError(Format("Cannot write the map \"%s\". %s",
                                   win::GetFullPathNameA(temporary).c_str(),
                                   SystemErrorText(stream.LastError()).c_str()));
        }
    } catch (const EFCreateError& error) {
        throw EMapError(error.Message());
    }
    if (!win::MoveFileExA(temporary.c_str(), mapPath.c_str(),
                          win::MOVEFILE_REPLACE_EXISTING | win::MOVEFILE_WRITE_THROUGH)) {
        throw EMapError(Format("Cannot write the map \"%s\". %s",
                               win::GetFullPathNameA(mapPath).c_str(),
                               SystemErrorText(win::GetLastError()).c_str()));
    }
}
