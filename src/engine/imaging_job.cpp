#include "engine/imaging_job.h"

#include "engine/copy_endpoints.h"
#include "engine/endpoint_size.h"
#include "engine/errors.h"
#include "engine/map_file.h"
#include "engine/platform/winapi.h"
#include "engine/source_target_check.h"
#include "engine/start_text.h"
#include "engine/target_kind.h"
#include "engine/window_services.h"

namespace {

// Locks the window's controls for the job and unlocks them however the job ends.
class ControlsLock {
  public:
    explicit ControlsLock(WindowServices& window) : window_(window) { window_.DisableControls(); }
    ~ControlsLock() { window_.EnableControls(); }
    ControlsLock(const ControlsLock&) = delete;
    ControlsLock& operator=(const ControlsLock&) = delete;

  private:
    WindowServices& window_;
};

// The bytes a copy writes: 512 for every whole source sector from the start offset on.
std::int64_t OutputBytes(std::int64_t sourceSize, std::int32_t sectorSize, std::int64_t start) {
    return sourceSize > start ? (sourceSize - start) / sectorSize * 512 : 0;
}

// A size as the question shows it: GB or MB with one decimal, small sizes in bytes.
std::string SizeText(std::int64_t bytes) {
    constexpr double kMiB = 1024.0 * 1024.0;
    constexpr double kGiB = kMiB * 1024.0;
    if (bytes >= static_cast<std::int64_t>(kGiB)) {
        return Format("%.1f GB", static_cast<double>(bytes) / kGiB);
    }
    if (bytes >= static_cast<std::int64_t>(kMiB)) {
        return Format("%.1f MB", static_cast<double>(bytes) / kMiB);
    }
    return Format("%lld 字节", static_cast<long long>(bytes));
}

}  // namespace

JobOutcome RunImagingJob(WindowServices& window) {
    JobOutcome outcome;
    ControlsLock lock(window);
    const JobInputs inputs = window.ReadJobInputs();
    CheckEndpoints(window, inputs.SourceFieldText, inputs.TargetFieldText);
    if (inputs.SourcePath.empty() || inputs.TargetPath.empty()) {
        return outcome;
    }

    // The devices measured here are the ones the copy writes and reads, or none.
    ScopedEndpointPins pins;
    const EndpointMeasure sourceMeasure =
        MeasureEndpoint(inputs.SourcePath, false, EndpointRole::Source);
    pins.Pin(inputs.SourcePath, sourceMeasure);
    const std::int64_t sourceSize = sourceMeasure.size;
    // Before the target is created or emptied.
    CheckTargetIsNotSource(inputs.SourcePath, inputs.TargetPath);
    // A copy that goes on after an earlier one (its map file exists) keeps the target file as it
    // is: emptying it would throw away what was copied.
    const bool resuming = !inputs.MapPath.empty() && ReadMapFile(inputs.MapPath).has_value();
    // A streamed target is opened once, by the copy: a pipe's reader would take the measuring
    // open's close for the end of the image.
    const TargetKind targetKind = TargetKindOf(inputs.TargetPath);
    EndpointMeasure targetMeasure;
    if (!IsStreamTarget(targetKind)) {
        targetMeasure = MeasureEndpoint(inputs.TargetPath, inputs.TargetIsFile && !resuming,
                                        EndpointRole::Target);
        pins.Pin(inputs.TargetPath, targetMeasure);
    }
    const std::int64_t targetSize = targetMeasure.size;

    const int button = inputs.SecradioItemIndex;
    if (button < 0 || button >= static_cast<int>(kSourceSectorSizes.size())) {
        outcome.kind = JobOutcome::Kind::NoSectorSize;
        window.ShowMessage(CompletionMessage(outcome.copy));
        return outcome;
    }
    const std::int32_t sectorSize = kSourceSectorSizes[static_cast<std::size_t>(button)];
    const std::int64_t startOffset = StrToInt64(inputs.StartText);
    CheckStartOffset(startOffset);

    // A device is overwritten only when it can take the whole image and the user agrees.
    // A character device has no size to check, but is a device all the same.
    if (targetKind == TargetKind::Device || targetKind == TargetKind::CharacterDevice) {
        const std::string target = win::GetFullPathNameA(inputs.TargetPath);
        const std::int64_t needed = OutputBytes(sourceSize, sectorSize, startOffset);
        const bool sized = targetKind == TargetKind::Device;
        if (sized && targetSize < needed) {
            throw EDeviceError(
                Format("Target \"%s\" is too small: the image needs %lld bytes, "
                       "the target holds %lld bytes",
                       target.c_str(), static_cast<long long>(needed),
                       static_cast<long long>(targetSize)));
        }
        const std::string named =
            sized ? Format("%s (%s)", target.c_str(), SizeText(targetSize).c_str()) : target;
        if (!window.AskYesNo(Format("目标 %s 上的所有数据将被覆盖，是否继续?", named.c_str()))) {
            outcome.kind = JobOutcome::Kind::Declined;
            return outcome;
        }
    }

    outcome.copy = CopySectors(window, inputs.SourcePath, inputs.TargetPath, sourceSize, sectorSize,
                               startOffset,
                               CopyOptions{inputs.ReadAttempts, inputs.MapPath,
                                           inputs.SparseFile && inputs.TargetIsFile && !resuming &&
                                               !IsDeviceEndpoint(inputs.TargetPath)});
    outcome.kind = JobOutcome::Kind::Copied;
    window.ShowMessage(CompletionMessage(outcome.copy));
    return outcome;
}

void RequestStop(WindowServices& window) {
    window.StopRequested() = true;
}

void RequestPause(WindowServices& window) {
    window.PauseRequested() = true;
}

void CheckEndpoints(WindowServices& window, const std::string& sourceField,
                    const std::string& targetField) {
    if (sourceField.empty() || targetField.empty()) {
        window.ShowMessage("数据源或者数据目标没有填写!");
    }
}

std::string CompletionMessage(const CopyResult& result) {
    std::string text = "Disk image complete!";
    if (result.unreadableSectors == 1) {
        text += "\n1 unreadable sector was written as zeros.";
    } else if (result.unreadableSectors > 1) {
        text += Format("\n%lld unreadable sectors were written as zeros.",
                       static_cast<long long>(result.unreadableSectors));
    }
    return text;
}
