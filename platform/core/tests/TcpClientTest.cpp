#include "platform/core/TcpClient.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace platform {
void PrintTo(TcpStatus status, std::ostream* os) { *os << TcpStatusText(status); }
void PrintTo(ConnectError cause, std::ostream* os) { *os << "ConnectError(" << static_cast<int>(cause) << ")"; }
}  // namespace platform

namespace {

using platform::TcpClient;
using platform::TcpStatus;
using Clock = std::chrono::steady_clock;

constexpr auto kBound = std::chrono::seconds(10);  // generous: the machine may be loaded

std::size_t ThreadCount()
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// True once the process is back to the given number of threads (bounded wait).
bool ThreadsBackTo(std::size_t count)
{
    const auto deadline = Clock::now() + kBound;
    while (ThreadCount() > count && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return ThreadCount() == count;
}

// Records what the client reports, from its watcher thread.
class Recorder {
public:
    enum class Kind { Connected, Readable, Closed };
    struct Event {
        Kind kind;
        platform::TcpConnectResult result;
        int closeError = 0;
    };

    platform::TcpCallbacks Callbacks()
    {
        return {[this](const platform::TcpConnectResult& r) { Push({Kind::Connected, r, 0}); },
                [this] { Push({Kind::Readable, {}, 0}); },
                [this](int error) { Push({Kind::Closed, {}, error}); }};
    }

    // The next event, waiting at most the bound.
    std::optional<Event> Next()
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, kBound, [this] { return !m_events.empty(); })) return std::nullopt;
        Event e = m_events.front();
        m_events.pop_front();
        return e;
    }
    std::size_t Pending()
    {
        std::lock_guard lock(m_mutex);
        return m_events.size();
    }

private:
    void Push(const Event& e)
    {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(e);
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Event> m_events;
};

