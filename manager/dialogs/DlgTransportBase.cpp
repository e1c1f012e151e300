#include "manager/dialogs/DlgTransportBase.h"

#include "manager/core/ControllerCommands.h"
#include "manager/core/SystemHelpers.h"
#include "manager/dialogs/DlgSerialConnect.h"
#include "manager/dialogs/TransportHost.h"
#include "manager/widgets/GradientProgressCtrl.h"
#include "manager/widgets/ProgressWaitWnd.h"
#include "resources/manager/resource_ids.h"
#include "resources/manager/transport_ids.h"

#include "tools/CommSetPSheet.h"

#include "comm/CommManager.h"
#include "platform/core/MessageBox.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/ResourceImages.h"

CString TransportText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

namespace {

constexpr int kRunControls[] = {IDC_TRANSPORT_BROWSE, IDC_TRANSPORT_TREE, IDOK, IDCANCEL, IDC_TRANSPORT_SETTINGS};
constexpr int kTransferIconSize = 32;

bool ShowsSettings(int level) { return level == 3 || level == 4 || level == 5; }

// The transfer icons are the program's, loaded once and kept for the process.
HICON* TransferIcons()
{
    static HICON icons[2] = {
        static_cast<HICON>(LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_TRANSFER_DATA), IMAGE_ICON,
                                     kTransferIconSize, kTransferIconSize, 0)),
        static_cast<HICON>(LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_TRANSFER_CONTROLLER), IMAGE_ICON,
                                     kTransferIconSize, kTransferIconSize, 0)),
    };
    return icons;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgTransportBase, CDialog)
    ON_BN_CLICKED(IDC_TRANSPORT_BROWSE, &CDlgTransportBase::OnBrowseClicked)
    ON_BN_CLICKED(IDC_TRANSPORT_SETTINGS, &CDlgTransportBase::OnCommSettings)
    ON_NOTIFY(NM_DBLCLK, IDC_TRANSPORT_TREE, &CDlgTransportBase::OnTreeDoubleClick)
END_MESSAGE_MAP()

CDlgTransportBase::CDlgTransportBase(CWnd* pParent) : CDialog(IDD_TRANSPORT, pParent) {}

CDlgTransportBase::~CDlgTransportBase()
{
    m_own.GetLink()->Close();
    if (m_tree.GetSafeHwnd()) m_tree.DestroyWindow();
}

void CDlgTransportBase::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TRANSPORT_TREE, m_tree);
}

UINT CDlgTransportBase::TreeLabelId() const { return IDS_TRANSPORT_TREE_LABEL; }

BOOL CDlgTransportBase::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(TransportText(CaptionId()));
    if (PathLabelId() != 0) {
        SetDlgItemText(IDC_TRANSPORT_LABEL, TransportText(PathLabelId()));
        SetDlgItemText(IDC_TRANSPORT_PATH, m_path);
        if (!ShowsBrowse()) GetDlgItem(IDC_TRANSPORT_BROWSE)->ShowWindow(SW_HIDE);
    } else {
        for (int id : {IDC_TRANSPORT_LABEL, IDC_TRANSPORT_PATH, IDC_TRANSPORT_BROWSE})
            GetDlgItem(id)->ShowWindow(SW_HIDE);
        // The tree takes the room of the path, so no blank band stays above it.
        CRect top;
        CRect label;
        CRect tree;
        GetDlgItem(IDC_TRANSPORT_LABEL)->GetWindowRect(&top);
        GetDlgItem(IDC_TRANSPORT_TREE_LABEL)->GetWindowRect(&label);
        GetDlgItem(IDC_TRANSPORT_TREE)->GetWindowRect(&tree);
        ScreenToClient(&top);
        ScreenToClient(&label);
        ScreenToClient(&tree);
        const int shift = label.top - top.top;
        GetDlgItem(IDC_TRANSPORT_TREE_LABEL)->MoveWindow(label.left, label.top - shift, label.Width(), label.Height());
        GetDlgItem(IDC_TRANSPORT_TREE)->MoveWindow(tree.left, tree.top - shift, tree.Width(), tree.Height() + shift);
    }
    SetDlgItemText(IDC_TRANSPORT_TREE_LABEL, TransportText(TreeLabelId()));
    SetDlgItemText(IDC_TRANSPORT_SETTINGS, TransportText(IDS_TRANSPORT_SETTINGS));
    if (!ShowsSettings(GetTransportHost().GetAccessLevel())) GetDlgItem(IDC_TRANSPORT_SETTINGS)->ShowWindow(SW_HIDE);

    m_tree.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    FillTree();
    const int preset = FindPreselectedItem(m_items, m_comPort, m_address);
    if (preset >= 0) m_tree.SelectItem(m_handles[static_cast<size_t>(preset)]);
    return TRUE;
}

