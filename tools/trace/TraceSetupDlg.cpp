#include "tools/trace/TraceSetupDlg.h"

#include "tools/CommMsgDlg.h"
#include "tools/TraceScaling.h"
#include "tools/TraceText.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/OptionPSheet.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/core/MessageBox.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/Edit.h"
#include "platform/ui/SpinButtonCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <limits>

namespace {

constexpr int kMaxInterval = 1000;
// The tab shown last, shown first next time.
int g_nLastTab = CTraceSetupDlg::kTabTarget;

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
    const CTraceTargetTable::Result result =
        m_table.Load(strControllerType, nK72, m_setup.Model().m_ControllerParams);
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
            ShowReadOnlyTwin(this, IDC_TTGT_DATA1 + c, IDC_TTGT_DATA_RO1 + c, TRUE);
            ShowReadOnlyTwin(this, IDC_TTGT_BIT1 + c, IDC_TTGT_BIT_RO1 + c, TRUE);
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
    ON_CBN_SELCHANGE(IDC_TSET_GRAPH_COUNT, &CTraceSetupDlg::OnGraphCountChange)
    ON_BN_CLICKED(IDC_TSET_TITLE_FRAME, &CTraceSetupDlg::OnTitleFrame)
    ON_BN_CLICKED(IDC_TSET_FRAME_COLOUR, &CTraceSetupDlg::OnFrameColour)
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

CTraceSetupDlg::~CTraceSetupDlg()
{
    delete m_pTargetPage;
    delete m_pLabelPage;
    delete m_pGraphPage;
    delete m_pScalingPage;
    delete m_pRangePage;
}

void CTraceSetupDlg::OnTargetChosen(int nChannel, const TraceTargetRow& row, int nBit, BOOL bInitialising)
{
    // Labels typed earlier survive the opening of the dialog.
    if (!(bInitialising && m_model.m_bSettingsApplied)) {
        m_GraphSet.strLabel[nChannel] = CTraceTargetTable::LabelText(row, nBit);
        m_GraphSet.strUnit[nChannel] = CTraceTargetTable::UnitText(row);
        if (m_pLabelPage) m_pLabelPage->SetChannelText(nChannel, m_GraphSet.strLabel[nChannel], m_GraphSet.strUnit[nChannel]);
    }
    m_RangeSet.nLowerLimit[nChannel] = row.nLowerLimit;
    m_RangeSet.nUpperLimit[nChannel] = row.nUpperLimit;
    if (bInitialising) return;
    if (m_pRangePage) m_pRangePage->RefreshChannel(nChannel);
    if (m_pScalingPage) {
        m_pScalingPage->SetScaleFromTarget(nChannel, row.dScale);
        return;
    }
    if (m_ScaleSet.SCL_TYPE_CH[nChannel] == kScaleTwoPoint) return;
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
    m_bTitleFrame = m_GraphSet.bTitleFrame ? 1 : 0;
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
    // A scaling that divides by zero (two equal points from a damaged
    // settings file) shows the raw level; the scaling page refuses it on OK.
    if (!std::isfinite(m_dLevel)) m_dLevel = static_cast<double>(m_TrigSet.LEVEL);
    UpdateData(FALSE);
    RefreshTotalTime();
    OnSourceChange();

    m_btnFrame.SubclassDlgItem(IDC_TSET_FRAME_COLOUR, this);
    m_btnFrame.SetColor(m_GraphSet.crTitleFrame);
    OnTitleFrame();

    m_tab.SubclassDlgItem(IDC_TSET_TAB, this);
    for (UINT id : {IDS_TRACE_TAB_TARGET, IDS_TRACE_TAB_LABEL, IDS_TRACE_TAB_GRAPH, IDS_TRACE_TAB_SCALING, IDS_TRACE_TAB_RANGE})
        m_tab.InsertItem(m_tab.GetItemCount(), LoadText(id));
    if (!CreatePages()) {
        PostMessage(WM_CLOSE);
        return TRUE;
    }
    ShowTab(g_nLastTab);
    // The graph page's lists for the stored count, keeping each channel's graph.
    OnGraphCountChange();
    m_bInitialising = FALSE;

    if (m_model.IsFileShown()) {
        // The sampling and the trigger are the recording's; the pages stay editable.
        ShowReadOnlyTwin(this, IDC_TSET_INTERVAL, IDC_TSET_INTERVAL_RO, FALSE, IDC_TSET_INTERVAL_SPIN);
        ShowReadOnlyTwin(this, IDC_TSET_HUNDREDS, IDC_TSET_HUNDREDS_RO, FALSE, IDC_TSET_HUNDREDS_SPIN);
        ShowReadOnlyTwin(this, IDC_TSET_TRIG_MODE, IDC_TSET_TRIG_MODE_RO, TRUE);
        ShowReadOnlyTwin(this, IDC_TSET_PRE_TRIGGER, IDC_TSET_PRE_TRIGGER_RO, FALSE, IDC_TSET_PRE_TRIGGER_SPIN);
        ShowReadOnlyTwin(this, IDC_TSET_TRIG_SOURCE, IDC_TSET_TRIG_SOURCE_RO, TRUE);
        ShowReadOnlyTwin(this, IDC_TSET_TRIG_LEVEL, IDC_TSET_TRIG_LEVEL_RO, FALSE);
        ShowReadOnlyTwin(this, IDC_TSET_TRIG_SLOPE, IDC_TSET_TRIG_SLOPE_RO, TRUE);
    }
    return TRUE;
}

BOOL CTraceSetupDlg::CreatePages()
{
    m_pTargetPage = new CTraceTargetTPage(*this);
    if (!m_pTargetPage->LoadTables(m_model.m_RobConSet.strController, m_model.m_RobConSet.nK72)) return FALSE;
    // The target page's first choice has set labels and limits; the other
    // pages start from them.
    CRect rc;
    m_tab.GetClientRect(&rc);
    m_tab.AdjustRect(FALSE, &rc);
    m_tab.MapWindowPoints(this, &rc);
    auto place = [&](CDialog* page, UINT id) {
        if (!page->Create(id, this)) return FALSE;
        // The page answers to its template's id among the dialog's controls.
        ::SetWindowLongPtrW(page->GetSafeHwnd(), GWLP_ID, id);
        page->SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_HIDEWINDOW);
        return TRUE;
    };
    if (!place(m_pTargetPage, IDD_TRACE_TARGET_PAGE)) return FALSE;
    m_pLabelPage = new CLabelSettingTPage(m_GraphSet);
    if (!place(m_pLabelPage, IDD_TRACE_LABEL_PAGE)) return FALSE;
    m_pGraphPage = new CGraphSettingTPage(m_GraphSet);
    if (!place(m_pGraphPage, IDD_TRACE_GRAPH_PAGE)) return FALSE;
    m_pScalingPage = new CScalingTPage(m_ScaleSet);
    if (!place(m_pScalingPage, IDD_TRACE_SCALING_PAGE)) return FALSE;
    m_pRangePage = new CRangeSettingTPage(m_RangeSet);
    return place(m_pRangePage, IDD_TRACE_RANGE_PAGE);
}

