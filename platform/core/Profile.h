// Private profile files ("ini" files): sections of key=value lines.
//
// Reading: section and key names match without regard to case; the first
// matching section, and in it the first matching key, wins; blanks around
// names and values are dropped, then one pair of matching double or single
// quotes around a value. Lines beginning with ';' are comments.
//
// Writing changes only the lines it must: comments, blank lines, other keys
// and sections keep their bytes and their order. Every write goes to a
// temporary file that is renamed over the old one, so a failed write leaves
// the old file whole. A missing file is created, a missing folder is not.
//
// Files are 8-bit text in the ANSI code page (UTF-8 when they begin with a
// UTF-8 byte-order mark); lines end in CR LF when written and in LF or CR LF
// when read. Paths may use '\' or '/'. Writers in one process are serialised
// per file. Nothing here throws.
#pragma once

#include "platform/core/CString.h"

#include <utility>
#include <vector>

// Copies the value into out (at most size - 1 characters and a NUL) and
// returns the number of characters copied. The default (trailing blanks
// dropped; null is empty) is copied when the section, key or file is missing.
// A null section lists every section name, a null key every key of the
// section: each name ends with a NUL and the list with a second one; when the
// list is cut the result is size - 2.
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR out, DWORD size,
                               LPCWSTR file);
// The leading integer of the value (blanks, sign, digits; saturating), 0 when
// the value has none, the default when the key is missing or its value empty.
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file);
// Every section name, as GetPrivateProfileStringW with a null section.
DWORD GetPrivateProfileSectionNamesW(LPWSTR out, DWORD size, LPCWSTR file);
// Sets the key to the value. A null value deletes the key, a null key the
// whole section. FALSE when nothing could be stored (the file is then as it
// was) or when a name or value could not be read back as given (a line
// break, '=' or a leading '[' or ';' in a key, ']' in a section name).
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file);

inline DWORD GetPrivateProfileString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR out, DWORD size,
                                     LPCWSTR file)
{
    return GetPrivateProfileStringW(section, key, defaultValue, out, size, file);
}
inline UINT GetPrivateProfileInt(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file)
{
    return GetPrivateProfileIntW(section, key, defaultValue, file);
}
inline DWORD GetPrivateProfileSectionNames(LPWSTR out, DWORD size, LPCWSTR file)
{
    return GetPrivateProfileSectionNamesW(out, size, file);
}
inline BOOL WritePrivateProfileString(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file)
{
    return WritePrivateProfileStringW(section, key, value, file);
}

namespace platform {

// The same operations without buffer limits.
CString ReadPrivateProfileString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPCWSTR file);
int ReadPrivateProfileInt(LPCWSTR section, LPCWSTR key, int defaultValue, LPCWSTR file);
std::vector<CString> PrivateProfileSectionNames(LPCWSTR file);
std::vector<CString> PrivateProfileKeys(LPCWSTR section, LPCWSTR file);
// The keys of a section with their values, read from one load of the file:
// each key once, with the value a read of that key gives.
std::vector<std::pair<CString, CString>> PrivateProfileEntries(LPCWSTR section, LPCWSTR file);
bool WritePrivateProfileInt(LPCWSTR section, LPCWSTR key, int value, LPCWSTR file);

}  // namespace platform
