#include "platform/core/MultimediaTimer.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Time.h"
#include "platform/core/tests/RuntimeFolderScope.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr DWORD kLongWaitMs = 10000;

class TickOffsetScope {
public:
    explicit TickOffsetScope(ULONGLONG offsetMs) : m_saved(platform::GetTickCountOffset())
    {
        platform::SetTickCountOffset(offsetMs);
    }
    ~TickOffsetScope() { platform::SetTickCountOffset(m_saved); }

private:
    ULONGLONG m_saved;
};

TEST(TickCount, WrapsLikeWindowsAndDifferencesStayRight)
{
    const ULONGLONG base = GetTickCount64() - platform::GetTickCountOffset();
    // Put the 32-bit count 30 ms before its wrap.
    const ULONGLONG offset = (0x100000000ULL - 30 - (base & 0xFFFFFFFFULL)) & 0xFFFFFFFFULL;
    TickOffsetScope scope(offset);
    const DWORD before = GetTickCount();
    const ULONGLONG before64 = GetTickCount64();
    Sleep(100);
    const ULONGLONG after64 = GetTickCount64();
    const DWORD after = GetTickCount();
    const ULONGLONG later64 = GetTickCount64();
    EXPECT_LT(after, before);  // wrapped
    EXPECT_GE(static_cast<DWORD>(after - before), 100u);
    EXPECT_LT(static_cast<DWORD>(after - before), 10000u);
    EXPECT_GE(after64 - before64, 100u);
    // The 32-bit count is the low part of the 64-bit one, read between two reads of it
    // (the clock may tick between them).
    EXPECT_LE(static_cast<DWORD>(after - static_cast<DWORD>(after64)), later64 - after64);
}

// Counts the callbacks of one timer; optionally kills it from inside.
struct Probe {
    std::atomic<int> calls{0};
    std::atomic<UINT> id{0};
    int killOnCall = 0;
    std::atomic<MMRESULT> killResult{0xFFFF};
    HANDLE fired = nullptr;

    static void CALLBACK Callback(UINT timerId, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
    {
        auto* self = reinterpret_cast<Probe*>(user);
        const int n = ++self->calls;
        if (n == self->killOnCall) self->killResult = timeKillEvent(timerId);
        if (self->fired) SetEvent(self->fired);
    }
};

template <class Pred>
bool Eventually(Pred pred)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLongWaitMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(MultimediaTimer, OneShotFiresOnce)
{
    OwnedHandle fired(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Probe probe;
    probe.fired = fired;
    EXPECT_EQ(timeBeginPeriod(10), TIMERR_NOERROR);
    const auto start = std::chrono::steady_clock::now();
    const UINT id = timeSetEvent(20, 0, Probe::Callback, reinterpret_cast<DWORD_PTR>(&probe), TIME_ONESHOT);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(fired, kLongWaitMs), WAIT_OBJECT_0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    std::this_thread::sleep_for(80ms);  // room for a wrongful second call
    EXPECT_EQ(probe.calls.load(), 1);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);  // gone once fired
    EXPECT_EQ(timeEndPeriod(10), TIMERR_NOERROR);
}

TEST(MultimediaTimer, PeriodicRepeatsUntilKilled)
{
    Probe probe;
    const UINT id = timeSetEvent(5, 0, Probe::Callback, reinterpret_cast<DWORD_PTR>(&probe), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(Eventually([&] { return probe.calls.load() >= 5; }));
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    const int atKill = probe.calls.load();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(probe.calls.load(), atKill);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

TEST(MultimediaTimer, KilledFromItsOwnCallback)
{
    struct Row {
        const char* name;
        UINT flags;
        int killOnCall;
    };
    const Row rows[] = {
        {"periodic, third call", TIME_PERIODIC, 3},
        {"one-shot, its only call", TIME_ONESHOT, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Probe probe;
        probe.killOnCall = row.killOnCall;
        const UINT id = timeSetEvent(2, 0, Probe::Callback, reinterpret_cast<DWORD_PTR>(&probe), row.flags);
        ASSERT_NE(id, 0u);
        ASSERT_TRUE(Eventually([&] { return probe.killResult.load() != 0xFFFF; }));
        EXPECT_EQ(probe.killResult.load(), TIMERR_NOERROR);
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(probe.calls.load(), row.killOnCall);
        EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
    }
}

TEST(MultimediaTimer, KillWaitsForARunningCallback)
{
    struct Slow {
        HANDLE entered = nullptr;
        std::atomic<bool> finished{false};
        static void CALLBACK Callback(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
        {
            auto* self = reinterpret_cast<Slow*>(user);
            SetEvent(self->entered);
            std::this_thread::sleep_for(150ms);
            self->finished = true;
        }
    };
    OwnedHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Slow slow;
    slow.entered = entered;
    const UINT id = timeSetEvent(1, 0, Slow::Callback, reinterpret_cast<DWORD_PTR>(&slow), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(entered, kLongWaitMs), WAIT_OBJECT_0);
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    EXPECT_TRUE(slow.finished.load());
}

TEST(MultimediaTimer, RefusesWhatItCannotRun)
{
    Probe probe;
    const auto user = reinterpret_cast<DWORD_PTR>(&probe);
    struct Row {
        const char* name;
        UINT delayMs;
        LPTIMECALLBACK callback;
        UINT flags;
    };
    const Row rows[] = {
        {"zero delay", 0, Probe::Callback, TIME_ONESHOT},
        {"delay above the maximum", 1000001, Probe::Callback, TIME_ONESHOT},
        {"no callback", 10, nullptr, TIME_PERIODIC},
        {"event callback kind", 10, Probe::Callback, TIME_ONESHOT | TIME_CALLBACK_EVENT_SET},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(timeSetEvent(row.delayMs, 0, row.callback, user, row.flags), 0u);
    }
    EXPECT_EQ(timeKillEvent(0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(timeKillEvent(0xFFFFFFF0u), MMSYSERR_INVALPARAM);
    EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(probe.calls.load(), 0);
}

}  // namespace