std::vector<ConnectionTreeItem> CDlgTransportBase::BuildTree()
{
    std::vector<int> openPorts;
    std::vector<DWORD> tcpAddresses;
    if (const COpenWindowRegistry* windows = GetTransportHost().GetOpenWindows()) {
        windows->GetOpenComPorts(openPorts);
        windows->GetOpenTcpAddresses(tcpAddresses);
    }
    std::vector<int> freePorts;
    ProbeComPort(m_own.GetLink()->GetMaxComPort(), freePorts);
    return BuildConnectionTree(openPorts, freePorts, tcpAddresses, WithOpenSerialGroup());
}

void CDlgTransportBase::FillTree()
{
    m_tree.DeleteAllItems();
    m_items = BuildTree();
    m_handles.clear();
    for (const ConnectionTreeItem& item : m_items) {
        const HTREEITEM parent = item.parent >= 0 ? m_handles[static_cast<size_t>(item.parent)] : TVI_ROOT;
        CString text;
        text.Format(u"%s", item.text);
        const HTREEITEM handle = m_tree.InsertItem(text, parent, TVI_LAST);
        m_tree.SetItemData(handle, static_cast<DWORD_PTR>(item.data));
        m_handles.push_back(handle);
    }
    for (HTREEITEM handle : m_handles)
        if (m_tree.ItemHasChildren(handle)) m_tree.Expand(handle, TVE_EXPAND);
}

const ConnectionTreeItem* CDlgTransportBase::SelectedItem() const
{
    const HTREEITEM selected = m_tree.GetSelectedItem();
    if (selected == nullptr) return nullptr;
    for (size_t i = 0; i < m_handles.size(); ++i)
        if (m_handles[i] == selected) return &m_items[i];
    return nullptr;
}

CString CDlgTransportBase::PathText()
{
    CString text;
    GetDlgItemText(IDC_TRANSPORT_PATH, text);
    return text;
}

void CDlgTransportBase::EnableRunControls(bool enable)
{
    for (int id : kRunControls)
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable ? TRUE : FALSE);
}

