#include "engine/copy_passes.h"

#include <algorithm>
#include <cstring>

#include "engine/errors.h"
#include "engine/gauge.h"
#include "engine/read_errors.h"
#include "engine/window_services.h"

namespace {

constexpr std::int32_t kOutputSector = 512;
constexpr std::int64_t kSectorsPerChunk = 512;
// After a failed chunk the copy first skips this many sectors, twice as many after every
// further failure in a row, up to the most: a few MiB at first, so that one bad spot costs
// little, and far enough to get past a large damaged area quickly.
constexpr std::int64_t kFirstSkip = 16 * kSectorsPerChunk;
constexpr std::int64_t kLargestSkip = 4096 * kSectorsPerChunk;
// How often the map is written while the copy runs.
constexpr auto kMapInterval = std::chrono::seconds(3);

// True when the `size` bytes from `bytes` are all zero.
bool AllZeros(const std::uint8_t* bytes, std::size_t size) {
    return size == 0 || (bytes[0] == 0 && std::memcmp(bytes, bytes + 1, size - 1) == 0);
}

[[noreturn]] void RaiseWriteError(const TFileStream& target, std::int64_t offset) {
    throw EWriteError(Format("Cannot write file \"%s\" at byte %lld. %s",
                             win::GetFullPathNameA(target.FileName()).c_str(),
                             static_cast<long long>(offset),
                             SystemErrorText(target.LastError()).c_str()));
}

}  // namespace

CopyRange::CopyRange(std::int64_t size, std::int32_t sectorBytes, std::int64_t start)
    : sourceSize(size), sectorSize(sectorBytes), startOffset(start) {
    const std::int64_t bytes = std::max<std::int64_t>(size - start, 0);
    sectors = bytes / sectorBytes;
    tailBytes = static_cast<std::int32_t>(bytes % sectorBytes);
}

CopyPasses::CopyPasses(WindowServices& window, TFileStream& source, TFileStream& target,
                       const CopyRange& range, RescueMap& map, int readAttempts, bool sparseTarget,
                       std::function<void()> keepMap)
    : window_(window),
      source_(source),
      target_(target),
      range_(range),
      map_(map),
      keepMap_(std::move(keepMap)),
      sectorReader_(source, range.sectorSize, range.startOffset, readAttempts),
      chunk_(static_cast<std::size_t>(kSectorsPerChunk * range.sectorSize)),
      gaugeUnit_(GaugeUnit(range.sourceSize)),
      inOrder_(!target.CanSeek()),
      // Holes only ever go into a file that was empty: anything else keeps old bytes there.
      sparseTarget_(sparseTarget && !inOrder_ && target.Size() == 0),
      lastKept_(std::chrono::steady_clock::now()) {
    dealtSectors_ =
        range.sectors - map.Count(SectorState::NotTried) - map.Count(SectorState::NotScraped);
}

void CopyPasses::Run() {
    if (!ForwardPass(!inOrder_) || !ForwardPass(false)) {
        stopped_ = true;
        return;
    }
    stopped_ = !ScrapePass();
}

bool CopyPasses::ForwardPass(bool skipAhead) {
    std::int64_t cursor = 0;
    std::int64_t skip = kFirstSkip;
    while (const auto run = map_.NextRun(SectorState::NotTried, cursor)) {
        const std::int64_t first = run->first;
        const std::int64_t count = std::min(run->count, kSectorsPerChunk);
        if (!BeginStep()) {
            return false;
        }
        cursor = first + count;
        if (ReadChunk(first, count) == ChunkRead::Good) {
            WriteSectors(first, count);
            Done(first, count, SectorState::Copied);
            skip = kFirstSkip;
        } else if (inOrder_) {
            map_.Mark(first, count, SectorState::NotScraped);
            if (!Scrape(first, count)) {
                return false;
            }
        } else {
            map_.Mark(first, count, SectorState::NotScraped);
            if (skipAhead) {
                cursor += skip;
                skip = std::min(skip * 2, kLargestSkip);
            }
        }
        EndStep();
    }
    return true;
}

bool CopyPasses::ScrapePass() {
    while (const auto run = map_.NextRun(SectorState::NotScraped)) {
        if (!Scrape(run->first, run->count)) {
            return false;
        }
    }
    return true;
}

bool CopyPasses::Scrape(std::int64_t first, std::int64_t count) {
    for (std::int64_t sector = first; sector < first + count; ++sector) {
        // Every sector is a step of its own: a bad area may take long per sector, and Stop,
        // Pause, the gauge and the window must keep working through it.
        if (!BeginStep()) {
            return false;
        }
        const SectorReader::Result read = sectorReader_.Read(sector, sector_);
        if (read.outcome == SectorReader::Outcome::Ended) {
            WriteAt(sector * kOutputSector, sector_, read.delivered);
            RaiseSourceEnded(source_,
                             range_.startOffset + sector * range_.sectorSize + read.delivered,
                             range_.sourceSize);
        }
        WriteAt(sector * kOutputSector, sector_, kOutputSector);
        Done(sector, 1,
             read.outcome == SectorReader::Outcome::Read ? SectorState::Copied
                                                         : SectorState::Unreadable);
        EndStep();
    }
    return true;
}

