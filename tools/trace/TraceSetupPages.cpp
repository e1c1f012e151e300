#include "tools/trace/TraceSetupPages.h"

#include "tools/TraceScaling.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/core/MessageBox.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/Edit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

CString LoadText(UINT nId)
{
    CString text;
    text.LoadString(nId);
    return text;
}

CComboBox* Combo(CWnd* page, UINT id) { return static_cast<CComboBox*>(page->GetDlgItem(id)); }

void ShowItem(CWnd* page, UINT id, BOOL bShow)
{
    if (CWnd* item = page->GetDlgItem(id)) item->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
}

void EnableItem(CWnd* page, UINT id, BOOL bEnable)
{
    if (CWnd* item = page->GetDlgItem(id)) item->EnableWindow(bEnable);
}


bool Checked(CWnd* page, UINT id) { return ::IsDlgButtonChecked(page->GetSafeHwnd(), static_cast<int>(id)) == BST_CHECKED; }

// A typed real: a number of sensible size (no infinity, nothing that
// overflows a conversion).
void DDX_Real(CDataExchange* pDX, int nIDC, double& value)
{
    DDX_Text(pDX, nIDC, value);
    DDV_MinMaxDouble(pDX, value, -kMaxTypedReal, kMaxTypedReal);
}

// A position combo shows the height of the zero line, top first.
constexpr const char16_t* kPositionTexts[kMaxPosition] = {u"100%", u"90%", u"80%", u"70%", u"60%", u"50%",
                                                          u"40%",  u"30%", u"20%", u"10%", u"0%"};

// Graph of each channel when the channels are spread over 1..4 graphs.
constexpr int kSpreadGraph[kMaxGraphs][kTraceChannelCount] = {
    {0, 0, 0, 0}, {0, 0, 1, 1}, {0, 1, 2, 2}, {0, 1, 2, 3}};

}  // namespace

// ---------------------------------------------------------------- common

void ShowReadOnlyTwin(CWnd* pParent, UINT nControl, UINT nTwin, BOOL bCombo, UINT nSpin)
{
    CWnd* control = pParent->GetDlgItem(nControl);
    if (!control) return;
    CString text;
    if (bCombo) {
        auto* combo = static_cast<CComboBox*>(control);
        if (const int sel = combo->GetCurSel(); sel >= 0) combo->GetLBText(sel, text);
    } else {
        control->GetWindowText(text);
    }
    control->EnableWindow(FALSE);
    control->ShowWindow(SW_HIDE);
    if (CWnd* spin = nSpin ? pParent->GetDlgItem(nSpin) : nullptr) {
        spin->EnableWindow(FALSE);
        spin->ShowWindow(SW_HIDE);
    }
    pParent->SetDlgItemText(nTwin, text);
    ShowItem(pParent, nTwin, TRUE);
}

void CTraceSetupPage::OnOK()
{
    if (CWnd* setup = GetParent()) setup->SendMessage(WM_COMMAND, IDOK);
}

void CTraceSetupPage::OnCancel()
{
    if (CWnd* setup = GetParent()) setup->SendMessage(WM_COMMAND, IDCANCEL);
}

void CTraceSetupPage::Fault(UINT nID)
{
    m_nFaultyId = nID;
    FocusFaulty();
}

void CTraceSetupPage::FocusFaulty()
{
    if (CWnd* item = m_nFaultyId ? GetDlgItem(m_nFaultyId) : nullptr) {
        item->SetFocus();
        item->SendMessage(EM_SETSEL, 0, -1);
    }
}

// ---------------------------------------------------------------- label page

CLabelSettingTPage::CLabelSettingTPage(const TraceGraphSettings& graph) : CTraceSetupPage(IDD_TRACE_LABEL_PAGE)
{
    for (int c = 0; c < kTraceChannelCount; ++c) {
        m_strUnit[c] = graph.strUnit[c].Left(kMaxUnitLength);
        m_strLabel[c] = graph.strLabel[c].Left(kMaxLabelLength);
    }
}

void CLabelSettingTPage::SetChannelText(int nChannel, const CString& strLabel, const CString& strUnit)
{
    m_strLabel[nChannel] = strLabel.Left(kMaxLabelLength);
    m_strUnit[nChannel] = strUnit.Left(kMaxUnitLength);
    if (!GetSafeHwnd()) return;
    SetDlgItemText(IDC_TLBL_LABEL1 + nChannel, m_strLabel[nChannel]);
    SetDlgItemText(IDC_TLBL_UNIT1 + nChannel, m_strUnit[nChannel]);
}

