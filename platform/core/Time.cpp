#include "platform/core/Time.h"

#include <atomic>
#include <chrono>
#include <sched.h>
#include <thread>
#include <time.h>

namespace {
std::atomic<ULONGLONG> g_tickOffsetMs{0};
}

ULONGLONG GetTickCount64()
{
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
    return ms + g_tickOffsetMs.load(std::memory_order_relaxed);
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

void Sleep(DWORD ms)
{
    if (ms == 0) {
        ::sched_yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace platform {

void SetTickCountOffset(ULONGLONG offsetMs) { g_tickOffsetMs.store(offsetMs, std::memory_order_relaxed); }

ULONGLONG GetTickCountOffset() { return g_tickOffsetMs.load(std::memory_order_relaxed); }

}  // namespace platform
