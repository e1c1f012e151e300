#include "tools/trace/KXWatcherDlg.h"

#include "tools/CommMsgDlg.h"
#include "tools/FileVersionReader.h"
#include "tools/TraceIniFile.h"
#include "tools/TraceText.h"
#include "tools/TrcDatFile.h"
#include "tools/WindowPlacement.h"
#include "tools/trace/ExecTraceDlg.h"
#include "tools/trace/SimpleToolDlgs.h"
#include "tools/trace/TRDFileDlg.h"
#include "tools/trace/TRDViewerDlg.h"
#include "tools/trace/TraceToolWindows.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/core/CmdUI.h"
#include "platform/core/File.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Accelerator.h"
#include "platform/ui/ArrangeWindows.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/DropFiles.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/Shell.h"

#include <algorithm>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

IMPLEMENT_DYNAMIC(CKXWatcherDlg, CDialog)

const std::int32_t* const CKXWatcherDlg::m_nZoomRate = CTraceModel::m_nZoomRate;

namespace {

constexpr UINT_PTR kRedrawTimer = 1000;
constexpr UINT_PTR kErrorPaneTimer = 1001;
constexpr UINT kRedrawPeriodMs = 100;
constexpr UINT kErrorPaneMs = 3000;
// Help contexts of the window's controls: this base plus the control's id.
constexpr DWORD_PTR kHelpContextBase = 0x10000;
constexpr int kMinTrackWidth = 304;
constexpr int kMinTrackHeight = 340;
constexpr int kSelectorWidth = 70;
constexpr UINT kMenuBarId = AFX_IDW_TOOLBAR + 1;
constexpr int kToolImageSize = 16;
// The tool bar's buttons, in the order of the images of IDR_KXW_TOOLBAR.
constexpr UINT kToolButtons[] = {ID_KXW_FILE_OPEN,     ID_KXW_FILE_SAVE,    ID_KXW_EDIT_SCREENCOPY, ID_SEPARATOR,
                                 ID_KXW_TRACE_SETTING, ID_KXW_START_TRACE,  ID_SEPARATOR,           ID_KXW_MONITOR_MODE,
                                 ID_KXW_TRIGGER_MODE,  ID_KXW_ERASE_RIPPLE, ID_SEPARATOR,           ID_KXW_ZOOM_IN,
                                 ID_KXW_ZOOM_OUT,      ID_SEPARATOR,        ID_KXW_A_CURSOR_SET,    ID_KXW_B_CURSOR_SET,
                                 ID_SEPARATOR,         ID_KXW_TOOL_ABCURSOR, ID_KXW_TOOL_CALC,      ID_KXW_TOOL_OPTION,
                                 ID_SEPARATOR,         ID_KXW_HELP_TOC};
constexpr UINT kStatusPanes[] = {IDS_TRACE_PANE_CONTROLLER, IDS_TRACE_PANE_VERSION, IDS_TRACE_PANE_ROBOT,
                                 IDS_TRACE_PANE_MODE, IDS_TRACE_PANE_MESSAGE};

CKXWatcherDlg::TraceSetupRunner& SetupRunner()
{
    static CKXWatcherDlg::TraceSetupRunner runner;
    return runner;
}

CKXWatcherDlg::TraceSetupRunner& OptionsRunner()
{
    static CKXWatcherDlg::TraceSetupRunner runner;
    return runner;
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CKXWatcherDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_HSCROLL()
    ON_WM_KEYDOWN()
    ON_MESSAGE(WM_MOUSEWHEEL, &CKXWatcherDlg::OnMouseWheel)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONUP()
    ON_WM_SETCURSOR()
    ON_WM_ACTIVATE()
    ON_MESSAGE(WM_DROPFILES, &CKXWatcherDlg::OnDropFiles)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CKXWatcherDlg::OnCommNotify)
    ON_MESSAGE(WM_TRACE_INIT_SETTING, &CKXWatcherDlg::OnInitSetting)
    ON_MESSAGE(WM_TRACE_UPDATE_SCREEN, &CKXWatcherDlg::OnUpdateScreen)
    ON_MESSAGE(WM_TRACE_START_MONITOR, &CKXWatcherDlg::OnStartMonitorModTrace)
    ON_MESSAGE(WM_TRACE_STOP_MONITOR, &CKXWatcherDlg::OnStopMonitorModTrace)
    ON_MESSAGE(WM_TRACE_START_TRIGGER, &CKXWatcherDlg::OnStartTriggerModTrace)
    ON_MESSAGE(WM_TRACE_END_TRIGGER, &CKXWatcherDlg::OnEndTrigModTrace)
    ON_MESSAGE(WM_TRACE_REPEAT_TRIGGER, &CKXWatcherDlg::OnRepeatTrigModTrace)
    ON_MESSAGE(WM_TRACE_ABORT_TRIGGER, &CKXWatcherDlg::OnAbortTrigModTrace)
    ON_MESSAGE(WM_TRACE_MANUAL_TRIGGER, &CKXWatcherDlg::OnManualTrigger)
    ON_COMMAND_RANGE(ID_KXW_MENU_FIRST, ID_KXW_MENU_LAST, &CKXWatcherDlg::OnMenuButton)
    ON_COMMAND(ID_KXW_HELP_TOC, &CKXWatcherDlg::OnKxwHelpToc)
    ON_COMMAND(ID_KXW_ABOUT, &CKXWatcherDlg::OnKxwAbout)
    ON_COMMAND(ID_KXW_FILE_EXIT, &CKXWatcherDlg::OnKxwFileExit)
    ON_COMMAND(ID_KXW_MONITOR_MODE, &CKXWatcherDlg::OnMonitorMode)
    ON_COMMAND(ID_KXW_TRIGGER_MODE, &CKXWatcherDlg::OnTriggerMode)
    ON_COMMAND(ID_KXW_ERASE_RIPPLE, &CKXWatcherDlg::OnEraseRipple)
    ON_COMMAND(ID_KXW_ZOOM_IN, &CKXWatcherDlg::OnZoomIn)
    ON_COMMAND(ID_KXW_ZOOM_OUT, &CKXWatcherDlg::OnZoomOut)
    ON_COMMAND(ID_KXW_A_CURSOR_SET, &CKXWatcherDlg::OnACursorSetMode)
    ON_COMMAND(ID_KXW_B_CURSOR_SET, &CKXWatcherDlg::OnBCursorSetMode)
    ON_COMMAND(ID_KXW_A_CURSOR_SHOW, &CKXWatcherDlg::OnACursorShow)
    ON_COMMAND(ID_KXW_B_CURSOR_SHOW, &CKXWatcherDlg::OnBCursorShow)
    ON_COMMAND(ID_KXW_RIPPLE_RANGE, &CKXWatcherDlg::OnRippleRange)
    ON_COMMAND(ID_KXW_LEGEND_TYPE, &CKXWatcherDlg::OnLegendType)
    ON_COMMAND(ID_KXW_GAUGE_TYPE, &CKXWatcherDlg::OnGaugeType)
    ON_COMMAND(ID_KXW_AB_DETAILS, &CKXWatcherDlg::OnABDetails)
    ON_COMMAND(ID_KXW_GRAPH_POS_SEL, &CKXWatcherDlg::OnGraphPosSel)
    ON_COMMAND(ID_KXW_TRACE_SETTING, &CKXWatcherDlg::OnTraceSetting)
    ON_COMMAND(ID_KXW_START_TRACE, &CKXWatcherDlg::OnStartTrace)
    ON_COMMAND(ID_KXW_TOOL_OPTION, &CKXWatcherDlg::OnKxwToolOption)
    ON_COMMAND(ID_KXW_EDIT_SCREENCOPY, &CKXWatcherDlg::OnKxwEditScreencopy)
    ON_COMMAND(ID_KXW_TOOL_STERM, &CKXWatcherDlg::OnKxwToolSTerm)
    ON_COMMAND(ID_KXW_TOOL_SOPE, &CKXWatcherDlg::OnKxwToolSOpeDlg)
    ON_COMMAND(ID_KXW_FILE_OPEN, &CKXWatcherDlg::OnKxwFileOpen)
    ON_COMMAND(ID_KXW_FILE_SAVE, &CKXWatcherDlg::OnKxwFileSave)
    ON_COMMAND(ID_KXW_FILE_SAVEAS, &CKXWatcherDlg::OnKxwFileSaveAs)
    ON_COMMAND(ID_KXW_FILE_CLOSE, &CKXWatcherDlg::OnKxwFileClose)
    ON_COMMAND(ID_KXW_WINDOW_CASCADE, &CKXWatcherDlg::OnKxwWindowCascade)
    ON_COMMAND(ID_KXW_WINDOW_TILE_HORZ, &CKXWatcherDlg::OnKxwWindowTileHorz)
    ON_COMMAND(ID_KXW_WINDOW_TILE_VERT, &CKXWatcherDlg::OnKxwWindowTileVert)
    ON_COMMAND(ID_KXW_TOOL_ABCURSOR, &CKXWatcherDlg::OnKxwToolABCrsrDlg)
    ON_COMMAND(ID_KXW_TOOL_CALC, &CKXWatcherDlg::OnKxwToolCalcDlg)
    ON_CBN_SELCHANGE(IDC_KXW_AB_CHANNEL, &CKXWatcherDlg::OnSelChangeABDetailsChCmb)
    ON_CBN_SELCHANGE(IDC_KXW_GRAPH_NO, &CKXWatcherDlg::OnSelChangeGraphNoCmb)
    ON_CBN_SELCHANGE(IDC_KXW_POSITION, &CKXWatcherDlg::OnSelChangePositionCmb)
    ON_UPDATE_COMMAND_UI(ID_KXW_FILE_EXIT, &CKXWatcherDlg::OnUpdateIdleTrace)
    ON_UPDATE_COMMAND_UI(ID_KXW_FILE_SAVE, &CKXWatcherDlg::OnUpdateIdleTrace)
    ON_UPDATE_COMMAND_UI(ID_KXW_FILE_SAVEAS, &CKXWatcherDlg::OnUpdateIdleTrace)
    ON_UPDATE_COMMAND_UI(ID_KXW_TRACE_SETTING, &CKXWatcherDlg::OnUpdateIdleTrace)
    ON_UPDATE_COMMAND_UI(ID_KXW_ERASE_RIPPLE, &CKXWatcherDlg::OnUpdateIdleLive)
    ON_UPDATE_COMMAND_UI(ID_KXW_MONITOR_MODE, &CKXWatcherDlg::OnUpdateMonitorMode)
    ON_UPDATE_COMMAND_UI(ID_KXW_TRIGGER_MODE, &CKXWatcherDlg::OnUpdateTriggerMode)
    ON_UPDATE_COMMAND_UI(ID_KXW_ZOOM_IN, &CKXWatcherDlg::OnUpdateZoomIn)
    ON_UPDATE_COMMAND_UI(ID_KXW_ZOOM_OUT, &CKXWatcherDlg::OnUpdateZoomOut)
    ON_UPDATE_COMMAND_UI(ID_KXW_A_CURSOR_SET, &CKXWatcherDlg::OnUpdateACursorSetMode)
    ON_UPDATE_COMMAND_UI(ID_KXW_B_CURSOR_SET, &CKXWatcherDlg::OnUpdateBCursorSetMode)
    ON_UPDATE_COMMAND_UI(ID_KXW_A_CURSOR_SHOW, &CKXWatcherDlg::OnUpdateACursorShow)
    ON_UPDATE_COMMAND_UI(ID_KXW_B_CURSOR_SHOW, &CKXWatcherDlg::OnUpdateBCursorShow)
    ON_UPDATE_COMMAND_UI(ID_KXW_RIPPLE_RANGE, &CKXWatcherDlg::OnUpdateRippleRange)
    ON_UPDATE_COMMAND_UI(ID_KXW_LEGEND_TYPE, &CKXWatcherDlg::OnUpdateLegendType)
    ON_UPDATE_COMMAND_UI(ID_KXW_GAUGE_TYPE, &CKXWatcherDlg::OnUpdateGaugeType)
    ON_UPDATE_COMMAND_UI(ID_KXW_AB_DETAILS, &CKXWatcherDlg::OnUpdateABDetails)
    ON_UPDATE_COMMAND_UI(ID_KXW_GRAPH_POS_SEL, &CKXWatcherDlg::OnUpdateGraphPosSel)
    ON_UPDATE_COMMAND_UI(ID_KXW_START_TRACE, &CKXWatcherDlg::OnUpdateStartTrace)
    ON_UPDATE_COMMAND_UI(ID_KXW_FILE_CLOSE, &CKXWatcherDlg::OnUpdateFileClose)
    ON_UPDATE_COMMAND_UI(ID_KXW_TOOL_SOPE, &CKXWatcherDlg::OnUpdateLiveWindow)
    ON_UPDATE_COMMAND_UI(ID_KXW_TOOL_STERM, &CKXWatcherDlg::OnUpdateLiveWindow)
    ON_MESSAGE(WM_KICKIDLE, &CKXWatcherDlg::OnKickIdle)
    ON_MESSAGE(WM_HELP, &CKXWatcherDlg::OnHelpInfo)
END_MESSAGE_MAP()

CKXWatcherDlg::CKXWatcherDlg(int nAltTitle, int nRange, CWnd* pParent)
    : CDialog(IDD_KX_WATCHER, pParent),
      m_model(TRUE),
      m_nAltTitle(nAltTitle),
      m_nRange(nRange),
      m_pTools(std::make_unique<CTraceToolWindows>(*this))
{
}

CKXWatcherDlg::CKXWatcherDlg(UINT nIDTemplate, CKXWatcherDlg* pOwner, CWnd* pParent)
    : CDialog(nIDTemplate, pParent), m_model(FALSE)
{
    if (pOwner) {
        m_nAltTitle = pOwner->m_nAltTitle;
        m_nRange = pOwner->m_nRange;
        m_pToolOwner = pOwner;
    }
}

CKXWatcherDlg::~CKXWatcherDlg()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
    // The extract thread ends before the model it writes.
    m_pAcq.reset();
    if (m_pCommMan && m_hPrevWnd) m_pCommMan->AttatchWnd(m_hPrevWnd);
}

