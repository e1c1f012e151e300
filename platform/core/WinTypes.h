// Basic types, opaque handles and small helpers with the shapes the rest of the
// system expects. Text is UTF-16 (char16_t); handles are an index and a
// generation, never pointers, so a stale handle is recognised as stale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <compare>
#include <functional>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR
using TCHAR = char16_t;
using WCHAR = char16_t;
using LPTSTR = char16_t*;
using LPCTSTR = const char16_t*;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Wide literals are UTF-16.
#define _T(x) u##x
#define _TEXT(x) u##x

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(std::uintptr_t v) { return static_cast<BYTE>(v & 0xFF); }
constexpr BYTE HIBYTE(std::uintptr_t v) { return static_cast<BYTE>((v >> 8) & 0xFF); }
constexpr DWORD MAKELONG(WORD lo, WORD hi) { return static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16); }
constexpr WORD MAKEWORD(BYTE lo, BYTE hi) { return static_cast<WORD>(lo | (hi << 8)); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return MAKELONG(lo, hi); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return static_cast<LPARAM>(MAKELONG(lo, hi)); }

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend bool operator==(const SIZE&, const SIZE&) = default;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

// An opaque handle: 32-bit slot index and 32-bit generation packed in one
// value; 0 is the null handle. The Tag keeps window, kernel-object, module and
// registry handles apart at compile time.
template <class Tag>
class OpaqueHandle {
public:
    constexpr OpaqueHandle() = default;
    constexpr OpaqueHandle(std::nullptr_t) {}
    static constexpr OpaqueHandle FromValue(std::uint64_t v)
    {
        OpaqueHandle h;
        h.m_value = v;
        return h;
    }
    static constexpr OpaqueHandle Make(std::uint32_t index, std::uint32_t generation)
    {
        return FromValue((static_cast<std::uint64_t>(generation) << 32) | index);
    }
    constexpr std::uint64_t Value() const { return m_value; }
    constexpr std::uint32_t Index() const { return static_cast<std::uint32_t>(m_value); }
    constexpr std::uint32_t Generation() const { return static_cast<std::uint32_t>(m_value >> 32); }
    constexpr explicit operator bool() const { return m_value != 0; }
    constexpr bool operator!() const { return m_value == 0; }
    friend constexpr bool operator==(OpaqueHandle a, OpaqueHandle b) = default;
    friend constexpr auto operator<=>(OpaqueHandle a, OpaqueHandle b) = default;

    // Handles travel in message parameters as integers.
    constexpr WPARAM ToWParam() const { return static_cast<WPARAM>(m_value); }
    constexpr LPARAM ToLParam() const { return static_cast<LPARAM>(m_value); }
    static constexpr OpaqueHandle FromWParam(WPARAM v) { return FromValue(v); }
    static constexpr OpaqueHandle FromLParam(LPARAM v) { return FromValue(static_cast<std::uint64_t>(v)); }

private:
    std::uint64_t m_value = 0;
};

using HWND = OpaqueHandle<struct HwndTag>;
using HANDLE = OpaqueHandle<struct KernelHandleTag>;
using HMODULE = OpaqueHandle<struct ModuleHandleTag>;
using HINSTANCE = HMODULE;
using HKEY = OpaqueHandle<struct RegistryKeyTag>;
using HMENU = OpaqueHandle<struct MenuHandleTag>;
// A found resource and its loaded data (ResourceModule.h).
using HRSRC = OpaqueHandle<struct ResourceInfoTag>;
using HGLOBAL = OpaqueHandle<struct GlobalMemoryTag>;

// Kernel-object calls that fail return this, as CreateFile does.
inline constexpr HANDLE INVALID_HANDLE_VALUE = HANDLE::FromValue(~std::uint64_t{0});

template <class Tag>
struct std::hash<OpaqueHandle<Tag>> {
    std::size_t operator()(OpaqueHandle<Tag> h) const noexcept { return std::hash<std::uint64_t>{}(h.Value()); }
};

#define MAX_PATH 260

// Results of waits.
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_ABANDONED = 0x80;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD INFINITE = 0xFFFFFFFF;

// The exit code of a thread or process that still runs.
inline constexpr DWORD STILL_ACTIVE = 259;
