// Linux backend: the thread's last error and the system's texts for error codes.
#include <cstring>

#include "engine/platform/winapi.h"

namespace win {
namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

constexpr std::size_t kMaxMessageBytes = 256;

}  // namespace

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD errorCode) {
    lastError = errorCode;
}

std::string FormatSystemMessage(DWORD errorCode) {
    std::string text;
    if (errorCode == ERROR_DEVICE_IN_USE) {
        text = "The device is in use by a mounted file system or by another program.";
    } else if (errorCode == ERROR_OPERATION_ABORTED) {
        text = "The operation was broken off by a stop request.";
    } else {
        char buffer[kMaxMessageBytes];
        // The GNU strerror_r: returns the text, in the buffer or in static storage.
        text = strerror_r(static_cast<int>(errorCode), buffer, sizeof buffer);
    }
    if (text.size() > kMaxMessageBytes - 1) {
        text.resize(kMaxMessageBytes - 1);
    }
    return text;
}

}  // namespace win
