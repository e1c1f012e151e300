#include "manager/ui/ConnectableDialog.h"

#include "comm/CommManager.h"
#include "comm/LinkEvent.h"
#include "manager/core/DataManager.h"
#include "manager/core/StatusCells.h"
#include "manager/ui/WindowAids.h"
#include "platform/ui/DC.h"

IMPLEMENT_DYNAMIC(CConnectableDialog, CDialog)

namespace {

// A line error during a dialog's command ends that command as NG with this code.
constexpr int kLinkErrorCode = 0x49;

}  // namespace

BEGIN_MESSAGE_MAP(CConnectableDialog, CDialog)
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CConnectableDialog::OnLinkEvent)
    ON_MESSAGE(kCommandEndedMessage, &CConnectableDialog::OnCommandEndedMessage)
    ON_WM_CTLCOLOR()
    ON_WM_SIZE()
    ON_WM_SHOWWINDOW()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CConnectableDialog::CConnectableDialog(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd) {}

CConnectableDialog::~CConnectableDialog() { ReleaseLink(); }

BOOL CConnectableDialog::CreateConnected(UINT nIDTemplate, CWnd* pParentWnd, ControllerData* record, CCommManager* link,
                                         CControllerProtocol* protocol, int node)
{
    m_record = record;
    m_link = link;
    m_protocol = protocol;
    m_node = node;
    const BOOL created = Create(nIDTemplate, pParentWnd);
    m_created = created != FALSE;
    return created;
}

LRESULT CConnectableDialog::OnLinkEvent(WPARAM wParam, LPARAM lParam) { return OnCommData(wParam, lParam); }

LRESULT CConnectableDialog::OnCommData(WPARAM, LPARAM lParam)
{
    if (!m_protocol) return 0;
    switch (LOWORD(static_cast<std::uintptr_t>(lParam))) {
    case LINK_EVENT_READ: m_protocol->OnDataArrived(); break;
    case LINK_EVENT_ERROR: m_protocol->InjectLinkError(kLinkErrorCode); break;
    default: break;
    }
    return 0;
}

LRESULT CConnectableDialog::OnCommandEndedMessage(WPARAM wParam, LPARAM)
{
    OnCommandEnded(wParam);
    return 0;
}

void CConnectableDialog::OnCommandEnded(WPARAM) {}

bool CConnectableDialog::Layout(int, int) { return false; }

void CConnectableDialog::OnSize(UINT nType, int cx, int cy) { OnSizeBody(nType, cx, cy); }

void CConnectableDialog::OnSizeBody(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (m_created) Layout(cx, cy);
}

void CConnectableDialog::OnShowWindow(BOOL bShow, UINT nStatus) { OnShowBody(bShow, nStatus); }

void CConnectableDialog::OnShowBody(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (bShow) {
        CRect client;
        GetClientRect(&client);
        Layout(client.Width(), client.Height());
    }
}

void CConnectableDialog::OnDestroy()
{
    ReleaseLink();
    m_created = false;
    CDialog::OnDestroy();
}

bool CConnectableDialog::AcquireLink()
{
    if (IsLinkAcquired()) return true;
    m_cells = CDataManager::GetStatusCells();
    if (m_cells) {
        // Waits, pumping, for the poll's query in flight; never longer than
        // a query may take.
        if (!m_cells->Handshake().Hold(kAcquireTimeoutMs)) {
            m_cells.reset();
            return false;
        }
        m_holding = true;
    }
    if (m_link) {
        m_previous = m_link->DetatchWnd();
        m_link->AttatchWnd(GetSafeHwnd());
    }
    return true;
}

void CConnectableDialog::ReleaseLink()
{
    if (m_link && m_previous != HWND()) m_link->AttatchWnd(m_previous);
    m_previous = HWND();
    if (m_holding && m_cells) m_cells->Handshake().Release();
    m_holding = false;
    m_cells.reset();
}

BOOL CConnectableDialog::PreTranslateMessage(MSG* pMsg)
{
    // Enter and Escape neither press the default button nor close the window.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) return FALSE;
    return CDialog::PreTranslateMessage(pMsg);
}

HBRUSH CConnectableDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    const HBRUSH standard = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if ((nCtlColor == CTLCOLOR_EDIT || nCtlColor == CTLCOLOR_LISTBOX) && pWnd && pWnd->IsWindowEnabled()) return standard;
    pDC->SetBkColor(CachedButtonFaceColor());
    return CommonBackgroundBrush();
}
