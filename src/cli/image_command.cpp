#include "cli/image_command.h"

#include <exception>
#include <optional>

#include "cli/command_line.h"
#include "cli/console_window.h"
#include "cli/endpoint_listing.h"
#include "cli/stop_signals.h"
#include "engine/device_paths.h"
#include "engine/errors.h"
#include "engine/imaging_job.h"
#include "engine/target_kind.h"

namespace {

struct DeviceNames {
    std::string driveStem;
    std::string devicePrefix;
    DeviceNames() { InitDeviceNames(driveStem, devicePrefix); }
};

// A name as the job takes it: a disk name or a bare drive gets the device prefix, a device
// path or a file path stays as it is.
std::string JobPath(const std::string& name, const DeviceNames& names) {
    // The system's names of the standard output stand for "-", so that no message lands in
    // the image.
    if (name == "/dev/stdout" || name == "/dev/fd/1" || name == "/proc/self/fd/1") {
        return kStandardOutputTarget;
    }
    if (IsDiskName(name, names.driveStem)) {
        return DiskNameToPath(name, names.devicePrefix);
    }
    if (IsBareDrive(name)) {
        return BareDriveToPath(name, names.devicePrefix);
    }
    return name;
}

JobInputs ReadInputs(const ImageCommand& command, const DeviceNames& names) {
    JobInputs inputs;
    inputs.SourcePath = JobPath(command.source, names);
    inputs.TargetPath = JobPath(command.target, names);
    inputs.TargetIsFile = !IsDevicePath(inputs.TargetPath, names.devicePrefix);
    inputs.SourceFieldText = command.source;
    inputs.TargetFieldText = command.target;
    inputs.SecradioItemIndex = command.secradioItemIndex;
    inputs.StartText = command.startText;
    inputs.ReadAttempts = command.readAttempts;
    inputs.MapPath = command.mapPath;
    inputs.SparseFile = command.sparse;
    return inputs;
}

int ReportStop(const CopyResult& copy, const JobInputs& inputs, std::ostream& err) {
    err << StoppedMessage(copy, inputs.TargetPath) << '\n';
    return kExitStopped;
}

int RunCopy(const ImageCommand& command, std::ostream& out, std::ostream& err,
            const ConsoleEnvironment& environment) {
    const DeviceNames names;
    const JobInputs inputs = ReadInputs(command, names);
    // With the image on the standard output, every message goes to stderr.
    std::ostream& results = inputs.TargetPath == kStandardOutputTarget ? err : out;

    const ScopedStopSignals signals;
    std::optional<ProgressLine> progress;
    if (environment.errIsTerminal && !command.quiet) {
        progress.emplace(err, environment.clock);
    }
    ConsoleWindow window(inputs, command.force, err, progress ? &*progress : nullptr);

    // An error of the job leaves through here: the progress line ends as it goes, and
    // RunImageCommand prints the error on a line of its own. An open or a write that a stop
    // signal broke off (a pipe without a reader, or whose reader stopped reading) is a stop.
    JobOutcome outcome;
    try {
        outcome = RunImagingJob(window);
    } catch (const Exception& error) {
        if (!ScopedStopSignals::StopSignalled()) {
            throw;
        }
        if (progress) {
            progress->Finish();
        }
        err << error.Message() << '\n';
        return kExitStopped;
    }
    if (progress) {
        progress->Finish();
    }

    if (outcome.kind != JobOutcome::Kind::Copied) {
        return kExitFailed;  // declined (the refusal is printed), or nothing was copied
    }
    if (outcome.copy.stopped) {
        return ReportStop(outcome.copy, inputs, err);
    }
    results << window.Completion().value_or(CompletionMessage(outcome.copy)) << '\n';
    return kExitComplete;
}

int UsageError(const std::string& error, std::ostream& err) {
    err << "varnel-image: " << error << '\n' << ImageCommandUsage();
    return kExitUsage;
}

}  // namespace

int RunImageCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const ConsoleEnvironment& environment) {
    const ImageCommand command = ParseImageCommand(args);
    try {
        switch (command.action) {
            case ImageCommand::Action::Help:
                out << ImageCommandUsage();
                return kExitComplete;
            case ImageCommand::Action::Version:
                out << ImageCommandVersion() << '\n';
                return kExitComplete;
            case ImageCommand::Action::List:
                if (ListEndpoints(out) == 0) {
                    err << "No disk or volume was found that can be opened.\n";
                }
                return kExitComplete;
            case ImageCommand::Action::Copy:
                return RunCopy(command, out, err, environment);
            case ImageCommand::Action::UsageError:
                break;
        }
    } catch (const std::exception& error) {
        err << error.what() << '\n';  // an Exception's what() is its Message()
        return kExitFailed;
    }
    return UsageError(command.error, err);
}
