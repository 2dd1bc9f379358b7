// Linux backend: asking about a file by its name, and renaming it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "engine/platform/linux/error_codes.h"
#include "engine/platform/winapi.h"

namespace win {
namespace {

// Writes the folder that holds `path` to the disk, so that a rename in it is kept.
bool SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

}  // namespace

DWORD GetFileAttributesA(const char* fileName) {
    struct stat st {};
    if (fileName == nullptr || ::stat(fileName, &st) != 0) {
        SetLastError(fileName == nullptr ? ERROR_INVALID_PARAMETER
                                         : linux_backend::WindowsError(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    SetLastError(ERROR_SUCCESS);
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL MoveFileExA(const char* existingFileName, const char* newFileName, DWORD flags) {
    if (existingFileName == nullptr || newFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
        struct stat st {};
        if (::lstat(newFileName, &st) == 0) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
    }
    if (::rename(existingFileName, newFileName) != 0) {
        return linux_backend::FailWithHostError(errno);
    }
    if ((flags & MOVEFILE_WRITE_THROUGH) != 0 && !SyncFolderOf(newFileName)) {
        return linux_backend::FailWithHostError(errno);
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace win
