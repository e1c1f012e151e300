#include "manager/dialogs/DlgIoMonitor.h"

#include "manager/dialogs/DialogHelpers.h"
#include "manager/dialogs/DlgManual.h"

#include "manager/app/StatusDisplay.h"
#include "manager/core/ControllerData.h"
#include "manager/core/DataManager.h"

#include "resources/manager/ctrldlgs_ids.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kRowIds[6] = {IDC_IO_IN_LOW, IDC_IO_IN_HIGH, IDC_IO_OUT_LOW, IDC_IO_OUT_HIGH, IDC_IO_LB_IN, IDC_IO_LB_OUT};
constexpr int kStandardOnly[] = {IDC_IO_IN_LABEL,  IDC_IO_OUT_LABEL,  IDC_IO_WORDS_LABEL,
                                 IDC_IO_WORDS_LOW, IDC_IO_WORDS_HIGH, IDC_IO_FRAME};
constexpr int kLbOnly[] = {IDC_IO_LB_IN_LABEL, IDC_IO_LB_OUT_LABEL};
// The name beside the lamp of a bit, in either layout.
constexpr int BitLabelId(bool output, int bit) { return IDC_IO_BIT_LABEL_FIRST + 2 * (bit + (output ? 16 : 0)); }
constexpr int LbBitLabelId(bool output, int bit) { return IDC_IO_LB_BIT_LABEL_FIRST + bit + (output ? 8 : 0); }

constexpr int kLampIds[CDlgStatusMonitor::kLamps] = {1267, 1269, 1271, 1273, 1275, 1277, 1279, 1281,
                                                     1282, 1284, 1286, 1288, 1290, 1292, 1294};
constexpr int kLampBits[CDlgStatusMonitor::kLamps] = {0, 1, 2, 3, 4, 5, 6, 7, 11, 13, 14, 20, 19, 21, 22};
// Lamps an "LB" controller shows too.
constexpr bool ShownForLb(int id) { return id == 1273 || id == 1282 || id == 1284 || id == 1286 || id == 1294; }
constexpr int kLampLabelOffset = 1000;

// The title names the controller as the controller window's tree does (its
// first item, which holds the name and the node), else by its name alone.
CString MonitorTitle(UINT format, const CString& name, const CString& treeText, bool online)
{
    CString title;
    title.Format(format, static_cast<const char16_t*>(treeText.IsEmpty() ? name : treeText));
    if (!online) title += LoadText(IDS_CD_OFFLINE_SUFFIX);
    return title;
}

}  // namespace

CString FormatIoWordLine(WORD word)
{
    CString text;
    text.Format(u"%04Xh     (%5d)", static_cast<unsigned>(word), static_cast<int>(word));
    return text;
}

// --- Common ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMonitorDialog, CDialog)
    ON_WM_CLOSE()
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CMonitorDialog::Follow(bool on)
{
    if (on == m_following || !GetSafeHwnd()) return;
    m_following = on;
    if (on) {
        SetTimer(kRefreshTimer, kRefreshPeriodMs, nullptr);
        Refresh();
    } else {
        KillTimer(kRefreshTimer);
    }
}

void CMonitorDialog::OnClose()
{
    ShowWindow(SW_HIDE);
    Follow(false);
}

void CMonitorDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    m_shown = bShow != FALSE;
    Follow(bShow && m_online);
}

void CMonitorDialog::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kRefreshTimer) {
        if (!IsWindowVisible()) {
            Follow(false);
            m_shown = false;
            return;
        }
        Refresh();
        return;
    }
    CDialog::OnTimer(nIDEvent);
}

void CMonitorDialog::OnDestroy()
{
    Follow(false);
    m_shown = false;
    CDialog::OnDestroy();
}

BOOL CMonitorDialog::PreTranslateMessage(MSG* pMsg)
{
    // Enter and Escape never close a monitor.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) return FALSE;
    // The main window's shortcuts work from a monitor too.
    if (!m_accelerators) m_accelerators = LoadMainAccelerators();
    if (TranslateMainWindowAccelerators(m_accelerators, pMsg)) return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

// --- I/O monitor --------------------------------------------------------------------------------

CDlgIoMonitor::CDlgIoMonitor() : CMonitorDialog(IDD_IO_MONITOR) {}

CDlgIoMonitor::~CDlgIoMonitor()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
}

std::unique_ptr<CDlgIoMonitor> CDlgIoMonitor::CreateFor(HWND parent)
{
    auto monitor = std::make_unique<CDlgIoMonitor>();
    if (!monitor->Create(IDD_IO_MONITOR, CWnd::FromHandle(parent))) return nullptr;
    return monitor;
}

BOOL CDlgIoMonitor::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < 6; ++i) {
        m_rows[i].SubclassDlgItem(kRowIds[i], this);
        m_rows[i].SetBits(0);
    }
    m_fixedFont.CreatePointFont(90, u"Courier New");
    for (int id : {IDC_IO_WORDS_LOW, IDC_IO_WORDS_HIGH}) GetDlgItem(id)->SetFont(&m_fixedFont);
    m_cells = CDataManager::GetStatusCells();
    ShowWords();
    return TRUE;
}

