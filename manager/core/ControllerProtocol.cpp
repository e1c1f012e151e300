#include "manager/core/ControllerProtocol.h"

#include "comm/AnswerLine.h"
#include "comm/CommManager.h"
#include "manager/core/SystemHelpers.h"
#include "platform/core/KernelObject.h"
#include "platform/core/Messages.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Time.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <string_view>

namespace {

constexpr std::array<const char16_t*, 71> kKeywords = {
    u"K",        u"M",         u"P",         u"S",         u"AC",        u"DC",        u"Q",
    u"ZL",       u"ZH",        u"N",         u"J",         u"F",         u"C",         u"T",
    u"INB",      u"IN",        u"OUTB",      u"OUT",       u"OPTB",      u"OPT",       u"WIN",
    u"WOUT",     u"IO",        u"WIO",       u"D",         u"MSG",       u"ALM",       u"WARN",
    u"RECF",     u"RECT",      u"RECP",      u"RECS",      u"RECM",      u"RECN",      u"RECC",
    u"RECV",     u"RECI",      u"RECO",      u"REC",       u"PNT",       u"CONT",      u"IF",
    u"ROBOT",    u"VER",       u"VER2",      u"H",         u"COMW",      u"SETID",     u"TYPE",
    u"COPY",     u"DEL",       u"INIT PNT",  u"INIT REC",  u"INIT TRIP", u"INIT TIME", u"INIT COMW",
    u"READ PNT", u"READ PRM",  u"READ HPRM", u"READ REC",  u"START",     u"ORG",       u"JOG+",
    u"JOG-",     u"INCH+",     u"INCH-",     u"TEACH",     u"STOP",      u"SRVO",      u"BRK",
    u"RESET",
};

constexpr const char16_t* kLineEnd = u"\r\n";
constexpr const char16_t* kTimeOutText = u"TimeOut";
constexpr const char16_t* kOverflowText = u"Overflow";
constexpr const char16_t* kInProgressText = u"Command in progress";
constexpr const char16_t* kInvalidNodeText = u"Invalid Node No.";
constexpr const char16_t* kNgAnswerText = u"Error!";
constexpr const char16_t* kTimeOutAnswerText = u"time out";
constexpr const char16_t* kNoOkAnswerText = u"OK not found";
constexpr const char16_t* kCancelledAnswerText = u"Cancelled";

// The text after the last command: only its last, unfinished line is kept.
constexpr int kMaxIdleChars = 4096;
// How long after a command went out its wait may sit on the line itself
// (when the link can), not pumping this thread's messages meanwhile: a reply
// that comes at once is taken without a round through another thread.
constexpr auto kLineWait = std::chrono::milliseconds(2);
// How long a reply that has come in but waits to be read (the thread that
// reads the link is busy) may extend the wait.
constexpr DWORD kUnreadGraceMs = 20000;

class CommManagerLink : public ControllerLink {
public:
    explicit CommManagerLink(CCommManager* link) : m_link(link) {}
    int SendData(const CString& text) override { return m_link->SendData(text); }
    CString GetInBuffAtOnce() override { return m_link->GetInBuffAtOnce(); }
    void GetInBuffAtOnce(CString& text) override { m_link->GetInBuffAtOnce(text); }
    int GetPortType() override { return m_link->GetPortType(); }
    bool HasUnreadInput() override { return m_link->HasUnreadInput(); }
    bool WaitForInput(DWORD ms) override { return m_link->WaitForInputHere(static_cast<int>(ms)); }

private:
    CCommManager* m_link;
};

static_assert(kOfflinePortType == PORT_OFFLINE);

}  // namespace

CControllerProtocol::CControllerProtocol() : m_textEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CControllerProtocol::~CControllerProtocol()
{
    if (m_textEvent) CloseHandle(m_textEvent);
}