CWnd* CTraceSetupDlg::Page(int nTab) const
{
    switch (nTab) {
    case kTabTarget: return m_pTargetPage;
    case kTabLabel: return m_pLabelPage;
    case kTabGraph: return m_pGraphPage;
    case kTabScaling: return m_pScalingPage;
    case kTabRange: return m_pRangePage;
    default: return nullptr;
    }
}

void CTraceSetupDlg::ShowTab(int nTab)
{
    if (nTab < 0 || nTab >= kTabCount) nTab = kTabTarget;
    m_tab.SetCurSel(nTab);
    for (int t = 0; t < kTabCount; ++t)
        if (CWnd* page = Page(t); page && page->GetSafeHwnd()) page->ShowWindow(t == nTab ? SW_SHOW : SW_HIDE);
    g_nLastTab = nTab;
}

void CTraceSetupDlg::OnGraphCountChange()
{
    const int sel = static_cast<CComboBox*>(GetDlgItem(IDC_TSET_GRAPH_COUNT))->GetCurSel();
    if (m_pGraphPage && sel >= 0) m_pGraphPage->FillGraphNumbers(sel, m_bInitialising);
}

void CTraceSetupDlg::OnTitleFrame()
{
    const BOOL bFrame = ::IsDlgButtonChecked(GetSafeHwnd(), IDC_TSET_TITLE_FRAME) == BST_CHECKED;
    GetDlgItem(IDC_TSET_FRAME_COLOUR_LABEL)->EnableWindow(bFrame);
    GetDlgItem(IDC_TSET_FRAME_COLOUR)->EnableWindow(bFrame);
}

void CTraceSetupDlg::OnFrameColour()
{
    CColorDialog dlg(m_btnFrame.GetColor(), CC_FULLOPEN | CC_RGBINIT, this);
    dlg.m_cc.lpCustColors = m_GraphSet.crCustom;
    if (dlg.DoModal() != IDOK) return;
    m_btnFrame.SetColor(dlg.GetColor());
    m_btnFrame.Invalidate();
}

void CTraceSetupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TSET_TITLE, m_strTitle);
    DDV_MaxChars(pDX, m_strTitle, TraceGraphSettings::kMaxTitleLength);
    DDX_Check(pDX, IDC_TSET_TITLE_FRAME, m_bTitleFrame);
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
    ShowTab(m_tab.GetCurSel());
    *pResult = 0;
}

