#include "tools/FlatIconButton.h"

#include "platform/ui/Menu.h"
#include "platform/ui/Shell.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::size_t kMaxUrlChars = 260;
constexpr int kMaxTooltipWidth = 400;

// The icon's image as 32-bit pixels, top row first; empty when unreadable.
std::vector<DWORD> ReadPixels(HBITMAP bitmap, int width, int height)
{
    std::vector<DWORD> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC screen = ::GetDC(HWND());
    const int lines = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(HWND(), screen);
    if (lines != height) pixels.clear();
    return pixels;
}

HBITMAP MakeBitmap(const std::vector<DWORD>& pixels, int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(HDC(), &info, DIB_RGB_COLORS, &bits, HANDLE(), 0);
    if (!bitmap || !bits) return HBITMAP();
    std::copy(pixels.begin(), pixels.end(), static_cast<DWORD*>(bits));
    return bitmap;
}

// Pixels are blue, green, red, alpha from the low byte; COLORREF is red first.
COLORREF PixelToColor(DWORD pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }
DWORD ColorToPixel(COLORREF color, DWORD pixel)
{
    return (pixel & 0xFF000000u) | (static_cast<DWORD>(GetRValue(color)) << 16) |
           (static_cast<DWORD>(GetGValue(color)) << 8) | GetBValue(color);
}

// A copy of the icon with every pixel passed through the rule; null when the
// icon cannot be read.
HICON DerivedIcon(HICON icon, COLORREF (*rule)(COLORREF))
{
    ICONINFO info;
    if (!::GetIconInfo(icon, &info)) return HICON();
    HICON derived;
    BITMAP bm;
    if (info.hbmColor && ::GetObject(info.hbmColor, sizeof bm, &bm) && bm.bmWidth > 0 && bm.bmHeight > 0) {
        std::vector<DWORD> pixels = ReadPixels(info.hbmColor, bm.bmWidth, bm.bmHeight);
        if (!pixels.empty()) {
            for (DWORD& p : pixels) p = ColorToPixel(rule(PixelToColor(p)), p);
            const HBITMAP color = MakeBitmap(pixels, bm.bmWidth, bm.bmHeight);
            if (color) {
                ICONINFO made = info;
                made.hbmColor = color;
                derived = ::CreateIconIndirect(&made);
                ::DeleteObject(color);
            }
        }
    }
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return derived;
}

// An icon's size: twice its hot spot, which stands in its middle.
bool IconSize(HICON icon, SIZE& size)
{
    ICONINFO info;
    if (!::GetIconInfo(icon, &info)) return false;
    size.cx = static_cast<LONG>(info.xHotspot * 2);
    size.cy = static_cast<LONG>(info.yHotspot * 2);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return true;
}

}  // namespace

const HICON CFlatIconButton::kDarkerIcon = HICON::FromValue(static_cast<std::uint64_t>(-3));
const HICON CFlatIconButton::kGreyIcon = HICON::FromValue(static_cast<std::uint64_t>(-2));

BEGIN_MESSAGE_MAP(CFlatIconButton, CButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, &CFlatIconButton::OnClicked)
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_KILLFOCUS()
    ON_WM_CANCELMODE()
    ON_WM_ACTIVATE()
    ON_WM_ENABLE()
    ON_WM_SETCURSOR()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

CFlatIconButton::CFlatIconButton() { SetDefaultColors(FALSE); }

CFlatIconButton::~CFlatIconButton()
{
    FreeImages();
    if (m_hParentBackground) ::DeleteObject(m_hParentBackground);
    if (m_hMenu) ::DestroyMenu(m_hMenu);
}

COLORREF CFlatIconButton::DarkerColor(COLORREF color)
{
    if ((color & 0x00FFFFFF) == 0) return color;
    auto darker = [](BYTE c) { return static_cast<BYTE>(c - c * 0.25); };
    return RGB(darker(GetRValue(color)), darker(GetGValue(color)), darker(GetBValue(color)));
}

