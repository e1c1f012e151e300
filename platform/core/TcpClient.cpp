#include "platform/core/TcpClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The watcher looks at its stop flag at least this often, whatever happens.
constexpr int kWatchSliceMs = 1000;
// Close waits this long for a lookup to notice it was cancelled before leaving it behind.
constexpr int kLookupJoinMs = 500;
constexpr int kSendSliceMs = 100;
constexpr std::size_t kMaxHostNameLength = 253;

// The client whose watcher runs on this thread. Set by the thread itself, so a
// callback knows it is one before the creator has even stored the thread object.
thread_local const TcpClient* t_watching = nullptr;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

void Signal(int fd)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
}

void Drain(int fd)
{
    std::uint64_t value;
    [[maybe_unused]] const ssize_t n = ::read(fd, &value, sizeof value);
}

std::mutex g_resolverMutex;
HostResolver& CurrentResolver()
{
    static HostResolver resolver = SystemHostResolver();
    return resolver;
}

// A text made only of digits and dots is meant as an address, never as a name.
bool LooksNumeric(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool UsableHostName(std::string_view text)
{
    if (text.empty() || text.size() > kMaxHostNameLength) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 0x20 && c != 0x7F; });
}

}  // namespace

// What a lookup thread shares with its client; it outlives the client when the
// lookup is abandoned.
struct TcpClient::Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool found = false;
    Ipv4Address address{};
    std::stop_source stop;
    int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ~Lookup()
    {
        if (fd >= 0) ::close(fd);
    }
};

ConnectError ConnectErrorFromErrno(int error)
{
    switch (error) {
    case 0: return ConnectError::None;
    case ECONNREFUSED: return ConnectError::Refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN: return ConnectError::Unreachable;
    case ETIMEDOUT: return ConnectError::TimedOut;
    default: return ConnectError::Other;
    }
}

int WinsockErrorFromErrno(int error)
{
    switch (error) {
    case 0: return 0;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN: return WSAENETUNREACH;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    default: return WSASYSCALLFAILURE;
    }
}

TcpConnectResult ConnectResultFromErrno(int error)
{
    return {ConnectErrorFromErrno(error), WinsockErrorFromErrno(error), error};
}

bool ParseDottedAddress(std::string_view text, Ipv4Address& address)
{
    Ipv4Address parsed{};
    std::size_t part = 0, digits = 0;
    unsigned value = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (digits == 0 || part > 3) return false;
            parsed[part++] = static_cast<std::uint8_t>(value);
            value = 0;
            digits = 0;
        } else if (text[i] >= '0' && text[i] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++digits;
            if (value > 255) return false;
        } else {
            return false;
        }
    }
    if (part != 4) return false;
    address = parsed;
    return true;
}

std::string FormatDottedAddress(const Ipv4Address& a)
{
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." + std::to_string(a[3]);
}

HostResolver SystemHostResolver()
{
    return [](const std::string& host, std::stop_token stop, Ipv4Address& address) {
        if (stop.stop_requested()) return false;
        addrinfo hints {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || !list) return false;
        bool found = false;
        for (const addrinfo* ai = list; ai && !found; ai = ai->ai_next) {
            if (ai->ai_family != AF_INET) continue;
            const auto* in = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
            const std::uint32_t ip = ntohl(in->sin_addr.s_addr);
            address = {static_cast<std::uint8_t>(ip >> 24), static_cast<std::uint8_t>(ip >> 16),
                       static_cast<std::uint8_t>(ip >> 8), static_cast<std::uint8_t>(ip)};
            found = true;
        }
        ::freeaddrinfo(list);
        return found;
    };
}

HostResolver SetHostResolver(HostResolver resolver)
{
    std::lock_guard lock(g_resolverMutex);
    HostResolver previous = std::move(CurrentResolver());
    CurrentResolver() = resolver ? std::move(resolver) : SystemHostResolver();
    return previous;
}

