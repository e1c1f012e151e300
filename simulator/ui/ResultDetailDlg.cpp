#include "simulator/ui/ResultDetailDlg.h"

#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/DecimalText.h"
#include "simulator/core/ResultDetail.h"
#include "simulator/core/WaveChart.h"
#include "simulator/ui/SimulatorApp.h"
#include "simulator/ui/SimulatorDlg.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

constexpr int kFieldIds[CResultDetailDlg::kFieldCount] = {
    IDC_RD_TOTAL_TIME,      IDC_RD_ACCEL_TIME,      IDC_RD_CONST_TIME,      IDC_RD_DECEL_TIME,  IDC_RD_DISTANCE,
    IDC_RD_ACCEL_DISTANCE,  IDC_RD_CONST_DISTANCE,  IDC_RD_DECEL_DISTANCE,  IDC_RD_RMS_CURRENT, IDC_RD_ACCEL_CURRENT,
    IDC_RD_CONST_CURRENT,   IDC_RD_DECEL_CURRENT,   IDC_RD_PEAK_SPEED,      IDC_RD_ACCEL,       IDC_RD_ACCEL_G,
};

const MotionLibrary& Library()
{
    static MotionLibrary unbound;
    const CSimulatorApp* app = SimulatorApp();
    return app ? app->m_motionLibrary : unbound;
}

}  // namespace

BEGIN_MESSAGE_MAP(CResultDetailDlg, CDialog)
    ON_WM_CLOSE()
    ON_WM_HSCROLL()
    ON_BN_CLICKED(IDC_RD_ZOOM_IN, &CResultDetailDlg::OnZoomIn)
    ON_BN_CLICKED(IDC_RD_ZOOM_OUT, &CResultDetailDlg::OnZoomOut)
    ON_CBN_SELCHANGE(IDC_RD_MOVES, &CResultDetailDlg::OnMoveChanged)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CResultDetailDlg::CResultDetailDlg(const CString& title, bool singleMove, CSimulatorDlg* main)
    : CDialog(IDD_RESULT_DETAIL, main), m_strTitle(title), m_bSingleMove(singleMove), m_pMain(main)
{
    for (int i = 0; i < kFieldCount; ++i) m_fields.push_back(std::make_unique<CNumberEdit>(NumberEditVariant::Simulator));
}

BOOL CResultDetailDlg::CreateWindowFor(CWnd* parent) { return Create(IDD_RESULT_DETAIL, parent); }

const std::vector<MotionResult>& CResultDetailDlg::Results() const
{
    static const std::vector<MotionResult> none;
    return m_pMain ? m_pMain->Results() : none;
}

