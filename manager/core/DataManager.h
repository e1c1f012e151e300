// CDataManager: the object behind one open controller window. It owns the
// window's link (one CCommManager), the protocol engine on it, the list of
// controllers the window shows with a reference twin of each, and a hidden
// window that receives the link's events and the status poll's findings.
//
// The process has one status poll (CStatusPoller) for all data managers: it
// polls the current controller of the current data manager about every
// 100 ms into the status cells that the main window hands to its panels and
// monitors. The first data manager creates the cells and the poll; the last
// one ends the poll and frees the cells. A data manager also creates, once
// per process, the desktop terminal and the two monitors and keeps them
// bound to the current controller.
//
// Node numbers of controllers run from 1 to 16 (0 addresses every node at
// once and is never a controller's own); node n has slot n - 1 of the node
// tables. Numbers from callers and from replies outside that range are
// refused.
//
// Everything but the poll runs on the thread that made the data manager.
// Every wait is bounded; a dead link ends in a message the user sees.
#pragma once

#include "comm/CommManager.h"
#include "manager/core/ControllerData.h"
#include "manager/core/ControllerProtocol.h"
#include "manager/core/LibraryBindings.h"
#include "manager/core/OpenWindowEntry.h"
#include "manager/core/ParamDef.h"
#include "manager/core/StatusPoller.h"
#include "platform/core/CString.h"
#include "platform/core/Wnd.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// From the status poll to the data manager and on to the frame that shows
// the link: wParam 0 the link is failing, 1 it is back.
inline constexpr UINT UM_LINKFAILED = WM_APP + 0x69;
// A time-out that a second query confirmed: the link is given up.
inline constexpr UINT UM_LINKTIMEOUT = WM_APP + 0x1C;

// Kinds of link a data manager opens.
inline constexpr int kLinkNone = 1;
inline constexpr int kLinkSerial = 2;
inline constexpr int kLinkTcp = 3;

inline constexpr int kFirstNode = 1;
inline constexpr int kLastNode = 16;
inline constexpr int kNodeSlots = kLastNode - kFirstNode + 1;
constexpr bool IsControllerNode(int node) { return node >= kFirstNode && node <= kLastNode; }

class CDataManager : public CWnd, private IPollTarget {
public:
    // The data manager's TCP port; the tools library's dialogs use the
    // port of "CommMan.ini" instead.
    static constexpr WORD kDataManagerTcpPort = 25;
    // A link that is neither ready nor closed after this long is given up.
    static constexpr DWORD kOpenTimeoutMs = 15000;
    // StopController waits this long, by default, for the axis to report that it stopped.
    static constexpr DWORD kStopWaitMs = 10000;
    // The engine's command in flight ends within its reply time-out; this
    // bounds the wait for it before a close.
    static constexpr DWORD kIdleTimeoutMs = 3 * CControllerProtocol::kReplyTimeoutMs;
    // A scan renumbers the line at most this often before it gives up.
    static constexpr int kMaxRenumberings = 2;
    static constexpr int kWaitWindowWidth = 362;
    static constexpr int kWaitWindowHeight = 100;
    static constexpr int kNoController = -1;

    CDataManager();
    ~CDataManager() override;

    // The data manager whose current controller the poll reads; null when
    // there is none.
    static CDataManager* GetCurrent();
    // The cells of the process (null before the first and after the last
    // data manager).
    static std::shared_ptr<StatusCells> GetStatusCells();
    // How the status poll marks the records it reads from a node of this link.
    StatusSource GetStatusSource(int node) const { return StatusSource{this, node}; }

    // Link. kind: kLinkNone, kLinkSerial with the COM port number, kLinkTcp
    // with the IPv4 address (first dotted number in the highest byte).
    void ApplyCommSettings(int kind, DWORD value);
    // TRUE when open (at once when it already was); otherwise message 41002,
    // the link closed, FALSE. Waits, pumping, until the link is ready, ends
    // with FALSE when it closes meanwhile or is not ready in time.
    BOOL OpenPort(int kind, DWORD value);
    BOOL IsPortOpen();
    // A bare line end (a controller drops a half line), then the node's name.
    BOOL ProbeNode(int node);
    // The close of a window: the poll paused, the link closed, under a wait window.
    BOOL CloseWithProgress();

