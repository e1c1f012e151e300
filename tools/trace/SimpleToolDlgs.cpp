#include "tools/trace/SimpleToolDlgs.h"

#include "tools/CommandSession.h"
#include "tools/trace/KXWatcherDlg.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/core/MessageBox.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "platform/ui/SpinButtonCtrl.h"

#include <utility>

namespace {

// The first opening puts a tool window at the trace window's top-right
// corner, one caption lower; later ones where it was last closed.
void PlaceToolWindow(CWnd& tool, CWnd& owner, const CRect& saved)
{
    CRect rc;
    tool.GetWindowRect(&rc);
    if (!saved.IsRectEmpty()) {
        tool.SetWindowPos(nullptr, saved.left, saved.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return;
    }
    CRect rcOwner;
    owner.GetWindowRect(&rcOwner);
    tool.SetWindowPos(nullptr, rcOwner.right - rc.Width(), rcOwner.top + ::GetSystemMetrics(SM_CYMIN), 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER);
}

CRect g_rcTerm;
CRect g_rcOpe;

}  // namespace

// ---------------------------------------------------------------- simple terminal

BEGIN_MESSAGE_MAP(CSimpleTermDlg, CDialog)
    ON_BN_CLICKED(IDC_STERM_SEND, &CSimpleTermDlg::OnSend)
    ON_WM_CLOSE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSimpleTermDlg::CSimpleTermDlg() : CDialog(IDD_SIMPLE_TERM) {}

BOOL CSimpleTermDlg::Create(CKXWatcherDlg* pOwner)
{
    m_pOwner = pOwner;
    if (!CDialog::Create(IDD_SIMPLE_TERM, pOwner)) return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CSimpleTermDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_history.SubclassDlgItem(IDC_STERM_HISTORY, this);
    m_output.SubclassDlgItem(IDC_STERM_OUTPUT, this);
    m_output.LimitText(0);
    if (m_pOwner) PlaceToolWindow(*this, *m_pOwner, g_rcTerm);
    return TRUE;
}

void CSimpleTermDlg::AppendText(const CString& strText)
{
    const int end = m_output.GetWindowTextLength();
    m_output.SetSel(end, end);
    m_output.ReplaceSel(strText);
}

void CSimpleTermDlg::OnSend()
{
    CString text;
    m_history.GetWindowText(text);
    SetDlgItemText(IDC_STERM_LAST, text);
    if (!text.IsEmpty()) {
        const int same = m_history.FindStringExact(-1, text);
        if (same >= 0) m_history.DeleteString(static_cast<UINT>(same));
        else if (m_history.GetCount() >= kHistoryMax) m_history.DeleteString(kHistoryMax - 1);
        m_history.InsertString(0, text);
    }
    CCommManager* link = m_pOwner ? m_pOwner->GetCommMan() : nullptr;
    if (!link || !link->IsOpen()) {
        AfxMessageBox(IDS_TERMINAL_NOT_CONNECTED, MB_OK | MB_ICONWARNING);
        return;
    }
    CWnd* send = GetDlgItem(IDC_STERM_SEND);
    if (send) send->EnableWindow(FALSE);
    link->SendData(text + u"\r\n");
    m_history.SetWindowText(u"");
    m_history.SetFocus();
    if (send) send->EnableWindow(TRUE);
}

void CSimpleTermDlg::OnClose()
{
    if (m_pOwner) DestroyWindow();
    else CDialog::OnClose();
}

void CSimpleTermDlg::OnDestroy()
{
    GetWindowRect(&g_rcTerm);
    CDialog::OnDestroy();
}

void CSimpleTermDlg::PostNcDestroy()
{
    if (m_pOwner) m_pOwner->EndTermDlg();
    delete this;
}

// ---------------------------------------------------------------- simple operation

BEGIN_MESSAGE_MAP(CSmplOpeDlg, CDialog)
    ON_BN_CLICKED(IDC_SOPE_START, &CSmplOpeDlg::OnStart)
    ON_BN_CLICKED(IDC_SOPE_STOP, &CSmplOpeDlg::OnStop)
    ON_BN_CLICKED(IDC_SOPE_WRITE_SPEED, &CSmplOpeDlg::OnWriteSpeed)
    ON_WM_CLOSE()
    ON_WM_ACTIVATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSmplOpeDlg::CSmplOpeDlg(CKXWatcherDlg* pOwner) : CDialog(IDD_SIMPLE_OPE), m_pOwner(pOwner) {}

BOOL CSmplOpeDlg::Create(CKXWatcherDlg* pOwner)
{
    m_pOwner = pOwner;
    if (!CDialog::Create(IDD_SIMPLE_OPE, pOwner)) return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

void CSmplOpeDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SOPE_START, m_btnStart);
    DDX_Control(pDX, IDC_SOPE_STOP, m_btnStop);
    DDX_Text(pDX, IDC_SOPE_SPEED, m_nSpeed);
    DDV_MinMaxInt(pDX, m_nSpeed, 1, 100);
    DDX_Text(pDX, IDC_SOPE_PROGRAM, m_nProgram);
    DDV_MinMaxInt(pDX, m_nProgram, 1, 255);
}

