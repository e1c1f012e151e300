// Result codes of the Win32-shaped calls (registry results, last-error
// values). One list, so that every piece of the platform layer agrees on them.
#pragma once

#include "platform/core/WinTypes.h"

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_INVALID_FUNCTION = 1;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_PATH_NOT_FOUND = 3;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LONG ERROR_OUTOFMEMORY = 14;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_NOT_SUPPORTED = 50;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_SIGNAL_REFUSED = 156;
inline constexpr LONG ERROR_ALREADY_EXISTS = 183;
inline constexpr LONG ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_NOT_OWNER = 288;
inline constexpr LONG ERROR_INVALID_ADDRESS = 487;
inline constexpr LONG ERROR_UNHANDLED_EXCEPTION = 574;
inline constexpr LONG ERROR_KEY_DELETED = 1018;
inline constexpr LONG ERROR_MAPPED_ALIGNMENT = 1132;
inline constexpr LONG ERROR_TIMEOUT = 1460;
