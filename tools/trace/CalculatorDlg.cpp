#include "tools/trace/CalculatorDlg.h"

#include "tools/TraceText.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/TraceDrawing.h"

#include "resources/tools/ZeblLangLib_ids.h"
#include "resources/tools/trdfile_ids.h"

#include "platform/ui/Button.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CCalcSetupDlg, CDialog)
IMPLEMENT_DYNAMIC(CCalculatorDlg, CTraceToolDlg)

namespace {

constexpr int kShowBoxes[CalcSettings::kColumnCount] = {IDC_CSET_MAX, IDC_CSET_MAX_TIME, IDC_CSET_MIN,
                                                         IDC_CSET_MIN_TIME, IDC_CSET_AVERAGE, IDC_CSET_RMS};
// Column titles in the order of the settings' words.
constexpr UINT kColumnTitles[CalcSettings::kColumnCount] = {IDS_TRACE_CALC_MAX, IDS_TRACE_CALC_MAX_TIME,
                                                             IDS_TRACE_CALC_MIN, IDS_TRACE_CALC_MIN_TIME,
                                                             IDS_TRACE_CALC_AVERAGE, IDS_TRACE_CALC_RMS};
constexpr int kColumnWidth = 60;
constexpr int kStretchChoices = 4;

}  // namespace

// ---------------------------------------------------------------- set-up

BEGIN_MESSAGE_MAP(CCalcSetupDlg, CDialog)
    ON_BN_CLICKED(IDC_CSET_BETWEEN_CURSORS, &CCalcSetupDlg::OnBetweenCursors)
END_MESSAGE_MAP()

CCalcSetupDlg::CCalcSetupDlg(CalcSettings* pSettings, CWnd* pParent)
    : CDialog(IDD_CALC_SETUP, pParent), m_pSettings(pSettings)
{
}

BOOL CCalcSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < CalcSettings::kColumnCount; ++i)
        CheckDlgButton(kShowBoxes[i], m_pSettings->nShow[i] ? BST_CHECKED : BST_UNCHECKED);
    const std::int32_t stretch = std::clamp(m_pSettings->nStretch, 0, kStretchChoices);
    CheckDlgButton(IDC_CSET_BETWEEN_CURSORS, stretch == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(IDC_CSET_STRETCH_1, IDC_CSET_STRETCH_4, IDC_CSET_STRETCH_1 + std::max(stretch - 1, 0));
    EnableStretchChoice();
    CenterWindow(GetParent());
    return TRUE;
}

void CCalcSetupDlg::EnableStretchChoice()
{
    const BOOL choose = IsDlgButtonChecked(IDC_CSET_BETWEEN_CURSORS) != BST_CHECKED;
    for (int id = IDC_CSET_STRETCH_1; id <= IDC_CSET_STRETCH_4; ++id) GetDlgItem(id)->EnableWindow(choose);
}

void CCalcSetupDlg::OnBetweenCursors() { EnableStretchChoice(); }

void CCalcSetupDlg::OnOK()
{
    for (int i = 0; i < CalcSettings::kColumnCount; ++i)
        m_pSettings->nShow[i] = IsDlgButtonChecked(kShowBoxes[i]) == BST_CHECKED ? 1 : 0;
    if (IsDlgButtonChecked(IDC_CSET_BETWEEN_CURSORS) == BST_CHECKED) {
        m_pSettings->nStretch = 0;
    } else {
        const int radio = GetCheckedRadioButton(IDC_CSET_STRETCH_1, IDC_CSET_STRETCH_4);
        m_pSettings->nStretch = radio ? radio - IDC_CSET_STRETCH_1 + 1 : 1;
    }
    CDialog::OnOK();
}

// ---------------------------------------------------------------- calculator

BEGIN_MESSAGE_MAP(CCalculatorDlg, CTraceToolDlg)
    ON_BN_CLICKED(IDC_CALC_CALCULATE, &CCalculatorDlg::Calculate)
    ON_BN_CLICKED(IDC_CALC_SETUP, &CCalculatorDlg::OnSetup)
END_MESSAGE_MAP()

CCalculatorDlg::CCalculatorDlg() : CTraceToolDlg(IDD_CALCULATOR, IDC_CALC_LIST) {}

