#include "manager/ui/LeftpaneTreeView.h"

#include "manager/ui/RightpaneFormView.h"

#include "manager/app/AccessLevel.h"
#include "manager/app/FilePathRules.h"
#include "manager/app/SimulatorHandover.h"
#include "manager/core/ControllerCommands.h"
#include "manager/core/DataManager.h"
#include "manager/core/SharedText.h"
#include "manager/dialogs/DlgAlarm.h"
#include "manager/dialogs/DlgCommentList.h"
#include "manager/dialogs/DlgSmallDialogs.h"
#include "manager/ui/FrameDialogs.h"
#include "manager/ui/ChildFrm.h"
#include "manager/ui/LeftpaneFormView.h"
#include "manager/ui/MainFrm.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/ManagerWindowsImpl.h"
#include "manager/ui/QuorvaneApp.h"
#include "manager/ui/QuorvaneDoc.h"
#include "platform/core/CmdUI.h"
#include "platform/core/Paths.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "platform/core/ResourceModule.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/resource_ids.h"

#include <optional>

IMPLEMENT_DYNCREATE(CLeftpaneTreeView, CTreeView)

namespace {

constexpr UINT kTreeIcons[] = {IDI_TRANSFER_CONTROLLER, IDI_OFFLINE_WINDOW, IDI_TREE_ITEM, IDI_TREE_FOLDER,
                               IDI_TREE_FOLDER_OPEN};
constexpr UINT kCaptions[] = {IDS_TREE_CONTROLLER, IDS_TREE_POINTS, IDS_TREE_PARAMETERS, IDS_TREE_GROUP_M,
                              IDS_TREE_GROUP_I, IDS_TREE_GROUP_O, IDS_TREE_GROUP_C, IDS_TREE_GROUP_H};

bool IsPulseTrain(const ControllerData& data) { return data.controller.Find(u"LB") >= 0; }

// Holds the status poll off through a link this window has just opened (the
// poll pauses only over an open link). At the end the poll of whichever
// window is current goes on, or stays off if that window is not connected.
class PollHold {
public:
    explicit PollHold(CDataManager& manager) { manager.PausePolling(); }
    ~PollHold()
    {
        if (CDataManager* current = CDataManager::GetCurrent()) current->ResumePolling();
    }
    PollHold(const PollHold&) = delete;
    PollHold& operator=(const PollHold&) = delete;
};

}  // namespace

BEGIN_MESSAGE_MAP(CLeftpaneTreeView, CTreeView)
    ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CLeftpaneTreeView::OnSelectionChanged)
    ON_COMMAND(IDM_CONNECT, &CLeftpaneTreeView::OnConnect)
    ON_COMMAND(IDM_DISCONNECT, &CLeftpaneTreeView::OnDisconnect)
    ON_COMMAND(IDM_WRITE_CONTROLLER, &CLeftpaneTreeView::OnWrite)
    ON_COMMAND(IDM_READ_CONTROLLER, &CLeftpaneTreeView::OnReadController)
    ON_COMMAND(IDM_SAVE_AS, &CLeftpaneTreeView::OnSaveAs)
    ON_COMMAND(IDM_SAVE_DATA, &CLeftpaneTreeView::OnSave)
    ON_COMMAND(IDM_RESTORE_DATA, &CLeftpaneTreeView::OnRestore)
    ON_COMMAND(IDM_SIMULATOR, &CLeftpaneTreeView::OnSimulator)
    ON_COMMAND_EX(IDM_INIT_REC, &CLeftpaneTreeView::OnInitCommand)
    ON_COMMAND_EX(IDM_INIT_PNT, &CLeftpaneTreeView::OnInitCommand)
    ON_COMMAND_EX(IDM_INIT_TRIP, &CLeftpaneTreeView::OnInitCommand)
    ON_COMMAND_EX(IDM_INIT_TIME, &CLeftpaneTreeView::OnInitCommand)
    ON_COMMAND_EX(IDM_INIT_COMW, &CLeftpaneTreeView::OnInitCommand)
    ON_COMMAND(IDM_SHOW_PANE, &CLeftpaneTreeView::OnShowPane)
    ON_COMMAND(IDM_READ_DATA, &CLeftpaneTreeView::OnReadData)
    ON_COMMAND(IDM_TRANSPORT_DATA, &CLeftpaneTreeView::OnTransportData)
    ON_COMMAND(IDM_CHANGE_NODE, &CLeftpaneTreeView::OnChangeNode)
    ON_UPDATE_COMMAND_UI(IDM_READ_DATA, &CLeftpaneTreeView::OnUpdateReadData)
    ON_UPDATE_COMMAND_UI(IDM_TRANSPORT_DATA, &CLeftpaneTreeView::OnUpdateTransportData)
    ON_UPDATE_COMMAND_UI(IDM_CHANGE_NODE, &CLeftpaneTreeView::OnUpdateChangeNode)
    ON_UPDATE_COMMAND_UI(IDM_CONNECT, &CLeftpaneTreeView::OnUpdateConnect)
    ON_UPDATE_COMMAND_UI(IDM_DISCONNECT, &CLeftpaneTreeView::OnUpdateOnlineConnected)
    ON_UPDATE_COMMAND_UI(IDM_READ_CONTROLLER, &CLeftpaneTreeView::OnUpdateOnlineConnected)
    ON_UPDATE_COMMAND_UI(IDM_WRITE_CONTROLLER, &CLeftpaneTreeView::OnUpdateWrite)
    ON_UPDATE_COMMAND_UI(IDM_SAVE_AS, &CLeftpaneTreeView::OnUpdateSave)
    ON_UPDATE_COMMAND_UI(IDM_SAVE_DATA, &CLeftpaneTreeView::OnUpdateSave)
    ON_UPDATE_COMMAND_UI(IDM_RESTORE_DATA, &CLeftpaneTreeView::OnUpdateRestore)
    ON_UPDATE_COMMAND_UI(IDM_SIMULATOR, &CLeftpaneTreeView::OnUpdateSimulator)
    ON_UPDATE_COMMAND_UI_RANGE(IDM_INIT_REC, IDM_INIT_REC, &CLeftpaneTreeView::OnUpdateInit)
    ON_UPDATE_COMMAND_UI_RANGE(IDM_INIT_PNT, IDM_INIT_TIME, &CLeftpaneTreeView::OnUpdateInit)
    ON_UPDATE_COMMAND_UI(IDM_INIT_COMW, &CLeftpaneTreeView::OnUpdateInit)
    ON_UPDATE_COMMAND_UI(IDM_SHOW_PANE, &CLeftpaneTreeView::OnUpdateShowPane)
    ON_COMMAND(IDM_ALARM_LIST, &CLeftpaneTreeView::OnAlarmList)
    ON_COMMAND(IDM_COMMENT_LIST, &CLeftpaneTreeView::OnCommentList)
    ON_COMMAND(IDM_MODE_CHANGE, &CLeftpaneTreeView::OnModeChange)
    ON_COMMAND(IDM_DESKTOP_TERMINAL, &CLeftpaneTreeView::OnDesktopTerminal)
    ON_COMMAND(IDM_IO_MONITOR, &CLeftpaneTreeView::OnIoMonitor)
    ON_COMMAND(IDM_STATUS_MONITOR, &CLeftpaneTreeView::OnStatusMonitor)
    ON_UPDATE_COMMAND_UI(IDM_ALARM_LIST, &CLeftpaneTreeView::OnUpdateMonitor)
    ON_UPDATE_COMMAND_UI(IDM_COMMENT_LIST, &CLeftpaneTreeView::OnUpdateControllerDialog)
    ON_UPDATE_COMMAND_UI(IDM_MODE_CHANGE, &CLeftpaneTreeView::OnUpdateModeChange)
    ON_UPDATE_COMMAND_UI(IDM_DESKTOP_TERMINAL, &CLeftpaneTreeView::OnUpdateMonitor)
    ON_UPDATE_COMMAND_UI(IDM_IO_MONITOR, &CLeftpaneTreeView::OnUpdateMonitor)
    ON_UPDATE_COMMAND_UI(IDM_STATUS_MONITOR, &CLeftpaneTreeView::OnUpdateMonitor)
    ON_MESSAGE(UM_SUSPENDLINK, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_LINKTIMEOUT, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_LINKFAILED, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_WRITETOCONTROLLER, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_ACCESSLEVELCHANGED, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_PAUSEPOLLING, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_RESUMEPOLLING, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_RESCANLINK, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_REFRESH, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_GETLINKOFWINDOW, &CLeftpaneTreeView::OnPrivateMessage)
    ON_MESSAGE(UM_READFROMCONTROLLER, &CLeftpaneTreeView::OnPrivateMessage)
    ON_WM_TIMER()
    ON_WM_CONTEXTMENU()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CLeftpaneTreeView::CLeftpaneTreeView() { m_nodeMap.fill(0xFF); }

