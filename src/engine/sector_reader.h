// Reading single source sectors again after a read over them failed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/aligned_buffer.h"
#include "engine/file_stream.h"

// Reads the first 512 bytes of one source sector at a time, each part up to `attempts` times.
// A disk or volume is read past the system's cache, one device sector at a time, so that one
// bad device sector costs exactly the bytes it holds: through the cache a failing sector fails
// the whole cached block around it. A file, or a device that refuses unbuffered reads, is read
// through the source stream at the sector's position.
class SectorReader {
  public:
    SectorReader(TFileStream& source, std::int32_t sectorSize, std::int64_t startOffset,
                 int attempts);
    ~SectorReader();
    SectorReader(const SectorReader&) = delete;
    SectorReader& operator=(const SectorReader&) = delete;

    enum class Outcome {
        Read,        // all 512 bytes
        Unreadable,  // some bytes stayed unreadable: all 512 are zeros
        Ended,       // the source ended inside them: only `delivered` bytes are there
    };
    struct Result {
        Outcome outcome = Outcome::Read;
        std::int32_t delivered = 512;
    };

    // Reads the first 512 bytes of source sector `sector` (counted from the start offset) into
    // `out`. Raises EReadError when a read fails for another reason than a bad sector.
    Result Read(std::int64_t sector, std::uint8_t* out);

  private:
    Result ReadBuffered(std::int64_t position, std::uint8_t* out);
    Result ReadDirect(std::int64_t position, std::uint8_t* out);
    // Reads device sector `index` into the device buffer: all of it, or none (Unreadable), or
    // the bytes before the device's end.
    Result ReadDeviceSector(std::int64_t index);

    TFileStream& source_;
    std::int32_t sectorSize_;
    std::int64_t startOffset_;
    int attempts_;
    // The unbuffered path, when the source is a device that allows it.
    std::unique_ptr<TFileStream> direct_;
    std::int32_t deviceSector_ = 0;
    std::unique_ptr<AlignedBuffer> deviceBuffer_;
    std::int64_t bufferedIndex_ = -1;  // device sector the buffer holds, -1 for none
    Result buffered_;                  // how reading it went
};

// Raises EReadError for a failed read of `source` at `position` with `error`.
[[noreturn]] void RaiseReadError(const TFileStream& source, std::int64_t position,
                                 win::DWORD error);
// Raises EReadError for a source that ended at `position`, before its measured `size`.
[[noreturn]] void RaiseSourceEnded(const TFileStream& source, std::int64_t position,
                                   std::int64_t size);
