#include "tools/ConnectBoxDlg.h"

#include "tools/CommMsgDlg.h"
#include "tools/CommSetPSheet.h"
#include "tools/ControlUtility.h"
#include "tools/MessagePump.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/core/CmdUI.h"
#include "platform/core/Time.h"
#include "platform/ui/Button.h"

BEGIN_MESSAGE_MAP(CConnectBoxDlg, CDialog)
    ON_BN_CLICKED(IDC_CONNECT_SETTINGS, &CConnectBoxDlg::OnCommSettings)
    ON_BN_CLICKED(IDC_CONNECT_CONNECT, &CConnectBoxDlg::OnConnect)
    ON_BN_CLICKED(IDC_CONNECT_SERIAL, &CConnectBoxDlg::OnTypeClicked)
    ON_BN_CLICKED(IDC_CONNECT_TCP, &CConnectBoxDlg::OnTypeClicked)
    ON_BN_CLICKED(IDC_CONNECT_DUMMY, &CConnectBoxDlg::OnTypeClicked)
    ON_CBN_SELCHANGE(IDC_CONNECT_PORT_LIST, &CConnectBoxDlg::OnSelChangePort)
    ON_MESSAGE(WM_KICKIDLE, &CConnectBoxDlg::OnKickIdle)
    ON_UPDATE_COMMAND_UI(IDC_CONNECT_SERIAL_LABEL, &CConnectBoxDlg::OnUpdateSerial)
    ON_UPDATE_COMMAND_UI(IDC_CONNECT_PORT_LIST, &CConnectBoxDlg::OnUpdateSerial)
    ON_UPDATE_COMMAND_UI(IDC_CONNECT_SETTINGS, &CConnectBoxDlg::OnUpdateSerial)
    ON_UPDATE_COMMAND_UI(IDC_CONNECT_IP_LABEL, &CConnectBoxDlg::OnUpdateTcp)
    ON_UPDATE_COMMAND_UI(IDC_CONNECT_IP_ADDRESS, &CConnectBoxDlg::OnUpdateTcp)
    ON_UPDATE_COMMAND_UI(IDC_CONNECT_PORT_LABEL, &CConnectBoxDlg::OnUpdateTcp)
    ON_UPDATE_COMMAND_UI(IDC_CONNECT_TCP_PORT, &CConnectBoxDlg::OnUpdateTcp)
END_MESSAGE_MAP()

CConnectBoxDlg::CConnectBoxDlg(CWnd* pParent) : CDialog(IDD_CONNECT_BOX, pParent) {}

CConnectBoxDlg::~CConnectBoxDlg()
{
    // The window's handlers are this class's; it goes before the language library.
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
}

INT_PTR CConnectBoxDlg::DoModal()
{
    if (!m_lang.Load()) return 0;
    return CDialog::DoModal();
}

void CConnectBoxDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONNECT_IP_ADDRESS, m_IPAddress);
    DDX_Control(pDX, IDC_CONNECT_TCP_PORT, m_PortNumber);
    DDX_Control(pDX, IDC_CONNECT_PORT_LIST, m_PortList);
    DDX_Radio(pDX, IDC_CONNECT_SERIAL, m_nConnectType);
    DDX_Check(pDX, IDC_CONNECT_DUMMY, m_bDummy);
    DDX_CBString(pDX, IDC_CONNECT_PORT_LIST, m_strSelPort);
}

BOOL CConnectBoxDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    commsettag record;
    if (m_pCommManager) m_pCommManager->GetCommSet(&record);
    m_bPortsAvailable = FillComPortList(&m_PortList, record.wMaxComPort, record.nComPort);
    m_PortList.GetLBText(m_PortList.GetCurSel(), m_strSelPort);
    // Serial 0, TCP/IP 1; a record that never opened a link chooses neither.
    m_nConnectType = record.nDefPortType == PORT_SERIAL ? 0 : record.nDefPortType == PORT_TCP ? 1 : -1;
    m_IPAddress.SetAddress(record.byIPAddress[0], record.byIPAddress[1], record.byIPAddress[2],
                           record.byIPAddress[3]);
    CString port;
    port.Format(u"%d", static_cast<int>(record.wTCPPort));
    m_PortNumber.SetWindowText(port);
    UpdateData(FALSE);
    UpdateDialogControls(this, FALSE);
    return TRUE;
}

