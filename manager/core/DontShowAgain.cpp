#include "manager/core/DontShowAgain.h"

#include "manager/core/SharedText.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Registry.h"

#include <array>

namespace {

constexpr DWORD kMaxValueChars = 128;

}  // namespace

int QueryDontShowAgain(const CString& name)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDontShowAgainKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    std::array<char16_t, kMaxValueChars + 1> buffer{};
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(char16_t));
    DWORD type = REG_NONE;
    const CString valueName = MakeAppValueName(name);
    const LSTATUS status = RegQueryValueExW(key, valueName.GetString(), nullptr, &type,
                                            reinterpret_cast<LPBYTE>(buffer.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return 0;
    buffer.back() = u'\0';
    return CString(buffer.data()).CompareNoCase(u"no") == 0 ? 1 : 0;
}

int SetDontShowAgain(const CString& name)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDontShowAgainKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return 0;
    }
    static constexpr char16_t kNo[] = u"no";
    const CString valueName = MakeAppValueName(name);
    const LSTATUS status = RegSetValueExW(key, valueName.GetString(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo),
                                          static_cast<DWORD>(sizeof(kNo)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 1 : 0;
}

int DeleteDontShowAgain(const CString& name)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDontShowAgainKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return 0;
    const CString valueName = MakeAppValueName(name);
    RegDeleteValueW(key, valueName.GetString());
    RegCloseKey(key);
    return 1;
}

int MessageBoxWithCheck(HWND owner, const CString& text, const CString& caption, UINT type, int defaultResult,
                        const CString& name)
{
    if (QueryDontShowAgain(name)) return defaultResult;
    const CString framed = u"\n" + text + u"\n";
    return MessageBoxW(owner, framed.GetString(), caption.GetString(), type);
}

int MessageBoxDontShowAgain(const CString& name, HWND owner, UINT stringId, UINT type, int defaultResult)
{
    CString text;
    text.LoadString(stringId);
    return MessageBoxWithCheck(owner, text, platform::GetAppTitle(), type, defaultResult, name);
}
