// Buttons: push (and default), check boxes (two and three states, automatic
// or not), radio buttons (automatic ones keep their WS_GROUP group to one
// checked), group boxes and owner-drawn buttons (drawn by DrawItem through
// WM_DRAWITEM). Notifications: BN_CLICKED, BN_DOUBLECLICKED (with BS_NOTIFY,
// radio and owner-drawn buttons), BN_SETFOCUS and BN_KILLFOCUS (BS_NOTIFY).
#pragma once

#include "platform/ui/WindowApi.h"

// Button styles.
inline constexpr DWORD BS_PUSHBUTTON = 0x0;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
inline constexpr DWORD BS_CHECKBOX = 0x2;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x3;
inline constexpr DWORD BS_RADIOBUTTON = 0x4;
inline constexpr DWORD BS_3STATE = 0x5;
inline constexpr DWORD BS_AUTO3STATE = 0x6;
inline constexpr DWORD BS_GROUPBOX = 0x7;
inline constexpr DWORD BS_USERBUTTON = 0x8;
inline constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
inline constexpr DWORD BS_PUSHBOX = 0xA;
inline constexpr DWORD BS_OWNERDRAW = 0xB;
inline constexpr DWORD BS_TYPEMASK = 0xF;
inline constexpr DWORD BS_LEFTTEXT = 0x20;
inline constexpr DWORD BS_RIGHTBUTTON = BS_LEFTTEXT;
inline constexpr DWORD BS_TEXT = 0x0;
inline constexpr DWORD BS_ICON = 0x40;
inline constexpr DWORD BS_BITMAP = 0x80;
inline constexpr DWORD BS_LEFT = 0x100;
inline constexpr DWORD BS_RIGHT = 0x200;
inline constexpr DWORD BS_CENTER = 0x300;
inline constexpr DWORD BS_TOP = 0x400;
inline constexpr DWORD BS_BOTTOM = 0x800;
inline constexpr DWORD BS_VCENTER = 0xC00;
inline constexpr DWORD BS_PUSHLIKE = 0x1000;
inline constexpr DWORD BS_MULTILINE = 0x2000;
inline constexpr DWORD BS_NOTIFY = 0x4000;
inline constexpr DWORD BS_FLAT = 0x8000;

// Messages.
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT BM_GETSTATE = 0x00F2;
inline constexpr UINT BM_SETSTATE = 0x00F3;
inline constexpr UINT BM_SETSTYLE = 0x00F4;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr UINT BM_GETIMAGE = 0x00F6;
inline constexpr UINT BM_SETIMAGE = 0x00F7;

// Check and push states.
inline constexpr UINT BST_UNCHECKED = 0x0;
inline constexpr UINT BST_CHECKED = 0x1;
inline constexpr UINT BST_INDETERMINATE = 0x2;
inline constexpr UINT BST_PUSHED = 0x4;
inline constexpr UINT BST_FOCUS = 0x8;

// Notifications (WM_COMMAND).
inline constexpr WORD BN_CLICKED = 0;
inline constexpr WORD BN_PAINT = 1;
inline constexpr WORD BN_HILITE = 2;
inline constexpr WORD BN_UNHILITE = 3;
inline constexpr WORD BN_DISABLE = 4;
inline constexpr WORD BN_DOUBLECLICKED = 5;
inline constexpr WORD BN_PUSHED = BN_HILITE;
inline constexpr WORD BN_UNPUSHED = BN_UNHILITE;
inline constexpr WORD BN_DBLCLK = BN_DOUBLECLICKED;
inline constexpr WORD BN_SETFOCUS = 6;
inline constexpr WORD BN_KILLFOCUS = 7;

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)

// Control classes add no data of their own: a CWnd* of a dialog's control
// may be used as any of them, as programs do with GetDlgItem.
class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)

public:
    CButton() = default;

    BOOL Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, bHighlight ? TRUE : FALSE); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, nStyle, bRedraw ? TRUE : FALSE); }
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;
    HBITMAP SetBitmap(HBITMAP hBitmap);
    HBITMAP GetBitmap() const;
    void Click() { SendMessage(BM_CLICK); }

    // Owner-drawn buttons (BS_OWNERDRAW) draw themselves here.
    virtual void DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
