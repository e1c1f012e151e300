#include "platform/ui/StatusBar.h"

#include "platform/core/CmdUI.h"
#include "platform/ui/DC.h"
#include "platform/ui/FrameWnd.h"

#include <algorithm>

namespace {

constexpr int kPaneGap = 2;
constexpr int kTextMargin = 4;
constexpr int kBarPadding = 6;
constexpr int kGripSize = 12;

// The CCmdUI of a status-bar pane.
class StatusCmdUI final : public CCmdUI {
public:
    explicit StatusCmdUI(CStatusBar& bar) : m_bar(bar) {}

    void Enable(BOOL bOn) override
    {
        CCmdUI::Enable(bOn);
        const int index = static_cast<int>(m_nIndex);
        const UINT style = m_bar.GetPaneStyle(index);
        const UINT updated = bOn ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED);
        if (updated != style) m_bar.SetPaneStyle(index, updated);
    }
    void SetCheck(int nCheck) override
    {
        CCmdUI::SetCheck(nCheck);
        const int index = static_cast<int>(m_nIndex);
        const UINT style = m_bar.GetPaneStyle(index);
        const UINT updated = nCheck ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT);
        if (updated != style) m_bar.SetPaneStyle(index, updated);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCTSTR lpszText) override
    {
        CCmdUI::SetText(lpszText);
        m_bar.SetPaneText(static_cast<int>(m_nIndex), lpszText, TRUE);
    }

private:
    CStatusBar& m_bar;
};

}  // namespace

// ---------------------------------------------------------------- control calls

IMPLEMENT_DYNAMIC(CStatusBarCtrl, CWnd)

BOOL CStatusBarCtrl::SetText(LPCTSTR lpszText, int nPane, int nType)
{
    return SendMessage(SB_SETTEXTW, static_cast<WPARAM>((nPane & 0xFF) | (nType & 0xFF00)),
                       reinterpret_cast<LPARAM>(lpszText)) != 0
               ? TRUE
               : FALSE;
}

CString CStatusBarCtrl::GetText(int nPane, int* pType) const
{
    const LRESULT info = SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(nPane));
    const int length = LOWORD(info);
    std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
    SendMessage(SB_GETTEXTW, static_cast<WPARAM>(nPane), reinterpret_cast<LPARAM>(buffer.data()));
    if (pType) *pType = HIWORD(info);
    return CString(buffer.c_str());
}

BOOL CStatusBarCtrl::GetRect(int nPane, LPRECT lpRect) const
{
    return SendMessage(SB_GETRECT, static_cast<WPARAM>(nPane), reinterpret_cast<LPARAM>(lpRect)) != 0 ? TRUE : FALSE;
}

int CStatusBarCtrl::GetParts(int nParts, int* pParts) const
{
    return static_cast<int>(SendMessage(SB_GETPARTS, static_cast<WPARAM>(nParts), reinterpret_cast<LPARAM>(pParts)));
}

// ---------------------------------------------------------------- bar

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CStatusBar::CStatusBar() = default;

CStatusBar::~CStatusBar()
{
    if (::IsWindow(m_hWnd)) DestroyWindow();
}

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) { return CreateEx(pParentWnd, 0, dwStyle, nID); }

BOOL CStatusBar::CreateEx(CWnd* pParentWnd, DWORD, DWORD dwStyle, UINT nID)
{
    if (!CreateBar(u"QvStatusBar", dwStyle, pParentWnd, nID)) return FALSE;
    if (auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd)) frame->RecalcLayout();
    return TRUE;
}

