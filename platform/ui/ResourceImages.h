// Icons, bitmaps and cursors of resource modules (ICON, BITMAP and CURSOR
// statements: SVG pictures rasterised at the size asked, or BMP, ICO and CUR
// files), the system's standard icons and cursors, and the current cursor.
#pragma once

#include "platform/ui/WindowApi.h"

using HCURSOR = OpaqueHandle<struct CursorTag>;

inline constexpr UINT IMAGE_CURSOR = 2;

// The system's images: ids of a null instance.
#define IDI_APPLICATION MAKEINTRESOURCEW(32512)
#define IDI_HAND MAKEINTRESOURCEW(32513)
#define IDI_QUESTION MAKEINTRESOURCEW(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEW(32515)
#define IDI_ASTERISK MAKEINTRESOURCEW(32516)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_UPARROW MAKEINTRESOURCEW(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEW(32642)
#define IDC_SIZENESW MAKEINTRESOURCEW(32643)
#define IDC_SIZEWE MAKEINTRESOURCEW(32644)
#define IDC_SIZENS MAKEINTRESOURCEW(32645)
#define IDC_SIZEALL MAKEINTRESOURCEW(32646)
#define IDC_NO MAKEINTRESOURCEW(32648)
#define IDC_HAND MAKEINTRESOURCEW(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEW(32650)
#define IDC_HELP MAKEINTRESOURCEW(32651)

// What LoadImage gives: the handle of the kind asked for; it converts to
// that handle type (null when nothing was loaded).
class ImageHandle {
public:
    ImageHandle() = default;
    explicit ImageHandle(std::uint64_t value) : m_value(value) {}
    std::uint64_t Value() const { return m_value; }
    explicit operator bool() const { return m_value != 0; }
    operator HICON() const { return HICON::FromValue(m_value); }
    operator HBITMAP() const { return HBITMAP(HGDIOBJ::FromValue(m_value)); }
    operator HCURSOR() const { return HCURSOR::FromValue(m_value); }

private:
    std::uint64_t m_value = 0;
};

// A null instance means the current resource module, except for the
// system's ids (IDI_, IDC_). cx and cy 0: the picture's own size for
// bitmaps, the system size for icons (LR_DEFAULTSIZE as well). LR_SHARED
// gives one handle per image and size, never to be destroyed by the caller;
// LR_LOADFROMFILE loads a file. Null on anything missing or malformed.
ImageHandle LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
BOOL DestroyCursor(HCURSOR cursor);
// The cursor over the windows of the program; the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

inline ImageHandle LoadImage(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags)
{
    return LoadImageW(instance, name, type, cx, cy, flags);
}
inline HICON LoadIcon(HINSTANCE instance, LPCWSTR name) { return LoadIconW(instance, name); }
inline HBITMAP LoadBitmap(HINSTANCE instance, LPCWSTR name) { return LoadBitmapW(instance, name); }
inline HCURSOR LoadCursor(HINSTANCE instance, LPCWSTR name) { return LoadCursorW(instance, name); }
