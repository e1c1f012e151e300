#include "tests/support/emulator/PtyTransport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <stdio.h>
#include <termios.h>
#include <unistd.h>

namespace emu {
namespace {

using namespace std::chrono_literals;

constexpr auto kMaxLoopWait = 10ms;

int BaudOf(speed_t speed)
{
    static constexpr std::array<std::pair<speed_t, int>, 12> kSpeeds = {{
        {B1200, 1200}, {B2400, 2400}, {B4800, 4800}, {B9600, 9600}, {B19200, 19200}, {B38400, 38400},
        {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B500000, 500000},
        {B921600, 921600},
    }};
    for (const auto& [code, baud] : kSpeeds) {
        if (code == speed) {
            return baud;
        }
    }
    return 0;
}

std::string TempRoot()
{
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

}  // namespace

PtyTransport::PtyTransport(LineEmulator& line, const std::atomic<int>& pacing) : m_line(line), m_pacing(pacing) {}

PtyTransport::~PtyTransport()
{
    Stop();
    if (!m_path.empty()) {
        unlink(m_path.c_str());
    }
    if (!m_dir.empty()) {
        rmdir(m_dir.c_str());
    }
}

bool PtyTransport::Start(std::string& error)
{
    if (m_service.Running()) {
        return true;
    }
    if (m_dir.empty()) {
        std::string pattern = TempRoot() + "/qv-emulator-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            error = std::string("cannot create a folder for the terminal link: ") + std::strerror(errno);
            return false;
        }
        m_dir = pattern;
        m_path = m_dir + "/line";
    }
    if (!OpenTerminal(error)) {
        return false;
    }
    m_service.Start([this] { Loop(); });
    return true;
}

void PtyTransport::Stop()
{
    m_service.Stop();
    CloseTerminal();
}

std::string PtyTransport::Path() const { return m_path; }

std::string PtyTransport::DevicePath() const
{
    std::lock_guard guard(m_pathLock);
    return m_devicePath;
}

bool PtyTransport::IsOpen() const { return m_open; }

int PtyTransport::PeerBaud() const { return m_peerBaud; }

bool PtyTransport::OpenTerminal(std::string& error)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    // Raw from the start, so the terminal never echoes our own output back to us.
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    // Replace the link in one step, so a peer never finds it missing while it moves.
    const std::string temporary = m_path + ".new";
    unlink(temporary.c_str());
    if (symlink(name, temporary.c_str()) != 0 || rename(temporary.c_str(), m_path.c_str()) != 0) {
        error = std::string("cannot link the pseudo-terminal: ") + std::strerror(errno);
        close(master);
        close(slave);
        return false;
    }
    m_master = master;
    m_slave = slave;
    {
        std::lock_guard guard(m_pathLock);
        m_devicePath = name;
    }
    m_pump = std::make_unique<LinkPump>(m_line, m_master, false);
    m_open = true;
    return true;
}

void PtyTransport::CloseTerminal()
{
    m_pump.reset();
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
    }
    if (m_slave >= 0) {
        close(m_slave);
        m_slave = -1;
    }
    if (!m_path.empty()) {
        unlink(m_path.c_str());
    }
    {
        std::lock_guard guard(m_pathLock);
        m_devicePath.clear();
    }
    m_open = false;
}

void PtyTransport::Drop(int reopenAfterMs)
{
    m_service.Run([this, reopenAfterMs] {
        CloseTerminal();
        m_reopenPending = reopenAfterMs >= 0;
        m_reopenAt = Clock::now() + std::chrono::milliseconds(std::max(0, reopenAfterMs));
    });
}

bool PtyTransport::Reopen()
{
    // Shared: on a wait that times out, the task still runs later and must
    // not write into this returned frame.
    auto ok = std::make_shared<std::atomic<bool>>(false);
    const bool ran = m_service.Run([this, ok] {
        m_reopenPending = false;
        std::string error;
        *ok = m_master >= 0 || OpenTerminal(error);
    });
    return ran && *ok;
}

void PtyTransport::Loop()
{
    while (!m_service.Stopping()) {
        m_service.RunTasks();
        Clock::time_point now = Clock::now();
        if (m_master < 0 && m_reopenPending && now >= m_reopenAt) {
            m_reopenPending = false;
            std::string error;
            OpenTerminal(error);
        }
        Clock::time_point wake = now + kMaxLoopWait;
        if (m_pump) {
            termios settings{};
            if (tcgetattr(m_slave, &settings) == 0) {
                m_peerBaud = BaudOf(cfgetospeed(&settings));
            }
            const int pacing = m_pacing.load();
            const int baud = pacing < 0 ? m_peerBaud.load() : pacing;
            if (m_pump->Write(now, baud) == LinkPump::State::Dropped) {
                const int reopenAfterMs = m_pump->ReopenAfterMs();
                CloseTerminal();
                m_reopenPending = reopenAfterMs >= 0;
                m_reopenAt = now + std::chrono::milliseconds(std::max(0, reopenAfterMs));
            } else {
                wake = m_pump->NextWake(now, wake);
            }
        }
        if (m_reopenPending) {
            wake = std::min(wake, std::max(m_reopenAt, now));
        }

        pollfd fds[2] = {{m_service.WakeFd(), POLLIN, 0}, {m_master, 0, 0}};
        nfds_t count = 1;
        if (m_master >= 0) {
            fds[1].events = static_cast<short>(POLLIN | (m_pump && m_pump->WantsWritable() ? POLLOUT : 0));
            count = 2;
        }
        const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count();
        poll(fds, count, static_cast<int>(std::clamp<long long>(waitMs, 0, kMaxLoopWait.count())));
        if (fds[0].revents & POLLIN) {
            m_service.DrainWake();
        }
        if (count == 2 && (fds[1].revents & POLLIN) && m_pump) {
            const int pacing = m_pacing.load();
            m_pump->Read(Clock::now(), pacing < 0 ? m_peerBaud.load() : pacing);
        }
    }
}

}  // namespace emu
