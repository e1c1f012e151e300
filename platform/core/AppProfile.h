// The application's profile: named settings in sections, kept either under a
// registry key or in an ini file, for the application class to forward its
// GetProfile... and WriteProfile... members to.
#pragma once

#include "platform/core/CString.h"

#include <vector>

namespace platform {

// Where the profile lives: under HKEY_CURRENT_USER\<registryKey>\<section>
// when registryKey is set (for example "Software\Velbrook\Quorvane"), else in
// the ini file iniFile with one ini section per section. With neither, reads
// give the defaults and writes fail.
struct ProfileStore {
    CString registryKey;
    CString iniFile;
};

// The registry form keeps numbers as REG_DWORD, texts as REG_SZ and records as
// REG_BINARY; a value of another type reads as missing. The ini form keeps
// records as two hexadecimal digits per byte.
UINT GetProfileInt(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, int defaultValue);
CString GetProfileString(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue = nullptr);
// False, with data emptied, when the entry is missing or unreadable.
bool GetProfileBinary(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, std::vector<BYTE>& data);

bool WriteProfileInt(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, int value);
// A null value deletes the entry, a null entry the whole section.
bool WriteProfileString(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, LPCWSTR value);
bool WriteProfileBinary(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, const BYTE* data, UINT size);

}  // namespace platform
