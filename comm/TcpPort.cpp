#include "comm/TcpPort.h"

#include "comm/LinkEvent.h"

#include "platform/core/MessageBox.h"
#include "platform/core/Messages.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Thread.h"
#include "platform/core/Time.h"

#include <cstdio>

namespace comm {

const char16_t* ConnectErrorText(int winsockError)
{
    switch (winsockError) {
    case 0:
        return u"";
    case WSAENETUNREACH:
        return u"Network cannot be reached";
    case WSAETIMEDOUT:
        return u"Connection timed out";
    case WSAECONNREFUSED:
        return u"Connection refused";
    default:
        return u"Cannot connect the host";
    }
}

}  // namespace comm

namespace {

constexpr const char16_t* kInvalidHost = u"Invalid host";
constexpr const char16_t* kCannotConnect = u"Cannot connect the host";

bool IsCloseCommand(const MSG& msg)
{
    return msg.message == WM_CLOSE || (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE);
}

}  // namespace

struct CTcpPort::Shared {
    HWND notify;
    HANDLE writeEnd;
    std::atomic<bool> writerRunning{false};
    std::shared_ptr<comm::LinkShared> link;

    ~Shared()
    {
        if (writeEnd) CloseHandle(writeEnd);
    }

    bool Post(LPARAM lParam) const { return PostMessageW(notify, WM_COMM_LINK_EVENT, link->linkId.load(), lParam); }
};

CTcpPort::CTcpPort(commsettag* pCommSet, std::shared_ptr<comm::LinkShared> link)
    : m_pCommSet(pCommSet), m_shared(std::make_shared<Shared>())
{
    m_shared->notify = pCommSet->hNotifyWnd;
    m_shared->link = std::move(link);
    m_hLookupDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::shared_ptr<Shared> shared = m_shared;
    // The client's callbacks run on its watcher thread; Close waits for it, so `this` outlives them.
    m_pClient = std::make_unique<platform::TcpClient>(platform::TcpCallbacks{
        [this](const platform::TcpConnectResult& result) { OnConnected(result); },
        [shared] { shared->link->AnnounceRead([&] { return shared->Post(MakeLinkEvent(LINK_EVENT_READ)); }); },
        [shared](int error) { shared->Post(MakeLinkEvent(LINK_EVENT_CLOSE, static_cast<WORD>(error))); },
    });
}

CTcpPort::~CTcpPort()
{
    ClosePort();
    m_pClient.reset();
    if (m_hLookupDone) CloseHandle(m_hLookupDone);
}

void CTcpPort::OnConnected(const platform::TcpConnectResult& result)
{
    {
        std::lock_guard lock(m_lookupLock);
        if (m_bInLookup) {
            m_lookupResult = result;
            m_bLookupDone = true;
            SetEvent(m_hLookupDone);
            return;
        }
    }
    m_shared->Post(MakeLinkEvent(LINK_EVENT_CONNECT, static_cast<WORD>(result.winsockError)));
}

void CTcpPort::Fail(const char16_t* text)
{
    MessageBoxW(HWND(), text, u"Error", MB_OK | MB_ICONWARNING);
    m_shared->Post(MakeLinkEvent(LINK_EVENT_CLOSE));
}

BOOL CTcpPort::Connect()
{
    m_pCommSet->bOpen = 1;
    const std::string host = m_pCommSet->strHostName.ToUtf8();
    const bool numeric = !host.empty() && host[0] >= '0' && host[0] <= '9';
    if (numeric) {
        platform::Ipv4Address address{};
        if (!platform::ParseDottedAddress(host, address)) {
            Fail(kInvalidHost);
            return FALSE;
        }
    }
    {
        std::lock_guard lock(m_lookupLock);
        m_bInLookup = !numeric;
        m_bLookupDone = false;
        ResetEvent(m_hLookupDone);
    }
    m_bCancel = false;
    switch (m_pClient->Connect(host, m_pCommSet->wTCPPort)) {
    case platform::TcpStatus::Ok:
        break;
    case platform::TcpStatus::InvalidAddress:
        Fail(kInvalidHost);
        return FALSE;
    default:
        Fail(kCannotConnect);
        return FALSE;
    }
    return numeric ? TRUE : WaitForLookup();
}

