#include "manager/core/DataManager.h"

#include "comm/AnswerLine.h"
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerDataFile.h"
#include "manager/core/ManagerWindows.h"
#include "manager/core/NumberText.h"
#include "manager/core/ReplyText.h"
#include "manager/core/SystemHelpers.h"
#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Time.h"
#include "resources/manager/resource_ids.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

namespace {

constexpr char16_t kTimeOutText[] = u"TimeOut";
constexpr int kLinkErrorCode = 0x49;
constexpr char16_t kEthernetInterface[] = u"EtherNet/IP";
constexpr char16_t kPulseTrainModel[] = u"LB";
constexpr DWORD kHoldRetryMs = 10;
constexpr DWORD kStopQueryIntervalMs = 100;

// What the process keeps for all data managers; touched on the user-interface
// thread only, except the I/O monitor pointer that the poll reads.
struct ProcessState {
    std::vector<CDataManager*> alive;  // in order of construction
    CDataManager* current = nullptr;
    std::shared_ptr<StatusCells> cells;
    std::unique_ptr<CStatusPoller> poller;
    std::unique_ptr<IDesktopTerminal> terminal;
    std::unique_ptr<IIoMonitor> ioMonitor;
    std::unique_ptr<IStatusMonitor> statusMonitor;
    std::atomic<IIoMonitor*> ioMonitorForPoll{nullptr};
};

ProcessState& Process()
{
    static ProcessState state;
    return state;
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

int ShowBox(HWND owner, const CString& text, UINT type)
{
    if (!owner) return AfxMessageBox(text, type);
    return MessageBoxW(owner, text, platform::GetAppTitle(), type);
}

// The wait window of an operation, closed when the operation ends.
class WaitWindowScope {
public:
    WaitWindowScope(UINT messageId, HWND owner = HWND())
    {
        m_window = GetManagerWindows().CreateWaitWindow();
        if (!m_window) return;
        if (!m_window->Create(owner, CDataManager::kWaitWindowWidth, CDataManager::kWaitWindowHeight)) {
            m_window.reset();
            return;
        }
        m_window->SetMessageFont(u"Tahoma", 9);
        m_window->SetMessage(LoadText(messageId));
        m_window->Show();
    }
    ~WaitWindowScope() { Close(); }
    WaitWindowScope(const WaitWindowScope&) = delete;
    WaitWindowScope& operator=(const WaitWindowScope&) = delete;

    void Close()
    {
        if (m_window) m_window->Close();
        m_window.reset();
    }

private:
    std::unique_ptr<IWaitWindow> m_window;
};

// Calls f for every line of text, without its line end.
template <class F>
void ForEachLine(const CString& text, F f)
{
    std::u16string_view rest = text.view();
    while (!rest.empty()) {
        const size_t end = rest.find_first_of(u"\r\n");
        if (end == std::u16string_view::npos) {
            f(rest);
            return;
        }
        if (end > 0) f(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
}

// The node of an answer key such as "CONT.2" or "COMR2.12"; -1 when it names none.
int NodeOfAnswerKey(std::u16string_view key)
{
    comm::LineAddress address;
    return comm::ParseAnswerKey(key, address) && address.node ? static_cast<int>(*address.node) : -1;
}

// An answer line "KEY.<node>=value" of a query to all nodes. False for token
// lines (OK, NG, ...) and lines without "=".
bool SplitNodeAnswer(std::u16string_view line, int& node, CString& value)
{
    if (FindReplyToken(line, 0) != ReplyToken::None) return false;
    const size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) return false;
    node = NodeOfAnswerKey(line.substr(0, equals));
    value = CString(line.substr(equals + 1));
    return true;
}

CString ItemName(const char16_t* key, int n)
{
    CString item;
    item.Format(u"%s%d", key, n);
    return item;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDataManager, CWnd)
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CDataManager::OnLinkEvent)
    ON_MESSAGE(UM_LINKFAILED, &CDataManager::OnLinkFailed)
    ON_MESSAGE(UM_LINKTIMEOUT, &CDataManager::OnLinkTimeout)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDataManager::CDataManager()
{
    if (!CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 10, 10}, nullptr, 0))
        AfxMessageBox(u"Couldn't register class! (Already registered?)", MB_OK | MB_ICONERROR);

    ProcessState& process = Process();
    if (process.alive.empty()) {
        process.cells = std::make_shared<StatusCells>();
        GetManagerWindows().SetStatusCells(process.cells);
        process.poller = std::make_unique<CStatusPoller>(process.cells);
        process.poller->SetTarget(this);
        process.current = this;
        GetManagerWindows().SetCurrentDataManager(this);
    }
    process.alive.push_back(this);

    m_link.Initialize();
    m_protocol.SetTimeOut(CControllerProtocol::kReplyTimeoutMs);
    m_link.AttatchWnd(m_hWnd);
}

CDataManager::~CDataManager()
{
    // The handlers of this class must run for the window's end.
    DestroyWindow();
}

CDataManager* CDataManager::GetCurrent() { return Process().current; }

std::shared_ptr<StatusCells> CDataManager::GetStatusCells() { return Process().cells; }

// --- Link --------------------------------------------------------------------

void CDataManager::ApplyCommSettings(int kind, DWORD value)
{
    m_linkKind = kind == kLinkSerial || kind == kLinkTcp ? kind : kLinkNone;
    m_linkValue = value;
    commsettag settings;
    m_link.GetCommSet(&settings);
    switch (kind) {
    case kLinkSerial:
        settings.nPortType = PORT_SERIAL;
        settings.nComPort = static_cast<std::int32_t>(value);
        break;
    case kLinkTcp:
        settings.nPortType = PORT_TCP;
        settings.wTCPPort = m_tcpPort;
        settings.strHostName = FormatIpAddress(value);
        break;
    default:
        settings.nPortType = PORT_NONE;
        break;
    }
    m_link.SetCommSet(&settings);
    m_protocol.SetLink(&m_link);
}