void CControllerProtocol::SetLink(CCommManager* link)
{
    // The data manager sets its link again each time it applies settings;
    // the same link keeps its adapter, which a command may be using.
    if (link && link == m_commManager.load() && m_link.load() == m_commManagerLink.get()) return;
    std::unique_ptr<ControllerLink> adapter = link ? std::make_unique<CommManagerLink>(link) : nullptr;
    m_link.store(adapter.get());
    m_commManager.store(link);
    m_commManagerLink = std::move(adapter);
}

CCommManager* CControllerProtocol::GetCommManager() const { return m_commManager.load(); }

void CControllerProtocol::SetControllerLink(ControllerLink* link)
{
    m_commManager.store(nullptr);
    m_link.store(link);
}

void CControllerProtocol::ClearBusy()
{
    {
        std::lock_guard guard(m_lock);
        m_node = 0;
        m_command.Empty();
        m_inFlight.store(0);
    }
    SignalText();
}

CString CControllerProtocol::GetLastErrorText() const
{
    std::lock_guard guard(m_lock);
    return m_lastError;
}

CString CControllerProtocol::GetActionEndText() const
{
    std::lock_guard guard(m_lock);
    return m_actionEnd;
}

int CControllerProtocol::GetLastNgCode() const
{
    const CString error = GetLastErrorText();
    if (error.Left(3) != u"NG.") return -1;
    const int equals = error.Find(u'=');
    if (equals < 0) return -1;
    const CString digits = error.Mid(equals + 1).Trim();
    if (digits.IsEmpty() || digits.GetLength() > 2) return -1;
    int code = 0;
    for (int i = 0; i < digits.GetLength(); ++i) {
        const char16_t ch = digits[i];
        int digit = -1;
        if (ch >= u'0' && ch <= u'9') digit = ch - u'0';
        if (ch >= u'A' && ch <= u'F') digit = ch - u'A' + 10;
        if (ch >= u'a' && ch <= u'f') digit = ch - u'a' + 10;
        if (digit < 0) return -1;
        code = code * 16 + digit;
    }
    return code;
}

void CControllerProtocol::SetLastErrorText(const CString& text)
{
    std::lock_guard guard(m_lock);
    m_lastError = text;
}

BOOL CControllerProtocol::IsOffline() const
{
    ControllerLink* link = m_link.load();
    return link && link->GetPortType() == kOfflinePortType ? TRUE : FALSE;
}

CString CControllerProtocol::KeywordOfCommand(int kind, BOOL query)
{
    CString text(query ? u"@?" : u"@");
    if (kind == kCmdCOM && query) {
        text += u"COMR";
    } else if (kind >= 0 && kind < static_cast<int>(kKeywords.size())) {
        text += kKeywords[static_cast<size_t>(kind)];
    } else {
        text += u"???";
    }
    return text;
}

int CControllerProtocol::BeginCommand(int node, const CString& text, HWND notifyWindow, std::uint32_t& id)
{
    id = m_lastId.fetch_add(1) + 1;
    if (id == 0) id = m_lastId.fetch_add(1) + 1;  // 0 means idle
    std::uint32_t idle = 0;
    if (!m_inFlight.compare_exchange_strong(idle, id)) return kReplyBusy;

    ControllerLink* link = m_link.load();
    {
        std::lock_guard guard(m_lock);
        // Whatever came after the last command (a late reply, the rest of a
        // timed-out one) is no part of this command's answer.
        m_receive.Empty();
        m_reply.Empty();
        m_idleText.Empty();
        m_overflow = false;
        m_lineError.Empty();
        m_node = node;
        m_command = text;
        m_command.TrimRight(u"\r\n");
        if (notifyWindow) {
            m_notifyWindow = notifyWindow;
            m_notifyNode = node;
            m_actionStopped = false;
            m_actionEnd.Empty();
        }
    }
    m_sentAt.store(std::chrono::steady_clock::now().time_since_epoch().count());
    // Outside the lock: a link may hand over its reply before SendData returns.
    if (!link || !link->SendData(text)) {
        EndCommand(id);
        return kReplyRefused;
    }
    return kReplySent;
}