BOOL CResultDetailDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CString title;
    title.LoadString(IDS_RESULT_DETAIL_TITLE);
    SetWindowText(title);
    m_moves.SubclassDlgItem(IDC_RD_MOVES, this);
    m_scroll.SubclassDlgItem(IDC_RD_SCROLL, this);
    m_zoomIn.SubclassDlgItem(IDC_RD_ZOOM_IN, this);
    m_zoomOut.SubclassDlgItem(IDC_RD_ZOOM_OUT, this);
    for (int i = 0; i < kFieldCount; ++i) m_fields[i]->SubclassDlgItem(kFieldIds[i], this);
    FillMoveList();
    m_chart.Attach(this, IDC_RD_CHART);
    m_zoomInEnabled = m_zoomOutEnabled = true;
    if (BuildChart(0)) {
        SetUpScrollBar();
    } else {
        m_scroll.ShowWindow(SW_HIDE);
        m_zoomInEnabled = m_zoomOutEnabled = false;
    }
    const CSimulatorApp* app = SimulatorApp();
    const bool old = app && app->m_bOldSystem;
    // Plain push buttons (no toggle), themed where the desktop is, flat on
    // the dialog until the mouse is over them.
    for (auto [button, icon] : {std::pair{&m_zoomIn, old ? IDI_ZOOM_IN_OLD : IDI_ZOOM_IN},
                                std::pair{&m_zoomOut, old ? IDI_ZOOM_OUT_OLD : IDI_ZOOM_OUT}})
        button->SetIcon(static_cast<UINT>(icon), 0).SetCheckBox(FALSE).SetUseVisualStyles(TRUE).SetFlat(TRUE);
    // The choice of display offers nothing in this program: it is not shown.
    for (int id : {IDC_RD_VIEW, IDC_RD_VIEW_LABEL})
        if (CWnd* item = GetDlgItem(id)) item->ShowWindow(SW_HIDE);
    m_zoomIn.EnableWindow(m_zoomInEnabled);
    m_zoomOut.EnableWindow(m_zoomOutEnabled);
    for (int i = 0; i < kFieldCount; ++i) {
        m_fields[i]->SetMode(CNumberEdit::kRealMode);
        if (i <= 3) {
            m_fields[i]->SetRealFormat(12, 0);
            m_fields[i]->SetRealRange(999999999999.999, -999999999999.999);
        } else if (i <= 7) {
            m_fields[i]->SetRealFormat(7, 3);
            m_fields[i]->SetRealRange(9999999.999, -9999999.999);
        } else {
            m_fields[i]->SetRealFormat(4, 2);
        }
    }
    FillValues(0);
    LOGFONT font{};
    if (CFont* normal = GetFont()) normal->GetLogFont(&font);
    font.lfWeight = FW_BOLD;
    m_boldFont.CreateFontIndirect(&font);
    for (auto& field : m_fields) field->SetFont(&m_boldFont);
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    m_redBrush.CreateSolidBrush(RGB(255, 0, 0));
    // The window opens over the main dialog's top-left corner.
    if (m_pMain && m_pMain->GetSafeHwnd()) {
        CRect main;
        m_pMain->GetWindowRect(&main);
        SetWindowPos(nullptr, main.left, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

void CResultDetailDlg::FillMoveList()
{
    m_moves.ResetContent();
    for (const CString& item : ResultDetailItems(static_cast<int>(Results().size()), m_bSingleMove))
        m_moves.AddString(item);
    m_moves.SetCurSel(0);
}

void CResultDetailDlg::FillValues(int item)
{
    const ResultDetailValues values = ComputeResultDetail(Results(), m_bSingleMove, item, false);
    for (int i = 0; i < kFieldCount; ++i) {
        if (values.empty[i]) {
            m_fields[i]->SetWindowText(u"");
        } else {
            CString text;
            const int decimals = i <= 3 ? 0 : i <= 7 ? 3 : 2;
            text.Format(u"%.*f", decimals, RoundedToDecimals(values.values[i], decimals));
            m_fields[i]->SetWindowText(text);
        }
        m_fields[i]->EnableWindow(values.enabled[i] ? TRUE : FALSE);
    }
}

bool CResultDetailDlg::BuildChart(int item)
{
    const std::vector<MotionResult>& results = Results();
    WaveRequest request;
    request.allMoves = !m_bSingleMove;
    request.move = m_bSingleMove ? item : item - 1;
    const RECT plot = m_chart.GetPlotRect();
    request.plotWidth = plot.right - plot.left;
    request.zoom = m_chart.GetZoom();
    request.scroll = m_chart.GetScroll();
    m_chart.SetMode(m_bSingleMove ? 1 : 0);
    m_totalMs = WaveLengthMs(results, request.allMoves, m_bSingleMove ? item : 0);
    const float maxSpeed = m_pMain ? m_pMain->DetailSettings().maxSpeedMmS : 0.0f;
    CWaveSeries series;
    const bool built = BuildSpeedWaveform(results, request, Library(), maxSpeed, series);
    series.used = true;
    m_chart.SetSeries(0, series);
    return built;
}

void CResultDetailDlg::SetUpScrollBar()
{
    const RECT plot = m_chart.GetPlotRect();
    CRect chart;
    m_chart.GetWindowRect(&chart);
    ScreenToClient(&chart);
    CRect bar;
    m_scroll.GetWindowRect(&bar);
    ScreenToClient(&bar);
    m_scroll.MoveWindow(chart.left + plot.left, bar.top, plot.right - plot.left, bar.Height());
    const int limit = WaveScrollLimit(m_totalMs, m_chart.GetZoom(), plot.right - plot.left);
    if (limit > 0) {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = limit + kWaveScrollPage - 1;
        info.nPage = kWaveScrollPage;
        info.nPos = std::min(m_chart.GetScroll(), limit);
        m_scroll.SetScrollInfo(&info, TRUE);
        m_chart.SetScroll(info.nPos);
        m_scroll.ShowWindow(SW_SHOW);
    } else {
        m_chart.SetScroll(0);
        m_scroll.SetScrollPos(0);
        m_scroll.ShowWindow(SW_HIDE);
    }
}

void CResultDetailDlg::Refresh(const CString& title, bool singleMove)
{
    m_strTitle = title;
    m_bSingleMove = singleMove;
    FillMoveList();
    m_chart.SetScroll(0);
    m_lastScroll = -1;
    ShowItem(0);
    m_chart.InvalidateParts(7);
}

void CResultDetailDlg::ShowItem(int item)
{
    FillValues(item);
    // Without a waveform (no library, or too long) there is nothing to
    // scroll or zoom.
    if (BuildChart(item)) {
        SetUpScrollBar();
        m_zoomIn.EnableWindow(m_zoomInEnabled);
        m_zoomOut.EnableWindow(m_zoomOutEnabled);
    } else {
        m_scroll.ShowWindow(SW_HIDE);
        m_zoomIn.EnableWindow(FALSE);
        m_zoomOut.EnableWindow(FALSE);
    }
}

void CResultDetailDlg::Zoom(bool in)
{
    CIconButton& pressed = in ? m_zoomIn : m_zoomOut;
    CIconButton& other = in ? m_zoomOut : m_zoomIn;
    if (!pressed.IsWindowEnabled()) return;
    const bool more = m_chart.StepZoom(in);
    (in ? m_zoomInEnabled : m_zoomOutEnabled) = more;
    (in ? m_zoomOutEnabled : m_zoomInEnabled) = true;
    const int item = std::max(0, m_moves.GetCurSel());
    BuildChart(item);
    SetUpScrollBar();
    BuildChart(item);
    m_lastScroll = m_chart.GetScroll();
    m_chart.InvalidateParts(7);
    if (!more) {
        // The focus leaves a button that is about to be disabled.
        other.SetFocus();
        pressed.EnableWindow(FALSE);
    }
    if (!other.IsWindowEnabled()) other.EnableWindow(TRUE);
}

void CResultDetailDlg::OnZoomIn() { Zoom(true); }
void CResultDetailDlg::OnZoomOut() { Zoom(false); }

void CResultDetailDlg::OnMoveChanged()
{
    const int item = std::max(0, m_moves.GetCurSel());
    m_chart.SetScroll(0);
    m_lastScroll = -1;
    ShowItem(item);
    m_chart.InvalidateParts(1 | 2);
}

void CResultDetailDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (pScrollBar != &m_scroll && (!pScrollBar || pScrollBar->GetSafeHwnd() != m_scroll.GetSafeHwnd())) return;
    const RECT plot = m_chart.GetPlotRect();
    const int limit = WaveScrollLimit(m_totalMs, m_chart.GetZoom(), plot.right - plot.left);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    m_scroll.GetScrollInfo(&info, SIF_TRACKPOS);
    const int track = nSBCode == SB_THUMBPOSITION ? static_cast<int>(nPos) : info.nTrackPos;
    const int next = NextWaveScroll(static_cast<int>(nSBCode), m_chart.GetScroll(), track, limit);
    m_scroll.SetScrollPos(next);
    m_chart.SetScroll(next);
    if (next == m_lastScroll) return;
    m_lastScroll = next;
    BuildChart(std::max(0, m_moves.GetCurSel()));
    m_chart.InvalidateParts(1 | 2);
}

HBRUSH CResultDetailDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    // The values on white, in black; the currents keep the dialog's look
    // while there is no current calculation.
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    const int* const field = std::find(std::begin(kFieldIds), std::end(kFieldIds), id);
    const bool current = id == IDC_RD_RMS_CURRENT || id == IDC_RD_ACCEL_CURRENT || id == IDC_RD_CONST_CURRENT ||
                         id == IDC_RD_DECEL_CURRENT;
    if (nCtlColor == CTLCOLOR_STATIC && field != std::end(kFieldIds) && !current && m_whiteBrush.GetSafeHandle()) {
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(RGB(0, 0, 0));
        return static_cast<HBRUSH>(m_whiteBrush);
    }
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CResultDetailDlg::OnClose() { DestroyWindow(); }

void CResultDetailDlg::PostNcDestroy()
{
    if (m_pMain) m_pMain->DetailClosed();
    delete this;
}
