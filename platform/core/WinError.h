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
inline constexpr LONG ERROR_BAD_FORMAT = 11;
inline constexpr LONG ERROR_OUTOFMEMORY = 14;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_NOT_SUPPORTED = 50;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr LONG ERROR_MOD_NOT_FOUND = 126;
inline constexpr LONG ERROR_PROC_NOT_FOUND = 127;
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
inline constexpr LONG ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
inline constexpr LONG ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

// Socket errors, as the socket library numbers them; the link shows some of them to its user.
inline constexpr LONG WSAEACCES = 10013;
inline constexpr LONG WSAEINVAL = 10022;
inline constexpr LONG WSAEMFILE = 10024;
inline constexpr LONG WSAEWOULDBLOCK = 10035;
inline constexpr LONG WSAEAFNOSUPPORT = 10047;
inline constexpr LONG WSAEADDRINUSE = 10048;
inline constexpr LONG WSAEADDRNOTAVAIL = 10049;
inline constexpr LONG WSAENETDOWN = 10050;
inline constexpr LONG WSAENETUNREACH = 10051;
inline constexpr LONG WSAECONNABORTED = 10053;
inline constexpr LONG WSAECONNRESET = 10054;
inline constexpr LONG WSAENOBUFS = 10055;
inline constexpr LONG WSAETIMEDOUT = 10060;
inline constexpr LONG WSAECONNREFUSED = 10061;
inline constexpr LONG WSAEHOSTUNREACH = 10065;
inline constexpr LONG WSASYSCALLFAILURE = 10107;
inline constexpr LONG WSAHOST_NOT_FOUND = 11001;
inline constexpr LONG WSATRY_AGAIN = 11002;
