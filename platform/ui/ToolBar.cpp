#include "platform/ui/ToolBar.h"

#include "platform/core/CmdUI.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/DC.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

#include <algorithm>

namespace {

constexpr int kBorder = 2;
constexpr int kGripperWidth = 8;
constexpr int kSeparatorWidth = 8;
constexpr int kDropArrowWidth = 13;
constexpr int kImagePadX = 7;
constexpr int kImagePadY = 7;
constexpr int kTextPad = 8;

// The CCmdUI of a tool-bar button.
class ToolCmdUI final : public CCmdUI {
public:
    explicit ToolCmdUI(CToolBar& bar) : m_bar(bar) {}

    void Enable(BOOL bOn) override
    {
        CCmdUI::Enable(bOn);
        const int index = static_cast<int>(m_nIndex);
        UINT style = m_bar.GetButtonStyle(index) & ~TBBS_DISABLED;
        if (!bOn) style |= TBBS_DISABLED;
        m_bar.SetButtonStyle(index, style);
    }
    void SetCheck(int nCheck) override
    {
        CCmdUI::SetCheck(nCheck);
        UINT style = m_bar.GetButtonStyle(static_cast<int>(m_nIndex));
        style &= ~(TBBS_CHECKED | TBBS_INDETERMINATE);
        if (nCheck == 1) style |= TBBS_CHECKED;
        if (nCheck == 2) style |= TBBS_INDETERMINATE;
        // A checked button shows as a check box.
        if (!(style & TBBS_SEPARATOR)) style |= TBBS_CHECKBOX;
        m_bar.SetButtonStyle(static_cast<int>(m_nIndex), style);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCTSTR) override {}

private:
    CToolBar& m_bar;
};

HFONT BarFont(HWND hwnd)
{
    const HFONT font(HGDIOBJ::FromLParam(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    return font ? font : HFONT(::GetStockObject(DEFAULT_GUI_FONT));
}

CSize TextExtent(HWND hwnd, const CString& text)
{
    if (text.IsEmpty()) return CSize(0, 0);
    const HDC dc = ::CreateCompatibleDC(HDC());
    const HGDIOBJ old = ::SelectObject(dc, BarFont(hwnd));
    SIZE size{0, 0};
    ::GetTextExtentPoint32(dc, text.GetString(), text.GetLength(), &size);
    TEXTMETRIC tm{};
    ::GetTextMetrics(dc, &tm);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return CSize(size.cx, std::max<int>(size.cy, tm.tmHeight));
}

}  // namespace

IMPLEMENT_DYNAMIC(CToolBarCtrl, CWnd)

CImageList* CToolBarCtrl::SetImageList(CImageList* pImageList)
{
    SendMessage(TB_SETIMAGELIST, 0, pImageList ? pImageList->GetSafeHandle().ToLParam() : 0);
    return nullptr;
}

CImageList* CToolBarCtrl::SetDisabledImageList(CImageList* pImageList)
{
    SendMessage(TB_SETDISABLEDIMAGELIST, 0, pImageList ? pImageList->GetSafeHandle().ToLParam() : 0);
    return nullptr;
}

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CToolBar::CToolBar() { m_rectBorders = CRect(kBorder, kBorder, kBorder, kBorder); }

CToolBar::~CToolBar()
{
    if (m_ownDisabled) ImageList_Destroy(m_ownDisabled);
    // The window needs this object's handlers to the end.
    if (::IsWindow(m_hWnd)) DestroyWindow();
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, TBSTYLE_FLAT, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    m_ctrlStyle = dwCtrlStyle;
    if (rcBorders.left || rcBorders.top || rcBorders.right || rcBorders.bottom) m_rectBorders = rcBorders;
    if (!CreateBar(u"QvToolBar", dwStyle, pParentWnd, nID)) return FALSE;
    if (auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd)) frame->RecalcLayout();
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    if (nIDCount < 0) return FALSE;
    m_buttons.clear();
    int image = 0;
    for (int i = 0; i < nIDCount; ++i) {
        Button b;
        if (lpIDArray) {
            b.id = lpIDArray[i];
            if (b.id == 0) {
                b.style = TBSTYLE_SEP;
            } else {
                b.image = image++;
            }
        } else {
            b.style = TBSTYLE_SEP;
        }
        m_buttons.push_back(b);
    }
    Changed(true);
    return TRUE;
}

BOOL CToolBar::LoadBitmap(UINT nIDResource)
{
    const HBITMAP bitmap = ::LoadBitmapW(HINSTANCE(), MAKEINTRESOURCEW(nIDResource));
    if (!bitmap) return FALSE;
    m_bitmapImages.DeleteImageList();
    m_bitmapImages.Create(m_sizeImage.cx, m_sizeImage.cy, ILC_COLOR32 | ILC_MASK, 8, 8);
    // The classic tool-bar bitmaps keep their background in light grey.
    const int added = ImageList_AddMasked(m_bitmapImages, bitmap, RGB(192, 192, 192));
    ::DeleteObject(bitmap);
    if (added < 0) return FALSE;
    m_images = m_bitmapImages.GetSafeHandle();
    Changed(true);
    return TRUE;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    m_sizeButton = sizeButton;
    m_sizeImage = sizeImage;
    m_fixedButtonSize = sizeButton.cx > 0 && sizeButton.cy > 0;
    Changed(true);
}

void CToolBar::SetHeight(int cyHeight)
{
    const CSize button = ButtonSize();
    m_rectBorders.top = std::max(0, (cyHeight - button.cy) / 2);
    m_rectBorders.bottom = std::max(0, cyHeight - button.cy - m_rectBorders.top);
    Changed(true);
}

bool CToolBar::HasText() const
{
    return std::any_of(m_buttons.begin(), m_buttons.end(), [](const Button& b) { return !b.text.IsEmpty(); });
}

CSize CToolBar::ButtonSize() const
{
    if (m_fixedButtonSize) return m_sizeButton;
    CSize size(m_sizeImage.cx + kImagePadX, m_sizeImage.cy + kImagePadY);
    if (HasText()) {
        int widest = 0;
        int height = 0;
        for (const Button& b : m_buttons) {
            const CSize text = TextExtent(m_hWnd, b.text);
            widest = std::max<int>(widest, text.cx);
            height = std::max<int>(height, text.cy);
        }
        if (height == 0) height = TextExtent(m_hWnd, CString(u"Ag")).cy;
        size.cx = std::max<int>(size.cx, widest + kTextPad);
        size.cy += height + 2;
    }
    return size;
}

int CToolBar::DropArrowWidth(int index) const
{
    const Button& b = m_buttons[static_cast<std::size_t>(index)];
    return (b.style & TBSTYLE_DROPDOWN) && (m_exStyle & TBSTYLE_EX_DRAWDDARROWS) ? kDropArrowWidth : 0;
}

CRect CToolBar::ButtonRect(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_buttons.size())) return CRect();
    const CSize button = ButtonSize();
    const bool horz = IsHorizontal() || !(m_dwStyle & CBRS_ORIENT_VERT);
    const int gripper = (m_dwStyle & CBRS_GRIPPER) ? kGripperWidth : 0;
    int x = m_rectBorders.left + (horz ? gripper : 0);
    int y = m_rectBorders.top + (horz ? 0 : gripper);
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        const Button& b = m_buttons[static_cast<std::size_t>(i)];
        if (b.state & TBSTATE_HIDDEN) {
            if (i == index) return CRect();
            continue;
        }
        const int extent = (b.style & TBSTYLE_SEP) ? kSeparatorWidth : (horz ? button.cx + DropArrowWidth(i) : button.cy);
        CRect r = horz ? CRect(x, y, x + extent, y + button.cy) : CRect(x, y, x + button.cx, y + extent);
        if (i == index) return r;
        (horz ? x : y) += extent;
    }
    return CRect();
}