void CControllerProtocol::EndCommand(std::uint32_t id)
{
    std::lock_guard guard(m_lock);
    if (m_inFlight.load() != id) return;
    m_node = 0;
    m_command.Empty();
    m_inFlight.store(0);
}

int CControllerProtocol::Send(const CString& text)
{
    std::uint32_t id = 0;
    return BeginCommand(0, text, HWND(), id);
}

int CControllerProtocol::WaitLine(CString& line) { return WaitLineFor(0, line); }

int CControllerProtocol::WaitLineFor(std::uint32_t id, CString& line)
{
    CString snapshot;
    DWORD start = GetTickCount();
    DWORD graceMs = 0;
    for (;;) {
        CString copy;
        {
            std::lock_guard guard(m_lock);
            // An ended command takes nothing: what is there belongs to the next
            // one, whose wake-up this wait may have taken.
            if (id != 0 && m_inFlight.load() != id) {
                SignalText();
                return kWaitCancelled;
            }
            const int cr = m_receive.ReverseFind(u'\r');
            if (cr >= 0) {
                int taken = cr + 1;
                if (taken < m_receive.GetLength() && m_receive[taken] == u'\n') ++taken;
                if (taken == m_receive.GetLength()) {
                    // The usual case, all of it: the buffers change hands, nothing is copied.
                    line.str().swap(m_receive.str());
                    line.str().resize(static_cast<size_t>(cr) + 1);
                    m_receive.Empty();
                } else {
                    line.str().assign(m_receive.view().substr(0, static_cast<size_t>(cr) + 1));
                    m_receive.Delete(0, taken);
                }
                return kReplyLine;
            }
            if (m_overflow) {
                m_lastError = kOverflowText;
                return kReplyTimeout;
            }
            copy = m_receive;
        }

        const DWORD timeOut = static_cast<DWORD>(m_timeOutMs.load());
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeOut) {
            // Only a whole period without new text is a time-out.
            if (copy.IsEmpty() || copy == snapshot) {
                // Text that came in time but waits for a busy thread to read
                // it is not silence: the wait goes on, within a bound.
                ControllerLink* link = m_link.load();
                if (link && link->HasUnreadInput() && graceMs < kUnreadGraceMs) {
                    graceMs += timeOut > 0 ? timeOut : 1;
                    start = GetTickCount();
                    continue;
                }
                SetLastErrorText(kTimeOutText);
                return kReplyTimeout;
            }
            snapshot = copy;
            start = GetTickCount();
            continue;
        }
        WaitForText(timeOut - elapsed);
    }
}

void CControllerProtocol::SignalText()
{
    ++m_textSignals;
    SetEvent(m_textEvent);
}

void CControllerProtocol::WaitForText(DWORD ms)
{
    // The link's events reach the engine through this thread's messages when
    // it is the user-interface thread; a message or new text ends the wait.
    const std::uint64_t signals = m_textSignals.load();
    PumpMessages(1);
    if (m_textSignals.load() != signals) return;
    const auto sent = std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(m_sentAt.load()));
    const auto left = kLineWait - (std::chrono::steady_clock::now() - sent);
    ControllerLink* link = m_link.load();
    if (link && left.count() > 0) {
        const auto leftMs = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        if (link->WaitForInput(std::min<DWORD>(ms, static_cast<DWORD>(leftMs)))) return;
    }
    MsgWaitForMultipleObjects(1, &m_textEvent, FALSE, ms, QS_ALLINPUT);
}

int CControllerProtocol::ClassifyReply(const CString& text)
{
    int node = 0;
    CString command;
    {
        std::lock_guard guard(m_lock);
        node = m_node;
        command = m_command;
    }
    CString own = text;
    const size_t actionsOwn = ScanForCommandEnd(text.view());
    if (actionsOwn != std::u16string_view::npos) {
        // A stopped action's NG is the action's, not a refusal of this command.
        std::u16string_view after = text.view().substr(actionsOwn);
        std::u16string_view line;
        CutReplyLine(after, line);
        own = CString(text.view().substr(0, actionsOwn)) + CString(after);
    }
    CString lastError;
    const int result = ClassifyReplyText(own.view(), node, command.view(), lastError);
    SetLastErrorText(lastError);
    return result;
}