void CLabelSettingTPage::DoDataExchange(CDataExchange* pDX)
{
    CTraceSetupPage::DoDataExchange(pDX);
    for (int c = 0; c < kTraceChannelCount; ++c) {
        DDX_Text(pDX, IDC_TLBL_LABEL1 + c, m_strLabel[c]);
        DDV_MaxChars(pDX, m_strLabel[c], kMaxLabelLength);
        DDX_Text(pDX, IDC_TLBL_UNIT1 + c, m_strUnit[c]);
        DDV_MaxChars(pDX, m_strUnit[c], kMaxUnitLength);
    }
}

// ---------------------------------------------------------------- graph page

BEGIN_MESSAGE_MAP(CGraphSettingTPage, CTraceSetupPage)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_TGRP_DRAW1, IDC_TGRP_DRAW1 + 3, &CGraphSettingTPage::OnDrawClicked)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_TGRP_COLOUR1, IDC_TGRP_COLOUR1 + 3, &CGraphSettingTPage::OnColourClicked)
END_MESSAGE_MAP()

CGraphSettingTPage::CGraphSettingTPage(TraceGraphSettings& graph)
    : CTraceSetupPage(IDD_TRACE_GRAPH_PAGE), m_graph(graph)
{
    // Stored values out of range are offered at the nearest valid choice.
    for (int c = 0; c < kTraceChannelCount; ++c) {
        m_bDraw[c] = graph.DRAW_CH[c] ? 1 : 0;
        m_nWidthIndex[c] = std::clamp(graph.LINE_WIDTH_CH[c], 1, 3) - 1;
        m_nGraphNo[c] = std::clamp(graph.GRAPH_NO_CH[c], 0, kMaxGraphs - 1);
        m_nPositionIndex[c] = std::clamp(graph.POSITION_CH[c], kMinPosition, kMaxPosition) - 1;
    }
}

BOOL CGraphSettingTPage::OnInitDialog()
{
    CTraceSetupPage::OnInitDialog();
    for (int c = 0; c < kTraceChannelCount; ++c) {
        CComboBox* position = Combo(this, IDC_TGRP_POSITION1 + c);
        for (const char16_t* text : kPositionTexts) position->AddString(text);
        m_btnColour[c].SubclassDlgItem(IDC_TGRP_COLOUR1 + c, this);
        m_btnColour[c].SetColor(m_graph.crChannel[c]);
        CComboBox* width = Combo(this, IDC_TGRP_WIDTH1 + c);
        for (UINT id : {IDS_TRACE_LINE_THIN, IDS_TRACE_LINE_MEDIUM, IDS_TRACE_LINE_THICK}) width->AddString(LoadText(id));
    }
    m_nGraphs = std::clamp(m_graph.SPLIT_NUM, 1, kMaxGraphs);
    FillGraphNumbers(m_nGraphs - 1, TRUE);
    UpdateData(FALSE);
    for (int c = 0; c < kTraceChannelCount; ++c) EnableChannel(c);
    return TRUE;
}

void CGraphSettingTPage::FillGraphNumbers(int nCountIndex, BOOL bKeep)
{
    m_nGraphs = std::clamp(nCountIndex, 0, kMaxGraphs - 1) + 1;
    for (int c = 0; c < kTraceChannelCount; ++c) {
        if (bKeep) m_nGraphNo[c] = std::min(m_nGraphNo[c], m_nGraphs - 1);
        else m_nGraphNo[c] = kSpreadGraph[m_nGraphs - 1][c];
        if (!GetSafeHwnd()) continue;
        CComboBox* graph = Combo(this, IDC_TGRP_GRAPH1 + c);
        graph->ResetContent();
        for (int k = 1; k <= m_nGraphs; ++k) {
            CString text;
            text.Format(u"%d", k);
            graph->AddString(text);
        }
        graph->SetCurSel(m_nGraphNo[c]);
    }
}

void CGraphSettingTPage::DoDataExchange(CDataExchange* pDX)
{
    CTraceSetupPage::DoDataExchange(pDX);
    for (int c = 0; c < kTraceChannelCount; ++c) {
        DDX_Check(pDX, IDC_TGRP_DRAW1 + c, m_bDraw[c]);
        DDX_CBIndex(pDX, IDC_TGRP_WIDTH1 + c, m_nWidthIndex[c]);
        DDV_MinMaxInt(pDX, m_nWidthIndex[c], 0, 2);
        DDX_CBIndex(pDX, IDC_TGRP_GRAPH1 + c, m_nGraphNo[c]);
        DDV_MinMaxInt(pDX, m_nGraphNo[c], 0, m_nGraphs - 1);
        DDX_CBIndex(pDX, IDC_TGRP_POSITION1 + c, m_nPositionIndex[c]);
        DDV_MinMaxInt(pDX, m_nPositionIndex[c], 0, kMaxPosition - 1);
    }
}