HFONT CStatusBar::BarFont() const
{
    const HFONT font(HGDIOBJ::FromLParam(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    return font ? font : HFONT(::GetStockObject(DEFAULT_GUI_FONT));
}

int CStatusBar::TextWidth(const CString& text) const
{
    const HDC dc = ::CreateCompatibleDC(HDC());
    const HGDIOBJ old = ::SelectObject(dc, BarFont());
    SIZE size{0, 0};
    if (!text.IsEmpty()) ::GetTextExtentPoint32(dc, text.GetString(), text.GetLength(), &size);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return size.cx;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    if (nIDCount < 0 || (nIDCount > 0 && !lpIDArray)) return FALSE;
    m_panes.clear();
    BOOL allFound = TRUE;
    for (int i = 0; i < nIDCount; ++i) {
        Pane pane;
        pane.id = lpIDArray[i];
        if (pane.id != ID_SEPARATOR) {
            if (!pane.text.LoadString(pane.id)) {
                allFound = FALSE;
            }
            pane.cxText = TextWidth(pane.text);
        }
        m_panes.push_back(pane);
    }
    // The message pane stretches, has no border and starts idle.
    if (!m_panes.empty() && m_panes.front().id == ID_SEPARATOR) {
        m_panes.front().style |= SBPS_NOBORDERS | SBPS_STRETCH;
        if (!m_panes.front().text.LoadString(AFX_IDS_IDLEMESSAGE) || m_panes.front().text.IsEmpty())
            m_panes.front().text = u"Ready";
    }
    if (::IsWindow(m_hWnd)) Invalidate();
    return allFound;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_panes[static_cast<std::size_t>(i)].id == nIDFind) return i;
    return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[static_cast<std::size_t>(nIndex)].id : 0;
}

void CStatusBar::Layout(std::vector<CRect>& rects) const
{
    rects.assign(m_panes.size(), CRect());
    CRect client;
    ::GetClientRect(m_hWnd, &client);
    const int top = client.top + 2;
    const int bottom = client.bottom - 1;
    // A size grip sits at the corner of a resizable top-level frame.
    int right = client.right - kPaneGap;
    if (CWnd* parent = GetParent(); parent && (parent->GetStyle() & WS_THICKFRAME) && !(parent->GetStyle() & WS_CHILD)) {
        right -= kGripSize;
    }
    int stretch = -1;
    int fixed = 0;
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        if ((m_panes[i].style & SBPS_STRETCH) && stretch < 0) {
            stretch = static_cast<int>(i);
            continue;
        }
        fixed += m_panes[i].cxText + 2 * kTextMargin + kPaneGap;
    }
    const int available = right - client.left - kPaneGap;
    const int stretchWidth = std::max(0, available - fixed);
    int x = client.left + kPaneGap;
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const int w = static_cast<int>(i) == stretch ? std::max(stretchWidth, m_panes[i].cxText + 2 * kTextMargin)
                                                     : m_panes[i].cxText + 2 * kTextMargin;
        rects[i] = CRect(x, top, x + w, bottom);
        x += w + kPaneGap;
    }
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!lpRect) return;
    std::vector<CRect> rects;
    Layout(rects);
    *lpRect = nIndex >= 0 && nIndex < GetCount() ? rects[static_cast<std::size_t>(nIndex)] : CRect();
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[static_cast<std::size_t>(nIndex)].text : CString();
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate)
{
    if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
    Pane& pane = m_panes[static_cast<std::size_t>(nIndex)];
    const CString text(lpszNewText ? lpszNewText : u"");
    if (pane.text == text) return TRUE;
    pane.text = text;
    if (bUpdate && ::IsWindow(m_hWnd)) {
        CRect r;
        GetItemRect(nIndex, &r);
        InvalidateRect(&r, TRUE);
    }
    return TRUE;
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    if (nIndex < 0 || nIndex >= GetCount()) {
        nID = 0;
        nStyle = 0;
        cxWidth = 0;
        return;
    }
    const Pane& pane = m_panes[static_cast<std::size_t>(nIndex)];
    nID = pane.id;
    nStyle = pane.style;
    cxWidth = pane.cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    if (nIndex < 0 || nIndex >= GetCount()) return;
    Pane& pane = m_panes[static_cast<std::size_t>(nIndex)];
    pane.id = nID;
    pane.style = nStyle;
    pane.cxText = std::max(0, cxWidth);
    if (::IsWindow(m_hWnd)) Invalidate();
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[static_cast<std::size_t>(nIndex)].style : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (nIndex < 0 || nIndex >= GetCount()) return;
    Pane& pane = m_panes[static_cast<std::size_t>(nIndex)];
    if (pane.style == nStyle) return;
    pane.style = nStyle;
    if (::IsWindow(m_hWnd)) Invalidate();
}

CStatusBarCtrl& CStatusBar::GetStatusBarCtrl() const
{
    m_ctrl.m_hWnd = m_hWnd;
    return m_ctrl;
}

void CStatusBar::DrawItem(LPDRAWITEMSTRUCT) {}

CSize CStatusBar::CalcFixedLayout(BOOL, BOOL)
{
    if (m_cyBar == 0) {
        const HDC dc = ::CreateCompatibleDC(HDC());
        const HGDIOBJ old = ::SelectObject(dc, BarFont());
        TEXTMETRIC tm{};
        ::GetTextMetrics(dc, &tm);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        m_cyBar = tm.tmHeight + kBarPadding;
    }
    return CSize(32767, m_cyBar);
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    StatusCmdUI state(*this);
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(m_panes.size());
    for (int i = 0; i < GetCount(); ++i) {
        const UINT id = m_panes[static_cast<std::size_t>(i)].id;
        if (id == ID_SEPARATOR) continue;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_nID = id;
        state.DoUpdate(pTarget, FALSE);
    }
    (void)bDisableIfNoHndler;
}

BOOL CStatusBar::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (pResult) *pResult = TRUE;
        return TRUE;
    }
    return CControlBar::OnChildNotify(message, wParam, lParam, pResult);
}

