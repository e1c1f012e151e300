#include "tests/support/emulator/Emulator.h"

#include "tests/support/emulator/PtyTransport.h"
#include "tests/support/emulator/TcpTransport.h"

#include <thread>

namespace emu {

Emulator::Emulator() = default;

Emulator::~Emulator() { Stop(); }

ControllerModel& Emulator::AddController(int node, std::string type) { return m_line.AddController(node, std::move(type)); }
ControllerModel& Emulator::Controller(int node) { return m_line.Controller(node); }
ControllerModel* Emulator::FindController(int node) { return m_line.FindController(node); }

std::string Emulator::ServePty()
{
    if (!m_pty) {
        m_pty = std::make_unique<PtyTransport>(m_line, m_pacing);
    }
    if (!m_pty->Start(m_error)) {
        return {};
    }
    return m_pty->Path();
}

uint16_t Emulator::ServeTcp(uint16_t port)
{
    if (!m_tcp) {
        m_tcp = std::make_unique<TcpTransport>(m_line, m_pacing);
    }
    if (!m_tcp->Start(port, m_error)) {
        m_tcp.reset();
        return 0;
    }
    return m_tcp->Port();
}

std::string Emulator::PtyPath() const { return m_pty ? m_pty->Path() : std::string(); }
std::string Emulator::PtyDevice() const { return m_pty ? m_pty->DevicePath() : std::string(); }
bool Emulator::PtyOpen() const { return m_pty && m_pty->IsOpen(); }
int Emulator::PtyPeerBaud() const { return m_pty ? m_pty->PeerBaud() : 0; }
uint16_t Emulator::TcpPort() const { return m_tcp ? m_tcp->Port() : 0; }
size_t Emulator::TcpClientCount() const { return m_tcp ? m_tcp->ClientCount() : 0; }

bool Emulator::WaitForTcpClients(size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = Clock::now() + timeout;
    while (TcpClientCount() < count) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void Emulator::DropLink(int reopenAfterMs)
{
    if (m_pty) {
        m_pty->Drop(reopenAfterMs);
    }
    if (m_tcp) {
        m_tcp->DropClients();
    }
}

bool Emulator::ReopenPty() { return m_pty && m_pty->Reopen(); }

void Emulator::Stop()
{
    if (m_pty) {
        m_pty->Stop();
    }
    if (m_tcp) {
        m_tcp->Stop();
    }
}

}  // namespace emu
