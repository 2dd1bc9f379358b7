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

}  // namespace

void CheckTargetIsNotSource(const std::string& sourcePath, const std::string& targetPath,
                            const std::string& deviceTree) {
    if (targetPath == kStandardOutputTarget) {
        return;
    }
    const std::string source = EndpointOpenPath(sourcePath);
    const std::string target = EndpointOpenPath(targetPath);
    const std::optional<EndpointIdentity> targetIdentity = IdentityOfPath(target);
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
                                       GetFullPathNameA(targetPath).c_str()));
        }
        return;
    }
    if (sourceIdentity->device && !targetIdentity->device) {
        const std::string backing = GetLoopBackingFile(deviceTree, sourceIdentity->number);
        if (!backing.empty() && IdentityOfPath(backing) == targetIdentity) {
            throw EFCreateError(
                Format("\"%s\" holds the data of the source \"%s\"; it cannot be the target.",
                       GetFullPathNameA(targetPath).c_str(), GetFullPathNameA(source).c_str()));
        }
    }
}
