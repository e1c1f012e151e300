#pragma once

// A line served over TCP on the loopback address. Every client that connects is a link of
// its own; dropping the link disconnects the clients and keeps listening.

#include "tests/support/emulator/LinkPump.h"
#include "tests/support/emulator/ServiceThread.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace emu {

class TcpTransport {
public:
    // Pacing: 0 none or a baud rate (a TCP link has no baud rate of its own).
    TcpTransport(LineEmulator& line, const std::atomic<int>& pacing);
    ~TcpTransport();
    TcpTransport(const TcpTransport&) = delete;
    TcpTransport& operator=(const TcpTransport&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool Start(uint16_t port, std::string& error);
    void Stop();
    uint16_t Port() const { return m_port; }
    size_t ClientCount() const { return m_clientCount; }
    void DropClients();

private:
    void Loop();
    void CloseClients();

    LineEmulator& m_line;
    const std::atomic<int>& m_pacing;
    ServiceThread m_service;
    int m_listener = -1;
    uint16_t m_port = 0;
    std::vector<std::unique_ptr<LinkPump>> m_clients;
    std::atomic<size_t> m_clientCount{0};
};

}  // namespace emu