void CDlgTransportBase::OnOK()
{
    // One run at a time, and none once the dialog has ended (the second half
    // of a double click).
    if (m_running || !ContinueModal()) return;
    m_path = PathText();
    if (NeedsPath() && !m_path.IsEmpty() && !CheckPath()) return;
    const ConnectionTreeItem* selected = SelectedItem();
    if (const UINT refusal = CheckTransportChoice(NeedsPath(), m_path, selected)) {
        Show(refusal, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const ChosenConnection chosen = ReadConnectionItem(*selected);
    m_comPort = 0;
    m_address = 0;
    if (chosen.data == kConnectionOpenTcp) m_address = chosen.address;
    else m_comPort = static_cast<WORD>(chosen.comPort);
    if (!CheckConnection(chosen)) return;

    CWnd* frame = nullptr;
    if (chosen.data != kConnectionFreePort) {
        OpenWindowEntry key;
        key.kind = chosen.data == kConnectionOpenTcp ? kOpenWindowTcp : kOpenWindowSerial;
        key.comPort = static_cast<std::int16_t>(chosen.comPort);
        key.address = chosen.address;
        const COpenWindowRegistry* windows = GetTransportHost().GetOpenWindows();
        frame = windows ? windows->Find(key) : nullptr;
        // The window closed while the dialog was open: the user chooses again.
        if (frame == nullptr) return;
        if (ChecksSimulatorWindow() && frame == GetTransportHost().GetSimulatorWindow()) {
            Show(IDS_SIM_WINDOW_BUSY, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }

    m_running = true;
    EnableRunControls(false);
    const bool done = chosen.data == kConnectionFreePort ? RunOnFreePort(chosen.comPort)
                                                         : RunOnOpenConnection(frame, chosen.comPort);
    m_running = false;
    if (done) {
        EndDialog(IDOK);
        return;
    }
    EnableRunControls(true);
    if (CWnd* settings = GetDlgItem(IDC_TRANSPORT_SETTINGS)) settings->EnableWindow(TRUE);
}

void CDlgTransportBase::OnTreeDoubleClick(NMHDR*, LRESULT* pResult)
{
    OnOK();
    *pResult = 1;
}

void CDlgTransportBase::OnBrowseClicked()
{
    if (!m_running) OnBrowse();
}

void CDlgTransportBase::OnCommSettings()
{
    const ConnectionTreeItem* selected = SelectedItem();
    if (const UINT refusal = CheckCommSettingsChoice(selected)) {
        Show(refusal, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    commsettag settings{};
    m_own.GetLink()->GetCommSet(&settings);
    CCommSetPSheet sheet(this, 0);
    if (sheet.Initialize(selected->text, &settings) && sheet.DoModal() == IDOK) m_own.GetLink()->SetCommSet(&settings);
}

bool CDlgTransportBase::RunOnFreePort(int comPort)
{
    bool done = false;
    if (OpenAndScan(comPort)) {
        const int node = ChooseNode();
        if (node != 0) done = RunOnFreeNode(comPort, node, m_own.GetNodeName(node));
    }
    m_own.GetLink()->Close();
    return done;
}

bool CDlgTransportBase::OpenAndScan(int comPort)
{
    m_own.GetLink()->Close();
    if (!m_own.OpenPort(kLinkSerial, static_cast<DWORD>(comPort))) return false;
    m_own.GetLink()->AttatchWnd(m_own.GetSafeHwnd());
    if (m_own.ScanNetwork(kLinkSerial, GetSafeHwnd())) return true;
    m_own.GetLink()->Close();
    return false;
}

int CDlgTransportBase::ChooseNode() { return ChooseScannedNode(this, m_own, kLinkSerial); }

bool CDlgTransportBase::BorrowLink(CWnd* frame, CDataManager*& manager, int& node)
{
    manager = nullptr;
    node = 1;
    if (frame == nullptr || !::IsWindow(frame->GetSafeHwnd())) return false;
    const LRESULT answer = ::SendMessage(frame->GetSafeHwnd(), UM_GETLINKOFWINDOW, reinterpret_cast<WPARAM>(&node),
                                         reinterpret_cast<LPARAM>(&manager));
    return answer == 0 && manager != nullptr && IsControllerNode(node);
}

bool CDlgTransportBase::BorrowAndIdentify(CWnd* frame, CDataManager*& manager, int& node, CString& name)
{
    if (!BorrowLink(frame, manager, node)) return false;
    manager->GetLink()->AttatchWnd(manager->GetSafeHwnd());
    return ReadControllerName(*manager, node, name);
}

int CDlgTransportBase::Ask(const CString& text, UINT type)
{
    CloseActiveProgressWaitWnd();
    return ::MessageBoxW(GetSafeHwnd(), text, TransportText(IDS_APP_NAME), type);
}

void CDlgTransportBase::Show(const CString& text, UINT type) { Ask(text, type); }

void CDlgTransportBase::Show(UINT stringId, UINT type) { Ask(TransportText(stringId), type); }

void CDlgTransportBase::ShowLinkError(const CDataManager& manager, UINT stringId)
{
    CString text;
    manager.FormatLinkError(text, stringId);
    Show(text, MB_OK | MB_ICONSTOP);
}

bool CDlgTransportBase::ReadControllerName(CDataManager& manager, int node, CString& name)
{
    name.Empty();
    if (QueryControllerName(manager.GetLink(), manager.GetProtocol(), node, name)) return true;
    Show(IDS_CD_NO_ANSWER, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CDlgTransportBase::CheckSameController(CDataManager& manager, int node, const CString& expected)
{
    CString name;
    if (!ReadControllerName(manager, node, name)) return false;
    if (name == expected) return true;
    Show(IDS_TRANSPORT_OTHER_NODE, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

std::unique_ptr<CProgressWaitWnd> CDlgTransportBase::OpenProgress(UINT messageId, bool reading)
{
    auto wait = std::make_unique<CProgressWaitWnd>(FALSE, CGradientProgressCtrl::kTransferStyle, FALSE, FALSE, FALSE,
                                                   reading ? 0 : 1);
    HICON* icons = TransferIcons();
    wait->SetIcons(&icons[0], &icons[1]);
    if (!wait->Create(this, CDataManager::kWaitWindowWidth, CDataManager::kWaitWindowHeight)) return nullptr;
    wait->SetMessageFont(GetFont());
    wait->SetMessage(TransportText(messageId));
    wait->Show();
    return wait;
}