COLORREF CFlatIconButton::GreyColor(COLORREF color)
{
    if ((color & 0x00FFFFFF) == 0) return color;
    const auto grey =
        static_cast<BYTE>(0.299 * GetRValue(color) + 0.587 * GetGValue(color) + 0.114 * GetBValue(color));
    return RGB(grey, grey, grey);
}

void CFlatIconButton::FreeImages()
{
    for (IconImage& icon : m_icons) {
        if (icon.hIcon) ::DestroyIcon(icon.hIcon);
        icon = IconImage{};
    }
    for (BitmapImage& bitmap : m_bitmaps) {
        if (bitmap.hBitmap) ::DeleteObject(bitmap.hBitmap);
        if (bitmap.hMask) ::DeleteObject(bitmap.hMask);
        bitmap = BitmapImage{};
    }
}

DWORD CFlatIconButton::SetIcons(HICON hIcon, HICON hOther)
{
    FreeImages();
    if (!hIcon) {
        Repaint(TRUE);
        return kOk;
    }
    SIZE size;
    if (!IconSize(hIcon, size)) return kInvalidResource;
    m_icons[0] = IconImage{hIcon, size};
    if (hOther == kDarkerIcon || hOther == kGreyIcon) {
        const HICON derived = DerivedIcon(hIcon, hOther == kDarkerIcon ? &DarkerColor : &GreyColor);
        if (!derived) {
            FreeImages();
            return kInvalidResource;
        }
        m_icons[1] = IconImage{derived, size};
    } else if (hOther) {
        SIZE otherSize;
        if (!IconSize(hOther, otherSize)) {
            FreeImages();
            return kInvalidResource;
        }
        m_icons[1] = IconImage{hOther, otherSize};
    }
    Repaint(TRUE);
    return kOk;
}

DWORD CFlatIconButton::SetBitmaps(HBITMAP hBitmap, HBITMAP hMask, HBITMAP hOther, HBITMAP hOtherMask)
{
    FreeImages();
    const HBITMAP images[2] = {hBitmap, hOther};
    const HBITMAP masks[2] = {hMask, hOtherMask};
    for (int i = 0; i < 2; ++i) {
        if (!images[i]) continue;
        BITMAP bm;
        if (!::GetObject(images[i], sizeof bm, &bm)) {
            FreeImages();
            return kInvalidResource;
        }
        m_bitmaps[i] = BitmapImage{images[i], masks[i], SIZE{bm.bmWidth, bm.bmHeight}};
    }
    Repaint(TRUE);
    return kOk;
}

DWORD CFlatIconButton::SetFlat(BOOL bFlat, BOOL bRepaint)
{
    m_bFlat = bFlat ? TRUE : FALSE;
    Repaint(bRepaint);
    return kOk;
}

DWORD CFlatIconButton::SetAlign(int nAlign, BOOL bRepaint)
{
    if (nAlign < kAlignHorizontal || nAlign > kAlignTopLeft) return kInvalidAlign;
    m_nAlign = nAlign;
    Repaint(bRepaint);
    return kOk;
}

DWORD CFlatIconButton::DrawBorder(BOOL bDraw, BOOL bRepaint)
{
    m_bDrawBorder = bDraw ? TRUE : FALSE;
    Repaint(bRepaint);
    return kOk;
}

DWORD CFlatIconButton::SetColor(int nIndex, COLORREF color, BOOL bRepaint)
{
    if (nIndex < 0 || nIndex >= kColorCount) return kInvalidIndex;
    m_colors[nIndex] = color;
    Repaint(bRepaint);
    return kOk;
}

DWORD CFlatIconButton::SetDefaultColors(BOOL bRepaint)
{
    for (int i = 0; i < kColorCount; i += 2) {
        m_colors[i] = ::GetSysColor(COLOR_BTNFACE);
        m_colors[i + 1] = ::GetSysColor(COLOR_BTNTEXT);
    }
    Repaint(bRepaint);
    return kOk;
}

