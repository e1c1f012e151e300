#include "tools/trace/TraceSetupDlg.h"

#include "tools/CommMsgDlg.h"
#include "tools/TraceScaling.h"
#include "tools/TraceText.h"
#include "tools/trace/KXWatcherDlg.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/core/MessageBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/SpinButtonCtrl.h"

#include <algorithm>
#include <cstdlib>

#include <limits>

namespace {

constexpr int kMaxInterval = 1000;

CString LoadText(UINT nId)
{
    CString text;
    text.LoadString(nId);
    return text;
}

}  // namespace

// ---------------------------------------------------------------- target page

BEGIN_MESSAGE_MAP(CTraceTargetTPage, CDialog)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_TTGT_DATA1, IDC_TTGT_DATA4, &CTraceTargetTPage::OnDataChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_TTGT_BIT1, IDC_TTGT_BIT4, &CTraceTargetTPage::OnBitChange)
END_MESSAGE_MAP()

CTraceTargetTPage::CTraceTargetTPage(CTraceSetupDlg& setup) : CDialog(IDD_TRACE_TARGET_PAGE), m_setup(setup) {}

BOOL CTraceTargetTPage::LoadTables(const CString& strControllerType, std::int32_t nK72)
{
    const CTraceTargetTable::Result result = m_table.Load(strControllerType, nK72);
    if (result == CTraceTargetTable::Result::Ok && !m_table.Rows().empty()) return TRUE;
    if (result == CTraceTargetTable::Result::Malformed) AfxMessageBox(IDS_TRACE_TABLE_MALFORMED, MB_OK | MB_ICONERROR);
    AfxMessageBox(IDS_TRACE_TABLE_MISSING, MB_OK | MB_ICONERROR);
    return FALSE;
}

BOOL CTraceTargetTPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    const tracesettag& trace = m_setup.m_TraceSet;
    for (int c = 0; c < kTraceChannelCount; ++c) {
        m_cmbData[c].SubclassDlgItem(IDC_TTGT_DATA1 + c, this);
        m_cmbBit[c].SubclassDlgItem(IDC_TTGT_BIT1 + c, this);
        for (const TraceTargetRow& row : m_table.Rows()) m_cmbData[c].AddString(row.strName);
        std::int32_t nBit = 0;
        m_nRow[c] = m_table.SelectRow(trace.SEL_DAT_CH[c], trace.SEL_BIT_CH[c], nBit);
        m_nBit[c] = nBit;
        m_cmbData[c].SetCurSel(m_nRow[c]);
        ApplySelection(c);
    }
    m_bInitialising = FALSE;
    if (m_setup.Model().IsFileShown()) {
        // A shown file's targets are what was recorded: not for changing.
        for (int c = 0; c < kTraceChannelCount; ++c) {
            m_cmbData[c].EnableWindow(FALSE);
            m_cmbBit[c].EnableWindow(FALSE);
        }
    }
    return TRUE;
}

void CTraceTargetTPage::ApplySelection(int nChannel)
{
    if (m_nRow[nChannel] < 0 || m_nRow[nChannel] >= static_cast<int>(m_table.Rows().size())) return;
    const TraceTargetRow& row = m_table.Rows()[static_cast<std::size_t>(m_nRow[nChannel])];
    CComboBox& bits = m_cmbBit[nChannel];
    bits.ResetContent();
    for (int b = 0; b < row.nBitCount; ++b) bits.AddString(CTraceTargetTable::BitEntryText(row, b));
    if (m_nBit[nChannel] >= row.nBitCount) m_nBit[nChannel] = 0;
    if (row.nBitCount > 0) bits.SetCurSel(m_nBit[nChannel]);
    bits.EnableWindow(row.nBitCount > 0);
    m_setup.OnTargetChosen(nChannel, row, m_nBit[nChannel], m_bInitialising);
}

void CTraceTargetTPage::OnDataChange(UINT nID)
{
    const int c = static_cast<int>(nID - IDC_TTGT_DATA1);
    const int sel = m_cmbData[c].GetCurSel();
    if (sel < 0 || sel >= static_cast<int>(m_table.Rows().size())) return;
    m_nRow[c] = sel;
    m_nBit[c] = 0;
    ApplySelection(c);
}