    // The controller list and its reference twins.
    int GetControllerCount() const { return static_cast<int>(m_controllers.size()); }
    ControllerData* GetController(int index);
    ControllerData* GetReference(int index);
    int GetCurrentIndex() const { return m_current; }
    // An index out of range makes no controller current.
    void SetCurrentIndex(int index);
    ControllerData* GetCurrentController();
    // Appends an empty record to both lists; its index.
    int AddController();
    BOOL RemoveController(int index);
    // The record to its twin, and back.
    BOOL BackupController(int index);
    BOOL RestoreController(int index);
    // A first controller (no link) from the main window's new data; 40005 on failure.
    BOOL AddFirstController();
    // A first controller (no link) from a data file. A file that cannot be
    // opened fails quietly; one that cannot be read shows 40005. Missing
    // controller, actuator or interface texts are named in one message, and
    // the load still succeeds.
    BOOL LoadControllerFile(const CString& path);
    // A new current controller read from the node; on failure the previous
    // one stays current and the link error is shown.
    BOOL AddOnlineController(int node);

    // Controller exchanges; each needs an open link. The node is the
    // record's K38 unless given. A read that fails leaves the record as it was.
    BOOL ReadControllerIdentity(ControllerData& record, BOOL withPoints, BOOL withParameters);
    BOOL CheckControllerIdentity(ControllerData& record);
    // TRUE when the two records differ in robot, points (all fields but C of
    // rows used on either side), parameter values or network addresses.
    static BOOL CompareControllerData(const ControllerData& a, const ControllerData& b);
    // 1 INIT REC, 2 INIT PNT, 3 INIT TRIP, 4 INIT TIME, 5 INIT COMW to the
    // current controller; other codes succeed without sending.
    BOOL InitializeController(int code);
    BOOL WriteScanParameter();
    BOOL WriteDefaultComData(int node);
    // K20 of the current controller; a failed write that was not a time-out
    // still succeeds when K20 reads back as the value.
    BOOL WriteCheckedK20(int value);
    // Writes the parameters in which newRecord differs from controllerRecord
    // into the controller of controllerRecord's K38, each followed by a read
    // whose value replaces newRecord's. With full, K20 is made 2 first. Any
    // refused or unanswered command ends the operation with FALSE;
    // GetRefusedItem then names a refused item. K38 (the node number), K75
    // (renumbering) and K99 (trace stream) are never written.
    BOOL WriteParameterSet(ControllerData& newRecord, ControllerData& controllerRecord, BOOL full);
    // WriteParameterSet, then the point rows and the user's text that differ.
    BOOL WriteControllerData(ControllerData& target, ControllerData& current, BOOL full);
    // A parameter written by the last write asks for a controller restart.
    BOOL NeedsRestart() const { return m_restartNeeded; }
    // "K34", "H2", "PNT12", "COMW9", ... refused by the last write; empty when none.
    CString GetRefusedItem() const { return m_refusedItem; }

    // The line: every node's controller name and user text. kind is the
    // link's kind; the scan is the same for both. Messages are owned by owner.
    BOOL ScanNetwork(int kind, HWND owner);
    BOOL QueryComDataAll();
    BOOL IsNodePresent(int node) const;
    CString GetNodeName(int node) const;
    CString GetNodeUserText(int node) const;
    void SetNodeUserText(int node, const CString& text);

    // Status poll. PausePolling returns the previous suspended state; it
    // waits until the poll is parked between two whole queries. Over a closed
    // link the poll has nothing to ask: it is held while this manager is its
    // target, and goes on only while the window has yet to hear of the loss
    // (enabled), since its failing queries are how the window hears.
    BOOL PausePolling();
    void ResumePolling();
    void SetPollingEnabled(BOOL enabled);
    BOOL IsPollingEnabled() const { return m_pollingEnabled.load() ? TRUE : FALSE; }
    // Poll cycles begun in this process so far.
    static std::uint64_t PollCycleCount();
    BYTE GetLastAlarm() const { return m_lastAlarm.load(); }
    BOOL IsOutBit12Set() const;

