// Shared memory blocks ("file mappings" backed by no file).
//
// A named block is shared with every process of the same user (a leading
// "Global\" is accepted and means the same name). It lives in a file of the
// object folder (ObjectFolder.h) with mode 0600: all zero when created, removed
// when its last user closes it, and, since the users are counted with flock
// locks that the kernel drops when a process dies, a block whose users all
// died is started afresh (all zero) by the next one, never seen stale.
// An unnamed block is private to the process.
//
// A block that exists is opened with its own size; one smaller than the size
// asked for is refused (ERROR_INVALID_PARAMETER) rather than handing out a
// view shorter than the caller expects. Views keep their block alive after
// its handle is closed, as under Windows.
#pragma once

#include "platform/core/KernelObject.h"

#include <cstddef>

using SIZE_T = std::size_t;

inline constexpr DWORD PAGE_READONLY = 0x02;
inline constexpr DWORD PAGE_READWRITE = 0x04;
inline constexpr DWORD SEC_COMMIT = 0x08000000;

inline constexpr DWORD FILE_MAP_COPY = 0x0001;
inline constexpr DWORD FILE_MAP_WRITE = 0x0002;
inline constexpr DWORD FILE_MAP_READ = 0x0004;
inline constexpr DWORD FILE_MAP_ALL_ACCESS = 0x000F001F;

// file must be INVALID_HANDLE_VALUE; protect PAGE_READWRITE or PAGE_READONLY
// (SEC_COMMIT may be added). ERROR_ALREADY_EXISTS when the block existed.
HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCWSTR name);
// ERROR_FILE_NOT_FOUND when no process has the block.
HANDLE OpenFileMappingW(DWORD access, BOOL inheritHandle, LPCWSTR name);
// bytes 0 maps from the offset to the end. The offset is a multiple of 64 KiB.
// FILE_MAP_COPY alone gives a private copy-on-write view.
LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
// address must be one that MapViewOfFile returned.
BOOL UnmapViewOfFile(LPCVOID address);

inline HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES a, DWORD protect, DWORD high, DWORD low,
                                LPCWSTR name)
{
    return CreateFileMappingW(file, a, protect, high, low, name);
}
inline HANDLE OpenFileMapping(DWORD access, BOOL inherit, LPCWSTR name)
{
    return OpenFileMappingW(access, inherit, name);
}
