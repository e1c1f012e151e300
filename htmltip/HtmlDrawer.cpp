#include "htmltip/HtmlDrawer.h"

#include "htmltip/DcMarkupCanvas.h"
#include "htmltip/GdiResources.h"
#include "htmltip/LinkOpener.h"
#include "htmltip/WindowServices.h"

#include "platform/core/Paths.h"

using namespace htmltip;

namespace {

// Module names that "srcdll" and the resource module may use: a bare file
// name, or a path into the program's own folder. Anything else could load a
// planted library.
bool IsProgramFolderModule(const CString& fileName)
{
    const CString path = platform::NormalizePath(fileName);
    if (path.IsEmpty()) return false;
    if (path.Find(u'/') < 0) return path != u"." && path != u"..";
    return platform::FolderOf(path) == platform::GetProgramFolder() && !platform::FileNameOf(path).IsEmpty();
}

}  // namespace

CHtmlDrawer::CHtmlDrawer() : m_resources(&GdiResources::Default()), m_windowServices(&WindowServices::Default()) {}

CHtmlDrawer::~CHtmlDrawer()
{
    if (m_ownsModule && m_module) m_resources->FreeModule(m_module);
}

void CHtmlDrawer::SetResources(IHtmlResources* resources)
{
    m_resources = resources ? resources : &GdiResources::Default();
}

SIZE CHtmlDrawer::PrepareOutput(CDC* dc, const CString& text)
{
    if (!dc || !dc->GetSafeHdc()) return SIZE{0, 0};
    DcMarkupCanvas canvas(*dc, m_drawManager, &m_fontCache);
    return PrepareOutput(canvas, text);
}

void CHtmlDrawer::DrawPreparedOutput(CDC* dc, const RECT& rect)
{
    if (!dc || !dc->GetSafeHdc()) return;
    DcMarkupCanvas canvas(*dc, m_drawManager, &m_fontCache);
    DrawPreparedOutput(canvas, rect);
}

SIZE CHtmlDrawer::DrawHtml(CDC* dc, const CString& text, POINT point)
{
    if (!dc || !dc->GetSafeHdc()) return SIZE{0, 0};
    DcMarkupCanvas canvas(*dc, m_drawManager, &m_fontCache);
    return DrawHtml(canvas, text, point);
}

void CHtmlDrawer::SetCssStyles(LPCTSTR styles)
{
    if (!styles) {
        m_styleSheet.SetDefault();
        return;
    }
    m_styleSheet.Parse(CString(styles));
}

void CHtmlDrawer::SetCssStyles(UINT resourceId, LPCTSTR moduleFileName)
{
    CString text;
    if (resourceId != 0) {
        if (moduleFileName && *moduleFileName) {
            const HMODULE module = LoadCheckedModule(moduleFileName, kLoadModuleAsData);
            if (module) {
                text = m_resources->LoadString(module, resourceId);
                m_resources->FreeModule(module);
            }
        } else if (m_module) {
            text = m_resources->LoadString(m_module, resourceId);
        }
    }
    SetCssStyles(text.GetString());
}

std::optional<CString> CHtmlDrawer::GetStyle(LPCTSTR selector) const
{
    if (!selector) return std::nullopt;
    const std::optional<std::u16string> found = m_styleSheet.Find(selector);
    if (!found) return std::nullopt;
    return CString(*found);
}

void CHtmlDrawer::SetStyle(LPCTSTR selector, LPCTSTR declarations)
{
    if (!selector) return;
    m_styleSheet.Set(selector, declarations ? declarations : u"");
}

void CHtmlDrawer::RemoveStyle(LPCTSTR selector)
{
    if (selector) m_styleSheet.Remove(selector);
}

COLORREF CHtmlDrawer::LookupColor(std::u16string_view name, COLORREF fallback) const
{
    return Colors().LookupName(name, fallback);
}

COLORREF CHtmlDrawer::ParseColor(std::u16string_view text, COLORREF fallback) const
{
    return Colors().Value(text, fallback);
}

ColorContext CHtmlDrawer::Colors() const
{
    ColorContext colors;
    colors.vocabulary = &m_vocabulary;
    colors.colorMode = m_colorMode;
    colors.disabledColor = m_disabledColor;
    return colors;
}

void CHtmlDrawer::SetImageShadow(int offsetX, int offsetY, int darkness, BOOL gradient, int blurX, int blurY)
{
    m_shadow.offsetX = offsetX;
    m_shadow.offsetY = offsetY;
    m_shadow.darkness = darkness > 100 ? 100 : darkness;
    m_shadow.gradient = gradient != FALSE;
    m_shadow.blurX = blurX;
    m_shadow.blurY = blurY;
}

void CHtmlDrawer::SetImageList(std::shared_ptr<IMarkupImage> strip, int cx, int cy, int count, COLORREF mask)
{
    (void)count;  // only how much room to reserve; the strip decides how many images there are
    m_imageList = ImageList();
    if (!strip || cx <= 0 || cy <= 0) return;
    const SIZE size = strip->GetSize();
    m_imageList.count = size.cy >= cy ? size.cx / cx : 0;
    if (m_imageList.count <= 0) {
        m_imageList.count = 0;
        return;
    }
    m_imageList.strip = std::move(strip);
    m_imageList.cell = SIZE{cx, cy};
    m_imageList.mask = mask;
}

