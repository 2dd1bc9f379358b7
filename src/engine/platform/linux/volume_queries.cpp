// Linux backend: the volume queries. (Placeholder answers until drive discovery lands.)
#include "engine/platform/linux/handle_table.h"
#include "engine/platform/winapi.h"

namespace win {

UINT GetDriveTypeA(const char*) { return DRIVE_NO_ROOT_DIR; }

BOOL GetVolumeInformationA(const char*, char*, DWORD, DWORD*, DWORD*, DWORD*, char*, DWORD) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
}

BOOL GetDiskFreeSpaceExA(const char*, ULONGLONG*, ULONGLONG*, ULONGLONG*) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
}

namespace linux_backend {

BOOL QueryVolumeDiskExtents(const HandleInfo&, void*, DWORD, DWORD*) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

}  // namespace linux_backend
}  // namespace win