// A loopback socket bound to a free port; listening when asked.
class LoopbackServer {
public:
    explicit LoopbackServer(bool listening, int backlog = 4)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &length) != 0)
            return;
        m_port = ntohs(a.sin_port);
        if (listening) ::listen(m_fd, backlog);
    }
    ~LoopbackServer()
    {
        if (m_peer >= 0) ::close(m_peer);
        ::close(m_fd);
    }
    std::uint16_t Port() const { return m_port; }

    bool Accept()
    {
        pollfd p {m_fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kBound).count())) != 1) return false;
        m_peer = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        return m_peer >= 0;
    }
    void Send(const std::string& bytes, int flags = 0) const
    {
        ASSERT_EQ(::send(m_peer, bytes.data(), bytes.size(), flags | MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    std::string Receive(std::size_t count) const
    {
        std::string got;
        const auto deadline = Clock::now() + kBound;
        while (got.size() < count && Clock::now() < deadline) {
            pollfd p {m_peer, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buf[4096];
            const ssize_t n = ::recv(m_peer, buf, std::min(sizeof buf, count - got.size()), 0);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    void ClosePeer()
    {
        ::close(m_peer);
        m_peer = -1;
    }
    // A full accept queue: the next connection attempt gets no answer at all.
    int Filler() const
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(m_port);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        return fd;
    }

private:
    int m_fd = -1;
    int m_peer = -1;
    std::uint16_t m_port = 0;
};

TEST(TcpErrors, ErrnoGivesCauseAndWindowsNumber)
{
    struct Row {
        int error;
        platform::ConnectError cause;
        int winsock;
    };
    const Row rows[] = {
        {0, platform::ConnectError::None, 0},
        {ECONNREFUSED, platform::ConnectError::Refused, 10061},
        {ENETUNREACH, platform::ConnectError::Unreachable, 10051},
        {EHOSTUNREACH, platform::ConnectError::Unreachable, 10051},
        {ETIMEDOUT, platform::ConnectError::TimedOut, 10060},
        {ECONNRESET, platform::ConnectError::Other, WSAECONNRESET},
        {EADDRNOTAVAIL, platform::ConnectError::Other, WSAEADDRNOTAVAIL},
        {EIO, platform::ConnectError::Other, WSASYSCALLFAILURE},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.error);
        const platform::TcpConnectResult result = platform::ConnectResultFromErrno(r.error);
        EXPECT_EQ(result.cause, r.cause);
        EXPECT_EQ(result.winsockError, r.winsock);
        EXPECT_EQ(result.systemError, r.error);
        EXPECT_EQ(result.Ok(), r.error == 0);
    }
}

TEST(TcpAddresses, OnlyStrictDottedAddressesParse)
{
    struct Row {
        const char* text;
        bool ok;
        platform::Ipv4Address address;
    };
    const Row rows[] = {
        {"192.168.0.2", true, {192, 168, 0, 2}},
        {"0.0.0.0", true, {0, 0, 0, 0}},
        {"255.255.255.255", true, {255, 255, 255, 255}},
        {"192.168.0.300", false, {}},
        {"1.2.3", false, {}},
        {"1.2.3.4.5", false, {}},
        {"1..2.3", false, {}},
        {"", false, {}},
        {"0001.1.1.1", false, {}},
        {"1.2.3.4 ", false, {}},
        {"-1.2.3.4", false, {}},
        {"host.example", false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        platform::Ipv4Address a {9, 9, 9, 9};
        EXPECT_EQ(platform::ParseDottedAddress(r.text, a), r.ok);
        if (r.ok) {
            EXPECT_EQ(a, r.address);
            EXPECT_EQ(platform::FormatDottedAddress(a), r.text);
        }
    }
}

TEST(TcpClientConnect, TextsThatAreNoHostAreRefusedAtOnce)
{
    for (const char* host : {"192.168.0.300", "1.2.3", "", "bad host", "tab\there", "...."}) {
        SCOPED_TRACE(host);
        Recorder events;
        TcpClient client(events.Callbacks());
        EXPECT_EQ(client.Connect(host, 23), TcpStatus::InvalidAddress);
        EXPECT_FALSE(client.IsOpen());
    }
}

TEST(TcpClientConnect, DataBothWaysThenPeerCloseAfterAllData)
{
    LoopbackServer server(true);
    Recorder events;
    TcpClient client(events.Callbacks());
    ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), TcpStatus::Ok);
    auto e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Connected);
    EXPECT_TRUE(e->result.Ok());
    EXPECT_TRUE(client.IsConnected());
    ASSERT_TRUE(server.Accept());

    std::size_t sent = 0;
    EXPECT_EQ(client.Send("@?CONT.1\r\n", 10, sent), TcpStatus::Ok);
    EXPECT_EQ(sent, 10u);
    EXPECT_EQ(server.Receive(10), "@?CONT.1\r\n");

    // More than one receive's worth, then the peer closes at once: every byte
    // must come through the notify-then-receive loop before `closed`.
    std::string reply;
    for (int i = 0; i < 3000; ++i) reply += "line" + std::to_string(i) + "\r";
    server.Send(reply);
    server.ClosePeer();
    std::string got;
    for (;;) {
        e = events.Next();
        ASSERT_TRUE(e);
        if (e->kind != Recorder::Kind::Readable) break;
        char buf[4096];
        std::size_t n = 0;
        EXPECT_EQ(client.Receive(buf, sizeof buf, n), TcpStatus::Ok);
        got.append(buf, n);
    }
    EXPECT_EQ(e->kind, Recorder::Kind::Closed);
    EXPECT_EQ(e->closeError, 0);
    EXPECT_EQ(got, reply);
    client.Close();
    EXPECT_FALSE(client.IsOpen());
}

// A client connected to a listening loopback server that has accepted it,
// the connect event taken.
class TcpClientConnected : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), TcpStatus::Ok);
        ASSERT_TRUE(events.Next());
        ASSERT_TRUE(server.Accept());
    }
    LoopbackServer server{true};
    Recorder events;
    TcpClient client{events.Callbacks()};
};

