#include "tests/support/emulator/Emulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;
using emu::Clock;
using emu::Emulator;
using emu::Fault;

// Generous: the machine may be loaded.
constexpr auto kReplyTimeout = 5s;

// The client end of a link, as the code under test holds it.
class Client {
public:
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client()
    {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }

    // The slave side of the emulator's terminal, raw, at the given speed.
    static std::unique_ptr<Client> OpenTerminal(const std::string& path, speed_t speed = B9600)
    {
        int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            return nullptr;
        }
        termios settings{};
        tcgetattr(fd, &settings);
        cfmakeraw(&settings);
        cfsetispeed(&settings, speed);
        cfsetospeed(&settings, speed);
        tcsetattr(fd, TCSANOW, &settings);
        return std::unique_ptr<Client>(new Client(fd));
    }

    static std::unique_ptr<Client> Connect(uint16_t port)
    {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            if (fd >= 0) {
                close(fd);
            }
            return nullptr;
        }
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        return std::unique_ptr<Client>(new Client(fd));
    }

    void Send(const std::string& bytes) { ASSERT_EQ(write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

    // Reads until the received text holds `text` or the time-out passes; counts the reads.
    bool ReadUntil(const std::string& text, std::chrono::milliseconds timeout = kReplyTimeout)
    {
        const auto deadline = Clock::now() + timeout;
        while (received.find(text) == std::string::npos) {
            if (Clock::now() >= deadline || !ReadOnce(deadline)) {
                return false;
            }
        }
        return true;
    }

    // True when the link reports that the far end went away before the time-out.
    bool SeesHangUp(std::chrono::milliseconds timeout = kReplyTimeout)
    {
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            pollfd fd{m_fd, POLLIN, 0};
            if (poll(&fd, 1, 20) > 0) {
                if (fd.revents & (POLLHUP | POLLERR)) {
                    return true;
                }
                char buffer[256];
                ssize_t n = read(m_fd, buffer, sizeof buffer);
                if (n == 0 || (n < 0 && errno != EAGAIN)) {
                    return true;
                }
            }
        }
        return false;
    }

    std::string received;
    int reads = 0;

private:
    explicit Client(int fd) : m_fd(fd) {}

    bool ReadOnce(Clock::time_point deadline)
    {
        pollfd fd{m_fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (poll(&fd, 1, static_cast<int>(std::max<long long>(left, 0))) <= 0) {
            return false;
        }
        char buffer[4096];
        ssize_t n = read(m_fd, buffer, sizeof buffer);
        if (n <= 0) {
            return n < 0 && errno == EAGAIN;
        }
        received.append(buffer, static_cast<size_t>(n));
        ++reads;
        return true;
    }

    int m_fd;
};

enum class Kind { Pty, Tcp };

class TransportTest : public ::testing::TestWithParam<Kind> {
protected:
    TransportTest()
    {
        emulator.AddController(1, "LB");
        emulator.AddController(3, "V10");
        if (GetParam() == Kind::Pty) {
            path = emulator.ServePty();
        } else {
            port = emulator.ServeTcp();
        }
    }

    std::unique_ptr<Client> OpenClient()
    {
        return GetParam() == Kind::Pty ? Client::OpenTerminal(path) : Client::Connect(port);
    }

    Emulator emulator;
    std::string path;
    uint16_t port = 0;
};

TEST_P(TransportTest, CommandAndReply)
{
    auto client = OpenClient();
    ASSERT_TRUE(client) << emulator.LastError();
    client->Send("\r\n@?CONT.3\r\n");
    ASSERT_TRUE(client->ReadUntil("OK.3\r\n"));
    EXPECT_EQ(client->received, "CONT.3=N2\r\nOK.3\r\n");
    EXPECT_EQ(emulator.ReceivedLines(), (std::vector<std::string>{"", "@?CONT.3"}));

    // A motion's end comes by itself after its reply.
    emulator.Controller(1).SetMotionTime(emu::Motion::Origin, 100ms);
    client->received.clear();
    client->Send("@ORG.1\r\n");
    ASSERT_TRUE(client->ReadUntil("END.1\r\n"));
    EXPECT_EQ(client->received, "RUN.1\r\nEND.1\r\n");
}

TEST_P(TransportTest, ReplySplitAcrossReads)
{
    auto client = OpenClient();
    ASSERT_TRUE(client);
    emulator.Script().NextReply(Fault::Split(4, 40));
    client->Send("@?K38.1\r\n");
    ASSERT_TRUE(client->ReadUntil("OK.1\r\n"));
    EXPECT_EQ(client->received, "K38.1=1\r\nOK.1\r\n");
    EXPECT_GE(client->reads, 3);
}

TEST_P(TransportTest, PacingTakesTheWireTime)
{
    auto client = OpenClient();
    ASSERT_TRUE(client);
    for (int p = 1; p <= 8; ++p) {
        emulator.Controller(1).SetPoint(p, {1, p * 1000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    emulator.SetPacing(9600);
    const auto start = Clock::now();
    client->Send("@READ PNT.1\r\n");
    ASSERT_TRUE(client->ReadUntil("OK.1\r\n"));
    const auto elapsed = Clock::now() - start;
    const auto wire = std::chrono::duration<double>(client->received.size() * 10.0 / 9600);
    EXPECT_GT(client->received.size(), 400u);
    EXPECT_GE(std::chrono::duration<double>(elapsed).count(), 0.8 * wire.count());
    EXPECT_GE(client->reads, 2);
}

TEST_P(TransportTest, DroppedLinkIsSeenAndCanComeBack)
{
    auto client = OpenClient();
    ASSERT_TRUE(client);
    emulator.Script().NextReply(Fault::DropLink(3, 50));
    client->Send("@?K38.1\r\n");
    EXPECT_TRUE(client->SeesHangUp());

    // The terminal comes back behind the same path; TCP keeps listening.
    std::unique_ptr<Client> again;
    const auto deadline = Clock::now() + kReplyTimeout;
    while (!again && Clock::now() < deadline) {
        again = OpenClient();
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(again);
    again->Send("@?K38.3\r\n");
    EXPECT_TRUE(again->ReadUntil("K38.3=3\r\nOK.3\r\n"));

    emulator.DropLink();
    EXPECT_TRUE(again->SeesHangUp());
}

TEST_P(TransportTest, ShutdownWithAClientConnectedDoesNotHang)
{
    auto client = OpenClient();
    ASSERT_TRUE(client);
    emulator.SetPacing(300);
    client->Send("@READ PRM.1\r\n");  // several seconds of output at this pace
    ASSERT_TRUE(client->ReadUntil("K1.1="));
    const auto start = Clock::now();
    emulator.Stop();
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_TRUE(client->SeesHangUp());
}

INSTANTIATE_TEST_SUITE_P(Links, TransportTest, ::testing::Values(Kind::Pty, Kind::Tcp),
                         [](const auto& info) { return info.param == Kind::Pty ? "Pty" : "Tcp"; });

TEST(PtyTransport, PacesAtTheBaudRateThePeerSet)
{
    Emulator emulator;
    emulator.AddController(1);
    emulator.SetPacing(Emulator::kFollowLineBaud);
    auto client = Client::OpenTerminal(emulator.ServePty(), B4800);
    ASSERT_TRUE(client);
    const auto start = Clock::now();
    client->Send("@READ HPRM.1\r\n");
    ASSERT_TRUE(client->ReadUntil("OK.1\r\n"));
    const double wire = client->received.size() * 10.0 / 4800;
    EXPECT_GE(std::chrono::duration<double>(Clock::now() - start).count(), 0.8 * wire);
    EXPECT_EQ(emulator.PtyPeerBaud(), 4800);
}

TEST(TcpTransport, EachClientGetsItsOwnReplies)
{
    Emulator emulator;
    emulator.AddController(1);
    emulator.AddController(2);
    const uint16_t port = emulator.ServeTcp();
    auto first = Client::Connect(port);
    auto second = Client::Connect(port);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(emulator.WaitForTcpClients(2, kReplyTimeout));
    first->Send("@?K38.1\r\n");
    second->Send("@?K38.2\r\n");
    ASSERT_TRUE(first->ReadUntil("OK.1\r\n"));
    ASSERT_TRUE(second->ReadUntil("OK.2\r\n"));
    EXPECT_EQ(first->received, "K38.1=1\r\nOK.1\r\n");
    EXPECT_EQ(second->received, "K38.2=2\r\nOK.2\r\n");
    first.reset();
    EXPECT_TRUE(emulator.WaitForTcpClients(1, kReplyTimeout));
}

}  // namespace

TEST(TcpTransport, ADropReachesAConnectionNotYetAccepted)
{
    // A client's connection is made before the emulator has accepted it; a drop
    // that comes in between must end it all the same. The window is short, so
    // the drop is tried right after many connects.
    Emulator emulator;
    emulator.AddController(1);
    const uint16_t port = emulator.ServeTcp();
    for (int round = 0; round < 300; ++round) {
        auto client = Client::Connect(port);
        ASSERT_TRUE(client);
        emulator.DropLink();
        if (!client->SeesHangUp(2s)) {
            ADD_FAILURE() << "round " << round << ": the connection outlived the drop";
            break;
        }
    }
}
