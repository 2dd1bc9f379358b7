#include "engine/device_query.h"

#include "engine/errors.h"
#include "engine/file_stream.h"

using namespace win;

void QueryDevice(TFileStream& stream, DWORD code, unsigned char* answer, DWORD size,
                 const char* what) {
    DWORD returned = 0;
    if (!DeviceIoControl(stream.Handle(), code, nullptr, 0, answer, size, &returned, nullptr)) {
        const DWORD error = GetLastError();
        throw EDeviceError(Format("Cannot read the %s of \"%s\". %s", what,
                                  GetFullPathNameA(stream.FileName()).c_str(),
                                  SystemErrorText(error).c_str()));
    }
}

std::uint64_t LittleEndian(const unsigned char* bytes, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value |= std::uint64_t{bytes[i]} << (8 * i);
    }
    return value;
}
