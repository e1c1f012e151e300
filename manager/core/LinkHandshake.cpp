#include "manager/core/LinkHandshake.h"

#include "manager/core/SystemHelpers.h"
#include "platform/core/Time.h"

bool LinkHandshake::Hold(DWORD timeoutMs)
{
    m_state.fetch_add(kOneHold);
    const DWORD start = GetTickCount();
    while (m_state.load() & kPollBusy) {
        if (GetTickCount() - start >= timeoutMs) {
            Release();
            return false;
        }
        // The poll's reply reaches its engine through this thread's messages.
        PumpMessages(1);
        Sleep(1);
    }
    return true;
}

void LinkHandshake::Release()
{
    std::uint32_t state = m_state.load();
    while (state >= kOneHold && !m_state.compare_exchange_weak(state, state - kOneHold)) {
    }
}

bool LinkHandshake::IsHeld() const { return m_state.load() >= kOneHold; }

int LinkHandshake::HoldCount() const { return static_cast<int>(m_state.load() / kOneHold); }

bool LinkHandshake::TryBeginPoll()
{
    std::uint32_t expected = 0;
    return m_state.compare_exchange_strong(expected, kPollBusy);
}

void LinkHandshake::EndPoll() { m_state.fetch_and(~kPollBusy); }

bool LinkHandshake::IsPollBusy() const { return (m_state.load() & kPollBusy) != 0; }
