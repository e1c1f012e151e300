#include "manager/dialogs/DlgTransportAlarmV2.h"

#include "manager/app/AlarmHistory.h"
#include "manager/app/FilePathRules.h"
#include "manager/core/ControllerCommands.h"
#include "manager/widgets/ProgressWaitWnd.h"
#include "resources/manager/resource_ids.h"
#include "resources/manager/transport_ids.h"

#include "comm/CommManager.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Paths.h"
#include "platform/ui/FileDialog.h"

namespace {

constexpr char16_t kTimeOut[] = u"TimeOut";

}  // namespace

CDlgTransportAlarmV2::CDlgTransportAlarmV2(CWnd* pParent) : CDlgTransportBase(pParent) {}

UINT CDlgTransportAlarmV2::CaptionId() const { return IDS_TRANSPORT_ALARM_CAPTION; }

UINT CDlgTransportAlarmV2::PathLabelId() const { return IDS_TRANSPORT_FILE_LABEL; }

void CDlgTransportAlarmV2::OnBrowse()
{
    const CString extension = DefaultExtension(IDS_ALARM_FILE_EXTENSION);
    CString filter;
    filter.Format(TransportText(IDS_CD_ALM_FILE_FILTER), extension, extension);
    CFileDialog dialog(FALSE, extension, PathText(),
                       OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       filter, nullptr);
    if (dialog.DoModal() != IDOK) return;
    const CString path = dialog.GetPathName();
    if (!IsAcceptedFilePath(path, IDS_ALARM_FILE_EXTENSION)) {
        Show(IDS_PATH_TOO_LONG, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    SetDlgItemText(IDC_TRANSPORT_PATH, path);
}

bool CDlgTransportAlarmV2::RunOnOpenConnection(CWnd* frame, int)
{
    if (Ask(TransportText(IDS_TRANSPORT_ASK_WINDOW), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return false;
    CDataManager* manager = nullptr;
    int node = 0;
    CString name;
    if (!BorrowAndIdentify(frame, manager, node, name)) return false;
    return Finish(*manager, TransportReadAlarms(*manager, node));
}

bool CDlgTransportAlarmV2::RunOnFreeNode(int comPort, int node, const CString& scannedName)
{
    CString question;
    question.Format(TransportText(IDS_TRANSPORT_ASK_READ_FILE), platform::FileNameOf(m_path));
    CString where;
    where.Format(TransportText(IDS_TRANSPORT_ASK_NODE), scannedName, comPort, node);
    question += where + TransportText(IDS_TRANSPORT_ASK_ALARM);
    if (Ask(question, MB_OKCANCEL) != IDOK) return false;
    if (!CheckSameController(OwnManager(), node, scannedName)) return false;
    return Finish(OwnManager(), TransportReadAlarms(OwnManager(), node));
}

bool CDlgTransportAlarmV2::Finish(CDataManager& manager, bool good)
{
    if (good) {
        CString text = TransportText(IDS_CD_ALM_SAVED);
        if (m_recordCount == 0) text += TransportText(IDS_TRANSPORT_ALARM_EMPTY);
        Show(text, MB_OK | MB_ICONINFORMATION);
        return true;
    }
    if (m_failure == Failure::Save) {
        CString text;
        text.Format(TransportText(IDS_TRANSPORT_FILE_NOT_WRITTEN), m_path);
        Show(text, MB_OK | MB_ICONSTOP);
    } else {
        ShowLinkError(manager, IDS_SAVE_FAILED);
    }
    return false;
}

bool CDlgTransportAlarmV2::TransportReadAlarms(CDataManager& manager, int node)
{
    m_failure = Failure::Link;
    m_recordCount = 0;
    auto wait = OpenProgress(IDS_TRANSPORT_READING_ALARM, true);
    ControllerDataStore store;
    ControllerDataSlot record;
    store.AllocControllerData(record);
    record->FirstParamSet()->K(38) = node;
    bool good = manager.ReadControllerIdentity(*record, FALSE, FALSE) != FALSE;
    int decimals = 0;
    if (good) good = QueryParameter(manager.GetLink(), manager.GetProtocol(), node, 72, decimals) != FALSE;
    if (good) {
        record->FirstParamSet()->K(72) = decimals;
        CCommManager* link = manager.GetLink();
        CControllerProtocol* protocol = manager.GetProtocol();
        const AlarmHistoryRead read = ReadAlarmHistoryText(*record, [&](int index, AlarmRecord& out) {
            if (QueryRecord(link, protocol, node, index, out)) return AlarmQuery::Ok;
            return protocol->GetLastErrorText() == kTimeOut ? AlarmQuery::TimedOut : AlarmQuery::Failed;
        });
        m_recordCount = read.recordCount;
        // A time-out leaves no text: nothing is saved and one message says why.
        good = !read.timedOut && !read.text.IsEmpty();
        if (good && !SaveAlarmHistoryFile(m_path, read.text)) {
            good = false;
            m_failure = Failure::Save;
        }
    }
    if (good) m_failure = Failure::None;
    if (wait) wait->DestroyWindow();
    return good;
}