COLORREF CFlatIconButton::GetColor(int nIndex) const
{
    return nIndex >= 0 && nIndex < kColorCount ? m_colors[nIndex] : CLR_INVALID;
}

DWORD CFlatIconButton::SetPressedOffset(int dx, int dy)
{
    m_pressedOffset = CPoint(dx, dy);
    return kOk;
}

DWORD CFlatIconButton::SetBtnCursor(HCURSOR hCursor)
{
    m_hCursor = hCursor;
    return kOk;
}

DWORD CFlatIconButton::SetMenu(HMENU hMenu, HWND hOwner)
{
    if (m_hMenu) ::DestroyMenu(m_hMenu);
    m_hMenu = hMenu;
    m_hMenuOwner = hOwner;
    return kOk;
}

DWORD CFlatIconButton::SetMenuCallback(HWND hWnd, UINT nMessage, LPARAM lParam)
{
    m_hNotify = hWnd;
    m_nNotifyMessage = nMessage;
    m_nNotifyValue = lParam;
    return kOk;
}

DWORD CFlatIconButton::SetURL(LPCWSTR url)
{
    m_strURL = url ? CString(url).Left(static_cast<int>(kMaxUrlChars)) : CString();
    return kOk;
}

void CFlatIconButton::SetTooltipText(LPCWSTR text)
{
    m_strTooltip = text ? text : u"";
    UpdateTooltip();
}

void CFlatIconButton::UpdateTooltip()
{
    if (m_strTooltip.IsEmpty() || !GetSafeHwnd()) return;
    if (!m_pTooltip) {
        auto tooltip = std::make_unique<CToolTipCtrl>();
        if (!tooltip->Create(this)) return;
        tooltip->Activate(TRUE);
        tooltip->SetMaxTipWidth(kMaxTooltipWidth);
        m_pTooltip = std::move(tooltip);
    }
    m_pTooltip->AddTool(this, m_strTooltip);
}

DWORD CFlatIconButton::SetTransparent(BOOL bTransparent)
{
    m_bTransparent = bTransparent ? TRUE : FALSE;
    if (m_hParentBackground) ::DeleteObject(m_hParentBackground);
    m_hParentBackground = HBITMAP();
    return kOk;
}

DWORD CFlatIconButton::SetAlwaysTrack(BOOL bAlwaysTrack)
{
    m_bAlwaysTrack = bAlwaysTrack ? TRUE : FALSE;
    return kOk;
}

void CFlatIconButton::Repaint(BOOL bRepaint)
{
    if (bRepaint && GetSafeHwnd()) Invalidate();
}

void CFlatIconButton::SetHot(BOOL bHot)
{
    if (m_bHot == bHot) return;
    m_bHot = bHot;
    Repaint(TRUE);
}

void CFlatIconButton::PreSubclassWindow()
{
    const UINT type = GetButtonStyle() & BS_TYPEMASK;
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) m_bCheckBox = TRUE;
    if (type == BS_DEFPUSHBUTTON) m_bDefault = TRUE;
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
    UpdateTooltip();
}

LRESULT CFlatIconButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE: {
        const LRESULT code = CButton::WindowProc(message, wParam, lParam) & ~(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
        return code | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    }
    case BM_SETSTYLE:
        // The button stays owner-drawn; it remembers whether it is the default.
        m_bDefault = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? TRUE : FALSE;
        CButton::WindowProc(message, (wParam & ~BS_TYPEMASK) | BS_OWNERDRAW, lParam);
        Repaint(lParam != 0);
        return 0;
    case BM_GETCHECK:
        if (m_bCheckBox) return m_bChecked ? BST_CHECKED : BST_UNCHECKED;
        break;
    case BM_SETCHECK:
        if (m_bCheckBox) {
            m_bChecked = wParam == BST_CHECKED || wParam == BST_INDETERMINATE ? TRUE : FALSE;
            Repaint(TRUE);
            return 0;
        }
        break;
    default:
        break;
    }
    return CButton::WindowProc(message, wParam, lParam);
}

