// The tools library's command client: one short-lived object per controller
// operation, bound to the owner's link, the owner's lock and the owner's
// receive text (CReplyReceiver). It sends a command line, reads reply lines
// out of the receive text while pumping window messages, classifies them by
// the tokens "OK.", "NG." and "RUN." of the node, and takes query answers out
// of the link's in buffer. An answer belongs to its command: lines before
// the command's own echo, another command's echoed reply, and answer lines
// that name another keyword, index or node (a late reply of a command that
// timed out) are passed over, and so is the OK that closes them.
//
// The reply time-out is one value for the whole process. It is a silence
// limit: it only ends a wait when the receive text has not changed for a
// whole time-out. No operation waits longer than kMaxWaitTimeOuts time-outs
// in all, however much text keeps arriving.
//
// With an offline link (PORT_OFFLINE) every command operation succeeds at
// once, sends nothing and leaves the answer as it was.
#pragma once

#include "platform/core/CString.h"

class CCommManager;
namespace comm {
class ReplyAttribution;
}

class CCommandSession {
public:
    static constexpr DWORD kDefaultTimeOutMs = 2000;
    // A stream that never falls silent (or a reply that never ends) is given
    // up after this many time-outs.
    static constexpr DWORD kMaxWaitTimeOuts = 30;

    // Results of the reading steps.
    static constexpr int kReplyOK = 1;
    static constexpr int kReplyNG = 2;
    static constexpr int kReplyNone = 3;
    static constexpr int kReplyTimeOut = 4;
    static constexpr int kReplyLine = 6;
    static constexpr int kReplyRun = 8;

    CCommandSession(CCommManager* pLink, HANDLE* pLock, CString* pReceive);
    virtual ~CCommandSession();

    static DWORD GetTimeOut();
    static void SetTimeOut(DWORD dwTimeOutMs);

    // Empties the receive text, then hands the text to the link.
    void Send(const CString& strText);
    // Takes every complete line (up to the last CR) out of the receive text:
    // kReplyLine, or kReplyTimeOut after a silence of one time-out.
    int ReadReplyLine(CString& strLine);
    // The class of the last line that carries a token, up to the first empty
    // line: kReplyOK, kReplyNG, kReplyRun or kReplyNone.
    static int ParseReply(const CString& strText, int nNode);
    // The token of the node (any node for 0) as a word of its own in a line
    // of the text, before the line's first "=" (after it stands a value);
    // "OK.1" does not match "OK.12".
    static BOOL IsOK(const CString& strText, int nNode);
    static BOOL IsNG(const CString& strText, int nNode);
    static BOOL IsRUN(const CString& strText, int nNode);

    // A write or action: TRUE on OK; FALSE on NG or time-out.
    BOOL SendAndWait(int nNode, const CString& strCommand);
    // A query: TRUE with the answer lines; FALSE with "Error!", "time out" or
    // "OK not found".
    BOOL SendAndGetReply(int nNode, const CString& strCommand, CString& strAnswer);
    // A query to every node: TRUE with everything received once the line fell
    // silent; FALSE (answer untouched) on NG.
    BOOL SendAndGetReplyNode0(const CString& strCommand, CString& strAnswer);
    // The answer in the link's in buffer: the command's own answer lines
    // before the closing OK line of the node, without echoes and without the
    // lines of other commands that came before.
    static BOOL ExtractAnswer(CCommManager* pLink, int nNode, const CString& strCommand, CString& strAnswer);

    // Command operations; each returns 1 on success and 0 otherwise.
    // Start and stop go out without waiting for a reply.
    int StartProgram(int nNode, int nProgram);
    int StopProgram(int nNode);
    int SetCont(int nNode, const CString& strText);
    int GetCont(int nNode, CString& strAnswer);
    int GetRobot(int nNode, CString& strAnswer);
    int GetVersion(int nNode, CString& strAnswer);
    int GetType(int nNode, CString& strAnswer);
    int GetKParam(int nNode, int nNumber, CString& strAnswer);
    int GetKParamRange(int nNode, int nFirst, int nLast, CString& strAnswer);
    int SetKParam(int nNode, int nNumber, int nValue);
    int WriteUserName(int nNode, const CString& strName);
    int ReadComParam(int nNode, int nItem, CString& strAnswer);
    int WriteComParam(int nNode, int nItem, const CString& strText);
    int GetOptionBoard(int nNode, int nOption, CString& strAnswer);
    // Areas: 0 "PNT", 1 "REC", 2 "TIME", 3 "TRIP", 4 "COMW".
    int InitArea(int nNode, int nArea);

private:
    // Reads reply lines up to this command's own OK or NG: kReplyOK,
    // kReplyNG, or kReplyTimeOut.
    int WaitForOwnReply(int nNode, comm::ReplyAttribution& attribution);
    bool IsOffline() const;
    bool OverallLimitReached() const;
    int Query(int nNode, const CString& strCommand, CString& strAnswer);
    int Write(int nNode, const CString& strCommand);

    CCommManager* m_pLink;
    HANDLE* m_pLock;
    CString* m_pReceive;
    // Start of the current operation, for the overall bound.
    DWORD m_dwOperationStart;
};