void CKXWatcherDlg::SetTraceSetupRunner(TraceSetupRunner runner) { SetupRunner() = std::move(runner); }
void CKXWatcherDlg::SetTraceOptionsRunner(TraceSetupRunner runner) { OptionsRunner() = std::move(runner); }

INT_PTR CKXWatcherDlg::DoModal()
{
    if (!m_lang.Load()) return 0;
    return CDialog::DoModal();
}

void CKXWatcherDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_KXW_SCROLL, m_scroll);
    DDX_Control(pDX, IDC_KXW_AB_CHANNEL, m_cmbABChannel);
    DDX_Control(pDX, IDC_KXW_GRAPH_NO, m_cmbGraphNo);
    DDX_Control(pDX, IDC_KXW_POSITION, m_cmbPosition);
}

BOOL CKXWatcherDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const CString language = LoadText(IDS_LANGUAGE);
    m_nLanguage = language == u"JPN" ? 0 : language == u"ENG" ? 1 : 2;
    SetWindowText(LoadText(IDS_TRACE_TITLE));

    // A dialog has no menu bar of its own: a bar of text buttons stands in
    // for it, each opening one menu; under it the tool bar with the
    // commands used most, each with its tool tip.
    if (m_menuBar.CreateEx(this, TBSTYLE_FLAT | TBSTYLE_LIST, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect(0, 0, 0, 0),
                           kMenuBarId)) {
        UINT menus[ID_KXW_MENU_LAST - ID_KXW_MENU_FIRST + 1];
        for (UINT i = 0; i < std::size(menus); ++i) menus[i] = ID_KXW_MENU_FIRST + i;
        m_menuBar.SetButtons(menus, static_cast<int>(std::size(menus)));
        for (int i = 0; i < static_cast<int>(std::size(menus)); ++i) {
            m_menuBar.SetButtonStyle(i, TBBS_BUTTON | TBSTYLE_AUTOSIZE);
            m_menuBar.SetButtonText(i, LoadText(menus[i]));
        }
    }
    if (m_toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_TOOLTIPS)) {
        m_toolBar.SetSizes(CSize(0, 0), CSize(kToolImageSize, kToolImageSize));
        m_toolBar.LoadBitmap(IDR_KXW_TOOLBAR);
        m_toolBar.SetButtons(kToolButtons, static_cast<int>(std::size(kToolButtons)));
        for (int i = 0; i < static_cast<int>(std::size(kToolButtons)); ++i)
            if (kToolButtons[i] != ID_SEPARATOR) m_toolBar.SetButtonStyle(i, TBBS_BUTTON);
    }
    if (m_statusBar.Create(this)) {
        m_statusBar.SetIndicators(kStatusPanes, static_cast<int>(std::size(kStatusPanes)));
        for (UINT id : kStatusPanes) m_statusBar.AddPane(id, false);
    }
    m_hAccel = ::LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_KXW_ACCEL));

    // The link: this window hears it while it lives.
    if (m_pCommMan) {
        m_hPrevWnd = m_pCommMan->DetatchWnd();
        m_pCommMan->AttatchWnd(GetSafeHwnd());
        m_model.m_bLive = m_pCommMan->IsOpen() ? TRUE : FALSE;
    } else {
        m_model.m_bLive = FALSE;
    }

    // Settings, with the window's current placement as the default one.
    if (m_strIniPath.IsEmpty()) m_strIniPath = GetTraceIniPath();
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    m_model.m_Layout.window.rcNormal = rcWindow;
    ReadTraceIniFile(m_model, m_strIniPath);
    const CRect rcSaved(m_model.m_Layout.window.rcNormal);
    if (rcSaved.Width() >= kMinTrackWidth && rcSaved.Height() >= kMinTrackHeight && rcSaved != rcWindow)
        MoveWindow(&rcSaved);
    if (m_model.m_Layout.window.bZoomed) ShowWindow(SW_SHOWMAXIMIZED);
    m_model.AllocBuffers();

    if (m_model.m_bLive) {
        m_pAcq = std::make_unique<CTraceAcquisition>(m_model);
        m_pAcq->SetCommMan(m_pCommMan);
        m_pAcq->SetNodeNo(m_nNodeNo);
        m_pAcq->CreateExtractThread();
        PostMessage(WM_TRACE_INIT_SETTING);
    }

    m_fonts.Create(m_nLanguage);
    for (int i = 10; i >= 0; --i) {
        CString text;
        text.Format(u"%d%%", i * 10);
        m_cmbPosition.AddString(text);
    }
    ::DragAcceptFiles(GetSafeHwnd(), TRUE);
    m_bCreated = TRUE;
    RecalcGraphSize();
    ShowABDetailsCombo();
    RefreshStatusPanes();
    m_scroll.SetFocus();
    Invalidate(FALSE);
    return FALSE;
}