CSize CToolBar::CalcFixedLayout(BOOL, BOOL bHorz)
{
    const CSize button = ButtonSize();
    int extent = 0;
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        const Button& b = m_buttons[static_cast<std::size_t>(i)];
        if (b.state & TBSTATE_HIDDEN) continue;
        extent += (b.style & TBSTYLE_SEP) ? kSeparatorWidth : (bHorz ? button.cx + DropArrowWidth(i) : button.cy);
    }
    const int gripper = (m_dwStyle & CBRS_GRIPPER) ? kGripperWidth : 0;
    if (bHorz) {
        return CSize(m_rectBorders.left + gripper + extent + m_rectBorders.right,
                     m_rectBorders.top + button.cy + m_rectBorders.bottom);
    }
    return CSize(m_rectBorders.left + button.cx + m_rectBorders.right,
                 m_rectBorders.top + gripper + extent + m_rectBorders.bottom);
}

int CToolBar::ButtonAt(CPoint point) const
{
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        const Button& b = m_buttons[static_cast<std::size_t>(i)];
        if ((b.style & TBSTYLE_SEP) || (b.state & TBSTATE_HIDDEN)) continue;
        if (ButtonRect(i).PtInRect(point)) return i;
    }
    return -1;
}

bool CToolBar::InDropArrow(int index, CPoint point) const
{
    const int arrow = DropArrowWidth(index);
    if (arrow == 0) return false;
    const CRect r = ButtonRect(index);
    return point.x >= r.right - arrow;
}