size_t CControllerProtocol::ScanForCommandEnd(std::u16string_view text)
{
    HWND window;
    WPARAM ended = 0;
    size_t actionsOwn = std::u16string_view::npos;
    {
        std::lock_guard guard(m_lock);
        if (!m_notifyWindow) return actionsOwn;
        const std::u16string_view whole = text;
        std::u16string_view line;
        bool found = false;
        while (!found && CutReplyLine(text, line)) {
            size_t at = 0;
            switch (FindReplyToken(line, m_notifyNode, &at)) {
            case ReplyToken::End:
                ended = 1;
                found = true;
                m_actionEnd.Empty();
                break;
            case ReplyToken::Ng:
                ended = 0;
                found = true;
                m_actionEnd = CString(line.substr(at));
                // After a STOP the action's NG is expected: it ends the action
                // and is no refusal of whatever command is in flight now.
                if (m_actionStopped) actionsOwn = static_cast<size_t>(line.data() - whole.data());
                break;
            default: break;
            }
        }
        if (!found) return actionsOwn;
        window = m_notifyWindow;
        m_notifyWindow = HWND();
        m_actionStopped = false;
    }
    NotifyCommandEnded(window, ended);
    return actionsOwn;
}

void CControllerProtocol::NotifyCommandEnded(HWND window, WPARAM ended)
{
    if (IsWindow(window)) PostMessageW(window, kCommandEndedMessage, ended, 0);
}

void CControllerProtocol::OnDataArrived()
{
    ControllerLink* link = m_link.load();
    if (!link) return;
    // Kept from read to read: a long reply is not a fresh allocation each time.
    thread_local CString text;
    link->GetInBuffAtOnce(text);
    if (text.IsEmpty()) return;
    CString idleLines;
    {
        std::lock_guard guard(m_lock);
        if (m_inFlight.load() != 0) {
            if (m_reply.GetLength() + text.GetLength() > kMaxReplyChars) {
                m_overflow = true;
            } else {
                m_receive += text;
                m_reply += text;
            }
        } else if (m_notifyWindow) {
            // An action's END may come long after its wait ended.
            m_idleText += text;
            const int cr = m_idleText.ReverseFind(u'\r');
            if (cr >= 0) {
                idleLines = m_idleText.Left(cr + 1);
                m_idleText.Delete(0, cr + 1);
            }
            if (m_idleText.GetLength() > kMaxIdleChars) m_idleText.Empty();
        }
    }
    if (!idleLines.IsEmpty()) ScanForCommandEnd(idleLines.view());
    SignalText();
}

void CControllerProtocol::InjectLinkError(int code)
{
    HWND window;
    {
        std::lock_guard guard(m_lock);
        CString line;
        if (m_inFlight.load() != 0) {
            if (m_node > 0) {
                line.Format(u"NG.%d=%02x\r\n", m_node, code & 0xFF);
            } else {
                line.Format(u"NG.=%02x\r\n", code & 0xFF);
            }
            m_receive = line;
            // The command's own end, whoever's reply was coming in.
            m_lineError = line;
            m_lineError.TrimRight(u"\r\n");
        } else if (m_notifyWindow) {
            // No END will come over a broken line: the action's window learns now.
            line.Format(u"NG.%d=%02x", m_notifyNode, code & 0xFF);
            m_lastError = line;
            m_actionEnd = line;
            window = m_notifyWindow;
            m_notifyWindow = HWND();
        } else {
            return;
        }
    }
    if (window) NotifyCommandEnded(window, 0);
    SignalText();
}