TEST_F(TcpClientConnected, ReadNotificationsPauseAndUrgentDataComesInLine)
{
    server.Send("a");
    auto e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Readable);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(events.Pending(), 0u);  // not repeated before the data is received
    char first[4];
    std::size_t n = 0;
    EXPECT_EQ(client.Receive(first, sizeof first, n), TcpStatus::Ok);
    EXPECT_EQ(std::string(first, n), "a");

    client.PauseReadNotifications();
    server.Send("ab");
    server.Send("!", MSG_OOB);
    const auto deadline = Clock::now() + kBound;
    while (client.AvailableBytes() < 3 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(events.Pending(), 0u);  // held back while paused

    client.ResumeReadNotifications();
    std::string got;
    while (got.size() < 3) {
        e = events.Next();
        ASSERT_TRUE(e && e->kind == Recorder::Kind::Readable);
        char buf[16];
        std::size_t n = 0;
        EXPECT_EQ(client.Receive(buf, sizeof buf, n), TcpStatus::Ok);
        got.append(buf, n);
    }
    EXPECT_EQ(got, "ab!");
}

TEST_F(TcpClientConnected, APauseOverAnUnansweredAnnouncementDoesNotAnnounceItTwice)
{
    server.Send("reply");
    auto e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Readable);
    // Paused and resumed before the announced data was received, as a
    // caller that meant to wait on the socket itself and found it announced.
    EXPECT_FALSE(client.PauseReadNotifications());
    client.ResumeReadNotifications(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(events.Pending(), 0u);

    char buf[16];
    std::size_t n = 0;
    EXPECT_EQ(client.Receive(buf, sizeof buf, n), TcpStatus::Ok);
    EXPECT_EQ(std::string(buf, n), "reply");
    server.Send("more");
    e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Readable);
}

TEST(TcpClientConnect, RefusedConnectionSaysSo)
{
    LoopbackServer bound(false);  // the port is taken but nobody listens
    Recorder events;
    TcpClient client(events.Callbacks());
    ASSERT_EQ(client.Connect("127.0.0.1", bound.Port()), TcpStatus::Ok);
    const auto e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Connected);
    EXPECT_EQ(e->result.cause, platform::ConnectError::Refused);
    EXPECT_EQ(e->result.winsockError, 10061);
    EXPECT_FALSE(client.IsConnected());
    std::size_t sent = 0;
    EXPECT_EQ(client.Send("x", 1, sent), TcpStatus::NotConnected);
}

TEST(TcpClientConnect, UnansweredConnectTimesOut)
{
    LoopbackServer server(true, 0);
    const int filler = server.Filler();
    Recorder events;
    TcpClient client(events.Callbacks());
    client.SetConnectTimeout(200);
    ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), TcpStatus::Ok);
    const auto e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Connected);
    EXPECT_EQ(e->result.cause, platform::ConnectError::TimedOut);
    EXPECT_EQ(e->result.winsockError, 10060);
    ::close(filler);
}

TEST(TcpClientConnect, DestroyedWhileConnecting)
{
    LoopbackServer server(true, 0);
    const int filler = server.Filler();
    const std::size_t threads = ThreadCount();
    Recorder events;
    {
        TcpClient client(events.Callbacks());
        ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), TcpStatus::Ok);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(ThreadsBackTo(threads));
    EXPECT_EQ(events.Pending(), 0u);
    ::close(filler);
}

TEST(TcpClientLookup, NamesResolveThroughTheResolver)
{
    LoopbackServer server(true);
    platform::ScopedHostResolver resolver([](const std::string& host, std::stop_token, platform::Ipv4Address& a) {
        if (host != "controller-1") return false;
        a = {127, 0, 0, 1};
        return true;
    });
    Recorder events;
    TcpClient client(events.Callbacks());
    ASSERT_EQ(client.Connect("controller-1", server.Port()), TcpStatus::Ok);
    auto e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Connected);
    EXPECT_TRUE(e->result.Ok());
    EXPECT_EQ(client.PeerAddress(), (platform::Ipv4Address {127, 0, 0, 1}));
    client.Close();

    ASSERT_EQ(client.Connect("3rd-controller", server.Port()), TcpStatus::Ok);  // a name may begin with a digit
    e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Connected);
    EXPECT_EQ(e->result.cause, platform::ConnectError::HostNotFound);
    EXPECT_EQ(e->result.winsockError, WSAHOST_NOT_FOUND);
}

