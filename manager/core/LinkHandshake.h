// The hand-shake by which a window borrows a data manager's link from the
// status poll: the window raises a hold, the poll takes a query only while no
// hold is raised. Both live in one atomic word, so the poll's "no hold, so I
// start" and a window's "hold, then wait for the poll to be idle" can never
// both go through: once Hold has returned true, no poll query is in flight
// and none starts until the hold is released.
//
//   LinkHoldLease lease(cells.Handshake());   // waits, pumping, for the poll's query
//   if (!lease) return FALSE;                  // the query did not end in time
//   ... commands ...                           // released with the lease
#pragma once

#include "platform/core/WinTypes.h"

#include <atomic>
#include <cstdint>

class LinkHandshake {
public:
    // A query ends within its reply time-out; this bounds a wait for one that
    // never does.
    static constexpr DWORD kHoldTimeoutMs = 15000;

    LinkHandshake() = default;
    LinkHandshake(const LinkHandshake&) = delete;
    LinkHandshake& operator=(const LinkHandshake&) = delete;

    // Window side. Raises a hold (holds are counted, so two windows that
    // borrow the link do not release each other's) and waits, pumping the
    // calling thread's messages, until the poll's query in flight has ended.
    // False, with this hold withdrawn again, when it did not end in time.
    bool Hold(DWORD timeoutMs = kHoldTimeoutMs);
    // Withdraws one hold; nothing when none is raised.
    void Release();
    bool IsHeld() const;
    int HoldCount() const;

    // Poll side: true, with the poll-busy mark set, when no hold is raised;
    // false, changing nothing, when one is.
    bool TryBeginPoll();
    void EndPoll();
    bool IsPollBusy() const;

private:
    static constexpr std::uint32_t kPollBusy = 1;
    static constexpr std::uint32_t kOneHold = 2;

    std::atomic<std::uint32_t> m_state{0};  // poll-busy bit, then the hold count
};

// One hold for the life of the object.
class LinkHoldLease {
public:
    explicit LinkHoldLease(LinkHandshake& handshake, DWORD timeoutMs = LinkHandshake::kHoldTimeoutMs)
        : m_handshake(handshake), m_held(handshake.Hold(timeoutMs))
    {
    }
    ~LinkHoldLease()
    {
        if (m_held) m_handshake.Release();
    }
    LinkHoldLease(const LinkHoldLease&) = delete;
    LinkHoldLease& operator=(const LinkHoldLease&) = delete;

    explicit operator bool() const { return m_held; }

private:
    LinkHandshake& m_handshake;
    bool m_held;
};
