#include "tools/CommandSession.h"

#include "tools/MessagePump.h"
#include "tools/ReplyReceiver.h"
#include "tools/TextUtility.h"

#include "comm/AnswerLine.h"
#include "comm/CommManager.h"

#include "platform/core/Time.h"

#include <atomic>
#include <string_view>

namespace {

std::atomic<DWORD> g_timeOutMs{CCommandSession::kDefaultTimeOutMs};

constexpr const char16_t* kLineEnd = u"\r\n";

// The deadline counts as reached when it is not later than the tick.
bool Reached(DWORD now, DWORD deadline)
{
    return static_cast<std::int32_t>(now - deadline) >= 0;
}

bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }
bool IsLetter(char16_t ch) { return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z'); }

// "NAME." for node 0, else "NAME.<node>" not followed by a further digit; a
// word of its own (not the end of "LOADING.1"), and only in the part of a
// line before its first "=": after it stands a value, which may be the
// user's own text ("ROBOT.1=RS-LONG.1", the echo of "@COMW2.1=CHECK OK.1").
BOOL HasToken(const CString& text, const char16_t* name, int node)
{
    CString token;
    if (node >= 1) token.Format(u"%s.%d", name, node);
    else token.Format(u"%s.", name);
    const std::u16string_view all = text.view();
    const std::u16string_view wanted = token.view();
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) end = all.size();
        const std::u16string_view line = all.substr(start, end - start);
        const std::u16string_view head = line.substr(0, line.find(u'='));
        for (size_t at = head.find(wanted); at != std::u16string_view::npos; at = head.find(wanted, at + 1)) {
            const size_t after = at + wanted.size();
            if (at > 0 && IsLetter(head[at - 1])) continue;
            if (node >= 1 && after < line.size() && IsDigit(line[after])) continue;
            return TRUE;
        }
        start = end + 1;
    }
    return FALSE;
}

}  // namespace

CCommandSession::CCommandSession(CCommManager* pLink, HANDLE* pLock, CString* pReceive)
    : m_pLink(pLink), m_pLock(pLock), m_pReceive(pReceive), m_dwOperationStart(GetTickCount())
{
}

CCommandSession::~CCommandSession() = default;

DWORD CCommandSession::GetTimeOut() { return g_timeOutMs.load(); }

void CCommandSession::SetTimeOut(DWORD dwTimeOutMs) { g_timeOutMs.store(dwTimeOutMs); }

bool CCommandSession::IsOffline() const { return m_pLink && m_pLink->GetPortType() == PORT_OFFLINE; }

bool CCommandSession::OverallLimitReached() const
{
    const DWORD limit = GetTimeOut() * kMaxWaitTimeOuts;
    return GetTickCount() - m_dwOperationStart >= limit;
}

void CCommandSession::Send(const CString& strText)
{
    m_dwOperationStart = GetTickCount();
    if (m_pReceive && m_pLock) {
        CReceiveLock lock(*m_pLock);
        if (lock.Locked()) m_pReceive->Empty();
    }
    // A refused send is not looked at: the wait for the reply then times out.
    if (m_pLink) m_pLink->SendData(strText);
}

int CCommandSession::ReadReplyLine(CString& strLine)
{
    if (!m_pReceive || !m_pLock) return kReplyTimeOut;
    CString copy;
    CString previous;
    DWORD deadline = GetTickCount() + GetTimeOut();
    for (;;) {
        {
            CReceiveLock lock(*m_pLock);
            if (lock.Locked()) copy = *m_pReceive;
        }
        const bool hasLine = copy.ReverseFind(u'\r') >= 0;
        const DWORD now = GetTickCount();
        if (Reached(now, deadline)) {
            if (copy == previous || copy.IsEmpty()) return kReplyTimeOut;
            previous = copy;
            deadline = now + GetTimeOut();
        } else {
            PumpMessages(1);
        }
        if (OverallLimitReached()) return kReplyTimeOut;
        Sleep(1);
        if (!hasLine) continue;

        CReceiveLock lock(*m_pLock);
        if (!lock.Locked()) continue;
        // The text may have grown while messages were pumped; lines end at its last CR.
        const int lastCr = m_pReceive->ReverseFind(u'\r');
        if (lastCr < 0) continue;
        strLine = m_pReceive->Left(lastCr + 1);
        m_pReceive->Delete(0, lastCr + 1);
        if (!m_pReceive->IsEmpty() && m_pReceive->GetAt(0) == u'\n') m_pReceive->Delete(0, 1);
        return kReplyLine;
    }
}