BOOL CTraceSetupDlg::ReadPages()
{
    // Pages in tab order; the first refusal shows its page.
    for (int t = kTabLabel; t < kTabCount; ++t) {
        auto* page = static_cast<CTraceSetupPage*>(Page(t));
        if (!page || !page->GetSafeHwnd()) return FALSE;
        if (!page->ReadValues()) {
            ShowTab(t);
            return FALSE;
        }
    }
    if (!UpdateData(TRUE)) return FALSE;
    if (!m_pScalingPage->CheckValues()) {
        ShowTab(kTabScaling);
        m_pScalingPage->FocusFaulty();
        return FALSE;
    }
    if (!m_pRangePage->CheckValues(m_pScalingPage->Scale())) {
        ShowTab(kTabRange);
        m_pRangePage->FocusFaulty();
        return FALSE;
    }
    return TRUE;
}

void CTraceSetupDlg::StorePages()
{
    const TraceScaleSettings& scale = m_pScalingPage->Scale();
    for (int c = 0; c < kTraceChannelCount; ++c) {
        m_GraphSet.LINE_WIDTH_CH[c] = m_pGraphPage->m_nWidthIndex[c] + 1;
        m_GraphSet.crChannel[c] = m_pGraphPage->Colour(c);
        m_GraphSet.DRAW_CH[c] = m_pGraphPage->m_bDraw[c] ? 1 : 0;
        m_GraphSet.GRAPH_NO_CH[c] = m_pGraphPage->m_nGraphNo[c];
        m_GraphSet.POSITION_CH[c] = m_pGraphPage->m_nPositionIndex[c] + 1;
        m_GraphSet.strUnit[c] = m_pLabelPage->m_strUnit[c];
        m_GraphSet.strLabel[c] = m_pLabelPage->m_strLabel[c];
        // Only the values of the chosen scaling change.
        m_ScaleSet.SCL_TYPE_CH[c] = scale.SCL_TYPE_CH[c];
        if (scale.SCL_TYPE_CH[c] == kScaleRatio) {
            m_ScaleSet.RATIO_CH[c] = scale.RATIO_CH[c];
            m_ScaleSet.OFFSET_CH[c] = scale.OFFSET_CH[c];
        } else if (scale.SCL_TYPE_CH[c] == kScaleTwoPoint) {
            m_ScaleSet.POINT_1_CH[c] = scale.POINT_1_CH[c];
            m_ScaleSet.POINT_1_SC_CH[c] = scale.POINT_1_SC_CH[c];
            m_ScaleSet.POINT_2_CH[c] = scale.POINT_2_CH[c];
            m_ScaleSet.POINT_2_SC_CH[c] = scale.POINT_2_SC_CH[c];
        }
        m_RangeSet.AUTO_RANGE_CH[c] = m_pRangePage->m_bAuto[c] ? 1 : 0;
        if (!m_pRangePage->m_bAuto[c]) {
            m_RangeSet.MANU_MIN_REAL_CH[c] = m_pRangePage->m_dLower[c];
            m_RangeSet.MANU_MAX_REAL_CH[c] = m_pRangePage->m_dUpper[c];
            m_RangeSet.MANU_MIN_CH[c] = m_pRangePage->m_nRawMin[c];
            m_RangeSet.MANU_MAX_CH[c] = m_pRangePage->m_nRawMax[c];
        }
    }
}

void CTraceSetupDlg::OnOK()
{
    tracesettag trace = m_TraceSet;
    for (int c = 0; c < kTraceChannelCount; ++c) {
        std::int32_t nTarget = 0, nBit = 0;
        BOOL bBit = FALSE;
        if (!m_pTargetPage || !m_pTargetPage->GetSelection(c, nTarget, nBit, bBit)) {
            ShowTab(kTabTarget);
            ::MessageBeep(MB_ICONEXCLAMATION);
            return;
        }
        trace.SEL_DAT_CH[c] = static_cast<std::uint16_t>(nTarget);
        trace.SEL_BIT_CH[c] = static_cast<std::uint8_t>(nBit);
        trace.bBitTarget[c] = bBit ? 1 : 0;
    }
    if (!ReadPages()) return;
    const TraceScaleSettings& scale = m_pScalingPage->Scale();
    trace.TRACE_NUM = m_nHundreds * 100;
    trace.wInterval = static_cast<std::uint16_t>(m_nInterval);

    TraceTriggerSettings trig = m_TrigSet;
    trig.SLOPE = static_cast<std::uint8_t>(std::max(m_nSlope, 0));
    trig.PRE_TRIGGER = static_cast<std::uint8_t>(m_nPreTrigger);
    if (m_nTrigSource >= 0) trig.SOURCE = static_cast<std::uint8_t>(std::min(m_nTrigSource, kTraceChannelCount - 1));
    trig.MODE = static_cast<std::uint8_t>(std::max(m_nTrigMode, 0));
    trig.LEVEL = trig.SOURCE < kTraceChannelCount ? ClampToRaw32(ScaleToRaw(scale, trig.SOURCE, m_dLevel))
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
    StorePages();
    m_GraphSet.TITLE = m_strTitle;
    m_GraphSet.bTitleFrame = m_bTitleFrame ? 1 : 0;
    m_GraphSet.crTitleFrame = m_btnFrame.GetColor();
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
    InstallTraceOptionsSheet();
}
