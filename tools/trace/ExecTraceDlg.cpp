#include "tools/trace/ExecTraceDlg.h"

#include "tools/TraceAcquisition.h"
#include "tools/trace/KXWatcherDlg.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/ui/Button.h"

IMPLEMENT_DYNAMIC(CExecTraceDlg, CDialog)

BEGIN_MESSAGE_MAP(CExecTraceDlg, CDialog)
    ON_BN_CLICKED(IDC_EXEC_MANUAL_TRIGGER, &CExecTraceDlg::OnManualTrigger)
    ON_BN_CLICKED(IDC_EXEC_ABORT, &CExecTraceDlg::OnAbort)
    ON_BN_CLICKED(IDC_EXEC_STOP, &CExecTraceDlg::OnStop)
    ON_WM_SHOWWINDOW()
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_MESSAGE(WM_TRACE_COMPLETE, &CExecTraceDlg::OnTraceComplete)
    ON_MESSAGE(WM_TRACE_BLINK, &CExecTraceDlg::OnBlink)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CExecTraceDlg::OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CExecTraceDlg::CExecTraceDlg() : CDialog(IDD_EXEC_TRACE) {}

CExecTraceDlg::~CExecTraceDlg() = default;

BOOL CExecTraceDlg::Show(CKXWatcherDlg* pOwner)
{
    m_pOwner = pOwner;
    if (!Create(IDD_EXEC_TRACE, pOwner)) return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CExecTraceDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto show = [&](int id, BOOL visible) {
        if (CWnd* item = GetDlgItem(id)) item->ShowWindow(visible ? SW_SHOW : SW_HIDE);
    };
    if (m_nTraceMode) {
        show(IDC_EXEC_STOP, FALSE);
        CString caption;
        GetWindowText(caption);
        CString kind;
        kind.LoadString(m_byRepeat ? IDS_TRACE_TRIGGER_REPEAT : IDS_TRACE_TRIGGER_SINGLE);
        SetWindowText(caption + u" - " + kind);
    } else {
        show(IDC_EXEC_MANUAL_TRIGGER, FALSE);
        show(IDC_EXEC_ABORT, FALSE);
    }
    if (CWnd* status = GetDlgItem(IDC_EXEC_STATUS)) status->SetWindowText(StatusText());
    CenterWindow(m_pOwner);
    return TRUE;
}

void CExecTraceDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (!bShow || m_bStarted || !m_pOwner) return;
    m_bStarted = TRUE;
    SetTimer(kBlinkTimer, kBlinkPeriodMs);
    m_pOwner->PostMessage(m_nTraceMode ? WM_TRACE_START_TRIGGER : WM_TRACE_START_MONITOR);
}

void CExecTraceDlg::OnManualTrigger()
{
    if (m_pOwner) m_pOwner->PostMessage(WM_TRACE_MANUAL_TRIGGER);
}

void CExecTraceDlg::OnAbort()
{
    if (m_bEnded) return;
    m_bEnded = TRUE;
    if (m_pOwner) m_pOwner->PostMessage(WM_TRACE_ABORT_TRIGGER);
    PostMessage(WM_CLOSE);
}

void CExecTraceDlg::OnStop()
{
    if (m_bEnded) return;
    m_bEnded = TRUE;
    if (m_pOwner) m_pOwner->PostMessage(WM_TRACE_STOP_MONITOR);
    PostMessage(WM_CLOSE);
}

LRESULT CExecTraceDlg::OnTraceComplete(WPARAM, LPARAM)
{
    if (!m_pOwner || m_bEnded) return 0;
    if (m_byRepeat) {
        m_pOwner->PostMessage(WM_TRACE_REPEAT_TRIGGER);
        return 0;
    }
    m_bEnded = TRUE;
    m_pOwner->PostMessage(WM_TRACE_END_TRIGGER);
    PostMessage(WM_CLOSE);
    return 0;
}

void CExecTraceDlg::OnClose()
{
    if (m_pOwner) DestroyWindow();
    else CDialog::OnClose();
}

BOOL CExecTraceDlg::DestroyWindow()
{
    KillTimer(kBlinkTimer);
    // Closed by its caption or by its owner: the trace it started stops too,
    // before the owner learns the window is gone.
    if (m_bStarted && !m_bEnded && m_pOwner && m_pOwner->GetSafeHwnd()) {
        m_bEnded = TRUE;
        m_pOwner->SendMessage(m_nTraceMode ? WM_TRACE_ABORT_TRIGGER : WM_TRACE_STOP_MONITOR);
    }
    return CDialog::DestroyWindow();
}

void CExecTraceDlg::PostNcDestroy()
{
    CKXWatcherDlg* owner = m_pOwner;
    m_pOwner = nullptr;
    if (owner) owner->EndExecTrcDlg();
    delete this;
}

int CExecTraceDlg::Stage() const
{
    const TraceTriggerState* state = m_pTrigState;
    if (!state || !state->bActive) return 1;
    if (!m_nTraceMode) return 2;
    if (!state->bPreTriggerFull) return 3;
    if (!state->bTriggered) return 4;
    return 5;
}

CString CExecTraceDlg::StatusText() const
{
    CString text;
    const TraceTriggerState* state = m_pTrigState;
    switch (Stage()) {
    case 1: text.LoadString(IDS_TRACE_STOPPED); break;
    case 2: text.LoadString(IDS_TRACE_MONITORING); break;
    case 3:
        text.LoadString(IDS_TRACE_WAIT_PRETRIGGER);
        if (state->nPreTriggerCount > 0)
            text.AppendFormat(u" : %d %%", (state->nPreTaken * 10 / state->nPreTriggerCount) * 10);
        break;
    case 4: text.LoadString(IDS_TRACE_WAIT_TRIGGER); break;
    default:
        text.LoadString(IDS_TRACE_TRIGGERED);
        if (state->nPostTriggerCount > 0)
            text.AppendFormat(u" : %d %%", (state->nAfterTrigger * 10 / state->nPostTriggerCount) * 10);
        break;
    }
    return text;
}

LRESULT CExecTraceDlg::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    CWnd* status = GetDlgItem(IDC_EXEC_STATUS);
    if (!status) return 0;
    const CString text = StatusText();
    CString shown;
    status->GetWindowText(shown);
    if (shown != text) status->SetWindowText(text);
    if (m_nTraceMode)
        if (CWnd* manual = GetDlgItem(IDC_EXEC_MANUAL_TRIGGER)) manual->EnableWindow(Stage() == 4);
    return 0;
}

void CExecTraceDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kBlinkTimer) PostMessage(WM_TRACE_BLINK);
    else CDialog::OnTimer(nIDEvent);
}

LRESULT CExecTraceDlg::OnBlink(WPARAM, LPARAM)
{
    if (!m_nTraceMode || Stage() == 4) m_bBlinkOn = !m_bBlinkOn;
    else m_bBlinkOn = TRUE;
    if (CWnd* status = GetDlgItem(IDC_EXEC_STATUS)) status->ShowWindow(m_bBlinkOn ? SW_SHOW : SW_HIDE);
    // The progress also follows the blink, for the times the owner is busy.
    OnIdleUpdateCmdUI(0, 0);
    return 0;
}
