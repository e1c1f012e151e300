#include "tools/ReplyReceiver.h"

#include "tools/CommandSession.h"

#include "comm/CommManager.h"

#include "platform/core/Synchronization.h"

#include <cstdio>

CReceiveLock::CReceiveLock(HANDLE hMutex) : m_hMutex(hMutex), m_bLocked(false)
{
    if (!hMutex) return;
    const DWORD result = WaitForSingleObject(hMutex, CReplyReceiver::kLockTimeoutMs);
    m_bLocked = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    if (!m_bLocked) std::fputs("SorvadelLib: receive text lock not obtained\n", stderr);
}

CReceiveLock::~CReceiveLock()
{
    if (m_bLocked) ReleaseMutex(m_hMutex);
}

CReplyReceiver::CReplyReceiver() : m_hMutex(CreateMutexW(nullptr, FALSE, nullptr)) {}

CReplyReceiver::~CReplyReceiver()
{
    if (m_hMutex) CloseHandle(m_hMutex);
}

LRESULT CReplyReceiver::OnCommNotify(CCommManager* pLink, LPARAM lParam, int nNodeNo)
{
    switch (LOWORD(lParam)) {
    case LINK_EVENT_READ:
        if (pLink) Append(pLink->GetInBuffAtOnce());
        break;
    case LINK_EVENT_ERROR: {
        CString line;
        line.Format(u"NG.%d%s", nNodeNo, u"\r\n");
        Append(line);
        break;
    }
    default:
        break;
    }
    return 0;
}

void CReplyReceiver::Append(const CString& strText)
{
    if (strText.IsEmpty()) return;
    CReceiveLock lock(m_hMutex);
    if (lock.Locked()) m_strText += strText;
}

void CReplyReceiver::Clear()
{
    CReceiveLock lock(m_hMutex);
    if (lock.Locked()) m_strText.Empty();
}

CString CReplyReceiver::Snapshot()
{
    CReceiveLock lock(m_hMutex);
    return lock.Locked() ? m_strText : CString();
}

CCommandSession CReplyReceiver::MakeSession(CCommManager* pLink)
{
    return CCommandSession(pLink, &m_hMutex, &m_strText);
}
