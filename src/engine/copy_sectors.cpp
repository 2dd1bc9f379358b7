#include "engine/copy_sectors.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/copy_endpoints.h"
#include "engine/errors.h"
#include "engine/file_stream.h"
#include "engine/gauge.h"
#include "engine/start_text.h"
#include "engine/window_services.h"

namespace {

constexpr std::int32_t kOutputSector = 512;
constexpr std::int32_t kSectorsPerChunk = 512;
constexpr std::int32_t kOutputChunk = kOutputSector * kSectorsPerChunk;  // 262144

// Sets the gauge's Progress back to 0 however the copy ends.
class ProgressReset {
  public:
    explicit ProgressReset(TGauge& gauge) : gauge_(gauge) {}
    ~ProgressReset() {
        try {
            gauge_.SetProgress(0);
        } catch (...) {
            // A repaint that fails must not hide the copy's own outcome.
        }
    }
    ProgressReset(const ProgressReset&) = delete;
    ProgressReset& operator=(const ProgressReset&) = delete;

  private:
    TGauge& gauge_;
};

[[noreturn]] void RaiseWriteError(const TFileStream& target, std::int64_t offset) {
    throw EWriteError(Format("Cannot write file \"%s\" at byte %lld. %s",
                             win::GetFullPathNameA(target.FileName()).c_str(),
                             static_cast<long long>(offset),
                             SystemErrorText(target.LastError()).c_str()));
}

// One chunk's worth of source reading. `input` holds the chunk's source bytes at offset k × S
// for sector k; for S = 512 it is the output buffer itself.
class ChunkReader {
  public:
    ChunkReader(TFileStream& source, std::int32_t sectorSize, std::uint8_t* input)
        : source_(source), sectorSize_(sectorSize), input_(input) {}

    // Reads `length` bytes of the source from `position` into the input area; returns how many
    // of the chunk's `sectors` whole sectors could not be read (their first 512 bytes are then
    // zeros).
    std::int64_t Read(std::int64_t position, std::int32_t length, std::int32_t sectors) {
        if (explicitPositions_) {
            source_.SetPosition(position);
        }
        const std::int32_t got = source_.Read(input_, length);
        if (got == length) {
            return 0;
        }
        // From here on every read names its position, so that one bad spot never shifts the
        // rest of the image.
        explicitPositions_ = true;
        std::int64_t unreadable = 0;
        for (std::int32_t k = 0; k < sectors; ++k) {
            const std::int64_t begin = std::int64_t{k} * sectorSize_;
            if (begin + kOutputSector <= got) {
                continue;  // delivered by the chunk's read
            }
            std::uint8_t* sector = input_ + begin;
            source_.SetPosition(position + begin);
            if (source_.Read(sector, sectorSize_) < kOutputSector) {
                std::memset(sector, 0, kOutputSector);
                ++unreadable;
            }
        }
        return unreadable;
    }

  private:
    TFileStream& source_;
    std::int32_t sectorSize_;
    std::uint8_t* input_;
    bool explicitPositions_ = false;
};

}  // namespace

std::int64_t GaugeUnit(std::int64_t sourceSize) {
    std::int64_t unit = 1024;
    while (sourceSize / unit > std::numeric_limits<std::int32_t>::max()) {
        unit *= 2;
    }
    return unit;
}

CopyResult CopySectors(WindowServices& window, const std::string& sourcePath,
                       const std::string& targetPath, std::int64_t sourceSize,
                       std::int32_t sectorSize, std::int64_t startOffset) {
    if (std::find(kSourceSectorSizes.begin(), kSourceSectorSizes.end(), sectorSize) ==
        kSourceSectorSizes.end()) {
        throw EInvalidArgument(Format("Sector size %d is not supported", sectorSize));
    }
    CheckStartOffset(startOffset);
    window.PauseRequested() = false;
    window.StopRequested() = false;

    // For S = 512 a chunk is read straight into the output buffer: nothing to cut.
    std::vector<std::uint8_t> output(kOutputChunk);
    std::vector<std::uint8_t> input;
    if (sectorSize != kOutputSector) {
        input.resize(static_cast<std::size_t>(kSectorsPerChunk) * sectorSize);
    }
    std::uint8_t* const inputArea = input.empty() ? output.data() : input.data();
    const std::int32_t fullChunk = kSectorsPerChunk * sectorSize;

    CopyResult result;
    result.sourcePosition = startOffset;
    std::int64_t& position = result.sourcePosition;

    TGauge& gauge = window.Gauge();
    const std::int64_t unit = GaugeUnit(sourceSize);
    gauge.SetMinValue(0);
    gauge.SetMaxValue(static_cast<std::int32_t>(std::max<std::int64_t>(sourceSize, 0) / unit));
    ProgressReset progressReset(gauge);

    TFileStream source = OpenCopySource(sourcePath);
    TFileStream target = OpenCopyTarget(targetPath);
    source.SetPosition(startOffset);
    ChunkReader reader(source, sectorSize, inputArea);

    const std::int64_t total = std::max<std::int64_t>(sourceSize - startOffset, 0);
    while (position < sourceSize) {
        if (window.StopRequested()) {
            result.stopped = true;
            break;
        }
        if (window.PauseRequested()) {
            window.ShowMessage("继续...");
            window.PauseRequested() = false;
        }
        window.ProcessMessages();
        gauge.SetProgress(static_cast<std::int32_t>(position / unit));

        const auto length =
            static_cast<std::int32_t>(std::min<std::int64_t>(fullChunk, sourceSize - position));
        const std::int32_t sectors = length / sectorSize;
        result.unreadableSectors += reader.Read(position, length, sectors);

        if (inputArea != output.data()) {
            for (std::int32_t k = 0; k < sectors; ++k) {
                std::memcpy(output.data() + static_cast<std::size_t>(kOutputSector) * k,
                            inputArea + static_cast<std::size_t>(k) * sectorSize, kOutputSector);
            }
        }
        const std::int32_t outLength = sectors * kOutputSector;
        if (outLength > 0) {
            const std::int32_t written = target.Write(output.data(), outLength);
            if (written != outLength) {
                RaiseWriteError(target, result.bytesWritten + std::max(written, 0));
            }
            result.bytesWritten += outLength;
        }
        position += length;
        window.CopyProgress(position - startOffset, total);
    }

    if (!target.Flush()) {
        throw EWriteError(Format("Cannot flush file \"%s\". %s",
                                 win::GetFullPathNameA(target.FileName()).c_str(),
                                 SystemErrorText(target.LastError()).c_str()));
    }
    return result;
}
