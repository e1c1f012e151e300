// Accelerator tables: keys that become commands. A table comes from an
// ACCELERATORS resource or from code; TranslateAccelerator turns a key-down
// (virtual-key entries, with exactly the Shift, Ctrl and Alt of the entry)
// or a character (character entries) into WM_COMMAND with the entry's id and
// 1 as notification code, sent to the given window.
#pragma once

#include "platform/core/Messages.h"
#include "platform/core/WinTypes.h"

using HACCEL = OpaqueHandle<struct AcceleratorHandleTag>;

inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FNOINVERT = 0x02;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;

struct ACCEL {
    BYTE fVirt = 0;
    WORD key = 0;
    WORD cmd = 0;
};
using LPACCEL = ACCEL*;

// Tables from resources are shared: loading the same table again gives the
// same handle, and they live as long as the process.
HACCEL LoadAcceleratorsW(HMODULE module, LPCWSTR name);
HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// With a null destination: the number of entries; else copies up to count.
int CopyAcceleratorTableW(HACCEL table, ACCEL* destination, int count);
int TranslateAcceleratorW(HWND hwnd, HACCEL table, MSG* msg);

inline HACCEL LoadAccelerators(HMODULE module, LPCWSTR name) { return LoadAcceleratorsW(module, name); }
inline HACCEL CreateAcceleratorTable(const ACCEL* entries, int count) { return CreateAcceleratorTableW(entries, count); }
inline int CopyAcceleratorTable(HACCEL table, ACCEL* destination, int count)
{
    return CopyAcceleratorTableW(table, destination, count);
}
inline int TranslateAccelerator(HWND hwnd, HACCEL table, MSG* msg) { return TranslateAcceleratorW(hwnd, table, msg); }
