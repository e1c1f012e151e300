#include "platform/ui/Menu.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceTemplates.h"
#include "platform/ui/StandardDialogs.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct MenuItem {
    UINT flags = 0;  // MF_ state and type bits, MF_POPUP when submenu is set
    UINT id = 0;
    CString text;
    HMENU submenu;
};

struct MenuData {
    std::vector<MenuItem> items;
};

struct MenuTable {
    std::mutex mutex;
    std::map<std::uint64_t, MenuData> menus;
    std::uint32_t nextIndex = 1;
    std::uint32_t generation = 1;
    std::map<HWND, HMENU> systemMenus;
};

MenuTable& Table()
{
    static auto* table = new MenuTable;
    return *table;
}

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT;
constexpr UINT kTypeBits = MF_SEPARATOR | MF_POPUP | MF_MENUBARBREAK | MF_MENUBREAK | MF_HELP | MF_BITMAP |
                           MF_OWNERDRAW | MFT_RADIOCHECK;
constexpr int kMaxDepth = 16;

HMENU NewMenuLocked(MenuTable& t)
{
    const HMENU h = HMENU::Make(t.nextIndex++, t.generation);
    t.menus[h.Value()];
    return h;
}

MenuData* Lookup(MenuTable& t, HMENU menu)
{
    const auto it = t.menus.find(menu.Value());
    return it == t.menus.end() ? nullptr : &it->second;
}

void DestroyLocked(MenuTable& t, HMENU menu, int depth)
{
    MenuData* data = Lookup(t, menu);
    if (!data || depth > kMaxDepth) return;
    std::vector<HMENU> subs;
    for (const MenuItem& item : data->items)
        if (item.submenu) subs.push_back(item.submenu);
    t.menus.erase(menu.Value());
    for (HMENU sub : subs) DestroyLocked(t, sub, depth + 1);
}

// The item by command (searching popups too) or by position; the menu that
// holds it goes to *owner.
MenuItem* FindItem(MenuTable& t, HMENU menu, UINT item, UINT flags, MenuData** owner, int depth = 0)
{
    MenuData* data = Lookup(t, menu);
    if (!data || depth > kMaxDepth) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= data->items.size()) return nullptr;
        if (owner) *owner = data;
        return &data->items[item];
    }
    for (MenuItem& i : data->items) {
        if (!i.submenu && !(i.flags & MF_SEPARATOR) && i.id == item) {
            if (owner) *owner = data;
            return &i;
        }
    }
    for (MenuItem& i : data->items) {
        if (i.submenu) {
            if (MenuItem* found = FindItem(t, i.submenu, item, flags, owner, depth + 1)) return found;
        }
    }
    return nullptr;
}

MenuItem MakeItem(UINT flags, UINT_PTR idOrPopup, LPCWSTR text)
{
    MenuItem item;
    item.flags = flags & (kStateBits | kTypeBits);
    if (flags & MF_POPUP) {
        item.submenu = HMENU::FromValue(idOrPopup);
    } else {
        item.id = static_cast<UINT>(idOrPopup);
    }
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text) item.text = text;
    return item;
}

HMENU BuildFromTemplate(MenuTable& t, const std::vector<platform::MenuItemTemplate>& items, int depth)
{
    const HMENU menu = NewMenuLocked(t);
    for (const platform::MenuItemTemplate& tmpl : items) {
        MenuItem item;
        item.flags = tmpl.flags & (kStateBits | kTypeBits);
        item.id = tmpl.id;
        item.text = CString(tmpl.text.c_str(), static_cast<int>(tmpl.text.size()));
        if (tmpl.flags & platform::kMenuPopup) {
            item.submenu = depth < kMaxDepth ? BuildFromTemplate(t, tmpl.children, depth + 1) : HMENU();
            item.flags |= MF_POPUP;
        }
        Lookup(t, menu)->items.push_back(item);
    }
    return menu;
}

HMENU StandardSystemMenu(MenuTable& t)
{
    const HMENU menu = NewMenuLocked(t);
    MenuData* data = Lookup(t, menu);
    auto add = [data](UINT id, const char16_t* text) {
        MenuItem item;
        item.id = id;
        item.text = text;
        data->items.push_back(item);
    };
    add(SC_RESTORE, u"&Restore");
    add(SC_MOVE, u"&Move");
    add(SC_SIZE, u"&Size");
    add(SC_MINIMIZE, u"Mi&nimize");
    add(SC_MAXIMIZE, u"Ma&ximize");
    MenuItem separator;
    separator.flags = MF_SEPARATOR;
    data->items.push_back(separator);
    add(SC_CLOSE, u"&Close\tAlt+F4");
    return menu;
}

}  // namespace

