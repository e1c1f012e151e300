#include "platform/ui/PropertySheet.h"

#include <algorithm>

#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"

namespace {

bool Japanese() { return platform::ChooseResourceLanguage() == CString(u"ja"); }

// Dialog units of the sheet's frame, as the system's sheets space them.
constexpr int kMarginDu = 7;
constexpr int kButtonWidthDu = 50;
constexpr int kButtonHeightDu = 14;
constexpr int kButtonGapDu = 4;

platform::DialogItemTemplate Item(const char16_t* className, int id, const std::u16string& text, DWORD style)
{
    platform::DialogItemTemplate item;
    item.className = className;
    item.id = id;
    item.text = platform::TemplateName::Text(text);
    item.style = WS_CHILD | WS_VISIBLE | style;
    item.cx = kButtonWidthDu;
    item.cy = kButtonHeightDu;
    return item;
}

// Button ids of the sheet, left to right.
constexpr int kButtonIds[] = {IDOK, IDCANCEL, static_cast<int>(ID_APPLY_NOW), IDHELP};

}  // namespace

// ------------------------------------------------------------ CPropertyPage

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption, DWORD dwSize) : CDialog(nIDTemplate)
{
    m_psp.dwSize = dwSize;
    m_psp.pszTemplate = MAKEINTRESOURCEW(nIDTemplate);
    if (nIDCaption && m_strCaption.LoadString(nIDCaption)) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = m_strCaption.GetString();
    }
}

CPropertyPage::CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption, DWORD dwSize) : CDialog(lpszTemplateName)
{
    m_psp.dwSize = dwSize;
    m_psp.pszTemplate = m_strTemplateName.IsEmpty() ? MAKEINTRESOURCEW(m_nIDTemplate) : m_strTemplateName.GetString();
    if (nIDCaption && m_strCaption.LoadString(nIDCaption)) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = m_strCaption.GetString();
    }
}

CPropertyPage::~CPropertyPage() = default;

BOOL CPropertyPage::OnSetActive()
{
    // The first showing follows OnInitDialog, which has filled the controls.
    if (m_firstSetActive) {
        m_firstSetActive = false;
        return TRUE;
    }
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL bChanged)
{
    CWnd* sheet = GetSafeHwnd() ? GetParent() : nullptr;
    if (!sheet) {
        m_modified = bChanged != FALSE;
        return;
    }
    sheet->SendMessage(bChanged ? PSM_CHANGED : PSM_UNCHANGED, GetSafeHwnd().ToWParam());
}

void CPropertyPage::CancelToClose()
{
    if (CWnd* sheet = GetSafeHwnd() ? GetParent() : nullptr) sheet->SendMessage(PSM_CANCELTOCLOSE);
}

LRESULT CPropertyPage::QuerySiblings(WPARAM wParam, LPARAM lParam)
{
    CWnd* sheet = GetSafeHwnd() ? GetParent() : nullptr;
    return sheet ? sheet->SendMessage(PSM_QUERYSIBLINGS, wParam, lParam) : 0;
}