CLeftpaneTreeView::~CLeftpaneTreeView() = default;

CQuorvaneDoc* CLeftpaneTreeView::Document() const { return dynamic_cast<CQuorvaneDoc*>(GetDocument()); }

CDataManager* CLeftpaneTreeView::DataManager() const
{
    CQuorvaneDoc* doc = Document();
    return doc ? &doc->DataManager() : nullptr;
}

ControllerData* CLeftpaneTreeView::CurrentData() const
{
    CDataManager* manager = DataManager();
    return manager ? manager->GetCurrentController() : nullptr;
}

CChildFrame* CLeftpaneTreeView::Frame() const { return dynamic_cast<CChildFrame*>(GetParentFrame()); }

void CLeftpaneTreeView::OnInitialUpdate()
{
    CTreeView::OnInitialUpdate();
    CTreeCtrl& tree = GetTreeCtrl();
    tree.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 5, 1);
    for (UINT id : kTreeIcons) {
        const HICON icon = HICON(::LoadImageW(HINSTANCE(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        m_images.Add(icon);
        if (icon) ::DestroyIcon(icon);
    }
    tree.SetImageList(&m_images, TVSIL_NORMAL);
    const int images[kItemKinds][2] = {{0, 0}, {2, 2}, {3, 4}, {2, 2}, {2, 2}, {2, 2}, {2, 2}, {2, 2}};
    for (int k = 0; k < kItemKinds; ++k) {
        m_kinds[static_cast<size_t>(k)].collapsedImage = images[k][0];
        m_kinds[static_cast<size_t>(k)].expandedImage = images[k][1];
        m_kinds[static_cast<size_t>(k)].showsPane = k != 2;
        // Context submenus of menu 0x85: the controller (5 when online), the
        // points, the parameters folder and the parameter groups.
        const CChildFrame* owner = Frame();
        m_kinds[static_cast<size_t>(k)].submenu = k == 0 ? (owner && owner->IsOnline() ? 5 : 1) : k == 1 ? 3 : k == 2 ? 6 : 4;
    }
    CChildFrame* frame = Frame();
    if (frame && !frame->IsBuilt()) frame->BuildWindow();
}

int CLeftpaneTreeView::Build()
{
    CDataManager* manager = DataManager();
    CChildFrame* frame = Frame();
    CQuorvaneApp* app = GetQuorvaneApp();
    if (!manager || !frame || !app) return 0;
    CWaitScope wait(IDS_WAIT_READING);
    if (!frame->IsOnline()) {
        const CString path = app->Pending().entry.name;
        if (!path.IsEmpty()) {
            if (!manager->LoadControllerFile(path)) return 0;
        } else {
            if (!manager->AddFirstController()) return 0;
            m_offlineNew = true;
        }
        // What was read is what the file (or the new data) holds: edits are
        // told apart from it.
        manager->BackupController(manager->GetCurrentIndex());
        m_nodeMap[0] = 0;
        return 1;
    }
    // The first node that answered the scan.
    for (int node = kFirstNode; node <= kLastNode; ++node) {
        if (!manager->IsNodePresent(node)) continue;
        if (!manager->AddOnlineController(node)) return 0;
        m_nodeMap[static_cast<size_t>(node - kFirstNode)] = static_cast<BYTE>(manager->GetCurrentIndex());
        m_connected = true;
        m_timeoutMark = false;
        return node;
    }
    return 0;
}

int CLeftpaneTreeView::ParameterK(int n) const
{
    const ControllerData* data = CurrentData();
    const RobotParameterSet* set = data ? data->FirstParamSet() : nullptr;
    return set ? set->K(n) : 0;
}

void CLeftpaneTreeView::FollowMode()
{
    const CChildFrame* frame = Frame();
    m_busy = frame && frame->IsOnline() && m_connected && (ParameterK(20) & 1) != 0;
}

void CLeftpaneTreeView::SelectController(int index)
{
    CDataManager* manager = DataManager();
    CChildFrame* frame = Frame();
    if (!manager || !frame) return;
    manager->SetCurrentIndex(frame->IsOnline() ? index : 0);
    if (CRightpaneFormView* right = frame->GetRightpaneFormView()) right->RebuildPanes(manager->GetCurrentIndex(), FALSE);
    FillTree();
    FollowMode();
    if (frame->IsOnline()) {
        manager->SetPollingEnabled(m_connected ? TRUE : FALSE);
        manager->MakeCurrent(RootItemText(), TRUE);
        manager->ResumePolling();
    }
    Refresh();
}

void CLeftpaneTreeView::FillTree()
{
    CTreeCtrl& tree = GetTreeCtrl();
    tree.DeleteAllItems();
    for (ItemKind& kind : m_kinds) kind.item = nullptr;
    const ControllerData* data = CurrentData();
    const CChildFrame* frame = Frame();
    const int level = GetQuorvaneApp() ? GetQuorvaneApp()->GetAccessLevel() : 0;
    CString rootText;
    if (!data) {
        rootText = LoadFrameText(IDS_TREE_NO_CONTROLLER);
    } else if (frame && frame->IsOnline()) {
        rootText.Format(LoadFrameText(IDS_TREE_ONLINE_ROOT), data->controller.GetString(), ParameterK(38));
    } else {
        rootText = data->controller;
    }
    auto add = [&](int kind, const CString& text, HTREEITEM parent) {
        ItemKind& k = m_kinds[static_cast<size_t>(kind)];
        k.item = tree.InsertItem(text.GetString(), k.collapsedImage, k.collapsedImage, parent ? parent : TVI_ROOT);
        tree.SetItemData(k.item, static_cast<DWORD_PTR>(kind));
        return k.item;
    };
    const HTREEITEM root = add(0, rootText, nullptr);
    if (data) {
        const bool lb = IsPulseTrain(*data);
        const bool online = frame && frame->IsOnline();
        if (!lb || online || ShowsOfflinePulseTrainPointItem(level))
            add(1, LoadFrameText(online && lb ? IDS_TREE_POINTS_LB : IDS_TREE_POINTS), root);
        const HTREEITEM parameters = add(2, LoadFrameText(IDS_TREE_PARAMETERS), root);
        for (int kind = 3; kind <= 6; ++kind) add(kind, LoadFrameText(kCaptions[kind]), parameters);
        if (ShowsExpertTreeItem(level)) add(7, LoadFrameText(kCaptions[7]), parameters);
        tree.Expand(parameters, TVE_EXPAND);
    }
    tree.Expand(root, TVE_EXPAND);
    tree.SelectItem(root);
}

void CLeftpaneTreeView::AddExpertItem()
{
    ItemKind& parameters = m_kinds[2];
    if (!parameters.item || m_kinds[7].item) return;
    CTreeCtrl& tree = GetTreeCtrl();
    m_kinds[7].item = tree.InsertItem(LoadFrameText(kCaptions[7]).GetString(), m_kinds[7].collapsedImage,
                                      m_kinds[7].collapsedImage, parameters.item);
    tree.SetItemData(m_kinds[7].item, 7);
}

void CLeftpaneTreeView::Refresh()
{
    CChildFrame* frame = Frame();
    CDataManager* manager = DataManager();
    if (!frame || !manager || !frame->IsOnline() || manager->GetCurrentIndex() < 0) return;
    if (CLeftpaneFormView* left = frame->GetLeftpaneFormView()) {
        const int state = m_connected ? CDlgControllerStatus::kLinkConnected
                                      : (m_timeoutMark ? CDlgControllerStatus::kLinkTimedOut
                                                       : CDlgControllerStatus::kLinkDisconnected);
        left->BindController(manager->GetCurrentIndex(), state);
    }
}

// ------------------------------------------------------------------ link

void CLeftpaneTreeView::Disconnect(bool timeoutMark)
{
    CChildFrame* frame = Frame();
    CDataManager* manager = DataManager();
    if (!frame || !manager || !frame->IsOnline()) return;
    m_connected = false;
    m_timeoutMark = timeoutMark;
    manager->SetPollingEnabled(FALSE);
    if (manager->IsPortOpen()) manager->GetLink()->Close();
    FollowMode();
    Refresh();
    frame->SendMessage(UM_REBUILDTOOLBAR, 0);
}

void CLeftpaneTreeView::OnLinkStatus(WPARAM state)
{
    // The link came back: nothing to undo, the window stays as it is.
    if (state != 0) {
        Refresh();
        return;
    }
    CChildFrame* frame = Frame();
    CDataManager* manager = DataManager();
    if (!frame || !manager || !frame->IsOnline() || manager->GetCurrentIndex() < 0 || !m_connected) return;
    manager->PausePolling();
    // The window stays, with its data, and offers to connect again.
    Disconnect(true);
    GetManagerWindows().CloseActiveWaitWindow();
    ShowMessage(IDS_LINK_FAILED, MB_OK | MB_ICONERROR);
}

bool CLeftpaneTreeView::ConnectAgain()
{
    CChildFrame* frame = Frame();
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    if (!frame || !manager || !data) return false;
    {
        CWaitScope wait(IDS_WAIT_CONNECTING);
        const DWORD value = frame->Kind() == kOpenWindowSerial ? static_cast<DWORD>(frame->ComPort()) : frame->Address();
        if (!manager->OpenPort(frame->Kind(), value)) return false;
        // The status poll has its own thread: held off until the controller
        // is identified, it cannot take the link between the questions that
        // identify it (a question that finds the poll's in flight fails at
        // once, as if nobody answered).
        const PollHold hold(*manager);
        const int node = ParameterK(38);
        if (!IsControllerNode(node) || !manager->ProbeNode(node)) {
            manager->GetLink()->Close();
            ShowMessage(IDS_CD_NO_ANSWER, MB_OK | MB_ICONERROR);
            return false;
        }
        ControllerData probe = *data;
        if (!manager->ReadControllerIdentity(probe, FALSE, FALSE)) {
            manager->GetLink()->Close();
            ShowMessage(IDS_CD_NO_ANSWER, MB_OK | MB_ICONERROR);
            return false;
        }
        // Another model code under the same name is another controller too:
        // the window's data were made for its own.
        const bool otherType = !data->typeText.IsEmpty() && probe.typeText != data->typeText;
        if (probe.controller != data->controller || otherType) {
            manager->GetLink()->Close();
            ShowMessage(IDS_OTHER_CONTROLLER, MB_OK | MB_ICONERROR);
            return false;
        }
        if (probe.robot != data->robot && ShowMessage(IDS_OTHER_ROBOT, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            manager->GetLink()->Close();
            return false;
        }
    }
    const bool wasMarked = m_timeoutMark;
    m_connected = true;
    m_timeoutMark = false;
    if (wasMarked) frame->SendMessage(UM_REBUILDTOOLBAR, 0);
    if (!ReadController(false, nullptr)) {
        manager->PausePolling();
        Disconnect(true);
        return false;
    }
    SelectController(manager->GetCurrentIndex());
    return true;
}

void CLeftpaneTreeView::OnConnect()
{
    if (ShowMessage(IDS_ASK_CONNECT, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    ConnectAgain();
}

void CLeftpaneTreeView::OnDisconnect()
{
    if (ShowMessage(IDS_ASK_DISCONNECT, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    if (CDataManager* manager = DataManager()) manager->PausePolling();
    Disconnect(false);
}

bool CLeftpaneTreeView::ReadController(bool discardEdits, CWnd* owner, bool reportFailure)
{
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    if (!manager || !data) return false;
    const int index = manager->GetCurrentIndex();
    bool ok = false;
    {
        CWaitScope wait(IDS_WAIT_READING, owner);
        CPollingPause pause;
        ControllerData fresh = *data;
        ok = manager->ReadControllerIdentity(fresh, TRUE, TRUE) != FALSE;
        if (ok) {
            if (ControllerData* reference = manager->GetReference(index)) *reference = fresh;
            if (discardEdits) manager->RestoreController(index);
        } else if (reportFailure) {
            CString text;
            manager->FormatLinkError(text, IDS_DM_LOAD_FAILED);
            AfxMessageBox(text.GetString(), MB_OK | MB_ICONERROR);
        }
    }
    FollowMode();
    Refresh();
    RefreshPanes();
    return ok;
}

void CLeftpaneTreeView::OnReadController()
{
    if (ShowMessage(IDS_ASK_READ, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    ReadController(true, nullptr);
}

bool CLeftpaneTreeView::ModeForbidsWrite() const { return (ParameterK(20) & 3) == 1; }

int CLeftpaneTreeView::WriteToController(bool fromDialog)
{
    CChildFrame* frame = Frame();
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    if (!frame || !frame->IsOnline() || !manager || !data) return 1;
    const int index = manager->GetCurrentIndex();
    ControllerData* reference = manager->GetReference(index);
    if (!reference) return 1;
    if (ModeForbidsWrite()) {
        ShowMessage(IDS_MODE_NO_WRITE, MB_OK | MB_ICONWARNING);
        return 1;
    }
    if (!fromDialog) {
        CString question = LoadFrameText(IDS_ASK_WRITE) + LoadFrameText(IDS_ASK_WRITE_NOTE);
        const RobotParameterSet* mine = data->FirstParamSet();
        const RobotParameterSet* theirs = reference->FirstParamSet();
        if (mine && theirs && mine->K(80) == 2 && theirs->K(80) != 2) question += u"\n" + LoadFrameText(IDS_ASK_WRITE_FIELD_BUS);
        if (AfxMessageBox(question.GetString(), MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) return 1;
    }
    bool ok = false;
    {
        CWaitScope wait(IDS_WAIT_WRITING);
        CPollingPause pause;
        ControllerData copy = *data;
        ok = manager->WriteControllerData(copy, *reference, FALSE) != FALSE;
        if (ok) {
            *data = copy;
            manager->BackupController(index);
        }
    }
    FollowMode();
    Refresh();
    if (!ok) {
        CString text;
        manager->FormatLinkError(text, IDS_OPERATION_FAILED);
        AfxMessageBox(text.GetString(), MB_OK | MB_ICONERROR);
        return 1;
    }
    RefreshPanes();
    CString done = LoadFrameText(IDS_WRITE_DONE);
    if (manager->NeedsRestart()) done += LoadFrameText(IDS_WRITE_RESTART);
    AfxMessageBox(done.GetString(), MB_OK | MB_ICONINFORMATION);
    return 0;
}

void CLeftpaneTreeView::OnWrite() { WriteToController(false); }

void CLeftpaneTreeView::RefreshPanes()
{
    CChildFrame* frame = Frame();
    if (CRightpaneFormView* right = frame ? frame->GetRightpaneFormView() : nullptr) {
        right->RefreshPointTable();
        right->RefreshParameters();
    }
}

void CLeftpaneTreeView::OnSelectionChanged(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    CChildFrame* frame = Frame();
    CTreeCtrl& tree = GetTreeCtrl();
    const HTREEITEM item = tree.GetSelectedItem();
    if (CRightpaneFormView* right = frame ? frame->GetRightpaneFormView() : nullptr)
        right->SelectPane(item ? static_cast<int>(tree.GetItemData(item)) : 0);
}

// ------------------------------------------------------------------ files

bool CLeftpaneTreeView::Save(bool askForName)
{
    CQuorvaneDoc* doc = Document();
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    CChildFrame* frame = Frame();
    CQuorvaneApp* app = GetQuorvaneApp();
    if (!doc || !manager || !data || !frame || !app) return false;
    CString path = doc->GetPathName();
    if (askForName || path.IsEmpty()) {
        const CString extension = LoadFrameText(IDS_DATA_FILE_EXTENSION);
        CString filter;
        filter.Format(LoadFrameText(IDS_DATA_FILE_FILTER), extension.GetString(), extension.GetString());
        const CString proposed = path.IsEmpty() ? frame->DisplayName() : path;
        CFileDialog dlg(FALSE, extension.GetString(), proposed.GetString(),
                        OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR, filter.GetString(), this);
        if (dlg.DoModal() != IDOK) return false;
        path = dlg.GetPathName();
        if (path.GetLength() >= kMaxPathChars) {
            ShowMessage(IDS_PATH_TOO_LONG, MB_OK | MB_ICONWARNING);
            return false;
        }
    }
    path = CanonicalDataPath(path);
    ControllerDataStore store;
    if (!store.WriteControllerDataFile(path.GetString(), *data, true, true, true)) {
        ShowMessage(IDS_DATA_SAVE_FAILED, MB_OK | MB_ICONERROR);
        return false;
    }
    if (!frame->IsOnline()) {
        manager->BackupController(manager->GetCurrentIndex());
        m_offlineNew = false;
        doc->SetModifiedFlag(FALSE);
        app->Registry().Rename(frame, path);
    }
    doc->SetPathName(path.GetString(), TRUE);
    return true;
}

void CLeftpaneTreeView::OnSaveAs()
{
    auto* main = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (main && !main->IsIdle()) return;
    Save(true);
}

void CLeftpaneTreeView::OnSave()
{
    auto* main = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (main && !main->IsIdle()) return;
    Save(false);
}

void CLeftpaneTreeView::OnRestore()
{
    if (ShowMessage(IDS_ASK_RESTORE, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    CDataManager* manager = DataManager();
    if (!manager) return;
    CPollingPause pause;
    manager->RestoreController(manager->GetCurrentIndex());
    SelectController(manager->GetCurrentIndex());
}

bool CLeftpaneTreeView::HasChanges()
{
    CDataManager* manager = DataManager();
    if (!manager) return false;
    const ControllerData* data = manager->GetCurrentController();
    const ControllerData* reference = manager->GetReference(manager->GetCurrentIndex());
    if (!data || !reference) return false;
    // Everything the window can edit counts: identity texts, addresses,
    // every point field and every parameter.
    return m_offlineNew || !(*data == *reference) || (Document() && Document()->IsModified());
}

LRESULT CLeftpaneTreeView::MayClose(bool doNotAsk)
{
    CChildFrame* frame = Frame();
    const ControllerData* data = CurrentData();
    if (!frame || !data || doNotAsk || !HasChanges()) return 0;
    CString question;
    question.Format(LoadFrameText(frame->IsOnline() ? IDS_ASK_WRITE_ONLINE : IDS_ASK_SAVE_OFFLINE),
                    frame->DisplayName().GetString());
    const int answer = AfxMessageBox(question.GetString(), MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL) return 1;
    if (answer == IDNO) return 0;
    if (!frame->IsOnline()) return Save(false) ? 0 : 1;
    if (ModeForbidsWrite()) {
        ShowMessage(IDS_MODE_NO_WRITE, MB_OK | MB_ICONWARNING);
        return 1;
    }
    if (!m_connected) {
        if (ShowMessage(IDS_ASK_CONNECT_FIRST, MB_YESNO | MB_ICONQUESTION) != IDYES || !ConnectAgain()) return 1;
    }
    return WriteToController(true) == 0 ? 0 : 1;
}

// ------------------------------------------------------------------ simulator

bool CLeftpaneTreeView::RunsSimulatorHere() const
{
    CQuorvaneApp* app = GetQuorvaneApp();
    return app && app->Simulator().RunningFrame() == Frame();
}

bool CLeftpaneTreeView::AnyRunsSimulator() const
{
    CQuorvaneApp* app = GetQuorvaneApp();
    return app && app->Simulator().IsRunning();
}

void CLeftpaneTreeView::OnSimulator()
{
    CQuorvaneApp* app = GetQuorvaneApp();
    ControllerData* data = CurrentData();
    CChildFrame* frame = Frame();
    if (!app || !data || !frame) return;
    CString title;
    frame->GetWindowText(title);
    CSimulatorHandover::StartResult result;
    {
        CWaitScope wait(IDS_WAIT_SIMULATOR);
        CPollingPause pause;
        result = app->Simulator().Start(frame, title, app->GetAccessLevel(), *data);
    }
    if (result != CSimulatorHandover::StartResult::Started) {
        ShowMessage(CSimulatorHandover::MessageIdOf(result), MB_OK | MB_ICONERROR);
        return;
    }
    m_simulatorTimer = SetTimer(kSimulatorWatchTimerId, kSimulatorWatchIntervalMs, nullptr) != 0;
    // The simulator edits a copy of these data and may hand it back: an edit
    // made here meanwhile would be replaced without a word.
    if (CRightpaneFormView* right = frame->GetRightpaneFormView()) right->LockPanes(TRUE, TRUE, TRUE);
    Refresh();
}

void CLeftpaneTreeView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kSimulatorWatchTimerId) {
        CTreeView::OnTimer(nIDEvent);
        return;
    }
    CQuorvaneApp* app = GetQuorvaneApp();
    if (!app || app->Simulator().Poll() != CSimulatorHandover::PollState::Ended) return;
    KillTimer(kSimulatorWatchTimerId);
    m_simulatorTimer = false;
    if (CWnd* main = AfxGetMainWnd(); main && main->IsIconic()) main->ShowWindow(SW_RESTORE);
    if (CChildFrame* frame = Frame()) frame->MDIActivate();
    CWaitScope wait(IDS_WAIT_SIMULATOR_BACK);
    CPollingPause pause;
    // Only the exit code "data applied" brings data back; the block is released either way.
    if (ControllerData* data = CurrentData()) app->Simulator().TakeBack(*data);
    FollowMode();
    // The panes show what the window now holds, and are usable again unless
    // the controller's mode keeps them busy.
    if (CRightpaneFormView* right = Frame() ? Frame()->GetRightpaneFormView() : nullptr) {
        RefreshPanes();
        right->LockPanes(FALSE, TRUE, TRUE);
        if (m_busy) right->SetBusy(TRUE);
        right->SelectPane(right->CurrentSlot());
    }
    Refresh();
}

// ------------------------------------------------------------------ controller commands

BOOL CLeftpaneTreeView::OnInitCommand(UINT nID)
{
    CDataManager* manager = DataManager();
    if (!manager || !m_connected) return TRUE;
    int code = 0;
    UINT question = IDS_ASK_WRITE;
    switch (nID) {
    case IDM_INIT_REC: code = 1; question = IDS_ASK_INIT_REC; break;
    case IDM_INIT_PNT: code = 2; question = IDS_ASK_INIT_PNT; break;
    case IDM_INIT_TRIP: code = 3; question = IDS_ASK_INIT_TRIP; break;
    case IDM_INIT_TIME: code = 4; question = IDS_ASK_INIT_TIME; break;
    case IDM_INIT_COMW: code = 5; question = IDS_ASK_INIT_COMW; break;
    default: return FALSE;
    }
    if ((code >= 2 && code <= 4) && manager->IsOutBit12Set()) {
        ShowMessage(IDS_AXIS_MOVING, MB_OK | MB_ICONWARNING);
        return TRUE;
    }
    if (code == 2 && ModeForbidsWrite()) {
        ShowMessage(IDS_MODE_NO_WRITE, MB_OK | MB_ICONWARNING);
        return TRUE;
    }
    CString text = LoadFrameText(question);
    if (text.IsEmpty()) text = LoadFrameText(IDS_ASK_WRITE);
    if (AfxMessageBox(text.GetString(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return TRUE;
    bool ok = false;
    {
        CPollingPause pause;
        ok = manager->InitializeController(code) != FALSE;
        if (ok && code == 2) {
            const int index = manager->GetCurrentIndex();
            for (ControllerData* d : {manager->GetController(index), manager->GetReference(index)})
                if (d) for (PointRecord& row : d->points) row.Clear();
        }
    }
    if (ok) {
        ShowMessage(IDS_INIT_DONE, MB_OK | MB_ICONINFORMATION);
    } else {
        CString error;
        manager->FormatLinkError(error, IDS_OPERATION_FAILED);
        AfxMessageBox(error.GetString(), MB_OK | MB_ICONERROR);
    }
    return TRUE;
}

void CLeftpaneTreeView::OnShowPane()
{
    CTreeCtrl& tree = GetTreeCtrl();
    const HTREEITEM item = tree.GetSelectedItem();
    const int kind = item ? static_cast<int>(tree.GetItemData(item)) : -1;
    if (kind < 0 || kind >= kItemKinds || !m_kinds[static_cast<size_t>(kind)].showsPane) return;
    CRightpaneFormView* right = Frame() ? Frame()->GetRightpaneFormView() : nullptr;
    if (!right) return;
    CPollingPause pause;
    right->SelectPane(kind);
}

// ------------------------------------------------------------------ update handlers

void CLeftpaneTreeView::OnUpdateConnect(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    pCmdUI->Enable(frame && frame->IsOnline() && !m_connected && CurrentData() ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnUpdateOnlineConnected(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    pCmdUI->Enable(frame && frame->IsOnline() && m_connected && !RunsSimulatorHere() ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnUpdateWrite(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    pCmdUI->Enable(frame && frame->IsOnline() && m_connected && !RunsSimulatorHere() && CurrentData() ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnUpdateSave(CCmdUI* pCmdUI) { pCmdUI->Enable(CurrentData() ? TRUE : FALSE); }

void CLeftpaneTreeView::OnUpdateRestore(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    pCmdUI->Enable(frame && !frame->IsOnline() && !RunsSimulatorHere() && CurrentData() ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnUpdateSimulator(CCmdUI* pCmdUI)
{
    const ControllerData* data = CurrentData();
    pCmdUI->Enable(data && !AnyRunsSimulator() && !IsPulseTrain(*data) ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnUpdateInit(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    const ControllerData* data = CurrentData();
    const int level = GetQuorvaneApp() ? GetQuorvaneApp()->GetAccessLevel() : 0;
    bool enable = frame && frame->IsOnline() && m_connected && !RunsSimulatorHere() && data;
    if (enable && pCmdUI->m_nID == IDM_INIT_PNT) enable = CanInitPoints(level, data->controller);
    if (enable && (pCmdUI->m_nID == IDM_INIT_TRIP || pCmdUI->m_nID == IDM_INIT_TIME)) enable = CanInitTripAndTime(level);
    pCmdUI->Enable(enable ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnUpdateShowPane(CCmdUI* pCmdUI)
{
    CTreeCtrl& tree = GetTreeCtrl();
    const HTREEITEM item = tree.GetSelectedItem();
    const int kind = item ? static_cast<int>(tree.GetItemData(item)) : -1;
    const bool enable = kind >= 0 && kind < kItemKinds && m_kinds[static_cast<size_t>(kind)].submenu != 0 &&
                        m_kinds[static_cast<size_t>(kind)].showsPane;
    pCmdUI->Enable(enable ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnContextMenu(CWnd*, CPoint point)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_TREE_CONTEXT)) return;
    CTreeCtrl& tree = GetTreeCtrl();
    const HTREEITEM item = tree.GetSelectedItem();
    const int kind = item ? static_cast<int>(tree.GetItemData(item)) : 0;
    CMenu* popup = menu.GetSubMenu(m_kinds[static_cast<size_t>(std::clamp(kind, 0, kItemKinds - 1))].submenu);
    if (!popup) return;
    if (point.x == -1 && point.y == -1 && item) {
        CRect r;
        tree.GetItemRect(item, &r, TRUE);
        point = CPoint(r.left, r.bottom);
        ClientToScreen(&point);
    }
    popup->TrackPopupMenu(TPM_LEFTALIGN, point.x, point.y, GetParentFrame());
}

void CLeftpaneTreeView::OnDestroy()
{
    if (m_simulatorTimer) KillTimer(kSimulatorWatchTimerId);
    CTreeView::OnDestroy();
}

// ------------------------------------------------------------------ private messages

LRESULT CLeftpaneTreeView::OnPrivateMessage(WPARAM wParam, LPARAM lParam)
{
    const MSG* current = GetCurrentMessage();
    const UINT message = current ? current->message : 0;
    CDataManager* manager = DataManager();
    switch (message) {
    case UM_SUSPENDLINK:
        if (manager) manager->PausePolling();
        Disconnect(true);
        return 0;
    case UM_LINKTIMEOUT: Disconnect(true); return 0;
    case UM_LINKFAILED: OnLinkStatus(wParam); return 0;
    case UM_WRITETOCONTROLLER: return WriteToController(wParam != 0);
    case UM_ACCESSLEVELCHANGED:
        if (GetQuorvaneApp() && ShowsExpertTreeItem(GetQuorvaneApp()->GetAccessLevel())) AddExpertItem();
        if (CRightpaneFormView* right = Frame() ? Frame()->GetRightpaneFormView() : nullptr) right->AccessLevelChanged();
        return 0;
    case UM_PAUSEPOLLING:
        if (manager) manager->PausePolling();
        return 0;
    case UM_RESUMEPOLLING:
        if (manager) manager->ResumePolling();
        return 0;
    case UM_REFRESH: Refresh(); return 0;
    case UM_GETLINKOFWINDOW: return LendLink(reinterpret_cast<int*>(wParam), reinterpret_cast<CDataManager**>(lParam));
    case UM_READFROMCONTROLLER: return ReadForDialog(HWND::FromWParam(wParam));
    case UM_RESCANLINK: return RescanForDialog(HWND::FromWParam(wParam));
    default: return 0;
    }
}

// ------------------------------------------------------------------ controller dialogs

bool CLeftpaneTreeView::CanTalkToController() const
{
    const CChildFrame* frame = Frame();
    return frame && frame->IsOnline() && m_connected && !RunsSimulatorHere() && CurrentData();
}

CString CLeftpaneTreeView::RootItemText()
{
    CTreeCtrl& tree = GetTreeCtrl();
    const HTREEITEM root = tree.GetRootItem();
    return root ? tree.GetItemText(root) : CString();
}

void CLeftpaneTreeView::OnAlarmList()
{
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    if (!manager || !data || !CanTalkToController()) return;
    CDlgAlarm dlg(AfxGetMainWnd());
    dlg.SetOnlineSource(data, manager->GetLink(), manager->GetProtocol(), ParameterK(38), data->controller, data->robot);
    dlg.DoModal();
    Refresh();
}

void CLeftpaneTreeView::OnCommentList()
{
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    if (!manager || !data || !CanTalkToController()) return;
    CDlgCommentList dlg(AfxGetMainWnd());
    dlg.SetOnlineSource(data, manager->GetLink(), manager->GetProtocol(), ParameterK(38), data->controller, data->robot);
    dlg.DoModal();
    Refresh();
}

void CLeftpaneTreeView::OnModeChange()
{
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    ControllerData* reference = manager ? manager->GetReference(manager->GetCurrentIndex()) : nullptr;
    RobotParameterSet* mine = data ? data->FirstParamSet() : nullptr;
    RobotParameterSet* theirs = reference ? reference->FirstParamSet() : nullptr;
    if (!manager || !mine || !theirs || !CanTalkToController() || IsPulseTrain(*data)) return;
    // The dialog starts from the mode the controller holds.
    const int current = theirs->K(20);
    CDlgModeChange dlg(current, AfxGetMainWnd());
    if (dlg.DoModal() != IDOK) return;
    const int mode = dlg.GetMode();
    // A code without an entry in the dialog is never sent to the controller.
    if (!CDlgModeChange::IsKnownMode(mode) || mode == current) return;
    bool ok = false;
    {
        CWaitScope wait(IDS_CD_ALM_RESETTING);
        CPollingPause pause;
        ok = manager->WriteCheckedK20(mode) != FALSE;
    }
    if (!ok) {
        CString text;
        manager->FormatLinkError(text, IDS_OPERATION_FAILED);
        AfxMessageBox(text.GetString(), MB_OK | MB_ICONERROR);
        Refresh();
        return;
    }
    mine->K(20) = mode;
    theirs->K(20) = mode;
    manager->NotifyTerminalMode(mode);
    FollowMode();
    if (CRightpaneFormView* right = Frame() ? Frame()->GetRightpaneFormView() : nullptr) {
        right->SetBusy(m_busy ? TRUE : FALSE);
        right->SelectPane(right->CurrentSlot());
    }
    Refresh();
}

void CLeftpaneTreeView::OnDesktopTerminal()
{
    CDataManager* manager = DataManager();
    const ControllerData* data = CurrentData();
    const CChildFrame* frame = Frame();
    if (!manager || !data || !frame || !frame->IsOnline() || !m_connected) return;
    // The terminal shows this controller but sends nothing while the window is busy.
    const bool busy = RunsSimulatorHere() || m_busy || !m_connected || !frame->IsOnline();
    manager->ShowDesktopTerminal(data->controller, RootItemText(), busy ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnIoMonitor()
{
    CDataManager* manager = DataManager();
    const ControllerData* data = CurrentData();
    const CChildFrame* frame = Frame();
    if (!manager || !data || !frame || !frame->IsOnline() || !m_connected) return;
    manager->ShowIoMonitor(data->controller, RootItemText());
}

void CLeftpaneTreeView::OnStatusMonitor()
{
    CDataManager* manager = DataManager();
    const ControllerData* data = CurrentData();
    const CChildFrame* frame = Frame();
    if (!manager || !data || !frame || !frame->IsOnline() || !m_connected) return;
    manager->ShowStatusMonitor(data->controller, RootItemText());
}

void CLeftpaneTreeView::OnUpdateControllerDialog(CCmdUI* pCmdUI) { pCmdUI->Enable(CanTalkToController() ? TRUE : FALSE); }

void CLeftpaneTreeView::OnUpdateModeChange(CCmdUI* pCmdUI)
{
    const ControllerData* data = CurrentData();
    pCmdUI->Enable(CanTalkToController() && data && !IsPulseTrain(*data) ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnUpdateMonitor(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    pCmdUI->Enable(frame && frame->IsOnline() && m_connected && CurrentData() ? TRUE : FALSE);
}

// ------------------------------------------------------------------ transport

LRESULT CLeftpaneTreeView::LendLink(int* node, CDataManager** link)
{
    CChildFrame* frame = Frame();
    CDataManager* manager = DataManager();
    // Only a live line is lent: a dialog must never talk into a closed port.
    if (!node || !link || !frame || !frame->IsOnline() || !manager || !CurrentData() || !m_connected ||
        !manager->IsPortOpen())
        return 1;
    *node = ParameterK(38);
    *link = manager;
    return 0;
}

LRESULT CLeftpaneTreeView::ReadForDialog(HWND owner)
{
    // The dialog that asked reports a failure in its own words.
    return ReadController(true, CWnd::FromHandle(owner), false) ? 0 : 1;
}

LRESULT CLeftpaneTreeView::RescanForDialog(HWND owner)
{
    CDataManager* manager = DataManager();
    if (!manager) return 1;
    CChildFrame* frame = Frame();
    while (manager->GetControllerCount() > 0) manager->RemoveController(0);
    m_nodeMap.fill(0xFF);
    if (!manager->ScanNetwork(frame ? frame->Kind() : kOpenWindowSerial, owner) || Build() < 1) {
        ShowMessage(IDS_RESCAN_NONE, MB_OK | MB_ICONERROR);
        if (frame) frame->PostMessage(UM_CLOSEFRAME);
        return 1;
    }
    SelectController(manager->GetCurrentIndex());
    return 0;
}

template <class Run>
void CLeftpaneTreeView::RunWindowDialog(Run run)
{
    auto* main = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (main && !main->IsIdle()) return;
    std::optional<CMainFrame::BusyScope> busy;
    if (main) busy.emplace(*main);
    CPollingPause pause;
    run();
}

void CLeftpaneTreeView::OnReadData()
{
    CChildFrame* frame = Frame();
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    if (!frame || !manager || !data || RunsSimulatorHere()) return;
    if (frame->IsOnline()) {
        OnReadController();
        return;
    }
    bool read = false;
    RunWindowDialog([&] { read = RunEditDataRead(frame, *data, frame->DisplayName()); });
    if (!read) return;
    // What was read is not yet in any file: closing asks to save it.
    m_offlineNew = true;
    SelectController(manager->GetCurrentIndex());
    RefreshPanes();
    ShowMessage(IDS_DATA_READ, MB_OK | MB_ICONINFORMATION);
}

void CLeftpaneTreeView::OnTransportData()
{
    CChildFrame* frame = Frame();
    ControllerData* data = CurrentData();
    if (!frame || !data || RunsSimulatorHere()) return;
    if (frame->IsOnline()) {
        WriteToController(false);
        return;
    }
    RunWindowDialog([&] { RunWindowDataTransport(frame, *data, frame->DisplayName()); });
}

void CLeftpaneTreeView::OnChangeNode()
{
    CChildFrame* frame = Frame();
    CDataManager* manager = DataManager();
    ControllerData* data = CurrentData();
    if (!frame || !frame->IsOnline() || !manager || !data || !m_connected || RunsSimulatorHere()) return;
    const int current = ParameterK(38);
    int chosen = 0;
    RunWindowDialog([&] { chosen = ScanAndChooseNode(frame, *manager, frame->Kind(), current); });
    if (chosen == 0 || chosen == current) return;
    // Edits not written to the controller are written or dropped first:
    // the window shows only one controller at a time.
    if (HasChanges()) {
        const ControllerData* reference = manager->GetReference(manager->GetCurrentIndex());
        const bool points = reference && data->points != reference->points;
        CString question;
        question.Format(LoadFrameText(points ? IDS_ASK_WRITE_POINTS_BEFORE_NODE : IDS_ASK_WRITE_BEFORE_NODE),
                        frame->DisplayName().GetString());
        const int answer = AfxMessageBox(question.GetString(), MB_YESNOCANCEL | MB_ICONEXCLAMATION);
        if (answer == IDCANCEL) return;
        if (answer == IDYES && WriteToController(true) != 0) return;
        if (answer == IDNO) {
            CPollingPause pause;
            manager->RestoreController(manager->GetCurrentIndex());
        }
    }
    // The controller that answers at the node now must be the one the scan
    // listed (and the one this window holds for the node): a controller
    // exchanged meanwhile would get another's data written to it.
    const size_t slot = static_cast<size_t>(chosen - kFirstNode);
    int index = m_nodeMap[slot] == 0xFF ? -1 : m_nodeMap[slot];
    if (index >= 0 && !manager->GetController(index)) index = -1;
    {
        CPollingPause pause;
        CWaitScope wait(IDS_WAIT_READING);
        CString answering;
        if (!QueryControllerName(manager->GetLink(), manager->GetProtocol(), chosen, answering)) {
            ShowMessage(IDS_CD_NO_ANSWER, MB_OK | MB_ICONERROR);
            return;
        }
        const CString expected = index >= 0 ? manager->GetController(index)->controller : manager->GetNodeName(chosen);
        if (answering != expected) {
            ShowMessage(IDS_LINK_OTHER_LINE, MB_OK | MB_ICONERROR);
            return;
        }
        if (index < 0) {
            if (!manager->AddOnlineController(chosen)) return;
            index = manager->GetCurrentIndex();
            m_nodeMap[slot] = static_cast<BYTE>(index);
        }
    }
    SelectController(index);
    RefreshPanes();
}

void CLeftpaneTreeView::OnUpdateReadData(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    const bool online = frame && frame->IsOnline();
    pCmdUI->Enable(frame && CurrentData() && !RunsSimulatorHere() && (!online || m_connected) ? TRUE : FALSE);
}

void CLeftpaneTreeView::OnUpdateTransportData(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    const bool online = frame && frame->IsOnline();
    pCmdUI->Enable(frame && CurrentData() && !RunsSimulatorHere() && !m_busy && (!online || m_connected) ? TRUE
                                                                                                          : FALSE);
}

void CLeftpaneTreeView::OnUpdateChangeNode(CCmdUI* pCmdUI)
{
    const CChildFrame* frame = Frame();
    pCmdUI->Enable(frame && frame->IsOnline() && m_connected && CurrentData() && !RunsSimulatorHere() ? TRUE : FALSE);
}
