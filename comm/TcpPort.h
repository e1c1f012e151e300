// CTcpPort: a TCP client link of CCommManager. The socket's notifications
// (connected, data, closed) arrive on the platform's watcher thread and are
// posted to the manager's hidden window as link events; a writer thread
// tells the window that output waits. Reading and writing happen on the
// manager's thread.
#pragma once

#include "comm/CommSettings.h"
#include "comm/LinkShared.h"

#include "platform/core/TcpClient.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace comm {

// What the user is told when a connection fails with a socket error:
// 10051, 10060 and 10061 have their own texts, any other error "Cannot
// connect the host"; empty for 0.
const char16_t* ConnectErrorText(int winsockError);

}  // namespace comm

class CTcpPort {
public:
    CTcpPort(commsettag* pCommSet, std::shared_ptr<comm::LinkShared> link);
    virtual ~CTcpPort();
    CTcpPort(const CTcpPort&) = delete;
    CTcpPort& operator=(const CTcpPort&) = delete;

    // Starts connecting to the record's host and TCP port; the outcome comes
    // as the connected event. A text that begins with a digit must be a
    // dotted address; anything else is a host name, looked up while this
    // thread's messages are pumped. A close command for the hidden window
    // (or CancelConnect) during the lookup ends it: FALSE and the command is
    // posted again. A bad address or a failed lookup shows "Invalid host"
    // and posts the closed event: FALSE.
    BOOL Connect();
    // On the connected event: with a socket error in the high 16 bits of
    // lParam the user is told and the closed event posted; otherwise the
    // writer thread starts and the link becomes ready.
    void Start(LPARAM lParam);
    // Ends a lookup, stops the writer thread and closes the socket.
    void ClosePort();
    // Ends a lookup that Connect is waiting for (from a handler that runs
    // inside its message pump).
    void CancelConnect();

    bool IsResolving() const { return m_bResolving.load(); }
    bool IsStarted() const { return !m_bNotStarted; }
    // One receive of at most size bytes without waiting; 0 on any error.
    int Receive(BYTE* buffer, int size);
    platform::TcpClient& Client() { return *m_pClient; }
    void EndWrite();

    static constexpr int kWaitSliceMs = 100;
    static constexpr DWORD kThreadEndTimeoutMs = 5000;
    // Lookup and connection are each bounded by the client; this only guards the pump.
    static constexpr DWORD kLookupPumpTimeoutMs =
        platform::TcpClient::kLookupTimeoutMs + platform::TcpClient::kDefaultConnectTimeoutMs + 5000;

private:
    struct Shared;
    static DWORD WriterThread(LPVOID parameter);
    void OnConnected(const platform::TcpConnectResult& result);
    void Fail(const char16_t* text);
    BOOL WaitForLookup();

    commsettag* m_pCommSet;
    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<platform::TcpClient> m_pClient;
    HANDLE m_hWriterThread;
    bool m_bNotStarted = true;
    std::atomic<bool> m_bResolving{false};
    std::atomic<bool> m_bCancel{false};

    // The outcome of a connection that began with a lookup waits here for Connect.
    std::mutex m_lookupLock;
    bool m_bInLookup = false;
    bool m_bLookupDone = false;
    platform::TcpConnectResult m_lookupResult;
    HANDLE m_hLookupDone;
};