void CTraceTargetTPage::OnBitChange(UINT nID)
{
    const int c = static_cast<int>(nID - IDC_TTGT_BIT1);
    if (m_nRow[c] < 0) return;
    const TraceTargetRow& row = m_table.Rows()[static_cast<std::size_t>(m_nRow[c])];
    const int sel = m_cmbBit[c].GetCurSel();
    if (sel < 0 || sel >= row.nBitCount) return;
    m_nBit[c] = sel;
    m_setup.OnTargetChosen(c, row, sel, FALSE);
}

BOOL CTraceTargetTPage::GetSelection(int nChannel, std::int32_t& nTarget, std::int32_t& nBit, BOOL& bBitTarget) const
{
    const int nRow = m_nRow[nChannel];
    if (nRow < 0 || nRow >= static_cast<int>(m_table.Rows().size())) return FALSE;
    const TraceTargetRow& row = m_table.Rows()[static_cast<std::size_t>(nRow)];
    // The record keeps a 16-bit target and an 8-bit bit index.
    if (row.nNumber < 0 || row.nNumber > 0xFFFF) return FALSE;
    const int bit = row.nBitCount > 0 ? m_nBit[nChannel] : 0;
    if (bit < 0 || bit > 0xFF || (row.nBitCount > 0 && bit >= row.nBitCount)) return FALSE;
    nTarget = row.nNumber;
    nBit = bit;
    bBitTarget = row.nBitCount != 0;
    return TRUE;
}

// ---------------------------------------------------------------- set-up dialog

BEGIN_MESSAGE_MAP(CTraceSetupDlg, CDialog)
    ON_EN_CHANGE(IDC_TSET_INTERVAL, &CTraceSetupDlg::OnCountChange)
    ON_EN_CHANGE(IDC_TSET_HUNDREDS, &CTraceSetupDlg::OnCountChange)
    ON_CBN_SELCHANGE(IDC_TSET_TRIG_SOURCE, &CTraceSetupDlg::OnSourceChange)
    ON_NOTIFY(TCN_SELCHANGE, IDC_TSET_TAB, &CTraceSetupDlg::OnTabChange)
END_MESSAGE_MAP()

CTraceSetupDlg::CTraceSetupDlg(int nRangeFlag, CKXWatcherDlg& owner, CTraceModel& model)
    : CDialog(IDD_TRACE_SETUP, &owner), m_nRangeFlag(nRangeFlag), m_owner(owner), m_model(model)
{
    m_TraceSet = model.m_TraceSet;
    m_TrigSet = model.m_TrigSet;
    m_GraphSet = model.m_GraphSet;
    m_RangeSet = model.m_RangeSet;
    m_ScaleSet = model.m_ScaleSet;
}

CTraceSetupDlg::~CTraceSetupDlg() { delete m_pTargetPage; }

void CTraceSetupDlg::OnTargetChosen(int nChannel, const TraceTargetRow& row, int nBit, BOOL bInitialising)
{
    // Labels typed earlier survive the opening of the dialog.
    if (!(bInitialising && m_model.m_bSettingsApplied)) {
        m_GraphSet.strLabel[nChannel] = CTraceTargetTable::LabelText(row, nBit);
        m_GraphSet.strUnit[nChannel] = CTraceTargetTable::UnitText(row);
    }
    m_RangeSet.nLowerLimit[nChannel] = row.nLowerLimit;
    m_RangeSet.nUpperLimit[nChannel] = row.nUpperLimit;
    if (bInitialising || m_ScaleSet.SCL_TYPE_CH[nChannel] == kScaleTwoPoint) return;
    if (row.dScale != 1.0) {
        m_ScaleSet.SCL_TYPE_CH[nChannel] = kScaleRatio;
        m_ScaleSet.RATIO_CH[nChannel] = row.dScale;
    } else {
        m_ScaleSet.SCL_TYPE_CH[nChannel] = kScaleNone;
    }
}