BOOL CTcpPort::WaitForLookup()
{
    m_bResolving = true;
    const DWORD start = GetTickCount();
    bool done = false;
    bool cancelled = false;
    MSG repost{};
    bool haveRepost = false;
    while (!done && !cancelled) {
        const DWORD result = MsgWaitForMultipleObjects(1, &m_hLookupDone, FALSE, kWaitSliceMs, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            done = true;
            break;
        }
        MSG msg;
        while (!cancelled && PeekMessageW(&msg, HWND(), 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                cancelled = true;
            } else if (msg.hwnd == m_shared->notify && IsCloseCommand(msg)) {
                repost = msg;
                haveRepost = true;
                cancelled = true;
            } else {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (m_bCancel.load()) cancelled = true;
        if (GetTickCount() - start > kLookupPumpTimeoutMs) cancelled = true;
    }
    if (cancelled) m_pClient->Close();
    platform::TcpConnectResult outcome;
    {
        std::lock_guard lock(m_lookupLock);
        m_bInLookup = false;
        done = m_bLookupDone;
        outcome = m_lookupResult;
    }
    m_bResolving = false;
    if (haveRepost) PostMessageW(repost.hwnd, repost.message, repost.wParam, repost.lParam);
    if (cancelled || !done) return FALSE;
    if (outcome.cause == platform::ConnectError::HostNotFound) {
        Fail(kInvalidHost);
        return FALSE;
    }
    // The connection's outcome follows as the connected event, as for a dotted address.
    m_shared->Post(MakeLinkEvent(LINK_EVENT_CONNECT, static_cast<WORD>(outcome.winsockError)));
    return TRUE;
}

void CTcpPort::CancelConnect() { m_bCancel = true; }

void CTcpPort::Start(LPARAM lParam)
{
    if (!m_pCommSet->bOpen || m_pCommSet->bReady) return;
    const int error = HIWORD(static_cast<std::uintptr_t>(lParam));
    if (error != 0) {
        MessageBoxW(HWND(), comm::ConnectErrorText(error), u"Error", MB_OK | MB_ICONWARNING | MB_TASKMODAL);
        m_shared->Post(MakeLinkEvent(LINK_EVENT_CLOSE));
        return;
    }
    if (!m_shared->writeEnd) m_shared->writeEnd = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_shared->writeEnd) return;
    m_shared->writerRunning = true;
    m_hWriterThread = CreateThread(nullptr, 0, &CTcpPort::WriterThread, new std::shared_ptr<Shared>(m_shared), 0, nullptr);
    // Data that came before the link was ready was announced to nobody; ask again.
    m_pClient->ResumeReadNotifications();
    m_bNotStarted = false;
    m_pCommSet->bReady = 1;
}

void CTcpPort::ClosePort()
{
    m_bCancel = true;
    m_shared->writerRunning = false;
    m_shared->link->WakeWriters();
    if (m_shared->writeEnd) SetEvent(m_shared->writeEnd);
    if (m_hWriterThread) {
        if (WaitForSingleObject(m_hWriterThread, kThreadEndTimeoutMs) != WAIT_OBJECT_0) {
            std::fprintf(stderr, "TCP link: the writer thread did not end in time\n");
        }
        CloseHandle(m_hWriterThread);
        m_hWriterThread = nullptr;
    }
    if (m_pClient) m_pClient->Close();
}

int CTcpPort::Receive(BYTE* buffer, int size)
{
    std::size_t received = 0;
    if (size <= 0 || m_pClient->Receive(buffer, static_cast<std::size_t>(size), received) != platform::TcpStatus::Ok) {
        return 0;
    }
    return static_cast<int>(received);
}

void CTcpPort::EndWrite()
{
    if (m_shared->writeEnd) SetEvent(m_shared->writeEnd);
}

DWORD CTcpPort::WriterThread(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<Shared>> holder(static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& s = **holder;
    while (s.writerRunning.load()) {
        if (!s.link->outPending.load()) {
            s.link->WaitForOut(s.writerRunning);
            continue;
        }
        if (IsWindow(s.notify) && s.Post(MakeLinkEvent(LINK_EVENT_WRITE))) {
            while (s.writerRunning.load()) {
                if (WaitForSingleObject(s.writeEnd, kWaitSliceMs) != WAIT_TIMEOUT || !IsWindow(s.notify)) break;
            }
            if (!s.link->outPending.load()) continue;
        }
        // The socket did not take everything, or nobody takes the event: again shortly.
        Sleep(1);
    }
    return 0;
}
