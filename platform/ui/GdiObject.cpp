#include "platform/ui/GdiObject.h"

#include "platform/ui/DC.h"
#include "platform/ui/TemporaryWrapper.h"

namespace {

template <class T>
T* Wrap(HGDIOBJ handle)
{
    return platform::gdi::TemporaryWrapper<T>(handle, [](std::uint64_t v) {
        return ::GetObjectType(HGDIOBJ::FromValue(v)) != 0;
    });
}

}  // namespace

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) { return Wrap<CGdiObject>(object); }
CPen* CPen::FromHandle(HPEN pen) { return Wrap<CPen>(pen); }
CBrush* CBrush::FromHandle(HBRUSH brush) { return Wrap<CBrush>(brush); }
CFont* CFont::FromHandle(HFONT font) { return Wrap<CFont>(font); }
CBitmap* CBitmap::FromHandle(HBITMAP bitmap) { return Wrap<CBitmap>(bitmap); }
CRgn* CRgn::FromHandle(HRGN region) { return Wrap<CRgn>(region); }

BOOL CBrush::CreatePatternBrush(CBitmap* pattern)
{
    return pattern ? Attach(::CreatePatternBrush(*pattern)) : FALSE;
}

BOOL CFont::CreatePointFont(int pointSize, LPCTSTR face, CDC* dc)
{
    LOGFONT lf;
    lf.lfHeight = pointSize;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (face) {
        for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
    }
    return CreatePointFontIndirect(&lf, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONT* font, CDC*)
{
    if (!font) return FALSE;
    LOGFONT lf = *font;
    // Tenths of a point to pixels at 96 dots per inch, as a character height.
    lf.lfHeight = -std::abs(MulDiv(96, font->lfHeight, 720));
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return dc ? Attach(::CreateCompatibleBitmap(*dc, width, height)) : FALSE;
}
