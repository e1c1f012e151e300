#include "comm/CommManager.h"

#include "comm/LinkShared.h"
#include "comm/SendChunk.h"
#include "comm/SerialPort.h"
#include "comm/SettingsFolder.h"
#include "comm/TcpPort.h"

#include "platform/core/MessageBox.h"
#include "platform/core/MessageMap.h"
#include "platform/core/Synchronization.h"

#include <algorithm>
#include <limits>
#include <mutex>

namespace {

// Holds one of the buffer locks for one buffer operation.
class BufferLock {
public:
    // Before Initialize there are no locks and no threads to guard against.
    explicit BufferLock(HANDLE mutex) : m_mutex(mutex)
    {
        if (!mutex) {
            m_held = true;
            return;
        }
        const DWORD result = WaitForSingleObject(mutex, CCommManager::kBufferLockTimeoutMs);
        m_held = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
        m_owned = m_held;
    }
    ~BufferLock()
    {
        if (m_owned) ReleaseMutex(m_mutex);
    }
    BufferLock(const BufferLock&) = delete;
    BufferLock& operator=(const BufferLock&) = delete;
    explicit operator bool() const { return m_held; }

private:
    HANDLE m_mutex;
    bool m_held = false;
    bool m_owned = false;
};

// Counts a port call that may pump messages. It holds the link's shared
// part, so it can tell afterwards whether the manager is still there.
class PortBusy {
public:
    explicit PortBusy(std::shared_ptr<comm::LinkShared> link) : m_link(std::move(link)) { ++m_link->portBusy; }
    ~PortBusy()
    {
        if (--m_link->portBusy == 0 && m_link->managerGone) m_link->orphanPort.reset();
    }
    PortBusy(const PortBusy&) = delete;
    PortBusy& operator=(const PortBusy&) = delete;
    bool ManagerGone() const { return m_link->managerGone; }

private:
    std::shared_ptr<comm::LinkShared> m_link;
};

}  // namespace

namespace {

// Sent by the manager to its own window: the socket's watcher may watch again.
constexpr UINT kWatchAgainMessage = WM_COMM_LINK_EVENT + 1;

}  // namespace

BEGIN_MESSAGE_MAP(CCommManager, CWnd)
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CCommManager::OnCommNotify)
    ON_MESSAGE(kWatchAgainMessage, &CCommManager::OnWatchAgain)
    ON_WM_SYSCOMMAND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CCommManager::CCommManager()
    : m_bInitialized(FALSE), m_pSerialPort(nullptr), m_pTcpPort(nullptr), m_link(std::make_shared<comm::LinkShared>())
{
    ResetCommSet();
    ReadIniFile();
}

CCommManager::~CCommManager()
{
    if (m_link->portBusy > 0) {
        // Destroyed by a handler inside a port call: that call is still on the
        // stack, so its port lives on until the call has returned.
        m_link->managerGone = true;
        if (m_pTcpPort) {
            m_pTcpPort->CancelConnect();
            m_link->orphanPort = std::shared_ptr<CTcpPort>(m_pTcpPort);
            std::lock_guard guard(m_portLock);
            m_pTcpPort = nullptr;
        }
    }
    m_bCloseRequested = false;
    Close();
    DestroyPorts();
    if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
    for (HANDLE* mutex : {&m_CommSet.hOutBufMutex, &m_CommSet.hInBufMutex}) {
        if (*mutex) CloseHandle(*mutex);
        *mutex = nullptr;
    }
    WriteIniFile();
}

