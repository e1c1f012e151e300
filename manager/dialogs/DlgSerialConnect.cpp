#include "manager/dialogs/DlgSerialConnect.h"
#include "manager/core/DataManager.h"

#include "resources/manager/transport_ids.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/HeaderCtrl.h"
#include "platform/ui/ResourceImages.h"

namespace {

constexpr int kIconConnect = 21003;
constexpr int kIconChoose = 21045;
constexpr int kColumnMark = 0;
constexpr int kColumnNode = 1;
constexpr int kColumnName = 2;
constexpr int kColumnText = 3;

CString Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgSerialConnect, CDialog)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_SERIAL_NODE_LIST, &CDlgSerialConnect::OnItemChanged)
    ON_BN_CLICKED(IDC_SERIAL_RESCAN, &CDlgSerialConnect::OnRescan)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgSerialConnect::CDlgSerialConnect(CWnd* pParent) : CDialog(IDD_SERIAL_CONNECT, pParent) {}

CDlgSerialConnect::~CDlgSerialConnect() = default;

void CDlgSerialConnect::SetScan(const std::array<BYTE, kScanNodes>& present,
                                const std::array<CString, kScanNodes>& names,
                                const std::array<CString, kScanNodes>& texts)
{
    m_present = present;
    m_names = names;
    m_texts = texts;
}

void CDlgSerialConnect::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SERIAL_NODE_LIST, m_list);
}

BOOL CDlgSerialConnect::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(Text(m_connectTitle ? IDS_SERIAL_CAPTION_CONNECT : IDS_SERIAL_CAPTION));
    m_hSmallIcon = static_cast<HICON>(LoadImage(AfxGetResourceHandle(),
                                                MAKEINTRESOURCE(m_connectTitle ? kIconConnect : kIconChoose),
                                                IMAGE_ICON, 16, 16, 0));
    if (m_hSmallIcon) SendMessage(WM_SETICON, 0, m_hSmallIcon.ToLParam());

    if (CHeaderCtrl* header = m_list.GetHeaderCtrl()) header->EnableWindow(FALSE);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_list.InsertColumn(kColumnMark, u"", LVCFMT_LEFT, 15);
    m_list.InsertColumn(kColumnNode, Text(IDS_SERIAL_COL_NODE), LVCFMT_LEFT, 50);
    m_list.InsertColumn(kColumnName, Text(IDS_SERIAL_COL_CONTROLLER), LVCFMT_LEFT, 100);
    m_list.InsertColumn(kColumnText, Text(IDS_SERIAL_COL_USER), LVCFMT_LEFT, 190);

    int markedRow = -1;
    for (const NodeRow& row : BuildNodeRows(m_present, m_names, m_texts, m_markedNode)) {
        const int item = m_list.InsertItem(m_list.GetItemCount(), row.marked ? u"*" : u"");
        m_list.SetItemText(item, kColumnNode, row.number);
        m_list.SetItemText(item, kColumnName, row.name);
        m_list.SetItemText(item, kColumnText, row.text);
        if (row.marked) markedRow = item;
    }
    // Only the marked row is selected; without one nothing is, so that a
    // person chooses a node before OK can be pressed.
    if (markedRow >= 0) m_list.SetItemState(markedRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    if (!m_rescanAllowed) GetDlgItem(IDC_SERIAL_RESCAN)->EnableWindow(FALSE);
    GetDlgItem(IDOK)->EnableWindow(FALSE);
    UpdateOkButton();
    m_list.SetFocus();
    return FALSE;
}

void CDlgSerialConnect::UpdateOkButton()
{
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    const bool choosable = selected >= 0 && m_list.GetItemText(selected, kColumnMark) != u"*";
    GetDlgItem(IDOK)->EnableWindow(choosable ? TRUE : FALSE);
}

void CDlgSerialConnect::OnItemChanged(NMHDR*, LRESULT* pResult)
{
    UpdateOkButton();
    *pResult = 0;
}

void CDlgSerialConnect::OnOK()
{
    if (!GetDlgItem(IDOK)->IsWindowEnabled()) return;
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0) return;
    m_markedNode = _wtoi(m_list.GetItemText(selected, kColumnNode).GetString());
    m_rescanRequested = false;
    EndDialog(IDOK);
}

void CDlgSerialConnect::OnRescan()
{
    m_rescanRequested = true;
    EndDialog(IDOK);
}

void CDlgSerialConnect::OnDestroy()
{
    if (m_hSmallIcon) {
        DestroyIcon(m_hSmallIcon);
        m_hSmallIcon = HICON();
    }
    CDialog::OnDestroy();
}

int ChooseScannedNode(CWnd* parent, CDataManager& manager, int kind, int markedNode)
{
    const HWND owner = parent ? parent->GetSafeHwnd() : HWND();
    for (;;) {
        std::array<BYTE, kScanNodes> present{};
        std::array<CString, kScanNodes> names;
        std::array<CString, kScanNodes> texts;
        for (int node = kFirstNode; node <= kLastNode; ++node) {
            const size_t slot = static_cast<size_t>(node - kFirstNode);
            present[slot] = manager.IsNodePresent(node) ? 1 : 0;
            names[slot] = manager.GetNodeName(node);
            texts[slot] = manager.GetNodeUserText(node);
        }
        CDlgSerialConnect choice(parent);
        choice.SetScan(present, names, texts);
        choice.SetMarkedNode(markedNode);
        if (choice.DoModal() != IDOK) return 0;
        if (!choice.IsRescanRequested()) return IsControllerNode(choice.GetChosenNode()) ? choice.GetChosenNode() : 0;
        if (!manager.ScanNetwork(kind, owner)) return 0;
    }
}