BOOL CTraceSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_model.m_bLive && m_owner.GetCommMan()) {
        if (!m_model.m_bRobConRead) {
            ShowCommMessage(this, IDS_WAIT_READ_CONTROLLER);
            const int read = m_owner.GetRobConSet(m_model.m_RobConSet);
            HideCommMessage();
            if (read) {
                m_model.m_bRobConRead = TRUE;
                m_owner.Invalidate(FALSE);
            } else {
                AfxMessageBox(IDS_TRACE_CONTROLLER_READ_FAILED, MB_OK | MB_ICONERROR);
            }
        }
        if (!m_model.m_bSettingsApplied) {
            ShowCommMessage(this, IDS_WAIT_READ_TRACE_SET);
            const int read = m_owner.GetTraceSet(m_TraceSet);
            HideCommMessage();
            if (!read) AfxMessageBox(IDS_TRACE_SET_READ_FAILED, MB_OK | MB_ICONERROR);
        }
    }
    m_TraceSetIn = m_TraceSet;
    m_TrigSetIn = m_TrigSet;

    auto spin = [this](UINT id, int lower, int upper) {
        if (CWnd* p = GetDlgItem(id)) static_cast<CSpinButtonCtrl*>(p)->SendMessage(UDM_SETRANGE32, lower, upper);
    };
    spin(IDC_TSET_INTERVAL_SPIN, MinInterval(), kMaxInterval);
    spin(IDC_TSET_HUNDREDS_SPIN, 1, MaxHundreds());
    spin(IDC_TSET_PRE_TRIGGER_SPIN, 0, 100);

    CComboBox* pCount = static_cast<CComboBox*>(GetDlgItem(IDC_TSET_GRAPH_COUNT));
    for (int n = 1; n <= kTraceChannelCount; ++n) {
        CString entry;
        entry.Format(u"%d", n);
        pCount->AddString(entry + LoadText(IDS_TRACE_GRAPH_COUNT));
    }
    CComboBox* pMode = static_cast<CComboBox*>(GetDlgItem(IDC_TSET_TRIG_MODE));
    pMode->AddString(LoadText(IDS_TRACE_TRIGGER_SINGLE));
    pMode->AddString(LoadText(IDS_TRACE_TRIGGER_REPEAT));
    CComboBox* pSlope = static_cast<CComboBox*>(GetDlgItem(IDC_TSET_TRIG_SLOPE));
    pSlope->AddString(LoadText(IDS_TRACE_SLOPE_RISING));
    pSlope->AddString(LoadText(IDS_TRACE_SLOPE_FALLING));
    CComboBox* pSource = static_cast<CComboBox*>(GetDlgItem(IDC_TSET_TRIG_SOURCE));
    for (int n = 1; n <= kTraceChannelCount; ++n) {
        CString entry;
        entry.Format(u"%s %d", static_cast<LPCTSTR>(LoadText(IDS_TRACE_SOURCE_CHANNEL)), n);
        pSource->AddString(entry);
    }

    // Values out of range in the records are shown at the nearest valid one,
    // so the dialog never offers what it would refuse.
    m_strTitle = m_GraphSet.TITLE.Left(TraceGraphSettings::kMaxTitleLength);
    m_nGraphCount = std::clamp(m_GraphSet.SPLIT_NUM, 1, kTraceChannelCount) - 1;
    m_nInterval = std::clamp<int>(m_TraceSet.wInterval == 0 ? 10 : m_TraceSet.wInterval, MinInterval(), kMaxInterval);
    m_nHundreds = std::clamp(m_TraceSet.TRACE_NUM / 100 == 0 ? 1 : m_TraceSet.TRACE_NUM / 100, 1, MaxHundreds());
    m_nPreTrigger = std::min<int>(m_TrigSet.PRE_TRIGGER, 100);
    m_nTrigMode = std::min<int>(m_TrigSet.MODE, 1);
    // A source beyond the channels (no channel watched) shows no entry and is kept.
    m_nTrigSource = m_TrigSet.SOURCE < kTraceChannelCount ? m_TrigSet.SOURCE : -1;
    m_nSlope = std::min<int>(m_TrigSet.SLOPE, 1);
    m_dLevel = m_TrigSet.SOURCE < kTraceChannelCount ? ScaleToEngineering(m_ScaleSet, m_TrigSet.SOURCE, m_TrigSet.LEVEL)
                                                     : static_cast<double>(m_TrigSet.LEVEL);
    UpdateData(FALSE);
    RefreshTotalTime();
    OnSourceChange();

    m_tab.SubclassDlgItem(IDC_TSET_TAB, this);
    m_tab.InsertItem(0, LoadText(IDS_TRACE_TAB_TARGET));
    m_pTargetPage = new CTraceTargetTPage(*this);
    if (!m_pTargetPage->LoadTables(m_model.m_RobConSet.strController, m_model.m_RobConSet.nK72)) {
        PostMessage(WM_CLOSE);
        return TRUE;
    }
    m_pTargetPage->Create(IDD_TRACE_TARGET_PAGE, this);
    // The page answers to its template's id among the dialog's controls.
    ::SetWindowLongPtrW(m_pTargetPage->GetSafeHwnd(), GWLP_ID, IDD_TRACE_TARGET_PAGE);
    CRect rc;
    m_tab.GetClientRect(&rc);
    m_tab.AdjustRect(FALSE, &rc);
    m_tab.MapWindowPoints(this, &rc);
    m_pTargetPage->SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_SHOWWINDOW);
    m_tab.SetCurSel(0);

    if (m_model.IsFileShown()) {
        for (UINT id : {IDC_TSET_INTERVAL, IDC_TSET_INTERVAL_SPIN, IDC_TSET_HUNDREDS, IDC_TSET_HUNDREDS_SPIN,
                        IDC_TSET_TRIG_MODE, IDC_TSET_TRIG_SOURCE, IDC_TSET_PRE_TRIGGER, IDC_TSET_PRE_TRIGGER_SPIN,
                        IDC_TSET_TRIG_LEVEL, IDC_TSET_TRIG_SLOPE})
            if (CWnd* p = GetDlgItem(id)) p->EnableWindow(FALSE);
    }
    return TRUE;
}

void CTraceSetupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TSET_TITLE, m_strTitle);
    DDV_MaxChars(pDX, m_strTitle, TraceGraphSettings::kMaxTitleLength);
    DDX_CBIndex(pDX, IDC_TSET_GRAPH_COUNT, m_nGraphCount);
    DDX_Text(pDX, IDC_TSET_INTERVAL, m_nInterval);
    DDV_MinMaxInt(pDX, m_nInterval, MinInterval(), kMaxInterval);
    DDX_Text(pDX, IDC_TSET_HUNDREDS, m_nHundreds);
    DDV_MinMaxInt(pDX, m_nHundreds, 1, MaxHundreds());
    DDX_CBIndex(pDX, IDC_TSET_TRIG_MODE, m_nTrigMode);
    DDX_CBIndex(pDX, IDC_TSET_TRIG_SOURCE, m_nTrigSource);
    DDX_Text(pDX, IDC_TSET_PRE_TRIGGER, m_nPreTrigger);
    DDV_MinMaxInt(pDX, m_nPreTrigger, 0, 100);
    DDX_Text(pDX, IDC_TSET_TRIG_LEVEL, m_dLevel);
    DDV_MinMaxDouble(pDX, m_dLevel, -2147483648.0, 2147483647.0);
    DDX_CBIndex(pDX, IDC_TSET_TRIG_SLOPE, m_nSlope);
}

void CTraceSetupDlg::RefreshTotalTime()
{
    CString interval, hundreds;
    GetDlgItemText(IDC_TSET_INTERVAL, interval);
    GetDlgItemText(IDC_TSET_HUNDREDS, hundreds);
    const double total = std::atof(interval.ToUtf8().c_str()) * std::atof(hundreds.ToUtf8().c_str()) * 100.0;
    CString text;
    if (total != 0.0)
        text.Format(u"%s %s", static_cast<LPCTSTR>(LoadText(IDS_TRACE_TOTAL_TIME)),
                    static_cast<LPCTSTR>(FormatTraceTime(total)));
    SetDlgItemText(IDC_TSET_TOTAL_TIME, text);
}

void CTraceSetupDlg::OnCountChange() { RefreshTotalTime(); }

void CTraceSetupDlg::OnSourceChange()
{
    CComboBox* pSource = static_cast<CComboBox*>(GetDlgItem(IDC_TSET_TRIG_SOURCE));
    const int sel = pSource ? pSource->GetCurSel() : -1;
    const BOOL bChannel = sel >= 0 && sel < kTraceChannelCount && !m_model.IsFileShown();
    GetDlgItem(IDC_TSET_TRIG_LEVEL)->EnableWindow(bChannel);
    GetDlgItem(IDC_TSET_TRIG_SLOPE)->EnableWindow(bChannel);
}

void CTraceSetupDlg::OnTabChange(NMHDR*, LRESULT* pResult)
{
    if (m_pTargetPage && m_pTargetPage->GetSafeHwnd()) m_pTargetPage->ShowWindow(m_tab.GetCurSel() == 0 ? SW_SHOW : SW_HIDE);
    *pResult = 0;
}

void CTraceSetupDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    tracesettag trace = m_TraceSet;
    for (int c = 0; c < kTraceChannelCount; ++c) {
        std::int32_t nTarget = 0, nBit = 0;
        BOOL bBit = FALSE;
        if (!m_pTargetPage || !m_pTargetPage->GetSelection(c, nTarget, nBit, bBit)) {
            m_tab.SetCurSel(0);
            if (m_pTargetPage) m_pTargetPage->ShowWindow(SW_SHOW);
            ::MessageBeep(MB_ICONEXCLAMATION);
            return;
        }
        trace.SEL_DAT_CH[c] = static_cast<std::uint16_t>(nTarget);
        trace.SEL_BIT_CH[c] = static_cast<std::uint8_t>(nBit);
        trace.bBitTarget[c] = bBit ? 1 : 0;
    }
    trace.TRACE_NUM = m_nHundreds * 100;
    trace.wInterval = static_cast<std::uint16_t>(m_nInterval);

    TraceTriggerSettings trig = m_TrigSet;
    trig.SLOPE = static_cast<std::uint8_t>(std::max(m_nSlope, 0));
    trig.PRE_TRIGGER = static_cast<std::uint8_t>(m_nPreTrigger);
    if (m_nTrigSource >= 0) trig.SOURCE = static_cast<std::uint8_t>(std::min(m_nTrigSource, kTraceChannelCount - 1));
    trig.MODE = static_cast<std::uint8_t>(std::max(m_nTrigMode, 0));
    trig.LEVEL = trig.SOURCE < kTraceChannelCount ? ClampToRaw32(ScaleToRaw(m_ScaleSet, trig.SOURCE, m_dLevel))
                                                  : static_cast<std::int32_t>(m_dLevel);

    if (m_nInterval <= 5) AfxMessageBox(IDS_TRACE_SHORT_INTERVAL, MB_OK | MB_ICONINFORMATION);

    trace.byTargetChange = 0;
    trace.byChangeFlags = 0;
    if (!m_model.IsFileShown()) {
        for (int c = 0; c < kTraceChannelCount; ++c) {
            if (trace.SEL_DAT_CH[c] != m_TraceSetIn.SEL_DAT_CH[c]) trace.byTargetChange |= 1u << c;
            if (trace.SEL_BIT_CH[c] != m_TraceSetIn.SEL_BIT_CH[c]) trace.byTargetChange |= 1u << (c + 4);
        }
        if (trace.wInterval != m_TraceSetIn.wInterval) trace.byChangeFlags |= kIntervalChanged;
        if (trace.TRACE_NUM != m_TraceSetIn.TRACE_NUM) trace.byChangeFlags |= kTraceNumChanged;
    }
    trig.dwChangeMask = 0;
    if (trig.SOURCE != m_TrigSetIn.SOURCE) trig.dwChangeMask |= 0x1;
    if (trig.SLOPE != m_TrigSetIn.SLOPE) trig.dwChangeMask |= 0x2;
    if (trig.PRE_TRIGGER != m_TrigSetIn.PRE_TRIGGER) trig.dwChangeMask |= 0x4;
    if (trig.LEVEL != m_TrigSetIn.LEVEL) trig.dwChangeMask |= 0x8;
    const bool changed = trace.byTargetChange || trace.byChangeFlags || trig.dwChangeMask;
    if (changed && ((trace.byChangeFlags & kTraceNumChanged) || m_model.m_bSettingsApplied)) {
        if (AfxMessageBox(IDS_TRACE_SETUP_CHANGE_ASK, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    }
    m_TraceSet = trace;
    m_TrigSet = trig;
    m_GraphSet.TITLE = m_strTitle;
    m_GraphSet.SPLIT_NUM = std::clamp(m_nGraphCount + 1, 1, kTraceChannelCount);
    CDialog::OnOK();
}

void InstallTraceSetupDialog(std::function<INT_PTR(CDialog&)> runModal)
{
    CKXWatcherDlg::SetTraceSetupRunner([runModal](CKXWatcherDlg& window, CTraceModel& model) -> INT_PTR {
        CTraceSetupDlg dlg(window.GetRangeFlag(), window, model);
        const INT_PTR result = runModal ? runModal(dlg) : dlg.DoModal();
        if (result != IDOK) return IDCANCEL;
        model.m_TraceSet = dlg.m_TraceSet;
        model.m_TrigSet = dlg.m_TrigSet;
        model.m_GraphSet = dlg.m_GraphSet;
        model.m_RangeSet = dlg.m_RangeSet;
        model.m_ScaleSet = dlg.m_ScaleSet;
        return IDOK;
    });
}
