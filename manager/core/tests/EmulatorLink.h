// A link straight into the controller emulator's line, without a transport:
// command lines go into a session of the line and its output comes back, when
// due, on a thread of its own, as a port's reader would bring it. Scripted
// delays, splits and drops of the line take effect as they would on a wire.
#pragma once

#include "manager/core/ControllerLink.h"
#include "manager/core/ControllerProtocol.h"
#include "tests/support/emulator/LineEmulator.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace testfx {

class EmulatorLink : public ControllerLink {
public:
    EmulatorLink(emu::LineEmulator& line, CControllerProtocol& protocol)
        : m_line(line), m_protocol(protocol), m_session(line.OpenSession())
    {
        m_protocol.SetControllerLink(this);
        m_thread = std::thread([this] { Pump(); });
    }
    ~EmulatorLink() override
    {
        {
            std::lock_guard guard(m_lock);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
        m_protocol.SetControllerLink(nullptr);
        m_line.CloseSession(m_session);
    }
    EmulatorLink(const EmulatorLink&) = delete;
    EmulatorLink& operator=(const EmulatorLink&) = delete;

    bool IsOpen() const
    {
        std::lock_guard guard(m_lock);
        return m_open;
    }
    // A new session after a drop, as a reconnect gives.
    void Reopen()
    {
        std::lock_guard guard(m_lock);
        m_line.CloseSession(m_session);
        m_session = m_line.OpenSession();
        m_open = true;
    }

    int SendData(const CString& text) override
    {
        int session = 0;
        {
            std::lock_guard guard(m_lock);
            if (!m_open) return 0;
            session = m_session;
        }
        m_line.Feed(session, text.ToUtf8(), emu::Clock::now());
        m_changed.notify_all();
        return 1;
    }
    CString GetInBuffAtOnce() override
    {
        std::lock_guard guard(m_lock);
        return m_atOnce;
    }
    int GetPortType() override { return 2; }

private:
    void Pump()
    {
        std::unique_lock lock(m_lock);
        while (!m_stop) {
            const std::optional<emu::Clock::time_point> due = m_open ? m_line.NextDue(m_session) : std::nullopt;
            const auto limit = emu::Clock::now() + std::chrono::milliseconds(20);
            m_changed.wait_until(lock, due && *due < limit ? *due : limit);
            if (m_stop || !m_open) continue;
            std::deque<emu::OutputChunk> chunks;
            m_line.TakeDue(m_session, emu::Clock::now(), true, chunks);
            for (emu::OutputChunk& chunk : chunks) {
                if (chunk.dropLink) {
                    m_open = false;
                    break;
                }
                if (chunk.bytes.empty()) continue;
                m_atOnce = CString::FromUtf8(chunk.bytes);
                // The link's data event: the engine reads the at-once text.
                lock.unlock();
                m_protocol.OnDataArrived();
                lock.lock();
            }
        }
    }

    emu::LineEmulator& m_line;
    CControllerProtocol& m_protocol;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    int m_session;
    bool m_open = true;
    bool m_stop = false;
    CString m_atOnce;
    std::thread m_thread;
};

}  // namespace testfx