int CToolBar::CommandToIndex(UINT nIDFind) const
{
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        if (m_buttons[static_cast<std::size_t>(i)].id == nIDFind && !(m_buttons[static_cast<std::size_t>(i)].style & TBSTYLE_SEP))
            return i;
    }
    return -1;
}

UINT CToolBar::GetItemID(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount()) return 0;
    const Button& b = m_buttons[static_cast<std::size_t>(nIndex)];
    return (b.style & TBSTYLE_SEP) ? ID_SEPARATOR : b.id;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (lpRect) *lpRect = ButtonRect(nIndex);
}

UINT CToolBar::GetButtonStyle(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount()) return 0;
    const Button& b = m_buttons[static_cast<std::size_t>(nIndex)];
    // The old form: the style in the low byte, the state (disabled instead
    // of enabled) in the next.
    const BYTE state = static_cast<BYTE>(b.state ^ TBSTATE_ENABLED);
    return b.style | (static_cast<UINT>(state) << 8);
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle)
{
    if (nIndex < 0 || nIndex >= GetCount()) return;
    Button& b = m_buttons[static_cast<std::size_t>(nIndex)];
    const BYTE style = static_cast<BYTE>(nStyle & 0xFF);
    const BYTE state = static_cast<BYTE>(((nStyle >> 8) & 0xFF) ^ TBSTATE_ENABLED);
    if (b.style == style && b.state == state) return;
    const bool relayout = ((b.style ^ style) & (TBSTYLE_SEP | TBSTYLE_DROPDOWN)) || ((b.state ^ state) & TBSTATE_HIDDEN);
    b.style = style;
    b.state = state;
    Changed(relayout);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const
{
    nID = GetItemID(nIndex);
    nStyle = GetButtonStyle(nIndex);
    iImage = (nIndex >= 0 && nIndex < GetCount()) ? m_buttons[static_cast<std::size_t>(nIndex)].image : -1;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage)
{
    if (nIndex < 0 || nIndex >= GetCount()) return;
    Button& b = m_buttons[static_cast<std::size_t>(nIndex)];
    b.id = nID;
    b.image = iImage;
    b.style = static_cast<BYTE>(nStyle & 0xFF);
    b.state = static_cast<BYTE>(((nStyle >> 8) & 0xFF) ^ TBSTATE_ENABLED);
    Changed(true);
}

BOOL CToolBar::SetButtonText(int nIndex, LPCTSTR lpszText)
{
    if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
    m_buttons[static_cast<std::size_t>(nIndex)].text = lpszText ? lpszText : u"";
    Changed(true);
    return TRUE;
}

CString CToolBar::GetButtonText(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount()) return CString();
    return m_buttons[static_cast<std::size_t>(nIndex)].text;
}

CToolBarCtrl& CToolBar::GetToolBarCtrl() const
{
    m_ctrl.m_hWnd = m_hWnd;
    return m_ctrl;
}

void CToolBar::OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    ToolCmdUI state(*this);
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(m_buttons.size());
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        if (i >= static_cast<int>(m_buttons.size())) break;
        const Button& b = m_buttons[static_cast<std::size_t>(i)];
        if (b.style & TBSTYLE_SEP) continue;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_nID = b.id;
        // A button whose command has no handler anywhere is greyed.
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}

void CToolBar::Changed(bool relayout)
{
    if (!::IsWindow(m_hWnd)) return;
    Invalidate(TRUE);
    if (relayout) {
        if (CFrameWnd* frame = GetDockingFrame()) frame->RecalcLayout();
    }
}

