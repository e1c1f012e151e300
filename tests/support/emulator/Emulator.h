#pragma once

// The controller emulator as a test drives it: a line of controllers served over a
// pseudo-terminal and/or TCP on the loopback address.
//
//     emu::Emulator emulator;
//     emulator.AddController(1, "LB").SetParameter(12, 500);
//     std::string device = emulator.ServePty();     // bind a COM number to this path
//     uint16_t port = emulator.ServeTcp();           // or connect to 127.0.0.1:port
//     emulator.Script().NextReply(emu::Fault::NoReply());
//     ASSERT_TRUE(emulator.WaitForCommands(1, 5s));
//     EXPECT_EQ(emulator.ReceivedCommands().front(), "@?K12.1");
//
// The destructor stops both transports within a bounded time, clients still connected.

#include "tests/support/emulator/LineEmulator.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace emu {

class PtyTransport;
class TcpTransport;

class Emulator {
public:
    // SetPacing: the baud rate the pseudo-terminal's peer set on its side.
    static constexpr int kFollowLineBaud = -1;

    Emulator();
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    ControllerModel& AddController(int node, std::string type = "LB");
    ControllerModel& Controller(int node);  // throws std::out_of_range for an unknown node
    ControllerModel* FindController(int node);
    LineEmulator& Line() { return m_line; }
    FaultScript& Script() { return m_line.Script(); }
    void SetEcho(bool on) { m_line.SetEcho(on); }
    void SetAnswerForm(AnswerForm form) { m_line.SetAnswerForm(form); }
    void SetCodePage(int codePage) { m_line.SetCodePage(codePage); }
    // 0: as fast as the link takes it; a baud rate; or kFollowLineBaud.
    void SetPacing(int baud) { m_pacing = baud; }

    // Start serving; the path of the terminal's stable link or the TCP port, empty or 0
    // when that failed (LastError says why).
    std::string ServePty();
    uint16_t ServeTcp(uint16_t port = 0);
    std::string PtyPath() const;
    std::string PtyDevice() const;   // the /dev/pts node behind PtyPath()
    bool PtyOpen() const;
    int PtyPeerBaud() const;
    uint16_t TcpPort() const;
    size_t TcpClientCount() const;
    bool WaitForTcpClients(size_t count, std::chrono::milliseconds timeout) const;

    // Drops every link now: the terminal closes (and opens again after reopenAfterMs when
    // that is not negative), TCP clients are disconnected.
    void DropLink(int reopenAfterMs = -1);
    bool ReopenPty();
    void Stop();
    std::string LastError() const { return m_error; }

    std::vector<std::string> ReceivedLines() const { return m_line.ReceivedLines(); }
    std::vector<std::string> ReceivedCommands() const { return m_line.ReceivedCommands(); }
    std::string ReceivedBytes() const { return m_line.ReceivedBytes(); }
    void ClearLog() { m_line.ClearLog(); }
    bool WaitForCommands(size_t count, std::chrono::milliseconds timeout) const
    {
        return m_line.WaitForCommands(count, timeout);
    }
    bool WaitForLine(std::string_view line, std::chrono::milliseconds timeout) const
    {
        return m_line.WaitForLine(line, timeout);
    }

private:
    LineEmulator m_line;
    std::atomic<int> m_pacing{0};
    std::unique_ptr<PtyTransport> m_pty;
    std::unique_ptr<TcpTransport> m_tcp;
    std::string m_error;
};

}  // namespace emu