const char* TcpStatusText(TcpStatus status)
{
    switch (status) {
    case TcpStatus::Ok: return "ok";
    case TcpStatus::WouldBlock: return "would block";
    case TcpStatus::Closed: return "connection closed";
    case TcpStatus::NotConnected: return "not connected";
    case TcpStatus::InvalidAddress: return "invalid host";
    case TcpStatus::AlreadyOpen: return "already open";
    case TcpStatus::Error: return "socket error";
    }
    return "unknown";
}

TcpClient::~TcpClient() { Close(); }

void TcpClient::SetCallbacks(TcpCallbacks callbacks)
{
    std::lock_guard lock(m_mutex);
    m_callbacks = std::move(callbacks);
}

void TcpClient::SetConnectTimeout(int timeoutMs)
{
    std::lock_guard lock(m_mutex);
    m_connectTimeoutMs = std::max(timeoutMs, 1);
}

TcpStatus TcpClient::Connect(const std::string& host, std::uint16_t port)
{
    if (m_open) return TcpStatus::AlreadyOpen;
    Ipv4Address address{};
    const bool numeric = ParseDottedAddress(host, address);
    if (!numeric && (LooksNumeric(host) || !UsableHostName(host))) return TcpStatus::InvalidAddress;

    const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) return TcpStatus::Error;
    TcpCallbacks callbacks;
    {
        std::unique_lock closeLock(m_closeLock);
        std::lock_guard lock(m_mutex);
        m_wakeFd = wakeFd;
        m_readArmed = true;
        m_readPaused = false;
        m_peer = address;
        callbacks = m_callbacks;
    }
    m_stop = false;
    m_connected = false;
    m_resolving = !numeric;
    m_open = true;
    try {
        if (!numeric) {
            m_lookup = std::make_shared<Lookup>();
            if (m_lookup->fd < 0) throw std::system_error(errno, std::generic_category());
            HostResolver resolver;
            {
                std::lock_guard lock(g_resolverMutex);
                resolver = CurrentResolver();
            }
            // The thread holds only the shared lookup record, never the client.
            m_lookupThread = std::thread([lookup = m_lookup, resolver = std::move(resolver), host] {
                Ipv4Address found{};
                bool ok = false;
                try {
                    ok = resolver(host, lookup->stop.get_token(), found);
                } catch (...) {
                    ok = false;
                }
                {
                    std::lock_guard lock(lookup->mutex);
                    lookup->done = true;
                    lookup->found = ok;
                    lookup->address = found;
                }
                lookup->finished.notify_all();
                Signal(lookup->fd);
            });
        }
        m_watcher = std::thread(&TcpClient::Watch, this, address, port, std::move(callbacks));
    } catch (...) {
        Close();
        return TcpStatus::Error;
    }
    return TcpStatus::Ok;
}

void TcpClient::Close()
{
    if (t_watching == this) {
        m_stop = true;
        return;
    }
    if (!m_open && !m_watcher.joinable()) return;
    m_stop = true;
    if (m_lookup) m_lookup->stop.request_stop();
    Wake();
    if (m_watcher.joinable()) m_watcher.join();
    if (m_lookupThread.joinable()) {
        std::unique_lock lock(m_lookup->mutex);
        const bool done = m_lookup->finished.wait_for(lock, std::chrono::milliseconds(kLookupJoinMs),
                                                      [this] { return m_lookup->done; });
        lock.unlock();
        if (done) m_lookupThread.join();
        else m_lookupThread.detach();  // it ends on its own and touches only the shared record
    }
    m_lookup.reset();

    std::unique_lock closeLock(m_closeLock);
    if (const int fd = m_socket.exchange(-1); fd >= 0) ::close(fd);
    if (m_wakeFd >= 0) ::close(m_wakeFd);
    m_wakeFd = -1;
    m_connected = false;
    m_resolving = false;
    m_open = false;
}

void TcpClient::Wake() const
{
    std::shared_lock closeLock(m_closeLock);
    if (m_wakeFd >= 0) Signal(m_wakeFd);
}

Ipv4Address TcpClient::PeerAddress() const
{
    std::lock_guard lock(m_mutex);
    return m_peer;
}

