// The calling thread's last error, as the Win32-shaped calls of the platform
// layer report it. Each thread has its own value; a call that succeeds does not
// clear it unless its documentation says so.
#pragma once

#include "platform/core/WinError.h"
#include "platform/core/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD error);

namespace platform {

// Maps an errno value to the nearest ERROR_* code.
DWORD ErrorFromErrno(int err);

}  // namespace platform
