#include "engine/copy_endpoints.h"

#include "engine/errors.h"
#include "engine/target_kind.h"

using namespace win;

namespace {

thread_local ScopedEndpointPins* currentPins = nullptr;

// Refuses the open stream when its name is pinned to something else.
void CheckPinned(TFileStream& stream, const std::string& path) {
    if (currentPins != nullptr) {
        currentPins->Check(stream, path);
    }
}

}  // namespace

ScopedEndpointPins::ScopedEndpointPins() : previous_(currentPins) {
    currentPins = this;
}

ScopedEndpointPins::~ScopedEndpointPins() {
    currentPins = previous_;
}

void ScopedEndpointPins::Pin(const std::string& path, const EndpointMeasure& measure) {
    if (measure.identity) {
        pins_.push_back({path, *measure.identity, measure.size});
    }
}

void ScopedEndpointPins::Check(TFileStream& stream, const std::string& path) const {
    for (const Pinned& pin : pins_) {
        if (pin.path != path) {
            continue;
        }
        // A file may grow or shrink in between; a device that changed size is another one.
        if (IdentityOf(stream) != pin.identity ||
            (pin.identity.device && SizeOfOpenEndpoint(stream) != pin.size)) {
            throw EFOpenError(
                Format("Cannot open file \"%s\". It leads elsewhere than when it "
                       "was measured before the copy; nothing was copied",
                       GetFullPathNameA(stream.FileName()).c_str()));
        }
    }
}

TFileStream OpenCopySource(const std::string& path) {
    TFileStream source(path, fmOpenReadShared);
    CheckPinned(source, path);
    return source;
}

TFileStream OpenCopyTarget(const std::string& path) {
    switch (TargetKindOf(path)) {
        case TargetKind::StandardOutput:
            return TFileStream(GetStdHandle(STD_OUTPUT_HANDLE), kStandardOutputName);
        case TargetKind::Pipe:
            return TFileStream(path, fmOpenWriteShared);
        default: {
            TFileStream target(path, fmOpenReadWriteShared);
            CheckPinned(target, path);
            return target;
        }
    }
}
