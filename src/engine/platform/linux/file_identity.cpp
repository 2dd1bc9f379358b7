// Linux backend: what a handle is open on (GetFileType, GetFileInformationByHandle) and the
// project's own questions about it: the device number, and files the system makes up.
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cerrno>

#include "engine/platform/linux/error_codes.h"
#include "engine/platform/linux/handle_table.h"
#include "engine/platform/winapi.h"

namespace win {
namespace {

// Not every kernel header names it.
constexpr unsigned long kConfigFsMagic = 0x62656570;

// Windows counts file times in 100 ns steps from 1601-01-01.
constexpr ULONGLONG kEpochDifference = 11644473600ULL;

FILETIME FileTime(const struct timespec& time) {
    const ULONGLONG ticks = (static_cast<ULONGLONG>(time.tv_sec) + kEpochDifference) * 10000000ULL +
                            static_cast<ULONGLONG>(time.tv_nsec) / 100;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The file's status through the handle; false with the last error set when there is none.
bool HandleStatus(HANDLE file, struct stat& st) {
    const auto info = linux_backend::FindHandle(file);
    if (!info) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (::fstat(info->fd, &st) != 0) {
        linux_backend::FailWithHostError(errno);
        return false;
    }
    return true;
}

// A device number in 32 bits, as the kernel gives it to 32-bit programs.
DWORD SerialOf(dev_t device) {
    const auto major = static_cast<DWORD>(::major(device));
    const auto minor = static_cast<DWORD>(::minor(device));
    return (minor & 0xffu) | (major << 8) | ((minor & ~0xffu) << 12);
}

}  // namespace

DWORD GetFileType(HANDLE file) {
    struct stat st {};
    if (!HandleStatus(file, st)) {
        return FILE_TYPE_UNKNOWN;
    }
    SetLastError(ERROR_SUCCESS);
    if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode) || S_ISDIR(st.st_mode)) {
        return FILE_TYPE_DISK;
    }
    if (S_ISCHR(st.st_mode)) {
        return FILE_TYPE_CHAR;
    }
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        return FILE_TYPE_PIPE;
    }
    return FILE_TYPE_UNKNOWN;
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* fileInformation) {
    struct stat st {};
    if (fileInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!HandleStatus(file, st)) {
        return FALSE;
    }
    BY_HANDLE_FILE_INFORMATION& out = *fileInformation;
    out = {};
    out.dwFileAttributes = S_ISDIR(st.st_mode) ? 0x10u /* FILE_ATTRIBUTE_DIRECTORY */
                                               : FILE_ATTRIBUTE_NORMAL;
    out.ftCreationTime = FileTime(st.st_ctim);
    out.ftLastAccessTime = FileTime(st.st_atim);
    out.ftLastWriteTime = FileTime(st.st_mtim);
    out.dwVolumeSerialNumber = SerialOf(st.st_dev);
    const auto size = static_cast<ULONGLONG>(st.st_size);
    out.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    out.nFileSizeLow = static_cast<DWORD>(size);
    out.nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    const auto index = static_cast<ULONGLONG>(st.st_ino);
    out.nFileIndexHigh = static_cast<DWORD>(index >> 32);
    out.nFileIndexLow = static_cast<DWORD>(index);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetHostDeviceNumber(HANDLE device, ULONGLONG* deviceNumber) {
    struct stat st {};
    if (!HandleStatus(device, st)) {
        return FALSE;
    }
    if (!S_ISBLK(st.st_mode) && !S_ISCHR(st.st_mode)) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (deviceNumber != nullptr) {
        *deviceNumber = static_cast<ULONGLONG>(st.st_rdev);
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL IsGeneratedFile(HANDLE file) {
    struct stat st {};
    if (!HandleStatus(file, st) || !S_ISREG(st.st_mode)) {
        return FALSE;
    }
    const auto info = linux_backend::FindHandle(file);
    struct statfs fs {};
    if (!info || ::fstatfs(info->fd, &fs) != 0) {
        return FALSE;
    }
    // The file systems whose files are written by the kernel as they are read.
    switch (static_cast<unsigned long>(fs.f_type)) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case kConfigFsMagic:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case BPF_FS_MAGIC:
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace win
