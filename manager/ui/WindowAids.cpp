#include "manager/ui/WindowAids.h"

#include "platform/ui/DC.h"
#include "platform/ui/Edit.h"
#include "platform/ui/GdiObject.h"

#include <algorithm>

namespace {

struct Cache {
    COLORREF face = RGB(240, 240, 240);
    LOGFONT font{};
    HBRUSH brush = nullptr;
    bool cached = false;
};

Cache& TheCache()
{
    static Cache cache;
    return cache;
}

}  // namespace

bool CacheSystemColors()
{
    Cache& cache = TheCache();
    cache.face = ::GetSysColor(COLOR_BTNFACE);
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONT), &cache.font);
    if (cache.brush) ::DeleteObject(cache.brush);
    cache.brush = ::CreateSolidBrush(cache.face);
    cache.cached = true;
    return true;
}

COLORREF CachedButtonFaceColor()
{
    if (!TheCache().cached) CacheSystemColors();
    return TheCache().face;
}

HBRUSH CommonBackgroundBrush()
{
    if (!TheCache().cached) CacheSystemColors();
    return TheCache().brush;
}

const LOGFONT& CachedDefaultFont()
{
    if (!TheCache().cached) CacheSystemColors();
    return TheCache().font;
}

void DrawPaneFrame(CDC& dc, const RECT& rect)
{
    dc.Draw3dRect(&rect, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
}

void AdjustEditFormatRect(CEdit& edit)
{
    CRect client;
    edit.GetClientRect(&client);
    CRect format(client);
    format.left += 2;
    format.right -= 2;
    // A single-line field already centres its line; a margin above and below
    // would only take height from the text.
    if (edit.GetStyle() & ES_MULTILINE) {
        CClientDC dc(&edit);
        CFont* font = edit.GetFont();
        CFont* old = font ? dc.SelectObject(font) : nullptr;
        TEXTMETRICW metrics{};
        dc.GetTextMetrics(&metrics);
        if (old) dc.SelectObject(old);
        const int textHeight = metrics.tmHeight;
        format.top = std::max(0, (client.Height() - textHeight + 1) / 2);
        format.bottom = std::min(client.bottom, format.top + textHeight);
    }
    edit.SetRectNP(&format);
}

void SetEditFormatRect(CEdit& edit, int margin)
{
    CRect client;
    edit.GetClientRect(&client);
    client.DeflateRect(margin, margin);
    edit.SetRectNP(&client);
}
