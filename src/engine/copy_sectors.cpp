#include "engine/copy_sectors.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

#include "engine/copy_passes.h"
#include "engine/errors.h"
#include "engine/file_stream.h"
#include "engine/gauge.h"
#include "engine/map_file.h"
#include "engine/rescue_map.h"
#include "engine/start_text.h"
#include "engine/window_services.h"

namespace {

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

// Flushes the target; raises EWriteError when that fails.
void FlushTarget(TFileStream& target) {
    if (!target.Flush()) {
        throw EWriteError(Format("Cannot flush file \"%s\". %s",
                                 win::GetFullPathNameA(target.FileName()).c_str(),
                                 SystemErrorText(target.LastError()).c_str()));
    }
}

// The map a copy starts from: the one in the map file when there is one (sectors given up as
// unreadable there are tried again), or a fresh one with nothing tried.
RescueMap StartingMap(const CopyOptions& options, const MapIdentity& identity,
                      std::int64_t sectors) {
    if (options.mapPath.empty()) {
        return RescueMap(sectors);
    }
    const std::optional<std::string> text = ReadMapFile(options.mapPath);
    if (!text) {
        return RescueMap(sectors);
    }
    RescueMap map = ParseMapFile(*text, identity, options.mapPath);
    while (const auto run = map.NextRun(SectorState::Unreadable)) {
        map.Mark(run->first, run->count, SectorState::NotScraped);
    }
    return map;
}

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
                       std::int32_t sectorSize, std::int64_t startOffset,
                       const CopyOptions& options) {
    if (std::find(kSourceSectorSizes.begin(), kSourceSectorSizes.end(), sectorSize) ==
        kSourceSectorSizes.end()) {
        throw EInvalidArgument(Format("Sector size %d is not supported", sectorSize));
    }
    CheckStartOffset(startOffset);
    const CopyRange range(sourceSize, sectorSize, startOffset);
    const MapIdentity identity{win::GetFullPathNameA(sourcePath), win::GetFullPathNameA(targetPath),
                               sourceSize, sectorSize, startOffset};
    RescueMap map = StartingMap(options, identity, range.sectors);
    window.PauseRequested() = false;
    window.StopRequested() = false;

    TGauge& gauge = window.Gauge();
    gauge.SetMinValue(0);
    gauge.SetMaxValue(
        static_cast<std::int32_t>(std::max<std::int64_t>(sourceSize, 0) / GaugeUnit(sourceSize)));
    ProgressReset progressReset(gauge);

    TFileStream source(sourcePath, fmOpenReadShared);
    TFileStream target(targetPath, fmOpenReadWriteShared);
    const auto keepMap = [&] {
        // The map never claims more than the target holds for sure.
        FlushTarget(target);
        WriteMapFile(options.mapPath, FormatMapFile(identity, map));
    };
    CopyPasses passes(window, source, target, range, map, options.readAttempts,
                      options.sparseTarget,
                      options.mapPath.empty() ? std::function<void()>() : keepMap);
    try {
        passes.Run();
        passes.CompleteSparseEnd();
    } catch (...) {
        // What was written stays, on the disk, as long as the image so far; the map says how
        // far the copy came.
        try {
            passes.CompleteSparseEnd();
        } catch (const Exception&) {
            // The copy's own failure is what the user must see.
        }
        if (target.Flush() && !options.mapPath.empty()) {
            try {
                WriteMapFile(options.mapPath, FormatMapFile(identity, map));
            } catch (const Exception&) {
                // The copy's own failure is what the user must see.
            }
        }
        throw;
    }
    FlushTarget(target);
    if (!options.mapPath.empty()) {
        WriteMapFile(options.mapPath, FormatMapFile(identity, map));
    }
    return passes.Result();
}
