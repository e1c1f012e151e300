// The registry: keys with typed values, behind the Win32-shaped calls.
//
// The store is one UTF-8 text file per user:
//   $XDG_CONFIG_HOME/Velbrook/registry.ini (else ~/.config/Velbrook/registry.ini),
// one section per key ("[HKEY_CURRENT_USER\Software\...]") and one line per
// value. It lies beside the programs' other settings files so that one folder
// holds everything a user may want to back up or reset. The environment
// variable QV_REGISTRY_FILE, or platform::SetRegistryStorePath, puts it
// elsewhere (tests do).
//
// HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT are separate trees in the same
// per-user file: there is no machine-wide store for a user's programs here,
// and none of them needs one.
//
// Key paths are '\' separated and case-insensitive, as are value names. Every
// change is written to a temporary file that replaces the store, under an
// flock on "<store>.lock" taken with a bounded wait, after reading the store
// anew: programs writing at the same time do not lose each other's values.
// Every read reads the file, so a value written by another program is seen at
// once. Nothing here throws.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinError.h"

using LSTATUS = LONG;
using REGSAM = DWORD;
using PHKEY = HKEY*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;

inline constexpr HKEY HKEY_CLASSES_ROOT = HKEY::FromValue(0x80000000u);
inline constexpr HKEY HKEY_CURRENT_USER = HKEY::FromValue(0x80000001u);
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::FromValue(0x80000002u);

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key (ERROR_FILE_NOT_FOUND when it is missing; *result is
// then null). A null or empty subKey opens key itself again.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
// Opens the key, creating it and every missing key above it.
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                        LPVOID securityAttributes, PHKEY result, LPDWORD disposition);
LSTATUS RegCloseKey(HKEY key);
// A null data buffer asks for the size only; a buffer smaller than the value
// gives ERROR_MORE_DATA with the size needed in *size and copies nothing.
// String values always come back with their terminating NUL. A null or empty
// name is the key's default value.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name);
// Deletes a key that has no sub-keys (ERROR_ACCESS_DENIED when it has some).
LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey);
// Deletes the key and everything below it; a null subKey empties key itself.
LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey);
// The value or sub-key at index (values in the order they were first set,
// sub-keys by name); ERROR_NO_MORE_ITEMS past the last. *nameChars holds the
// buffer's size in characters and receives the name's length.
LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD size);
LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR keyClass,
                      LPDWORD classChars, LPVOID lastWriteTime);

inline LSTATUS RegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    return RegOpenKeyExW(key, subKey, options, access, result);
}
inline LSTATUS RegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                              REGSAM access, LPVOID securityAttributes, PHKEY result, LPDWORD disposition)
{
    return RegCreateKeyExW(key, subKey, reserved, keyClass, options, access, securityAttributes, result, disposition);
}
inline LSTATUS RegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    return RegQueryValueExW(key, name, reserved, type, data, size);
}
inline LSTATUS RegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    return RegSetValueExW(key, name, reserved, type, data, size);
}
inline LSTATUS RegDeleteValue(HKEY key, LPCWSTR name) { return RegDeleteValueW(key, name); }
inline LSTATUS RegDeleteKey(HKEY key, LPCWSTR subKey) { return RegDeleteKeyW(key, subKey); }

namespace platform {

// The store file in use.
CString GetRegistryStorePath();
// Uses another store file; an empty path goes back to the default.
void SetRegistryStorePath(const CString& path);

}  // namespace platform