BOOL CCommManager::Initialize()
{
    if (m_bInitialized && ::IsWindow(m_hWnd)) return TRUE;
    const LPCTSTR className = AfxRegisterWndClass(0);
    if (className == nullptr) {
        MessageBoxW(HWND(), u"Couldn't register class! (Already registered?)", u"Error", MB_OK);
        return FALSE;
    }
    if (!m_hWnd || !::IsWindow(m_hWnd)) {
        if (!CreateEx(0, className, u"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 100, 100}, nullptr, 0)) return FALSE;
    }
    m_CommSet.hNotifyWnd = m_hWnd;
    // Every link has its own locks: a name would make every manager of the process share them.
    if (!m_CommSet.hOutBufMutex) m_CommSet.hOutBufMutex = CreateMutexW(nullptr, FALSE, nullptr);
    if (!m_CommSet.hInBufMutex) m_CommSet.hInBufMutex = CreateMutexW(nullptr, FALSE, nullptr);
    if (!m_CommSet.hOutBufMutex || !m_CommSet.hInBufMutex) return FALSE;
    m_CommSet.bAddToInBuff = 1;
    m_bInitialized = TRUE;
    return TRUE;
}

int CCommManager::Open()
{
    if (!m_bInitialized || !::IsWindow(m_hWnd)) {
        MessageBoxW(HWND(), u"CommManager not Initialized", u"Error", MB_OK | MB_ICONWARNING);
        return 0;
    }
    // A handler running inside a port call's pump must not replace the port under it.
    if (m_link->portBusy > 0) return 0;
    const PortType type = m_CommSet.nPortType;
    if (m_CommSet.bOpen || m_pSerialPort || m_pTcpPort) {
        Close();
        comm::StorePortType(m_CommSet, type);
    }
    m_CommSet.bOpen = 0;
    m_CommSet.bReady = 0;
    m_CommSet.bReceiving = 0;
    m_CommSet.bWriteAllowed = 1;
    // Events still queued for an earlier link carry its number and are dropped.
    m_link->linkId.fetch_add(1);
    m_nOutSkipBytes = 0;
    m_decoder.Reset();
    m_bWriteFailed = false;
    m_bCloseRequested = false;
    m_watchHeld = false;

    switch (type) {
    case PORT_SERIAL:
        m_pSerialPort = new CSerialPort(&m_CommSet, m_link);
        if (!m_pSerialPort->OpenPort()) {
            DestroyPorts();
            m_CommSet.bOpen = 0;
            return 0;
        }
        break;
    case PORT_TCP: {
        {
            std::lock_guard guard(m_portLock);
            m_pTcpPort = new CTcpPort(&m_CommSet, m_link);
        }
        BOOL connected;
        {
            PortBusy busy(m_link);
            connected = m_pTcpPort->Connect();
            if (busy.ManagerGone()) return 0;
        }
        if (!connected || m_bCloseRequested) {
            m_bCloseRequested = false;
            DestroyPorts();
            m_CommSet.bOpen = 0;
            m_CommSet.bReady = 0;
            return 0;
        }
        break;
    }
    case PORT_OFFLINE:
        m_CommSet.bOpen = 1;
        m_CommSet.bReady = 1;
        return 1;
    default:
        return 0;
    }
    m_CommSet.nDefPortType = type;
    return 1;
}

void CCommManager::Close()
{
    if (m_link->portBusy > 0 && !m_link->managerGone) {
        // The port is inside a call that pumps messages; it is closed when that call returns.
        m_bCloseRequested = true;
        if (m_pTcpPort) m_pTcpPort->CancelConnect();
        return;
    }
    if (!m_CommSet.bOpen && !m_pSerialPort && !m_pTcpPort) return;
    DestroyPorts();
    ResetCommSet();
    // Events the closed link left queued are dropped, not passed on as news of a live link.
    m_link->linkId.fetch_add(1);
}

void CCommManager::DestroyPorts()
{
    delete m_pSerialPort;
    m_pSerialPort = nullptr;
    std::lock_guard guard(m_portLock);
    delete m_pTcpPort;
    m_pTcpPort = nullptr;
}

void CCommManager::FinishDeferredClose()
{
    if (!m_bCloseRequested || m_link->portBusy > 0) return;
    m_bCloseRequested = false;
    Close();
}

int CCommManager::IsOpen() { return m_CommSet.bOpen; }

int CCommManager::IsReady() { return m_CommSet.bReady; }

int CCommManager::SendData(const CString& strData)
{
    if (!m_CommSet.bOpen || !m_CommSet.bReady) return 0;
    // On the link's own thread a socket takes the text at once, instead of
    // after a round through the writer thread and this thread's messages; the
    // writer thread is woken only for what it does not take. The port pointer
    // is looked at on that thread only: the thread that closes the link.
    const bool ownThread =
        GetSafeHwnd() && ::GetWindowThreadProcessId(GetSafeHwnd(), nullptr) == ::GetCurrentThreadId();
    const bool direct = ownThread && m_pTcpPort;
    if (!InitBuffs(strData, !direct)) return 0;
    if (direct) {
        WriteTcp();
        if (m_link->outPending.load()) m_link->SetOutPending(true);
    }
    return 1;
}

bool CCommManager::InitBuffs(const CString& strData, bool wakeWriter)
{
    if (strData.IsEmpty()) return true;
    // The out buffer stays locked until the in buffer is empty: the text cannot
    // go out, nor its reply come in, before (a sender on another thread).
    BufferLock outLock(m_CommSet.hOutBufMutex);
    if (!outLock || !AddToOutBuf(strData, wakeWriter)) return false;
    BufferLock inLock(m_CommSet.hInBufMutex);
    if (inLock) m_CommSet.strInBuff.Empty();
    return true;
}

bool CCommManager::AddToOutBuf(const CString& strData, bool wakeWriter)
{
    BufferLock lock(m_CommSet.hOutBufMutex);
    // Looked at again under the lock, under which Close empties the buffer: a
    // text queued after that would wait there and go out on the next link.
    if (!lock || !m_CommSet.bOpen || !m_CommSet.bReady) return false;
    m_CommSet.strOutBuff += strData;
    if (wakeWriter) {
        m_link->SetOutPending(!m_CommSet.strOutBuff.IsEmpty());
    } else {
        m_link->outPending = !m_CommSet.strOutBuff.IsEmpty();
    }
    return true;
}

CString CCommManager::GetInBuff()
{
    BufferLock lock(m_CommSet.hInBufMutex);
    return lock ? m_CommSet.strInBuff : CString();
}

CString CCommManager::GetInBuffAtOnce()
{
    BufferLock lock(m_CommSet.hInBufMutex);
    return lock ? m_CommSet.strInBuffAtOnce : CString();
}

void CCommManager::GetInBuffAtOnce(CString& out)
{
    BufferLock lock(m_CommSet.hInBufMutex);
    if (lock) {
        out.str().assign(m_CommSet.strInBuffAtOnce.view());
    } else {
        out.Empty();
    }
}

CString CCommManager::GetOutBuffAtOnce()
{
    BufferLock lock(m_CommSet.hOutBufMutex);
    return lock ? m_CommSet.strOutBuffAtOnce : CString();
}

int CCommManager::DeleteInBuff(int nStart, int nCount)
{
    BufferLock lock(m_CommSet.hInBufMutex);
    if (!lock) return m_CommSet.strInBuff.GetLength();
    if (nStart >= 0 && nCount > 0) m_CommSet.strInBuff.Delete(nStart, nCount);
    return m_CommSet.strInBuff.GetLength();
}

void CCommManager::SetAddToInBuff(BOOL bAdd) { m_CommSet.bAddToInBuff = bAdd ? 1 : 0; }

void CCommManager::AttatchWnd(HWND hWnd) { m_hAttachedWnd = hWnd; }

HWND CCommManager::DetatchWnd()
{
    const HWND previous = m_hAttachedWnd;
    m_hAttachedWnd = HWND();
    return previous;
}

void CCommManager::GetCommSet(commsettag* pCommSet)
{
    if (!pCommSet || pCommSet == &m_CommSet) return;
    BufferLock outLock(m_CommSet.hOutBufMutex);
    BufferLock inLock(m_CommSet.hInBufMutex);
    *pCommSet = m_CommSet;
}

void CCommManager::SetCommSet(const commsettag* pCommSet)
{
    if (pCommSet) comm::CopyCommSettings(*pCommSet, m_CommSet);
}

PortType CCommManager::GetPortType() { return comm::LoadPortType(m_CommSet); }

void CCommManager::SetPortType(PortType type) { comm::StorePortType(m_CommSet, type); }

WORD CCommManager::GetDefPortType() { return static_cast<WORD>(m_CommSet.nDefPortType); }

void CCommManager::SetDefPortType(WORD wType) { m_CommSet.nDefPortType = wType; }

void CCommManager::SetDefPortType() { m_CommSet.nDefPortType = m_CommSet.nPortType; }

WORD CCommManager::GetComPort() { return static_cast<WORD>(m_CommSet.nComPort); }

void CCommManager::SetComPort(WORD wPort) { m_CommSet.nComPort = wPort; }

WORD CCommManager::GetMaxComPort() { return m_CommSet.wMaxComPort; }

void CCommManager::SetMaxComPort(WORD wPort) { m_CommSet.wMaxComPort = wPort; }

WORD CCommManager::GetTCPPort() { return m_CommSet.wTCPPort; }

void CCommManager::SetTCPPort(WORD wPort) { m_CommSet.wTCPPort = wPort; }

CString CCommManager::GetHostName() { return m_CommSet.strHostName; }

void CCommManager::SetHostName(const CString& strHost) { m_CommSet.strHostName = strHost; }

void CCommManager::ResetCommSet()
{
    m_CommSet.bWriteAllowed = 0;
    m_CommSet.bOpen = 0;
    m_CommSet.bReady = 0;
    m_CommSet.bReceiving = 0;
    {
        BufferLock lock(m_CommSet.hOutBufMutex);
        m_CommSet.strOutBuff.Empty();
        m_CommSet.strOutBuffAtOnce.Empty();
        m_link->outPending = false;
        m_nOutSkipBytes = 0;
    }
    {
        BufferLock lock(m_CommSet.hInBufMutex);
        m_CommSet.strInBuff.Empty();
        m_CommSet.strInBuffAtOnce.Empty();
    }
    comm::StorePortType(m_CommSet, PORT_NONE);
}

void CCommManager::ReadIniFile()
{
    GetSettingsFilePath(kSettingsSubFolder, kCommSettingsFileName, m_strIniPath);
    comm::ReadCommSettings(m_strIniPath, m_CommSet);
}

void CCommManager::WriteIniFile()
{
    if (!m_strIniPath.IsEmpty()) comm::WriteCommSettings(m_strIniPath, m_CommSet);
}

bool CCommManager::WaitForInputHere(int timeoutMs)
{
    if (timeoutMs <= 0 || !m_pTcpPort || !m_CommSet.bReady || !m_pTcpPort->IsStarted() || !GetSafeHwnd()) return false;
    if (::GetWindowThreadProcessId(GetSafeHwnd(), nullptr) != ::GetCurrentThreadId()) return false;
    platform::TcpClient& client = m_pTcpPort->Client();
    // The watcher keeps still meanwhile, so the data is not announced twice;
    // a read it has announced (or is announcing) goes its usual way, in order.
    const bool noneAnnounced = client.PauseReadNotifications();
    if (!noneAnnounced || m_link->readsAnnounced.load() > 0 || !client.WaitReadable(timeoutMs)) {
        m_watchHeld = false;
        // A read the watcher announced is still on its way: announcing the
        // same text again would make a second, empty read of it.
        client.ResumeReadNotifications(noneAnnounced);
        return false;
    }
    // As the watcher would have announced it. The watcher is woken again
    // once this thread next pumps its messages (while it waits for the next
    // reply, or is idle), not before the reply is handled.
    if (!m_watchHeld.exchange(true)) PostMessage(kWatchAgainMessage, m_link->linkId.load(), 0);
    const std::shared_ptr<comm::LinkShared> link = m_link;
    const HWND self = GetSafeHwnd();
    link->AnnounceRead([&] {
        ::SendMessageW(self, WM_COMM_LINK_EVENT, link->linkId.load(), MakeLinkEvent(LINK_EVENT_READ));
        return true;
    });
    return true;
}

LRESULT CCommManager::OnWatchAgain(WPARAM wParam, LPARAM)
{
    if (wParam != m_link->linkId.load() || !m_watchHeld.exchange(false)) return 0;
    if (m_pTcpPort && m_pTcpPort->IsStarted()) m_pTcpPort->Client().ResumeReadNotifications();
    return 0;
}

bool CCommManager::HasUnreadInput() const
{
    if (m_link->readsAnnounced.load() > 0) return true;
    // Text that came while the watcher is held is unread too, though unannounced.
    if (!m_watchHeld.load()) return false;
    std::lock_guard guard(m_portLock);
    return m_pTcpPort && m_pTcpPort->Client().AvailableBytes() > 0;
}

LRESULT CCommManager::OnCommNotify(WPARAM wParam, LPARAM lParam)
{
    // A read event counts as unread until its text has reached the attached
    // window (or was found to be no one's).
    struct ReadHandled {
        comm::LinkShared* link;
        ~ReadHandled()
        {
            if (link) --link->readsAnnounced;
        }
    } handled{LOWORD(static_cast<std::uintptr_t>(lParam)) == LINK_EVENT_READ ? m_link.get() : nullptr};
    // A late event of a link that has been closed (and maybe opened anew) is not this link's.
    if (wParam != m_link->linkId.load()) return 0;
    switch (LOWORD(static_cast<std::uintptr_t>(lParam))) {
    case LINK_EVENT_READ: {
        const bool ready = m_CommSet.bReady;
        ReadProc();
        // Data that came before the connected event is announced again by the port's start.
        if (!ready) return 0;
        break;
    }
    case LINK_EVENT_WRITE:
        WriteProc();
        break;
    case LINK_EVENT_CONNECT:
        if (!Start(lParam)) return 0;
        break;
    case LINK_EVENT_CLOSE:
        Close();
        break;
    default:
        break;
    }
    if (m_hAttachedWnd) ::SendMessageW(m_hAttachedWnd, WM_COMM_LINK_EVENT, wParam, lParam);
    return 0;
}

void CCommManager::OnSysCommand(UINT nID, LPARAM lParam)
{
    // Closing the window during a host-name lookup waits until the lookup has ended.
    if ((nID & 0xFFF0) == SC_CLOSE && m_CommSet.nPortType == PORT_TCP && m_CommSet.bOpen && !m_CommSet.bReady &&
        m_pTcpPort && m_pTcpPort->IsResolving()) {
        PostMessage(WM_SYSCOMMAND, nID, lParam);
        return;
    }
    CWnd::OnSysCommand(nID, lParam);
}

void CCommManager::OnDestroy()
{
    // Without its window the link would get no more events; it must not run on unseen.
    Close();
    CWnd::OnDestroy();
}

bool CCommManager::Start(LPARAM lParam)
{
    if (m_pSerialPort) {
        m_pSerialPort->Start();
    } else if (m_pTcpPort) {
        {
            PortBusy busy(m_link);
            m_pTcpPort->Start(lParam);
            if (busy.ManagerGone()) return false;
        }
        FinishDeferredClose();
    }
    return true;
}

void CCommManager::ReadProc()
{
    if (m_pSerialPort) {
        ReadSerial();
        m_pSerialPort->EndRead();
    } else if (m_pTcpPort) {
        ReadTcp();
    }
}

void CCommManager::ReadSerial()
{
    if (!m_CommSet.bReady) return;
    m_CommSet.bReceiving = 1;
    if (m_pSerialPort->IsPortOpen()) {
        BufferLock lock(m_CommSet.hInBufMutex);
        if (lock) {
            platform::SerialPort& port = m_pSerialPort->Port();
            m_CommSet.strInBuffAtOnce.Empty();
            std::size_t total = 0;
            // A line that never falls silent must not keep this thread here for good.
            while (total < kMaxReadPassBytes) {
                const long queued = port.InputQueueBytes();
                if (queued <= 0) break;
                const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(queued), kCommReceiveAreaBytes);
                std::size_t got = 0;
                port.Read(m_CommSet.byRecvBuff, n, kSerialReadTimeoutMs, got);
                if (got == 0) break;
                const CString text(m_decoder.Feed(
                    std::string_view(reinterpret_cast<const char*>(m_CommSet.byRecvBuff), got)));
                if (m_CommSet.bAddToInBuff) m_CommSet.strInBuff += text;
                m_CommSet.strInBuffAtOnce += text;
                total += got;
            }
        }
    }
    m_CommSet.bReceiving = 0;
}

void CCommManager::ReadTcp()
{
    if (!m_CommSet.bReady) return;
    platform::TcpClient& client = m_pTcpPort->Client();
    const bool started = m_pTcpPort->IsStarted();
    if (started) client.PauseReadNotifications();
    m_CommSet.bReceiving = 1;
    {
        BufferLock lock(m_CommSet.hInBufMutex);
        if (lock) {
            if (m_tcpReadArea.empty()) m_tcpReadArea.resize(kMaxReadPassBytes);
            const int areaBytes = static_cast<int>(m_tcpReadArea.size());
            // Decoded straight into the record's buffers, which keep their room
            // from read to read.
            std::u16string& text = m_CommSet.strInBuffAtOnce.str();
            text.clear();
            // Everything the socket holds in one pass, as a serial read does:
            // a reply of many blocks is not one round through the messages each.
            std::size_t total = 0;
            while (total < kMaxReadPassBytes) {
                const int n = m_pTcpPort->Receive(m_tcpReadArea.data(), areaBytes);
                if (n <= 0) break;
                total += static_cast<std::size_t>(n);
                // Decoded a receive area at a time: a long reply makes no
                // large passing copies, which the allocator would hand back to
                // the system and fetch again for the next one.
                std::string_view bytes(reinterpret_cast<const char*>(m_tcpReadArea.data()), static_cast<std::size_t>(n));
                while (!bytes.empty()) {
                    const std::size_t piece = std::min(bytes.size(), kCommReceiveAreaBytes);
                    text += m_decoder.Feed(bytes.substr(0, piece));
                    bytes.remove_prefix(piece);
                }
                if (n < areaBytes) break;
            }
            if (m_CommSet.bAddToInBuff) m_CommSet.strInBuff += m_CommSet.strInBuffAtOnce;
        }
    }
    if (started && !m_watchHeld.load()) client.ResumeReadNotifications();
    m_CommSet.bReceiving = 0;
}

void CCommManager::WriteProc()
{
    if (m_pSerialPort) {
        WriteSerial();
        m_pSerialPort->EndWrite();
    } else if (m_pTcpPort) {
        WriteTcp();
        m_pTcpPort->EndWrite();
    }
}

void CCommManager::TakeWritten(std::size_t chunkCharacters, std::size_t written)
{
    CString& out = m_CommSet.strOutBuff;
    std::size_t skip = 0;
    const std::size_t done =
        comm::CompletedCharacters(out.view().substr(0, chunkCharacters), m_nOutSkipBytes, written, skip);
    m_CommSet.strOutBuffAtOnce = out.Left(static_cast<int>(done));
    out.Delete(0, static_cast<int>(done));
    m_nOutSkipBytes = skip;
}

void CCommManager::WriteSerial()
{
    if (!m_CommSet.bOpen || !m_CommSet.bReady || !m_pSerialPort->IsPortOpen()) return;
    BufferLock lock(m_CommSet.hOutBufMutex);
    if (!lock) return;
    m_CommSet.strOutBuffAtOnce.Empty();
    CString& out = m_CommSet.strOutBuff;
    if (!out.IsEmpty() && m_CommSet.bWriteAllowed) {
        platform::SerialPort& port = m_pSerialPort->Port();
        const long queued = port.OutputQueueBytes();
        // Never more than the driver's queue can take without overflowing.
        const long room = queued < 0 ? 0 : kSerialWriteWindowBytes - queued;
        if (room > 0) {
            const comm::SendPacing pacing{m_CommSet.wDelayPerLine, m_CommSet.wDelayPerChar, m_CommSet.wCRSend};
            const comm::SendChunk chunk =
                comm::PlanSendChunk(out.view(), m_nOutSkipBytes, pacing, static_cast<std::size_t>(room));
            if (chunk.characters > 0) {
                std::size_t written = 0;
                // While the line refuses output, later attempts wait only briefly, so the window stays live.
                port.Write(chunk.bytes.data(), chunk.bytes.size(),
                           m_bWriteFailed ? kSerialRetryTimeoutMs : kSerialWriteTimeoutMs, written);
                TakeWritten(chunk.characters, written);
                if (written == chunk.bytes.size()) {
                    m_bWriteFailed = false;
                    if (chunk.delayMs > 0) m_pSerialPort->StartSendDelay(chunk.delayMs);
                } else if (!m_bWriteFailed) {
                    // What did not go out stays queued; the attached window learns of the failure once.
                    m_bWriteFailed = true;
                    PostMessage(WM_COMM_LINK_EVENT, m_link->linkId.load(), MakeLinkEvent(LINK_EVENT_ERROR));
                }
            }
        }
    }
    m_link->outPending = !out.IsEmpty();
}

void CCommManager::WriteTcp()
{
    if (!m_CommSet.bOpen || !m_CommSet.bReady) return;
    BufferLock lock(m_CommSet.hOutBufMutex);
    if (!lock) return;
    m_CommSet.strOutBuffAtOnce.Empty();
    CString& out = m_CommSet.strOutBuff;
    if (!out.IsEmpty() && m_CommSet.bWriteAllowed && m_pTcpPort->IsStarted()) {
        const comm::SendChunk chunk =
            comm::PlanSendChunk(out.view(), m_nOutSkipBytes, {}, std::numeric_limits<std::size_t>::max());
        std::size_t sent = 0;
        // What the socket does not take now stays queued for the next turn.
        m_pTcpPort->Client().Send(chunk.bytes.data(), chunk.bytes.size(), sent, 0);
        TakeWritten(chunk.characters, sent);
    }
    m_link->outPending = !out.IsEmpty();
}
