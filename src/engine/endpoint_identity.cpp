#include "engine/endpoint_identity.h"

#include "engine/file_stream.h"

using namespace win;

std::optional<EndpointIdentity> IdentityOf(const TFileStream& stream) {
    EndpointIdentity identity;
    if (GetHostDeviceNumber(stream.Handle(), &identity.number)) {
        identity.device = true;
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(stream.Handle()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(stream.Handle(), &info)) {
        return std::nullopt;
    }
    identity.volume = info.dwVolumeSerialNumber;
    identity.number = (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return identity;
}
