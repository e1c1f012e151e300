#include "manager/dialogs/DlgTransportV2.h"

#include "manager/app/FilePathRules.h"
#include "manager/core/ControllerCommands.h"
#include "manager/core/SystemHelpers.h"
#include "manager/dialogs/TransportHost.h"
#include "manager/widgets/ProgressWaitWnd.h"
#include "resources/manager/resource_ids.h"
#include "resources/manager/transport_ids.h"

#include "comm/CommManager.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Paths.h"
#include "platform/ui/FileDialog.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr int kK80FieldBus = 2;

std::filesystem::path FsPath(const CString& path)
{
    return std::filesystem::path(platform::NormalizePath(path).ToUtf8());
}

CString FileTitleOrPath(const CString& path)
{
    const CString title = platform::FileNameOf(path);
    return title.IsEmpty() ? path : title;
}

}  // namespace

bool IsSameFilePath(const CString& a, const CString& b)
{
    if (a.IsEmpty() || b.IsEmpty()) return false;
    std::error_code error;
    const std::filesystem::path first = std::filesystem::weakly_canonical(FsPath(a), error);
    if (error) return a == b;
    const std::filesystem::path second = std::filesystem::weakly_canonical(FsPath(b), error);
    if (error) return a == b;
    return first == second;
}

bool IsFileOpenInWindow(const CString& path)
{
    const COpenWindowRegistry* windows = GetTransportHost().GetOpenWindows();
    if (windows == nullptr) return false;
    for (const OpenWindowEntry& entry : windows->Entries())
        if (entry.kind == kOpenWindowOffline && IsSameFilePath(entry.name, path)) return true;
    return false;
}

CDlgTransportV2::CDlgTransportV2(CWnd* pParent) : CDlgTransportBase(pParent) {}

UINT CDlgTransportV2::CaptionId() const
{
    if (m_mode == kToFile) return IDS_TRANSPORT_READ_CAPTION;
    return m_project ? IDS_TRANSPORT_PROJECT_CAPTION : IDS_TRANSPORT_WRITE_CAPTION;
}

UINT CDlgTransportV2::PathLabelId() const
{
    return m_mode == kToFile ? IDS_TRANSPORT_FILE_LABEL : IDS_TRANSPORT_WRITE_LABEL;
}

std::vector<ConnectionTreeItem> CDlgTransportV2::BuildTree()
{
    if (m_mode == kToFile && m_project) return BuildPresetConnectionTree(m_comPort, m_address);
    return CDlgTransportBase::BuildTree();
}

