#include "tools/trace/TraceToolWindows.h"

#include "tools/trace/ABCursorDlg.h"
#include "tools/trace/CalculatorDlg.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/TRDViewerDlg.h"

#include "platform/ui/Menu.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CTraceToolDlg, CDialog)

namespace {

constexpr int kImageWidth = 11;
constexpr int kImageHeight = 13;

}  // namespace

// ---------------------------------------------------------------- CTraceToolDlg

BEGIN_MESSAGE_MAP(CTraceToolDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CTraceToolDlg::CTraceToolDlg(UINT nIDTemplate, int nListId)
    : CDialog(nIDTemplate), m_nTemplate(nIDTemplate), m_nListId(nListId)
{
}

BOOL CTraceToolDlg::Show(CKXWatcherDlg* pOwner)
{
    m_pOwner = pOwner;
    m_hSource = pOwner ? pOwner->GetSafeHwnd() : HWND();
    if (!Create(m_nTemplate, pOwner)) return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

CKXWatcherDlg* CTraceToolDlg::Source() const
{
    if (m_hSource && ::IsWindow(m_hSource)) {
        if (auto* source = dynamic_cast<CKXWatcherDlg*>(CWnd::FromHandlePermanent(m_hSource))) return source;
    }
    return m_pOwner && ::IsWindow(m_pOwner->GetSafeHwnd()) ? m_pOwner : nullptr;
}

void CTraceToolDlg::SetSource(CKXWatcherDlg* pSource)
{
    CKXWatcherDlg* source = pSource ? pSource : m_pOwner;
    m_hSource = source ? source->GetSafeHwnd() : HWND();
}

void CTraceToolDlg::SourceClosing(CKXWatcherDlg* pClosing)
{
    if (!pClosing || !GetSafeHwnd()) return;
    const bool reading = m_hSource == pClosing->GetSafeHwnd();
    if (!reading) return;
    SetSource(pClosing == m_pOwner ? nullptr : m_pOwner);
    if (pClosing == m_pOwner) m_hSource = HWND();
    OnSourceGone();
}

CString CTraceToolDlg::CaptionFor(CKXWatcherDlg* pSource) const
{
    auto* viewer = dynamic_cast<CTRDViewerDlg*>(pSource);
    if (viewer && viewer->IsFileShown()) return m_strBaseCaption + u" - " + viewer->Model().m_strFileTitle;
    return m_strBaseCaption;
}

BOOL CTraceToolDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(m_nListId, this);
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    // Where it was last closed, or at the owner's right edge, under its caption.
    const CRect saved(SavedRect());
    if (m_pOwner && ShownOnce() && saved.Width() > 0 && saved.Height() > 0) {
        MoveWindow(&saved);
    } else if (m_pOwner) {
        CRect rcOwner;
        m_pOwner->GetWindowRect(&rcOwner);
        MoveWindow(rcOwner.right - rcWindow.Width(), rcOwner.top + ::GetSystemMetrics(SM_CYMIN), rcWindow.Width(),
                   rcWindow.Height());
    }
    if (m_pOwner) ShownOnce() = 1;

    CRect rcList;
    m_list.GetWindowRect(&rcList);
    ScreenToClient(&rcList);
    m_nListTop = rcList.top;
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_images.Create(kImageWidth, kImageHeight, ILC_COLOR24, 4, 1);
    m_list.SetImageList(&m_images, LVSIL_SMALL);
    if (CMenu* menu = GetSystemMenu(FALSE)) {
        menu->EnableMenuItem(SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
        menu->EnableMenuItem(SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);
    }
    GetWindowText(m_strBaseCaption);
    m_bInitialised = TRUE;
    FitList();
    return TRUE;
}

void CTraceToolDlg::FitList()
{
    if (!m_bInitialised || !m_list.GetSafeHwnd()) return;
    CRect rcClient;
    GetClientRect(&rcClient);
    CRect rcList;
    m_list.GetWindowRect(&rcList);
    ScreenToClient(&rcList);
    m_list.MoveWindow(rcList.left, m_nListTop, std::max(rcClient.Width() - 2 * rcList.left, 0),
                      std::max(rcClient.Height() - m_nListTop - rcList.left, 0));
}

void CTraceToolDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    FitList();
}

void CTraceToolDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    lpMMI->ptMinTrackSize.x = kMinTrackWidth;
    lpMMI->ptMinTrackSize.y = kMinTrackHeight;
    lpMMI->ptMaxTrackSize.x = std::max(::GetSystemMetrics(SM_CXSCREEN) / 2, kMinTrackWidth);
    lpMMI->ptMaxTrackSize.y = std::max(::GetSystemMetrics(SM_CYSCREEN) / 2, kMinTrackHeight);
}

void CTraceToolDlg::OnClose()
{
    if (m_pOwner) DestroyWindow();
    else CDialog::OnClose();
}

