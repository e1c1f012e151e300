#include "manager/ui/InstanceChannel.h"

#include "platform/core/CodePage.h"
#include "platform/core/Messages.h"

#include <fcntl.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kHandOverTimeoutMs = 1000;
constexpr size_t kMaxPathBytes = 8192;

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

std::string CInstanceChannel::SocketPath()
{
    if (const char* named = std::getenv("QUORVANE_INSTANCE_SOCKET"); named && *named) return named;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime && *runtime ? runtime : "/tmp";
    return folder + "/quorvane-" + std::to_string(::getuid()) + ".sock";
}

CInstanceChannel::~CInstanceChannel() { Stop(); }

bool CInstanceChannel::Listen(HWND target, UINT message)
{
    Stop();
    m_path = SocketPath();
    sockaddr_un address{};
    if (!MakeAddress(m_path, address)) return false;
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0) return false;
    // Only the running manager holds the single-instance guard, so a socket
    // file left behind is a dead one's.
    ::unlink(m_path.c_str());
    if (::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(m_socket, 4) != 0 ||
        ::pipe2(m_wake, O_CLOEXEC) != 0) {
        Stop();
        return false;
    }
    m_target = target;
    m_message = message;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CInstanceChannel::Stop()
{
    if (m_thread.joinable()) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
        m_thread.join();
    }
    for (int* fd : {&m_socket, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    if (!m_path.empty()) ::unlink(m_path.c_str());
    m_path.clear();
}

void CInstanceChannel::Run()
{
    for (;;) {
        pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        const int client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        std::string bytes;
        char buffer[512];
        for (;;) {
            pollfd one{client, POLLIN, 0};
            if (::poll(&one, 1, kHandOverTimeoutMs) <= 0) break;
            const ssize_t n = ::read(client, buffer, sizeof(buffer));
            if (n <= 0) break;
            bytes.append(buffer, static_cast<size_t>(n));
            if (bytes.size() > kMaxPathBytes || bytes.find('\n') != std::string::npos) break;
        }
        const size_t end = bytes.find('\n');
        if (end != std::string::npos) {
            auto* path = new CString(platform::ToWide(bytes.substr(0, end), CP_UTF8).c_str());
            if (!::PostMessageW(m_target, m_message, 0, reinterpret_cast<LPARAM>(path))) delete path;
            const char ok = '+';
            [[maybe_unused]] const ssize_t n = ::write(client, &ok, 1);
        }
        ::close(client);
    }
}

bool CInstanceChannel::HandOver(const CString& path)
{
    sockaddr_un address{};
    if (!MakeAddress(SocketPath(), address)) return false;
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    bool ok = false;
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        const std::string line = platform::FromWide(std::u16string_view(path.GetString(), static_cast<size_t>(path.GetLength())), CP_UTF8) + "\n";
        if (::write(s, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
            pollfd one{s, POLLIN, 0};
            char answer = 0;
            ok = ::poll(&one, 1, kHandOverTimeoutMs) > 0 && ::read(s, &answer, 1) == 1 && answer == '+';
        }
    }
    ::close(s);
    return ok;
}