    // STOP to the current controller, at once. With showWait a wait window
    // stays up, within a bound, while the axis reports that it moves.
    void StopController(BOOL showWait);
    // The string's text, then why the last command failed.
    void FormatLinkError(CString& out, UINT stringId) const;

    // The modeless windows, bound to this data manager's current controller.
    void ShowDesktopTerminal(const CString& name, const CString& text, BOOL busy);
    void ShowIoMonitor(const CString& first, const CString& second);
    void ShowStatusMonitor(const CString& first, const CString& second);
    void MakeCurrent(const CString& text, BOOL withMode);
    void NotifyTerminalMode(int code);
    void SetRunState(int state);
    int GetRunState() const;
    // The main window was minimised or restored: the visible monitors follow.
    static void ShowMonitorsMinimized(bool minimized);

    CCommManager* GetLink() { return &m_link; }
    CControllerProtocol* GetProtocol() { return &m_protocol; }
    // Where the known controller names come from (tests use a stand-in library).
    void SetDatabaseLibrary(const CString& library) { m_databaseLibrary = library; }
    // The TCP port that kind kLinkTcp connects to.
    void SetTcpPortNumber(WORD port) { m_tcpPort = port; }
    // How long StopController waits for the axis to stop.
    void SetStopWaitMs(DWORD ms) { m_stopWaitMs = ms; }

protected:
    afx_msg LRESULT OnLinkEvent(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLinkFailed(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLinkTimeout(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // What the poll needs of the current controller, copied on this thread
    // whenever it may have changed.
    struct PollTarget {
        bool valid = false;
        int node = 0;
        bool pollOutputs = false;
    };

    void PollCycle(PollFailureCounter& failures, StatusCells& cells, const std::atomic<bool>& stop) override;
    void CancelQuery() override;
    bool BeginPollQuery(LinkHandshake& handshake, const std::atomic<bool>& stop);
    void RefreshPollTarget();
    bool IsPollTarget() const;

    void MakeThisCurrent();
    void BindWindows(const CString& text, bool withMode);
    int CurrentNode() const;
    bool WaitUntilIdle();
    OpenWindowEntry DescribeLink() const;
    CString LinkName() const;
    // Fails the write of item: the refused item is remembered for an NG reply.
    BOOL WriteFailed(const CString& item);
    BOOL WriteParameterAt(int node, bool hParameter, int n, ControllerData& newRecord, const ParamDefTable* table);
    BOOL WritePoints(int node, ControllerData& target, ControllerData& current);
    bool OutputsMoving(bool moving, DWORD& lastQuery);

    ControllerDataStore m_store;
    CCommManager m_link;
    CControllerProtocol m_protocol;
    std::vector<ControllerDataSlot> m_controllers;
    std::vector<ControllerDataSlot> m_references;
    int m_current = kNoController;
    int m_runState = 0;
    std::atomic<int> m_commandPending{0};
    std::atomic<bool> m_pollingEnabled{false};
    std::atomic<BYTE> m_lastAlarm{0};
    std::atomic<bool> m_timeoutReported{false};
    std::mutex m_pollTargetLock;
    PollTarget m_pollTarget;

    std::array<bool, kNodeSlots> m_nodePresent{};
    std::array<CString, kNodeSlots> m_nodeNames;
    std::array<CString, kNodeSlots> m_nodeUsers;
    bool m_restartNeeded = false;
    CString m_refusedItem;
    CString m_windowText;  // the text the modeless windows were last given
    CString m_databaseLibrary{kDatabaseLibraryName};
    WORD m_tcpPort = kDataManagerTcpPort;
    int m_linkKind = kLinkNone;  // what the link was last set up for
    DWORD m_linkValue = 0;
    DWORD m_stopWaitMs = kStopWaitMs;
};