BOOL CFlatIconButton::OnClicked()
{
    SetFocus();
    if (m_bCheckBox) {
        m_bChecked = !m_bChecked;
        Repaint(TRUE);
    } else if (m_hMenu) {
        ShowMenu();
    } else if (!m_strURL.IsEmpty()) {
        ::ShellExecuteW(GetSafeHwnd(), u"open", m_strURL, nullptr, nullptr, SW_SHOWMAXIMIZED);
    }
    // The parent hears of the click as well.
    return FALSE;
}

void CFlatIconButton::ShowMenu()
{
    const HMENU popup = ::GetSubMenu(m_hMenu, 0);
    if (!popup) return;
    RECT rect;
    GetWindowRect(&rect);
    m_bPressed = TRUE;
    SendMessage(BM_SETSTATE, TRUE);
    if (m_hNotify && m_nNotifyMessage) {
        ::SendMessageW(m_hNotify, m_nNotifyMessage, popup.ToWParam(), m_nNotifyValue);
    }
    const HWND owner = m_hMenuOwner ? m_hMenuOwner : GetParent() ? GetParent()->GetSafeHwnd() : HWND();
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        popup, TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, rect.left, rect.bottom, 0, owner,
        nullptr));
    SendMessage(BM_SETSTATE, FALSE);
    m_bPressed = FALSE;
    if (command && owner) ::PostMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void CFlatIconButton::OnMouseMove(UINT nFlags, CPoint point)
{
    CButton::OnMouseMove(nFlags, point);
    if (!m_bFlat) return;
    // A held button that is not hot stays so until it is let go.
    if ((nFlags & MK_LBUTTON) && !m_bHot) return;
    // Moves reach the button only over it, except while it holds the mouse.
    CRect client;
    GetClientRect(&client);
    const bool over = client.PtInRect(point) != FALSE;
    const bool active = m_bAlwaysTrack || CWnd::GetActiveWindow() != nullptr;
    if (over && active) {
        if (!m_bHot) {
            SetHot(TRUE);
            TRACKMOUSEEVENT track{};
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = GetSafeHwnd();
            m_bTrackingLeave = ::TrackMouseEvent(&track);
        }
    } else {
        SetHot(FALSE);
    }
}

void CFlatIconButton::OnMouseLeave()
{
    m_bTrackingLeave = FALSE;
    SetHot(FALSE);
}

void CFlatIconButton::OnKillFocus(CWnd* pNewWnd)
{
    CButton::OnKillFocus(pNewWnd);
    SetHot(FALSE);
}

void CFlatIconButton::OnCancelMode()
{
    CButton::OnCancelMode();
    SetHot(FALSE);
}

void CFlatIconButton::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CButton::OnActivate(nState, pWndOther, bMinimized);
    if (nState == WA_INACTIVE) SetHot(FALSE);
}

void CFlatIconButton::OnEnable(BOOL bEnable)
{
    CButton::OnEnable(bEnable);
    SetHot(FALSE);
    if (!bEnable) {
        // The focus must not stay on a button that can no longer take it.
        CWnd* parent = GetParent();
        if (parent && CWnd::GetFocus() == this) {
            CWnd* next = parent->GetNextDlgTabItem(this);
            if (next && next != this) next->SetFocus();
            else parent->SetFocus();
        }
    }
}

BOOL CFlatIconButton::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_hCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CButton::OnSetCursor(pWnd, nHitTest, message);
}

void CFlatIconButton::OnSysColorChange()
{
    CButton::OnSysColorChange();
    SetDefaultColors(FALSE);
    if (m_hParentBackground) ::DeleteObject(m_hParentBackground);
    m_hParentBackground = HBITMAP();
    Repaint(TRUE);
}

void CFlatIconButton::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    // A double click is a second press.
    SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(point.x, point.y));
}

HBRUSH CFlatIconButton::CtlColor(CDC*, UINT) { return HBRUSH(::GetStockObject(NULL_BRUSH)); }

int CFlatIconButton::ImageIndex(bool haveOther) const
{
    if (!haveOther) return 0;
    if (m_bCheckBox) return m_bChecked ? 0 : 1;
    return m_bHot || m_bPressed ? 0 : 1;
}

