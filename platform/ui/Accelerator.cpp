#include "platform/ui/Accelerator.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceTemplates.h"
#include "platform/ui/WindowApi.h"

namespace {

struct Table {
    std::vector<ACCEL> entries;
    bool shared = false;
};

struct Tables {
    std::mutex mutex;
    std::map<std::uint32_t, Table> byIndex;
    // Shared tables by their resource bytes, so a swapped resource module
    // never hands out another module's table.
    std::map<std::string, HACCEL> shared;
    std::uint32_t nextIndex = 1;
};

Tables& AllTables()
{
    static Tables* tables = new Tables;  // used until the last window goes
    return *tables;
}

HACCEL AddLocked(Tables& t, std::vector<ACCEL> entries, bool shared)
{
    const std::uint32_t index = t.nextIndex++;
    t.byIndex[index] = Table{std::move(entries), shared};
    return HACCEL::Make(index, 1);
}

bool Copy(HACCEL table, std::vector<ACCEL>& out)
{
    Tables& t = AllTables();
    std::lock_guard lock(t.mutex);
    const auto it = t.byIndex.find(table.Index());
    if (!table || table.Generation() != 1 || it == t.byIndex.end()) return false;
    out = it->second.entries;
    return true;
}

bool Down(int key) { return ::GetKeyState(key) < 0; }

}  // namespace

HACCEL LoadAcceleratorsW(HMODULE module, LPCWSTR name)
{
    const platform::ResourceKey key(name);
    const std::optional<std::string_view> bytes = module ? platform::FindResourceBytes(module, kRtAccelerator, key)
                                                         : platform::FindResourceBytes(kRtAccelerator, key);
    if (!bytes) return {};
    std::string content(*bytes);
    Tables& t = AllTables();
    {
        std::lock_guard lock(t.mutex);
        if (const auto it = t.shared.find(content); it != t.shared.end()) return it->second;
    }
    const std::optional<std::vector<platform::AcceleratorEntry>> parsed = platform::ParseAccelerators(*bytes);
    if (!parsed) return {};
    std::vector<ACCEL> entries;
    entries.reserve(parsed->size());
    for (const platform::AcceleratorEntry& e : *parsed) entries.push_back(ACCEL{e.flags, e.key, e.command});
    std::lock_guard lock(t.mutex);
    if (const auto it = t.shared.find(content); it != t.shared.end()) return it->second;
    const HACCEL handle = AddLocked(t, std::move(entries), true);
    t.shared.emplace(std::move(content), handle);
    return handle;
}

HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count)
{
    if (!entries || count <= 0) return {};
    Tables& t = AllTables();
    std::lock_guard lock(t.mutex);
    return AddLocked(t, std::vector<ACCEL>(entries, entries + count), false);
}

BOOL DestroyAcceleratorTable(HACCEL table)
{
    Tables& t = AllTables();
    std::lock_guard lock(t.mutex);
    const auto it = t.byIndex.find(table.Index());
    if (!table || table.Generation() != 1 || it == t.byIndex.end()) return FALSE;
    // Shared tables stay: other windows hold the same handle.
    if (!it->second.shared) t.byIndex.erase(it);
    return TRUE;
}

int CopyAcceleratorTableW(HACCEL table, ACCEL* destination, int count)
{
    std::vector<ACCEL> entries;
    if (!Copy(table, entries)) return 0;
    if (!destination) return static_cast<int>(entries.size());
    const int n = std::min(count, static_cast<int>(entries.size()));
    for (int i = 0; i < n; ++i) destination[i] = entries[static_cast<std::size_t>(i)];
    return std::max(0, n);
}

int TranslateAcceleratorW(HWND hwnd, HACCEL table, MSG* msg)
{
    if (!msg || !hwnd) return 0;
    const UINT m = msg->message;
    const bool keyDown = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    const bool character = m == WM_CHAR || m == WM_SYSCHAR;
    if (!keyDown && !character) return 0;
    std::vector<ACCEL> entries;
    if (!Copy(table, entries)) return 0;
    const bool shift = Down(VK_SHIFT);
    const bool control = Down(VK_CONTROL);
    const bool alt = Down(VK_MENU) || m == WM_SYSKEYDOWN || m == WM_SYSCHAR;
    for (const ACCEL& a : entries) {
        const bool virtualKey = (a.fVirt & FVIRTKEY) != 0;
        if (virtualKey != keyDown || a.key != static_cast<WORD>(msg->wParam)) continue;
        if (((a.fVirt & FALT) != 0) != alt) continue;
        if (virtualKey && (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != control)) continue;
        ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}