// A resolver that blocks until told to go on; it honours a cancel only when asked to.
struct SlowResolver {
    struct State {
        std::mutex mutex;
        std::condition_variable_any changed;
        bool entered = false;
        bool release = false;
    };
    std::shared_ptr<State> state = std::make_shared<State>();
    bool honoursCancel = true;

    platform::HostResolver Resolver() const
    {
        return [state = state, honours = honoursCancel](const std::string&, std::stop_token stop, platform::Ipv4Address& a) {
            std::unique_lock lock(state->mutex);
            state->entered = true;
            state->changed.notify_all();
            if (honours) state->changed.wait_for(lock, stop, std::chrono::seconds(30), [&] { return state->release; });
            else state->changed.wait_for(lock, std::chrono::seconds(30), [&] { return state->release; });
            a = {127, 0, 0, 1};
            return state->release;
        };
    }
    bool WaitEntered() const
    {
        std::unique_lock lock(state->mutex);
        return state->changed.wait_for(lock, kBound, [&] { return state->entered; });
    }
    void Release() const
    {
        std::lock_guard lock(state->mutex);
        state->release = true;
        state->changed.notify_all();
    }
};

TEST(TcpClientLookup, CloseCancelsALookup)
{
    LoopbackServer server(true);
    const std::size_t threads = ThreadCount();
    SlowResolver slow;
    platform::ScopedHostResolver resolver(slow.Resolver());
    Recorder events;
    TcpClient client(events.Callbacks());
    ASSERT_EQ(client.Connect("controller-1", server.Port()), TcpStatus::Ok);
    ASSERT_TRUE(slow.WaitEntered());
    EXPECT_TRUE(client.IsResolving());
    EXPECT_FALSE(client.IsConnected());
    client.Close();
    EXPECT_FALSE(client.IsOpen());
    EXPECT_FALSE(client.IsResolving());
    EXPECT_TRUE(ThreadsBackTo(threads));
    EXPECT_EQ(events.Pending(), 0u);

    // The client is usable again afterwards.
    slow.Release();
    ASSERT_EQ(client.Connect("controller-1", server.Port()), TcpStatus::Ok);
    const auto e = events.Next();
    ASSERT_TRUE(e && e->kind == Recorder::Kind::Connected);
    EXPECT_TRUE(e->result.Ok());
}

TEST(TcpClientLookup, LookupThatIgnoresCancelIsLeftToEndSafely)
{
    const std::size_t threads = ThreadCount();
    SlowResolver slow;
    slow.honoursCancel = false;
    platform::ScopedHostResolver resolver(slow.Resolver());
    Recorder events;
    {
        TcpClient client(events.Callbacks());
        ASSERT_EQ(client.Connect("controller-1", 23), TcpStatus::Ok);
        ASSERT_TRUE(slow.WaitEntered());
    }  // destroyed while the lookup still runs
    slow.Release();  // the lookup ends after its client is gone
    EXPECT_TRUE(ThreadsBackTo(threads));
    EXPECT_EQ(events.Pending(), 0u);
}

TEST(TcpClientConnect, CloseFromACallbackDoesNotDeadlock)
{
    LoopbackServer bound(false);
    Recorder events;
    TcpClient client;
    client.SetCallbacks({[&](const platform::TcpConnectResult& r) {
                             client.Close();
                             events.Callbacks().connected(r);
                         },
                         nullptr, nullptr});
    ASSERT_EQ(client.Connect("127.0.0.1", bound.Port()), TcpStatus::Ok);
    ASSERT_TRUE(events.Next());
    client.Close();
    EXPECT_FALSE(client.IsOpen());
}

}  // namespace
