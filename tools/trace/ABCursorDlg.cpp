#include "tools/trace/ABCursorDlg.h"

#include "tools/trace/KXWatcherDlg.h"

#include "resources/tools/trdfile_ids.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CABCursorDlg, CTraceToolDlg)

BEGIN_MESSAGE_MAP(CABCursorDlg, CTraceToolDlg)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_NOTIFY(UDN_DELTAPOS, IDC_ABC_A_SPIN, &CABCursorDlg::OnDeltaPosA)
    ON_NOTIFY(UDN_DELTAPOS, IDC_ABC_B_SPIN, &CABCursorDlg::OnDeltaPosB)
    ON_NOTIFY(UDN_DELTAPOS, IDC_ABC_AB_SPIN, &CABCursorDlg::OnDeltaPosAB)
END_MESSAGE_MAP()

CABCursorDlg::CABCursorDlg() : CTraceToolDlg(IDD_AB_CURSOR, IDC_ABC_LIST) {}

RECT& CABCursorDlg::SavedRect() { return m_pOwner->Model().m_Layout.rcABCursor; }
std::int32_t& CABCursorDlg::ShownOnce() { return m_pOwner->Model().m_Layout.nABCursorShownOnce; }
void CABCursorDlg::TellOwnerGone() { m_pOwner->EndABCursorDlg(); }

BOOL CABCursorDlg::OnInitDialog()
{
    CTraceToolDlg::OnInitDialog();
    m_spinA.SubclassDlgItem(IDC_ABC_A_SPIN, this);
    m_spinB.SubclassDlgItem(IDC_ABC_B_SPIN, this);
    m_spinAB.SubclassDlgItem(IDC_ABC_AB_SPIN, this);
    m_list.InsertColumn(0, u"CH", LVCFMT_LEFT, 40);
    m_list.InsertColumn(1, u"A", LVCFMT_RIGHT, 70);
    m_list.InsertColumn(2, u"B", LVCFMT_RIGHT, 70);
    m_list.InsertColumn(3, u"B - A", LVCFMT_RIGHT, 70);
    SetTimer(kTraceTimer, kTracePeriodMs);
    Refresh(nullptr);
    return TRUE;
}

void CABCursorDlg::Refresh(CKXWatcherDlg* pSource)
{
    if (!GetSafeHwnd()) return;
    if (pSource) SetSource(pSource);
    CKXWatcherDlg* source = Source();
    const CString caption = CaptionFor(source);
    CString shown;
    GetWindowText(shown);
    if (shown != caption) SetWindowText(caption);
    if (source) {
        const CTraceModel& model = source->Model();
        const int n = std::max(model.m_nAllocatedNum, 0);
        if (model.m_bCursorShown[0]) {
            m_spinA.SetRange32(0, n);
            m_spinA.SetPos32(std::clamp(model.m_nCursorPos[0], 0, n));
        }
        if (model.m_bCursorShown[1]) {
            m_spinB.SetRange32(0, n);
            m_spinB.SetPos32(std::clamp(model.m_nCursorPos[1], 0, n));
        }
    }
    FillReadout();
    EnableControls();
}

void CABCursorDlg::EnableControls()
{
    CKXWatcherDlg* source = Source();
    const BOOL a = source && source->Model().m_bCursorShown[0];
    const BOOL b = source && source->Model().m_bCursorShown[1];
    m_list.EnableWindow(a || b);
    GetDlgItem(IDC_ABC_A_TIME)->EnableWindow(a);
    m_spinA.EnableWindow(a);
    GetDlgItem(IDC_ABC_B_TIME)->EnableWindow(b);
    m_spinB.EnableWindow(b);
    GetDlgItem(IDC_ABC_BA_TIME)->EnableWindow(a && b);
    m_spinAB.EnableWindow(a && b);
}

void CABCursorDlg::FillReadout()
{
    CKXWatcherDlg* source = Source();
    const CTraceModel* model = source ? &source->Model() : nullptr;
    const CursorReadout readout = ReadTraceCursors(model);
    SetDlgItemText(IDC_ABC_A_TIME, readout.strATime);
    SetDlgItemText(IDC_ABC_B_TIME, readout.strBTime);
    SetDlgItemText(IDC_ABC_BA_TIME, readout.strDifferenceTime);
    ClearRows();
    for (const CursorReadout::Row& row : readout.rows) {
        CString number;
        number.Format(u"%d", row.nChannel + 1);
        const int image = AddChannelImage(model->m_GraphSet.crChannel[row.nChannel]);
        const int item = m_list.InsertItem(m_list.GetItemCount(), number, image);
        m_list.SetItemText(item, 1, row.strA);
        m_list.SetItemText(item, 2, row.strB);
        m_list.SetItemText(item, 3, row.strDifference);
    }
}

void CABCursorDlg::MoveCursors(std::int64_t nA, std::int64_t nB, const CSpinButtonCtrl* pStepping)
{
    CKXWatcherDlg* source = Source();
    if (!source) return;
    CTraceModel& model = source->Model();
    const std::int64_t n = std::max(model.m_nAllocatedNum, 0);
    model.m_nCursorPos[0] = static_cast<std::int32_t>(std::clamp<std::int64_t>(nA, 0, n));
    model.m_nCursorPos[1] = static_cast<std::int32_t>(std::clamp<std::int64_t>(nB, 0, n));
    // A spin that steps sets its own position.
    if (model.m_bCursorShown[0] && pStepping != &m_spinA) m_spinA.SetPos32(model.m_nCursorPos[0]);
    if (model.m_bCursorShown[1] && pStepping != &m_spinB) m_spinB.SetPos32(model.m_nCursorPos[1]);
    FillReadout();
    source->Invalidate(FALSE);
}

void CABCursorDlg::OnDeltaPosA(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* info = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    if (CKXWatcherDlg* source = Source(); source && source->Model().m_bCursorShown[0])
        MoveCursors(static_cast<std::int64_t>(info->iPos) + info->iDelta, source->Model().m_nCursorPos[1], &m_spinA);
    *pResult = 0;
}

void CABCursorDlg::OnDeltaPosB(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* info = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    if (CKXWatcherDlg* source = Source(); source && source->Model().m_bCursorShown[1])
        MoveCursors(source->Model().m_nCursorPos[0], static_cast<std::int64_t>(info->iPos) + info->iDelta, &m_spinB);
    *pResult = 0;
}

void CABCursorDlg::OnDeltaPosAB(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* info = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    if (CKXWatcherDlg* source = Source()) {
        const CTraceModel& model = source->Model();
        // The spin keeps the control's own range, whose upper limit is the
        // lower number: its arrow toward the end steps by -1, and both
        // cursors move against the step. Each stops at its own end, so
        // their distance changes there.
        if (model.m_bCursorShown[0] && model.m_bCursorShown[1])
            MoveCursors(static_cast<std::int64_t>(model.m_nCursorPos[0]) - info->iDelta,
                        static_cast<std::int64_t>(model.m_nCursorPos[1]) - info->iDelta, &m_spinAB);
    }
    *pResult = 0;
}

void CABCursorDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTraceTimer) {
        CTraceToolDlg::OnTimer(nIDEvent);
        return;
    }
    CKXWatcherDlg* source = Source();
    if (!source || !source->IsTracing()) return;
    KillTimer(kTraceTimer);
    FillReadout();
    SetTimer(kTraceTimer, kTracePeriodMs);
}

void CABCursorDlg::OnDestroy()
{
    KillTimer(kTraceTimer);
    CTraceToolDlg::OnDestroy();
}
