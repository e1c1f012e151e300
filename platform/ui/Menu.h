// Menus: handles to trees of items (from MENU resources or built by code),
// the class library's CMenu, the system menu of a window, and popup menus
// shown with TrackPopupMenu. Menu bars of frame windows are not here.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/WindowApi.h"

// Flags of the menu calls.
inline constexpr UINT MF_INSERT = 0x0000;
inline constexpr UINT MF_CHANGE = 0x0080;
inline constexpr UINT MF_APPEND = 0x0100;
inline constexpr UINT MF_DELETE = 0x0200;
inline constexpr UINT MF_REMOVE = 0x1000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BITMAP = 0x0004;
inline constexpr UINT MF_OWNERDRAW = 0x0100;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_MENUBARBREAK = 0x0020;
inline constexpr UINT MF_MENUBREAK = 0x0040;
inline constexpr UINT MF_HILITE = 0x0080;
inline constexpr UINT MF_DEFAULT = 0x1000;
inline constexpr UINT MF_HELP = 0x4000;
inline constexpr UINT MFT_RADIOCHECK = 0x0200;

inline constexpr UINT TPM_LEFTBUTTON = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_TOPALIGN = 0x0000;
inline constexpr UINT TPM_VCENTERALIGN = 0x0010;
inline constexpr UINT TPM_BOTTOMALIGN = 0x0020;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

// ---- Plain calls. Menus may be used from any thread; one lock guards them.
HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// A copy of a MENU resource of the current resource module (or of module).
HMENU LoadMenuW(HMODULE module, LPCWSTR name);
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
// DeleteMenu destroys a popup it removes; RemoveMenu leaves it alive.
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
// The previous state (MF_GRAYED, MF_DISABLED), or -1 without such an item.
UINT EnableMenuItem(HMENU menu, UINT item, UINT flags);
// The previous state (MF_CHECKED), or -1 without such an item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int maxCount, UINT flags);
// Shows a popup menu at a screen point and runs it: with TPM_RETURNCMD the
// chosen command (0 for none), else TRUE and the command is posted to the
// owner as WM_COMMAND. The scripting hook of the standard services answers
// in tests (StandardDialogs.h).
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
// The window's system menu (Restore, Move, Size, Minimize, Maximize,
// Close); revert puts back the standard one and gives null.
HMENU GetSystemMenu(HWND hWnd, BOOL revert);

inline HMENU LoadMenu(HMODULE module, LPCWSTR name) { return LoadMenuW(module, name); }
inline BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text) { return AppendMenuW(menu, flags, id, text); }

class CMenu {
public:
    CMenu() = default;
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }
    // A wrapper of a menu the caller does not own (one per menu and thread).
    static CMenu* FromHandle(HMENU menu);
    // The system menu of a window, or null (created when create is set).
    static CMenu* SystemMenuOf(HWND hWnd, bool create);

    BOOL Attach(HMENU menu);
    HMENU Detach();
    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenu(UINT nIDResource);
    BOOL LoadMenu(LPCTSTR lpszResourceName);
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags);
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    CMenu* GetSubMenu(int nPos) const;
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* lpRect = nullptr);
};