void CStatusBar::OnSize(UINT nType, int cx, int cy)
{
    CControlBar::OnSize(nType, cx, cy);
    Invalidate();
}

void CStatusBar::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    std::vector<CRect> rects;
    Layout(rects);
    const HGDIOBJ oldFont = ::SelectObject(dc, BarFont());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    const HWND self = m_hWnd;
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const Pane& pane = m_panes[i];
        CRect r = rects[i];
        if (!(pane.style & SBPS_NOBORDERS)) {
            CRect edge = r;
            ::DrawEdge(dc, &edge, (pane.style & SBPS_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
        }
        CRect inner(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
        if (pane.style & SBPS_OWNERDRAW) {
            DRAWITEMSTRUCT item;
            item.CtlType = 0;
            item.CtlID = static_cast<UINT>(GetDlgCtrlID());
            item.itemID = static_cast<UINT>(i);
            item.itemAction = ODA_DRAWENTIRE;
            item.hwndItem = self;
            item.hDC = dc.GetSafeHdc();
            item.rcItem = inner;
            item.itemData = pane.data;
            const int saved = ::SaveDC(dc);
            ::IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
            // The parent hands it back to DrawItem (reflection).
            if (CWnd* parent = GetParent()) {
                parent->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(GetDlgCtrlID()), reinterpret_cast<LPARAM>(&item));
            } else {
                DrawItem(&item);
            }
            if (!::IsWindow(self)) return;
            ::RestoreDC(dc, saved);
            continue;
        }
        if ((pane.style & SBPS_DISABLED) || pane.text.IsEmpty()) continue;
        CRect textRect(inner.left + kTextMargin - 1, inner.top, inner.right - 1, inner.bottom);
        ::DrawText(dc, pane.text.GetString(), pane.text.GetLength(), &textRect,
                   DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    ::SelectObject(dc, oldFont);
}

LRESULT CStatusBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT:
        // The window text is the message pane's.
        if (GetCount() > 0) SetPaneText(0, reinterpret_cast<LPCTSTR>(lParam), TRUE);
        return TRUE;
    case WM_GETTEXT: {
        const CString text = GetPaneText(0);
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        const int capacity = static_cast<int>(wParam);
        if (!buffer || capacity <= 0) return 0;
        const int n = std::min(text.GetLength(), capacity - 1);
        std::copy_n(text.GetString(), n, buffer);
        buffer[n] = 0;
        return n;
    }
    case WM_GETTEXTLENGTH: return GetPaneText(0).GetLength();
    case SB_SETTEXTW: {
        const int index = static_cast<int>(wParam & 0xFF);
        const UINT type = static_cast<UINT>(wParam & 0xFF00);
        if (index < 0 || index >= GetCount()) return FALSE;
        Pane& pane = m_panes[static_cast<std::size_t>(index)];
        UINT style = pane.style & ~(SBPS_NOBORDERS | SBPS_POPOUT | SBPS_OWNERDRAW);
        if (type & SBT_NOBORDERS) style |= SBPS_NOBORDERS;
        if (type & SBT_POPOUT) style |= SBPS_POPOUT;
        if (type & SBT_OWNERDRAW) {
            style |= SBPS_OWNERDRAW;
            pane.data = static_cast<DWORD_PTR>(lParam);
            pane.style = style;
            Invalidate();
            return TRUE;
        }
        pane.style = style;
        SetPaneText(index, reinterpret_cast<LPCTSTR>(lParam), TRUE);
        Invalidate();
        return TRUE;
    }
    case SB_GETTEXTLENGTHW: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= GetCount()) return 0;
        const Pane& pane = m_panes[static_cast<std::size_t>(index)];
        const UINT type = pane.style & (SBPS_NOBORDERS | SBPS_POPOUT | SBPS_OWNERDRAW);
        return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(pane.text.GetLength()), static_cast<WORD>(type)));
    }
    case SB_GETTEXTW: {
        const int index = static_cast<int>(wParam);
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        if (index < 0 || index >= GetCount() || !buffer) return 0;
        const CString& text = m_panes[static_cast<std::size_t>(index)].text;
        std::copy_n(text.GetString(), text.GetLength(), buffer);
        buffer[text.GetLength()] = 0;
        return text.GetLength();
    }
    case SB_GETRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        const int index = static_cast<int>(wParam);
        if (!r || index < 0 || index >= GetCount()) return FALSE;
        GetItemRect(index, r);
        return TRUE;
    }
    case SB_GETPARTS: {
        std::vector<CRect> rects;
        Layout(rects);
        auto* parts = reinterpret_cast<int*>(lParam);
        const int n = std::min(static_cast<int>(wParam), GetCount());
        for (int i = 0; parts && i < n; ++i) parts[i] = rects[static_cast<std::size_t>(i)].right;
        return GetCount();
    }
    default:
        return CControlBar::WindowProc(message, wParam, lParam);
    }
}
