#include "engine/imaging_job.h"

#include <optional>

#include "engine/copy_endpoints.h"
#include "engine/device_question.h"
#include "engine/endpoint_size.h"
#include "engine/errors.h"
#include "engine/file_stream.h"
#include "engine/map_file.h"
#include "engine/platform/device_facts.h"
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

// A disk or volume target is described before it is measured: one with mounted file systems
// cannot be claimed for measuring until they are unmounted, which only the user's Yes allows.
// File systems that are never unmounted are refused here, before anything is asked.
std::optional<win::DeviceFacts> DescribeDeviceTarget(const JobInputs& inputs) {
    if (!IsDeviceEndpoint(inputs.TargetPath)) {
        return std::nullopt;
    }
    win::DeviceFacts facts;
    if (win::GetDeviceFacts(inputs.TargetPath, inputs.SourcePath, &facts)) {
        CheckUnmountable(win::GetFullPathNameA(inputs.TargetPath), facts);
    }
    return facts;
}

void UnmountTarget(const std::string& target) {
    if (!win::UnmountDeviceFileSystems(target)) {
        throw EDeviceError(Format("Cannot unmount the file systems of \"%s\". %s",
                                  win::GetFullPathNameA(target).c_str(),
                                  SystemErrorText(win::GetLastError()).c_str()));
    }
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
    const bool resuming = !inputs.MapPath.empty() && MapFileExists(inputs.MapPath);
    // A streamed target is opened once, by the copy: a pipe's reader would take the measuring
    // open's close for the end of the image.
    const TargetKind targetKind = TargetKindOf(inputs.TargetPath);
    if (!inputs.MapPath.empty() && IsStreamTarget(targetKind)) {
        // What went into a pipe cannot be written again or gone on from later.
        throw EMapError(
            Format("A copy into the stream \"%s\" cannot go on later, so it keeps no "
                   "map.",
                   inputs.TargetPath.c_str()));
    }
    std::optional<win::DeviceFacts> device;
    if (targetKind == TargetKind::Device) {
        device = DescribeDeviceTarget(inputs);
    }
    // A device with mounted file systems cannot be claimed for measuring before they are
    // unmounted, which only the user's Yes allows: its size comes from the system's facts.
    const bool mounted = device && !device->mounts.empty();
    EndpointMeasure targetMeasure;
    if (mounted) {
        targetMeasure.size = device->sizeBytes;
    } else if (!IsStreamTarget(targetKind)) {
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
    std::string targetPath = inputs.TargetPath;
    if (targetKind == TargetKind::Device || targetKind == TargetKind::CharacterDevice) {
        const std::string target = win::GetFullPathNameA(inputs.TargetPath);
        const std::int64_t needed = OutputBytes(sourceSize, sectorSize, startOffset);
        const bool sized = targetKind == TargetKind::Device;
        if (sized && targetSize < needed) {
            throw EDeviceError(
                Format("Target \"%s\" is too small: the image needs %s, "
                       "the target holds %s",
                       target.c_str(), DeviceSizeText(needed, "bytes").c_str(),
                       DeviceSizeText(targetSize, "bytes").c_str()));
        }
        bool agreed = false;
        if (device) {
            device->sizeBytes = targetSize;
            agreed = window.AskYesNo(DeviceQuestion(target, *device));
        } else {
            agreed =
                window.AskYesNo(Format("目标 %s 上的所有数据将被覆盖，是否继续?", target.c_str()));
        }
        if (!agreed) {
            outcome.kind = JobOutcome::Kind::Declined;
            return outcome;
        }
        if (mounted) {
            UnmountTarget(inputs.TargetPath);
            // An unmounted volume no longer has its letter, and the letters after it move
            // up: the copy writes the device the question named, by its system name.
            if (!device->systemName.empty()) {
                targetPath = device->systemName;
            }
            // Unmounted, the device can be claimed and measured: it must still be the one the
            // question described, and the copy must write that one.
            const EndpointMeasure claimed =
                MeasureEndpoint(targetPath, false, EndpointRole::Target);
            if (claimed.size != targetSize) {
                throw EDeviceError(
                    Format("Target \"%s\" changed after the question: it holds %s "
                           "now, not %s; nothing was written",
                           target.c_str(), DeviceSizeText(claimed.size, "bytes").c_str(),
                           DeviceSizeText(targetSize, "bytes").c_str()));
            }
            pins.Pin(targetPath, claimed);
        }
    }

    outcome.copy =
        CopySectors(window, inputs.SourcePath, targetPath, sourceSize, sectorSize, startOffset,
                    CopyOptions{inputs.ReadAttempts, inputs.MapPath,
                                inputs.SparseFile && inputs.TargetIsFile && !resuming &&
                                    !IsDeviceEndpoint(inputs.TargetPath)});
    outcome.kind = JobOutcome::Kind::Copied;
    // A stopped copy is not complete: the front end says where it stopped.
    if (!outcome.copy.stopped) {
        window.ShowMessage(CompletionMessage(outcome.copy));
    }
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

namespace {

// The line about unreadable sectors that follows the ending of a copy; empty when there were
// none.
std::string UnreadableLine(const CopyResult& result) {
    if (result.unreadableSectors == 1) {
        return "\n1 unreadable sector was written as zeros.";
    }
    if (result.unreadableSectors > 1) {
        return Format("\n%lld unreadable sectors were written as zeros.",
                      static_cast<long long>(result.unreadableSectors));
    }
    return "";
}

}  // namespace

std::string CompletionMessage(const CopyResult& result) {
    return "Disk image complete!" + UnreadableLine(result);
}

std::string StoppedMessage(const CopyResult& result, const std::string& target) {
    return Format("Stopped at source byte %lld; %lld bytes were written to \"%s\".",
                  static_cast<long long>(result.sourcePosition),
                  static_cast<long long>(result.bytesWritten), target.c_str()) +
           UnreadableLine(result);
}
