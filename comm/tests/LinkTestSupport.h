// Helpers of the link tests: a window that records the link events it is
// sent, bounded pumping waits, and a pseudo-terminal whose far end the test
// holds, bound to a COM number.
#pragma once

#include "comm/CommManager.h"
#include "comm/tests/CommTestSupport.h"

#include "platform/core/ComPortNames.h"
#include "platform/core/Messages.h"
#include "platform/core/Wnd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace linktest {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous: the machine may be loaded; only a fault makes a wait this long.
inline constexpr std::chrono::milliseconds kPatience{10000};

template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds patience = kPatience)
{
    const auto deadline = Clock::now() + patience;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        platform::PumpPendingMessages();
    }
    return true;
}

inline void PumpFor(std::chrono::milliseconds duration)
{
    const auto deadline = Clock::now() + duration;
    while (Clock::now() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        platform::PumpPendingMessages();
    }
}

// How often each thread of the process has gone to sleep and been woken, by
// thread id (voluntary context switches).
inline std::map<std::string, long> ThreadWakeUps()
{
    std::map<std::string, long> counts;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream status(entry.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                counts[entry.path().filename().string()] = std::stol(line.substr(line.find(':') + 1));
            }
        }
    }
    return counts;
}

// Wake-ups, over a pause of `duration` while this thread sleeps (it pumps
// nothing meanwhile), of the threads that are not in `before`: the threads
// started since then.
inline long WakeUpsOfNewThreads(const std::map<std::string, long>& before, std::chrono::milliseconds duration)
{
    std::map<std::string, long> start = ThreadWakeUps();
    for (const auto& [id, count] : before) start.erase(id);
    std::this_thread::sleep_for(duration);
    const std::map<std::string, long> end = ThreadWakeUps();
    long total = 0;
    for (const auto& [id, count] : start) {
        const auto now = end.find(id);
        if (now != end.end()) total += now->second - count;
    }
    return total;
}

// The attached window: keeps every link event and, for data events, the
// text the manager read.
class EventLog : public CWnd {
public:
    struct Event {
        WORD kind;
        WORD error;
        CString text;  // GetInBuffAtOnce at a data event
    };

    explicit EventLog(CCommManager* link = nullptr) : m_link(link)
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0);
    }
    ~EventLog() override { DestroyWindow(); }

    void Watch(CCommManager* link) { m_link = link; }
    const std::vector<Event>& Events() const { return m_events; }
    int Count(WORD kind) const
    {
        int n = 0;
        for (const Event& e : m_events) n += e.kind == kind;
        return n;
    }
    bool Has(WORD kind) const { return Count(kind) > 0; }
    CString Received() const
    {
        CString all;
        for (const Event& e : m_events) all += e.text;
        return all;
    }
    std::vector<WORD> Kinds(bool withoutDataAndWrite = true) const
    {
        std::vector<WORD> kinds;
        for (const Event& e : m_events) {
            if (withoutDataAndWrite && (e.kind == LINK_EVENT_READ || e.kind == LINK_EVENT_WRITE)) continue;
            kinds.push_back(e.kind);
        }
        return kinds;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_COMM_LINK_EVENT) return CWnd::WindowProc(message, wParam, lParam);
        Event e{LOWORD(static_cast<std::uintptr_t>(lParam)), HIWORD(static_cast<std::uintptr_t>(lParam)), CString()};
        if (e.kind == LINK_EVENT_READ && m_link) e.text = m_link->GetInBuffAtOnce();
        m_events.push_back(e);
        return 0;
    }

private:
    CCommManager* m_link;
    std::vector<Event> m_events;
};

// A pseudo-terminal: the link opens its slave as COM `number`, the test
// reads and writes the master.
class PtyPeer {
public:
    explicit PtyPeer(int number)
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) return;
        termios t{};
        ::tcgetattr(m_master, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_master, TCSANOW, &t);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_bind.emplace(number, name);
    }
    ~PtyPeer()
    {
        CloseMaster();
        if (m_slave >= 0) ::close(m_slave);
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool Ok() const { return m_master >= 0 && m_bind.has_value(); }
    void Write(const std::string& bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0) done += static_cast<std::size_t>(n);
            else std::this_thread::sleep_for(1ms);
        }
    }
    struct Piece {
        Clock::time_point at;  // when the read returned it
        std::string bytes;
    };
    // Reads on a thread of its own (so a busy test thread does not merge
    // pieces), while the calling thread pumps its messages, until `count`
    // bytes came or the patience ran out.
    std::vector<Piece> Collect(std::size_t count, std::chrono::milliseconds patience = kPatience)
    {
        std::vector<Piece> pieces;
        std::atomic<bool> done{false};
        std::thread reader([&] {
            const auto deadline = Clock::now() + patience;
            std::size_t total = 0;
            while (total < count && Clock::now() < deadline) {
                pollfd p{m_master, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0) continue;
                char buffer[4096];
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n <= 0) {
                    std::this_thread::sleep_for(5ms);
                    continue;
                }
                pieces.push_back({Clock::now(), std::string(buffer, static_cast<std::size_t>(n))});
                total += static_cast<std::size_t>(n);
            }
            done = true;
        });
        PumpUntil([&] { return done.load(); }, patience + 1000ms);
        reader.join();
        return pieces;
    }
    // What arrives within the time (to show that nothing does).
    std::string ReadFor(std::chrono::milliseconds duration)
    {
        return Join(Collect(static_cast<std::size_t>(-1), duration));
    }
    static std::string Join(const std::vector<Piece>& pieces)
    {
        std::string all;
        for (const Piece& p : pieces) all += p.bytes;
        return all;
    }
    // The link's side sees a hang-up.
    void CloseMaster()
    {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;  // held so that the terminal outlives the link's closing and opening
    std::optional<platform::ScopedComPortDevice> m_bind;
};

}  // namespace linktest
