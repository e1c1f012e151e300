// The manager's controller protocol engine: builds command lines, hands them
// to the link, waits for the reply while the user interface keeps running,
// classifies the reply and takes out the answer.
//
// One command is in flight per engine. The data manager's status poll and the
// user-interface thread share an engine; the busy flag, taken atomically, keeps
// their commands apart, and a second command while one is in flight is
// refused at once. An answer belongs to its command: text before the
// command's own echo, another command's echoed reply, and answer lines that
// name another keyword, index or node (a late reply of a command that timed
// out) are passed over, and so is the OK that closes them; the wait goes on.
// The wait for a reply ends after one whole time-out period
// in which no new text arrived: a controller that keeps sending keeps the wait
// alive, up to kMaxReplyChars of reply.
#pragma once

#include "manager/core/ControllerLink.h"
#include "manager/core/ReplyText.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class CCommManager;

// Command kinds, each naming one keyword of the protocol.
enum CommandKind : int {
    kCmdK = 0, kCmdM, kCmdP, kCmdS, kCmdAC, kCmdDC, kCmdQ, kCmdZL, kCmdZH, kCmdN, kCmdJ, kCmdF, kCmdC, kCmdT,
    kCmdINB = 14, kCmdIN, kCmdOUTB, kCmdOUT, kCmdOPTB, kCmdOPT, kCmdWIN, kCmdWOUT, kCmdIO, kCmdWIO,
    kCmdD = 24, kCmdMSG, kCmdALM, kCmdWARN,
    kCmdRECF = 28, kCmdRECT, kCmdRECP, kCmdRECS, kCmdRECM, kCmdRECN, kCmdRECC, kCmdRECV, kCmdRECI, kCmdRECO,
    kCmdREC = 38, kCmdPNT, kCmdCONT, kCmdIF, kCmdROBOT, kCmdVER, kCmdVER2, kCmdH,
    kCmdCOM = 46,  // "COMR" as a query, "COMW" otherwise
    kCmdSETID = 47, kCmdTYPE, kCmdCOPY, kCmdDEL,
    kCmdInitPnt = 51, kCmdInitRec, kCmdInitTrip, kCmdInitTime, kCmdInitComw,
    kCmdReadPnt = 56, kCmdReadPrm, kCmdReadHprm, kCmdReadRec,
    kCmdStart = 60, kCmdOrg, kCmdJogPlus, kCmdJogMinus, kCmdInchPlus, kCmdInchMinus, kCmdTeach, kCmdStop,
    kCmdServo = 68, kCmdBrake, kCmdReset,
};

// Sent to the notify window when an action ended: wParam 1 END, 0 NG.
inline constexpr UINT kCommandEndedMessage = 0x0400 + 1002;

class CControllerProtocol {
public:
    // The time-out the data manager gives its engine; a new engine has 0.
    static constexpr int kReplyTimeoutMs = 2000;
    // A reply longer than this ends its command as failed: a line that keeps
    // talking must not hold a wait for ever.
    static constexpr int kMaxReplyChars = 1 << 20;

    CControllerProtocol();
    ~CControllerProtocol();
    CControllerProtocol(const CControllerProtocol&) = delete;
    CControllerProtocol& operator=(const CControllerProtocol&) = delete;

    // The link the engine speaks on; null until the data manager sets it.
    void SetLink(CCommManager* link);
    CCommManager* GetCommManager() const;
    // Any other source of text (tests feed the engine this way).
    void SetControllerLink(ControllerLink* link);
    ControllerLink* GetControllerLink() const { return m_link.load(); }

    void SetTimeOut(int ms) { m_timeOutMs.store(ms < 0 ? 0 : ms); }
    int GetTimeOut() const { return m_timeOutMs.load(); }

    // A command is in flight.
    BOOL IsBusy() const { return m_inFlight.load() != 0 ? TRUE : FALSE; }
    // Ends the command in flight: its wait returns failure at its next pass.
    void ClearBusy();
    // "TimeOut" after a time-out, the NG line from its token on after an NG,
    // empty after any other classification.
    CString GetLastErrorText() const;
    // The line that ended the last notified action ("NG.<node>=<code>" from
    // its token on), empty when it ended with END. Unlike the last error
    // text, no later command overwrites it before the window reads it.
    CString GetActionEndText() const;
    // The error code of the last NG reply (two hexadecimal digits after "="),
    // or -1 when the last classification was no NG.
    int GetLastNgCode() const;
    // The link has no port: commands succeed without being sent.
    BOOL IsOffline() const;

    // "@?" (query) or "@", then the keyword of the kind; "???" for an unknown kind.
    static CString KeywordOfCommand(int kind, BOOL query);

