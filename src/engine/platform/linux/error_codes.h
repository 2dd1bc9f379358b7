// Linux backend: the one table between the host's error numbers and the Windows error codes
// that the layer reports.
#pragma once

#include "engine/platform/winapi.h"

namespace win::linux_backend {

// The Windows code for a host error number. A number without a Windows counterpart comes back
// as APPLICATION_ERROR_BIT plus the number, so its own text is never lost.
win::DWORD WindowsError(int hostError);

// The host error number whose text stands for a Windows code, or 0 when the table has none.
int HostError(win::DWORD windowsError);

// SetLastError(WindowsError(hostError)); returns FALSE for the caller's failure path.
win::BOOL FailWithHostError(int hostError);

}  // namespace win::linux_backend