int CControllerProtocol::StopCommand(int node)
{
    ControllerLink* link = m_link.load();
    if (!link) return 0;
    if (link->GetPortType() == kOfflinePortType) return 1;
    if (node < 0) return 0;
    {
        std::lock_guard guard(m_lock);
        if (m_notifyWindow && (node == 0 || node == m_notifyNode)) m_actionStopped = true;
    }
    CString text;
    if (node == 0) {
        text = u"@STOP\r\n";
    } else {
        text.Format(u"@STOP.%d\r\n", node);
    }
    return link->SendData(text) ? 1 : 0;
}

int CControllerProtocol::AwaitOwnReply(std::uint32_t id, comm::ReplyAttribution& attribution, bool runEnds)
{
    int node = 0;
    {
        std::lock_guard guard(m_lock);
        node = m_node;
    }
    // Trades buffers with the receive text (see WaitLineFor): both keep their
    // room from command to command. It is only used between two waits, so a
    // command that runs inside a wait on this thread cannot disturb it.
    thread_local CString text;
    for (;;) {
        const int waited = WaitLineFor(id, text);
        if (waited != kReplyLine) return waited;
        CString lineError;
        {
            std::lock_guard guard(m_lock);
            lineError = m_lineError;
            m_lineError.Empty();
        }
        if (!lineError.IsEmpty()) {
            SetLastErrorText(lineError);
            return kReplyNg;
        }
        const size_t actionsOwn = ScanForCommandEnd(text.view());
        attribution.Reserve(text.view().size());
        std::u16string_view rest = text.view();
        std::u16string_view line;
        while (CutReplyLine(rest, line)) {
            if (actionsOwn != std::u16string_view::npos &&
                static_cast<size_t>(line.data() - text.view().data()) == actionsOwn)
                continue;
            size_t at = 0;
            const ReplyToken token = FindLineToken(line, node, &at);
            // Lines of another command (a late reply, its echo, its OK) are passed over.
            if (!attribution.Take(line, AttributionToken(token))) continue;
            switch (token) {
            case ReplyToken::Ng:
                SetLastErrorText(CString(line.substr(at)));
                return kReplyNg;
            case ReplyToken::Ok:
                SetLastErrorText(CString());
                return kReplyOk;
            case ReplyToken::Run:
                SetLastErrorText(CString());
                if (runEnds) return kReplyRun;
                break;
            case ReplyToken::Loading: SetLastErrorText(CString()); break;
            case ReplyToken::End:
            case ReplyToken::None: break;
            }
        }
    }
}

BOOL CControllerProtocol::WaitForOk(std::uint32_t id, bool runEnds)
{
    comm::ReplyAttribution attribution(CommandInFlight().view(), comm::ReplyAttribution::Need::NoAnswer);
    const int result = AwaitOwnReply(id, attribution, runEnds);
    if (result == kWaitCancelled) return FALSE;
    EndCommand(id);
    return result == kReplyOk || result == kReplyRun ? TRUE : FALSE;
}

CString CControllerProtocol::CommandInFlight() const
{
    std::lock_guard guard(m_lock);
    return m_command;
}

BOOL CControllerProtocol::SendAndWaitDone(int node, const CString& text)
{
    std::uint32_t id = 0;
    if (BeginCommand(node, text + kLineEnd, HWND(), id) != kReplySent) return FALSE;
    return WaitForOk(id, true);
}

BOOL CControllerProtocol::SendAndWaitOk(int node, const CString& text)
{
    std::uint32_t id = 0;
    if (BeginCommand(node, text + kLineEnd, HWND(), id) != kReplySent) return FALSE;
    return WaitForOk(id, false);
}

BOOL CControllerProtocol::Collect(std::uint32_t id, CString* out)
{
    bool sawOk = false;
    for (;;) {
        CString line;
        const int waited = WaitLineFor(id, line);
        if (waited == kWaitCancelled) return FALSE;
        if (waited == kReplyTimeout) {
            // Every node has had a whole period to answer.
            CString reply;
            CString command;
            bool overflow = false;
            {
                std::lock_guard guard(m_lock);
                if (m_inFlight.load() != id) return FALSE;
                reply = m_reply;
                command = m_command;
                overflow = m_overflow;
                if (sawOk && !overflow) m_lastError.Empty();
            }
            EndCommand(id);
            if (!sawOk || overflow) return FALSE;
            // A late reply of an earlier command is no node's answer.
            if (out) {
                const CString withoutEcho = WithoutEcho(reply.view(), command.view());
                *out = CString(comm::KeepLinesOfCommand(withoutEcho.view(), command.view()));
            }
            return TRUE;
        }
        const int result = ClassifyReply(line);
        if (result == kReplyOk) sawOk = true;
        if (result == kReplyNg) {
            EndCommand(id);
            return FALSE;
        }
    }
}

