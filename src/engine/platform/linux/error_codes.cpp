#include "engine/platform/linux/error_codes.h"

#include <array>
#include <cerrno>

namespace win::linux_backend {
namespace {

struct ErrorPair {
    int host;
    win::DWORD windows;
};

// Where several host numbers share one Windows code, the first of them gives its text.
// Media errors of a sector (EIO, and the block layer's ENODATA and EILSEQ for a medium or
// integrity error) keep codes of their own: the copy tells them apart from a device that went
// away (ENODEV, ENXIO, ENOTCONN, ESHUTDOWN, ENOMEDIUM).
constexpr std::array kTable = {
    ErrorPair{ENOENT, win::ERROR_FILE_NOT_FOUND},
    ErrorPair{ENOTDIR, win::ERROR_PATH_NOT_FOUND},
    ErrorPair{EMFILE, win::ERROR_TOO_MANY_OPEN_FILES},
    ErrorPair{ENFILE, win::ERROR_TOO_MANY_OPEN_FILES},
    ErrorPair{EACCES, win::ERROR_ACCESS_DENIED},
    ErrorPair{EPERM, win::ERROR_ACCESS_DENIED},
    ErrorPair{EISDIR, win::ERROR_ACCESS_DENIED},
    ErrorPair{EBADF, win::ERROR_INVALID_HANDLE},
    ErrorPair{ENOMEM, win::ERROR_NOT_ENOUGH_MEMORY},
    ErrorPair{EROFS, win::ERROR_WRITE_PROTECT},
    ErrorPair{ENOMEDIUM, win::ERROR_NOT_READY},
    ErrorPair{EIO, win::ERROR_IO_DEVICE},
    ErrorPair{ENODATA, win::ERROR_SECTOR_NOT_FOUND},
    ErrorPair{EILSEQ, win::ERROR_CRC},
    ErrorPair{ENODEV, win::ERROR_DEV_NOT_EXIST},
    ErrorPair{ENXIO, win::ERROR_DEV_NOT_EXIST},
    ErrorPair{ENOTCONN, win::ERROR_DEVICE_NOT_CONNECTED},
    ErrorPair{ESHUTDOWN, win::ERROR_DEVICE_NOT_CONNECTED},
    ErrorPair{ENOTSUP, win::ERROR_NOT_SUPPORTED},
    ErrorPair{ENOSYS, win::ERROR_NOT_SUPPORTED},
    ErrorPair{EEXIST, win::ERROR_FILE_EXISTS},
    ErrorPair{EINVAL, win::ERROR_INVALID_PARAMETER},
    ErrorPair{EPIPE, win::ERROR_BROKEN_PIPE},
    ErrorPair{ENOSPC, win::ERROR_DISK_FULL},
    ErrorPair{ESPIPE, win::ERROR_SEEK_ON_DEVICE},
    ErrorPair{EBUSY, win::ERROR_BUSY},
    ErrorPair{ENAMETOOLONG, win::ERROR_FILENAME_EXCED_RANGE},
    ErrorPair{EFBIG, win::ERROR_FILE_TOO_LARGE},
    ErrorPair{ECANCELED, win::ERROR_OPERATION_ABORTED},
    ErrorPair{EDQUOT, win::ERROR_DISK_QUOTA_EXCEEDED},
    ErrorPair{ENOTTY, win::ERROR_INVALID_FUNCTION},
};

}  // namespace

win::DWORD WindowsError(int hostError) {
    for (const ErrorPair& pair : kTable) {
        if (pair.host == hostError) {
            return pair.windows;
        }
    }
    return win::APPLICATION_ERROR_BIT | static_cast<win::DWORD>(hostError);
}

int HostError(win::DWORD windowsError) {
    if ((windowsError & win::APPLICATION_ERROR_BIT) != 0) {
        return static_cast<int>(windowsError & ~win::APPLICATION_ERROR_BIT);
    }
    for (const ErrorPair& pair : kTable) {
        if (pair.windows == windowsError) {
            return pair.host;
        }
    }
    return 0;
}

win::BOOL FailWithHostError(int hostError) {
    win::SetLastError(WindowsError(hostError));
    return win::FALSE;
}

}  // namespace win::linux_backend
