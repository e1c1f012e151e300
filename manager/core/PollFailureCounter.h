// Counts the status poll's failing cycles in a row and says when the link's
// window is to hear of it: at the 5th failure, and again every 16th after
// (21st, 37th, ...), so a dead link is reported without flooding; and at the
// first good cycle after 5 or more failures, the link is back. Fewer than 5
// failures are passing trouble and are never reported, either way.
#pragma once

#include <cstdint>

class PollFailureCounter {
public:
    enum class Report { kNone, kFailing, kBack };

    static constexpr std::uint32_t kReportedFailures = 5;
    static constexpr std::uint32_t kRepeatMask = 0xF;

    Report OnFailure()
    {
        ++m_failures;
        return (m_failures & kRepeatMask) == kReportedFailures ? Report::kFailing : Report::kNone;
    }
    Report OnSuccess()
    {
        const bool wasReported = m_failures >= kReportedFailures;
        m_failures = 0;
        return wasReported ? Report::kBack : Report::kNone;
    }
    void Reset() { m_failures = 0; }
    std::uint32_t Failures() const { return m_failures; }

private:
    std::uint32_t m_failures = 0;
};