BOOL CControllerProtocol::SendAndCollectOk(const CString& text)
{
    std::uint32_t id = 0;
    if (BeginCommand(0, text + kLineEnd, HWND(), id) != kReplySent) return FALSE;
    return Collect(id, nullptr);
}

BOOL CControllerProtocol::SendAndCollectText(const CString& text, CString& out)
{
    std::uint32_t id = 0;
    if (BeginCommand(0, text + kLineEnd, HWND(), id) != kReplySent) return FALSE;
    return Collect(id, &out);
}

BOOL CControllerProtocol::Query(int node, const CString& text, CString& answer)
{
    std::uint32_t id = 0;
    if (BeginCommand(node, text + kLineEnd, HWND(), id) != kReplySent) {
        answer = kInProgressText;
        return FALSE;
    }
    const CString command = CommandInFlight();
    comm::ReplyAttribution attribution(command.view(), AnswerNeedOf(command.view()));
    // The answer grows in room kept from the last query on this thread.
    thread_local std::u16string room;
    attribution.SwapAnswer(room);
    struct GiveBack {
        comm::ReplyAttribution& attribution;
        ~GiveBack()
        {
            attribution.SwapAnswer(room);
            room.clear();
        }
    } giveBack{attribution};
    const int result = AwaitOwnReply(id, attribution, false);
    switch (result) {
    case kWaitCancelled:
        answer = kCancelledAnswerText;
        return FALSE;
    case kReplyOk:
        EndCommand(id);
        answer.str().assign(attribution.Answer());
        return TRUE;
    case kReplyNg:
        EndCommand(id);
        answer = kNgAnswerText;
        return FALSE;
    default:
        EndCommand(id);
        // An OK that closed no answer of this query: the controller answered nothing.
        answer = attribution.SawUnansweredOk() ? kNoOkAnswerText : kTimeOutAnswerText;
        return FALSE;
    }
}

BOOL CControllerProtocol::BroadcastSetId()
{
    if (IsOffline()) return TRUE;
    CString collected;
    return SendAndCollectText(KeywordOfCommand(kCmdSETID, FALSE), collected);
}

BOOL CControllerProtocol::Action(int kind, int node, BOOL noNotify, HWND window)
{
    if (IsBusy()) return FALSE;
    if (IsOffline()) return TRUE;
    if (node < 1) return FALSE;
    CString text;
    text.Format(u"%s.%d", KeywordOfCommand(kind, FALSE).GetString(), node);
    std::uint32_t id = 0;
    if (BeginCommand(node, text + kLineEnd, noNotify ? HWND() : window, id) != kReplySent) return FALSE;
    return WaitForOk(id, true);
}

BOOL CControllerProtocol::ActionIndexed(int kind, int node, int index, BOOL noNotify, HWND window)
{
    if (IsBusy()) return FALSE;
    if (IsOffline()) return TRUE;
    if (node < 1) return FALSE;
    CString text;
    text.Format(u"%s%d.%d", KeywordOfCommand(kind, FALSE).GetString(), index, node);
    std::uint32_t id = 0;
    if (BeginCommand(node, text + kLineEnd, noNotify ? HWND() : window, id) != kReplySent) return FALSE;
    return WaitForOk(id, true);
}

BOOL CControllerProtocol::Command(int kind, int node)
{
    if (IsBusy()) return FALSE;
    if (IsOffline()) return TRUE;
    if (node < 1) return FALSE;
    CString text;
    text.Format(u"%s.%d", KeywordOfCommand(kind, FALSE).GetString(), node);
    return SendAndWaitOk(node, text);
}

