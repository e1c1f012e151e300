#include "htmltip/IconButton.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceImages.h"

#include <algorithm>
#include <array>
#include <vector>

IMPLEMENT_DYNAMIC(CIconButton, COwnerDrawButton)

BEGIN_MESSAGE_MAP(CIconButton, COwnerDrawButton)
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// Part and states of a push button in the visual style.
constexpr int kPushButtonPart = 1;
constexpr int kStateNormal = 1;
constexpr int kStateHot = 2;
constexpr int kStatePressed = 3;
constexpr int kStateDisabled = 4;
constexpr int kStateDefaulted = 5;
constexpr int kDefaultIconSize = 32;
constexpr LPARAM kRepeatBit = 0x40000000;

// Entry i is the grey (255 - i, 255 - i, 255 - i).
const std::array<DWORD, 256>& GreyTable()
{
    static const std::array<DWORD, 256> table = [] {
        std::array<DWORD, 256> t{};
        for (DWORD i = 0; i < 256; ++i) {
            const DWORD v = 255 - i;
            t[i] = v | (v << 8) | (v << 16);
        }
        return t;
    }();
    return table;
}

bool IsPressKey(WPARAM key) { return key == VK_SPACE || key == VK_RETURN; }

SIZE IconSizeOf(HICON icon)
{
    ICONINFO info;
    if (!icon || !::GetIconInfo(icon, &info)) return SIZE{kDefaultIconSize, kDefaultIconSize};
    SIZE size{kDefaultIconSize, kDefaultIconSize};
    BITMAP bm{};
    if (info.hbmColor && ::GetObject(info.hbmColor, sizeof(bm), &bm)) size = SIZE{bm.bmWidth, bm.bmHeight};
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return size;
}

}  // namespace

CIconButton::CIconButton() = default;

CIconButton::~CIconButton()
{
    FreeResources();
    // Our handlers must still run while the window goes.
    if (m_hWnd) DestroyWindow();
}

void CIconButton::FreeBackground()
{
    if (m_backgroundDc && m_oldBackgroundBitmap) m_backgroundDc->SelectObject(m_oldBackgroundBitmap);
    m_oldBackgroundBitmap = nullptr;
    m_backgroundDc.reset();
    m_backgroundBitmap.reset();
}

void CIconButton::FreeResources()
{
    if (m_theme) GetThemeHelper().CloseThemeData(m_theme);
    m_theme = HTHEME();
    if (m_icon) ::DestroyIcon(m_icon);
    if (m_grayIcon) ::DestroyIcon(m_grayIcon);
    m_icon = HICON();
    m_grayIcon = HICON();
    FreeBackground();
}

void CIconButton::OnDestroy()
{
    COwnerDrawButton::OnDestroy();
    // The window's resources go with the window.
    FreeResources();
    m_themeMustBeOpened = true;
}