BOOL CKXWatcherDlg::PreTranslateMessage(MSG* pMsg)
{
    if (m_hAccel && ::TranslateAccelerator(GetSafeHwnd(), m_hAccel, pMsg)) return TRUE;
    // The scroll keys work whichever child has the focus.
    if (pMsg->message == WM_KEYDOWN && pMsg->hwnd != GetSafeHwnd()) {
        switch (pMsg->wParam) {
        case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END: case VK_LEFT: case VK_RIGHT:
            // A dropped-down list keeps its own keys.
            if (m_cmbABChannel.GetDroppedState() || m_cmbGraphNo.GetDroppedState() || m_cmbPosition.GetDroppedState())
                break;
            SendMessage(WM_KEYDOWN, pMsg->wParam, pMsg->lParam);
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT CKXWatcherDlg::OnKickIdle(WPARAM, LPARAM)
{
    UpdateTitle();
    if (m_menuBar.GetSafeHwnd()) m_menuBar.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    if (m_toolBar.GetSafeHwnd()) m_toolBar.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    if (m_statusBar.GetSafeHwnd()) m_statusBar.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    if (m_pExecDlg && m_pExecDlg->GetSafeHwnd()) m_pExecDlg->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    if (m_pTools) m_pTools->IdleUpdate();
    return 0;
}

void CKXWatcherDlg::UpdateTitle()
{
    CString title = LoadText(m_nAltTitle && (::GetKeyState(VK_SCROLL) & 1) ? IDS_TRACE_TITLE_SCROLL_LOCK : IDS_TRACE_TITLE);
    if (m_model.IsFileShown()) title += u" - " + m_model.m_strFileName;
    CString current;
    GetWindowText(current);
    if (current != title) SetWindowText(title);
}

// ---------------------------------------------------------------- layout

void CKXWatcherDlg::RecalcGraphSize()
{
    if (!m_bCreated) return;
    CRect rcClient;
    GetClientRect(&rcClient);
    const int toolHeight = BarsHeight();
    int statusHeight = 0;
    if (m_menuBar.GetSafeHwnd()) {
        const int menuHeight = m_menuBar.CalcFixedLayout(TRUE, TRUE).cy;
        m_menuBar.MoveWindow(0, 0, rcClient.Width(), menuHeight);
        if (m_toolBar.GetSafeHwnd())
            m_toolBar.MoveWindow(0, menuHeight, rcClient.Width(), toolHeight - menuHeight);
    }
    if (m_statusBar.GetSafeHwnd()) {
        statusHeight = m_statusBar.CalcFixedLayout(TRUE, TRUE).cy;
        m_statusBar.MoveWindow(0, rcClient.bottom - statusHeight, rcClient.Width(), statusHeight);
    }
    m_layout = ComputeTraceLayout(m_model, rcClient, toolHeight, statusHeight);
    UpdateTraceScroll(m_view, m_layout, TraceTotalWidth(m_model), TRUE);
    if (m_scroll.GetSafeHwnd()) {
        m_scroll.MoveWindow(&m_layout.rcScroll);
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = static_cast<int>(std::min<std::int64_t>(m_view.nTotalWidth, INT32_MAX));
        info.nPage = static_cast<UINT>(std::max(m_layout.rcGraph.Width(), 1));
        info.nPos = static_cast<int>(m_view.nScrollPos);
        m_scroll.SetScrollInfo(&info, TRUE);
        m_scroll.EnableWindow(m_view.bScrollShown);
    }
    const int x = m_layout.rcGraph.right + 8;
    const int y = m_layout.rcGraph.top;
    if (m_cmbABChannel.GetSafeHwnd()) {
        // The lists drop down by themselves; the boxes keep one line's height.
        CRect rcCombo;
        m_cmbABChannel.GetWindowRect(&rcCombo);
        const int height = std::clamp(static_cast<int>(rcCombo.Height()), 18, 24);
        m_cmbABChannel.MoveWindow(x, y, kSelectorWidth, height);
        m_cmbGraphNo.MoveWindow(x, y + 27, kSelectorWidth, height);
        m_cmbPosition.MoveWindow(x, y + 54, kSelectorWidth, height);
    }
}

int CKXWatcherDlg::BarsHeight()
{
    int height = 0;
    if (m_menuBar.GetSafeHwnd()) height += m_menuBar.CalcFixedLayout(TRUE, TRUE).cy;
    if (m_toolBar.GetSafeHwnd()) height += m_toolBar.CalcFixedLayout(TRUE, TRUE).cy;
    return height;
}

void CKXWatcherDlg::ShowABDetailsCombo()
{
    const TraceOptions& options = m_model.m_Options;
    const BOOL showChannel = options.AB_DETAILS || options.GRAPH_POS_SEL;
    m_cmbABChannel.ResetContent();
    m_abChannels.clear();
    int keep = -1;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (!m_model.m_GraphSet.DRAW_CH[ch]) continue;
        CString text;
        text.Format(u"CH%d", ch + 1);
        // Each entry shows its channel's colour; the list holds only drawn channels.
        const int index = m_cmbABChannel.AddItem(text, static_cast<DWORD_PTR>(m_model.m_GraphSet.crChannel[ch]));
        if (index < 0) continue;
        m_abChannels.resize(static_cast<std::size_t>(index) + 1, ch);
        m_abChannels[static_cast<std::size_t>(index)] = ch;
        if (ch == m_model.m_nABChannel) keep = index;
    }
    if (keep < 0 && !m_abChannels.empty()) {
        keep = 0;
        m_model.m_nABChannel = m_abChannels.front();
    }
    m_cmbABChannel.SetCurSel(keep);
    m_cmbABChannel.EnableWindow(m_cmbABChannel.GetCount() > 0);
    m_cmbABChannel.ShowWindow(showChannel ? SW_SHOW : SW_HIDE);
    m_cmbGraphNo.ShowWindow(options.GRAPH_POS_SEL ? SW_SHOW : SW_HIDE);
    m_cmbPosition.ShowWindow(options.GRAPH_POS_SEL ? SW_SHOW : SW_HIDE);
    UpdateGraphSetCombo();
}

void CKXWatcherDlg::UpdateGraphSetCombo()
{
    m_cmbGraphNo.ResetContent();
    for (int k = 1; k <= std::clamp(m_model.m_GraphSet.SPLIT_NUM, 1, kMaxGraphs); ++k) {
        CString text;
        text.Format(u"G%d", k);
        m_cmbGraphNo.AddString(text);
    }
    const BOOL chosen = m_cmbABChannel.GetCurSel() >= 0;
    m_cmbGraphNo.EnableWindow(chosen);
    m_cmbPosition.EnableWindow(chosen);
    if (!chosen) return;
    const int ch = m_model.m_nABChannel;
    if (!m_cmbGraphNo.GetDroppedState()) m_cmbGraphNo.SetCurSel(m_model.m_GraphSet.GRAPH_NO_CH[ch]);
    if (!m_cmbPosition.GetDroppedState()) m_cmbPosition.SetCurSel(m_model.m_GraphSet.POSITION_CH[ch] - 1);
}

void CKXWatcherDlg::RefreshStatusPanes()
{
    if (!m_statusBar.GetSafeHwnd()) return;
    const robconsettag& robCon = m_model.m_RobConSet;
    m_statusBar.SetPaneText(IDS_TRACE_PANE_CONTROLLER, robCon.strController, TRUE);
    // The version pane reads "V" and the version, once.
    m_statusBar.SetPaneText(IDS_TRACE_PANE_VERSION,
                            robCon.strVersion.Left(1) == u"V" ? robCon.strVersion : u"V" + robCon.strVersion, TRUE);
    m_statusBar.SetPaneText(IDS_TRACE_PANE_ROBOT, robCon.strRobot, TRUE);
    // The mode texts are also the mode buttons' texts: the pane shows the part before their tool tip.
    CString mode = LoadText(m_model.m_TraceSet.TRACE_MODE ? IDS_TRACE_MODE_TRIGGER : IDS_TRACE_MODE_MONITOR);
    if (mode.Find(u'\n') >= 0) mode = mode.Left(mode.Find(u'\n'));
    m_statusBar.SetPaneText(IDS_TRACE_PANE_MODE, mode, TRUE);
    if (!m_bErrorReported) {
        m_statusBar.SetPaneText(IDS_TRACE_PANE_MESSAGE,
                                LoadText(m_model.m_Options.ERROR_CHECK ? IDS_TRACE_ERROR_CHECK_ON : IDS_TRACE_ERROR_CHECK_OFF),
                                TRUE);
        m_statusBar.SetPaneColors(IDS_TRACE_PANE_MESSAGE, ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_BTNFACE), TRUE);
    }
}

void CKXWatcherDlg::InvalidateGraph()
{
    CRect rc = m_layout.rcGraph;
    rc.UnionRect(&rc, &m_layout.rcMarker);
    rc.left -= 12;
    InvalidateRect(&rc, FALSE);
}

void CKXWatcherDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (!m_bCreated || nType == SIZE_MINIMIZED) return;
    RecalcGraphSize();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    lpMMI->ptMinTrackSize.x = kMinTrackWidth;
    lpMMI->ptMinTrackSize.y = kMinTrackHeight;
}