BOOL CControllerProtocol::CommandIndexed(int kind, int node, int index)
{
    if (IsBusy()) return FALSE;
    if (IsOffline()) return TRUE;
    if (node < 1) return FALSE;
    CString text;
    text.Format(u"%s%d.%d", KeywordOfCommand(kind, FALSE).GetString(), index, node);
    return SendAndWaitOk(node, text);
}

BOOL CControllerProtocol::CommandRange(int kind, int node, int first, int last)
{
    if (IsBusy()) return FALSE;
    if (IsOffline()) return TRUE;
    if (node < 1) return FALSE;
    CString text;
    text.Format(u"%s%d-%d.%d", KeywordOfCommand(kind, FALSE).GetString(), first, last, node);
    return SendAndWaitOk(node, text);
}

BOOL CControllerProtocol::WriteValue(int kind, int node, int index, int number)
{
    if (IsBusy()) return FALSE;
    if (IsOffline()) return TRUE;
    if (node < 0) return FALSE;
    CString text;
    if (node == 0) {
        text.Format(u"%s%d=%d", KeywordOfCommand(kind, FALSE).GetString(), index, number);
        return SendAndCollectOk(text);
    }
    text.Format(u"%s%d.%d=%d", KeywordOfCommand(kind, FALSE).GetString(), index, node, number);
    return SendAndWaitOk(node, text);
}

BOOL CControllerProtocol::WriteText(int kind, int node, const CString& value)
{
    if (IsBusy()) return FALSE;
    if (IsOffline()) return TRUE;
    if (node < 1) return FALSE;
    CString text;
    text.Format(u"%s.%d=%s", KeywordOfCommand(kind, FALSE).GetString(), node, value.GetString());
    return SendAndWaitOk(node, text);
}

BOOL CControllerProtocol::WriteIndexedText(int kind, int node, int index, const CString& value)
{
    if (IsBusy()) return FALSE;
    if (IsOffline()) return TRUE;
    if (node < 1) return FALSE;
    CString text;
    text.Format(u"%s%d.%d=%s", KeywordOfCommand(kind, FALSE).GetString(), index, node, value.GetString());
    return SendAndWaitOk(node, text);
}

BOOL CControllerProtocol::QueryCommand(int kind, int node, CString& out, BOOL query)
{
    if (IsBusy()) {
        out = kInProgressText;
        return FALSE;
    }
    if (IsOffline()) return TRUE;
    if (node < 0) {
        out = kInvalidNodeText;
        return FALSE;
    }
    const CString keyword = KeywordOfCommand(kind, query);
    if (node == 0) return SendAndCollectText(keyword, out);
    CString text;
    text.Format(u"%s.%d", keyword.GetString(), node);
    return Query(node, text, out);
}

BOOL CControllerProtocol::QueryIndexed(int kind, int node, int index, CString& out)
{
    if (IsBusy()) {
        out = kInProgressText;
        return FALSE;
    }
    if (IsOffline()) return TRUE;
    if (node < 0) {
        out = kInvalidNodeText;
        return FALSE;
    }
    const CString keyword = KeywordOfCommand(kind, TRUE);
    CString text;
    if (node == 0) {
        text.Format(u"%s%d", keyword.GetString(), index);
        return SendAndCollectText(text, out);
    }
    text.Format(u"%s%d.%d", keyword.GetString(), index, node);
    return Query(node, text, out);
}

BOOL CControllerProtocol::QueryRange(int kind, int node, int first, int last, CString& out)
{
    if (IsBusy()) {
        out = kInProgressText;
        return FALSE;
    }
    if (IsOffline()) return TRUE;
    if (node < 1) {
        out = kInvalidNodeText;
        return FALSE;
    }
    CString text;
    text.Format(u"%s%d-%d.%d", KeywordOfCommand(kind, TRUE).GetString(), first, last, node);
    return Query(node, text, out);
}
