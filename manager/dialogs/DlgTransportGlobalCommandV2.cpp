#include "manager/dialogs/DlgTransportGlobalCommandV2.h"

#include "manager/widgets/ProgressWaitWnd.h"
#include "resources/manager/resource_ids.h"
#include "resources/manager/transport_ids.h"

#include "comm/CommManager.h"
#include "platform/core/MessageBox.h"

CDlgTransportGlobalCommandV2::CDlgTransportGlobalCommandV2(CWnd* pParent) : CDlgTransportBase(pParent) {}

UINT CDlgTransportGlobalCommandV2::CaptionId() const { return IDS_DM_RENUMBER_TITLE; }

UINT CDlgTransportGlobalCommandV2::TreeLabelId() const { return IDS_TRANSPORT_LINE_LABEL; }

bool CDlgTransportGlobalCommandV2::CheckConnection(const ChosenConnection& chosen)
{
    // The command addresses every controller of a serial line; a TCP link
    // reaches one controller and has no line to renumber.
    if (chosen.data == kConnectionOpenTcp) {
        Show(IDS_TRANSPORT_GLOBAL_SERIAL_ONLY, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CDlgTransportGlobalCommandV2::TransportGlobalConfirm(int comPort)
{
    CString note = TransportText(IDS_ASK_WRITE_NOTE);
    note.TrimLeft(u"\r\n");
    CString text;
    text.Format(TransportText(IDS_TRANSPORT_ASK_GLOBAL), comPort);
    text += u"\n" + note;
    return Ask(text, MB_OKCANCEL) == IDOK;
}

bool CDlgTransportGlobalCommandV2::TransportGlobalWrite(CDataManager& manager)
{
    auto wait = OpenProgress(IDS_TRANSPORT_SENDING_GLOBAL, false);
    const bool good = manager.WriteScanParameter() != FALSE;
    if (wait) wait->DestroyWindow();
    return good;
}

void CDlgTransportGlobalCommandV2::ShowNodeList(const CDataManager& manager)
{
    CString list = TransportText(IDS_DM_SCAN_RESULT);
    for (int node = kFirstNode; node <= kLastNode; ++node)
        if (manager.IsNodePresent(node)) list.AppendFormat(u"%02d : %s\n", node, manager.GetNodeName(node));
    Show(list, MB_OK | MB_ICONINFORMATION);
}

bool CDlgTransportGlobalCommandV2::RunOnOpenConnection(CWnd* frame, int comPort)
{
    CDataManager* manager = nullptr;
    int node = 0;
    CString name;
    if (!BorrowAndIdentify(frame, manager, node, name)) return false;
    if (!TransportGlobalConfirm(comPort)) return false;
    if (!CheckSameController(*manager, node, name)) return false;
    if (!TransportGlobalWrite(*manager)) {
        ShowLinkError(*manager, IDS_OPERATION_FAILED);
        return false;
    }
    if (::SendMessage(frame->GetSafeHwnd(), UM_RESCANLINK, GetSafeHwnd().ToWParam(), 0) != 0) return false;
    ShowNodeList(*manager);
    return true;
}

bool CDlgTransportGlobalCommandV2::RunOnFreePort(int comPort)
{
    // Asked before the port is opened: the scan that follows already talks
    // to every controller of the line.
    if (!TransportGlobalConfirm(comPort)) return false;
    CDataManager& manager = OwnManager();
    if (!OpenAndScan(comPort)) return false;
    const bool written = TransportGlobalWrite(manager);
    CString failure;
    if (!written) manager.FormatLinkError(failure, IDS_OPERATION_FAILED);
    const bool rescanned = written && manager.ScanNetwork(kLinkSerial, GetSafeHwnd());
    manager.GetLink()->Close();
    if (!written) {
        Show(failure, MB_OK | MB_ICONSTOP);
        return false;
    }
    // The rescan reports its own failure, and on success shows the list of
    // the nodes that answered; a second box with the same list would only
    // have to be closed twice.
    return rescanned;
}
