// Linux backend: opening, reading, writing, positioning, flushing and closing files and
// block devices with the results of the Windows file API.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <type_traits>

#include "engine/platform/fault_checks.h"
#include "engine/platform/linux/device_names.h"
#include "engine/platform/linux/error_codes.h"
#include "engine/platform/linux/handle_table.h"
#include "engine/platform/winapi.h"

namespace win {
namespace {

using linux_backend::HandleInfo;

// The most one read() or write() moves on Linux.
constexpr std::size_t kMaxTransfer = 0x7ffff000;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

int OpenFlags(DWORD access, DWORD disposition, bool& valid) {
    valid = true;
    int flags = O_CLOEXEC;
    const bool read = (access & GENERIC_READ) != 0;
    const bool write = (access & GENERIC_WRITE) != 0;
    flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    switch (disposition) {
        case OPEN_EXISTING:
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT | O_TRUNC;
            break;
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        default:
            valid = false;
    }
    return flags;
}

// The host path a CreateFileA path opens, and what the handle will know of it.
bool ResolveOpenPath(const char* fileName, HandleInfo& info) {
    info.path = fileName;
    if (!linux_backend::IsDeviceNamespacePath(info.path)) {
        return true;
    }
    const auto target = linux_backend::ResolveDevicePath(info.path, CurrentDeviceMap());
    if (!target) {
        return false;
    }
    if (target->kind == linux_backend::DeviceTarget::Kind::Disk) {
        info.kind = HandleInfo::Kind::Disk;
        info.disk = target->disk;
    } else {
        info.kind = HandleInfo::Kind::Volume;
        info.volume = target->volume;
    }
    return true;
}

const std::string& HostPath(const HandleInfo& info) {
    switch (info.kind) {
        case HandleInfo::Kind::Disk:
            return info.disk.node;
        case HandleInfo::Kind::Volume:
            return info.volume.node;
        default:
            return info.path;
    }
}

// Opens the host path; a descriptor, or -1 with the layer's error code in `error`. `flags`
// comes back as the descriptor was opened.
//
// A block device is only ever written through a handle that claims it: O_EXCL makes the kernel
// refuse it while a file system on it, or on any of its partitions, is mounted, or while
// another program claims it. A handle that asks for write access without claiming the device
// (the volume queries do, to ask a mounted volume about itself) gets a read-only descriptor and
// every write through it is refused, so nothing can ever write under a mounted file system.
// On a regular file O_EXCL means something else, so it is only ever passed for block devices.
int OpenHost(const std::string& path, int& flags, bool exclusiveDevice, bool unbuffered,
             bool& writesRefused, DWORD& error) {
    bool claim = false;
    writesRefused = false;
    struct stat st {};
    const bool blockDevice = ::stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
    if (unbuffered && blockDevice) {
        flags |= O_DIRECT;
    }
    if ((flags & O_ACCMODE) != O_RDONLY) {
        if (blockDevice) {
            flags &= ~(O_CREAT | O_TRUNC);
            if (exclusiveDevice) {
                claim = true;
                flags |= O_EXCL;
            } else {
                writesRefused = true;
                flags = (flags & ~O_ACCMODE) | O_RDONLY;
            }
        }
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = claim && errno == EBUSY ? ERROR_DEVICE_IN_USE : linux_backend::WindowsError(errno);
    }
    return fd;
}

std::int64_t CurrentPosition(int fd) {
    return ::lseek(fd, 0, SEEK_CUR);
}

// One ReadFile (into a char buffer) or WriteFile (from a const char buffer), with the results
// Windows gives: as many read() or write() calls as the kernel needs to move the bytes,
// normally one. A read that meets the end of the file or device succeeds with the bytes before
// it (0 at the end). A transfer that fails, also after some bytes, fails as a whole (FALSE and
// the error); `*done` then holds the bytes moved before the failure, which Windows leaves
// unspecified, so callers use it only to say where a write stopped. A device that takes no
// more bytes fails the write with ERROR_DISK_FULL.
template <typename Byte>
BOOL Transfer(HANDLE file, Byte* bytes, DWORD count, DWORD* done) {
    constexpr bool reading = !std::is_const_v<Byte>;
    if (done != nullptr) {
        *done = 0;
    }
    const auto info = linux_backend::FindHandle(file);
    if (!info) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    DWORD wanted = count;
    DWORD cutError = ERROR_SUCCESS;
    if (faults::PlanInstalled()) {
        const std::int64_t position = CurrentPosition(info->fd);
        faults::Verdict verdict;
        if constexpr (reading) {
            faults::DelayRead(info->path);
            verdict = faults::CheckRead(info->path, position, wanted);
        } else {
            verdict = faults::CheckWrite(info->path, position, wanted);
        }
        if (verdict.fail) {
            return Fail(verdict.error);
        }
        wanted = verdict.allowed;
        cutError = verdict.error;
    }
    std::int64_t start = 0;
    if constexpr (!reading) {
        if (info->writesRefused) {
            return Fail(ERROR_ACCESS_DENIED);
        }
        if (info->writeBehind) {
            // Data already written was lost on its way to the disk: write nothing more.
            if (const int error = info->writeBehind->Error(); error != 0) {
                return linux_backend::FailWithHostError(error);
            }
            start = CurrentPosition(info->fd);
        }
    }
    DWORD moved = 0;
    int hostError = 0;
    while (moved < wanted) {
        const std::size_t chunk = std::min<std::size_t>(wanted - moved, kMaxTransfer);
        ssize_t n;
        if constexpr (reading) {
            n = ::read(info->fd, bytes + moved, chunk);
        } else {
            n = ::write(info->fd, bytes + moved, chunk);
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            // The handle is known, so EBADF means it was not opened for this: Windows says
            // access denied.
            hostError = errno == EBADF ? EACCES : errno;
            break;
        }
        if (n == 0) {
            // Reading: the end of the file or device. Writing: the device takes no more.
            if constexpr (!reading) {
                hostError = ENOSPC;
            }
            break;
        }
        moved += static_cast<DWORD>(n);
    }
    if constexpr (!reading) {
        if (info->writeBehind && moved > 0 && start >= 0) {
            info->writeBehind->Written(start, moved);
        }
    }
    if (done != nullptr) {
        *done = moved;
    }
    if (hostError != 0) {
        return linux_backend::FailWithHostError(hostError);
    }
    if (moved < count && cutError != ERROR_SUCCESS) {
        return Fail(cutError);  // the fault plan cut the call short at a failing place
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                   void* /*securityAttributes*/, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE /*templateFile*/) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    bool valid = false;
    int flags = OpenFlags(desiredAccess, creationDisposition, valid);
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    HandleInfo info;
    if (!ResolveOpenPath(fileName, info) || HostPath(info).empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DWORD error = ERROR_SUCCESS;
    const int fd =
        OpenHost(HostPath(info), flags, (flagsAndAttributes & FILE_FLAG_EXCLUSIVE_DEVICE) != 0,
                 (flagsAndAttributes & FILE_FLAG_NO_BUFFERING) != 0, info.writesRefused, error);
    if (fd < 0) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    // A folder is no file: the system this layer stands for refuses to open one.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if ((flags & O_ACCMODE) != O_WRONLY) {
        // Images and disks are read front to back: let the kernel read further ahead.
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    // Written files and disks go out to the disk while the copy runs, not all in its flush.
    if ((flags & O_ACCMODE) != O_RDONLY && (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) {
        info.writeBehind = std::make_shared<linux_backend::WriteBehind>(fd);
    }
    info.fd = fd;
    SetLastError(ERROR_SUCCESS);
    return linux_backend::RegisterHandle(std::move(info));
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void*) {
    return Transfer(file, static_cast<char*>(buffer), bytesToRead, bytesRead);
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void*) {
    return Transfer(file, static_cast<const char*>(buffer), bytesToWrite, bytesWritten);
}

BOOL SetFilePointerEx(HANDLE file, LONGLONG distanceToMove, LONGLONG* newFilePointer,
                      DWORD moveMethod) {
    const auto info = linux_backend::FindHandle(file);
    if (!info) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    int whence;
    switch (moveMethod) {
        case FILE_BEGIN:
            whence = SEEK_SET;
            break;
        case FILE_CURRENT:
            whence = SEEK_CUR;
            break;
        case FILE_END:
            whence = SEEK_END;
            break;
        default:
            return Fail(ERROR_INVALID_PARAMETER);
    }
    const off_t position = ::lseek(info->fd, static_cast<off_t>(distanceToMove), whence);
    if (position < 0) {
        return linux_backend::FailWithHostError(errno);
    }
    if (newFilePointer != nullptr) {
        *newFilePointer = position;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    const auto info = linux_backend::FindHandle(file);
    if (!info) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (faults::PlanInstalled() && faults::FlushFails(info->path)) {
        return Fail(ERROR_IO_DEVICE);
    }
    if (::fsync(info->fd) != 0) {
        const int error = errno;
        // A character device, pipe or socket (such as /dev/null) keeps nothing to write out:
        // the system says so with EINVAL or EROFS, and there is nothing that could be lost.
        struct stat st {};
        const bool special = ::fstat(info->fd, &st) == 0 && !S_ISREG(st.st_mode) &&
                             !S_ISBLK(st.st_mode) && !S_ISDIR(st.st_mode);
        if (!(special && (error == EINVAL || error == EROFS))) {
            // fsync() tells a loss once; the handle keeps saying so.
            if (info->writeBehind) {
                info->writeBehind->Record(error);
            }
            return linux_backend::FailWithHostError(error);
        }
    }
    // A write-back error that the write-behind was told, fsync() does not tell again.
    if (info->writeBehind) {
        if (const int error = info->writeBehind->Error(); error != 0) {
            return linux_backend::FailWithHostError(error);
        }
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL CloseHandle(HANDLE object) {
    const auto info = linux_backend::ReleaseHandle(object);
    if (!info) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    // Linux releases the descriptor even when close() reports an error; never retry it.
    if (::close(info->fd) != 0 && errno != EINTR) {
        return linux_backend::FailWithHostError(errno);
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace win
