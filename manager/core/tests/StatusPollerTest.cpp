#include "manager/core/PollFailureCounter.h"
#include "manager/core/StatusPoller.h"

#include "platform/core/Synchronization.h"
#include "platform/core/Time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = 10s;

template <class Done>
bool WaitFor(Done done)
{
    const auto deadline = Clock::now() + kPatience;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// A target whose cycle is a few queries of a given length; a query may also
// hang until it is cancelled.
class FakeTarget : public IPollTarget {
public:
    explicit FakeTarget(int queries = 3, std::chrono::milliseconds queryTime = 15ms)
        : m_queries(queries), m_queryTime(queryTime)
    {
    }

    void PollCycle(PollFailureCounter& failures, StatusCells&, const std::atomic<bool>& stop) override
    {
        failuresAtStart = static_cast<int>(failures.Failures());
        inCycle = true;
        for (int q = 0; q < m_queries && !stop.load(); ++q) {
            inQuery = true;
            const auto end = Clock::now() + m_queryTime;
            // A plain sleep inside a query: never a place to park.
            while (!cancelled.load() && (hang.load() || Clock::now() < end)) std::this_thread::sleep_for(1ms);
            inQuery = false;
        }
        cancelled = false;
        failures.OnFailure();
        inCycle = false;
        ++cycles;
    }
    void CancelQuery() override
    {
        ++cancels;
        cancelled = true;
    }

    std::atomic<int> cycles{0};
    std::atomic<bool> inCycle{false};
    std::atomic<bool> inQuery{false};
    std::atomic<bool> hang{false};
    std::atomic<bool> cancelled{false};
    std::atomic<int> cancels{0};
    std::atomic<int> failuresAtStart{-1};

private:
    int m_queries;
    std::chrono::milliseconds m_queryTime;
};

class StatusPollerTest : public testing::Test {
protected:
    std::shared_ptr<StatusCells> cells = std::make_shared<StatusCells>();
};

TEST_F(StatusPollerTest, RunsNoCycleBeforeTheFirstResumeAndPausingItThenWaitsForNothing)
{
    FakeTarget target;
    CStatusPoller poller(cells);
    ASSERT_TRUE(poller.IsCreated());
    poller.SetTarget(&target);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(target.cycles.load(), 0);
    EXPECT_FALSE(poller.HasStarted());

    const auto start = Clock::now();
    EXPECT_TRUE(poller.Pause());
    EXPECT_LT(Clock::now() - start, 2s);

    poller.Resume();
    EXPECT_TRUE(poller.HasStarted());
    EXPECT_TRUE(WaitFor([&] { return target.cycles.load() >= 3; }));
}

TEST_F(StatusPollerTest, PausesOnlyBetweenWholeCycles)
{
    FakeTarget target(3, 10ms);
    CStatusPoller poller(cells);
    poller.SetTarget(&target);
    HANDLE stopEvent = OpenEventW(0, FALSE, u"DataManagerStopEvent");
    ASSERT_TRUE(stopEvent);
    for (int round = 0; round < 15; ++round) {
        SCOPED_TRACE(round);
        poller.Resume();
        const int before = target.cycles.load();
        ASSERT_TRUE(WaitFor([&] { return target.cycles.load() > before || target.inQuery.load(); }));
        ASSERT_TRUE(poller.Pause());
        EXPECT_FALSE(target.inCycle.load());
        EXPECT_EQ(WaitForSingleObject(stopEvent, 0), WAIT_OBJECT_0) << "set while no cycle runs";
        const int parked = target.cycles.load();
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(target.cycles.load(), parked) << "no cycle while paused";
    }
    CloseHandle(stopEvent);
}

TEST_F(StatusPollerTest, AQueryThatNeverEndsIsCutShortSoThatThePauseEnds)
{
    FakeTarget target(1, 1ms);
    CStatusPoller poller(cells, 200);
    poller.SetTarget(&target);
    target.hang = true;
    poller.Resume();
    ASSERT_TRUE(WaitFor([&] { return target.inQuery.load(); }));
    EXPECT_TRUE(poller.Pause());
    EXPECT_EQ(target.cancels.load(), 1);
    EXPECT_FALSE(target.inCycle.load());
}

TEST_F(StatusPollerTest, ANewTargetIsPolledAloneAndStartsANewFailureCount)
{
    FakeTarget first;
    FakeTarget second;
    CStatusPoller poller(cells);
    poller.SetTarget(&first);
    poller.Resume();
    ASSERT_TRUE(WaitFor([&] { return first.cycles.load() >= 3; }));
    EXPECT_GE(first.failuresAtStart.load(), 2);

    EXPECT_TRUE(poller.SetTarget(&second));
    EXPECT_FALSE(first.inCycle.load());
    const int firstCycles = first.cycles.load();
    poller.Resume();
    ASSERT_TRUE(WaitFor([&] { return second.cycles.load() >= 1; }));
    EXPECT_EQ(first.cycles.load(), firstCycles) << "the old target is never polled again";
    EXPECT_EQ(second.failuresAtStart.load(), 0);
}

TEST_F(StatusPollerTest, StopEndsTheThreadWhetherItRanOrNot)
{
    {
        CStatusPoller never(cells);
        EXPECT_TRUE(never.Stop());
        EXPECT_FALSE(never.IsAlive());
    }
    FakeTarget target;
    CStatusPoller running(cells);
    running.SetTarget(&target);
    running.Resume();
    ASSERT_TRUE(WaitFor([&] { return target.cycles.load() >= 1; }));
    running.Suspend();
    EXPECT_TRUE(running.Stop());
    EXPECT_FALSE(running.IsAlive());
    EXPECT_FALSE(target.inCycle.load());
}

TEST(PollFailureCounter, ReportsTheFifthAndEverySixteenthAfterAndTheRecovery)
{
    using Report = PollFailureCounter::Report;
    struct Row {
        const char* name;
        int failures;          // failing cycles in a row before the good one
        Report lastFailure;    // what the last of them reported
        Report recovery;       // what the good cycle reported
    } rows[] = {
        {"one failure", 1, Report::kNone, Report::kNone},
        {"four failures", 4, Report::kNone, Report::kNone},
        {"the fifth", 5, Report::kFailing, Report::kBack},
        {"the sixth", 6, Report::kNone, Report::kBack},
        {"the twentieth", 20, Report::kNone, Report::kBack},
        {"the twenty-first", 21, Report::kFailing, Report::kBack},
        {"the thirty-seventh", 37, Report::kFailing, Report::kBack},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PollFailureCounter counter;
        int failingReports = 0;
        Report last = Report::kNone;
        for (int i = 0; i < row.failures; ++i) {
            last = counter.OnFailure();
            failingReports += last == Report::kFailing;
        }
        EXPECT_EQ(last, row.lastFailure);
        EXPECT_EQ(failingReports, row.failures >= 5 ? 1 + (row.failures - 5) / 16 : 0);
        EXPECT_EQ(counter.OnSuccess(), row.recovery);
        EXPECT_EQ(counter.OnSuccess(), Report::kNone) << "a second good cycle reports nothing";
    }
}

}  // namespace