BOOL CTraceToolDlg::DestroyWindow()
{
    if (m_pOwner && GetSafeHwnd()) {
        CRect rcWindow;
        GetWindowRect(&rcWindow);
        SavedRect() = rcWindow;
    }
    return CDialog::DestroyWindow();
}

void CTraceToolDlg::PostNcDestroy()
{
    if (m_pOwner) TellOwnerGone();
    delete this;
}

int CTraceToolDlg::AddChannelImage(COLORREF crChannel)
{
    // The screen's DC, not the window's: a window that has not been shown
    // yet has no pixels to be compatible with, and its first rows would lose
    // their channel colours.
    CClientDC screen(HWND{});
    CDC memory;
    memory.CreateCompatibleDC(&screen);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(&screen, kImageWidth, kImageHeight)) return -1;
    CBitmap* old = memory.SelectObject(&bitmap);
    memory.FillSolidRect(0, 0, kImageWidth, kImageHeight, RGB(255, 255, 255));
    memory.FillSolidRect(0, 1, kImageWidth, kImageWidth, RGB(0, 0, 0));
    memory.FillSolidRect(1, 2, kImageWidth - 2, kImageWidth - 2, crChannel);
    memory.SelectObject(old);
    return m_images.Add(&bitmap, static_cast<CBitmap*>(nullptr));
}

void CTraceToolDlg::ClearRows()
{
    m_list.DeleteAllItems();
    while (m_images.GetImageCount() > 0) m_images.Remove(0);
}

// ---------------------------------------------------------------- CTraceToolWindows

CTraceToolWindows::CTraceToolWindows(CKXWatcherDlg& owner) : m_owner(owner) {}

CTraceToolWindows::~CTraceToolWindows() { DestroyAll(); }

void CTraceToolWindows::ShowABCursor(CKXWatcherDlg& source)
{
    if (!m_pABCursor) {
        auto* window = new CABCursorDlg;
        if (!window->Show(&m_owner)) {
            delete window;
            return;
        }
        m_pABCursor = window;
    } else {
        m_pABCursor->BringWindowToTop();
    }
    m_pABCursor->Refresh(&source);
}

void CTraceToolWindows::ShowCalculator(CKXWatcherDlg& source)
{
    if (!m_pCalculator) {
        auto* window = new CCalculatorDlg;
        window->SetSettings(m_calcSettings);
        if (!window->Show(&m_owner)) {
            delete window;
            return;
        }
        m_pCalculator = window;
    } else {
        m_pCalculator->BringWindowToTop();
    }
    m_pCalculator->SetSource(&source);
    m_pCalculator->Calculate();
}

void CTraceToolWindows::RefreshABCursor(CKXWatcherDlg& source)
{
    if (m_pABCursor) m_pABCursor->Refresh(&source);
}

void CTraceToolWindows::SourceActivated(CKXWatcherDlg& source)
{
    if (m_pABCursor) m_pABCursor->Refresh(&source);
    if (m_pCalculator) m_pCalculator->SetSource(&source);
}

CTRDViewerDlg* CTraceToolWindows::OpenViewer(const CString& strPath)
{
    auto* viewer = new CTRDViewerDlg(&m_owner);
    if (!viewer->Show(&m_owner)) {
        delete viewer;
        return nullptr;
    }
    m_viewers.push_back(viewer);
    if (!viewer->LoadFile(strPath)) {
        // A viewer of nothing is of no use: it goes again.
        viewer->DestroyWindow();
        return nullptr;
    }
    return viewer;
}

void CTraceToolWindows::ViewerClosing(CTRDViewerDlg& viewer)
{
    const auto found = std::find(m_viewers.begin(), m_viewers.end(), &viewer);
    if (found == m_viewers.end()) return;
    m_viewers.erase(found);
    if (m_pABCursor) m_pABCursor->SourceClosing(&viewer);
    if (m_pCalculator) m_pCalculator->SourceClosing(&viewer);
}

void CTraceToolWindows::IdleUpdate()
{
    // A copy: an idle update may close nothing, but the list must not move under it.
    const std::vector<CTRDViewerDlg*> viewers = m_viewers;
    for (CTRDViewerDlg* viewer : viewers)
        if (viewer->GetSafeHwnd()) viewer->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
}

BOOL CTraceToolWindows::IsModalOpen() const
{
    if (m_pCalculator && m_pCalculator->IsModalOpen()) return TRUE;
    return std::any_of(m_viewers.begin(), m_viewers.end(), [](const CTRDViewerDlg* v) { return v->IsModalOpen(); });
}

void CTraceToolWindows::DestroyAll()
{
    if (m_pABCursor) m_pABCursor->DestroyWindow();
    if (m_pCalculator) m_pCalculator->DestroyWindow();
    m_pABCursor = nullptr;
    m_pCalculator = nullptr;
    while (!m_viewers.empty()) {
        CTRDViewerDlg* last = m_viewers.back();
        m_viewers.pop_back();
        last->DestroyWindow();
    }
}