void TcpClient::Report(const TcpCallbacks& callbacks, const TcpConnectResult& result)
{
    m_resolving = false;
    m_connected = result.Ok();
    if (!m_stop && callbacks.connected) callbacks.connected(result);
}

bool TcpClient::WaitForLookup(Ipv4Address& address, const TcpCallbacks& callbacks)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(kLookupTimeoutMs);
    for (;;) {
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_lookup->fd, POLLIN, 0}};
        const int n = ::poll(fds, 2, std::min(RemainingMs(deadline), kWatchSliceMs));
        if (n < 0 && errno != EINTR) {
            Report(callbacks, {ConnectError::HostNotFound, WSATRY_AGAIN, errno});
            return false;
        }
        if (m_stop) return false;
        if (fds[0].revents) Drain(m_wakeFd);
        {
            std::lock_guard lock(m_lookup->mutex);
            if (m_lookup->done) {
                if (!m_lookup->found) {
                    Report(callbacks, {ConnectError::HostNotFound, WSAHOST_NOT_FOUND, 0});
                    return false;
                }
                address = m_lookup->address;
                return true;
            }
        }
        if (RemainingMs(deadline) == 0) {
            m_lookup->stop.request_stop();
            Report(callbacks, {ConnectError::HostNotFound, WSATRY_AGAIN, 0});
            return false;
        }
    }
}

void TcpClient::Watch(Ipv4Address address, std::uint16_t port, TcpCallbacks callbacks)
{
    t_watching = this;
    if (m_lookup) {
        if (!WaitForLookup(address, callbacks)) return;
        std::lock_guard lock(m_mutex);
        m_peer = address;
    }
    if (m_stop) return;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        Report(callbacks, ConnectResultFromErrno(errno));
        return;
    }
    m_socket = fd;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_OOBINLINE, &on, sizeof on);
    // A command line is short and its reply awaited: it goes out at once, not
    // held back until the last segment is acknowledged.
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);

    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl((std::uint32_t(address[0]) << 24) | (std::uint32_t(address[1]) << 16) |
                               (std::uint32_t(address[2]) << 8) | address[3]);
    int error = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) error = errno;
    if (error == EINPROGRESS || error == EINTR) {
        int timeoutMs;
        {
            std::lock_guard lock(m_mutex);
            timeoutMs = m_connectTimeoutMs;
        }
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {fd, POLLOUT, 0}};
            const int n = ::poll(fds, 2, std::min(RemainingMs(deadline), kWatchSliceMs));
            if (m_stop) return;
            if (n < 0 && errno != EINTR) {
                error = errno;
                break;
            }
            if (fds[0].revents) Drain(m_wakeFd);
            if (fds[1].revents) {
                socklen_t length = sizeof error;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
                break;
            }
            if (RemainingMs(deadline) == 0) {
                error = ETIMEDOUT;
                break;
            }
        }
    }
    Report(callbacks, ConnectResultFromErrno(error));
    if (error == 0) WatchConnection(fd, callbacks);
}