HMENU CreateMenu()
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    return NewMenuLocked(t);
}

HMENU CreatePopupMenu() { return CreateMenu(); }

BOOL DestroyMenu(HMENU menu)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    if (!Lookup(t, menu)) return FALSE;
    DestroyLocked(t, menu, 0);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    return Lookup(t, menu) ? TRUE : FALSE;
}

HMENU LoadMenuW(HMODULE module, LPCWSTR name)
{
    const platform::ResourceKey key(name);
    const std::optional<std::string_view> bytes = module ? platform::FindResourceBytes(module, kRtMenu, key)
                                                         : platform::FindResourceBytes(kRtMenu, key);
    if (!bytes) return {};
    const std::optional<platform::MenuTemplate> tmpl = platform::ParseMenu(*bytes);
    if (!tmpl) return {};
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    return BuildFromTemplate(t, tmpl->items, 0);
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuData* data = Lookup(t, menu);
    if (!data) return FALSE;
    data->items.push_back(MakeItem(flags, idOrPopup, text));
    return TRUE;
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR text)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuData* data = Lookup(t, menu);
    if (!data) return FALSE;
    std::size_t at = data->items.size();
    if (flags & MF_BYPOSITION) {
        if (position != 0xFFFFFFFF) at = std::min<std::size_t>(position, data->items.size());
    } else {
        MenuData* owner = nullptr;
        MenuItem* before = FindItem(t, menu, position, flags, &owner);
        if (before && owner == data) at = static_cast<std::size_t>(before - data->items.data());
    }
    data->items.insert(data->items.begin() + static_cast<std::ptrdiff_t>(at), MakeItem(flags, idOrPopup, text));
    return TRUE;
}

BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR text)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuItem* item = FindItem(t, menu, position, flags, nullptr);
    if (!item) return FALSE;
    *item = MakeItem(flags, idOrPopup, text);
    return TRUE;
}

namespace {

BOOL Remove(HMENU menu, UINT position, UINT flags, bool destroy)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuData* owner = nullptr;
    MenuItem* item = FindItem(t, menu, position, flags, &owner);
    if (!item || !owner) return FALSE;
    const HMENU sub = item->submenu;
    owner->items.erase(owner->items.begin() + (item - owner->items.data()));
    if (destroy && sub) DestroyLocked(t, sub, 0);
    return TRUE;
}

}  // namespace

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, true); }
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, false); }

UINT EnableMenuItem(HMENU menu, UINT item, UINT flags)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuItem* i = FindItem(t, menu, item, flags, nullptr);
    if (!i) return static_cast<UINT>(-1);
    const UINT previous = i->flags & (MF_GRAYED | MF_DISABLED);
    i->flags = (i->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuItem* i = FindItem(t, menu, item, flags, nullptr);
    if (!i) return static_cast<DWORD>(-1);
    const DWORD previous = i->flags & MF_CHECKED;
    i->flags = (i->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuData* data = Lookup(t, menu);
    if (!data) return FALSE;
    bool found = false;
    for (std::size_t pos = 0; pos < data->items.size(); ++pos) {
        MenuItem& i = data->items[pos];
        const UINT key = (flags & MF_BYPOSITION) ? static_cast<UINT>(pos) : i.id;
        if (i.submenu || key < first || key > last) continue;
        if (key == check) {
            i.flags |= MF_CHECKED | MFT_RADIOCHECK;
            found = true;
        } else {
            i.flags &= ~MF_CHECKED;
        }
    }
    return found ? TRUE : FALSE;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuItem* i = FindItem(t, menu, item, flags, nullptr);
    if (!i) return static_cast<UINT>(-1);
    if (i->submenu) {
        const MenuData* sub = Lookup(t, i->submenu);
        const UINT count = sub ? static_cast<UINT>(sub->items.size()) : 0;
        return (count << 8) | (i->flags & 0xFF) | MF_POPUP;
    }
    return i->flags;
}

int GetMenuItemCount(HMENU menu)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    const MenuData* data = Lookup(t, menu);
    return data ? static_cast<int>(data->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    const MenuData* data = Lookup(t, menu);
    if (!data || position < 0 || static_cast<std::size_t>(position) >= data->items.size()) return static_cast<UINT>(-1);
    const MenuItem& item = data->items[static_cast<std::size_t>(position)];
    if (item.submenu) return static_cast<UINT>(-1);
    return (item.flags & MF_SEPARATOR) ? 0 : item.id;
}

HMENU GetSubMenu(HMENU menu, int position)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    const MenuData* data = Lookup(t, menu);
    if (!data || position < 0 || static_cast<std::size_t>(position) >= data->items.size()) return {};
    return data->items[static_cast<std::size_t>(position)].submenu;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int maxCount, UINT flags)
{
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    const MenuItem* i = FindItem(t, menu, item, flags, nullptr);
    if (!i) return 0;
    const int length = i->text.GetLength();
    if (!buffer || maxCount <= 0) return length;
    const int n = std::min(length, maxCount - 1);
    std::memcpy(buffer, i->text.GetString(), static_cast<std::size_t>(n) * sizeof(char16_t));
    buffer[n] = 0;
    return n;
}

