// A TCP client connection whose events arrive as callbacks on a watcher thread.
//
// Connect returns at once; a host-name lookup (on a thread of its own) and the
// non-blocking connect run behind it, and the outcome arrives as `connected`.
// Once connected, `readable` and `closed` follow, as the link expects them:
// `readable` is not repeated until the data is received (Receive) or read
// notifications are resumed, and `closed` for an orderly close comes only
// after everything the peer sent has been received. Out-of-band data arrives
// in line. Close stops the watcher thread and waits for it, so no callback runs
// after Close returns; a lookup that cannot be stopped is left to end on its
// own without touching the client.
#pragma once

#include "platform/core/WinError.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace platform {

// IPv4 address, first number first.
using Ipv4Address = std::array<std::uint8_t, 4>;

// The causes a failed connection is told apart by.
enum class ConnectError { None, Refused, Unreachable, TimedOut, HostNotFound, Other };

struct TcpConnectResult {
    ConnectError cause = ConnectError::None;
    // 0 on success; WSAECONNREFUSED, WSAENETUNREACH, WSAETIMEDOUT for the three
    // causes the user is told about, WSAHOST_NOT_FOUND or WSATRY_AGAIN for a
    // failed lookup, another non-zero number otherwise.
    int winsockError = 0;
    int systemError = 0;  // the errno behind it; 0 when none
    bool Ok() const { return cause == ConnectError::None; }
};

// errno to cause: ECONNREFUSED Refused; ENETUNREACH, EHOSTUNREACH, ENETDOWN
// Unreachable; ETIMEDOUT TimedOut; 0 None; anything else Other.
ConnectError ConnectErrorFromErrno(int error);
// errno to a Windows socket error number; an unreachable host gives
// WSAENETUNREACH, so the user sees the same message for host and network.
int WinsockErrorFromErrno(int error);
TcpConnectResult ConnectResultFromErrno(int error);

// Strict dotted address: four decimal numbers 0..255 separated by '.'.
bool ParseDottedAddress(std::string_view text, Ipv4Address& address);
std::string FormatDottedAddress(const Ipv4Address& address);

// Looks up a host name; true with its first IPv4 address. It should return
// soon after stop is requested; one that cannot is abandoned by Close.
using HostResolver = std::function<bool(const std::string& host, std::stop_token stop, Ipv4Address& address)>;
// The system's resolver (getaddrinfo; cannot be interrupted).
HostResolver SystemHostResolver();
// Sets the resolver of every later lookup in the process; an empty one puts
// the system's back. Returns the one that was in force.
HostResolver SetHostResolver(HostResolver resolver);

class ScopedHostResolver {
public:
    explicit ScopedHostResolver(HostResolver resolver) : m_previous(SetHostResolver(std::move(resolver))) {}
    ~ScopedHostResolver() { SetHostResolver(std::move(m_previous)); }
    ScopedHostResolver(const ScopedHostResolver&) = delete;
    ScopedHostResolver& operator=(const ScopedHostResolver&) = delete;

private:
    HostResolver m_previous;
};

enum class TcpStatus {
    Ok,
    WouldBlock,      // nothing (more) could be moved now
    Closed,          // the peer closed the connection or it broke
    NotConnected,
    InvalidAddress,  // neither a dotted address nor a host name
    AlreadyOpen,
    Error,
};
const char* TcpStatusText(TcpStatus status);

struct TcpCallbacks {
    // The attempt ended; after a failure the client stays open but idle until Close.
    std::function<void(const TcpConnectResult&)> connected;
    // Data waits to be received.
    std::function<void()> readable;
    // The peer closed (winsockError 0) or the connection broke.
    std::function<void(int winsockError)> closed;
};

class TcpClient {
public:
    static constexpr int kDefaultConnectTimeoutMs = 20000;
    static constexpr int kLookupTimeoutMs = 30000;

    TcpClient() = default;
    explicit TcpClient(TcpCallbacks callbacks) : m_callbacks(std::move(callbacks)) {}
    // Closes. Never destroy the client from one of its own callbacks.
    ~TcpClient();
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // Take effect at the next Connect.
    void SetCallbacks(TcpCallbacks callbacks);
    void SetConnectTimeout(int timeoutMs);

    // Starts connecting to a dotted address or a host name. Ok means the
    // outcome will come as `connected`; a text that is neither gives
    // InvalidAddress at once.
    TcpStatus Connect(const std::string& host, std::uint16_t port);
    // Cancels a lookup or connect, stops the watcher thread and closes the
    // socket. Called from a callback it only asks the watcher to stop; the
    // next Close from another thread (or the destructor) finishes the job.
    void Close();

    bool IsOpen() const { return m_open.load(); }
    bool IsResolving() const { return m_resolving.load(); }
    bool IsConnected() const { return m_connected.load(); }
    // The address connected to (known after the lookup).
    Ipv4Address PeerAddress() const;

    // Sends without blocking, or waiting up to timeoutMs for room; Ok when
    // every byte went, WouldBlock when only `sent` of them did.
    TcpStatus Send(const void* data, std::size_t size, std::size_t& sent, int timeoutMs = 0);
    // Receives what is there, without waiting; asks for the next `readable`.
    TcpStatus Receive(void* buffer, std::size_t size, std::size_t& received);
    // Bytes waiting to be received; -1 when not connected.
    long AvailableBytes() const;
    // Waits on the calling thread, up to timeoutMs, until data waits to be
    // received (or the peer closed); false when nothing came or not connected.
    bool WaitReadable(int timeoutMs) const;

    // While paused, `readable` is held back (`closed` is not). False when a
    // `readable` was announced before that no Receive has answered yet.
    bool PauseReadNotifications();
    // Ends a pause; `readable` comes again when data is waiting. A caller
    // whose pause found an announcement still unanswered passes false: the
    // data it announced is not announced a second time.
    void ResumeReadNotifications(bool announceAgain = true);

private:
    struct Lookup;
    void Watch(Ipv4Address address, std::uint16_t port, TcpCallbacks callbacks);
    bool WaitForLookup(Ipv4Address& address, const TcpCallbacks& callbacks);
    void WatchConnection(int fd, const TcpCallbacks& callbacks);
    void Report(const TcpCallbacks& callbacks, const TcpConnectResult& result);
    void Wake() const;

    TcpCallbacks m_callbacks;
    int m_connectTimeoutMs = kDefaultConnectTimeoutMs;

    std::atomic<bool> m_open{false};
    std::atomic<bool> m_resolving{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_socket{-1};
    int m_wakeFd = -1;
    std::thread m_watcher;
    std::thread m_lookupThread;
    std::shared_ptr<Lookup> m_lookup;

    mutable std::mutex m_mutex;  // guards what follows
    bool m_readArmed = true;
    bool m_readPaused = false;
    Ipv4Address m_peer{};

    // Calls share it; Close takes it alone before it closes the descriptors.
    mutable std::shared_mutex m_closeLock;
};

}  // namespace platform