BOOL CDataManager::OpenPort(int kind, DWORD value)
{
    if (IsPortOpen()) return TRUE;
    ApplyCommSettings(kind, value);
    bool ready = m_link.Open() == 1;
    const DWORD start = GetTickCount();
    while (ready && !m_link.IsReady()) {
        // A connection that fails after Open closes the link.
        if (!m_link.IsOpen() || GetTickCount() - start >= kOpenTimeoutMs) {
            ready = false;
            break;
        }
        PumpMessages(1);
        Sleep(1);
    }
    if (ready) return TRUE;
    ShowBox(GetManagerWindows().GetMainWindow(), LoadText(IDS_DM_OPEN_FAILED), MB_OK | MB_ICONERROR);
    m_link.Close();
    return FALSE;
}

BOOL CDataManager::IsPortOpen() { return m_link.IsOpen() ? TRUE : FALSE; }

BOOL CDataManager::ProbeNode(int node)
{
    if (!IsPortOpen() || !IsControllerNode(node)) return FALSE;
    m_link.SendData(u"\r\n");
    CString name;
    return QueryControllerName(&m_link, &m_protocol, node, name);
}

bool CDataManager::WaitUntilIdle()
{
    const DWORD start = GetTickCount();
    while (m_protocol.IsBusy()) {
        if (GetTickCount() - start >= kIdleTimeoutMs) {
            m_protocol.ClearBusy();
            return false;
        }
        PumpMessages(1);
        Sleep(1);
    }
    return true;
}

BOOL CDataManager::CloseWithProgress()
{
    WaitWindowScope wait(m_link.GetPortType() != PORT_NONE ? IDS_DM_CLOSING_LINK : IDS_DM_CLOSING);
    m_commandPending = 1;
    if (IsPortOpen()) {
        WaitUntilIdle();
        PausePolling();
        m_link.DetatchWnd();
        m_link.Close();
    }
    // The link is going: the poll must not take it up again.
    m_commandPending = 1;
    return TRUE;
}

// --- Controller list -----------------------------------------------------------

ControllerData* CDataManager::GetController(int index)
{
    return index >= 0 && index < GetControllerCount() ? m_controllers[static_cast<size_t>(index)].get() : nullptr;
}

ControllerData* CDataManager::GetReference(int index)
{
    return index >= 0 && index < GetControllerCount() ? m_references[static_cast<size_t>(index)].get() : nullptr;
}

void CDataManager::SetCurrentIndex(int index)
{
    m_current = index >= 0 && index < GetControllerCount() ? index : kNoController;
    RefreshPollTarget();
}

ControllerData* CDataManager::GetCurrentController() { return GetController(m_current); }

int CDataManager::AddController()
{
    ControllerDataSlot record;
    ControllerDataSlot reference;
    m_store.AllocControllerData(record);
    m_store.AllocControllerData(reference);
    m_controllers.push_back(std::move(record));
    m_references.push_back(std::move(reference));
    return GetControllerCount() - 1;
}

BOOL CDataManager::RemoveController(int index)
{
    if (index < 0 || index >= GetControllerCount()) return FALSE;
    // The poll never reads the records themselves, only its copied target.
    m_controllers.erase(m_controllers.begin() + index);
    m_references.erase(m_references.begin() + index);
    if (m_current == index) m_current = kNoController;
    else if (m_current > index) --m_current;
    RefreshPollTarget();
    return TRUE;
}

BOOL CDataManager::BackupController(int index)
{
    ControllerData* record = GetController(index);
    ControllerData* reference = GetReference(index);
    if (!record || !reference) return FALSE;
    *reference = *record;
    return TRUE;
}

BOOL CDataManager::RestoreController(int index)
{
    ControllerData* record = GetController(index);
    ControllerData* reference = GetReference(index);
    if (!record || !reference) return FALSE;
    *record = *reference;
    RefreshPollTarget();
    return TRUE;
}

BOOL CDataManager::AddFirstController()
{
    if (GetControllerCount() != 0) return FALSE;
    ApplyCommSettings(kLinkNone, 0);
    const int index = AddController();
    SetCurrentIndex(index);
    const ControllerData* source = GetManagerWindows().GetNewControllerData();
    ControllerData* record = GetController(index);
    if (!source || !CopyControllerData(record, source)) {
        RemoveController(index);
        ShowBox(HWND(), LoadText(IDS_DM_LOAD_FAILED), MB_OK | MB_ICONERROR);
        return FALSE;
    }
    record->user = source->user;
    RefreshPollTarget();
    return TRUE;
}

BOOL CDataManager::LoadControllerFile(const CString& path)
{
    if (GetControllerCount() != 0) return FALSE;
    {
        CFile probe;
        if (!probe.Open(path, CFile::modeRead)) return FALSE;
    }
    ApplyCommSettings(kLinkNone, 0);
    const int index = AddController();
    SetCurrentIndex(index);
    ControllerData* record = GetController(index);
    if (!m_store.ReadControllerDataFile(path, *record, true, true, true)) {
        RemoveController(index);
        ShowBox(HWND(), LoadText(IDS_DM_LOAD_FAILED), MB_OK | MB_ICONERROR);
        return FALSE;
    }
    CString code;
    if (LookupControllerName(record->controller, code, m_databaseLibrary)) record->typeText = code;
    RefreshPollTarget();

    CString missing;
    if (record->controller.IsEmpty()) missing += u"\n" + LoadText(IDS_DM_MISSING_CONTROLLER);
    if (record->robot.IsEmpty()) missing += u"\n" + LoadText(IDS_DM_MISSING_ROBOT);
    if (record->interfaceText.IsEmpty()) missing += u"\n" + LoadText(IDS_DM_MISSING_INTERFACE);
    if (!missing.IsEmpty()) ShowBox(HWND(), LoadText(IDS_DM_FILE_INCOMPLETE) + missing, MB_OK | MB_ICONWARNING);
    return TRUE;
}

