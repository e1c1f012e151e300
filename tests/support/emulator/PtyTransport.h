#pragma once

// A line served over a pseudo-terminal. The code under test opens the slave side as if it
// were a serial port; Path() is a symbolic link to it that stays the same when the link is
// dropped and opened again, so a COM number can stay bound to it.

#include "tests/support/emulator/LinkPump.h"
#include "tests/support/emulator/ServiceThread.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace emu {

class PtyTransport {
public:
    // Pacing: 0 none, a baud rate, or -1 for the baud rate the peer set on the terminal.
    PtyTransport(LineEmulator& line, const std::atomic<int>& pacing);
    ~PtyTransport();
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    bool Start(std::string& error);
    void Stop();
    std::string Path() const;
    std::string DevicePath() const;
    bool IsOpen() const;

    // Closes the terminal (the peer sees a hang-up) and, when reopenAfterMs is not
    // negative, opens a new one behind the same Path() after that long.
    void Drop(int reopenAfterMs);
    bool Reopen();
    // The baud rate the peer set on its side, 0 when unknown.
    int PeerBaud() const;

private:
    bool OpenTerminal(std::string& error);
    void CloseTerminal();
    void Loop();

    LineEmulator& m_line;
    const std::atomic<int>& m_pacing;
    ServiceThread m_service;
    std::string m_dir;
    std::string m_path;
    mutable std::mutex m_pathLock;
    std::string m_devicePath;
    int m_master = -1;
    int m_slave = -1;           // held so the terminal survives the peer closing and reopening
    std::unique_ptr<LinkPump> m_pump;
    std::atomic<bool> m_open{false};
    std::atomic<int> m_peerBaud{0};
    Clock::time_point m_reopenAt{};
    bool m_reopenPending = false;
};

}  // namespace emu
