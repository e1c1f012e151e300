// The per-user store that stands in for the registry: every key and value
// walked and read, then a value set (the store parsed and written again)
// and read back.
#include "fuzz/FuzzSupport.h"
#include "platform/core/Registry.h"

#include <vector>

namespace {

int g_visited = 0;

void Walk(HKEY key, int depth)
{
    if (depth > 6 || ++g_visited > 200) return;
    for (DWORD index = 0;; ++index) {
        char16_t name[300];
        DWORD nameChars = 300;
        DWORD type = 0;
        BYTE value[64];
        DWORD valueSize = sizeof value;
        const LSTATUS status = RegEnumValueW(key, index, name, &nameChars, nullptr, &type, value, &valueSize);
        if (status == ERROR_NO_MORE_ITEMS || index > 200) break;
        if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
            DWORD size = 0;
            if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size < (1u << 20)) {
                std::vector<BYTE> whole(size + 1);
                RegQueryValueExW(key, name, nullptr, &type, whole.data(), &size);
            }
        }
    }
    for (DWORD index = 0;; ++index) {
        char16_t name[300];
        DWORD nameChars = 300;
        const LSTATUS status = RegEnumKeyExW(key, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS || index > 200) break;
        if (status != ERROR_SUCCESS) continue;
        HKEY sub;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            Walk(sub, depth + 1);
            RegCloseKey(sub);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = [] {
        platform::SetRegistryStorePath(CString::FromUtf8(fuzz::ScratchPath("registry.ini")));
        return true;
    }();
    (void)ready;
    fuzz::RemoveScratchFile("registry.ini.bad");
    fuzz::WriteScratchFile("registry.ini", fuzz::AsBytes(data, size));

    g_visited = 0;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) Walk(root, 0);

    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Fuzz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        const DWORD number = 1234;
        if (RegSetValueExW(key, u"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number) ==
            ERROR_SUCCESS) {
            DWORD read = 0;
            DWORD readSize = sizeof read;
            DWORD type = 0;
            if (RegQueryValueExW(key, u"Number", nullptr, &type, reinterpret_cast<BYTE*>(&read), &readSize) !=
                    ERROR_SUCCESS ||
                read != number)
                __builtin_trap();
        }
        RegCloseKey(key);
    }
    return 0;
}