int CCommandSession::ParseReply(const CString& strText, int nNode)
{
    int result = kReplyNone;
    CString rest = strText;
    for (;;) {
        const int cr = rest.Find(u'\r');
        if (cr < 0) break;
        const CString line = rest.Left(cr);
        rest.Delete(0, cr + 1);
        if (!rest.IsEmpty() && rest[0] == u'\n') rest.Delete(0, 1);
        if (IsOK(line, nNode)) result = kReplyOK;
        else if (IsNG(line, nNode)) result = kReplyNG;
        else if (IsRUN(line, nNode)) result = kReplyRun;
        if (cr == 0) break;
    }
    return result;
}

BOOL CCommandSession::IsOK(const CString& strText, int nNode) { return HasToken(strText, u"OK", nNode); }
BOOL CCommandSession::IsNG(const CString& strText, int nNode) { return HasToken(strText, u"NG", nNode); }
BOOL CCommandSession::IsRUN(const CString& strText, int nNode) { return HasToken(strText, u"RUN", nNode); }

int CCommandSession::WaitForOwnReply(int nNode, comm::ReplyAttribution& attribution)
{
    using Token = comm::ReplyAttribution::Token;
    for (;;) {
        CString text;
        if (ReadReplyLine(text) != kReplyLine) return kReplyTimeOut;
        std::u16string_view rest = text.view();
        std::u16string_view line;
        std::u16string_view raw;
        while (comm::CutLine(rest, line, raw)) {
            const CString one(line);
            Token token = Token::None;
            if (!comm::IsEchoOfAnyCommand(line)) {
                if (IsOK(one, nNode)) token = Token::Ok;
                else if (IsNG(one, nNode)) token = Token::Ng;
                else if (IsRUN(one, nNode)) token = Token::Progress;
            }
            // An NG without a code is the owner's report of a line error: it
            // ends the command in flight, whoever's reply was coming in.
            if (token == Token::Ng && one.Find(u'=') < 0) return kReplyNG;
            // Lines of another command (a late reply, its echo, its OK) are passed over.
            if (!attribution.Take(line, token)) continue;
            if (token == Token::Ok) return kReplyOK;
            if (token == Token::Ng) return kReplyNG;
        }
        Sleep(1);
    }
}

BOOL CCommandSession::SendAndWait(int nNode, const CString& strCommand)
{
    Send(strCommand + kLineEnd);
    comm::ReplyAttribution attribution(strCommand.view(), comm::ReplyAttribution::Need::NoAnswer);
    return WaitForOwnReply(nNode, attribution) == kReplyOK ? TRUE : FALSE;
}

BOOL CCommandSession::SendAndGetReply(int nNode, const CString& strCommand, CString& strAnswer)
{
    Send(strCommand + kLineEnd);
    comm::ReplyAttribution attribution(strCommand.view(), comm::ReplyAttribution::Need::AnswerLines);
    switch (WaitForOwnReply(nNode, attribution)) {
    case kReplyOK: return ExtractAnswer(m_pLink, nNode, strCommand, strAnswer);
    case kReplyNG: strAnswer = u"Error!"; return FALSE;
    default:
        // An OK that closed no answer of this query: the controller answered nothing.
        strAnswer = attribution.SawUnansweredOk() ? u"OK not found" : u"time out";
        return FALSE;
    }
}