void CIconButton::Redraw()
{
    if (m_hWnd) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

HICON CIconButton::MakeGrayIcon(HICON icon)
{
    ICONINFO info;
    if (!icon || !::GetIconInfo(icon, &info)) return HICON();
    struct Owned {
        ICONINFO& i;
        ~Owned()
        {
            if (i.hbmColor) ::DeleteObject(i.hbmColor);
            if (i.hbmMask) ::DeleteObject(i.hbmMask);
        }
    } owned{info};
    BITMAP bm{};
    if (!info.hbmColor || !info.hbmMask || !::GetObject(info.hbmColor, sizeof(bm), &bm) || bm.bmWidth <= 0 ||
        bm.bmHeight <= 0)
        return HICON();
    BITMAPINFO header{};
    header.bmiHeader.biWidth = bm.bmWidth;
    header.bmiHeader.biHeight = -bm.bmHeight;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
    CDC screen;
    screen.CreateCompatibleDC(nullptr);
    if (::GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &header, DIB_RGB_COLORS) !=
        bm.bmHeight)
        return HICON();
    const auto& grey = GreyTable();
    for (DWORD& p : pixels) {
        const DWORD alpha = p & 0xFF000000;
        const DWORD average = ((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3;
        DWORD v = 255 - average;
        if (alpha == 0 && v == 255) continue;  // transparent black
        if (v == 0) v = 1;
        p = grey[v] | alpha;
    }
    void* bits = nullptr;
    const HBITMAP color = ::CreateDIBSection(screen, &header, DIB_RGB_COLORS, &bits, HANDLE(), 0);
    if (!color || !bits) {
        if (color) ::DeleteObject(color);
        return HICON();
    }
    std::copy(pixels.begin(), pixels.end(), static_cast<DWORD*>(bits));
    ICONINFO grayInfo;
    grayInfo.fIcon = TRUE;
    grayInfo.hbmColor = color;
    grayInfo.hbmMask = info.hbmMask;
    const HICON result = ::CreateIconIndirect(&grayInfo);
    ::DeleteObject(color);
    return result;
}

CIconButton& CIconButton::SetIcon(HICON icon, int placement)
{
    if (m_icon) ::DestroyIcon(m_icon);
    if (m_grayIcon) ::DestroyIcon(m_grayIcon);
    m_icon = icon;
    m_grayIcon = icon ? MakeGrayIcon(icon) : HICON();
    m_iconPlacement = placement;
    Redraw();
    return *this;
}

CIconButton& CIconButton::SetIcon(UINT resourceId, int placement)
{
    const HICON icon = ::LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(resourceId), IMAGE_ICON, 0, 0, 0);
    return SetIcon(icon, placement);
}

CIconButton& CIconButton::SetCheckBox(BOOL checkBox)
{
    m_checkBoxMode = checkBox != FALSE;
    m_checked = false;
    Redraw();
    return *this;
}

CIconButton& CIconButton::SetFlat(BOOL flat)
{
    m_flat = flat != FALSE;
    // A flat button opens another theme class and needs the parent's background.
    m_themeMustBeOpened = true;
    Redraw();
    return *this;
}

CIconButton& CIconButton::SetUseVisualStyles(BOOL use)
{
    m_useVisualStyles = use != FALSE;
    m_themeMustBeOpened = true;
    Redraw();
    return *this;
}

CIconButton& CIconButton::SetBackColor(COLORREF color)
{
    m_backColor = color;
    Redraw();
    return *this;
}

CIconButton& CIconButton::SetTextColor(COLORREF color)
{
    m_textColor = color;
    Redraw();
    return *this;
}

void CIconButton::SetCheck(BOOL checked)
{
    m_checked = checked != FALSE;
    Redraw();
}

BOOL CIconButton::IsThemed() const
{
    return m_theme && m_useVisualStyles && GetThemeHelper().IsAppThemed() ? TRUE : FALSE;
}

// ------------------------------------------------------------------ messages

LRESULT CIconButton::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        m_leftButtonDown = true;
        if (m_checkBoxMode) {
            m_checked = !m_checked;
            Invalidate();
        }
        break;
    case WM_LBUTTONUP:
        m_leftButtonDown = false;
        if (m_pressedByDoubleClick) {
            COwnerDrawButton::DefWindowProc(BM_SETSTATE, 0, 0);
            m_pressedByDoubleClick = false;
            if (CWnd* parent = GetParent()) {
                parent->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID()), BN_CLICKED),
                                    m_hWnd.ToLParam());
            }
        }
        if (m_checkBoxMode) {
            RECT client;
            GetClientRect(&client);
            const CPoint at(lParam);
            if (!CRect(client).PtInRect(at)) {
                // Released outside: the press did not count.
                m_checked = !m_checked;
                Invalidate();
            }
        }
        break;
    case WM_LBUTTONDBLCLK:
        if (!m_checkBoxMode) {
            COwnerDrawButton::DefWindowProc(BM_SETSTATE, 1, 0);
            m_pressedByDoubleClick = true;
        } else {
            COwnerDrawButton::DefWindowProc(BM_SETSTATE, m_checked ? 1 : 0, 0);
        }
        return 0;
    case WM_KEYDOWN:
        if (lParam & kRepeatBit) return 0;
        if (IsPressKey(wParam)) {
            // The key presses the button as the mouse does; the toolkit's own
            // key handling is left out, so one press gives one command.
            SendMessage(WM_LBUTTONDOWN, 0, 0);
            COwnerDrawButton::DefWindowProc(BM_SETSTATE, 1, 0);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (IsPressKey(wParam)) {
            const bool pressed = (COwnerDrawButton::DefWindowProc(BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
            SendMessage(WM_LBUTTONUP, 0, 0);
            if (pressed && ::IsWindow(m_hWnd)) {
                COwnerDrawButton::DefWindowProc(BM_SETSTATE, 0, 0);
                if (CWnd* parent = GetParent()) {
                    parent->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID()), BN_CLICKED),
                                        m_hWnd.ToLParam());
                }
            }
            return 0;
        }
        break;
    case WM_CHAR:
        if (IsPressKey(wParam)) return 0;
        break;
    case WM_GETDLGCODE: {
        // Only the keys that press the button are its own; Escape, Tab and
        // the arrows stay with the dialog.
        LRESULT code = COwnerDrawButton::DefWindowProc(message, wParam, lParam);
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR) &&
            IsPressKey(msg->wParam))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_THEMECHANGED:
        if (IsThemed()) {
            GetThemeHelper().CloseThemeData(m_theme);
            m_theme = HTHEME();
            m_themeMustBeOpened = true;
        }
        break;
    default:
        break;
    }
    return COwnerDrawButton::DefWindowProc(message, wParam, lParam);
}