BOOL CDataManager::AddOnlineController(int node)
{
    // A link lost since the scan (it closes itself when the line drops) is
    // told as the failed read it is, never passed over in silence.
    if (!IsPortOpen() || !IsControllerNode(node)) {
        CString text;
        FormatLinkError(text, IDS_DM_LOAD_FAILED);
        ShowBox(HWND(), text, MB_OK | MB_ICONERROR);
        return FALSE;
    }
    const int previous = m_current;
    const int index = AddController();
    ControllerData* record = GetController(index);
    record->FirstParamSet()->K(38) = node;
    m_current = index;
    if (!ReadControllerIdentity(*record, TRUE, TRUE)) {
        CString text;
        FormatLinkError(text, IDS_DM_LOAD_FAILED);
        RemoveController(index);
        SetCurrentIndex(previous);
        ShowBox(HWND(), text, MB_OK | MB_ICONERROR);
        return FALSE;
    }
    // What was read is also what the controller holds.
    BackupController(index);
    SetCurrentIndex(index);
    return TRUE;
}

// --- Exchanges ------------------------------------------------------------------

int CDataManager::CurrentNode() const
{
    const int count = static_cast<int>(m_controllers.size());
    if (m_current < 0 || m_current >= count) return 0;
    const RobotParameterSet* set = m_controllers[static_cast<size_t>(m_current)]->FirstParamSet();
    return set ? set->K(38) : 0;
}

BOOL CDataManager::ReadControllerIdentity(ControllerData& target, BOOL withPoints, BOOL withParameters)
{
    if (!IsPortOpen() || !target.FirstParamSet()) return FALSE;
    // Read into a copy: a read that fails part-way leaves the record whole.
    ControllerData record = target;
    RobotParameterSet* set = record.FirstParamSet();
    const int node = set->K(38);
    if (!IsControllerNode(node)) return FALSE;

    CCommManager* link = &m_link;
    CControllerProtocol* protocol = &m_protocol;
    CString text;
    if (!QueryControllerName(link, protocol, node, text)) return FALSE;
    record.controller = text;
    if (!QueryControllerType(link, protocol, node, text)) return FALSE;
    record.typeText = text;
    if (!QueryComData(link, protocol, node, 2, text)) return FALSE;
    record.user = text;
    if (!QueryRobotName(link, protocol, node, text)) return FALSE;
    record.robot = text;
    set->name = text;
    if (!QueryInterface(link, protocol, node, text)) return FALSE;
    record.interfaceText = text;
    if (!QueryVersion2(link, protocol, node, text)) return FALSE;
    record.version = text;
    if (!QueryComData(link, protocol, node, 9, text)) return FALSE;
    record.ipAddress = text;
    if (!QueryComData(link, protocol, node, 8, text)) return FALSE;
    record.subnetMask = text;
    if (!QueryComData(link, protocol, node, 7, text)) return FALSE;
    record.gateway = text;

    if (withPoints) {
        if (!ReadPointTable(link, protocol, node, text)) return FALSE;
        // The answer lists every point the controller holds: a point it does not
        // list is unused there, whatever the record held before (a point the
        // window added and never wrote must not pass for the controller's).
        for (PointRecord& row : record.points) row.Clear();
        // Answer lines name their node ("PNT12.1=..."); the file's line form has none.
        ForEachLine(text, [&](std::u16string_view line) { ParsePointLine(comm::WithoutAnswerNode(line), record); });
    }
    if (withParameters) {
        if (!ReadParameterTable(link, protocol, node, text)) return FALSE;
        // The node number is the record's own: the controller's answer never overwrites it.
        ForEachLine(text, [&](std::u16string_view line) {
            const std::u16string fileLine = comm::WithoutAnswerNode(line);
            if (fileLine.substr(0, 4) != u"K38=") ParseParameterLine(fileLine, *set);
        });
        if (!ReadHParameterTable(link, protocol, node, text)) return FALSE;
        ForEachLine(text, [&](std::u16string_view line) { ParseHParameterLine(comm::WithoutAnswerNode(line), *set); });
    }
    target = std::move(record);
    return TRUE;
}

BOOL CDataManager::CheckControllerIdentity(ControllerData& record)
{
    if (!IsPortOpen()) return FALSE;
    RobotParameterSet* set = record.FirstParamSet();
    if (!set) return FALSE;
    const int node = set->K(38);
    if (!IsControllerNode(node)) return FALSE;
    // All three read before any is stored, so that a failure changes nothing.
    CString controller;
    CString robot;
    int mode = 0;
    if (!QueryControllerName(&m_link, &m_protocol, node, controller)) return FALSE;
    if (!QueryRobotName(&m_link, &m_protocol, node, robot)) return FALSE;
    if (!QueryParameter(&m_link, &m_protocol, node, 20, mode)) return FALSE;
    record.controller = controller;
    record.robot = robot;
    set->K(20) = mode;
    return TRUE;
}

BOOL CDataManager::CompareControllerData(const ControllerData& a, const ControllerData& b)
{
    if (a.robot != b.robot) return TRUE;
    for (int i = 0; i < kPointCount; ++i) {
        const PointRecord& p = a.points[static_cast<size_t>(i)];
        const PointRecord& q = b.points[static_cast<size_t>(i)];
        if (!p.IsUsed() && !q.IsUsed()) continue;
        for (int field = PointRecord::kNumber; field < PointRecord::kFieldCount; ++field) {
            if (field != PointRecord::kC && p.Field(field) != q.Field(field)) return TRUE;
        }
    }
    const RobotParameterSet* x = a.FirstParamSet();
    const RobotParameterSet* y = b.FirstParamSet();
    if ((x == nullptr) != (y == nullptr)) return TRUE;
    if (x && x->values != y->values) return TRUE;
    return a.ipAddress != b.ipAddress || a.subnetMask != b.subnetMask || a.gateway != b.gateway;
}

BOOL CDataManager::InitializeController(int code)
{
    if (!IsPortOpen()) return FALSE;
    const int node = CurrentNode();
    if (!IsControllerNode(node)) return FALSE;
    switch (code) {
    case 1: return InitRecords(&m_link, &m_protocol, node);
    case 2: return InitPoints(&m_link, &m_protocol, node);
    case 3: return InitTrip(&m_link, &m_protocol, node);
    case 4: return InitTime(&m_link, &m_protocol, node);
    case 5: return InitComData(&m_link, &m_protocol, node);
    default: return TRUE;
    }
}

