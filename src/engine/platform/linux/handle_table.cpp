// Linux backend: the table of open handles.
#include "engine/platform/linux/handle_table.h"

#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <new>
#include <unordered_map>

namespace win::linux_backend {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<HANDLE, std::shared_ptr<const HandleInfo>> entries;
    // Handles count up and are never reused, so a stale handle never reaches another file.
    HANDLE next = 0x100;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

}  // namespace

HANDLE RegisterHandle(HandleInfo info) {
    const int fd = info.fd;
    try {
        auto entry = std::make_shared<const HandleInfo>(std::move(info));
        HandleTable& table = Table();
        std::lock_guard lock(table.mutex);
        const HANDLE handle = table.next;
        table.entries.emplace(handle, std::move(entry));
        table.next += 4;
        return handle;
    } catch (const std::bad_alloc&) {
        // The layer raises nothing: without room for the entry the open fails, and the
        // descriptor it took goes back.
        ::close(fd);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
}

std::shared_ptr<const HandleInfo> FindHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto it = table.entries.find(handle);
    return it == table.entries.end() ? nullptr : it->second;
}

std::shared_ptr<const HandleInfo> ReleaseHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto it = table.entries.find(handle);
    if (it == table.entries.end()) {
        return nullptr;
    }
    auto entry = std::move(it->second);
    table.entries.erase(it);
    return entry;
}

std::optional<HandleInfo> LookupHandle(HANDLE handle) {
    const auto entry = FindHandle(handle);
    if (!entry) {
        return std::nullopt;
    }
    return *entry;
}

}  // namespace win::linux_backend