// ---------------------------------------------------------------- drawing

void CKXWatcherDlg::OnPaint()
{
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);
    if (rcClient.IsRectEmpty()) return;
    // Everything into one memory image, copied to the screen at once.
    if (!m_canvas.Resize(rcClient.Width(), rcClient.Height())) return;
    DrawTraceClient(m_canvas, m_model, m_layout, m_view, m_fonts);
    dc.BitBlt(0, 0, rcClient.Width(), rcClient.Height(), &m_canvas.DC(), 0, 0, SRCCOPY);
}

LRESULT CKXWatcherDlg::OnUpdateScreen(WPARAM, LPARAM)
{
    InvalidateGraph();
    InvalidateRect(&m_layout.rcTime, FALSE);
    // The details panel at most once a second.
    if (m_model.m_Options.AB_DETAILS && (m_model.m_bCursorShown[0] || m_model.m_bCursorShown[1])) {
        if (++m_nDetailsRefresh >= 10) {
            m_nDetailsRefresh = 0;
            InvalidateRect(&m_layout.rcDetails, FALSE);
        }
    }
    return 0;
}

// ---------------------------------------------------------------- scrolling, zoom and cursors

void CKXWatcherDlg::ScrollTo(std::int64_t nPos)
{
    const std::int64_t pos = ClampTraceScroll(nPos, m_view.nTotalWidth, m_layout.rcGraph.Width());
    if (!m_view.bScrollShown || pos == m_view.nScrollPos) return;
    m_view.nScrollPos = pos;
    m_scroll.SetScrollPos(static_cast<int>(pos), TRUE);
    InvalidateGraph();
    InvalidateRect(&m_layout.rcTime, FALSE);
}

void CKXWatcherDlg::ZoomTo(std::int32_t nZoom)
{
    nZoom = std::clamp(nZoom, 0, kZoomLevels - 1);
    if (nZoom == m_model.m_GraphSet.ZOOM) return;
    m_model.m_GraphSet.ZOOM = nZoom;
    RecalcGraphSize();
    InvalidateGraph();
    InvalidateRect(&m_layout.rcTime, FALSE);
}

void CKXWatcherDlg::OnZoomIn() { ZoomTo(m_model.m_GraphSet.ZOOM - 1); }
void CKXWatcherDlg::OnZoomOut() { ZoomTo(m_model.m_GraphSet.ZOOM + 1); }

void CKXWatcherDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (pScrollBar && pScrollBar->GetSafeHwnd() != m_scroll.GetSafeHwnd()) return;
    const std::int64_t page = m_layout.rcGraph.Width();
    const std::int64_t line = std::max<std::int64_t>(page / 10, 1);
    switch (nSBCode) {
    case SB_LINELEFT: ScrollTo(m_view.nScrollPos - line); break;
    case SB_LINERIGHT: ScrollTo(m_view.nScrollPos + line); break;
    case SB_PAGELEFT: ScrollTo(m_view.nScrollPos - (page - 1)); break;
    case SB_PAGERIGHT: ScrollTo(m_view.nScrollPos + (page - 1)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(static_cast<std::int64_t>(nPos)); break;
    case SB_LEFT: ScrollTo(0); break;
    case SB_RIGHT: ScrollTo(m_view.nTotalWidth); break;
    default: break;
    }
}

void CKXWatcherDlg::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    switch (nChar) {
    case VK_PRIOR: OnHScroll(SB_PAGELEFT, 0, nullptr); break;
    case VK_NEXT: OnHScroll(SB_PAGERIGHT, 0, nullptr); break;
    case VK_HOME: OnHScroll(SB_LEFT, 0, nullptr); break;
    case VK_END: OnHScroll(SB_RIGHT, 0, nullptr); break;
    case VK_LEFT: OnHScroll(SB_LINELEFT, 0, nullptr); break;
    case VK_RIGHT: OnHScroll(SB_LINERIGHT, 0, nullptr); break;
    default: CDialog::OnKeyDown(nChar, nRepCnt, nFlags); break;
    }
}

LRESULT CKXWatcherDlg::OnMouseWheel(WPARAM wParam, LPARAM)
{
    const short delta = static_cast<short>(HIWORD(wParam));
    const bool control = (LOWORD(wParam) & MK_CONTROL) != 0;
    if (control) {
        if (delta > 0) OnZoomIn();
        else if (delta < 0) OnZoomOut();
    } else {
        OnHScroll(delta > 0 ? SB_LINELEFT : SB_LINERIGHT, 0, nullptr);
    }
    return 0;
}

void CKXWatcherDlg::MoveCursor(int nCursor, std::int32_t nSample, BOOL bFollow)
{
    m_model.m_nCursorPos[nCursor] = std::clamp(nSample, 0, std::max(m_model.m_nAllocatedNum, 0));
    m_model.m_bCursorShown[nCursor] = TRUE;
    if (bFollow) {
        // The view follows a dragged cursor out of the graph.
        const std::int32_t rate = TraceZoomRate(m_model.m_GraphSet.ZOOM);
        const std::int64_t x = TraceSampleX(m_model.m_nCursorPos[nCursor], rate, m_view.nScrollPos);
        if (x < 0) ScrollTo(m_view.nScrollPos + x);
        else if (x >= m_layout.rcGraph.Width()) ScrollTo(m_view.nScrollPos + x - m_layout.rcGraph.Width() + 1);
    }
    InvalidateGraph();
    if (m_model.m_Options.AB_DETAILS) InvalidateRect(&m_layout.rcDetails, FALSE);
    RefreshToolWindows();
}

void CKXWatcherDlg::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (!m_layout.rcGraph.PtInRect(point)) {
        CDialog::OnLButtonDown(nFlags, point);
        return;
    }
    const std::int32_t rate = TraceZoomRate(m_model.m_GraphSet.ZOOM);
    const std::int32_t sample =
        TraceSampleAt(point.x - m_layout.rcGraph.left, rate, m_view.nScrollPos, std::max(m_model.m_nAllocatedNum, 0));
    if (m_nCursorSetMode) {
        MoveCursor(m_nCursorSetMode - 1, sample, FALSE);
        return;
    }
    if (m_view.nHoverCursor >= 0) {
        m_nDragCursor = m_view.nHoverCursor;
        ::SetCapture(GetSafeHwnd());
    }
}

void CKXWatcherDlg::OnMouseMove(UINT nFlags, CPoint point)
{
    const std::int32_t rate = TraceZoomRate(m_model.m_GraphSet.ZOOM);
    if (m_nDragCursor >= 0) {
        MoveCursor(m_nDragCursor,
                   TraceSampleAt(point.x - m_layout.rcGraph.left, rate, m_view.nScrollPos,
                                 std::max(m_model.m_nAllocatedNum, 0)),
                   TRUE);
        return;
    }
    int hover = -1;
    if (!m_nCursorSetMode && m_layout.rcGraph.PtInRect(point)) {
        for (int c = 0; c < 2 && hover < 0; ++c) {
            if (!m_model.m_bCursorShown[c]) continue;
            const std::int64_t x = m_layout.rcGraph.left + TraceSampleX(m_model.m_nCursorPos[c], rate, m_view.nScrollPos);
            if (x - 2 <= point.x && point.x <= x + 2) hover = c;
        }
    }
    m_view.nHoverCursor = hover;
    CDialog::OnMouseMove(nFlags, point);
}

void CKXWatcherDlg::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_nDragCursor >= 0) {
        m_nDragCursor = -1;
        ::ReleaseCapture();
        InvalidateRect(&m_layout.rcTime, FALSE);
    }
    CDialog::OnLButtonUp(nFlags, point);
}

void CKXWatcherDlg::OnRButtonUp(UINT nFlags, CPoint point)
{
    // The whole menu at the pointer.
    CMenu menu;
    if (!menu.LoadMenu(IDR_KXW_MENU)) return;
    CMenu popup;
    popup.CreatePopupMenu();
    for (int i = 0; i < static_cast<int>(menu.GetMenuItemCount()); ++i) {
        CString text;
        menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        popup.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(static_cast<HMENU>(*menu.GetSubMenu(i)).Value()), text);
    }
    ClientToScreen(&point);
    popup.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
    popup.Detach();
    (void)nFlags;
}

BOOL CKXWatcherDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    if (nHitTest == HTCLIENT && m_layout.rcGraph.PtInRect(point)) {
        // The language library's pointers; the system's when one is missing.
        UINT id = 0;
        LPCWSTR fallback = IDC_ARROW;
        if (m_nCursorSetMode) {
            id = m_nCursorSetMode == 1 ? IDCUR_KXW_SET_A : IDCUR_KXW_SET_B;
            fallback = IDC_CROSS;
        } else if (m_nDragCursor >= 0) {
            id = m_nDragCursor == 0 ? IDCUR_KXW_DRAG_A : IDCUR_KXW_DRAG_B;
            fallback = IDC_SIZEWE;
        } else if (m_view.nHoverCursor >= 0) {
            id = IDCUR_KXW_OVER;
            fallback = IDC_SIZEWE;
        }
        HCURSOR cursor = id ? ::LoadCursorW(HINSTANCE(), MAKEINTRESOURCEW(id)) : HCURSOR();
        if (!cursor) cursor = ::LoadCursorW(HINSTANCE(), fallback);
        ::SetCursor(cursor);
        return TRUE;
    }
    return CDialog::OnSetCursor(pWnd, nHitTest, message);
}

