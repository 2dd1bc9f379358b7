#include "engine/source_target_check.h"

#include <optional>

#include "engine/device_paths.h"
#include "engine/endpoint_identity.h"
#include "engine/endpoint_size.h"
#include "engine/errors.h"
#include "engine/file_stream.h"
#include "engine/target_kind.h"

using namespace win;

namespace {

// The identity of what the path opens; nothing when it cannot be opened (a target not created
// yet) or tells no identity.
std::optional<EndpointIdentity> IdentityOfPath(const std::string& openPath) {
    try {
        const TFileStream stream(openPath, fmOpenReadShared);
        return IdentityOf(stream);
    } catch (const EFOpenError&) {
        return std::nullopt;
    }
}

// The standard output goes to a file or device of its own, which may be the source as well.
std::optional<EndpointIdentity> IdentityOfTarget(const std::string& openPath) {
    if (openPath != kStandardOutputTarget) {
        return IdentityOfPath(openPath);
    }
    const TFileStream output(GetStdHandle(STD_OUTPUT_HANDLE), kStandardOutputName);
    return IdentityOf(output);
}

// The target as the refusal names it.
std::string TargetName(const std::string& targetPath) {
    return targetPath == kStandardOutputTarget ? kStandardOutputName : GetFullPathNameA(targetPath);
}

}  // namespace

void CheckTargetIsNotSource(const std::string& sourcePath, const std::string& targetPath,
                            const std::string& deviceTree) {
    const std::string source = EndpointOpenPath(sourcePath);
    const std::string target = EndpointOpenPath(targetPath);
    const std::optional<EndpointIdentity> targetIdentity = IdentityOfTarget(target);
    const std::optional<EndpointIdentity> sourceIdentity = IdentityOfPath(source);
    if (!targetIdentity || !sourceIdentity) {
        return;
    }
    if (*sourceIdentity == *targetIdentity) {
        // One disk or volume chosen as both by its device name is the user's choice; a file, or
        // a second name of a device, is a mistake that would destroy the source.
        std::string driveStem;
        std::string devicePrefix;
        InitDeviceNames(driveStem, devicePrefix);
        if (!(IsDevicePath(source, devicePrefix) && IsDevicePath(target, devicePrefix))) {
            throw EFCreateError(Format("\"%s\" is the source; it cannot be the target as well.",
                                       TargetName(targetPath).c_str()));
        }
        return;
    }
    if (sourceIdentity->device && !targetIdentity->device) {
        const std::string backing = GetLoopBackingFile(deviceTree, sourceIdentity->number);
        if (!backing.empty() && IdentityOfPath(backing) == targetIdentity) {
            throw EFCreateError(
                Format("\"%s\" holds the data of the source \"%s\"; it cannot be the target.",
                       TargetName(targetPath).c_str(), GetFullPathNameA(source).c_str()));
        }
    }
}