BOOL CSmplOpeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (auto* spin = static_cast<CSpinButtonCtrl*>(GetDlgItem(IDC_SOPE_SPEED_SPIN))) spin->SendMessage(UDM_SETRANGE32, 1, 100);
    if (auto* spin = static_cast<CSpinButtonCtrl*>(GetDlgItem(IDC_SOPE_PROGRAM_SPIN)))
        spin->SendMessage(UDM_SETRANGE32, 1, 255);
    for (auto [button, icon] : {std::pair{&m_btnStart, IDI_SOPE_START}, std::pair{&m_btnStop, IDI_SOPE_STOP}}) {
        button->SetThemeHelper(&m_theme);
        button->SetIcons(::LoadImageW(HINSTANCE(), MAKEINTRESOURCEW(icon), IMAGE_ICON, 32, 32, 0));
        button->SetAlign(CFlatIconButton::kAlignVertical);
    }
    if (m_pOwner) PlaceToolWindow(*this, *m_pOwner, g_rcOpe);
    return TRUE;
}

void CSmplOpeDlg::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CDialog::OnActivate(nState, pWndOther, bMinimized);
    // Flat on a themed desktop, raised otherwise.
    const BOOL themed = m_theme.IsAppThemed();
    for (CThemeIconButton* button : {&m_btnStart, &m_btnStop}) {
        if (!button->GetSafeHwnd()) continue;
        button->SetFlat(themed, FALSE);
        button->Invalidate();
    }
}

// Start and Stop go out whether or not a trace records: arming a trigger and
// then starting the program is how a move is captured, and while the trace
// window is open this Stop is the only one within the user's reach. Their
// replies reach the trace's receive text between whole sample lines, where
// the extract thread passes them over.
void CSmplOpeDlg::OnStart()
{
    if (!m_pOwner) return;
    if (!UpdateData(TRUE)) return;
    CReplyReceiver* receiver = m_pOwner->Receiver();
    if (!receiver) return;
    CCommandSession session = receiver->MakeSession(m_pOwner->GetCommMan());
    session.StartProgram(m_pOwner->GetNodeNo(), m_nProgram);
}

void CSmplOpeDlg::OnStop()
{
    if (!m_pOwner) return;
    CReplyReceiver* receiver = m_pOwner->Receiver();
    if (!receiver) return;
    CCommandSession session = receiver->MakeSession(m_pOwner->GetCommMan());
    session.StopProgram(m_pOwner->GetNodeNo());
}

void CSmplOpeDlg::OnWriteSpeed()
{
    if (!m_pOwner || m_pOwner->IsTraceStarted()) {
        AfxMessageBox(IDS_TRACE_SPEED_REFUSED, MB_OK | MB_ICONWARNING);
        return;
    }
    const int old = m_nSpeed;
    if (!UpdateData(TRUE)) return;
    CReplyReceiver* receiver = m_pOwner->Receiver();
    if (!receiver) return;
    CCommandSession session = receiver->MakeSession(m_pOwner->GetCommMan());
    if (session.SetKParam(m_pOwner->GetNodeNo(), 9, m_nSpeed)) {
        m_bSpeedWritten = TRUE;
    } else {
        m_nSpeed = old;
        UpdateData(FALSE);
    }
}

void CSmplOpeDlg::OnClose()
{
    if (m_pOwner) DestroyWindow();
    else CDialog::OnClose();
}

void CSmplOpeDlg::OnDestroy()
{
    GetWindowRect(&g_rcOpe);
    UpdateData(TRUE);
    CDialog::OnDestroy();
}

void CSmplOpeDlg::PostNcDestroy()
{
    if (m_pOwner) m_pOwner->EndOpeDlg();
    delete this;
}