HMENU GetSystemMenu(HWND hWnd, BOOL revert)
{
    if (!::IsWindow(hWnd)) return {};
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    // Forget menus of windows that are gone.
    for (auto it = t.systemMenus.begin(); it != t.systemMenus.end();) {
        if (!::IsWindow(it->first)) {
            DestroyLocked(t, it->second, 0);
            it = t.systemMenus.erase(it);
        } else {
            ++it;
        }
    }
    auto it = t.systemMenus.find(hWnd);
    if (revert) {
        if (it != t.systemMenus.end()) {
            DestroyLocked(t, it->second, 0);
            t.systemMenus.erase(it);
        }
        return {};
    }
    if (it != t.systemMenus.end()) return it->second;
    const HMENU menu = StandardSystemMenu(t);
    t.systemMenus[hWnd] = menu;
    return menu;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    if (!::IsMenu(menu)) return FALSE;
    if (owner && !(flags & TPM_NONOTIFY)) ::SendMessageW(owner, WM_INITMENUPOPUP, menu.ToWParam(), 0);
    platform::PopupMenuRequest request;
    request.owner = owner;
    request.menu = menu;
    request.at = POINT{x, y};
    request.flags = flags;
    const UINT command = platform::ShowPopupMenu(request);
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(command);
    if (command && owner) ::PostMessageW(owner, WM_COMMAND, command, 0);
    return TRUE;
}

// ---------------------------------------------------------------- CMenu

CMenu::~CMenu() { DestroyMenu(); }

CMenu* CMenu::FromHandle(HMENU menu)
{
    if (!menu) return nullptr;
    struct Cache {
        std::map<std::uint64_t, std::unique_ptr<CMenu>> map;
        ~Cache()
        {
            for (auto& entry : map) entry.second->Detach();
        }
    };
    thread_local Cache cache;
    auto& slot = cache.map[menu.Value()];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = menu;
    }
    return slot.get();
}

CMenu* CMenu::SystemMenuOf(HWND hWnd, bool create)
{
    if (!create) {
        MenuTable& t = Table();
        std::lock_guard lock(t.mutex);
        const auto it = t.systemMenus.find(hWnd);
        if (it == t.systemMenus.end()) return nullptr;
        return FromHandle(it->second);
    }
    return FromHandle(::GetSystemMenu(hWnd, FALSE));
}

BOOL CMenu::Attach(HMENU menu)
{
    if (m_hMenu || !menu) return FALSE;
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    const HMENU h = m_hMenu;
    m_hMenu = HMENU();
    return h;
}

BOOL CMenu::CreateMenu() { return Attach(::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
BOOL CMenu::LoadMenu(UINT nIDResource) { return Attach(::LoadMenuW(HMODULE(), MAKEINTRESOURCEW(nIDResource))); }
BOOL CMenu::LoadMenu(LPCTSTR lpszResourceName) { return Attach(::LoadMenuW(HMODULE(), lpszResourceName)); }

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu) return FALSE;
    return ::DestroyMenu(Detach());
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    return ::InsertMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    return ::ModifyMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable); }
UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }

BOOL CMenu::CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags)
{
    return ::CheckMenuRadioItem(m_hMenu, nIDFirst, nIDLast, nIDItem, nFlags);
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
int CMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
UINT CMenu::GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    const int length = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
    std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
    const int n = ::GetMenuStringW(m_hMenu, nIDItem, buffer.data(), length + 1, nFlags);
    rString = CString(buffer.c_str(), n);
    return n;
}

CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* lpRect)
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->GetSafeHwnd() : HWND(), lpRect);
}

namespace platform {

// The items of a menu for the standard services (snapshot under the lock).
std::vector<PopupMenuItem> MenuItemsOf(HMENU menu)
{
    std::vector<PopupMenuItem> out;
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    MenuData* data = Lookup(t, menu);
    if (!data) return out;
    for (const MenuItem& item : data->items) {
        PopupMenuItem p;
        p.id = item.id;
        p.flags = item.flags;
        p.text = item.text;
        p.submenu = item.submenu;
        out.push_back(p);
    }
    return out;
}

}  // namespace platform
