#include "manager/dialogs/DlgTransportEditdatareadV2.h"

#include "manager/widgets/ProgressWaitWnd.h"
#include "resources/manager/transport_ids.h"

#include "comm/CommManager.h"
#include "platform/ui/Edit.h"
#include "platform/core/MessageBox.h"

CDlgTransportEditdatareadV2::CDlgTransportEditdatareadV2(CWnd* pParent) : CDlgTransportBase(pParent) {}

UINT CDlgTransportEditdatareadV2::CaptionId() const { return IDS_TRANSPORT_EDIT_CAPTION; }

UINT CDlgTransportEditdatareadV2::PathLabelId() const { return IDS_TRANSPORT_DATA_NAME_LABEL; }

BOOL CDlgTransportEditdatareadV2::OnInitDialog()
{
    const BOOL result = CDlgTransportBase::OnInitDialog();
    // The data name only says which window's data are refreshed.
    if (CEdit* name = static_cast<CEdit*>(GetDlgItem(IDC_TRANSPORT_PATH))) name->SetReadOnly(TRUE);
    return result;
}

bool CDlgTransportEditdatareadV2::RunOnOpenConnection(CWnd* frame, int)
{
    if (Ask(TransportText(IDS_TRANSPORT_ASK_EDIT_READ), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return false;
    CDataManager* manager = nullptr;
    int node = 0;
    CString name;
    if (!BorrowAndIdentify(frame, manager, node, name)) return false;
    if (TransportReadIntoRecord(*manager, node)) return true;
    ShowLinkError(*manager, IDS_TRANSPORT_FAILED);
    return false;
}

bool CDlgTransportEditdatareadV2::RunOnFreeNode(int comPort, int node, const CString& scannedName)
{
    CString question;
    question.Format(TransportText(IDS_TRANSPORT_ASK_NODE), scannedName, comPort, node);
    question += u"\n" + TransportText(IDS_TRANSPORT_ASK_EDIT_READ);
    if (Ask(question, MB_OKCANCEL) != IDOK) return false;
    if (!CheckSameController(OwnManager(), node, scannedName)) return false;
    if (TransportReadIntoRecord(OwnManager(), node)) return true;
    ShowLinkError(OwnManager(), IDS_TRANSPORT_FAILED);
    return false;
}

bool CDlgTransportEditdatareadV2::TransportReadIntoRecord(CDataManager& manager, int node)
{
    if (m_record == nullptr) return false;
    auto wait = OpenProgress(IDS_WAIT_READING, true);
    ControllerDataStore store;
    ControllerDataSlot read;
    store.AllocControllerData(read);
    read->FirstParamSet()->K(38) = node;
    bool good = manager.ReadControllerIdentity(*read, TRUE, TRUE) != FALSE;
    if (good) good = CopyControllerData(m_record, read.get());
    if (wait) wait->DestroyWindow();
    return good;
}