void CDlgIoMonitor::ShowWords()
{
    CString low;
    CString high;
    for (int i = 0; i < 4; ++i) low += (i ? u"\n" : u"") + FormatIoWordLine(m_words[static_cast<size_t>(i)]);
    for (int i = 4; i < 8; ++i) high += (i > 4 ? u"\n" : u"") + FormatIoWordLine(m_words[static_cast<size_t>(i)]);
    SetDlgItemText(IDC_IO_WORDS_LOW, low);
    SetDlgItemText(IDC_IO_WORDS_HIGH, high);
}

void CDlgIoMonitor::Refresh()
{
    if (!m_cells) m_cells = CDataManager::GetStatusCells();
    if (!m_cells) return;
    const StatusSnapshot s = m_cells->Snapshot();
    if (m_first || s.inputs != m_inputs) {
        if (m_first || (s.inputs & 0xFF) != (m_inputs & 0xFF)) {
            m_rows[0].SetBits(s.inputs & 0xFF);
            m_rows[4].SetBits(s.inputs & 0xFF);
        }
        if (m_first || (s.inputs >> 8) != (m_inputs >> 8)) m_rows[1].SetBits(s.inputs >> 8);
        m_inputs = s.inputs;
    }
    if (m_first || s.outputs != m_outputs) {
        if (m_first || (s.outputs & 0xFF) != (m_outputs & 0xFF)) {
            m_rows[2].SetBits(s.outputs & 0xFF);
            m_rows[5].SetBits(s.outputs & 0xFF);
        }
        if (m_first || (s.outputs >> 8) != (m_outputs >> 8)) m_rows[3].SetBits(s.outputs >> 8);
        m_outputs = s.outputs;
    }
    if (m_first || s.wideIo != m_words) {
        m_words = s.wideIo;
        ShowWords();
    }
    m_first = false;
}

void CDlgIoMonitor::SetController(const CString& first, const CString& second, const CString& model, bool online)
{
    m_cells = CDataManager::GetStatusCells();
    m_online = online;
    m_first = true;
    if (online) Refresh();
    SetWindowText(MonitorTitle(IDS_CD_IO_TITLE, first, second, online));
    m_lbLayout = model == CString(u"LB");
    for (int id : kStandardOnly) {
        if (CWnd* w = GetDlgItem(id)) w->ShowWindow(m_lbLayout ? SW_HIDE : SW_SHOW);
    }
    for (int id : kLbOnly) {
        if (CWnd* w = GetDlgItem(id)) w->ShowWindow(m_lbLayout ? SW_SHOW : SW_HIDE);
    }
    for (int i = 0; i < 4; ++i) m_rows[i].ShowWindow(!m_lbLayout && online ? SW_SHOW : SW_HIDE);
    for (int i = 4; i < 6; ++i) m_rows[i].ShowWindow(m_lbLayout && online ? SW_SHOW : SW_HIDE);
    ShowBitNames();
    FitWindow();
    Follow(online && IsWindowVisible());
}

void CDlgIoMonitor::ShowBitNames()
{
    // The terminal functions are the current controller's parameters.
    CDataManager* manager = CDataManager::GetCurrent();
    const ControllerData* record = manager ? manager->GetCurrentController() : nullptr;
    const RobotParameterSet* values = record ? record->FirstParamSet() : nullptr;
    const ParamDefTable* table = GetManagerWindows().GetParamDefTable(m_lbLayout ? 1 : 0);
    for (bool output : {false, true}) {
        for (int bit = 0; bit < 16; ++bit) {
            const CString name = IoBitName(output, bit, table, values);
            const bool lbShown = bit < 8;
            for (const auto& [id, layoutShown] : {std::pair{BitLabelId(output, bit), !m_lbLayout},
                                                   std::pair{lbShown ? LbBitLabelId(output, bit) : 0, m_lbLayout}}) {
                CWnd* label = id ? GetDlgItem(id) : nullptr;
                if (!label) continue;
                CString shown;
                label->GetWindowText(shown);
                if (shown != name) label->SetWindowText(name);
                label->ShowWindow(layoutShown ? SW_SHOW : SW_HIDE);
            }
        }
    }
}