void CGraphSettingTPage::EnableChannel(int nChannel)
{
    const BOOL bDraw = Checked(this, IDC_TGRP_DRAW1 + nChannel);
    for (UINT id : {IDC_TGRP_COLOUR1, IDC_TGRP_WIDTH1, IDC_TGRP_GRAPH1, IDC_TGRP_POSITION1})
        EnableItem(this, id + nChannel, bDraw);
}

void CGraphSettingTPage::OnDrawClicked(UINT nID) { EnableChannel(static_cast<int>(nID - IDC_TGRP_DRAW1)); }

void CGraphSettingTPage::OnColourClicked(UINT nID)
{
    const int c = static_cast<int>(nID - IDC_TGRP_COLOUR1);
    CColorDialog dlg(m_btnColour[c].GetColor(), CC_FULLOPEN | CC_RGBINIT, this);
    dlg.m_cc.lpCustColors = m_graph.crCustom;
    if (dlg.DoModal() != IDOK) return;
    m_btnColour[c].SetColor(dlg.GetColor());
    m_btnColour[c].Invalidate();
}

// ---------------------------------------------------------------- scaling page

BEGIN_MESSAGE_MAP(CScalingTPage, CTraceSetupPage)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_TSCL_TYPE1, IDC_TSCL_TYPE1 + 3, &CScalingTPage::OnTypeChange)
END_MESSAGE_MAP()

CScalingTPage::CScalingTPage(const TraceScaleSettings& scale) : CTraceSetupPage(IDD_TRACE_SCALING_PAGE), m_scale(scale)
{
    // An unknown type is shown as none (and drawn so).
    for (int c = 0; c < kTraceChannelCount; ++c)
        if (m_scale.SCL_TYPE_CH[c] < kScaleNone || m_scale.SCL_TYPE_CH[c] > kScaleTwoPoint)
            m_scale.SCL_TYPE_CH[c] = kScaleNone;
}

BOOL CScalingTPage::OnInitDialog()
{
    CTraceSetupPage::OnInitDialog();
    for (int c = 0; c < kTraceChannelCount; ++c) {
        CComboBox* type = Combo(this, IDC_TSCL_TYPE1 + c);
        for (UINT id : {IDS_TRACE_SCALING_NONE, IDS_TRACE_SCALING_RATIO, IDS_TRACE_SCALING_POINTS})
            type->AddString(LoadText(id));
    }
    UpdateData(FALSE);
    for (int c = 0; c < kTraceChannelCount; ++c) ShowType(c);
    return TRUE;
}

void CScalingTPage::DoDataExchange(CDataExchange* pDX)
{
    CTraceSetupPage::DoDataExchange(pDX);
    for (int c = 0; c < kTraceChannelCount; ++c) {
        int type = m_scale.SCL_TYPE_CH[c];
        DDX_CBIndex(pDX, IDC_TSCL_TYPE1 + c, type);
        DDV_MinMaxInt(pDX, type, kScaleNone, kScaleTwoPoint);
        m_scale.SCL_TYPE_CH[c] = type;
        // Only the values of the chosen type are read: a hidden field cannot
        // be corrected by the person who sees the refusal.
        if (!pDX->m_bSaveAndValidate || type == kScaleRatio) {
            DDX_Real(pDX, IDC_TSCL_RATIO1 + c, m_scale.RATIO_CH[c]);
            DDX_Real(pDX, IDC_TSCL_OFFSET1 + c, m_scale.OFFSET_CH[c]);
        }
        if (!pDX->m_bSaveAndValidate || type == kScaleTwoPoint) {
            DDX_Real(pDX, IDC_TSCL_P1_1 + c, m_scale.POINT_1_CH[c]);
            DDX_Real(pDX, IDC_TSCL_P1SC_1 + c, m_scale.POINT_1_SC_CH[c]);
            DDX_Real(pDX, IDC_TSCL_P2_1 + c, m_scale.POINT_2_CH[c]);
            DDX_Real(pDX, IDC_TSCL_P2SC_1 + c, m_scale.POINT_2_SC_CH[c]);
        }
    }
}