CRect CFlatIconButton::MeasureText(CDC* pDC, const CRect& content, SIZE image) const
{
    CString text;
    GetWindowText(text);
    CRect area = content;
    if (image.cx > 0) {
        switch (m_nAlign) {
        case kAlignHorizontal:
            area.left += m_nHorzGap + image.cx + m_nHorzGap;
            area.right -= m_nHorzGap;
            break;
        case kAlignHorizontalRight:
            area.left += m_nHorzGap;
            area.right -= m_nHorzGap + image.cx + m_nHorzGap;
            break;
        case kAlignVertical:
            area.top += m_nHorzGap + image.cy + m_nHorzGap;
            break;
        default:
            break;
        }
    }
    if (text.IsEmpty() || area.IsRectEmpty()) return CRect(area.left, area.top, area.left, area.top);
    CRect measured = area;
    pDC->DrawText(text, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    // Centred in what is left beside or below the image.
    const int width = std::min(measured.Width(), area.Width());
    const int height = std::min(measured.Height(), area.Height());
    const int left = area.left + (area.Width() - width) / 2;
    const int top = area.top + (area.Height() - height) / 2;
    return CRect(left, top, left + width, top + height);
}

CRect CFlatIconButton::ImageRect(const CRect& content, SIZE image, const CRect& textRect) const
{
    const bool haveText = !textRect.IsRectEmpty();
    int x = content.left + (content.Width() - image.cx) / 2;
    int y = content.top + (content.Height() - image.cy) / 2;
    switch (m_nAlign) {
    case kAlignHorizontal:
        if (haveText) x = content.left + m_nHorzGap;
        break;
    case kAlignHorizontalRight:
        if (haveText) x = content.right - m_nHorzGap - image.cx;
        break;
    case kAlignVertical:
        if (haveText) y = content.top + m_nHorzGap;
        break;
    default:
        x = content.left;
        y = content.top;
        break;
    }
    if (m_bPressed && !m_bCheckBox) {
        x += m_pressedOffset.x;
        y += m_pressedOffset.y;
    }
    return CRect(x, y, x + image.cx, y + image.cy);
}

void CFlatIconButton::DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct)
{
    if (!lpDrawItemStruct) return;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    m_bPressed = (lpDrawItemStruct->itemState & ODS_SELECTED) || (m_bCheckBox && m_bChecked) ? TRUE : FALSE;
    m_bFocused = (lpDrawItemStruct->itemState & ODS_FOCUS) ? TRUE : FALSE;
    m_bDisabled = (lpDrawItemStruct->itemState & ODS_DISABLED) ? TRUE : FALSE;
    CRect rect(lpDrawItemStruct->rcItem);
    const int saved = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);

    if (m_bTransparent) {
        CWnd* parent = GetParent();
        if (!m_hParentBackground && parent) {
            // The parent's pixels under the button, taken once.
            CRect onParent = rect;
            MapWindowPoints(parent, &onParent);
            CDC* parentDC = parent->GetDC();
            if (parentDC) {
                CDC memory;
                memory.CreateCompatibleDC(parentDC);
                m_hParentBackground = ::CreateCompatibleBitmap(parentDC->GetSafeHdc(), rect.Width(), rect.Height());
                const HGDIOBJ old = ::SelectObject(memory.GetSafeHdc(), m_hParentBackground);
                memory.BitBlt(0, 0, rect.Width(), rect.Height(), parentDC, onParent.left, onParent.top, SRCCOPY);
                ::SelectObject(memory.GetSafeHdc(), old);
                parent->ReleaseDC(parentDC);
            }
        }
        if (m_hParentBackground) {
            CDC memory;
            memory.CreateCompatibleDC(pDC);
            const HGDIOBJ old = ::SelectObject(memory.GetSafeHdc(), m_hParentBackground);
            pDC->BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), &memory, 0, 0, SRCCOPY);
            ::SelectObject(memory.GetSafeHdc(), old);
        }
    }

    PaintBackground(pDC, &rect);
    PaintBorder(pDC, &rect);
    CRect content = rect;
    content.DeflateRect(m_nBorderGap, m_nBorderGap);
    SIZE image{0, 0};
    if (m_icons[0].hIcon) image = m_icons[0].size;
    else if (m_bitmaps[0].hBitmap) image = m_bitmaps[0].size;
    const CRect textRect = MeasureText(pDC, content, image);
    if (m_icons[0].hIcon) PaintIcon(pDC, &content, textRect);
    else if (m_bitmaps[0].hBitmap) PaintBitmap(pDC, &content, textRect);
    PaintText(pDC, &content, textRect);
    if (m_bFocused) {
        CRect focus(lpDrawItemStruct->rcItem);
        focus.DeflateRect(3, 3);
        pDC->DrawFocusRect(&focus);
    }
    pDC->RestoreDC(saved);
}

