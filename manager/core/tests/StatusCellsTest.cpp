#include "manager/core/OpenWindowEntry.h"
#include "manager/core/StatusCells.h"

#include "platform/core/Time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// Every cell of one write carries the same number, so a mixed read shows.
StatusSnapshot Uniform(std::uint16_t n)
{
    StatusSnapshot s;
    s.inputs = n;
    s.outputs = n;
    s.wideIo.fill(n);
    s.options = n;
    s.status.d0 = n;
    s.status.d15 = n;
    s.status.d2 = static_cast<std::int16_t>(n);
    return s;
}

bool IsUniform(const StatusSnapshot& s)
{
    return s == Uniform(s.inputs);
}

TEST(StatusCells, ASnapshotIsNeverMixedFromTwoWrites)
{
    StatusCells cells;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (std::uint16_t n = 1; !done.load(); ++n) cells.Store(Uniform(n));
    });
    int mixed = 0;
    for (int i = 0; i < 20000; ++i) {
        if (!IsUniform(cells.Snapshot())) ++mixed;
    }
    done = true;
    writer.join();
    EXPECT_EQ(mixed, 0);
}

TEST(LinkHandshake, AHoldAndAPollQueryNeverOverlap)
{
    StatusCells cells;
    LinkHandshake& handshake = cells.Handshake();
    std::atomic<bool> done{false};
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> pollQueries{0};

    std::thread poll([&] {
        while (!done.load()) {
            if (!handshake.TryBeginPoll()) continue;
            if (inside.fetch_add(1) != 0) ++overlaps;
            ++pollQueries;
            std::this_thread::yield();
            inside.fetch_sub(1);
            handshake.EndPoll();
        }
    });
    // However late the poll thread is scheduled, it must get turns between the
    // holds: every few rounds the holder lets it take one before going on.
    const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int i = 0; i < 400; ++i) {
        ASSERT_TRUE(handshake.Hold());
        if (inside.fetch_add(1) != 0) ++overlaps;
        std::this_thread::yield();
        inside.fetch_sub(1);
        handshake.Release();
        if (i % 20 == 19) {
            const int seen = pollQueries.load();
            while (pollQueries.load() == seen && std::chrono::steady_clock::now() < patience) std::this_thread::yield();
        }
    }
    done = true;
    poll.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(pollQueries.load(), 0) << "the poll got its turns between the holds";
    EXPECT_FALSE(handshake.IsHeld());
}

TEST(LinkHandshake, HoldsAreCountedAndAReleaseWithoutHoldChangesNothing)
{
    LinkHandshake handshake;
    handshake.Release();
    EXPECT_EQ(handshake.HoldCount(), 0);
    EXPECT_TRUE(handshake.TryBeginPoll());
    handshake.Release();
    EXPECT_TRUE(handshake.IsPollBusy()) << "a stray release does not touch the poll's mark";
    handshake.EndPoll();

    ASSERT_TRUE(handshake.Hold());
    {
        LinkHoldLease second(handshake);
        ASSERT_TRUE(second);
        EXPECT_EQ(handshake.HoldCount(), 2);
    }
    EXPECT_TRUE(handshake.IsHeld()) << "one window's release leaves the other's hold";
    EXPECT_FALSE(handshake.TryBeginPoll());
    handshake.Release();
    EXPECT_TRUE(handshake.TryBeginPoll());
    handshake.EndPoll();
}

TEST(LinkHandshake, AHoldThatWaitsTooLongForThePollIsWithdrawn)
{
    LinkHandshake handshake;
    ASSERT_TRUE(handshake.TryBeginPoll());
    const DWORD start = GetTickCount();
    EXPECT_FALSE(handshake.Hold(50));
    EXPECT_GE(GetTickCount() - start, 50u);
    EXPECT_FALSE(handshake.IsHeld());
    handshake.EndPoll();
    EXPECT_TRUE(handshake.TryBeginPoll()) << "nothing was left raised";
    handshake.EndPoll();
}

TEST(OpenWindowEntry, TheKeyIsKindNamePortAndAddressButNotTheFrame)
{
    OpenWindowEntry key;
    key.kind = kOpenWindowSerial;
    key.comPort = 3;
    struct Row {
        const char* name;
        OpenWindowEntry entry;
        bool matches;
    } rows[] = {
        {"same link, another frame", {kOpenWindowSerial, reinterpret_cast<CWnd*>(0x10), u"", 3, 0}, true},
        {"other port", {kOpenWindowSerial, nullptr, u"", 4, 0}, false},
        {"other kind", {kOpenWindowTcp, nullptr, u"", 3, 0}, false},
        {"a name", {kOpenWindowSerial, nullptr, u"x", 3, 0}, false},
        {"an address", {kOpenWindowSerial, nullptr, u"", 3, 1}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.entry.MatchesKey(key), row.matches);
    }
    OpenWindowEntry file{kOpenWindowOffline, nullptr, u"/data/a.txt", 0, 0};
    OpenWindowEntry otherCase{kOpenWindowOffline, nullptr, u"/data/A.txt", 0, 0};
    EXPECT_FALSE(file.MatchesKey(otherCase)) << "names compare exactly";
}

}  // namespace