BOOL CCommandSession::SendAndGetReplyNode0(const CString& strCommand, CString& strAnswer)
{
    Send(strCommand + kLineEnd);
    for (;;) {
        CString text;
        if (ReadReplyLine(text) != kReplyLine) {
            // A late reply of an earlier command is no node's answer.
            const CString all = m_pLink ? m_pLink->GetInBuff() : CString();
            strAnswer = CString(comm::KeepLinesOfCommand(all.view(), strCommand.view()));
            return TRUE;
        }
        const int reply = ParseReply(text, 0);
        if (reply == kReplyNG) return FALSE;
        if (reply != kReplyOK) Sleep(1);
    }
}

BOOL CCommandSession::ExtractAnswer(CCommManager* pLink, int nNode, const CString& strCommand, CString& strAnswer)
{
    CString all = pLink ? pLink->GetInBuff() : CString();
    const CString last = LastLine(all, u'\r');
    if (!IsOK(last, nNode)) {
        strAnswer = u"OK not found";
        return FALSE;
    }
    all = all.Left(all.GetLength() - last.GetLength());
    // The in buffer may still hold what came before this command's reply (a
    // late answer of an earlier command, echoes): the answer is this
    // command's own lines after the last token or echo.
    std::u16string answer;
    std::u16string_view rest = all.view();
    std::u16string_view line;
    std::u16string_view raw;
    while (comm::CutLine(rest, line, raw)) {
        const CString one(line);
        if (comm::IsCommandEcho(line, strCommand.view()) || IsOK(one, nNode) || IsNG(one, nNode) ||
            IsRUN(one, nNode)) {
            answer.clear();
        } else if (comm::AnswerLineBelongsTo(line, strCommand.view())) {
            answer.append(raw.substr(raw.find_first_not_of(u'\n')));
        }
    }
    strAnswer = CString(std::move(answer));
    return TRUE;
}

int CCommandSession::Query(int nNode, const CString& strCommand, CString& strAnswer)
{
    return SendAndGetReply(nNode, strCommand, strAnswer) ? 1 : 0;
}

int CCommandSession::Write(int nNode, const CString& strCommand)
{
    return SendAndWait(nNode, strCommand) ? 1 : 0;
}

int CCommandSession::StartProgram(int nNode, int nProgram)
{
    if (IsOffline()) return 1;
    if (!m_pLink || nNode < 0 || nProgram < 1 || nProgram > 255) return 0;
    CString command;
    if (nNode == 0) command.Format(u"@START%d%s", nProgram, kLineEnd);
    else command.Format(u"@START%d.%d%s", nProgram, nNode, kLineEnd);
    // Sent without waiting; a link that refuses it is reported.
    return m_pLink->SendData(command) ? 1 : 0;
}

int CCommandSession::StopProgram(int nNode)
{
    if (IsOffline()) return 1;
    if (!m_pLink || nNode < 0) return 0;
    CString command;
    if (nNode == 0) command.Format(u"@STOP%s", kLineEnd);
    else command.Format(u"@STOP.%d%s", nNode, kLineEnd);
    return m_pLink->SendData(command) ? 1 : 0;
}

int CCommandSession::SetCont(int nNode, const CString& strText)
{
    if (IsOffline()) return 1;
    if (!m_pLink || nNode < 1) return 0;
    CString command;
    command.Format(u"@CONT.%d=%s", nNode, strText.GetString());
    return Write(nNode, command);
}

int CCommandSession::GetCont(int nNode, CString& strAnswer)
{
    if (IsOffline()) return 1;
    if (!m_pLink) return 0;
    if (nNode < 0) {
        strAnswer = u"Invalid Node No.";
        return 0;
    }
    if (nNode == 0) return SendAndGetReplyNode0(u"@?CONT", strAnswer) ? 1 : 0;
    CString command;
    command.Format(u"@?CONT.%d", nNode);
    return Query(nNode, command, strAnswer);
}

namespace {

// Node rule of the single-node queries.
bool ValidQueryNode(CCommManager* link, int node, CString& answer)
{
    if (!link) return false;
    if (node < 1) {
        answer = u"Invalid Node No.";
        return false;
    }
    return true;
}

}  // namespace