BOOL CDataManager::WriteScanParameter()
{
    if (!IsPortOpen()) return FALSE;
    WriteParameter(&m_link, &m_protocol, 0, 75, 0);
    return BroadcastSetIdCmd(&m_link, &m_protocol);
}

BOOL CDataManager::WriteDefaultComData(int node)
{
    if (!IsPortOpen() || !IsControllerNode(node)) return FALSE;
    return WriteComText(&m_link, &m_protocol, node, 9, u"00000000");
}

BOOL CDataManager::WriteCheckedK20(int value)
{
    if (!IsPortOpen()) return FALSE;
    const int node = CurrentNode();
    if (!IsControllerNode(node)) return FALSE;
    if (WriteParameter(&m_link, &m_protocol, node, 20, value)) return TRUE;
    if (m_protocol.GetLastErrorText() == kTimeOutText) return FALSE;
    int back = 0;
    return QueryParameter(&m_link, &m_protocol, node, 20, back) && back == value;
}

BOOL CDataManager::WriteFailed(const CString& item)
{
    const int code = m_protocol.GetLastNgCode();
    if (code >= 0 && code != kLinkErrorCode) m_refusedItem = item;
    return FALSE;
}

BOOL CDataManager::WriteParameterAt(int node, bool hParameter, int n, ControllerData& newRecord,
                                    const ParamDefTable* table)
{
    RobotParameterSet& values = *newRecord.FirstParamSet();
    std::int32_t& value = hParameter ? values.H(n) : values.K(n);
    const CString item = ItemName(hParameter ? u"H" : u"K", n);
    const BOOL written = hParameter ? WriteHParameter(&m_link, &m_protocol, node, n, value)
                                    : WriteParameter(&m_link, &m_protocol, node, n, value);
    if (!written) return WriteFailed(item);
    int back = 0;
    const BOOL read = hParameter ? QueryHParameter(&m_link, &m_protocol, node, n, back)
                                 : QueryParameter(&m_link, &m_protocol, node, n, back);
    if (!read) return WriteFailed(item);
    value = back;
    if (table) {
        const ParamDef& def = (*table)[static_cast<size_t>(hParameter ? HParamIndex(n) : KParamIndex(n))];
        if (def.flags & kParamFlagRestart) m_restartNeeded = true;
    }
    return TRUE;
}

BOOL CDataManager::WriteParameterSet(ControllerData& newRecord, ControllerData& controllerRecord, BOOL full)
{
    m_refusedItem.Empty();
    m_restartNeeded = false;
    if (!IsPortOpen()) return FALSE;
    RobotParameterSet* wanted = newRecord.FirstParamSet();
    RobotParameterSet* held = controllerRecord.FirstParamSet();
    if (!wanted || !held) return FALSE;
    const int node = held->K(38);
    if (!IsControllerNode(node)) return FALSE;
    const ParamDefTable* table = GetManagerWindows().GetParamDefTable(newRecord.typeText.Find(kPulseTrainModel) >= 0 ? 1 : 0);

    // The controller takes parameters in mode 2. The record's own K20 is
    // written below only when it was changed; otherwise it ends as the mode
    // the controller is left in.
    std::optional<int> switchedMode;
    if (full) {
        int mode = 0;
        if (!QueryParameter(&m_link, &m_protocol, node, 20, mode)) return WriteFailed(u"K20");
        if ((mode & 3) != 2) {
            if (!WriteParameter(&m_link, &m_protocol, node, 20, 2)) return WriteFailed(u"K20");
            if (!QueryParameter(&m_link, &m_protocol, node, 20, mode)) return WriteFailed(u"K20");
            if (wanted->K(20) == held->K(20)) switchedMode = mode;
        }
    }

    const auto writeK = [&](int n) {
        if (wanted->K(n) == held->K(n)) return TRUE;
        return WriteParameterAt(node, false, n, newRecord, table);
    };
    if (!writeK(72) || !writeK(102)) return FALSE;

    if (controllerRecord.interfaceText == kEthernetInterface) {
        const struct {
            int index;
            CString ControllerData::*field;
        } addresses[] = {{9, &ControllerData::ipAddress}, {8, &ControllerData::subnetMask}, {7, &ControllerData::gateway}};
        for (const auto& address : addresses) {
            CString& text = newRecord.*address.field;
            if (text == controllerRecord.*address.field) continue;
            const CString item = ItemName(u"COMW", address.index);
            if (!WriteComText(&m_link, &m_protocol, node, address.index, text)) return WriteFailed(item);
            CString back;
            if (!QueryComData(&m_link, &m_protocol, node, address.index, back)) return WriteFailed(item);
            text = back;
        }
    }

    // Never written from a record: the node number (it would move the
    // controller away from the node being written), the renumbering request
    // and the trace stream switch.
    const auto skipped = [](int n) { return n == 38 || n == 72 || n == 75 || n == 99 || n == 102; };
    for (int n = 20; n <= kKParamCount; ++n) {
        if (!skipped(n) && !writeK(n)) return FALSE;
    }
    for (int n = 1; n < 20; ++n) {
        if (!writeK(n)) return FALSE;
    }
    for (int n = 0; n < kHParamCount; ++n) {
        if (wanted->H(n) != held->H(n) && !WriteParameterAt(node, true, n, newRecord, table)) return FALSE;
    }
    if (switchedMode) wanted->K(20) = *switchedMode;
    return TRUE;
}