void TcpClient::WatchConnection(int fd, const TcpCallbacks& callbacks)
{
    bool peerClosed = false;
    while (!m_stop) {
        bool wantRead;
        {
            std::lock_guard lock(m_mutex);
            wantRead = m_readArmed && !m_readPaused;
        }
        // After the peer's FIN the socket stays readable for good; only a
        // Receive or a resume (a wake-up) moves things on then.
        const short events = static_cast<short>(POLLRDHUP | (wantRead ? POLLIN : 0));
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {peerClosed ? -1 : fd, events, 0}};
        const int n = ::poll(fds, 2, kWatchSliceMs);
        if (m_stop) return;
        if (n < 0) {
            if (errno == EINTR) continue;
            m_connected = false;
            if (callbacks.closed) callbacks.closed(WinsockErrorFromErrno(errno));
            return;
        }
        if (fds[0].revents) Drain(m_wakeFd);
        const short revents = fds[1].revents;
        int waiting = 0;
        if (::ioctl(fd, FIONREAD, &waiting) != 0) waiting = 0;
        if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            // A broken connection loses what it held; an orderly one is drained first.
            if (error != 0 || waiting == 0) {
                m_connected = false;
                if (callbacks.closed) callbacks.closed(WinsockErrorFromErrno(error));
                return;
            }
            peerClosed = true;
        }
        if (revents & POLLRDHUP) peerClosed = true;
        if (peerClosed && waiting == 0) {
            m_connected = false;
            if (callbacks.closed) callbacks.closed(0);
            return;
        }
        bool notify = false;
        {
            // Counted under the lock: Receive re-arms only after its recv, so a
            // count taken before it would announce data that is already gone.
            std::lock_guard lock(m_mutex);
            if (m_readArmed && !m_readPaused && ::ioctl(fd, FIONREAD, &waiting) == 0 && waiting > 0) {
                m_readArmed = false;
                notify = true;
            }
        }
        if (notify && callbacks.readable) callbacks.readable();
    }
}

TcpStatus TcpClient::Send(const void* data, std::size_t size, std::size_t& sent, int timeoutMs)
{
    sent = 0;
    std::shared_lock closeLock(m_closeLock);
    const int fd = m_socket;
    if (fd < 0 || !m_connected) return TcpStatus::NotConnected;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    const char* p = static_cast<const char*>(data);
    while (sent < size) {
        const ssize_t n = ::send(fd, p + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            return errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN ? TcpStatus::Closed : TcpStatus::Error;
        }
        const int left = RemainingMs(deadline);
        if (left == 0 || m_stop) return TcpStatus::WouldBlock;
        pollfd p1 {fd, POLLOUT, 0};
        ::poll(&p1, 1, std::min(left, kSendSliceMs));
    }
    return TcpStatus::Ok;
}

TcpStatus TcpClient::Receive(void* buffer, std::size_t size, std::size_t& received)
{
    received = 0;
    std::shared_lock closeLock(m_closeLock);
    const int fd = m_socket;
    if (fd < 0) return TcpStatus::NotConnected;
    TcpStatus status = TcpStatus::Ok;
    const ssize_t n = size == 0 ? 0 : ::recv(fd, buffer, size, MSG_DONTWAIT);
    if (n > 0) received = static_cast<std::size_t>(n);
    else if (n == 0 && size > 0) status = TcpStatus::Closed;
    else if (n < 0) status = errno == EAGAIN || errno == EINTR ? TcpStatus::WouldBlock
                             : errno == ECONNRESET || errno == ENOTCONN ? TcpStatus::Closed
                                                                         : TcpStatus::Error;
    bool paused;
    {
        std::lock_guard lock(m_mutex);
        m_readArmed = true;
        paused = m_readPaused;
    }
    // A paused watcher does not look for data; the resume wakes it.
    if (m_wakeFd >= 0 && !paused) Signal(m_wakeFd);
    return status;
}

long TcpClient::AvailableBytes() const
{
    std::shared_lock closeLock(m_closeLock);
    const int fd = m_socket;
    int waiting = 0;
    if (fd < 0 || !m_connected || ::ioctl(fd, FIONREAD, &waiting) != 0) return -1;
    return waiting;
}

bool TcpClient::WaitReadable(int timeoutMs) const
{
    // Close waits for the lock, so the descriptor stays this connection's.
    std::shared_lock closeLock(m_closeLock);
    const int fd = m_socket;
    if (fd < 0 || !m_connected) return false;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, std::max(timeoutMs, 0)) > 0 && (p.revents & POLLIN) != 0;
}

bool TcpClient::PauseReadNotifications()
{
    std::lock_guard lock(m_mutex);
    m_readPaused = true;
    return m_readArmed;
}

void TcpClient::ResumeReadNotifications(bool announceAgain)
{
    {
        std::lock_guard lock(m_mutex);
        m_readPaused = false;
        if (announceAgain) m_readArmed = true;
    }
    Wake();
}

}  // namespace platform