void CDlgIoMonitor::FitWindow()
{
    // The window ends a margin beyond the farthest control of the layout shown.
    CRect r(0, 0, 0, 0);
    for (HWND child = ::GetWindow(GetSafeHwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        const bool lbOnly = id == IDC_IO_LB_IN || id == IDC_IO_LB_OUT || std::find(std::begin(kLbOnly), std::end(kLbOnly), id) != std::end(kLbOnly) ||
                            (id >= IDC_IO_LB_BIT_LABEL_FIRST && id < IDC_IO_LB_BIT_LABEL_FIRST + 16);
        if (lbOnly != m_lbLayout) continue;
        CRect c;
        ::GetWindowRect(child, &c);
        r.UnionRect(&r, &c);
    }
    if (r.IsRectEmpty()) return;
    ScreenToClient(&r);
    CRect window;
    GetWindowRect(&window);
    CRect client;
    GetClientRect(&client);
    const int width = window.Width() - client.Width() + r.right + 15;
    const int height = window.Height() - client.Height() + r.bottom + 15;
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDlgIoMonitor::Show()
{
    ShowModelessWindow(*this, m_placed);
    Follow(m_online);
}

void CDlgIoMonitor::ShowMinimized(bool minimized) { ShowWindow(minimized ? SW_HIDE : SW_SHOW); }

// --- Status monitor -------------------------------------------------------------------------------

CDlgStatusMonitor::CDlgStatusMonitor() : CMonitorDialog(IDD_STATUS_MONITOR) {}

CDlgStatusMonitor::~CDlgStatusMonitor()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
}

std::unique_ptr<CDlgStatusMonitor> CDlgStatusMonitor::CreateFor(HWND parent)
{
    auto monitor = std::make_unique<CDlgStatusMonitor>();
    if (!monitor->Create(IDD_STATUS_MONITOR, CWnd::FromHandle(parent))) return nullptr;
    return monitor;
}

BOOL CDlgStatusMonitor::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < kLamps; ++i) {
        m_lamps[static_cast<size_t>(i)].SubclassDlgItem(kLampIds[i], this);
        m_lamps[static_cast<size_t>(i)].SetState(false);
    }
    m_cells = CDataManager::GetStatusCells();
    return TRUE;
}

void CDlgStatusMonitor::ShowValues(const ControllerStatus& status, bool all)
{
    const CDlgManual* manual = CDlgManual::ActivePanel();
    const ControllerStatusTexts texts =
        FormatControllerStatus(status, m_decimals, manual ? manual->RunningManualMotion() : ManualMotion::None);
    const auto set = [&](int id, bool changed, const CString& text) {
        if (all || changed) SetDlgItemText(id, text);
    };
    set(IDC_SM_D0, status.d0 != m_status.d0, texts.position);
    set(IDC_SM_D1, status.d1 != m_status.d1, texts.speed);
    set(IDC_SM_D13, status.d13 != m_status.d13, all && m_lb ? CString() : texts.point);
    set(IDC_SM_D18, status.d18 != m_status.d18, texts.state);
    set(IDC_SM_D2, status.d2 != m_status.d2, texts.d2);
    set(IDC_SM_D14, status.d14 != m_status.d14, texts.d14);
    set(IDC_SM_D9, status.d9 != m_status.d9, texts.d9);
    set(IDC_SM_D10, status.d10 != m_status.d10, texts.d10);
    set(IDC_SM_D16, status.d16 != m_status.d16, texts.d16);
    set(IDC_SM_D15, status.d15 != m_status.d15, texts.runningTime);
}

void CDlgStatusMonitor::Refresh()
{
    if (!m_cells) m_cells = CDataManager::GetStatusCells();
    if (!m_cells) return;
    const StatusSnapshot s = m_cells->Snapshot();
    if (m_first || s.options != m_options) {
        for (int i = 0; i < kLamps; ++i) {
            const DWORD bit = 1u << kLampBits[i];
            if (m_first || ((s.options ^ m_options) & bit)) m_lamps[static_cast<size_t>(i)].SetState((s.options & bit) != 0);
        }
        m_options = s.options;
    }
    if (m_first || !(s.status == m_status)) {
        ShowValues(s.status, m_first);
        m_status = s.status;
    }
    m_first = false;
}

void CDlgStatusMonitor::SetController(const CString& first, const CString& second, const CString& model, int decimals,
                                      bool online)
{
    m_cells = CDataManager::GetStatusCells();
    m_decimals = decimals;
    m_online = online;
    m_lb = model == CString(u"LB");
    SetWindowText(MonitorTitle(IDS_CD_SM_TITLE, first, second, online));
    for (int i = 0; i < kLamps; ++i) {
        const bool shown = online && (ShownForLb(kLampIds[i]) || !m_lb);
        m_lamps[static_cast<size_t>(i)].ShowWindow(shown ? SW_SHOW : SW_HIDE);
        if (CWnd* label = GetDlgItem(kLampIds[i] + kLampLabelOffset))
            label->ShowWindow(ShownForLb(kLampIds[i]) || !m_lb ? SW_SHOW : SW_HIDE);
    }
    for (int id : {IDC_SM_D13, IDC_SM_D13_LABEL}) {
        if (CWnd* w = GetDlgItem(id)) w->ShowWindow(m_lb ? SW_HIDE : SW_SHOW);
    }
    if (online) {
        m_first = true;
        Refresh();
    } else {
        for (int id : {IDC_SM_D0, IDC_SM_D1, IDC_SM_D13, IDC_SM_D18, IDC_SM_D2, IDC_SM_D14, IDC_SM_D9, IDC_SM_D10,
                       IDC_SM_D16, IDC_SM_D15})
            SetDlgItemText(id, u"");
    }
    Follow(online && IsWindowVisible());
}

void CDlgStatusMonitor::Show()
{
    ShowModelessWindow(*this, m_placed);
    Follow(m_online);
}

void CDlgStatusMonitor::ShowMinimized(bool minimized) { ShowWindow(minimized ? SW_HIDE : SW_SHOW); }