BOOL CDataManager::WritePoints(int node, ControllerData& target, ControllerData& current)
{
    for (int n = 1; n <= kPointCount; ++n) {
        PointRecord& wanted = target.points[static_cast<size_t>(n - 1)];
        const PointRecord& held = current.points[static_cast<size_t>(n - 1)];
        if (!wanted.IsUsed() && !held.IsUsed()) continue;
        const CString item = ItemName(u"PNT", n);
        if (!wanted.IsUsed()) {
            if (!DeletePoints(&m_link, &m_protocol, node, n, 0)) return WriteFailed(item);
            continue;
        }
        bool written = false;
        for (int field = PointRecord::kM; field < PointRecord::kFieldCount; ++field) {
            // C is the controller's own count, as the comparison of records says.
            if (field == PointRecord::kC) continue;
            if (held.IsUsed() && wanted.Field(field) == held.Field(field)) continue;
            if (!WritePointField(&m_link, &m_protocol, node, n, field, wanted.Field(field))) return WriteFailed(item);
            written = true;
        }
        if (!written) continue;
        PointRecord back = wanted;
        if (!QueryPoint(&m_link, &m_protocol, node, n, back)) return WriteFailed(item);
        wanted = back;
    }
    return TRUE;
}

BOOL CDataManager::WriteControllerData(ControllerData& target, ControllerData& current, BOOL full)
{
    if (!WriteParameterSet(target, current, full)) return FALSE;
    const int node = current.FirstParamSet()->K(38);
    if (!WritePoints(node, target, current)) return FALSE;
    if (target.user != current.user) {
        if (!WriteComText(&m_link, &m_protocol, node, 2, target.user)) return WriteFailed(u"COMW2");
        CString back;
        if (!QueryComData(&m_link, &m_protocol, node, 2, back)) return WriteFailed(u"COMW2");
        target.user = back;
    }
    return TRUE;
}

void CDataManager::FormatLinkError(CString& out, UINT stringId) const
{
    out = LoadText(stringId);
    const int code = m_protocol.GetLastNgCode();
    if (m_protocol.GetLastErrorText() == kTimeOutText) {
        out += LoadText(IDS_DM_ERROR_TIMEOUT);
    } else if (code == kLinkErrorCode) {
        out += LoadText(IDS_DM_ERROR_LINK);
    } else if (code >= 0 && !m_refusedItem.IsEmpty()) {
        CString refused;
        refused.Format(LoadText(IDS_DM_REFUSED), m_refusedItem);
        out += refused;
    }
}

// --- The line --------------------------------------------------------------------

BOOL CDataManager::QueryComDataAll()
{
    for (CString& text : m_nodeUsers) text.Empty();
    if (!IsPortOpen()) return FALSE;
    CString answer;
    if (!m_protocol.QueryIndexed(kCmdCOM, 0, 2, answer)) return FALSE;
    bool good = true;
    ForEachLine(answer, [&](std::u16string_view line) {
        int node = 0;
        CString value;
        if (!SplitNodeAnswer(line, node, value)) return;
        if (!IsControllerNode(node)) {
            good = false;
            return;
        }
        m_nodeUsers[static_cast<size_t>(node - kFirstNode)] = value;
    });
    return good ? TRUE : FALSE;
}