bool CDlgTransportV2::CheckPath()
{
    // The file about to be written may be typed as well as browsed: it must
    // not be the file of an open window, whatever its spelling.
    if (m_mode == kToFile && IsFileOpenInWindow(m_path)) {
        Show(IDS_TRANSPORT_FILE_IN_WINDOW, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CDlgTransportV2::OnBrowse()
{
    const CString extension = DefaultExtension(IDS_DATA_FILE_EXTENSION);
    CString filter;
    filter.Format(TransportText(IDS_DATA_FILE_FILTER), extension, extension);
    const DWORD flags = (m_mode == kToFile ? OFN_OVERWRITEPROMPT : 0) | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                        OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    CFileDialog dialog(m_mode == kToFile ? FALSE : TRUE, extension, PathText(), flags, filter, nullptr);
    if (dialog.DoModal() != IDOK) return;
    const CString path = dialog.GetPathName();
    if (!IsAcceptedFilePath(path, IDS_DATA_FILE_EXTENSION)) {
        Show(IDS_PATH_TOO_LONG, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (m_mode == kToFile && IsFileOpenInWindow(path)) {
        Show(IDS_TRANSPORT_FILE_IN_WINDOW, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    SetDlgItemText(IDC_TRANSPORT_PATH, path);
}

CString CDlgTransportV2::WriteNote(int k80) const
{
    CString note = TransportText(IDS_ASK_WRITE_NOTE);
    if (k80 == kK80FieldBus) note += u"\n" + TransportText(IDS_ASK_WRITE_FIELD_BUS);
    return note;
}

bool CDlgTransportV2::RunOnOpenConnection(CWnd* frame, int)
{
    CDataManager* manager = nullptr;
    int node = 0;
    if (!BorrowLink(frame, manager, node)) {
        Show(IDS_CD_NO_ANSWER, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    CString controller;
    CString robot;
    int mode = 0;
    if (m_mode == kToController) {
        manager->GetLink()->AttatchWnd(manager->GetSafeHwnd());
        if (!QueryControllerName(manager->GetLink(), manager->GetProtocol(), node, controller) ||
            !QueryRobotName(manager->GetLink(), manager->GetProtocol(), node, robot) ||
            !QueryParameter(manager->GetLink(), manager->GetProtocol(), node, 20, mode)) {
            Show(IDS_CD_NO_ANSWER, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    int k80 = 0;
    if (!TransportConfirm(controller, robot, mode, k80)) return false;
    CString question = TransportText(IDS_TRANSPORT_ASK_WINDOW);
    if (m_mode == kToController) question += WriteNote(k80);
    if (Ask(question, MB_OKCANCEL | (m_mode == kToFile ? MB_ICONQUESTION : 0)) != IDOK) return false;

    if (m_mode == kToController && !CheckSameController(*manager, node, controller)) return false;
    if (!RunOperation(*manager, node)) {
        ShowFailure(*manager);
        return false;
    }
    if (m_mode == kToController) {
        // The window shows what the controller now holds.
        if (::SendMessage(frame->GetSafeHwnd(), UM_READFROMCONTROLLER, GetSafeHwnd().ToWParam(), 0) != 0) {
            Show(IDS_TRANSPORT_WRITTEN_NOT_SHOWN, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    CString done = TransportText(IDS_TRANSPORT_DONE);
    if (m_mode == kToController && manager->NeedsRestart()) done += TransportText(IDS_WRITE_RESTART);
    Show(done, MB_OK | MB_ICONINFORMATION);
    return true;
}

bool CDlgTransportV2::RunOnFreeNode(int comPort, int node, const CString& scannedName)
{
    CDataManager& manager = OwnManager();
    CString robot;
    int mode = 0;
    if (!QueryRobotName(manager.GetLink(), manager.GetProtocol(), node, robot) ||
        !QueryParameter(manager.GetLink(), manager.GetProtocol(), node, 20, mode)) {
        Show(IDS_CD_NO_ANSWER, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    int k80 = 0;
    if (!TransportConfirm(scannedName, robot, mode, k80)) return false;

    CString question;
    question.Format(TransportText(m_mode == kToFile ? IDS_TRANSPORT_ASK_READ_FILE : IDS_TRANSPORT_ASK_WRITE_FILE),
                    FileTitleOrPath(m_path));
    CString where;
    where.Format(TransportText(IDS_TRANSPORT_ASK_NODE), scannedName, comPort, node);
    question += where;
    question += TransportText(m_mode == kToFile ? IDS_TRANSPORT_ASK_READ : IDS_TRANSPORT_ASK_WRITE);
    if (m_mode == kToController) question += WriteNote(k80);
    if (Ask(question, MB_OKCANCEL | (m_mode == kToFile ? MB_ICONQUESTION : 0)) != IDOK) return false;

    if (!CheckSameController(manager, node, scannedName)) return false;
    if (!RunOperation(manager, node)) {
        ShowFailure(manager);
        return false;
    }
    CString done = TransportText(IDS_TRANSPORT_DONE);
    if (m_mode == kToController && manager.NeedsRestart()) done += TransportText(IDS_WRITE_RESTART);
    Show(done, MB_OK | MB_ICONINFORMATION);
    return true;
}

bool CDlgTransportV2::RunOperation(CDataManager& manager, int node)
{
    m_failure = Failure::None;
    return m_mode == kToFile ? TransportReadToFile(manager, node) : TransportWriteFromFile(manager, node);
}

void CDlgTransportV2::ShowFailure(CDataManager& manager)
{
    CString text;
    switch (m_failure) {
    case Failure::FileWrite:
        text.Format(TransportText(IDS_TRANSPORT_FILE_NOT_WRITTEN), m_path);
        Show(text, MB_OK | MB_ICONSTOP);
        return;
    case Failure::FileRead:
        text.Format(TransportText(IDS_TRANSPORT_FILE_UNREADABLE), m_path);
        Show(text, MB_OK | MB_ICONSTOP);
        return;
    case Failure::PartlyWritten:
        manager.FormatLinkError(text, IDS_TRANSPORT_FAILED);
        text += TransportText(IDS_TRANSPORT_PARTLY_WRITTEN);
        Show(text, MB_OK | MB_ICONSTOP);
        return;
    default:
        ShowLinkError(manager, IDS_TRANSPORT_FAILED);
        return;
    }
}

bool CDlgTransportV2::TransportConfirm(const CString& controller, const CString& robot, int mode, int& k80)
{
    k80 = 0;
    if (m_mode == kToFile) return true;
    CString dataController;
    CString dataRobot;
    bool readable = true;
    TransportReadSourceSummary(dataController, dataRobot, k80, readable);
    if (!readable) {
        CString text;
        text.Format(TransportText(IDS_TRANSPORT_FILE_UNREADABLE), m_path);
        Show(text, MB_OK | MB_ICONSTOP);
        return false;
    }
    for (const WriteCheck& check : PlanWriteChecks(dataController, dataRobot, controller, robot, mode, m_pairs)) {
        CString text;
        if (check.messageId == IDS_TRANSPORT_MODE) text.Format(TransportText(check.messageId), check.first, check.code);
        else text.Format(TransportText(check.messageId), check.first, check.second);
        if (check.kind == WriteCheck::Kind::Stop) {
            Show(text, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        if (Ask(text, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    }
    return true;
}

bool CDlgTransportV2::TransportReadSourceSummary(CString& controller, CString& robot, int& k80, bool& readable)
{
    readable = true;
    if (m_project) {
        controller = m_project->controller;
        robot = m_project->robot;
        const RobotParameterSet* set = m_project->FirstParamSet();
        k80 = set ? set->K(80) : 0;
        return true;
    }
    ControllerDataStore store;
    ControllerDataSlot record;
    store.AllocControllerData(record);
    if (!store.ReadControllerDataFile(m_path.GetString(), *record, true, false, true)) {
        readable = false;
        controller.Empty();
        robot.Empty();
        k80 = 0;
        return false;
    }
    const CString missingController = record->controller.IsEmpty() ? TransportText(IDS_DM_MISSING_CONTROLLER) : CString();
    const CString missingRobot = record->robot.IsEmpty() ? TransportText(IDS_DM_MISSING_ROBOT) : CString();
    const CString missingInterface =
        record->interfaceText.IsEmpty() ? TransportText(IDS_DM_MISSING_INTERFACE) : CString();
    if (!missingController.IsEmpty() || !missingRobot.IsEmpty() || !missingInterface.IsEmpty()) {
        CString text = TransportText(IDS_DM_FILE_INCOMPLETE);
        for (const CString& part : {missingController, missingRobot, missingInterface})
            if (!part.IsEmpty()) text += u"\n" + part;
        Show(text, MB_OK | MB_ICONEXCLAMATION);
    }
    controller = record->controller;
    robot = record->robot;
    const RobotParameterSet* set = record->FirstParamSet();
    k80 = set ? set->K(80) : 0;
    return true;
}

bool CDlgTransportV2::TransportReadToFile(CDataManager& manager, int node)
{
    auto wait = OpenProgress(IDS_TRANSPORT_READING, true);
    ControllerDataStore store;
    ControllerDataSlot record;
    store.AllocControllerData(record);
    bool good = false;
    if (m_project) {
        good = CopyControllerData(record.get(), m_project);
    } else {
        record->FirstParamSet()->K(38) = node;
        good = manager.ReadControllerIdentity(*record, TRUE, TRUE) != FALSE;
    }
    if (!good) {
        m_failure = Failure::Link;
    } else if (!store.WriteControllerDataFile(m_path.GetString(), *record, true, true, true)) {
        m_failure = Failure::FileWrite;
        good = false;
    }
    if (wait) wait->DestroyWindow();
    return good;
}

bool CDlgTransportV2::TransportWriteFromFile(CDataManager& manager, int node)
{
    auto wait = OpenProgress(IDS_TRANSPORT_WRITING, false);
    ControllerDataStore store;
    ControllerDataSlot target;
    ControllerDataSlot current;
    store.AllocControllerData(target);
    store.AllocControllerData(current);
    current->FirstParamSet()->K(38) = node;
    bool good = manager.ReadControllerIdentity(*current, TRUE, TRUE) != FALSE;
    if (!good) {
        m_failure = Failure::Link;
    } else {
        // Parameters the file does not list keep the controller's values.
        target->FirstParamSet()->values = current->FirstParamSet()->values;
        if (m_project) {
            good = CopyControllerData(target.get(), m_project);
            if (!good) m_failure = Failure::FileRead;
        } else if (!store.ReadControllerDataFile(m_path.GetString(), *target, true, true, true)) {
            good = false;
            m_failure = Failure::FileRead;
        }
        // The data address the node chosen, whatever node the file was read from.
        if (good) target->FirstParamSet()->K(38) = node;
        if (good && !manager.WriteControllerData(*target, *current, TRUE)) {
            good = false;
            m_failure = Failure::PartlyWritten;
        }
    }
    if (wait) wait->DestroyWindow();
    return good;
}