LRESULT CConnectBoxDlg::OnKickIdle(WPARAM, LPARAM)
{
    UpdateDialogControls(this, FALSE);
    return 0;
}

void CConnectBoxDlg::OnUpdateSerial(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nConnectType == 0); }

void CConnectBoxDlg::OnUpdateTcp(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nConnectType == 1); }

void CConnectBoxDlg::OnTypeClicked()
{
    UpdateData(TRUE);
    UpdateDialogControls(this, FALSE);
}

void CConnectBoxDlg::OnSelChangePort()
{
    const int index = m_PortList.GetCurSel();
    if (index >= 0) m_PortList.GetLBText(index, m_strSelPort);
}

void CConnectBoxDlg::OnCommSettings()
{
    if (!m_pCommManager) return;
    commsettag record;
    m_pCommManager->GetCommSet(&record);
    CString port;
    const int index = m_PortList.GetCurSel();
    if (index >= 0) m_PortList.GetLBText(index, port);
    CCommSetPSheet sheet;
    if (!sheet.Initialize(port, &record)) return;
    if (sheet.DoModal() == IDOK) m_pCommManager->SetCommSet(&record);
}

bool CConnectBoxDlg::WaitUntilReady()
{
    const DWORD start = GetTickCount();
    while (!m_pCommManager->IsReady() && m_pCommManager->GetPortType() != PORT_NONE) {
        if (GetTickCount() - start >= kReadyWaitMs) return false;
        PumpAllMessages();
        Sleep(1);
    }
    return m_pCommManager->IsReady() != 0;
}

bool CConnectBoxDlg::Connect()
{
    if (!m_pCommManager) return false;
    commsettag record;
    m_pCommManager->GetCommSet(&record);
    record.nPortType = m_bDummy ? PORT_OFFLINE : static_cast<PortType>(m_nConnectType + 1);
    if (m_nConnectType == 1) {
        BYTE a = 0, b = 0, c = 0, d = 0;
        m_IPAddress.GetAddress(a, b, c, d);
        record.byIPAddress[0] = a;
        record.byIPAddress[1] = b;
        record.byIPAddress[2] = c;
        record.byIPAddress[3] = d;
        CString port;
        m_PortNumber.GetWindowText(port);
        const int number = _wtoi(port);
        // A port the field cannot hold connects nowhere.
        if (number < 1 || number > 0xFFFF) return false;
        record.wTCPPort = static_cast<WORD>(number);
        record.strHostName.Format(u"%d.%d.%d.%d", a, b, c, d);
    } else if (m_nConnectType == 0) {
        if (!m_bPortsAvailable) return false;
        CString entry;
        const int index = m_PortList.GetCurSel();
        if (index >= 0) m_PortList.GetLBText(index, entry);
        const int port = ComPortNumberOf(entry);
        if (port == 0) return false;
        record.nComPort = port;
    } else if (!m_bDummy) {
        return false;
    }
    if (record.nPortType != PORT_SERIAL && record.nPortType != PORT_TCP && record.nPortType != PORT_OFFLINE) {
        return false;
    }
    m_pCommManager->SetCommSet(&record);
    if (m_pCommManager->Open() != 1) return false;
    ShowCommMessage(this, CString(u"Creating connection..."));
    const bool ready = WaitUntilReady();
    HideCommMessage();
    return ready && m_pCommManager->GetPortType() != PORT_NONE;
}

void CConnectBoxDlg::OnCancel()
{
    if (!m_bConnecting) CDialog::OnCancel();
}

void CConnectBoxDlg::OnConnect()
{
    if (m_bConnecting) return;
    UpdateData(TRUE);
    CWnd* connect = GetDlgItem(IDC_CONNECT_CONNECT);
    CWnd* cancel = GetDlgItem(IDCANCEL);
    if (connect) connect->EnableWindow(FALSE);
    if (cancel) cancel->EnableWindow(FALSE);
    m_bConnecting = true;
    const bool connected = Connect();
    m_bConnecting = false;
    if (connected) {
        EndDialog(IDOK);
        return;
    }
    if (m_pCommManager) m_pCommManager->Close();
    AfxMessageBox(u"Cannot create connection", MB_OK | MB_ICONEXCLAMATION);
    if (connect) connect->EnableWindow(TRUE);
    if (cancel) cancel->EnableWindow(TRUE);
}