void CKXWatcherDlg::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CDialog::OnActivate(nState, pWndOther, bMinimized);
    if (nState == WA_INACTIVE && m_nDragCursor >= 0) {
        m_nDragCursor = -1;
        ::ReleaseCapture();
    }
    // The tool windows read the trace window the user works in.
    if (nState != WA_INACTIVE && ToolWindows()) ToolWindows()->SourceActivated(*this);
}

void CKXWatcherDlg::OnACursorSetMode() { m_nCursorSetMode = m_nCursorSetMode == 1 ? 0 : 1; }
void CKXWatcherDlg::OnBCursorSetMode() { m_nCursorSetMode = m_nCursorSetMode == 2 ? 0 : 2; }

void CKXWatcherDlg::OnACursorShow()
{
    m_model.m_bCursorShown[0] = !m_model.m_bCursorShown[0];
    InvalidateGraph();
    InvalidateRect(&m_layout.rcDetails, FALSE);
    RefreshToolWindows();
}

void CKXWatcherDlg::OnBCursorShow()
{
    m_model.m_bCursorShown[1] = !m_model.m_bCursorShown[1];
    InvalidateGraph();
    InvalidateRect(&m_layout.rcDetails, FALSE);
    RefreshToolWindows();
}

// ---------------------------------------------------------------- options and selectors

void CKXWatcherDlg::OnRippleRange()
{
    m_model.m_Options.RIPPLE_RANGE = !m_model.m_Options.RIPPLE_RANGE;
    RecalcGraphSize();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnLegendType()
{
    m_model.m_Options.RANGE_TYPE = 0;
    RecalcGraphSize();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnGaugeType()
{
    m_model.m_Options.RANGE_TYPE = 1;
    RecalcGraphSize();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnABDetails()
{
    m_model.m_Options.AB_DETAILS = !m_model.m_Options.AB_DETAILS;
    RecalcGraphSize();
    ShowABDetailsCombo();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnGraphPosSel()
{
    m_model.m_Options.GRAPH_POS_SEL = !m_model.m_Options.GRAPH_POS_SEL;
    RecalcGraphSize();
    ShowABDetailsCombo();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnSelChangeABDetailsChCmb()
{
    const int index = m_cmbABChannel.GetCurSel();
    if (index < 0 || index >= static_cast<int>(m_abChannels.size())) return;
    m_model.m_nABChannel = m_abChannels[static_cast<std::size_t>(index)];
    UpdateGraphSetCombo();
    if (m_model.m_Options.AB_DETAILS) InvalidateRect(&m_layout.rcDetails, FALSE);
}

void CKXWatcherDlg::OnSelChangeGraphNoCmb()
{
    const int index = m_cmbGraphNo.GetCurSel();
    if (index < 0 || m_cmbABChannel.GetCurSel() < 0) return;
    m_model.m_GraphSet.GRAPH_NO_CH[m_model.m_nABChannel] = index;
    if (m_model.m_Options.RIPPLE_RANGE && m_model.m_Options.RANGE_TYPE == 1) RecalcGraphSize();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnSelChangePositionCmb()
{
    const int index = m_cmbPosition.GetCurSel();
    if (index < 0 || m_cmbABChannel.GetCurSel() < 0) return;
    m_model.m_GraphSet.POSITION_CH[m_model.m_nABChannel] = index + 1;
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnMenuButton(UINT nID)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_KXW_MENU)) return;
    CMenu* popup = menu.GetSubMenu(static_cast<int>(nID - ID_KXW_MENU_FIRST));
    if (!popup) return;
    if (nID == ID_KXW_MENU_TOOLS && m_nRange) {
        popup->InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_KXW_TOOL_STERM, LoadText(IDS_KXW_STERM_TEXT));
        popup->InsertMenu(1, MF_BYPOSITION | MF_SEPARATOR, 0, static_cast<LPCTSTR>(nullptr));
    }
    CRect rc;
    m_menuBar.GetItemRect(static_cast<int>(nID - ID_KXW_MENU_FIRST), &rc);
    m_menuBar.ClientToScreen(&rc);
    popup->TrackPopupMenu(TPM_LEFTALIGN, rc.left, rc.bottom, this);
}

// ---------------------------------------------------------------- update handlers

void CKXWatcherDlg::OnUpdateIdleTrace(CCmdUI* pCmdUI) { pCmdUI->Enable(!IsTracing()); }
void CKXWatcherDlg::OnUpdateIdleLive(CCmdUI* pCmdUI) { pCmdUI->Enable(!IsTracing() && !m_model.IsFileShown()); }

void CKXWatcherDlg::OnUpdateMonitorMode(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsTracing() && !m_model.IsFileShown());
    pCmdUI->SetCheck(m_model.m_TraceSet.TRACE_MODE == 0);
}

void CKXWatcherDlg::OnUpdateTriggerMode(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsTracing() && !m_model.IsFileShown());
    pCmdUI->SetCheck(m_model.m_TraceSet.TRACE_MODE == 1);
}

void CKXWatcherDlg::OnUpdateZoomIn(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.m_GraphSet.ZOOM > 0); }
void CKXWatcherDlg::OnUpdateZoomOut(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.m_GraphSet.ZOOM < kZoomLevels - 1); }
void CKXWatcherDlg::OnUpdateACursorSetMode(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_nCursorSetMode == 1); }
void CKXWatcherDlg::OnUpdateBCursorSetMode(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_nCursorSetMode == 2); }
void CKXWatcherDlg::OnUpdateACursorShow(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_model.m_bCursorShown[0]); }
void CKXWatcherDlg::OnUpdateBCursorShow(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_model.m_bCursorShown[1]); }
void CKXWatcherDlg::OnUpdateRippleRange(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_model.m_Options.RIPPLE_RANGE != 0); }
void CKXWatcherDlg::OnUpdateLegendType(CCmdUI* pCmdUI) { pCmdUI->SetRadio(m_model.m_Options.RANGE_TYPE == 0); }
void CKXWatcherDlg::OnUpdateGaugeType(CCmdUI* pCmdUI) { pCmdUI->SetRadio(m_model.m_Options.RANGE_TYPE == 1); }
void CKXWatcherDlg::OnUpdateABDetails(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_model.m_Options.AB_DETAILS != 0); }
void CKXWatcherDlg::OnUpdateGraphPosSel(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_model.m_Options.GRAPH_POS_SEL != 0); }

void CKXWatcherDlg::OnUpdateStartTrace(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsTracing() && m_model.m_bLive && !m_model.IsFileShown() && m_pCommMan && m_pCommMan->IsOpen());
}

void CKXWatcherDlg::OnUpdateFileClose(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.IsFileShown()); }
void CKXWatcherDlg::OnUpdateLiveWindow(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.m_bLive); }

// ---------------------------------------------------------------- trace commands