void CIconButton::OnMouseMove(UINT flags, CPoint point)
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    RECT window{};
    GetWindowRect(&window);
    const bool inside = CRect(window).PtInRect(cursor);
    if (inside != m_hover) {
        m_hover = inside;
        Invalidate();
        if (inside) {
            TRACKMOUSEEVENT track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = m_hWnd;
            ::TrackMouseEvent(&track);
        }
    }
    COwnerDrawButton::OnMouseMove(flags, point);
}

void CIconButton::OnMouseLeave()
{
    m_hover = false;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CIconButton::OnEraseBkgnd(CDC*) { return TRUE; }

// ------------------------------------------------------------------ drawing

void CIconButton::CaptureParentBackground()
{
    CWnd* parent = GetParent();
    if (!parent) return;
    CRect rect;
    GetWindowRect(&rect);
    parent->ScreenToClient(&rect);
    m_buttonRect = rect;
    FreeBackground();
    // The parent's pixels are its own here (its children are drawn apart
    // from it), so they are read without hiding the button.
    CClientDC parentDc(parent);
    if (!parentDc.GetSafeHdc()) return;
    auto dc = std::make_unique<CDC>();
    auto bitmap = std::make_unique<CBitmap>();
    if (!dc->CreateCompatibleDC(&parentDc) ||
        !bitmap->CreateCompatibleBitmap(&parentDc, rect.Width(), rect.Height()))
        return;
    m_oldBackgroundBitmap = dc->SelectObject(bitmap.get());
    dc->BitBlt(0, 0, rect.Width(), rect.Height(), &parentDc, rect.left, rect.top, SRCCOPY);
    m_backgroundDc = std::move(dc);
    m_backgroundBitmap = std::move(bitmap);
}

void CIconButton::DrawItem(DRAWITEMSTRUCT* drawItem)
{
    if (!drawItem) return;
    CDC* target = CDC::FromHandle(drawItem->hDC);
    const CRect item(drawItem->rcItem);
    const int width = item.Width();
    const int height = item.Height();
    if (!target || width <= 0 || height <= 0) return;
    CThemeHelper& theme = GetThemeHelper();

    // Everything is drawn on a copy of the target and copied back at the end.
    CDC dc;
    CBitmap bitmap;
    if (!dc.CreateCompatibleDC(target) || !bitmap.CreateCompatibleBitmap(target, width, height)) return;
    CBitmap* oldBitmap = dc.SelectObject(&bitmap);
    dc.BitBlt(0, 0, width, height, target, item.left, item.top, SRCCOPY);
    dc.SetBkMode(TRANSPARENT);

    if (m_themeMustBeOpened) {
        m_themeMustBeOpened = false;
        if (CThemeHelper::IsLoaded()) {
            if (m_theme) theme.CloseThemeData(m_theme);
            m_theme = theme.OpenThemeData(m_hWnd, m_flat ? u"Toolbar" : u"Button");
        }
        CaptureParentBackground();
    }

    CWnd* parent = GetParent();
    CFont* oldFont = parent && parent->GetFont() ? dc.SelectObject(parent->GetFont()) : nullptr;
    CString title;
    GetWindowText(title);
    const bool hasTitle = !title.IsEmpty();

    bool focused = (drawItem->itemState & ODS_FOCUS) != 0;
    const bool disabled = (drawItem->itemState & ODS_DISABLED) != 0;
    const bool showFocus = (drawItem->itemState & ODS_NOFOCUSRECT) == 0;
    bool pressed = (drawItem->itemState & ODS_SELECTED) != 0;
    bool isDefault = IsDefault() != FALSE;
    const bool themed = IsThemed() && m_backColor == CLR_INVALID && m_textColor == CLR_INVALID;

    if (m_checkBoxMode) pressed = m_leftButtonDown && !m_hover ? !m_checked : m_checked;
    if (m_flat) {
        if (m_backgroundDc) dc.BitBlt(0, 0, width, height, m_backgroundDc.get(), 0, 0, SRCCOPY);
        focused = false;
        isDefault = false;
    }

    CRect rect(0, 0, width, height);
    if (!themed) {
        if (!(m_flat && m_backColor == CLR_INVALID)) {
            CRect fill = rect;
            fill.DeflateRect(1, 1);
            dc.FillSolidRect(&fill, m_backColor != CLR_INVALID ? m_backColor : ::GetSysColor(COLOR_BTNFACE));
        }
        if (focused || isDefault) {
            if (!(m_checkBoxMode && pressed)) {
                CBrush black(RGB(0, 0, 0));
                dc.FrameRect(&rect, &black);
            }
            rect.DeflateRect(1, 1);
        }
        if (pressed) {
            dc.DrawEdge(&rect, EDGE_SUNKEN, BF_RECT);
        } else if (!m_flat) {
            dc.DrawEdge(&rect, EDGE_RAISED, BF_RECT);
        }
    } else {
        int state = pressed ? kStatePressed : kStateNormal;
        if (disabled) state = kStateDisabled;
        if (state == kStateNormal) {
            if (focused || isDefault) state = kStateDefaulted;
            if (m_hover) state = kStateHot;
        }
        theme.DrawThemeParentBackground(m_hWnd, dc.GetSafeHdc(), &rect);
        theme.DrawThemeBackground(m_theme, dc.GetSafeHdc(), kPushButtonPart, state, &rect, nullptr);
    }

    CRect textRect(0, 0, width, height);
    if (m_icon) {
        const SIZE icon = IconSizeOf(m_icon);
        int left = 0;
        if (hasTitle && m_iconPlacement == ICON_BUTTON_ICON_RIGHT) {
            left = width - icon.cx - icon.cx / 2;
            textRect.left = icon.cx / 2;
            textRect.right = width - icon.cx - icon.cx / 2;
        } else if (hasTitle) {
            left = icon.cx / 2;
            textRect.left = 2 * icon.cx;
            textRect.right = width - icon.cx / 2;
        } else {
            left = (width - icon.cx) / 2;
        }
        int top = (height - icon.cy) / 2;
        if (pressed && !themed) {
            ++left;
            ++top;
        }
        // Drawn at its own size: a larger area would stretch it here.
        if (disabled) {
            if (m_grayIcon) {
                dc.DrawState(CPoint(left, top), CSize(icon), m_grayIcon, DSS_NORMAL);
            } else {
                dc.DrawState(CPoint(left, top), CSize(icon), m_icon, DSS_DISABLED);
            }
        } else {
            dc.DrawState(CPoint(left, top), CSize(icon), m_icon, DSS_NORMAL);
        }
    }

    if (hasTitle) {
        UINT format = DT_VCENTER;
        if (!m_icon) format |= DT_CENTER;
        format |= (GetStyle() & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
        if (pressed && !themed) textRect.OffsetRect(1, 1);
        CRect measured = textRect;
        dc.DrawText(title, &measured, format | DT_CALCRECT);
        measured.OffsetRect(textRect.left + (textRect.Width() - measured.Width()) / 2 - measured.left,
                            textRect.top + (textRect.Height() - measured.Height()) / 2 - measured.top);
        if (themed && !m_flat) {
            theme.DrawThemeText(m_theme, dc.GetSafeHdc(), kPushButtonPart, disabled ? kStateDisabled : kStateNormal,
                                title.GetString(), -1, format, 0, &measured);
        } else if (!disabled) {
            dc.SetTextColor(m_textColor != CLR_INVALID ? m_textColor : ::GetSysColor(COLOR_BTNTEXT));
            dc.DrawText(title, &measured, format);
        } else {
            CRect raised = measured;
            raised.OffsetRect(1, 1);
            dc.SetTextColor(::GetSysColor(COLOR_3DHILIGHT));
            dc.DrawText(title, &raised, format);
            dc.SetTextColor(::GetSysColor(COLOR_3DSHADOW));
            dc.DrawText(title, &measured, format);
        }
    }

    if (focused && showFocus) {
        CRect focus(0, 0, width, height);
        focus.DeflateRect(3, 3);
        dc.DrawFocusRect(&focus);
    }

    target->BitBlt(item.left, item.top, width, height, &dc, 0, 0, SRCCOPY);
    if (oldFont) dc.SelectObject(oldFont);
    dc.SelectObject(oldBitmap);
}
