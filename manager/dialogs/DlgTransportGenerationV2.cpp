#include "manager/dialogs/DlgTransportGenerationV2.h"

#include "manager/core/ControllerCommands.h"
#include "manager/dialogs/DataAddNewDlg.h"
#include "manager/core/LibraryBindings.h"
#include "manager/widgets/ProgressWaitWnd.h"
#include "resources/manager/resource_ids.h"
#include "resources/manager/transport_ids.h"

#include "comm/CommManager.h"
#include "platform/core/MessageBox.h"

CDlgTransportGenerationV2::CDlgTransportGenerationV2(CWnd* pParent)
    : CDlgTransportBase(pParent), m_completion(&CDlgTransportGenerationV2::CompleteWithWizard)
{
}

UINT CDlgTransportGenerationV2::CaptionId() const { return IDS_TRANSPORT_GENERATION_CAPTION; }

bool CDlgTransportGenerationV2::CompleteWithWizard(CWnd*, ControllerData& record)
{
    CDataAddNewDlg wizard(nullptr);
    wizard.SetInitialData(CString(), &record);
    wizard.SetGenerationMode(true);
    return wizard.DoModal() == IDOK;
}

bool CDlgTransportGenerationV2::CompleteFromDatabase(CWnd*, ControllerData& record)
{
    const CString controller = record.controller;
    const CString robot = record.robot;
    if (!FillControllerDataFromDatabase(record, controller, robot)) return false;
    LookupControllerName(controller, record.typeText);
    return true;
}

bool CDlgTransportGenerationV2::RunOnOpenConnection(CWnd* frame, int comPort)
{
    CDataManager* manager = nullptr;
    int node = 0;
    if (!BorrowLink(frame, manager, node)) {
        Show(IDS_CD_NO_ANSWER, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    manager->GetLink()->AttatchWnd(manager->GetSafeHwnd());
    CString controller;
    if (!ReadControllerName(*manager, node, controller)) return false;
    return Generate(*manager, node, comPort, controller, frame);
}

bool CDlgTransportGenerationV2::RunOnFreeNode(int comPort, int node, const CString& scannedName)
{
    return Generate(OwnManager(), node, comPort, scannedName, nullptr);
}

bool CDlgTransportGenerationV2::Generate(CDataManager& manager, int node, int comPort, const CString& controller,
                                         CWnd* frame)
{
    CString robot;
    int mode = 0;
    if (!QueryRobotName(manager.GetLink(), manager.GetProtocol(), node, robot) ||
        !QueryParameter(manager.GetLink(), manager.GetProtocol(), node, 20, mode)) {
        Show(IDS_CD_NO_ANSWER, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    ControllerDataStore store;
    m_record.reset();
    store.AllocControllerData(m_record);
    m_record->controller = controller;
    m_record->robot = robot;
    bool done = false;
    if (m_completion && m_completion(this, *m_record) &&
        TransportGenerationConfirm(comPort, controller, robot, mode, node) &&
        CheckSameController(manager, node, controller)) {
        done = TransportGenerationWrite(manager, node);
        if (done && frame != nullptr &&
            ::SendMessage(frame->GetSafeHwnd(), UM_READFROMCONTROLLER, GetSafeHwnd().ToWParam(), 0) != 0) {
            Show(IDS_TRANSPORT_WRITTEN_NOT_SHOWN, MB_OK | MB_ICONEXCLAMATION);
            done = false;
        } else if (done) {
            CString text = TransportText(IDS_TRANSPORT_DONE);
            if (manager.NeedsRestart()) text += TransportText(IDS_WRITE_RESTART);
            Show(text, MB_OK | MB_ICONINFORMATION);
        } else {
            CString text;
            manager.FormatLinkError(text, IDS_TRANSPORT_FAILED);
            if (m_partlyWritten) text += TransportText(IDS_TRANSPORT_PARTLY_WRITTEN);
            Show(text, MB_OK | MB_ICONSTOP);
        }
    }
    m_record.reset();
    return done;
}

bool CDlgTransportGenerationV2::TransportGenerationConfirm(int comPort, const CString& controller,
                                                           const CString& robot, int mode, int node)
{
    CString text;
    if (m_record->controller != controller) {
        text.Format(TransportText(IDS_TRANSPORT_OTHER_CONTROLLER), m_record->controller, controller);
        Show(text, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (m_record->robot != robot) {
        text.Format(TransportText(IDS_TRANSPORT_OTHER_ROBOT), m_record->robot, robot);
        if (Ask(text, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    }
    if ((mode & 0x3) != 2) {
        text.Format(TransportText(IDS_TRANSPORT_MODE), ModeNameOfCode(mode), mode);
        if (Ask(text, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    }
    text.Format(TransportText(IDS_TRANSPORT_ASK_NODE), controller, comPort, node);
    text += TransportText(IDS_TRANSPORT_ASK_GENERATE) + TransportText(IDS_ASK_WRITE_NOTE);
    return Ask(text, MB_OKCANCEL) == IDOK;
}

bool CDlgTransportGenerationV2::TransportGenerationWrite(CDataManager& manager, int node)
{
    m_partlyWritten = false;
    auto wait = OpenProgress(IDS_TRANSPORT_WRITING, false);
    ControllerDataStore store;
    ControllerDataSlot current;
    store.AllocControllerData(current);
    current->FirstParamSet()->K(38) = node;
    bool good = manager.ReadControllerIdentity(*current, TRUE, TRUE) != FALSE;
    if (good) {
        m_record->FirstParamSet()->K(38) = node;
        if (KeepControllerNetworkSettings(*m_record, *current)) good = manager.WriteDefaultComData(node) != FALSE;
        if (good && !manager.WriteControllerData(*m_record, *current, TRUE)) {
            good = false;
            m_partlyWritten = true;
        }
    }
    if (wait) wait->DestroyWindow();
    return good;
}