// ----------------------------------------------------------- CPropertySheet

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
    ON_MESSAGE(WM_INITDIALOG, &CPropertySheet::HandleInitDialog)
    ON_COMMAND(IDOK, &CPropertySheet::OnOKButton)
    ON_COMMAND(IDCANCEL, &CPropertySheet::OnCancelButton)
    ON_COMMAND(ID_APPLY_NOW, &CPropertySheet::OnApplyButton)
    ON_COMMAND(IDHELP, &CPropertySheet::OnHelpButton)
    ON_WM_CLOSE()
    ON_NOTIFY(TCN_SELCHANGING, AFX_IDC_TAB_CONTROL, &CPropertySheet::OnTabChanging)
    ON_NOTIFY(TCN_SELCHANGE, AFX_IDC_TAB_CONTROL, &CPropertySheet::OnTabChanged)
    ON_MESSAGE(PSM_SETCURSEL, &CPropertySheet::HandleSetCurSel)
    ON_MESSAGE(PSM_CHANGED, &CPropertySheet::HandleChanged)
    ON_MESSAGE(PSM_UNCHANGED, &CPropertySheet::HandleUnchanged)
    ON_MESSAGE(PSM_CANCELTOCLOSE, &CPropertySheet::HandleCancelToClose)
    ON_MESSAGE(PSM_QUERYSIBLINGS, &CPropertySheet::HandleQuerySiblings)
    ON_MESSAGE(PSM_APPLY, &CPropertySheet::HandleApply)
    ON_MESSAGE(PSM_PRESSBUTTON, &CPropertySheet::HandlePressButton)
    ON_MESSAGE(PSM_GETTABCONTROL, &CPropertySheet::HandleGetTabControl)
    ON_MESSAGE(PSM_GETCURRENTPAGEHWND, &CPropertySheet::HandleGetCurrentPage)
    ON_MESSAGE(PSM_SETTITLEW, &CPropertySheet::HandleSetTitle)
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet() = default;

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) : m_pParentWnd(pParentWnd)
{
    m_strCaption.LoadString(nIDCaption);
    m_psh.pszCaption = m_strCaption.GetString();
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_pParentWnd(pParentWnd), m_strCaption(pszCaption ? pszCaption : u"")
{
    m_psh.pszCaption = m_strCaption.GetString();
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet()
{
    // The handlers are this class's: the window goes while they exist.
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (!pPage || std::find(m_pages.begin(), m_pages.end(), pPage) != m_pages.end()) return;
    m_pages.push_back(pPage);
    m_psh.nPages = static_cast<UINT>(m_pages.size());
    if (!GetSafeHwnd()) return;
    platform::DialogTemplate t;
    if (!pPage->LoadTemplate(t)) {
        m_pages.pop_back();
        m_psh.nPages = static_cast<UINT>(m_pages.size());
        return;
    }
    CString title = (pPage->m_psp.dwFlags & PSP_USETITLE) && pPage->m_psp.pszTitle ? CString(pPage->m_psp.pszTitle)
                                                                                      : CString(t.caption.c_str());
    m_templates.push_back(std::move(t));
    if (CTabCtrl* tab = GetTabControl()) tab->InsertItem(GetPageCount() - 1, title.GetString());
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) { RemovePage(GetPageIndex(pPage)); }

void CPropertySheet::RemovePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount()) return;
    CPropertyPage* page = m_pages[static_cast<std::size_t>(nPage)];
    if (GetSafeHwnd()) {
        // The shown page cannot go while it is the only one.
        if (nPage == m_active && GetPageCount() == 1) return;
        if (nPage == m_active) {
            const int next = nPage + 1 < GetPageCount() ? nPage + 1 : nPage - 1;
            if (!ShowPage(next)) return;
        }
        if (page->GetSafeHwnd()) page->DestroyWindow();
        if (CTabCtrl* tab = GetTabControl()) tab->DeleteItem(nPage);
        if (static_cast<std::size_t>(nPage) < m_templates.size()) m_templates.erase(m_templates.begin() + nPage);
        if (m_active > nPage) --m_active;
        if (CTabCtrl* tab = GetTabControl()) tab->SetCurSel(m_active);
        UpdateApplyButton();
    }
    m_pages.erase(m_pages.begin() + nPage);
    m_psh.nPages = static_cast<UINT>(m_pages.size());
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<std::size_t>(nPage)] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const
{
    const auto it = std::find(m_pages.begin(), m_pages.end(), pPage);
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

int CPropertySheet::GetActiveIndex() const
{
    if (GetSafeHwnd()) return m_active;
    return static_cast<int>(m_psh.nStartPage) < GetPageCount() ? static_cast<int>(m_psh.nStartPage) : 0;
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount()) return FALSE;
    if (!GetSafeHwnd()) {
        m_psh.nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    if (nPage == m_active) return TRUE;
    if (!LeaveActivePage()) return FALSE;
    return ShowPage(nPage) ? TRUE : FALSE;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }

CTabCtrl* CPropertySheet::GetTabControl() const
{
    // The control classes hold no data, so the tab's object serves as one.
    return GetSafeHwnd() ? static_cast<CTabCtrl*>(GetDlgItem(AFX_IDC_TAB_CONTROL)) : nullptr;
}

void CPropertySheet::SetTitle(LPCTSTR lpszText, UINT nStyle)
{
    m_strCaption = lpszText ? lpszText : u"";
    m_psh.pszCaption = m_strCaption.GetString();
    m_psh.dwFlags = (m_psh.dwFlags & ~PSH_PROPTITLE) | (nStyle & PSH_PROPTITLE);
    if (GetSafeHwnd()) SetWindowText(m_strCaption);
}

void CPropertySheet::PressButton(int nButton)
{
    if (GetSafeHwnd()) SendMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(nButton));
}