BOOL CDataManager::ScanNetwork(int /*kind*/, HWND owner)
{
    if (!IsPortOpen()) return FALSE;
    for (int renumberings = 0;; ++renumberings) {
        std::optional<WaitWindowScope> wait(std::in_place, IDS_DM_SCANNING, owner);
        m_nodePresent.fill(false);
        for (CString& name : m_nodeNames) name.Empty();

        // Stops any trace stream, so that only names come back.
        WriteK99Broadcast(&m_link, &m_protocol);
        CString names;
        if (!QueryAllControllerNames(&m_link, &m_protocol, names)) {
            wait.reset();
            CString text;
            FormatLinkError(text, IDS_DM_SCAN_NO_ANSWER);
            ShowBox(owner, text, MB_OK | MB_ICONERROR);
            return FALSE;
        }
        QueryComDataAll();
        int count = 0;
        std::vector<ControllerNamePair> known;
        LoadControllerList(count, known, m_databaseLibrary);

        bool unknown = false;
        bool duplicate = false;
        ForEachLine(names, [&](std::u16string_view line) {
            int node = 0;
            CString name;
            if (!SplitNodeAnswer(line, node, name)) return;
            name.TrimRight();
            const bool isKnown = std::any_of(known.begin(), known.end(),
                                             [&](const ControllerNamePair& pair) { return pair.name == name; });
            if (!IsControllerNode(node) || !isKnown) {
                unknown = true;
                return;
            }
            const size_t slot = static_cast<size_t>(node - kFirstNode);
            if (m_nodePresent[slot]) duplicate = true;
            m_nodePresent[slot] = true;
            m_nodeNames[slot] = name;
        });
        wait.reset();

        if (unknown) {
            m_nodePresent.fill(false);
            ShowBox(owner, LoadText(IDS_DM_SCAN_UNKNOWN), MB_OK | MB_ICONERROR);
            return FALSE;
        }
        if (std::none_of(m_nodePresent.begin(), m_nodePresent.end(), [](bool present) { return present; })) {
            ShowBox(owner, LoadText(IDS_DM_SCAN_NONE_FOUND), MB_OK | MB_ICONERROR);
            return FALSE;
        }
        if (duplicate && GetManagerWindows().GetWindowTitle(owner) != LoadText(IDS_DM_RENUMBER_TITLE)) {
            // Renumbering that leaves the clash in place is not asked for again and again.
            if (renumberings >= kMaxRenumberings) {
                ShowBox(owner, LoadText(IDS_DM_SCAN_UNKNOWN), MB_OK | MB_ICONERROR);
                return FALSE;
            }
            if (ShowBox(owner, LoadText(IDS_DM_RENUMBER_ASK), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return FALSE;
            WriteParameter(&m_link, &m_protocol, 0, 75, 0);
            continue;
        }

        CString list = LoadText(IDS_DM_SCAN_RESULT);
        for (int node = kFirstNode; node <= kLastNode; ++node) {
            const size_t slot = static_cast<size_t>(node - kFirstNode);
            if (m_nodePresent[slot]) list.AppendFormat(u"%02d : %s\n", node, m_nodeNames[slot]);
        }
        ShowBox(owner, list, MB_OK | MB_ICONINFORMATION);
        return TRUE;
    }
}

BOOL CDataManager::IsNodePresent(int node) const
{
    return IsControllerNode(node) && m_nodePresent[static_cast<size_t>(node - kFirstNode)];
}

CString CDataManager::GetNodeName(int node) const
{
    return IsControllerNode(node) ? m_nodeNames[static_cast<size_t>(node - kFirstNode)] : CString();
}

CString CDataManager::GetNodeUserText(int node) const
{
    return IsControllerNode(node) ? m_nodeUsers[static_cast<size_t>(node - kFirstNode)] : CString();
}

void CDataManager::SetNodeUserText(int node, const CString& text)
{
    if (IsControllerNode(node)) m_nodeUsers[static_cast<size_t>(node - kFirstNode)] = text;
}

// --- Status poll ---------------------------------------------------------------------

void CDataManager::RefreshPollTarget()
{
    PollTarget target;
    if (const ControllerData* record = GetCurrentController()) {
        if (const RobotParameterSet* set = record->FirstParamSet()) {
            target.node = set->K(38);
            target.valid = IsControllerNode(target.node);
            const int interfaceCode = set->K(80);
            target.pollOutputs = record->typeText == kPulseTrainModel || interfaceCode == 1 || interfaceCode == 2;
        }
    }
    std::lock_guard guard(m_pollTargetLock);
    m_pollTarget = target;
}

bool CDataManager::IsPollTarget() const
{
    const CStatusPoller* poller = Process().poller.get();
    return poller && poller->Target() == static_cast<const IPollTarget*>(this);
}

std::uint64_t CDataManager::PollCycleCount()
{
    const CStatusPoller* poller = Process().poller.get();
    return poller ? poller->CycleCount() : 0;
}

BOOL CDataManager::PausePolling()
{
    CStatusPoller* poller = Process().poller.get();
    const BOOL previous = !poller || poller->IsSuspended() ? TRUE : FALSE;
    if (!poller) return previous;
    // Over a closed link only this manager's own poll is held: the poll of
    // another window's open link is none of its business.
    if (!IsPortOpen() && !IsPollTarget()) return previous;
    // A poll that never ran has nothing to finish, and nothing is left pending.
    if (!poller->HasStarted()) return previous;
    m_commandPending = 1;
    GetManagerWindows().BeginWaitCursor();
    poller->Pause();
    GetManagerWindows().EndWaitCursor();
    m_commandPending = 0;
    return previous;
}

void CDataManager::ResumePolling()
{
    CStatusPoller* poller = Process().poller.get();
    if (!poller || GetManagerWindows().IsPollingLocked()) return;
    if (!IsPortOpen()) {
        if (!IsPollTarget()) return;
        // A closed link answers nothing. Only a window that has not yet heard
        // that its line went keeps the poll: the failures tell it.
        if (m_pollingEnabled.load() && m_commandPending.load() == 0 && poller->HasStarted()) poller->Resume();
        else poller->Suspend();
        return;
    }
    RefreshPollTarget();
    if (m_link.GetPortType() != PORT_NONE && m_pollingEnabled.load()) poller->Resume();
    else poller->Suspend();
}

void CDataManager::SetPollingEnabled(BOOL enabled)
{
    m_pollingEnabled = enabled != FALSE;
    if (enabled) m_timeoutReported = false;
    // A window that went offline over a closed link: its poll parks at the
    // end of the cycle in progress, without waiting here.
    else if (!IsPortOpen() && IsPollTarget()) Process().poller->Suspend();
}

BOOL CDataManager::IsOutBit12Set() const
{
    const std::shared_ptr<StatusCells>& cells = Process().cells;
    return cells && (cells->Outputs() & StatusCells::kMovingOutputBit) ? TRUE : FALSE;
}

bool CDataManager::BeginPollQuery(LinkHandshake& handshake, const std::atomic<bool>& stop)
{
    for (;;) {
        if (stop.load() || m_commandPending.load()) return false;
        // A window that borrowed the link, or a command of the user-interface
        // thread in flight: the poll waits its turn.
        if (!m_protocol.IsBusy() && handshake.TryBeginPoll()) {
            if (!m_protocol.IsBusy()) return true;
            handshake.EndPoll();
        }
        Sleep(kHoldRetryMs);
    }
}

void CDataManager::PollCycle(PollFailureCounter& failures, StatusCells& cells, const std::atomic<bool>& stop)
{
    PollTarget target;
    {
        std::lock_guard guard(m_pollTargetLock);
        target = m_pollTarget;
    }
    // A link that went away fails its queries, so that the window hears of it.
    if (!target.valid) return;
    LinkHandshake& handshake = cells.Handshake();
    CCommManager* link = &m_link;
    CControllerProtocol* protocol = &m_protocol;
    const int node = target.node;

    enum class Step { kGood, kFailed, kStopped };
    const auto run = [&](auto query) {
        if (!BeginPollQuery(handshake, stop)) return Step::kStopped;
        const bool good = query();
        handshake.EndPoll();
        return good ? Step::kGood : Step::kFailed;
    };
    const auto readAlarm = [&] {
        BYTE alarm = 0;
        if (!QueryAlarm(link, protocol, node, 1, alarm)) return false;
        m_lastAlarm = alarm;
        return true;
    };

    Step step = run([&] {
        WORD word = 0;
        if (!QueryInputs(link, protocol, node, word)) return false;
        cells.SetInputs(word);
        return true;
    });
    if (step == Step::kGood) {
        if (target.pollOutputs) {
            step = run([&] {
                WORD word = 0;
                if (!QueryOutputs(link, protocol, node, word)) return false;
                cells.SetOutputs(word);
                return true;
            });
        } else {
            cells.SetOutputs(0);
        }
    }
    if (step == Step::kGood) {
        step = run([&] {
            int value = 0;
            if (!QueryOptions(link, protocol, node, value)) return false;
            cells.SetOptions(static_cast<DWORD>(value));
            return true;
        });
    }
    if (step == Step::kGood) {
        const IIoMonitor* monitor = Process().ioMonitorForPoll.load();
        if (monitor && monitor->IsShown()) {
            step = run([&] {
                WideIoBlock block{};
                if (!QueryWideIo(link, protocol, node, block)) return false;
                cells.SetWideIo(block);
                return true;
            });
        }
    }
    if (step == Step::kGood) {
        step = run([&] {
            ControllerStatus status = cells.Status();
            if (!QueryStatusRecord(link, protocol, node, status)) return false;
            cells.SetStatus(status, GetStatusSource(node));
            return true;
        });
    }
    if (step == Step::kGood) step = run(readAlarm);

    if (step == Step::kStopped) return;
    if (step == Step::kGood) {
        if (failures.OnSuccess() == PollFailureCounter::Report::kBack) PostMessage(UM_LINKFAILED, 1, 0);
        m_timeoutReported = false;
        return;
    }
    if (failures.OnFailure() == PollFailureCounter::Report::kFailing) PostMessage(UM_LINKFAILED, 0, 0);
    // A link that has gone is reported by the count above; a manager that is
    // pausing or closing is told by its own command.
    if (m_protocol.GetLastErrorText() != kTimeOutText || !m_link.IsOpen() || m_commandPending.load()) return;
    // One more question tells a lost reply from a silent controller.
    if (run(readAlarm) != Step::kFailed) return;
    if (m_protocol.GetLastErrorText() == kTimeOutText && !m_timeoutReported.exchange(true))
        PostMessage(UM_LINKTIMEOUT, 0, 0);
}

void CDataManager::CancelQuery() { m_protocol.ClearBusy(); }

// --- Stop -------------------------------------------------------------------------------

bool CDataManager::OutputsMoving(bool moving, DWORD& lastQuery)
{
    ProcessState& process = Process();
    const bool pollRefreshes = process.poller && process.current == this && !process.poller->IsSuspended() &&
                               m_commandPending.load() == 0;
    if (pollRefreshes || !process.cells) return IsOutBit12Set() != FALSE;
    // The poll is paused and leaves the OUT word as it was: ask the controller.
    PollTarget target;
    {
        std::lock_guard guard(m_pollTargetLock);
        target = m_pollTarget;
    }
    if (!target.valid || !target.pollOutputs) return false;
    if (GetTickCount() - lastQuery < kStopQueryIntervalMs || m_protocol.IsBusy()) return moving;
    lastQuery = GetTickCount();
    WORD word = 0;
    // An answer that did not come tells nothing: the axis counts as moving still.
    if (!QueryOutputs(&m_link, &m_protocol, target.node, word)) return moving;
    process.cells->SetOutputs(word);
    return (word & StatusCells::kMovingOutputBit) != 0;
}

void CDataManager::StopController(BOOL showWait)
{
    if (!IsPortOpen()) return;
    const int node = CurrentNode();
    const int sent = m_protocol.StopCommand(node);
    SetRunState(sent ? 0 : 1);
    if (!showWait) return;

    WaitWindowScope wait(IDS_DM_STOPPING);
    RefreshPollTarget();
    // The first question waits a little, so that the stop's own reply is not taken for its answer.
    DWORD lastQuery = GetTickCount();
    const DWORD start = GetTickCount();
    bool moving = OutputsMoving(true, lastQuery);
    while (moving && GetTickCount() - start < m_stopWaitMs) {
        PumpMessages(1);
        Sleep(1);
        moving = OutputsMoving(moving, lastQuery);
    }
    wait.Close();
    if (moving) ShowBox(HWND(), LoadText(IDS_DM_STOP_NOT_CONFIRMED), MB_OK | MB_ICONWARNING);
}

// --- Modeless windows ---------------------------------------------------------------------

void CDataManager::MakeThisCurrent()
{
    ProcessState& process = Process();
    if (process.current == this) return;
    if (process.poller) process.poller->SetTarget(this);
    process.current = this;
    GetManagerWindows().SetCurrentDataManager(this);
}

void CDataManager::BindWindows(const CString& text, bool withMode)
{
    ProcessState& process = Process();
    ControllerData* record = GetCurrentController();
    const RobotParameterSet* set = record ? record->FirstParamSet() : nullptr;
    const bool online = record && IsPortOpen();
    const CString name = record ? record->controller : CString();
    const CString model = record ? record->typeText : CString();
    const int node = set ? set->K(38) : 0;
    CCommManager* link = record ? &m_link : nullptr;
    CControllerProtocol* protocol = record ? &m_protocol : nullptr;
    if (process.terminal) {
        process.terminal->SetController(name, text, record, link, protocol, node, online);
        process.terminal->SetBusy(m_runState);
        if (withMode && set) process.terminal->SetMode(set->K(20));
    }
    if (process.ioMonitor) process.ioMonitor->SetController(name, text, model, online);
    if (process.statusMonitor) process.statusMonitor->SetController(name, text, model, set ? set->K(72) : 0, online);
}

void CDataManager::ShowDesktopTerminal(const CString& name, const CString& text, BOOL busy)
{
    MakeThisCurrent();
    PausePolling();
    ProcessState& process = Process();
    if (!process.terminal) process.terminal = GetManagerWindows().CreateDesktopTerminal(GetManagerWindows().GetMainWindow());
    if (process.terminal) {
        ControllerData* record = GetCurrentController();
        const RobotParameterSet* set = record ? record->FirstParamSet() : nullptr;
        m_windowText = text;
        process.terminal->SetController(name, text, record, record ? &m_link : nullptr, record ? &m_protocol : nullptr,
                                        set ? set->K(38) : 0, record && IsPortOpen() && !busy);
        process.terminal->SetBusy(m_runState);
        process.terminal->Show();
    }
    ResumePolling();
}

void CDataManager::ShowIoMonitor(const CString& first, const CString& second)
{
    MakeThisCurrent();
    PausePolling();
    ProcessState& process = Process();
    if (!process.ioMonitor) {
        process.ioMonitor = GetManagerWindows().CreateIoMonitor(GetManagerWindows().GetMainWindow());
        process.ioMonitorForPoll = process.ioMonitor.get();
    }
    if (process.ioMonitor) {
        const ControllerData* record = GetCurrentController();
        process.ioMonitor->SetController(first, second, record ? record->typeText : CString(), record && IsPortOpen());
        process.ioMonitor->Show();
    }
    ResumePolling();
}

void CDataManager::ShowStatusMonitor(const CString& first, const CString& second)
{
    MakeThisCurrent();
    PausePolling();
    ProcessState& process = Process();
    if (!process.statusMonitor)
        process.statusMonitor = GetManagerWindows().CreateStatusMonitor(GetManagerWindows().GetMainWindow());
    if (process.statusMonitor) {
        const ControllerData* record = GetCurrentController();
        const RobotParameterSet* set = record ? record->FirstParamSet() : nullptr;
        process.statusMonitor->SetController(first, second, record ? record->typeText : CString(),
                                             set ? set->K(72) : 0, record && IsPortOpen());
        process.statusMonitor->Show();
    }
    ResumePolling();
}

void CDataManager::MakeCurrent(const CString& text, BOOL withMode)
{
    PausePolling();
    if (GetCurrentController()) {
        MakeThisCurrent();
        m_windowText = text;
        BindWindows(text, withMode != FALSE);
    }
    ResumePolling();
}

void CDataManager::NotifyTerminalMode(int code)
{
    if (IDesktopTerminal* terminal = Process().terminal.get()) terminal->SetMode(code);
}

void CDataManager::SetRunState(int state)
{
    m_runState = state;
    if (IDesktopTerminal* terminal = Process().terminal.get()) terminal->SetBusy(state);
}

int CDataManager::GetRunState() const
{
    const IDesktopTerminal* terminal = Process().terminal.get();
    return terminal ? terminal->GetBusy() : 0;
}

void CDataManager::ShowMonitorsMinimized(bool minimized)
{
    ProcessState& process = Process();
    if (process.ioMonitor && process.ioMonitor->IsShown()) process.ioMonitor->ShowMinimized(minimized);
    if (process.statusMonitor && process.statusMonitor->IsShown()) process.statusMonitor->ShowMinimized(minimized);
}

// --- Messages of the hidden window -------------------------------------------------------------

LRESULT CDataManager::OnLinkEvent(WPARAM, LPARAM lParam)
{
    switch (LOWORD(static_cast<std::uintptr_t>(lParam))) {
    case LINK_EVENT_READ:
        m_protocol.OnDataArrived();
        break;
    case LINK_EVENT_ERROR:
        // An axis started from the terminal is not left running on a failing line.
        if (m_runState != 0) StopController(FALSE);
        m_protocol.InjectLinkError(kLinkErrorCode);
        break;
    case LINK_EVENT_CLOSE:
        // No reply can come on a closed link: the command in flight, and a
        // motion whose end a window awaits, end now.
        m_protocol.InjectLinkError(kLinkErrorCode);
        break;
    default:
        break;
    }
    return 0;
}

OpenWindowEntry CDataManager::DescribeLink() const
{
    // What the link was opened on: a link that has closed keeps no port of its own.
    OpenWindowEntry entry;
    if (m_linkKind == kLinkSerial) {
        entry.kind = kOpenWindowSerial;
        entry.comPort = static_cast<std::int16_t>(m_linkValue);
    } else if (m_linkKind == kLinkTcp) {
        entry.kind = kOpenWindowTcp;
        entry.address = m_linkValue;
    }
    return entry;
}

CString CDataManager::LinkName() const
{
    const OpenWindowEntry entry = DescribeLink();
    CString name;
    if (entry.kind == kOpenWindowSerial) name.Format(u"COM%d", static_cast<int>(entry.comPort));
    else if (entry.kind == kOpenWindowTcp) name = FormatIpAddress(entry.address);
    return name;
}

LRESULT CDataManager::OnLinkFailed(WPARAM wParam, LPARAM lParam)
{
    if (CWnd* frame = GetManagerWindows().FindOpenWindow(DescribeLink())) frame->SendMessage(UM_LINKFAILED, wParam, lParam);
    return 0;
}

LRESULT CDataManager::OnLinkTimeout(WPARAM, LPARAM)
{
    // A manager that is pausing or closing hears of the link from its own
    // command; a later poll may report again.
    if (m_commandPending.load()) {
        m_timeoutReported = false;
        return 0;
    }
    PausePolling();
    m_pollingEnabled = false;
    IManagerWindows& windows = GetManagerWindows();
    const CString name = LinkName();
    if (CWnd* frame = windows.FindOpenWindow(DescribeLink())) frame->SendMessage(UM_LINKTIMEOUT, 0, 0);
    CString text;
    text.Format(LoadText(IDS_DM_LINK_TIMEOUT), name);
    windows.CloseActiveWaitWindow();
    // Also without a window of its own the user hears that the link is gone.
    ShowBox(windows.GetMainWindow(), text, MB_OK | MB_ICONWARNING);
    return 0;
}

void CDataManager::OnDestroy()
{
    // Messages handled while the poll ends and the link closes must not start anything.
    m_commandPending = 1;
    ProcessState& process = Process();
    std::optional<WaitWindowScope> wait;
    if (m_link.GetPortType() != PORT_NONE) wait.emplace(IDS_DM_CLOSING_LINK);

    std::erase(process.alive, this);
    if (process.alive.empty()) {
        if (process.poller) process.poller->Stop();
        process.poller.reset();
        process.ioMonitorForPoll = nullptr;
        process.terminal.reset();
        process.ioMonitor.reset();
        process.statusMonitor.reset();
        GetManagerWindows().SetStatusCells(nullptr);
        GetManagerWindows().SetCurrentDataManager(nullptr);
        process.cells.reset();
        process.current = nullptr;
    } else if (process.current == this) {
        // The poll and the modeless windows must never keep a destroyed manager.
        const bool wasPolling = process.poller && process.poller->HasStarted() && !process.poller->IsSuspended();
        CDataManager* next = process.alive.back();
        next->MakeThisCurrent();
        next->BindWindows(next->m_windowText, false);
        if (wasPolling) next->ResumePolling();
    }

    if (IsPortOpen()) {
        WaitUntilIdle();
        m_link.DetatchWnd();
        m_link.Close();
    }
    m_controllers.clear();
    m_references.clear();
    wait.reset();
    CWnd::OnDestroy();
}