DWORD CFlatIconButton::PaintBackground(CDC* pDC, CRect* pRect)
{
    if (!m_bFlat && (m_bFocused || m_bDefault)) {
        CBrush black(RGB(0, 0, 0));
        pDC->FrameRect(pRect, &black);
        pRect->DeflateRect(1, 1);
    }
    COLORREF back = m_colors[kColorBkNormal];
    if (m_bHot || m_bPressed) back = m_colors[kColorBkHot];
    else if (m_bFocused) back = m_colors[kColorBkFocus];
    if (!m_bTransparent) pDC->FillSolidRect(pRect, back);
    return 0;
}

DWORD CFlatIconButton::PaintBorder(CDC* pDC, CRect* pRect)
{
    if (m_bPressed) {
        if (m_bFlat) {
            if (m_bDrawBorder) pDC->Draw3dRect(pRect, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHILIGHT));
        } else {
            CBrush shadow(::GetSysColor(COLOR_BTNSHADOW));
            pDC->FrameRect(pRect, &shadow);
        }
        return 0;
    }
    if (!m_bFlat) {
        // The classic raised edge: two lines of light above and left, two of
        // shadow below and right.
        const CRect r = *pRect;
        CPen highlight(PS_SOLID, 1, ::GetSysColor(COLOR_3DHILIGHT));
        CPen light(PS_SOLID, 1, ::GetSysColor(COLOR_3DLIGHT));
        CPen shadow(PS_SOLID, 1, ::GetSysColor(COLOR_3DSHADOW));
        CPen dark(PS_SOLID, 1, ::GetSysColor(COLOR_3DDKSHADOW));
        CPen* old = pDC->SelectObject(&highlight);
        pDC->MoveTo(r.left, r.bottom - 1);
        pDC->LineTo(r.left, r.top);
        pDC->LineTo(r.right, r.top);
        pDC->SelectObject(&light);
        pDC->MoveTo(r.left + 1, r.bottom - 2);
        pDC->LineTo(r.left + 1, r.top + 1);
        pDC->LineTo(r.right - 1, r.top + 1);
        pDC->SelectObject(&dark);
        pDC->MoveTo(r.left, r.bottom - 1);
        pDC->LineTo(r.right - 1, r.bottom - 1);
        pDC->LineTo(r.right - 1, r.top - 1);
        pDC->SelectObject(&shadow);
        pDC->MoveTo(r.left + 1, r.bottom - 2);
        pDC->LineTo(r.right - 2, r.bottom - 2);
        pDC->LineTo(r.right - 2, r.top);
        pDC->SelectObject(old);
        return 0;
    }
    if (m_bHot && m_bDrawBorder) pDC->Draw3dRect(pRect, ::GetSysColor(COLOR_BTNHILIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    return 0;
}

DWORD CFlatIconButton::PaintIcon(CDC* pDC, CRect* pRect, const CRect& textRect)
{
    const int index = ImageIndex(m_icons[1].hIcon ? true : false);
    const IconImage& icon = m_icons[index];
    const CRect place = ImageRect(*pRect, icon.size, textRect);
    pDC->DrawState(place.TopLeft(), CSize(icon.size.cx, icon.size.cy), icon.hIcon,
                   m_bDisabled ? DSS_DISABLED : DSS_NORMAL);
    return 0;
}

DWORD CFlatIconButton::PaintBitmap(CDC* pDC, CRect* pRect, const CRect& textRect)
{
    const int index = ImageIndex(m_bitmaps[1].hBitmap ? true : false);
    const BitmapImage& bitmap = m_bitmaps[index];
    const CRect place = ImageRect(*pRect, bitmap.size, textRect);
    const int w = bitmap.size.cx;
    const int h = bitmap.size.cy;
    CDC memory;
    memory.CreateCompatibleDC(pDC);
    if (!m_bDisabled) {
        HGDIOBJ old;
        if (bitmap.hMask) {
            old = ::SelectObject(memory.GetSafeHdc(), bitmap.hMask);
            pDC->BitBlt(place.left, place.top, w, h, &memory, 0, 0, SRCAND);
            ::SelectObject(memory.GetSafeHdc(), bitmap.hBitmap);
            pDC->BitBlt(place.left, place.top, w, h, &memory, 0, 0, SRCPAINT);
        } else {
            old = ::SelectObject(memory.GetSafeHdc(), bitmap.hBitmap);
            pDC->BitBlt(place.left, place.top, w, h, &memory, 0, 0, SRCCOPY);
        }
        ::SelectObject(memory.GetSafeHdc(), old);
        return 0;
    }
    // Composed on white first, then drawn the disabled way.
    const HBITMAP composed = ::CreateCompatibleBitmap(pDC->GetSafeHdc(), w, h);
    if (!composed) return 0;
    CDC image;
    image.CreateCompatibleDC(pDC);
    const HGDIOBJ oldComposed = ::SelectObject(memory.GetSafeHdc(), composed);
    memory.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
    const HGDIOBJ oldImage = ::SelectObject(image.GetSafeHdc(), bitmap.hMask ? bitmap.hMask : bitmap.hBitmap);
    if (bitmap.hMask) {
        memory.BitBlt(0, 0, w, h, &image, 0, 0, SRCAND);
        ::SelectObject(image.GetSafeHdc(), bitmap.hBitmap);
        memory.BitBlt(0, 0, w, h, &image, 0, 0, SRCPAINT);
    } else {
        memory.BitBlt(0, 0, w, h, &image, 0, 0, SRCCOPY);
    }
    ::SelectObject(image.GetSafeHdc(), oldImage);
    ::SelectObject(memory.GetSafeHdc(), oldComposed);
    pDC->DrawState(place.TopLeft(), CSize(w, h), composed, DSS_DISABLED);
    ::DeleteObject(composed);
    return 0;
}

DWORD CFlatIconButton::PaintText(CDC* pDC, CRect*, const CRect& textRect)
{
    CString text;
    GetWindowText(text);
    if (text.IsEmpty() || textRect.IsRectEmpty()) return 0;
    CRect place = textRect;
    if (m_bPressed && !m_bCheckBox) place.OffsetRect(m_pressedOffset.x, m_pressedOffset.y);
    if (m_bDisabled) {
        CRect shifted = place;
        shifted.OffsetRect(1, 1);
        pDC->SetTextColor(::GetSysColor(COLOR_3DHILIGHT));
        pDC->DrawText(text, &shifted, DT_CENTER | DT_WORDBREAK);
        pDC->SetTextColor(::GetSysColor(COLOR_3DSHADOW));
        pDC->DrawText(text, &place, DT_CENTER | DT_WORDBREAK);
        return 0;
    }
    COLORREF color = m_colors[kColorFgNormal];
    if (m_bHot || m_bPressed) color = m_colors[kColorFgHot];
    else if (m_bFocused) color = m_colors[kColorFgFocus];
    pDC->SetTextColor(color);
    pDC->DrawText(text, &place, DT_CENTER | DT_WORDBREAK);
    return 0;
}
