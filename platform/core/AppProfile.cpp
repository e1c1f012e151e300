#include "platform/core/AppProfile.h"

#include "platform/core/Profile.h"
#include "platform/core/Registry.h"

namespace platform {

namespace {

bool UsesRegistry(const ProfileStore& store) { return !store.registryKey.IsEmpty(); }
bool UsesIni(const ProfileStore& store) { return store.registryKey.IsEmpty() && !store.iniFile.IsEmpty(); }

CString SectionKey(const ProfileStore& store, LPCWSTR section) { return store.registryKey + u"\\" + section; }

// Reads one value of the section's key; false when the key or value is missing.
bool QueryValue(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, DWORD& type, std::vector<BYTE>& data)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(store, section), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.resize(size);
        status = RegQueryValueExW(key, entry, nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool SetValue(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, DWORD type, const BYTE* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(store, section), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status = RegSetValueExW(key, entry, 0, type, data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

}  // namespace

UINT GetProfileInt(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, int defaultValue)
{
    if (!section || !entry) return static_cast<UINT>(defaultValue);
    if (UsesIni(store)) return GetPrivateProfileIntW(section, entry, defaultValue, store.iniFile);
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!UsesRegistry(store) || !QueryValue(store, section, entry, type, data) || type != REG_DWORD ||
        data.size() != 4) {
        return static_cast<UINT>(defaultValue);
    }
    return static_cast<UINT>(data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<UINT>(data[3]) << 24));
}

CString GetProfileString(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue)
{
    const CString fallback(defaultValue);
    if (!section || !entry) return fallback;
    if (UsesIni(store)) return ReadPrivateProfileString(section, entry, defaultValue, store.iniFile);
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!UsesRegistry(store) || !QueryValue(store, section, entry, type, data) ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return fallback;
    }
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return CString(std::move(text));
}

bool GetProfileBinary(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, std::vector<BYTE>& data)
{
    data.clear();
    if (!section || !entry) return false;
    if (UsesIni(store)) {
        // A marker default tells a missing entry from an empty record.
        const CString text = ReadPrivateProfileString(section, entry, u"\x01", store.iniFile);
        if (text == u"\x01" || text.GetLength() % 2 != 0) return false;
        for (int i = 0; i < text.GetLength(); i += 2) {
            const int hi = HexValue(text[i]);
            const int lo = HexValue(text[i + 1]);
            if (hi < 0 || lo < 0) {
                data.clear();
                return false;
            }
            data.push_back(static_cast<BYTE>(hi * 16 + lo));
        }
        return true;
    }
    DWORD type = 0;
    if (!UsesRegistry(store) || !QueryValue(store, section, entry, type, data) || type != REG_BINARY) {
        data.clear();
        return false;
    }
    return true;
}

bool WriteProfileInt(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, int value)
{
    if (!section || !entry) return false;
    if (UsesIni(store)) return WritePrivateProfileInt(section, entry, value, store.iniFile);
    if (!UsesRegistry(store)) return false;
    const DWORD v = static_cast<DWORD>(value);
    const BYTE bytes[4] = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                           static_cast<BYTE>(v >> 24)};
    return SetValue(store, section, entry, REG_DWORD, bytes, 4);
}

bool WriteProfileString(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, LPCWSTR value)
{
    if (!section) return false;
    if (UsesIni(store)) return WritePrivateProfileStringW(section, entry, value, store.iniFile) != FALSE;
    if (!UsesRegistry(store)) return false;
    if (!entry) {
        const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, SectionKey(store, section));
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    if (!value) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(store, section), 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
            return true;  // nothing to delete
        }
        const LSTATUS status = RegDeleteValueW(key, entry);
        RegCloseKey(key);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    const std::u16string_view text(value);
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() * 2 + 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return SetValue(store, section, entry, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool WriteProfileBinary(const ProfileStore& store, LPCWSTR section, LPCWSTR entry, const BYTE* data, UINT size)
{
    if (!section || !entry || (!data && size)) return false;
    if (UsesIni(store)) {
        static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        std::u16string text;
        text.reserve(size * 2);
        for (UINT i = 0; i < size; ++i) {
            text.push_back(kDigits[data[i] >> 4]);
            text.push_back(kDigits[data[i] & 0xF]);
        }
        return WritePrivateProfileStringW(section, entry, text.c_str(), store.iniFile) != FALSE;
    }
    if (!UsesRegistry(store)) return false;
    return SetValue(store, section, entry, REG_BINARY, data, size);
}

}  // namespace platform
