// The calling thread's last error, as the Win32-shaped calls of the platform
// layer report it. Each thread has its own value; a call that succeeds does not
// clear it unless its documentation says so.
#pragma once

#include "platform/core/WinTypes.h"

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INVALID_FUNCTION = 1;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_OUTOFMEMORY = 14;
inline constexpr DWORD ERROR_NOT_SUPPORTED = 50;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_SIGNAL_REFUSED = 156;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr DWORD ERROR_NOT_OWNER = 288;
inline constexpr DWORD ERROR_INVALID_ADDRESS = 487;
inline constexpr DWORD ERROR_UNHANDLED_EXCEPTION = 574;
inline constexpr DWORD ERROR_TIMEOUT = 1460;

DWORD GetLastError();
void SetLastError(DWORD error);

namespace platform {

// Maps an errno value to the nearest ERROR_* code.
DWORD ErrorFromErrno(int err);

}  // namespace platform