HIMAGELIST CToolBar::DisabledImages()
{
    if (m_disabledImages) return m_disabledImages;
    if (!m_images) return HIMAGELIST();
    const int count = ImageList_GetImageCount(m_images);
    int cx = 0;
    int cy = 0;
    ImageList_GetIconSize(m_images, &cx, &cy);
    if (m_ownDisabled && ImageList_GetImageCount(m_ownDisabled) == count) return m_ownDisabled;
    if (m_ownDisabled) ImageList_Destroy(m_ownDisabled);
    m_ownDisabled = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, std::max(count, 1), 4);
    QStyleOption option;
    for (int i = 0; i < count; ++i) {
        const QImage image = platform::ImageFromImageList(m_images, i);
        const QPixmap grey =
            QApplication::style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(image), &option);
        const HICON icon = platform::IconFromImage(grey.toImage().convertToFormat(QImage::Format_ARGB32));
        ImageList_ReplaceIcon(m_ownDisabled, -1, icon);
        ::DestroyIcon(icon);
    }
    return m_ownDisabled;
}

void CToolBar::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    if (m_dwStyle & CBRS_BORDER_BOTTOM) {
        CRect edge(client.left, client.bottom - 2, client.right, client.bottom);
        ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
    }
    if (m_dwStyle & CBRS_GRIPPER) {
        CRect grip(m_rectBorders.left + 1, m_rectBorders.top + 1, m_rectBorders.left + 4, client.bottom - m_rectBorders.bottom - 1);
        ::DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
    }
    const HGDIOBJ oldFont = ::SelectObject(dc, BarFont(m_hWnd));
    dc.SetBkMode(TRANSPARENT);
    const bool flat = (m_ctrlStyle & TBSTYLE_FLAT) != 0;
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        const Button& b = m_buttons[static_cast<std::size_t>(i)];
        if (b.state & TBSTATE_HIDDEN) continue;
        CRect r = ButtonRect(i);
        if (b.style & TBSTYLE_SEP) {
            const int mid = r.left + r.Width() / 2;
            CRect line(mid - 1, r.top + 2, mid + 1, r.bottom - 2);
            ::DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
            continue;
        }
        const bool enabled = (b.state & TBSTATE_ENABLED) != 0;
        const bool checked = (b.state & TBSTATE_CHECKED) != 0;
        const bool pressed = enabled && ((i == m_pressed && i == m_hot) || (b.state & TBSTATE_PRESSED));
        const bool hot = enabled && i == m_hot;
        const int arrow = DropArrowWidth(i);
        CRect face(r.left, r.top, r.right - arrow, r.bottom);
        if (checked && !pressed) dc.FillSolidRect(&face, ::GetSysColor(COLOR_3DHILIGHT));
        if (pressed || checked) {
            ::DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT);
        } else if (hot || !flat) {
            ::DrawEdge(dc, &face, flat ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
        }
        if (arrow) {
            CRect arrowRect(face.right, r.top, r.right, r.bottom);
            if (hot || !flat) ::DrawEdge(dc, &arrowRect, flat ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
            const COLORREF color = ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
            const int ax = arrowRect.left + (arrowRect.Width() - 5) / 2;
            const int ay = arrowRect.top + (arrowRect.Height() - 3) / 2;
            for (int row = 0; row < 3; ++row) dc.FillSolidRect(ax + row, ay + row, 5 - 2 * row, 1, color);
        }
        const int offset = pressed ? 1 : 0;
        const bool text = !b.text.IsEmpty();
        const int imageX = face.left + (face.Width() - m_sizeImage.cx) / 2 + offset;
        const int imageY = (HasText() ? face.top + 3 : face.top + (face.Height() - m_sizeImage.cy) / 2) + offset;
        if (b.image >= 0 && m_images) {
            const HIMAGELIST list = enabled ? m_images : DisabledImages();
            if (list) ImageList_Draw(list, b.image, dc, imageX, imageY, ILD_TRANSPARENT);
        }
        if (text) {
            CRect textRect(face.left + 1 + offset, imageY + m_sizeImage.cy + 1, face.right - 1 + offset, face.bottom - 1);
            dc.SetTextColor(::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            ::DrawText(dc, b.text.GetString(), b.text.GetLength(), &textRect, DT_CENTER | DT_SINGLELINE | DT_TOP);
        }
    }
    ::SelectObject(dc, oldFont);
}

void CToolBar::SetHot(int index)
{
    if (index == m_hot) return;
    m_hot = index;
    Invalidate(FALSE);
    const UINT id = index >= 0 ? m_buttons[static_cast<std::size_t>(index)].id : 0;
    if (m_dwStyle & CBRS_TOOLTIPS) {
        if (QWidget* w = platform::ui::WidgetOf(m_hWnd)) {
            CString tip = id ? CommandText(id, true) : CString();
            if (tip.IsEmpty() && index >= 0) tip = m_buttons[static_cast<std::size_t>(index)].text;
            w->setToolTip(platform::ui::ToQString(tip));
        }
    }
    if (m_dwStyle & CBRS_FLYBY) {
        if (CFrameWnd* frame = GetDockingFrame()) frame->SetMessageText(id ? id : AFX_IDS_IDLEMESSAGE);
    }
}

void CToolBar::OnMouseMove(UINT, CPoint point)
{
    const int index = ButtonAt(point);
    SetHot(index);
    if (index >= 0 && !m_tracking) {
        TRACKMOUSEEVENT track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWnd;
        m_tracking = ::TrackMouseEvent(&track) != FALSE;
    }
}

void CToolBar::OnMouseLeave()
{
    m_tracking = false;
    if (m_pressed < 0) SetHot(-1);
}

void CToolBar::OnLButtonDown(UINT, CPoint point)
{
    const int index = ButtonAt(point);
    if (index < 0) return;
    const Button& b = m_buttons[static_cast<std::size_t>(index)];
    if (!(b.state & TBSTATE_ENABLED)) return;
    if (InDropArrow(index, point) || (b.style & BTNS_WHOLEDROPDOWN)) {
        // The owner shows its menu below the button.
        NMTOOLBAR notify;
        notify.iItem = static_cast<int>(b.id);
        notify.rcButton = ButtonRect(index);
        notify.hdr.hwndFrom = m_hWnd;
        notify.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        notify.hdr.code = TBN_DROPDOWN;
        if (CWnd* owner = GetBarOwner()) {
            owner->SendMessage(WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID()), reinterpret_cast<LPARAM>(&notify));
        }
        return;
    }
    m_pressed = index;
    m_hot = index;
    ::SetCapture(m_hWnd);
    Invalidate(FALSE);
}

