#include "engine/target_kind.h"

#include "engine/endpoint_size.h"
#include "engine/errors.h"
#include "engine/file_stream.h"

using namespace win;

TargetKind TargetKindOf(const std::string& path) {
    if (path == kStandardOutputTarget) {
        return TargetKind::StandardOutput;
    }
    if (IsDeviceEndpoint(path)) {
        return TargetKind::Device;
    }
    try {
        const TFileStream probe(path, fmOpenReadShared);
        switch (GetFileType(probe.Handle())) {
            case FILE_TYPE_CHAR:
                return TargetKind::CharacterDevice;
            case FILE_TYPE_PIPE:
                return TargetKind::Pipe;
            default:
                return GetHostDeviceNumber(probe.Handle(), nullptr) ? TargetKind::Device
                                                                    : TargetKind::File;
        }
    } catch (const EFOpenError&) {
        return TargetKind::File;
    }
}
