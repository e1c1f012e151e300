#include "platform/ui/OwnerDraw.h"

#include "platform/ui/WindowSurface.h"

namespace platform::ui {

QImage DrawOwnerItem(HWND owner, DRAWITEMSTRUCT& item, QSize size, HFONT font)
{
    if (!owner || size.isEmpty()) return QImage();
    const HDC dc = ::CreateCompatibleDC(HDC());
    if (!dc) return QImage();
    // A bitmap like the screen's: one made for the fresh memory DC would be
    // monochrome, and the item's colours would come out black and white.
    const HDC screen = ::GetDC(HWND());
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size.width(), size.height());
    ::ReleaseDC(HWND(), screen);
    QImage image;
    if (bitmap) {
        const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
        const HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : HGDIOBJ();
        RECT all{0, 0, size.width(), size.height()};
        ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_WINDOW));
        item.hDC = dc;
        item.rcItem = all;
        ::SendMessageW(owner, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        if (font) ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldBitmap);
        image = ImageFromBitmap(bitmap);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(dc);
    return image;
}

}  // namespace platform::ui
