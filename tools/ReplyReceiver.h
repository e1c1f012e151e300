// The owner's side of the command client: the receive text that a dialog
// (or the trace window) fills from its link events, and the lock that guards
// it against the command session and the trace's extract thread.
//
//   CReplyReceiver m_reply;                   // member of the dialog
//   LRESULT OnCommNotify(WPARAM, LPARAM lParam)
//   {   return m_reply.OnCommNotify(m_pCommMan, lParam, m_nNodeNo); }
//   ...
//   CCommandSession session = m_reply.MakeSession(m_pCommMan);
//   session.GetRobot(m_nNodeNo, strRobot);
//
// Each receiver has a lock of its own, so two windows never wait on each
// other's text.
#pragma once

#include "platform/core/CString.h"

class CCommManager;
class CCommandSession;

class CReplyReceiver {
public:
    // The lock is held for one text operation (or one batch of sample lines);
    // the bound only guards against a fault.
    static constexpr DWORD kLockTimeoutMs = 10000;

    CReplyReceiver();
    ~CReplyReceiver();
    CReplyReceiver(const CReplyReceiver&) = delete;
    CReplyReceiver& operator=(const CReplyReceiver&) = delete;

    // Link event 0x7E8: kind 1 appends what the link read last; kind 256 (a
    // line error) appends "NG.<node>" and CR LF so that a waiting command
    // ends as refused. Other kinds are left to the window. Returns 0.
    LRESULT OnCommNotify(CCommManager* pLink, LPARAM lParam, int nNodeNo);

    void Append(const CString& strText);
    void Clear();
    CString Snapshot();

    CCommandSession MakeSession(CCommManager* pLink);
    HANDLE* LockHandle() { return &m_hMutex; }
    CString* Text() { return &m_strText; }

private:
    HANDLE m_hMutex;
    CString m_strText;
};

// Holds a receiver's lock for a scope; Locked() is false when the bound ran
// out (then nothing may touch the text).
class CReceiveLock {
public:
    explicit CReceiveLock(HANDLE hMutex);
    ~CReceiveLock();
    CReceiveLock(const CReceiveLock&) = delete;
    CReceiveLock& operator=(const CReceiveLock&) = delete;
    bool Locked() const { return m_bLocked; }

private:
    HANDLE m_hMutex;
    bool m_bLocked;
};