bool CopyPasses::BeginStep() {
    if (window_.StopRequested()) {
        return false;
    }
    if (window_.PauseRequested()) {
        window_.ShowMessage("继续...");
        window_.PauseRequested() = false;
    }
    window_.ProcessMessages();
    window_.Gauge().SetProgress(
        static_cast<std::int32_t>((range_.startOffset + DealtBytes()) / gaugeUnit_));
    return true;
}

void CopyPasses::EndStep() {
    window_.CopyProgress(DealtBytes(), range_.sectors * range_.sectorSize + range_.tailBytes);
    if (keepMap_ && std::chrono::steady_clock::now() - lastKept_ >= kMapInterval) {
        keepMap_();
        lastKept_ = std::chrono::steady_clock::now();
    }
}

CopyPasses::ChunkRead CopyPasses::ReadChunk(std::int64_t first, std::int64_t count) {
    const std::int64_t position = range_.startOffset + first * range_.sectorSize;
    const bool last = first + count == range_.sectors;
    const auto length =
        static_cast<std::int32_t>(count * range_.sectorSize + (last ? range_.tailBytes : 0));
    if (position != sourceCursor_) {
        source_.SetPosition(position);
    }
    const std::int32_t got = source_.Read(chunk_.data(), length);
    if (got == length) {
        sourceCursor_ = position + length;
        return ChunkRead::Good;
    }
    sourceCursor_ = -1;
    const win::DWORD error = source_.LastError();
    if (error == win::ERROR_SUCCESS) {
        // The source ended early: what it delivered is written, then the copy ends.
        const std::int64_t whole = std::min<std::int64_t>(got / range_.sectorSize, count);
        WriteSectors(first, whole);
        Done(first, whole, SectorState::Copied);
        const std::int32_t part =
            std::min(got - static_cast<std::int32_t>(whole) * range_.sectorSize, kOutputSector);
        if (whole < count && part > 0) {
            WriteAt((first + whole) * kOutputSector, chunk_.data() + whole * range_.sectorSize,
                    part);
        }
        RaiseSourceEnded(source_, position + got, range_.sourceSize);
    }
    if (!IsMediaError(error)) {
        RaiseReadError(source_, position, error);
    }
    return ChunkRead::Bad;
}

void CopyPasses::WriteSectors(std::int64_t first, std::int64_t count) {
    if (count <= 0) {
        return;
    }
    // The cut happens in the read buffer itself: sector k moves down from k × S to k × 512,
    // which never overwrites a sector not yet moved.
    std::uint8_t* const bytes = chunk_.data();
    if (range_.sectorSize != kOutputSector) {
        for (std::int64_t k = 1; k < count; ++k) {
            std::memmove(bytes + k * kOutputSector, bytes + k * range_.sectorSize, kOutputSector);
        }
    }
    const auto length = static_cast<std::int32_t>(count * kOutputSector);
    if (sparseTarget_ && AllZeros(bytes, static_cast<std::size_t>(length))) {
        holeEnd_ = std::max(holeEnd_, (first + count) * kOutputSector);
        return;
    }
    WriteAt(first * kOutputSector, bytes, length);
}

void CopyPasses::CompleteSparseEnd() {
    if (holeEnd_ > writtenEnd_) {
        const std::uint8_t zeros[kOutputSector] = {};
        WriteAt(holeEnd_ - kOutputSector, zeros, kOutputSector);
    }
}

void CopyPasses::WriteAt(std::int64_t offset, const std::uint8_t* bytes, std::int32_t length) {
    if (length <= 0) {
        return;
    }
    if (offset != targetCursor_) {
        target_.SetPosition(offset);
    }
    if (target_.Write(bytes, length) != length) {
        targetCursor_ = -1;
        RaiseWriteError(target_, offset);
    }
    targetCursor_ = offset + length;
    writtenEnd_ = std::max(writtenEnd_, targetCursor_);
    bytesWritten_ += length;
}

void CopyPasses::Done(std::int64_t first, std::int64_t count, SectorState state) {
    if (count <= 0) {
        return;
    }
    map_.Mark(first, count, state);
    dealtSectors_ += count;
}

std::int64_t CopyPasses::DealtBytes() const {
    return dealtSectors_ * range_.sectorSize +
           (dealtSectors_ == range_.sectors ? range_.tailBytes : 0);
}

CopyResult CopyPasses::Result() const {
    CopyResult result;
    result.unreadableSectors = map_.Count(SectorState::Unreadable);
    result.stopped = stopped_;
    result.sourcePosition = stopped_ ? range_.startOffset + map_.FirstPending() * range_.sectorSize
                                     : std::max(range_.sourceSize, range_.startOffset);
    result.bytesWritten = bytesWritten_;
    return result;
}
