// The passes of one copy over its source: what is read in which order, and what is written
// where.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/copy_sectors.h"
#include "engine/file_stream.h"
#include "engine/rescue_map.h"
#include "engine/sector_reader.h"

class TGauge;
class WindowServices;

// The fixed facts of one copy.
struct CopyRange {
    std::int64_t sourceSize = 0;
    std::int32_t sectorSize = 512;
    std::int64_t startOffset = 0;
    std::int64_t sectors = 0;    // whole source sectors from the start offset on
    std::int32_t tailBytes = 0;  // bytes of a part-sector after them: read, never written

    CopyRange(std::int64_t size, std::int32_t sectorSize, std::int64_t start);
};

class CopyPasses {
  public:
    // `keepMap` is called every few seconds while the copy runs (after the target was flushed),
    // or never when it is empty.
    CopyPasses(WindowServices& window, TFileStream& source, TFileStream& target,
               const CopyRange& range, RescueMap& map, int readAttempts, bool sparseTarget,
               std::function<void()> keepMap);

    // Reads and writes every sector the map still has to do, until the end or Stop. Raises as
    // CopySectors says; the caller flushes the target and keeps the map.
    void Run();

    // A sparse target whose last chunks were zeros ends before the image does: writes the
    // image's last sector dealt with, so the file has the image's length.
    void CompleteSparseEnd();

    // The result so far.
    CopyResult Result() const;

  private:
    enum class ChunkRead { Good, Bad };

    // Forward over the sectors not tried yet; with `skipAhead`, jumps further past every
    // failed chunk. False when Stop ended the copy.
    bool ForwardPass(bool skipAhead);
    // Sector by sector over the failed chunks. False when Stop ended the copy.
    bool ScrapePass();
    // Sectors [first, first + count) one at a time; false when Stop ended the copy.
    bool Scrape(std::int64_t first, std::int64_t count);

    // The top of every step: Stop, Pause, the window's events, the gauge. False on Stop.
    bool BeginStep();
    void EndStep();

    ChunkRead ReadChunk(std::int64_t first, std::int64_t count);
    // Cuts sectors [first, first + count) of the input area to 512 bytes and writes them.
    void WriteSectors(std::int64_t first, std::int64_t count);
    void WriteAt(std::int64_t offset, const std::uint8_t* bytes, std::int32_t length);
    void Done(std::int64_t first, std::int64_t count, SectorState state);

    std::int64_t DealtBytes() const;

    WindowServices& window_;
    TFileStream& source_;
    TFileStream& target_;
    const CopyRange& range_;
    RescueMap& map_;
    std::function<void()> keepMap_;
    SectorReader sectorReader_;

    // One chunk as read; cut to 512-byte sectors in place before it is written.
    std::vector<std::uint8_t> chunk_;
    std::uint8_t sector_[512] = {};

    std::int64_t gaugeUnit_;
    std::int64_t dealtSectors_ = 0;   // copied or given up
    std::int64_t sourceCursor_ = -1;  // where the next plain read continues, -1 unknown
    std::int64_t targetCursor_ = 0;   // where the next plain write continues
    // A target that cannot be positioned (a pipe) is written strictly in order: a failed chunk
    // is read sector by sector at once instead of later, and nothing is left as a hole.
    bool inOrder_;
    bool sparseTarget_;
    std::int64_t writtenEnd_ = 0;  // the end of the furthest write to the target
    std::int64_t holeEnd_ = 0;     // the end of the furthest chunk of zeros left unwritten
    bool stopped_ = false;
    std::int64_t bytesWritten_ = 0;
    std::chrono::steady_clock::time_point lastKept_;
};