void CPropertySheet::EndDialog(int nEndID) { Finish(nEndID); }

bool CPropertySheet::BuildTemplate(platform::DialogTemplate& sheet, DWORD style, DWORD exStyle)
{
    if (m_pages.empty()) return false;
    m_templates.clear();
    for (CPropertyPage* page : m_pages) {
        platform::DialogTemplate t;
        if (!page->LoadTemplate(t)) return false;
        m_templates.push_back(std::move(t));
    }
    // The sheet speaks in its first page's font.
    const platform::DialogTemplate& first = m_templates.front();
    sheet.extended = true;
    sheet.style = style;
    sheet.exStyle = exStyle;
    sheet.caption = m_strCaption.GetString();
    sheet.hasFont = first.hasFont;
    sheet.pointSize = first.pointSize;
    sheet.weight = first.weight;
    sheet.italic = first.italic;
    sheet.charSet = first.charSet;
    sheet.faceName = first.faceName;

    // Sizes are set again in pixels once the tab knows its header.
    platform::DialogItemTemplate tab = Item(WC_TABCONTROL, static_cast<int>(AFX_IDC_TAB_CONTROL), u"",
                                            WS_TABSTOP | WS_CLIPSIBLINGS);
    sheet.items.push_back(tab);
    const bool ja = Japanese();
    sheet.items.push_back(Item(u"Button", IDOK, u"OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON));
    sheet.items.push_back(Item(u"Button", IDCANCEL, ja ? u"キャンセル" : u"Cancel", WS_TABSTOP | BS_PUSHBUTTON));
    if (!(m_psh.dwFlags & PSH_NOAPPLYNOW)) {
        sheet.items.push_back(Item(u"Button", static_cast<int>(ID_APPLY_NOW), ja ? u"適用(&A)" : u"&Apply",
                                   WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON));
    }
    bool help = (m_psh.dwFlags & PSH_HASHELP) != 0;
    for (CPropertyPage* page : m_pages) help = help || (page->m_psp.dwFlags & PSP_HASHELP);
    if (help) {
        sheet.items.push_back(Item(u"Button", IDHELP, ja ? u"ヘルプ" : u"Help", WS_TABSTOP | BS_PUSHBUTTON));
    }
    return true;
}

INT_PTR CPropertySheet::DoModal()
{
    if (GetSafeHwnd()) return -1;
    platform::DialogTemplate t;
    if (!BuildTemplate(t, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, WS_EX_DLGMODALFRAME)) {
        return -1;
    }
    m_modal = true;
    const INT_PTR result = platform::RunModalDialog(*this, std::move(t), m_pParentWnd);
    m_modal = false;
    m_active = -1;
    return result;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    if (GetSafeHwnd()) return FALSE;
    if (pParentWnd) m_pParentWnd = pParentWnd;
    if (dwStyle == static_cast<DWORD>(-1)) dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    platform::DialogTemplate t;
    if (!BuildTemplate(t, dwStyle | DS_SETFONT, dwExStyle)) return FALSE;
    m_modal = false;
    m_psh.dwFlags |= PSH_MODELESS;
    const HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : HWND();
    return platform::CreateDialogWindows(*this, t, parent, 0, false) ? TRUE : FALSE;
}

LRESULT CPropertySheet::HandleInitDialog(WPARAM, LPARAM)
{
    CTabCtrl* tab = GetTabControl();
    if (tab) {
        for (int i = 0; i < GetPageCount(); ++i) {
            const CPropertyPage* page = m_pages[static_cast<std::size_t>(i)];
            const CString title = (page->m_psp.dwFlags & PSP_USETITLE) && page->m_psp.pszTitle
                                      ? CString(page->m_psp.pszTitle)
                                      : CString(m_templates[static_cast<std::size_t>(i)].caption.c_str());
            tab->InsertItem(i, title.GetString());
        }
    }
    LayOut();
    m_active = -1;
    int start = static_cast<int>(m_psh.nStartPage);
    if (start < 0 || start >= GetPageCount()) start = 0;
    if (!ShowPage(start)) {
        // A page that refuses to be first gives way to the next that accepts.
        for (int i = 0; i < GetPageCount() && m_active < 0; ++i) {
            if (i != start) ShowPage(i);
        }
    }
    return OnInitDialog();
}

BOOL CPropertySheet::OnInitDialog()
{
    if (m_strCaption.IsEmpty() == FALSE) SetWindowText(m_strCaption);
    return TRUE;
}

void CPropertySheet::LayOut()
{
    CTabCtrl* tab = GetTabControl();
    if (!tab) return;
    RECT du{kMarginDu, kMarginDu, kButtonWidthDu, kButtonHeightDu};
    ::MapDialogRect(GetSafeHwnd(), &du);
    RECT gapDu{kButtonGapDu, 0, 0, 0};
    ::MapDialogRect(GetSafeHwnd(), &gapDu);
    const int marginX = du.left;
    const int marginY = du.top;
    const int buttonWidth = du.right;
    const int buttonHeight = du.bottom;
    const int gap = gapDu.left;

    SIZE pageSize{0, 0};
    for (const platform::DialogTemplate& t : m_templates) {
        const SIZE s = platform::DialogTemplateSize(t);
        pageSize.cx = std::max(pageSize.cx, s.cx);
        pageSize.cy = std::max(pageSize.cy, s.cy);
    }
    std::vector<HWND> buttons;
    for (const int id : kButtonIds) {
        if (const HWND b = ::GetDlgItem(GetSafeHwnd(), id)) buttons.push_back(b);
    }
    const int count = static_cast<int>(buttons.size());
    const int rowWidth = count * buttonWidth + std::max(0, count - 1) * gap;

    RECT tabRect{0, 0, pageSize.cx, pageSize.cy};
    tab->AdjustRect(TRUE, &tabRect);
    int tabWidth = tabRect.right - tabRect.left;
    const int tabHeight = tabRect.bottom - tabRect.top;
    tabWidth = std::max(tabWidth, rowWidth);
    tab->SetWindowPos(nullptr, marginX, marginY, tabWidth, tabHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    const int clientWidth = tabWidth + 2 * marginX;
    const int buttonTop = marginY + tabHeight + marginY;
    const int clientHeight = buttonTop + buttonHeight + marginY;
    int x = clientWidth - marginX - rowWidth;
    for (const HWND b : buttons) {
        ::SetWindowPos(b, HWND(), x, buttonTop, buttonWidth, buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        x += buttonWidth + gap;
    }

    CRect window;
    CRect client;
    GetWindowRect(&window);
    GetClientRect(&client);
    SetWindowPos(nullptr, 0, 0, clientWidth + window.Width() - client.Width(),
                 clientHeight + window.Height() - client.Height(), SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    if (!(GetStyle() & WS_CHILD)) CenterWindow(m_pParentWnd);
}

bool CPropertySheet::CreatePage(int index)
{
    CPropertyPage* page = m_pages[static_cast<std::size_t>(index)];
    if (page->GetSafeHwnd()) return true;
    if (static_cast<std::size_t>(index) >= m_templates.size()) return false;
    platform::DialogTemplate t = m_templates[static_cast<std::size_t>(index)];
    // A page is a control-like child of the sheet: no frame, shown when chosen.
    t.style &= ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE |
                 WS_DISABLED | DS_MODALFRAME | DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN);
    t.style |= WS_CHILD | DS_CONTROL | WS_TABSTOP;
    t.exStyle &= ~(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_APPWINDOW);
    t.x = 0;
    t.y = 0;
    page->m_firstSetActive = true;
    page->m_modified = false;
    page->m_pParentWnd = this;
    if (!platform::CreateDialogWindows(*page, t, GetSafeHwnd(), 0, false)) return false;
    // In the tab order the page follows the tab control.
    if (CTabCtrl* tab = GetTabControl()) {
        CRect area;
        tab->GetWindowRect(&area);
        ScreenToClient(&area);
        tab->AdjustRect(FALSE, &area);
        page->SetWindowPos(tab, area.left, area.top, area.Width(), area.Height(), SWP_NOACTIVATE);
    }
    return true;
}

bool CPropertySheet::ShowPage(int index)
{
    if (index < 0 || index >= GetPageCount()) return false;
    if (!CreatePage(index)) return false;
    CPropertyPage* page = m_pages[static_cast<std::size_t>(index)];
    if (!page->OnSetActive()) return false;
    if (CPropertyPage* old = GetPage(m_active); old && old != page && old->GetSafeHwnd()) old->ShowWindow(SW_HIDE);
    m_active = index;
    if (CTabCtrl* tab = GetTabControl(); tab && tab->GetCurSel() != index) tab->SetCurSel(index);
    page->ShowWindow(SW_SHOWNA);
    // Focus left on a hidden page would take the keys away from the sheet.
    const HWND focus = ::GetFocus();
    if (!focus || (focus != GetSafeHwnd() && !::IsChild(GetSafeHwnd(), focus)) || !::IsWindowVisible(focus)) {
        if (const HWND first = ::GetNextDlgTabItem(page->GetSafeHwnd(), HWND(), FALSE)) ::SetFocus(first);
    }
    return true;
}

bool CPropertySheet::LeaveActivePage()
{
    CPropertyPage* page = GetPage(m_active);
    return !page || !page->GetSafeHwnd() || page->OnKillActive();
}

bool CPropertySheet::ApplyAll()
{
    for (int i = 0; i < GetPageCount(); ++i) {
        CPropertyPage* page = m_pages[static_cast<std::size_t>(i)];
        if (!page->GetSafeHwnd()) continue;
        if (!page->OnApply()) {
            if (i != m_active) ShowPage(i);
            return false;
        }
        page->m_modified = false;
    }
    UpdateApplyButton();
    return true;
}

void CPropertySheet::ResetAll()
{
    for (CPropertyPage* page : m_pages) {
        if (page->GetSafeHwnd()) page->OnReset();
    }
}

void CPropertySheet::Finish(int result)
{
    if (!GetSafeHwnd()) return;
    if (m_modal || ContinueModal()) {
        ::EndDialog(GetSafeHwnd(), result);
    } else {
        DestroyWindow();
    }
}

void CPropertySheet::UpdateApplyButton()
{
    const bool modified = std::any_of(m_pages.begin(), m_pages.end(),
                                      [](const CPropertyPage* p) { return p->GetSafeHwnd() && p->m_modified; });
    if (const HWND apply = ::GetDlgItem(GetSafeHwnd(), ID_APPLY_NOW)) ::EnableWindow(apply, modified);
}

void CPropertySheet::OnOKButton()
{
    if (!LeaveActivePage()) return;
    if (!ApplyAll()) return;
    Finish(IDOK);
}

void CPropertySheet::OnCancelButton()
{
    CPropertyPage* page = GetPage(m_active);
    if (page && page->GetSafeHwnd() && !page->OnQueryCancel()) return;
    ResetAll();
    Finish(IDCANCEL);
}

void CPropertySheet::OnApplyButton()
{
    if (!LeaveActivePage()) return;
    ApplyAll();
}

void CPropertySheet::OnHelpButton()
{
    if (CPropertyPage* page = GetPage(m_active); page && page->GetSafeHwnd()) page->SendMessage(WM_COMMAND, ID_HELP);
}

void CPropertySheet::OnClose()
{
    // The close box is Cancel, even after CancelToClose has disabled it.
    OnCancelButton();
}

void CPropertySheet::OnTabChanging(NMHDR*, LRESULT* pResult) { *pResult = LeaveActivePage() ? FALSE : TRUE; }

void CPropertySheet::OnTabChanged(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    CTabCtrl* tab = GetTabControl();
    if (!tab) return;
    const int wanted = tab->GetCurSel();
    if (wanted != m_active && !ShowPage(wanted)) tab->SetCurSel(m_active);
}

LRESULT CPropertySheet::HandleSetCurSel(WPARAM wParam, LPARAM lParam)
{
    int index = static_cast<int>(wParam);
    if (lParam) {
        const HWND wanted = HWND::FromLParam(lParam);
        for (int i = 0; i < GetPageCount(); ++i) {
            if (m_pages[static_cast<std::size_t>(i)]->GetSafeHwnd() == wanted) index = i;
        }
    }
    return SetActivePage(index);
}

LRESULT CPropertySheet::HandleChanged(WPARAM wParam, LPARAM)
{
    const HWND pageHwnd = HWND::FromWParam(wParam);
    for (CPropertyPage* page : m_pages) {
        if (page->GetSafeHwnd() && page->GetSafeHwnd() == pageHwnd) page->m_modified = true;
    }
    UpdateApplyButton();
    return 0;
}

LRESULT CPropertySheet::HandleUnchanged(WPARAM wParam, LPARAM)
{
    const HWND pageHwnd = HWND::FromWParam(wParam);
    for (CPropertyPage* page : m_pages) {
        if (page->GetSafeHwnd() && page->GetSafeHwnd() == pageHwnd) page->m_modified = false;
    }
    UpdateApplyButton();
    return 0;
}

LRESULT CPropertySheet::HandleCancelToClose(WPARAM, LPARAM)
{
    // What is done cannot be undone: OK becomes Close and Cancel goes grey.
    if (const HWND ok = ::GetDlgItem(GetSafeHwnd(), IDOK)) {
        ::SetWindowTextW(ok, Japanese() ? u"閉じる" : u"Close");
    }
    if (const HWND cancel = ::GetDlgItem(GetSafeHwnd(), IDCANCEL)) ::EnableWindow(cancel, FALSE);
    return 0;
}

LRESULT CPropertySheet::HandleQuerySiblings(WPARAM wParam, LPARAM lParam)
{
    for (CPropertyPage* page : m_pages) {
        if (!page->GetSafeHwnd()) continue;
        if (const LRESULT answer = page->SendMessage(PSM_QUERYSIBLINGS, wParam, lParam)) return answer;
    }
    return 0;
}

LRESULT CPropertySheet::HandleApply(WPARAM, LPARAM) { return LeaveActivePage() && ApplyAll(); }

LRESULT CPropertySheet::HandlePressButton(WPARAM wParam, LPARAM)
{
    // As a click: handled after the caller's message, not inside it.
    int id = 0;
    switch (static_cast<int>(wParam)) {
    case PSBTN_OK: id = IDOK; break;
    case PSBTN_CANCEL: id = IDCANCEL; break;
    case PSBTN_APPLYNOW: id = static_cast<int>(ID_APPLY_NOW); break;
    case PSBTN_HELP: id = IDHELP; break;
    default: return 0;
    }
    const HWND button = ::GetDlgItem(GetSafeHwnd(), id);
    if (id != IDCANCEL && (!button || !::IsWindowEnabled(button))) return 0;
    PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), button.ToLParam());
    return 0;
}

LRESULT CPropertySheet::HandleGetTabControl(WPARAM, LPARAM)
{
    return ::GetDlgItem(GetSafeHwnd(), AFX_IDC_TAB_CONTROL).ToLParam();
}

LRESULT CPropertySheet::HandleGetCurrentPage(WPARAM, LPARAM)
{
    const CPropertyPage* page = GetPage(m_active);
    return page ? page->GetSafeHwnd().ToLParam() : 0;
}

LRESULT CPropertySheet::HandleSetTitle(WPARAM wParam, LPARAM lParam)
{
    SetTitle(reinterpret_cast<LPCTSTR>(lParam), static_cast<UINT>(wParam));
    return 0;
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg || !GetSafeHwnd()) return FALSE;
    if (pMsg->message == WM_KEYDOWN && ::GetKeyState(VK_CONTROL) < 0 && GetPageCount() > 1) {
        // Ctrl+Tab and Ctrl+PageDown step through the pages.
        int step = 0;
        if (pMsg->wParam == VK_TAB) step = ::GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
        if (pMsg->wParam == VK_NEXT) step = 1;
        if (pMsg->wParam == VK_PRIOR) step = -1;
        if (step) {
            const int count = GetPageCount();
            SetActivePage((m_active + step + count) % count);
            return TRUE;
        }
    }
    if (GetStyle() & WS_CHILD) return FALSE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    return ::IsDialogMessageW(GetSafeHwnd(), pMsg);
}