void CScalingTPage::ShowType(int nChannel)
{
    const int type = m_scale.SCL_TYPE_CH[nChannel];
    for (UINT id : {IDC_TSCL_RATIO1, IDC_TSCL_RATIO_LABEL1, IDC_TSCL_OFFSET1, IDC_TSCL_OFFSET_LABEL1})
        ShowItem(this, id + nChannel, type == kScaleRatio);
    for (UINT id : {IDC_TSCL_P1_LABEL1, IDC_TSCL_P1SC_LABEL1, IDC_TSCL_P2_LABEL1, IDC_TSCL_P2SC_LABEL1, IDC_TSCL_P1_1,
                    IDC_TSCL_P1SC_1, IDC_TSCL_P2_1, IDC_TSCL_P2SC_1})
        ShowItem(this, id + nChannel, type == kScaleTwoPoint);
}

void CScalingTPage::OnTypeChange(UINT nID)
{
    const int c = static_cast<int>(nID - IDC_TSCL_TYPE1);
    const int sel = Combo(this, nID)->GetCurSel();
    if (sel < kScaleNone || sel > kScaleTwoPoint) return;
    m_scale.SCL_TYPE_CH[c] = sel;
    ShowType(c);
}

void CScalingTPage::SetScaleFromTarget(int nChannel, double dScale)
{
    if (m_scale.SCL_TYPE_CH[nChannel] == kScaleTwoPoint) return;
    m_scale.RATIO_CH[nChannel] = dScale;
    m_scale.SCL_TYPE_CH[nChannel] = dScale != 1.0 ? kScaleRatio : kScaleNone;
    if (!GetSafeHwnd()) return;
    // Only this channel's controls: what was typed for the others stays.
    CString text;
    text.Format(u"%.*g", 15, dScale);
    SetDlgItemText(IDC_TSCL_RATIO1 + nChannel, text);
    Combo(this, IDC_TSCL_TYPE1 + nChannel)->SetCurSel(m_scale.SCL_TYPE_CH[nChannel]);
    ShowType(nChannel);
}

BOOL CScalingTPage::CheckValues()
{
    for (int c = 0; c < kTraceChannelCount; ++c) {
        if (m_scale.SCL_TYPE_CH[c] == kScaleRatio && m_scale.RATIO_CH[c] == 0.0) {
            AfxMessageBox(IDS_TRACE_RATIO_ZERO, MB_OK | MB_ICONEXCLAMATION);
            Fault(IDC_TSCL_RATIO1 + c);
            return FALSE;
        }
        if (m_scale.SCL_TYPE_CH[c] == kScaleTwoPoint) {
            if (m_scale.POINT_1_CH[c] == m_scale.POINT_2_CH[c]) {
                AfxMessageBox(IDS_TRACE_POINTS_EQUAL, MB_OK | MB_ICONEXCLAMATION);
                Fault(IDC_TSCL_P1_1 + c);
                return FALSE;
            }
            if (m_scale.POINT_1_SC_CH[c] == m_scale.POINT_2_SC_CH[c]) {
                AfxMessageBox(IDS_TRACE_POINTS_EQUAL, MB_OK | MB_ICONEXCLAMATION);
                Fault(IDC_TSCL_P1SC_1 + c);
                return FALSE;
            }
        }
    }
    return TRUE;
}

// ---------------------------------------------------------------- range page

BEGIN_MESSAGE_MAP(CRangeSettingTPage, CTraceSetupPage)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_TRNG_AUTO1, IDC_TRNG_AUTO1 + 3, &CRangeSettingTPage::OnAutoClicked)
END_MESSAGE_MAP()

CRangeSettingTPage::CRangeSettingTPage(TraceRangeSettings& range) : CTraceSetupPage(IDD_TRACE_RANGE_PAGE), m_range(range)
{
    for (int c = 0; c < kTraceChannelCount; ++c) {
        m_bAuto[c] = range.AUTO_RANGE_CH[c] ? 1 : 0;
        m_dLower[c] = range.MANU_MIN_REAL_CH[c];
        m_dUpper[c] = range.MANU_MAX_REAL_CH[c];
        m_nRawMin[c] = range.MANU_MIN_CH[c];
        m_nRawMax[c] = range.MANU_MAX_CH[c];
    }
}

BOOL CRangeSettingTPage::OnInitDialog()
{
    CTraceSetupPage::OnInitDialog();
    for (int c = 0; c < kTraceChannelCount; ++c) {
        ::CheckDlgButton(GetSafeHwnd(), IDC_TRNG_AUTO1 + c, m_bAuto[c] ? BST_CHECKED : BST_UNCHECKED);
        ShowLimits(c);
    }
    return TRUE;
}