RECT& CCalculatorDlg::SavedRect() { return m_pOwner->Model().m_Layout.rcCalc; }
std::int32_t& CCalculatorDlg::ShownOnce() { return m_pOwner->Model().m_Layout.nCalcShownOnce; }
void CCalculatorDlg::TellOwnerGone()
{
    // The owner keeps the settings for the next opening.
    if (CTraceToolWindows* tools = m_pOwner->ToolWindows()) tools->m_calcSettings = m_settings;
    m_pOwner->EndCalcDlg();
}

BOOL CCalculatorDlg::OnInitDialog()
{
    CTraceToolDlg::OnInitDialog();
    m_list.InsertColumn(0, u"CH", LVCFMT_LEFT, 40);
    SetDlgItemText(IDC_CALC_FROM, u"-----");
    SetDlgItemText(IDC_CALC_TO, u"-----");
    return TRUE;
}

void CCalculatorDlg::SetSource(CKXWatcherDlg* pSource)
{
    const HWND before = m_hSource;
    CTraceToolDlg::SetSource(pSource);
    if (m_hSource != before) m_bColumnsStale = TRUE;
}

void CCalculatorDlg::BuildColumns()
{
    while (m_list.DeleteColumn(1)) {
    }
    int column = 1;
    for (int i = 0; i < CalcSettings::kColumnCount; ++i) {
        if (!m_settings.nShow[i]) continue;
        CString title;
        title.LoadString(kColumnTitles[i]);
        // Wide enough for its title in either language.
        const int width = std::max(kColumnWidth, m_list.GetStringWidth(title) + 16);
        m_list.InsertColumn(column++, title, LVCFMT_RIGHT, width);
    }
    m_columnsBuilt = m_settings;
    m_bColumnsStale = FALSE;
}

void CCalculatorDlg::Calculate()
{
    if (!GetSafeHwnd()) return;
    CKXWatcherDlg* source = Source();
    SetWindowText(CaptionFor(source));
    if (m_bColumnsStale) BuildColumns();
    ClearRows();
    const CTraceModel* model = source ? &source->Model() : nullptr;
    const SampleStretch stretch = model ? TraceCalcStretch(*model, m_settings.nStretch) : SampleStretch{};
    SetDlgItemText(IDC_CALC_FROM,
                   stretch.bValid ? FormatTraceTime(TracePositionTimeMs(*model, stretch.nFrom)) : CString(u"-----"));
    SetDlgItemText(IDC_CALC_TO,
                   stretch.bValid ? FormatTraceTime(TracePositionTimeMs(*model, stretch.nTo)) : CString(u"-----"));
    if (!stretch.bValid) return;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (!model->m_GraphSet.DRAW_CH[ch]) continue;
        ChannelStatistics stats;
        if (!ComputeChannelStatistics(*model, ch, stretch, stats)) continue;
        CString number;
        number.Format(u"%d", ch + 1);
        const int item = m_list.InsertItem(m_list.GetItemCount(), number, AddChannelImage(model->m_GraphSet.crChannel[ch]));
        const CString texts[CalcSettings::kColumnCount] = {
            TraceValueText(*model, ch, stats.nMaxRaw), FormatTraceTime(TracePositionTimeMs(*model, stats.nMaxPos)),
            TraceValueText(*model, ch, stats.nMinRaw), FormatTraceTime(TracePositionTimeMs(*model, stats.nMinPos)),
            TraceRealText(stats.dAverage),             TraceRealText(stats.dRms)};
        int column = 1;
        for (int i = 0; i < CalcSettings::kColumnCount; ++i)
            if (m_columnsBuilt.nShow[i]) m_list.SetItemText(item, column++, texts[i]);
    }
}

void CCalculatorDlg::OnSetup()
{
    if (m_bModalRunning) return;
    const HWND self = GetSafeHwnd();
    CCalcSetupDlg setup(&m_settings, this);
    m_bModalRunning = TRUE;
    const INT_PTR result = setup.DoModal();
    // The window may have been closed with its owner meanwhile.
    if (!::IsWindow(self)) return;
    m_bModalRunning = FALSE;
    if (result == IDOK && !m_settings.SameColumns(m_columnsBuilt)) m_bColumnsStale = TRUE;
}