int CCommandSession::GetRobot(int nNode, CString& strAnswer)
{
    if (IsOffline()) return 1;
    if (!ValidQueryNode(m_pLink, nNode, strAnswer)) return 0;
    CString command;
    command.Format(u"@?ROBOT.%d", nNode);
    return Query(nNode, command, strAnswer);
}

int CCommandSession::GetVersion(int nNode, CString& strAnswer)
{
    if (IsOffline()) return 1;
    if (!ValidQueryNode(m_pLink, nNode, strAnswer)) return 0;
    CString command;
    command.Format(u"@?VER.%d", nNode);
    return Query(nNode, command, strAnswer);
}

int CCommandSession::GetType(int nNode, CString& strAnswer)
{
    if (IsOffline()) return 1;
    if (!ValidQueryNode(m_pLink, nNode, strAnswer)) return 0;
    CString command;
    command.Format(u"@?TYPE.%d", nNode);
    return Query(nNode, command, strAnswer);
}

int CCommandSession::GetKParam(int nNode, int nNumber, CString& strAnswer)
{
    if (IsOffline()) return 1;
    if (!ValidQueryNode(m_pLink, nNode, strAnswer)) return 0;
    CString command;
    command.Format(u"@?K%d.%d", nNumber, nNode);
    return Query(nNode, command, strAnswer);
}

int CCommandSession::GetKParamRange(int nNode, int nFirst, int nLast, CString& strAnswer)
{
    if (IsOffline()) return 1;
    if (!ValidQueryNode(m_pLink, nNode, strAnswer)) return 0;
    CString command;
    command.Format(u"@?K%d-%d.%d", nFirst, nLast, nNode);
    return Query(nNode, command, strAnswer);
}

int CCommandSession::SetKParam(int nNode, int nNumber, int nValue)
{
    if (IsOffline()) return 1;
    if (!m_pLink || nNode < 1) return 0;
    CString command;
    command.Format(u"@K%d.%d=%d", nNumber, nNode, nValue);
    return Write(nNode, command);
}

int CCommandSession::WriteUserName(int nNode, const CString& strName)
{
    if (IsOffline()) return 1;
    if (!m_pLink || nNode < 1) return 0;
    CString command;
    command.Format(u"@COMW2.%d=%s", nNode, strName.GetString());
    return Write(nNode, command);
}

int CCommandSession::ReadComParam(int nNode, int nItem, CString& strAnswer)
{
    if (IsOffline()) return 1;
    if (!ValidQueryNode(m_pLink, nNode, strAnswer)) return 0;
    CString command;
    command.Format(u"@?COMR%d.%d", nItem, nNode);
    return Query(nNode, command, strAnswer);
}

int CCommandSession::WriteComParam(int nNode, int nItem, const CString& strText)
{
    if (IsOffline()) return 1;
    if (!m_pLink || nNode < 1) return 0;
    CString command;
    command.Format(u"@COMW%d.%d=%s", nItem, nNode, strText.GetString());
    return Write(nNode, command);
}

int CCommandSession::GetOptionBoard(int nNode, int nOption, CString& strAnswer)
{
    if (IsOffline()) return 1;
    if (!ValidQueryNode(m_pLink, nNode, strAnswer)) return 0;
    if (nOption < 0 || nOption > 31) return 0;
    CString command;
    command.Format(u"@?OPTB%d.%d", nOption, nNode);
    return Query(nNode, command, strAnswer);
}

int CCommandSession::InitArea(int nNode, int nArea)
{
    static constexpr const char16_t* kAreas[] = {u"PNT", u"REC", u"TIME", u"TRIP", u"COMW"};
    if (IsOffline()) return 1;
    if (!m_pLink || nNode < 1 || nArea < 0 || nArea > 4) return 0;
    CString command;
    command.Format(u"@INIT %s.%d", kAreas[nArea], nNode);
    return Write(nNode, command);
}