void CRangeSettingTPage::ShowLimits(int nChannel)
{
    const BOOL bAuto = Checked(this, IDC_TRNG_AUTO1 + nChannel);
    CString lower, upper;
    if (bAuto) {
        lower.Format(u"%d", m_range.nLowerLimit[nChannel]);
        upper.Format(u"%d", m_range.nUpperLimit[nChannel]);
    } else {
        // The manual limits kept while the channel followed its target.
        lower.Format(u"%.*g", 15, m_dLower[nChannel]);
        upper.Format(u"%.*g", 15, m_dUpper[nChannel]);
    }
    SetDlgItemText(IDC_TRNG_LOWER1 + nChannel, lower);
    SetDlgItemText(IDC_TRNG_UPPER1 + nChannel, upper);
    EnableItem(this, IDC_TRNG_LOWER1 + nChannel, !bAuto);
    EnableItem(this, IDC_TRNG_UPPER1 + nChannel, !bAuto);
}

void CRangeSettingTPage::RefreshChannel(int nChannel)
{
    if (GetSafeHwnd() && Checked(this, IDC_TRNG_AUTO1 + nChannel)) ShowLimits(nChannel);
}

void CRangeSettingTPage::OnAutoClicked(UINT nID)
{
    const int c = static_cast<int>(nID - IDC_TRNG_AUTO1);
    if (Checked(this, nID)) {
        // Keep what was typed, as text, for when the channel goes manual again.
        CString lower, upper;
        GetDlgItemText(IDC_TRNG_LOWER1 + c, lower);
        GetDlgItemText(IDC_TRNG_UPPER1 + c, upper);
        ShowLimits(c);
        m_strKeptLower[c] = lower;
        m_strKeptUpper[c] = upper;
        m_bKept[c] = TRUE;
        return;
    }
    ShowLimits(c);
    if (m_bKept[c]) {
        SetDlgItemText(IDC_TRNG_LOWER1 + c, m_strKeptLower[c]);
        SetDlgItemText(IDC_TRNG_UPPER1 + c, m_strKeptUpper[c]);
    }
}

void CRangeSettingTPage::DoDataExchange(CDataExchange* pDX)
{
    CTraceSetupPage::DoDataExchange(pDX);
    if (!pDX->m_bSaveAndValidate) return;
    for (int c = 0; c < kTraceChannelCount; ++c) {
        DDX_Check(pDX, IDC_TRNG_AUTO1 + c, m_bAuto[c]);
        // A channel on its target's range keeps its manual limits as they were.
        if (m_bAuto[c]) continue;
        DDX_Real(pDX, IDC_TRNG_LOWER1 + c, m_dLower[c]);
        DDX_Real(pDX, IDC_TRNG_UPPER1 + c, m_dUpper[c]);
    }
}

BOOL CRangeSettingTPage::CheckValues(const TraceScaleSettings& scale)
{
    constexpr std::int64_t kMinSpan = 2;
    for (int c = 0; c < kTraceChannelCount; ++c) {
        if (m_bAuto[c]) continue;
        const std::int64_t upper = ScaleToRaw(scale, c, m_dUpper[c]);
        const std::int64_t lower = ScaleToRaw(scale, c, m_dLower[c]);
        // A negative scaling turns the raw limits round; the span counts.
        const std::int64_t high = std::max(upper, lower);
        const std::int64_t low = std::min(upper, lower);
        const bool fits = low >= std::numeric_limits<std::int32_t>::min() && high <= std::numeric_limits<std::int32_t>::max();
        if (fits && high - kMinSpan >= low && m_dUpper[c] > m_dLower[c]) {
            m_nRawMin[c] = static_cast<std::int32_t>(low);
            m_nRawMax[c] = static_cast<std::int32_t>(high);
            continue;
        }
        CString text;
        if (!fits) {
            text = LoadText(IDS_TRACE_RANGE_TOO_WIDE);
        } else if (scale.SCL_TYPE_CH[c] == kScaleRatio || scale.SCL_TYPE_CH[c] == kScaleTwoPoint) {
            // The smallest span in the channel's own units.
            const double span = std::fabs(ScaleToEngineering(scale, c, kMinSpan) - ScaleToEngineering(scale, c, 0));
            text.Format(u"%s%.4f%s", LoadText(IDS_TRACE_RANGE_SPAN_1).GetString(), span,
                        LoadText(IDS_TRACE_RANGE_SPAN_2).GetString());
        } else {
            text.Format(u"%s%d%s", LoadText(IDS_TRACE_RANGE_SPAN_1).GetString(), static_cast<int>(kMinSpan),
                        LoadText(IDS_TRACE_RANGE_SPAN_2).GetString());
        }
        AfxMessageBox(text.GetString(), MB_OK | MB_ICONEXCLAMATION);
        Fault(IDC_TRNG_LOWER1 + c);
        return FALSE;
    }
    return TRUE;
}
