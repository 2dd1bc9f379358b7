// Linux backend: the thread's last error and the system's texts for error codes.
#include <cstring>
#include <string>

#include "engine/platform/linux/error_codes.h"
#include "engine/platform/winapi.h"

namespace win {
namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

constexpr std::size_t kMaxMessageBytes = 256;

// Texts for the codes that the layer sets itself or whose host counterpart's text would say
// something else; empty for the rest.
std::string OwnText(DWORD errorCode) {
    switch (errorCode) {
        case ERROR_SUCCESS:
            return "The operation completed successfully.";
        case ERROR_DEVICE_IN_USE:
            return "The device is in use by a mounted file system or by another program.";
        case ERROR_HANDLE_EOF:
            return "Reached the end of the file.";
        case ERROR_INSUFFICIENT_BUFFER:
            return "The data area passed to a system call is too small.";
        case ERROR_MORE_DATA:
            return "More data is available.";
        case ERROR_CRC:
            return "Data error (cyclic redundancy check).";
        case ERROR_READ_FAULT:
            return "The device cannot read from the specified location.";
        case ERROR_WRITE_FAULT:
            return "The device cannot write to the specified location.";
        case ERROR_GEN_FAILURE:
            return "A device attached to the system is not functioning.";
        default:
            return {};
    }
}

}  // namespace

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD errorCode) {
    lastError = errorCode;
}

std::string FormatSystemMessage(DWORD errorCode) {
    std::string text = OwnText(errorCode);
    if (text.empty()) {
        if (const int hostError = linux_backend::HostError(errorCode); hostError != 0) {
            char buffer[kMaxMessageBytes];
            // The GNU strerror_r: returns the text, in the buffer or in static storage.
            text = strerror_r(hostError, buffer, sizeof buffer);
        } else {
            text = "Unknown error " + std::to_string(errorCode);
        }
    }
    if (text.size() > kMaxMessageBytes - 1) {
        text.resize(kMaxMessageBytes - 1);
    }
    return text;
}

}  // namespace win
