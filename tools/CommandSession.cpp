#include "tools/CommandSession.h"

#include "tools/MessagePump.h"
#include "tools/ReplyReceiver.h"
#include "tools/TextUtility.h"

#include "comm/CommManager.h"

#include "platform/core/Time.h"

#include <atomic>

namespace {

std::atomic<DWORD> g_timeOutMs{CCommandSession::kDefaultTimeOutMs};

constexpr const char16_t* kLineEnd = u"\r\n";

// The deadline counts as reached when it is not later than the tick.
bool Reached(DWORD now, DWORD deadline)
{
    return static_cast<std::int32_t>(now - deadline) >= 0;
}

bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

// "NAME." for node 0, else "NAME.<node>" not followed by a further digit.
BOOL HasToken(const CString& text, const char16_t* name, int node)
{
    CString token;
    if (node >= 1) token.Format(u"%s.%d", name, node);
    else token.Format(u"%s.", name);
    for (int at = text.Find(token.GetString()); at >= 0; at = text.Find(token.GetString(), at + 1)) {
        const int after = at + token.GetLength();
        if (node < 1 || after >= text.GetLength() || !IsDigit(text[after])) return TRUE;
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

BOOL CCommandSession::SendAndWait(int nNode, const CString& strCommand)
{
    Send(strCommand + kLineEnd);
    for (;;) {
        CString text;
        if (ReadReplyLine(text) != kReplyLine) return FALSE;
        const int reply = ParseReply(text, nNode);
        if (reply == kReplyOK) return TRUE;
        if (reply == kReplyNG) return FALSE;
        Sleep(1);
    }
}

BOOL CCommandSession::SendAndGetReply(int nNode, const CString& strCommand, CString& strAnswer)
{
    Send(strCommand + kLineEnd);
    for (;;) {
        CString text;
        if (ReadReplyLine(text) != kReplyLine) {
            strAnswer = u"time out";
            return FALSE;
        }
        const int reply = ParseReply(text, nNode);
        if (reply == kReplyOK) return ExtractAnswer(m_pLink, nNode, strCommand, strAnswer);
        if (reply == kReplyNG) {
            strAnswer = u"Error!";
            return FALSE;
        }
        Sleep(1);
    }
}

BOOL CCommandSession::SendAndGetReplyNode0(const CString& strCommand, CString& strAnswer)
{
    Send(strCommand + kLineEnd);
    for (;;) {
        CString text;
        if (ReadReplyLine(text) != kReplyLine) {
            strAnswer = m_pLink ? m_pLink->GetInBuff() : CString();
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
    CString first = TokenTo(all, u'\r', 0);
    first.TrimRight();
    if (!first.IsEmpty() && first == strCommand) {
        all.Delete(0, strCommand.GetLength() + 1);
        if (!all.IsEmpty() && all[0] == u'\n') all.Delete(0, 1);
    }
    const CString last = LastLine(all, u'\r');
    if (!IsOK(last, nNode)) {
        strAnswer = u"OK not found";
        return FALSE;
    }
    strAnswer = all.Left(all.GetLength() - last.GetLength());
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
