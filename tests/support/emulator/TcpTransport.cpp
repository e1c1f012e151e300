#include "tests/support/emulator/TcpTransport.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace emu {
namespace {

using namespace std::chrono_literals;

constexpr auto kMaxLoopWait = 10ms;

}  // namespace

TcpTransport::TcpTransport(LineEmulator& line, const std::atomic<int>& pacing) : m_line(line), m_pacing(pacing) {}

TcpTransport::~TcpTransport() { Stop(); }

bool TcpTransport::Start(uint16_t port, std::string& error)
{
    if (m_service.Running()) {
        return true;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return false;
    }
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    m_listener = fd;
    m_port = ntohs(address.sin_port);
    m_service.Start([this] { Loop(); });
    return true;
}

void TcpTransport::Stop()
{
    m_service.Stop();
    CloseClients();
    if (m_listener >= 0) {
        close(m_listener);
        m_listener = -1;
    }
}

void TcpTransport::DropClients()
{
    m_service.Run([this] {
        // A connection waiting to be accepted is already made for its client: it goes too.
        for (;;) {
            const int fd = accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                break;
            }
            close(fd);
        }
        CloseClients();
    });
}

void TcpTransport::CloseClients()
{
    for (auto& client : m_clients) {
        int fd = client->Fd();
        client.reset();
        close(fd);
    }
    m_clients.clear();
    m_clientCount = 0;
}

void TcpTransport::Loop()
{
    auto closeClient = [this](size_t index) {
        int fd = m_clients[index]->Fd();
        m_clients.erase(m_clients.begin() + static_cast<std::ptrdiff_t>(index));
        close(fd);
        m_clientCount = m_clients.size();
    };

    while (!m_service.Stopping()) {
        m_service.RunTasks();
        const Clock::time_point now = Clock::now();
        const int baud = std::max(0, m_pacing.load());
        Clock::time_point wake = now + kMaxLoopWait;
        for (size_t i = 0; i < m_clients.size();) {
            if (m_clients[i]->Write(now, baud) != LinkPump::State::Open) {
                closeClient(i);
                continue;
            }
            wake = m_clients[i]->NextWake(now, wake);
            ++i;
        }

        std::vector<pollfd> fds;
        fds.push_back({m_service.WakeFd(), POLLIN, 0});
        fds.push_back({m_listener, POLLIN, 0});
        for (const auto& client : m_clients) {
            fds.push_back({client->Fd(), static_cast<short>(POLLIN | (client->WantsWritable() ? POLLOUT : 0)), 0});
        }
        const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count();
        poll(fds.data(), fds.size(), static_cast<int>(std::clamp<long long>(waitMs, 0, kMaxLoopWait.count())));
        if (fds[0].revents & POLLIN) {
            m_service.DrainWake();
        }
        // Serve the clients polled above before accepting, so indexes still match.
        for (size_t i = fds.size(); i-- > 2;) {
            const size_t index = i - 2;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                if (m_clients[index]->Read(Clock::now()) == LinkPump::State::Closed) {
                    closeClient(index);
                }
            }
        }
        if (fds[1].revents & POLLIN) {
            for (;;) {
                int fd = accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) {
                    break;
                }
                int yes = 1;
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
                m_clients.push_back(std::make_unique<LinkPump>(m_line, fd, true));
                m_clientCount = m_clients.size();
            }
        }
    }
}

}  // namespace emu