void CToolBar::OnLButtonUp(UINT, CPoint point)
{
    const int pressed = m_pressed;
    if (pressed < 0) return;
    m_pressed = -1;
    ::ReleaseCapture();
    const int index = ButtonAt(point);
    Invalidate(FALSE);
    if (index == pressed) Click(index);
}

void CToolBar::OnCaptureChanged(CWnd*)
{
    if (m_pressed >= 0) {
        m_pressed = -1;
        Invalidate(FALSE);
    }
}

void CToolBar::Click(int index)
{
    if (index < 0 || index >= GetCount()) return;
    Button& b = m_buttons[static_cast<std::size_t>(index)];
    if (!(b.state & TBSTATE_ENABLED)) return;
    if (b.style & TBSTYLE_CHECK) {
        b.state ^= TBSTATE_CHECKED;
        Invalidate(FALSE);
    }
    // Posted: the command may rebuild this very bar.
    if (CWnd* owner = GetBarOwner()) owner->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(b.id), 0), 0);
}

LRESULT CToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    bool handled = false;
    const LRESULT result = Control(message, wParam, lParam, handled);
    if (handled) return result;
    return CControlBar::WindowProc(message, wParam, lParam);
}

LRESULT CToolBar::Control(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = true;
    const auto byId = [this](WPARAM id) { return CommandToIndex(static_cast<UINT>(id)); };
    auto setState = [this](int index, BYTE bit, bool on) -> LRESULT {
        if (index < 0) return FALSE;
        Button& b = m_buttons[static_cast<std::size_t>(index)];
        const BYTE state = static_cast<BYTE>(on ? (b.state | bit) : (b.state & ~bit));
        if (state != b.state) {
            b.state = state;
            Changed(bit == TBSTATE_HIDDEN);
        }
        return TRUE;
    };
    auto stateOf = [this](int index) -> int { return index < 0 ? -1 : m_buttons[static_cast<std::size_t>(index)].state; };
    switch (message) {
    case TB_ENABLEBUTTON: return setState(byId(wParam), TBSTATE_ENABLED, LOWORD(lParam) != 0);
    case TB_CHECKBUTTON: return setState(byId(wParam), TBSTATE_CHECKED, LOWORD(lParam) != 0);
    case TB_PRESSBUTTON: return setState(byId(wParam), TBSTATE_PRESSED, LOWORD(lParam) != 0);
    case TB_HIDEBUTTON: return setState(byId(wParam), TBSTATE_HIDDEN, LOWORD(lParam) != 0);
    case TB_ISBUTTONENABLED: return stateOf(byId(wParam)) > 0 && (stateOf(byId(wParam)) & TBSTATE_ENABLED);
    case TB_ISBUTTONCHECKED: return stateOf(byId(wParam)) > 0 && (stateOf(byId(wParam)) & TBSTATE_CHECKED);
    case TB_ISBUTTONHIDDEN: return stateOf(byId(wParam)) > 0 && (stateOf(byId(wParam)) & TBSTATE_HIDDEN);
    case TB_GETSTATE: return stateOf(byId(wParam));
    case TB_SETSTATE: {
        const int index = byId(wParam);
        if (index < 0) return FALSE;
        m_buttons[static_cast<std::size_t>(index)].state = static_cast<BYTE>(LOWORD(lParam));
        Changed(true);
        return TRUE;
    }
    case TB_DELETEBUTTON: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= GetCount()) return FALSE;
        m_buttons.erase(m_buttons.begin() + index);
        m_hot = -1;
        m_pressed = -1;
        Changed(true);
        return TRUE;
    }
    case TB_GETBUTTON: {
        const int index = static_cast<int>(wParam);
        auto* out = reinterpret_cast<TBBUTTON*>(lParam);
        if (!out || index < 0 || index >= GetCount()) return FALSE;
        const Button& b = m_buttons[static_cast<std::size_t>(index)];
        out->iBitmap = b.image;
        out->idCommand = static_cast<int>(b.id);
        out->fsState = b.state;
        out->fsStyle = b.style;
        return TRUE;
    }
    case TB_ADDBUTTONSW:
    case TB_INSERTBUTTONW: {
        const int count = message == TB_ADDBUTTONSW ? static_cast<int>(wParam) : 1;
        const auto* in = reinterpret_cast<const TBBUTTON*>(lParam);
        if (!in || count <= 0) return FALSE;
        int at = message == TB_ADDBUTTONSW ? GetCount() : std::clamp(static_cast<int>(wParam), 0, GetCount());
        for (int i = 0; i < count; ++i) {
            Button b;
            b.id = static_cast<UINT>(in[i].idCommand);
            b.image = in[i].iBitmap;
            b.state = in[i].fsState;
            b.style = in[i].fsStyle;
            m_buttons.insert(m_buttons.begin() + at++, b);
        }
        Changed(true);
        return TRUE;
    }
    case TB_BUTTONCOUNT: return GetCount();
    case TB_COMMANDTOINDEX: return byId(wParam);
    case TB_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || static_cast<int>(wParam) >= GetCount()) return FALSE;
        *r = ButtonRect(static_cast<int>(wParam));
        return TRUE;
    }
    case TB_SETBUTTONSIZE:
        m_sizeButton = CSize(LOWORD(lParam), HIWORD(lParam));
        m_fixedButtonSize = m_sizeButton.cx > 0 && m_sizeButton.cy > 0;
        Changed(true);
        return TRUE;
    case TB_SETBITMAPSIZE:
        m_sizeImage = CSize(LOWORD(lParam), HIWORD(lParam));
        Changed(true);
        return TRUE;
    case TB_AUTOSIZE:
        Changed(true);
        return 0;
    case TB_SETIMAGELIST: {
        const HIMAGELIST previous = m_images;
        m_images = HIMAGELIST::FromLParam(lParam);
        m_disabledImages = HIMAGELIST();
        int cx = 0;
        int cy = 0;
        if (m_images && ImageList_GetIconSize(m_images, &cx, &cy)) m_sizeImage = CSize(cx, cy);
        Changed(true);
        return static_cast<LRESULT>(previous.Value());
    }
    case TB_GETIMAGELIST: return static_cast<LRESULT>(m_images.Value());
    case TB_SETDISABLEDIMAGELIST:
        m_disabledImages = HIMAGELIST::FromLParam(lParam);
        Changed(false);
        return 0;
    case TB_SETSTYLE:
        m_ctrlStyle = static_cast<DWORD>(lParam);
        Changed(false);
        return 0;
    case TB_GETSTYLE: return static_cast<LRESULT>(m_ctrlStyle);
    case TB_SETEXTENDEDSTYLE: {
        const DWORD previous = m_exStyle;
        m_exStyle = static_cast<DWORD>(lParam);
        Changed(true);
        return static_cast<LRESULT>(previous);
    }
    case TB_GETEXTENDEDSTYLE: return static_cast<LRESULT>(m_exStyle);
    case TB_SETMAXTEXTROWS: return TRUE;
    default:
        handled = false;
        return 0;
    }
}