    // Basic operations. Send: kReplyBusy while a command is in flight, else
    // the text goes to the link: kReplySent, or kReplyRefused (the engine is
    // idle again). A new command starts from an empty receive buffer.
    int Send(const CString& text);
    // Waits for complete lines of the reply: kReplyLine with the text up to
    // and including the last CR received, or kReplyTimeout.
    int WaitLine(CString& line);
    // Classifies every line of the text for the command in flight.
    int ClassifyReply(const CString& text);
    // On the link's data event: takes the link's last read into the reply.
    void OnDataArrived();
    // On the link's line-error event: the command in flight ends as NG with
    // the code ("NG.<node>=<code>").
    void InjectLinkError(int code);
    // Sends STOP at once, whatever the busy state, without waiting: 1 when the
    // link took it (or the link is offline), 0 otherwise.
    int StopCommand(int node);

    // Wait forms: the text without its line end. Each returns 1 or 0.
    BOOL SendAndWaitDone(int node, const CString& text);
    BOOL SendAndWaitOk(int node, const CString& text);
    BOOL SendAndCollectOk(const CString& text);
    BOOL SendAndCollectText(const CString& text, CString& out);
    BOOL Query(int node, const CString& text, CString& answer);

    // Entry points by address form. Each returns 0 while busy and 1 at once,
    // sending nothing, when the link is offline; queries leave their out text
    // unchanged then.
    BOOL BroadcastSetId();
    BOOL Action(int kind, int node, BOOL noNotify, HWND window);
    BOOL ActionIndexed(int kind, int node, int index, BOOL noNotify, HWND window);
    BOOL Command(int kind, int node);
    BOOL CommandIndexed(int kind, int node, int index);
    BOOL CommandRange(int kind, int node, int first, int last);
    BOOL WriteValue(int kind, int node, int index, int number);
    BOOL WriteText(int kind, int node, const CString& text);
    BOOL WriteIndexedText(int kind, int node, int index, const CString& text);
    BOOL QueryCommand(int kind, int node, CString& out, BOOL query);
    BOOL QueryIndexed(int kind, int node, int index, CString& out);
    BOOL QueryRange(int kind, int node, int first, int last, CString& out);

private:
    // WaitLine's result when the command it waited for was ended by ClearBusy.
    static constexpr int kWaitCancelled = -1;

    int BeginCommand(int node, const CString& text, HWND notifyWindow, std::uint32_t& id);
    void EndCommand(std::uint32_t id);
    int WaitLineFor(std::uint32_t id, CString& line);
    // Reads the reply of the command in flight up to its own OK, NG or (with
    // runEnds) RUN, passing over the lines of other commands.
    int AwaitOwnReply(std::uint32_t id, comm::ReplyAttribution& attribution, bool runEnds);
    BOOL WaitForOk(std::uint32_t id, bool runEnds);
    CString CommandInFlight() const;
    BOOL Collect(std::uint32_t id, CString* out);
    void WaitForText(DWORD ms);
    // Wakes a wait for text: text came, or the command ended.
    void SignalText();
    void SetLastErrorText(const CString& text);
    // END or NG of the notify window's node: tell the window and forget it.
    // Returns the offset in the text of an ending line that is the action's
    // alone (the NG of an action that was sent STOP), which the command in
    // flight must pass over; npos otherwise.
    size_t ScanForCommandEnd(std::u16string_view text);
    void NotifyCommandEnded(HWND window, WPARAM ended);

    std::atomic<ControllerLink*> m_link{nullptr};
    std::unique_ptr<ControllerLink> m_commManagerLink;  // wraps the data manager's link
    std::atomic<CCommManager*> m_commManager{nullptr};
    std::atomic<int> m_timeOutMs{0};
    std::atomic<std::uint32_t> m_inFlight{0};  // id of the command in flight, 0 when idle
    std::atomic<std::uint32_t> m_lastId{0};
    HANDLE m_textEvent;  // set whenever reply text arrives or a command is ended
    std::atomic<std::uint64_t> m_textSignals{0};  // counts the settings of m_textEvent
    std::atomic<std::int64_t> m_sentAt{0};  // when the last command went out, steady clock

    mutable std::mutex m_lock;
    CString m_receive;    // text not yet taken by WaitLine
    CString m_reply;      // every text of the command in flight, for the answer
    bool m_overflow = false;
    CString m_command;    // command in flight without its line end
    int m_node = 0;       // node of the command in flight, 0 for none or all
    CString m_lastError;
    CString m_lineError;  // the NG line of a line error during the command in flight
    HWND m_notifyWindow;
    int m_notifyNode = 0;
    bool m_actionStopped = false;  // STOP went to the pending action's node
    CString m_actionEnd;
    CString m_idleText;   // text after the last command, scanned for its END
};