void CHtmlDrawer::SetImageList(UINT bitmapId, int cx, int cy, int count, COLORREF mask)
{
    SetImageList(m_resources->LoadBitmap(HMODULE(), bitmapId), cx, cy, count, mask);
}

HMODULE CHtmlDrawer::LoadCheckedModule(LPCTSTR fileName, DWORD flags)
{
    if (!fileName || !IsProgramFolderModule(CString(fileName))) return HMODULE();
    return m_resources->LoadModule(CString(fileName), flags);
}

BOOL CHtmlDrawer::SetResourceModule(LPCTSTR moduleFileName, DWORD flags)
{
    SetResourceModule(HMODULE());
    if (!moduleFileName || !*moduleFileName) return FALSE;
    m_module = LoadCheckedModule(moduleFileName, flags);
    m_ownsModule = static_cast<bool>(m_module);
    return m_ownsModule ? TRUE : FALSE;
}

void CHtmlDrawer::SetResourceModule(HMODULE module)
{
    if (m_ownsModule && m_module) m_resources->FreeModule(m_module);
    m_module = module;
    m_ownsModule = false;
}

CString CHtmlDrawer::LoadModuleString(HMODULE module, UINT id)
{
    if (!module) return CString();
    return m_resources->LoadString(module, id);
}

void CHtmlDrawer::SetCallbackRepaint(HWND window, UINT message, LPARAM parameter)
{
    m_repaint = window ? Callback{window, message, parameter} : Callback();
}

void CHtmlDrawer::SetCallbackHyperlink(HWND window, UINT message, LPARAM parameter)
{
    m_hyperlink = window ? Callback{window, message, parameter} : Callback();
}

void CHtmlDrawer::SendCallback(const Callback& callback, WPARAM wParam)
{
    if (!callback.window || callback.message == 0 || !m_windowServices) return;
    m_windowServices->SendMessage(callback.window, callback.message, wParam, callback.parameter);
}

int CHtmlDrawer::HitTest(POINT point) const
{
    for (std::size_t i = 0; i < m_areas.size(); ++i) {
        const RECT& r = m_areas[i].rect;
        if (point.x >= r.left && point.x <= r.right && point.y >= r.top && point.y <= r.bottom) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

BOOL CHtmlDrawer::OnSetCursor(POINT point)
{
    const int index = HitTest(point);
    if (index < 0) {
        if (m_hoveredLink != kNoHoveredLink) {
            m_hoveredLink = kNoHoveredLink;
            SendCallback(m_repaint, static_cast<WPARAM>(static_cast<LPARAM>(kNoHoveredLink)));
        }
        return FALSE;
    }
    // A copy: the owner may repaint inside the callback, which records the areas anew.
    const HyperlinkArea area = m_areas[static_cast<std::size_t>(index)];
    if (m_hoveredLink != area.number) {
        m_hoveredLink = area.number;
        SendCallback(m_repaint, static_cast<WPARAM>(static_cast<LPARAM>(area.number)));
    }
    if (!area.text.IsEmpty() && m_windowServices && m_windowServices->SetHyperlinkCursor()) return TRUE;
    return FALSE;
}

void CHtmlDrawer::OnLButtonDown(POINT point)
{
    const int index = HitTest(point);
    if (index < 0) return;
    const HyperlinkArea area = m_areas[static_cast<std::size_t>(index)];
    if (area.text.IsEmpty()) return;
    if (area.kind == kLinkHref) {
        GoToUrl(area.text, 5);
    } else if (area.kind == kLinkMessage) {
        SendCallback(m_hyperlink, reinterpret_cast<WPARAM>(area.text.GetString()));
    }
}

BOOL CHtmlDrawer::OnTimer()
{
    bool changed = false;
    for (AnimationRecord& animation : m_animations) {
        if (animation.frameCount <= 0) continue;
        if (++animation.tick < animation.ticksPerFrame) continue;
        animation.tick = 0;
        animation.frame = animation.frame + 1 >= animation.frameCount ? 0 : animation.frame + 1;
        changed = true;
    }
    return changed ? TRUE : FALSE;
}

int CHtmlDrawer::GoToUrl(const CString& target, int showCommand)
{
    if (m_windowServices) m_windowServices->ResetHyperlinkCursor();
    IHtmlLinkOpener& opener = m_linkOpener ? *m_linkOpener : XdgLinkOpener::Default();
    return opener.Open(target, showCommand);
}

CString CHtmlDrawer::GetStringLine(UINT resourceId, int line)
{
    if (line < 0) return CString();
    const CString text = m_resources->LoadString(HMODULE(), resourceId);
    int start = 0;
    for (int i = 0; i < line; ++i) {
        start = text.Find(u'\n', start);
        if (start < 0) return CString();
        ++start;
    }
    int end = text.Find(u'\n', start);
    if (end < 0) end = text.GetLength();
    CString result = text.Mid(start, end - start);
    result.TrimRight(u'\r');
    return result;
}
