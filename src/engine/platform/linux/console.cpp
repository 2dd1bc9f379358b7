// Linux backend: the handles of the standard streams and the question whether a handle is a
// console.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <mutex>

#include "engine/platform/linux/error_codes.h"
#include "engine/platform/linux/handle_table.h"
#include "engine/platform/winapi.h"

namespace win {
namespace {

// What the layer handed out for one standard stream, and the file the stream went to then.
struct StreamSlot {
    HANDLE handle = 0;  // 0: nothing handed out yet
    dev_t device = 0;
    ino_t inode = 0;
};

struct StreamSlots {
    std::mutex mutex;
    std::array<StreamSlot, 3> slots;  // by descriptor: 0 input, 1 output, 2 error
};

StreamSlots& Slots() {
    static StreamSlots slots;
    return slots;
}

int DescriptorOf(DWORD stdHandle) {
    switch (stdHandle) {
        case STD_INPUT_HANDLE:
            return STDIN_FILENO;
        case STD_OUTPUT_HANDLE:
            return STDOUT_FILENO;
        case STD_ERROR_HANDLE:
            return STDERR_FILENO;
        default:
            return -1;
    }
}

const char* StreamPath(int descriptor) {
    static constexpr std::array<const char*, 3> kPaths = {"/dev/stdin", "/dev/stdout",
                                                          "/dev/stderr"};
    return kPaths[static_cast<std::size_t>(descriptor)];
}

}  // namespace

HANDLE GetStdHandle(DWORD stdHandle) {
    const int descriptor = DescriptorOf(stdHandle);
    if (descriptor < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st {};
    if (::fstat(descriptor, &st) != 0) {
        // The process was started without this stream.
        SetLastError(ERROR_SUCCESS);
        return 0;
    }
    StreamSlots& all = Slots();
    std::lock_guard lock(all.mutex);
    StreamSlot& slot = all.slots[static_cast<std::size_t>(descriptor)];
    if (slot.handle != 0 && slot.device == st.st_dev && slot.inode == st.st_ino &&
        linux_backend::FindHandle(slot.handle)) {
        SetLastError(ERROR_SUCCESS);
        return slot.handle;
    }
    // The first call, or the stream goes elsewhere now, or its handle was closed. A handle
    // handed out before stays valid for whoever holds it, as on the system this layer stands
    // for. The handle holds a copy of the descriptor: closing it must never close the
    // process's own 0, 1 or 2, whose number the next opened image would take, so that the
    // stream's text would land in the image.
    const int copy = ::fcntl(descriptor, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (copy < 0) {
        SetLastError(linux_backend::WindowsError(errno));
        return INVALID_HANDLE_VALUE;
    }
    linux_backend::HandleInfo info;
    info.fd = copy;
    info.path = StreamPath(descriptor);
    slot.handle = linux_backend::RegisterHandle(std::move(info));
    if (slot.handle < 0) {
        return INVALID_HANDLE_VALUE;  // no room: the copy is closed and the error set
    }
    slot.device = st.st_dev;
    slot.inode = st.st_ino;
    SetLastError(ERROR_SUCCESS);
    return slot.handle;
}

BOOL GetConsoleMode(HANDLE console, DWORD* mode) {
    if (mode == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *mode = 0;
    const auto info = linux_backend::FindHandle(console);
    if (!info || ::isatty(info->fd) != 1) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *mode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace win
