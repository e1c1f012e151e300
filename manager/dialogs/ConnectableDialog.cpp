#include "manager/dialogs/ConnectableDialog.h"

#include "comm/CommManager.h"
#include "comm/LinkEvent.h"
#include "manager/core/ControllerProtocol.h"
#include "manager/core/DataManager.h"
#include "manager/core/StatusCells.h"

IMPLEMENT_DYNAMIC(CConnectableDialog, CDialog)

BEGIN_MESSAGE_MAP(CConnectableDialog, CDialog)
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CConnectableDialog::OnLinkEvent)
    ON_MESSAGE(kCommandEndedMessage, &CConnectableDialog::OnCommandEndedMessage)
    ON_WM_CTLCOLOR()
    ON_WM_SIZE()
    ON_WM_SHOWWINDOW()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CConnectableDialog::~CConnectableDialog() { ReleaseLink(); }

BOOL CConnectableDialog::CreateConnected(UINT nIDTemplate, CWnd* pParent, ControllerData* pData, CCommManager* pLink,
                                         CControllerProtocol* pProtocol, int nNode)
{
    BindLink(pData, pLink, pProtocol, nNode);
    const BOOL created = Create(nIDTemplate, pParent);
    m_bCreated = created != FALSE;
    return created;
}

void CConnectableDialog::BindLink(ControllerData* pData, CCommManager* pLink, CControllerProtocol* pProtocol, int nNode)
{
    // A link borrowed from the previous controller goes back first.
    if (pLink != m_pCommManager) ReleaseLink();
    m_pControllerData = pData;
    m_pCommManager = pLink;
    m_pProtocol = pProtocol;
    m_nNode = nNode;
}

bool CConnectableDialog::AcquireLink()
{
    if (m_bBorrowed) return true;
    if (!m_pCommManager) return false;
    std::shared_ptr<StatusCells> cells = CDataManager::GetStatusCells();
    // The hold waits, bounded and pumping, for the poll's query in flight.
    if (cells && !cells->Handshake().Hold()) return false;
    m_heldCells = std::move(cells);
    m_hPrevWnd = m_pCommManager->DetatchWnd();
    m_pCommManager->AttatchWnd(GetSafeHwnd());
    m_bBorrowed = true;
    return true;
}

void CConnectableDialog::ReleaseLink()
{
    if (!m_bBorrowed) return;
    if (m_pCommManager) m_pCommManager->AttatchWnd(m_hPrevWnd);
    m_hPrevWnd = HWND();
    if (m_heldCells) m_heldCells->Handshake().Release();
    m_heldCells.reset();
    m_bBorrowed = false;
}

BOOL CConnectableDialog::PreTranslateMessage(MSG* pMsg)
{
    // Enter and Escape neither press the default button nor close the window.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) return FALSE;
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT CConnectableDialog::OnCommData(WPARAM, LPARAM lParam)
{
    if (!m_pProtocol) return 0;
    switch (LOWORD(static_cast<std::uintptr_t>(lParam))) {
    case LINK_EVENT_READ:
        m_pProtocol->OnDataArrived();
        break;
    case LINK_EVENT_ERROR:
    case LINK_EVENT_CLOSE:
        // No reply can come: the command in flight ends as NG now.
        m_pProtocol->InjectLinkError(kLinkErrorCode);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CConnectableDialog::OnLinkEvent(WPARAM wParam, LPARAM lParam) { return OnCommData(wParam, lParam); }

LRESULT CConnectableDialog::OnCommandEndedMessage(WPARAM wParam, LPARAM)
{
    OnCommandEnded(wParam);
    return 0;
}

void CConnectableDialog::OnCommandEnded(WPARAM) {}

void CConnectableDialog::OnSizeBody(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (m_bCreated) Layout(cx, cy);
}

void CConnectableDialog::OnShowBody(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (bShow) {
        CRect client;
        GetClientRect(&client);
        Layout(client.Width(), client.Height());
    }
}

bool CConnectableDialog::Layout(int, int) { return false; }

void CConnectableDialog::OnSize(UINT nType, int cx, int cy) { OnSizeBody(nType, cx, cy); }

void CConnectableDialog::OnShowWindow(BOOL bShow, UINT nStatus) { OnShowBody(bShow, nStatus); }

HBRUSH CConnectableDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const bool editable = (nCtlColor == CTLCOLOR_EDIT || nCtlColor == CTLCOLOR_LISTBOX) && pWnd &&
                          pWnd->IsWindowEnabled();
    if (editable) return brush;
    pDC->SetBkColor(GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void CConnectableDialog::OnDestroy()
{
    ReleaseLink();
    CDialog::OnDestroy();
    m_bCreated = false;
}