void CKXWatcherDlg::OnMonitorMode()
{
    if (m_model.m_TraceSet.TRACE_MODE == 0 || IsTracing()) return;
    if (m_model.m_bDataPresent && AfxMessageBox(IDS_TRACE_MODE_CHANGE_ASK, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    m_model.ResetData();
    m_view.nScrollPos = 0;
    m_model.m_TraceSet.TRACE_MODE = 0;
    RefreshStatusPanes();
    RecalcGraphSize();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnTriggerMode()
{
    if (m_model.m_TraceSet.TRACE_MODE == 1 || IsTracing()) return;
    if (m_model.m_bDataPresent && AfxMessageBox(IDS_TRACE_MODE_CHANGE_ASK, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    m_model.ResetData();
    m_view.nScrollPos = 0;
    m_model.m_TraceSet.TRACE_MODE = 1;
    RefreshStatusPanes();
    RecalcGraphSize();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnEraseRipple()
{
    if (IsTracing() || m_model.IsFileShown()) return;
    if (AfxMessageBox(IDS_TRACE_ERASE_ASK, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    m_model.ResetData();
    m_view.nScrollPos = 0;
    RecalcGraphSize();
    Invalidate(FALSE);
}

void CKXWatcherDlg::ApplySetup()
{
    tracesettag& trace = m_model.m_TraceSet;
    m_model.UpdatePreTriggerCount();
    const bool countChanged = (trace.byChangeFlags & kTraceNumChanged) != 0;
    if (countChanged || m_model.m_nAllocatedNum != trace.TRACE_NUM) m_model.ReallocBuffers();
    if (m_model.m_bLive) {
        if (!countChanged && (trace.byTargetChange || trace.byChangeFlags || m_model.m_TrigSet.dwChangeMask))
            m_model.ResetData();
        if ((trace.byTargetChange & 0x0F) || trace.byChangeFlags) {
            ShowCommMessage(this, IDS_WAIT_WRITE_TRACE_SET);
            const int written = m_pAcq ? m_pAcq->SetTraceSet(trace) : 0;
            HideCommMessage();
            if (!written) AfxMessageBox(IDS_TRACE_SET_WRITE_FAILED, MB_OK | MB_ICONERROR);
        }
    }
    trace.byTargetChange = 0;
    trace.byChangeFlags = 0;
    m_model.m_TrigSet.dwChangeMask = 0;
    m_model.m_bSettingsApplied = TRUE;
    RecalcGraphSize();
    ShowABDetailsCombo();
    RefreshStatusPanes();
    Invalidate(FALSE);
    RefreshToolWindows();
}

void CKXWatcherDlg::OnTraceSetting()
{
    if (IsTracing()) return;
    if (SetupRunner()) {
        m_bModalRunning = TRUE;
        const INT_PTR result = SetupRunner()(*this, m_model);
        m_bModalRunning = FALSE;
        if (result == IDOK) ApplySetup();
    } else if (m_model.m_bLive && m_pAcq) {
        // Without the set-up dialog the trace takes the controller's own
        // targets and interval.
        ShowCommMessage(this, IDS_WAIT_READ_TRACE_SET);
        const int read = m_pAcq->GetTraceSet(m_model.m_TraceSet);
        HideCommMessage();
        if (!read) AfxMessageBox(IDS_KXW_NO_SETUP, MB_OK | MB_ICONWARNING);
        ApplySetup();
    }
    m_scroll.SetFocus();
}

void CKXWatcherDlg::OnStartTrace()
{
    if (IsTracing() || !m_model.m_bLive || m_model.IsFileShown() || !m_pCommMan || !m_pCommMan->IsOpen()) return;
    if (!m_model.m_bSettingsApplied) {
        const int answer = AfxMessageBox(IDS_TRACE_NOT_SET_UP_ASK, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return;
        if (answer == IDYES) OnTraceSetting();
    }
    if (m_pExecDlg) return;
    if (m_model.m_nAllocatedNum != m_model.m_TraceSet.TRACE_NUM && !m_model.ReallocBuffers()) return;
    m_pExecDlg = new CExecTraceDlg;
    m_pExecDlg->m_nTraceMode = m_model.m_TraceSet.TRACE_MODE;
    m_pExecDlg->m_byRepeat = m_model.m_TrigSet.MODE;
    m_pExecDlg->m_pTrigState = &m_model.m_TrigState;
    if (!m_pExecDlg->Show(this)) {
        delete m_pExecDlg;
        m_pExecDlg = nullptr;
    }
}

void CKXWatcherDlg::SetCloseEnabled(BOOL bEnable)
{
    if (CMenu* menu = GetSystemMenu(FALSE)) menu->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | (bEnable ? MF_ENABLED : MF_GRAYED));
    ::DragAcceptFiles(GetSafeHwnd(), bEnable);
}

void CKXWatcherDlg::ShowLinkErrorMessage()
{
    CString message;
    message.Format(u"%s\n\n%s", LoadText(IDS_TRACE_LINE_ERROR).GetString(), LoadText(IDS_TRACE_STOPPED_BY_ERROR).GetString());
    AfxMessageBox(message, MB_OK | MB_ICONERROR);
}

LRESULT CKXWatcherDlg::OnStartMonitorModTrace(WPARAM, LPARAM)
{
    if (!m_pAcq || IsTracing()) return 0;
    SetCloseEnabled(FALSE);
    m_pAcq->StartMonitorTrace();
    m_view.nScrollPos = 0;
    RecalcGraphSize();
    SetTimer(kRedrawTimer, kRedrawPeriodMs);
    Invalidate(FALSE);
    if (m_pExecDlg) m_pExecDlg->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    return 0;
}

LRESULT CKXWatcherDlg::OnStopMonitorModTrace(WPARAM, LPARAM)
{
    if (!m_pAcq) return 0;
    KillTimer(kRedrawTimer);
    const BOOL linkError = m_pAcq->StopMonitorTrace();
    SetCloseEnabled(TRUE);
    InvalidateGraph();
    InvalidateRect(&m_layout.rcDetails, FALSE);
    if (linkError) ShowLinkErrorMessage();
    return 0;
}

LRESULT CKXWatcherDlg::OnStartTriggerModTrace(WPARAM, LPARAM)
{
    if (!m_pAcq || IsTracing()) return 0;
    SetCloseEnabled(FALSE);
    if (m_pExecDlg) m_pAcq->SetExecWindow(m_pExecDlg->GetSafeHwnd());
    m_pAcq->StartTriggerTrace();
    if (m_pExecDlg) m_pExecDlg->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    return 0;
}

LRESULT CKXWatcherDlg::OnEndTrigModTrace(WPARAM, LPARAM)
{
    if (!m_pAcq) return 0;
    m_pAcq->EndTriggerTrace();
    SetCloseEnabled(TRUE);
    RecalcGraphSize();
    Invalidate(FALSE);
    // An open A-B window reads its cursors in the trace just finished.
    RefreshToolWindows();
    return 0;
}

LRESULT CKXWatcherDlg::OnRepeatTrigModTrace(WPARAM, LPARAM)
{
    if (!m_pAcq) return 0;
    m_pAcq->RepeatTriggerTrace();
    Invalidate(FALSE);
    RefreshToolWindows();
    return 0;
}

LRESULT CKXWatcherDlg::OnAbortTrigModTrace(WPARAM, LPARAM)
{
    if (!m_pAcq) return 0;
    const BOOL linkError = m_pAcq->AbortTriggerTrace();
    SetCloseEnabled(TRUE);
    Invalidate(FALSE);
    if (linkError) ShowLinkErrorMessage();
    return 0;
}

LRESULT CKXWatcherDlg::OnManualTrigger(WPARAM, LPARAM)
{
    if (m_pAcq) m_pAcq->ManualTrigger();
    return 0;
}

void CKXWatcherDlg::EndExecTrcDlg()
{
    // The execution window stopped its trace before it went (CExecTraceDlg::DestroyWindow).
    m_pExecDlg = nullptr;
    if (m_pAcq) m_pAcq->SetExecWindow(HWND());
}

// ---------------------------------------------------------------- link

LRESULT CKXWatcherDlg::OnCommNotify(WPARAM, LPARAM lParam)
{
    if (!m_pAcq) return 0;
    const WORD kind = LOWORD(static_cast<std::uintptr_t>(lParam));
    if (kind == LINK_EVENT_READ) {
        const CString text = m_pAcq->OnDataReceived();
        if (!text.IsEmpty() && m_pTermDlg) m_pTermDlg->AppendText(text);
        return 0;
    }
    CTraceAcquisition::LineError what = CTraceAcquisition::LineError::Reported;
    if (kind == LINK_EVENT_ERROR) {
        what = m_pAcq->OnLineError();
    } else if (kind == LINK_EVENT_CLOSE && m_model.m_TrigState.bActive) {
        // A link that is gone ends the trace; what was received stays shown.
        m_model.m_TrigState.bLinkError = 1;
        what = CTraceAcquisition::LineError::StopTrace;
    }
    switch (what) {
    case CTraceAcquisition::LineError::ShowWarning:
        if (!m_bErrorReported && m_statusBar.GetSafeHwnd()) {
            m_bErrorReported = TRUE;
            m_statusBar.SetPaneText(IDS_TRACE_PANE_MESSAGE, LoadText(IDS_TRACE_LINE_ERROR), TRUE);
            m_statusBar.SetPaneColors(IDS_TRACE_PANE_MESSAGE, RGB(255, 255, 255), RGB(255, 0, 0), TRUE);
            SetTimer(kErrorPaneTimer, kErrorPaneMs);
        }
        break;
    case CTraceAcquisition::LineError::StopTrace:
        if (m_pExecDlg && m_pExecDlg->GetSafeHwnd())
            m_pExecDlg->PostMessage(WM_COMMAND, m_model.m_TraceSet.TRACE_MODE ? IDC_EXEC_ABORT : IDC_EXEC_STOP);
        else if (m_model.m_TraceSet.TRACE_MODE) PostMessage(WM_TRACE_ABORT_TRIGGER);
        else PostMessage(WM_TRACE_STOP_MONITOR);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CKXWatcherDlg::OnInitSetting(WPARAM, LPARAM)
{
    if (!m_pAcq) return 0;
    ShowCommMessage(this, IDS_WAIT_READ_CONTROLLER);
    const BOOL read = m_pAcq->InitSetting();
    HideCommMessage();
    RefreshStatusPanes();
    Invalidate(FALSE);
    if (read) PostMessage(WM_COMMAND, ID_KXW_TRACE_SETTING);
    else AfxMessageBox(IDS_TRACE_CONTROLLER_READ_FAILED, MB_OK | MB_ICONERROR);
    return 0;
}

void CKXWatcherDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kRedrawTimer) {
        OnUpdateScreen(0, 0);
        return;
    }
    if (nIDEvent == kErrorPaneTimer) {
        KillTimer(kErrorPaneTimer);
        m_bErrorReported = FALSE;
        RefreshStatusPanes();
        return;
    }
    CDialog::OnTimer(nIDEvent);
}

// ---------------------------------------------------------------- files

BOOL CKXWatcherDlg::DoFileSave()
{
    const CString& path = m_model.m_strFilePath;
    // A file that is gone or read-only is saved under a name asked for.
    if (!path.IsEmpty() && platform::FileExists(path) && ::access(path.ToUtf8().c_str(), W_OK) == 0) return DoSave(path);
    return DoSave(CString());
}

BOOL CKXWatcherDlg::DoSave(const CString& strPath)
{
    CString path = strPath;
    if (path.IsEmpty()) {
        // The last file's name in its folder, or a name of its own: a
        // pattern such as "*.trd" would be taken for a name here.
        CString initial = m_model.m_strFilePath;
        if (initial.IsEmpty()) {
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            initial = SuggestTraceFileName(m_model.m_GraphSet.TITLE, local);
        }
        CTRDFileDlg dialog(FALSE, u"trd", initial, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                           LoadText(IDS_TRACE_FILE_FILTER), this);
        m_bModalRunning = TRUE;
        const INT_PTR result = dialog.DoModal();
        m_bModalRunning = FALSE;
        if (result != IDOK) return FALSE;
        path = dialog.GetPathName();
    }
    BeginWaitCursor();
    int phase = 0;
    const BOOL saved = SaveTrcDat(path, m_model, phase);
    EndWaitCursor();
    if (!saved) {
        m_nLastPhase = phase;
        // A file that could not be created was already reported.
        if (phase > 0 || platform::FileExists(path)) ShowTrcDatError(IDS_TRD_CANNOT_SAVE, phase);
        return FALSE;
    }
    m_model.m_strFilePath = path;
    m_model.m_strFileName = FileNameOfPath(path);
    m_model.m_strFileTitle = FileTitleOfPath(path);
    return TRUE;
}

void CKXWatcherDlg::OnKxwFileSave()
{
    if (!IsTracing()) DoFileSave();
}

void CKXWatcherDlg::OnKxwFileSaveAs()
{
    if (!IsTracing()) DoSave(CString());
}

BOOL CKXWatcherDlg::LoadFileIntoWindow(const CString& strPath)
{
    TraceFileContents file;
    int phase = 0;
    BeginWaitCursor();
    const BOOL loaded = LoadTrcDat(strPath, file, phase);
    EndWaitCursor();
    if (!loaded) {
        m_nLastPhase = phase;
        // The shown trace stays as it was: the file was read apart from it.
        if (phase > 0 || platform::FileExists(strPath)) ShowTrcDatError(IDS_TRD_CANNOT_LOAD, phase);
        return FALSE;
    }
    // The live window keeps its own trace to come back to; a viewer has none.
    if (m_pTools) m_model.ShowFile(file);
    else m_model.TakeFile(file);
    m_model.m_strFilePath = strPath;
    m_model.m_strFileName = FileNameOfPath(strPath);
    m_model.m_strFileTitle = FileTitleOfPath(strPath);
    m_view.nScrollPos = 0;
    m_model.m_nCursorPos[0] = std::min(m_model.m_nCursorPos[0], m_model.m_nAllocatedNum);
    m_model.m_nCursorPos[1] = std::min(m_model.m_nCursorPos[1], m_model.m_nAllocatedNum);
    RecalcGraphSize();
    ShowABDetailsCombo();
    RefreshStatusPanes();
    UpdateTitle();
    Invalidate(FALSE);
    RefreshToolWindows();
    return TRUE;
}

void CKXWatcherDlg::OnKxwFileOpen()
{
    // While a trace runs the live trace keeps the window: a file opens in a viewer.
    const BOOL tracing = IsTracing();
    CTRDFileDlg dialog(TRUE, u"trd", m_model.m_strFilePath, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       LoadText(IDS_TRACE_FILE_FILTER), this, tracing);
    dialog.m_bOpenInViewer = m_model.m_Layout.OPEN_W_VIEWER ? TRUE : FALSE;
    m_bModalRunning = TRUE;
    const INT_PTR result = dialog.DoModal();
    m_bModalRunning = FALSE;
    if (result != IDOK) return;
    if (!tracing) m_model.m_Layout.OPEN_W_VIEWER = dialog.m_bOpenInViewer ? 1 : 0;
    if ((dialog.m_bOpenInViewer || IsTracing()) && m_pTools) m_pTools->OpenViewer(dialog.GetPathName());
    else if (!IsTracing()) LoadFileIntoWindow(dialog.GetPathName());
}

LRESULT CKXWatcherDlg::OnDropFiles(WPARAM wParam, LPARAM)
{
    const HDROP drop = HDROP::FromValue(static_cast<std::uint64_t>(wParam));
    if (!IsTracing() && ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        std::vector<char16_t> buffer(4096);
        ::DragQueryFileW(drop, 0, buffer.data(), static_cast<UINT>(buffer.size()));
        m_scroll.SetFocus();
        if (LoadFileIntoWindow(CString(buffer.data()))) m_model.m_Options.GRAPH_DISP_MODE = 0;
    }
    ::DragFinish(drop);
    return 0;
}

void CKXWatcherDlg::OnKxwFileClose()
{
    if (!m_model.CloseFile()) return;
    m_view.nScrollPos = 0;
    m_model.m_strFilePath.Empty();
    m_model.m_strFileName.Empty();
    m_model.m_strFileTitle.Empty();
    const std::int32_t n = std::max(m_model.m_nAllocatedNum, 0);
    m_model.m_nCursorPos[0] = std::min(m_model.m_nCursorPos[0], n);
    m_model.m_nCursorPos[1] = std::min(m_model.m_nCursorPos[1], n);
    RecalcGraphSize();
    ShowABDetailsCombo();
    RefreshStatusPanes();
    UpdateTitle();
    Invalidate(FALSE);
    RefreshToolWindows();
}

// ---------------------------------------------------------------- screen copy

namespace {

// The window's pixels in the area (client coordinates; the whole window when
// bWhole), as a 32-bit image drawn the way the screen shows it.
bool GrabArea(CKXWatcherDlg& window, const CRect& rcArea, std::vector<std::uint8_t>& pixels, int& width, int& height)
{
    width = rcArea.Width();
    height = rcArea.Height();
    if (width <= 0 || height <= 0) return false;
    CClientDC screen(&window);
    CDC memory;
    memory.CreateCompatibleDC(&screen);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(&screen, width, height)) return false;
    CBitmap* old = memory.SelectObject(&bitmap);
    memory.BitBlt(0, 0, width, height, &screen, rcArea.left, rcArea.top, SRCCOPY);
    memory.SelectObject(old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a bitmap file keeps it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    return ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) == height;
}

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

BOOL CKXWatcherDlg::CopyToClipBoard(const CRect& rcArea)
{
    CClientDC screen(this);
    CDC memory;
    memory.CreateCompatibleDC(&screen);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(&screen, rcArea.Width(), rcArea.Height())) return FALSE;
    CBitmap* old = memory.SelectObject(&bitmap);
    memory.BitBlt(0, 0, rcArea.Width(), rcArea.Height(), &screen, rcArea.left, rcArea.top, SRCCOPY);
    memory.SelectObject(old);
    if (!::OpenClipboard(GetSafeHwnd())) return FALSE;
    // The user's clipboard is replaced only when the new picture is ready.
    ::EmptyClipboard();
    const BOOL placed = ::SetClipboardData(CF_BITMAP, HBITMAP(bitmap)) ? TRUE : FALSE;
    if (placed) bitmap.Detach();
    ::CloseClipboard();
    return placed;
}

BOOL CKXWatcherDlg::CopyToBmpFile(const CRect& rcArea)
{
    CFileDialog dialog(FALSE, u"bmp", u"bitmap", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LoadText(IDS_BITMAP_FILE_FILTER),
                       this);
    m_bModalRunning = TRUE;
    const INT_PTR result = dialog.DoModal();
    m_bModalRunning = FALSE;
    if (result != IDOK) return FALSE;
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    if (!GrabArea(*this, rcArea, pixels, width, height)) return FALSE;
    // A Windows bitmap file: file header "BM", info header, 32-bit rows bottom-up.
    std::vector<std::uint8_t> out;
    const std::uint32_t headers = 14 + 40;
    PutLE(out, 'B' | ('M' << 8), 2);
    PutLE(out, headers + static_cast<std::uint32_t>(pixels.size()), 4);
    PutLE(out, 0, 4);
    PutLE(out, headers, 4);
    PutLE(out, 40, 4);
    PutLE(out, static_cast<std::uint32_t>(width), 4);
    PutLE(out, static_cast<std::uint32_t>(height), 4);
    PutLE(out, 1, 2);
    PutLE(out, 32, 2);
    PutLE(out, 0, 4);
    PutLE(out, static_cast<std::uint32_t>(pixels.size()), 4);
    PutLE(out, 3780, 4);
    PutLE(out, 3780, 4);
    PutLE(out, 0, 4);
    PutLE(out, 0, 4);
    out.insert(out.end(), pixels.begin(), pixels.end());
    CFile file;
    if (!file.Open(dialog.GetPathName(), CFile::modeCreate | CFile::modeWrite | CFile::modeAtomic)) {
        AfxMessageBox(IDS_KXW_COPY_FAILED, MB_OK | MB_ICONERROR);
        return FALSE;
    }
    file.Write(out.data(), static_cast<UINT>(out.size()));
    if (!file.Close()) {
        AfxMessageBox(IDS_KXW_COPY_FAILED, MB_OK | MB_ICONERROR);
        return FALSE;
    }
    return TRUE;
}

void CKXWatcherDlg::OnKxwEditScreencopy()
{
    // Where a copy goes is the live window's setting, for its viewers too.
    const TraceOptions& options = m_pToolOwner ? m_pToolOwner->Model().m_Options : m_model.m_Options;
    CRect area;
    GetClientRect(&area);
    if (options.COPY_AREA == 1) {
        // Between the tool bar and the status bar.
        area.top += BarsHeight();
        if (m_statusBar.GetSafeHwnd()) area.bottom -= m_statusBar.CalcFixedLayout(TRUE, TRUE).cy;
    }
    UpdateWindow();
    if (options.COPY_TO == 1) CopyToBmpFile(area);
    else if (!CopyToClipBoard(area)) AfxMessageBox(IDS_KXW_COPY_FAILED, MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------- tools, help, closing

BOOL CKXWatcherDlg::RunOptionsSheet(CTraceModel& model)
{
    // The options sheet comes with the set-up dialogs; the view options are
    // also in the View menu.
    if (!OptionsRunner()) return FALSE;
    m_bModalRunning = TRUE;
    const INT_PTR result = OptionsRunner()(*this, model);
    m_bModalRunning = FALSE;
    return result == IDOK;
}

void CKXWatcherDlg::OnKxwToolOption()
{
    if (!RunOptionsSheet(m_model)) return;
    RecalcGraphSize();
    ShowABDetailsCombo();
    RefreshStatusPanes();
    Invalidate(FALSE);
}

void CKXWatcherDlg::OnKxwToolSTerm()
{
    if (!m_model.m_bLive || !m_nRange) return;
    if (m_pTermDlg) {
        m_pTermDlg->BringWindowToTop();
        return;
    }
    m_pTermDlg = new CSimpleTermDlg;
    if (!m_pTermDlg->Create(this)) {
        delete m_pTermDlg;
        m_pTermDlg = nullptr;
    }
}

void CKXWatcherDlg::OnKxwToolSOpeDlg()
{
    if (!m_model.m_bLive || !m_pAcq) return;
    if (m_pOpeDlg) {
        m_pOpeDlg->BringWindowToTop();
        return;
    }
    m_pOpeDlg = new CSmplOpeDlg(this);
    m_pOpeDlg->m_nSpeed = std::clamp(m_model.m_RobConSet.nK9, 1, 100);
    m_pOpeDlg->m_nProgram = std::clamp(m_model.m_Layout.S_OPE_POINT, 1, 255);
    if (!m_pOpeDlg->Create(this)) {
        delete m_pOpeDlg;
        m_pOpeDlg = nullptr;
    }
}

void CKXWatcherDlg::EndTermDlg() { m_pTermDlg = nullptr; }

void CKXWatcherDlg::EndOpeDlg()
{
    if (m_pOpeDlg) {
        m_model.m_Layout.S_OPE_POINT = m_pOpeDlg->m_nProgram;
        if (m_pOpeDlg->m_bSpeedWritten) m_model.m_RobConSet.nK9 = m_pOpeDlg->m_nSpeed;
    }
    m_pOpeDlg = nullptr;
}

void CKXWatcherDlg::WinHelpW(DWORD_PTR dwData, UINT nCmd)
{
    if (m_strHelpPath.IsEmpty() || !platform::FileExists(m_strHelpPath)) {
        CString message;
        message.Format(LoadText(IDS_KXW_HELP_NOT_FOUND), m_strHelpPath.GetString());
        AfxMessageBox(message, MB_OK | MB_ICONWARNING);
        return;
    }
    ::HtmlHelpW(GetSafeHwnd(), m_strHelpPath, nCmd == 3 ? HH_DISPLAY_TOC : HH_HELP_CONTEXT, dwData);
}

void CKXWatcherDlg::OnKxwHelpToc() { WinHelpW(0, 3); }

LRESULT CKXWatcherDlg::OnHelpInfo(WPARAM, LPARAM lParam)
{
    // F1 on a control opens that control's page; elsewhere the contents.
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    const int id = info && info->iContextType == HELPINFO_WINDOW ? info->iCtrlId : 0;
    if (id >= 1 && id != IDHELP) WinHelpW(kHelpContextBase + static_cast<DWORD_PTR>(id), 1);
    else OnKxwHelpToc();
    return TRUE;
}

namespace {

// The about box: the product, its version and copyright from the tools
// library's own version record.
class CKXWAboutDlg : public CDialog {
public:
    explicit CKXWAboutDlg(CWnd* pParent) : CDialog(IDD_KXW_ABOUT, pParent) {}

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        char16_t path[4096] = {};
        ::GetModuleFileNameW(GetLibraryModule(), path, 4096);
        CFileVersionReader reader;
        reader.Read(CString(path));
        const CString version = reader.GetProductVersion();
        const CString copyright = reader.GetEntry(CFileVersionReader::kLegalCopyright);
        SetDlgItemText(IDC_ABOUT_PRODUCT, LoadText(IDS_TRACE_TITLE));
        SetDlgItemText(IDC_ABOUT_VERSION, version.IsEmpty() ? CString(u"99.99.9999") : version);
        SetDlgItemText(IDC_ABOUT_COPYRIGHT, copyright.IsEmpty() ? CString(u"COPYRIGHT") : copyright);
        CenterWindow(GetParent());
        return TRUE;
    }
};

}  // namespace

void CKXWatcherDlg::OnKxwAbout()
{
    CKXWAboutDlg about(this);
    m_bModalRunning = TRUE;
    about.DoModal();
    m_bModalRunning = FALSE;
}

BOOL CKXWatcherDlg::ArrangeKXWindows(int nHow)
{
    // The live window first, then its viewers (whichever of them asks).
    std::vector<HWND> windows{m_pToolOwner->GetSafeHwnd()};
    if (const CTraceToolWindows* tools = ToolWindows()) {
        for (CTRDViewerDlg* viewer : tools->Viewers())
            if (viewer->GetSafeHwnd()) windows.push_back(viewer->GetSafeHwnd());
    }
    const UINT count = static_cast<UINT>(windows.size());
    const WORD arranged = nHow == kArrangeCascade
                              ? ::CascadeWindows(HWND(), 0, nullptr, count, windows.data())
                              : ::TileWindows(HWND(), nHow == kArrangeTileHorz ? MDITILE_HORIZONTAL : MDITILE_VERTICAL,
                                              nullptr, count, windows.data());
    if (arranged) return TRUE;
    CString message;
    message.Format(u"Error tiling windows: [%i].", static_cast<int>(::GetLastError()));
    AfxMessageBox(message, MB_OK | MB_ICONERROR);
    return FALSE;
}

void CKXWatcherDlg::OnKxwWindowCascade() { ArrangeKXWindows(kArrangeCascade); }
void CKXWatcherDlg::OnKxwWindowTileHorz() { ArrangeKXWindows(kArrangeTileHorz); }
void CKXWatcherDlg::OnKxwWindowTileVert() { ArrangeKXWindows(kArrangeTileVert); }

void CKXWatcherDlg::OnKxwFileExit()
{
    if (!IsTracing()) PostMessage(WM_SYSCOMMAND, SC_CLOSE);
}

void CKXWatcherDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) != SC_CLOSE) {
        CDialog::OnSysCommand(nID, lParam);
        return;
    }
    if (IsModalOpen()) {
        AfxMessageBox(IDS_TRACE_CLOSE_REFUSED, MB_OK | MB_ICONWARNING);
        return;
    }
    if (IsTracing()) return;
    if (m_pAcq) m_pAcq->CloseController((::GetKeyState(VK_SHIFT) & 0x8000) ? TRUE : FALSE);
    if (m_pTermDlg) m_pTermDlg->DestroyWindow();
    if (m_pOpeDlg) m_pOpeDlg->DestroyWindow();
    if (m_pTools) m_pTools->DestroyAll();
    EndDialog(1);
}

void CKXWatcherDlg::OnDestroy()
{
    if (m_pExecDlg) m_pExecDlg->DestroyWindow();
    if (m_pTermDlg) m_pTermDlg->DestroyWindow();
    if (m_pOpeDlg) m_pOpeDlg->DestroyWindow();
    if (m_pTools) m_pTools->DestroyAll();
    KillTimer(kRedrawTimer);
    KillTimer(kErrorPaneTimer);
    // The live settings are saved, not those of a shown file.
    if (m_model.IsFileShown()) OnKxwFileClose();
    if (m_bCreated && !m_strIniPath.IsEmpty()) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (GetWindowPlacement(&placement)) {
            m_model.m_Layout.window.rcNormal = placement.rcNormalPosition;
            m_model.m_Layout.window.bZoomed = placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0;
        }
        WriteTraceIniFile(m_model, m_strIniPath);
    }
    CDialog::OnDestroy();
}

// ---------------------------------------------------------------- A-B cursor window, calculator, viewers

CTraceToolWindows* CKXWatcherDlg::ToolWindows() const { return m_pToolOwner ? m_pToolOwner->m_pTools.get() : nullptr; }

void CKXWatcherDlg::OnKxwToolABCrsrDlg()
{
    if (CTraceToolWindows* tools = ToolWindows()) tools->ShowABCursor(*this);
}

void CKXWatcherDlg::OnKxwToolCalcDlg()
{
    if (CTraceToolWindows* tools = ToolWindows()) tools->ShowCalculator(*this);
}

void CKXWatcherDlg::RefreshToolWindows()
{
    if (CTraceToolWindows* tools = ToolWindows()) tools->RefreshABCursor(*this);
}

void CKXWatcherDlg::EndABCursorDlg()
{
    if (m_pTools) m_pTools->ABCursorGone();
}

void CKXWatcherDlg::EndCalcDlg()
{
    if (m_pTools) m_pTools->CalculatorGone();
}

void CKXWatcherDlg::CloseViewer(CTRDViewerDlg* pViewer)
{
    if (m_pTools && pViewer) m_pTools->ViewerClosing(*pViewer);
}

BOOL CKXWatcherDlg::IsModalOpen() const
{
    return m_bModalRunning || (m_pTools && m_pTools->IsModalOpen());
}
