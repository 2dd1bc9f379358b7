// A handle of the layer that is closed when it goes, and the open calls the tests make.
#pragma once

#include <string>

#include "engine/platform/winapi.h"

struct ScopedHandle {
    win::HANDLE value = win::INVALID_HANDLE_VALUE;
    ScopedHandle() = default;
    explicit ScopedHandle(win::HANDLE handle) : value(handle) {}
    ~ScopedHandle() {
        if (value >= 0) {
            win::CloseHandle(value);
        }
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
};

// CreateFileA with both shares and FILE_ATTRIBUTE_NORMAL plus `flags`.
inline win::HANDLE OpenShared(const std::string& path, win::DWORD access, win::DWORD disposition,
                              win::DWORD flags = 0) {
    return win::CreateFileA(path.c_str(), access, win::FILE_SHARE_READ | win::FILE_SHARE_WRITE,
                            nullptr, disposition, win::FILE_ATTRIBUTE_NORMAL | flags, 0);
}
