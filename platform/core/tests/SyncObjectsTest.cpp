#include "platform/core/Synchronization.h"
#include "platform/core/Thread.h"
#include "platform/core/tests/RuntimeFolderScope.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Generous: the machine may be loaded.
constexpr DWORD kLongWaitMs = 10000;

// Waits (bounded) until pred holds.
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

TEST(Handles, ClosedStaleAndWrongHandlesAreRefused)
{
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(event);
    ASSERT_TRUE(CloseHandle(event));
    // New objects take the freed slot sooner or later; the old handle must stay dead.
    std::vector<OwnedHandle> fresh;
    for (int i = 0; i < 64; ++i) fresh.emplace_back(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    const OwnedHandle mutex(CreateMutexW(nullptr, FALSE, nullptr));

    struct Row {
        const char* name;
        BOOL (*call)(HANDLE);
        HANDLE handle;
    };
    const Row rows[] = {
        {"close a closed handle", CloseHandle, event},
        {"set a closed event", SetEvent, event},
        {"close null", CloseHandle, nullptr},
        {"close INVALID_HANDLE_VALUE", CloseHandle, INVALID_HANDLE_VALUE},
        {"release an event as a mutex", ReleaseMutex, fresh[0]},
        {"set a mutex as an event", SetEvent, mutex},
        {"made-up handle", CloseHandle, HANDLE::Make(123456, 7)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(row.call(row.handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    for (const auto& h : fresh) EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
}

TEST(Handles, LastErrorBelongsToEachThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByOther = 1;
    std::thread([&] {
        seenByOther = GetLastError();
        SetLastError(ERROR_TIMEOUT);
    }).join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Names, SameNameIsSameObjectUntilTheLastHandleCloses)
{
    {
        const OwnedHandle first(CreateEventW(nullptr, TRUE, FALSE, u"NamesTest.Event"));
        ASSERT_TRUE(first);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        // The second create keeps the first's kind and state.
        const OwnedHandle second(CreateEventW(nullptr, FALSE, TRUE, u"NamesTest.Event"));
        ASSERT_TRUE(second);
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
        EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
        const OwnedHandle opened(OpenEventW(EVENT_ALL_ACCESS, FALSE, u"NamesTest.Event"));
        ASSERT_TRUE(opened);
        ASSERT_TRUE(SetEvent(opened));
        EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);  // manual reset: still set

        // One namespace for every kind.
        EXPECT_FALSE(CreateMutexW(nullptr, FALSE, u"NamesTest.Event"));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, u"NamesTest.Event"));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_FALSE(OpenEventW(EVENT_ALL_ACCESS, FALSE, u"NamesTest.Event"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    const OwnedHandle again(CreateEventW(nullptr, TRUE, FALSE, u"NamesTest.Event"));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_TIMEOUT);
}

TEST(Names, BadNamesGetClearErrors)
{
    struct Row {
        const char* name;
        HANDLE (*make)();
        DWORD error;
    };
    const Row rows[] = {
        {"open a mutex nobody made", [] { return OpenMutexW(MUTEX_ALL_ACCESS, FALSE, u"NamesTest.Nobody"); },
         ERROR_FILE_NOT_FOUND},
        {"open without a name", [] { return OpenEventW(EVENT_ALL_ACCESS, FALSE, nullptr); }, ERROR_INVALID_PARAMETER},
        {"events are never shared between processes",
         [] { return CreateEventW(nullptr, TRUE, FALSE, u"Global\\NamesTest.Event"); }, ERROR_NOT_SUPPORTED},
        {"name longer than MAX_PATH",
         [] { return CreateMutexW(nullptr, FALSE, std::u16string(MAX_PATH + 1, u'x').c_str()); },
         ERROR_FILENAME_EXCED_RANGE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(row.make());
        EXPECT_EQ(GetLastError(), row.error);
    }
}

TEST(Mutex, RecursiveOwnershipCountsAndOnlyTheOwnerReleases)
{
    const OwnedHandle mutex(CreateMutexW(nullptr, TRUE, nullptr));
    ASSERT_TRUE(mutex);
    ASSERT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // owned twice now

    auto otherThreadTakes = [&] {
        DWORD result = 0;
        BOOL released = TRUE;
        DWORD error = 0;
        std::thread([&] {
            released = ReleaseMutex(mutex);
            error = GetLastError();
            result = WaitForSingleObject(mutex, 0);
            if (result == WAIT_OBJECT_0) ReleaseMutex(mutex);
        }).join();
        EXPECT_FALSE(released);
        EXPECT_EQ(error, ERROR_NOT_OWNER);
        return result;
    };
    EXPECT_EQ(otherThreadTakes(), WAIT_TIMEOUT);
    ASSERT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(otherThreadTakes(), WAIT_TIMEOUT);  // one level still held
    ASSERT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(otherThreadTakes(), WAIT_OBJECT_0);
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
}

TEST(Mutex, OwnerThatEndsLeavesItAbandonedOnce)
{
    RuntimeFolderScope folder;
    const char16_t* names[] = {nullptr, u"MutexTest.Abandoned", u"Global\\MutexTest.Abandoned"};
    for (const char16_t* name : names) {
        SCOPED_TRACE(name ? "named" : "unnamed");
        const OwnedHandle mutex(CreateMutexW(nullptr, FALSE, name));
        ASSERT_TRUE(mutex);
        std::thread([&] { ASSERT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); }).join();
        EXPECT_EQ(WaitForSingleObject(mutex, kLongWaitMs), WAIT_ABANDONED);
        EXPECT_TRUE(ReleaseMutex(mutex));  // the abandoned mutex was taken all the same
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
        EXPECT_TRUE(ReleaseMutex(mutex));
    }
}

TEST(Mutex, ExcludesThreadsOfThisProcess)
{
    RuntimeFolderScope folder;
    const char16_t* names[] = {nullptr, u"Global\\MutexTest.Exclusion"};
    for (const char16_t* name : names) {
        SCOPED_TRACE(name ? "shared with other processes" : "unnamed");
        const OwnedHandle mutex(CreateMutexW(nullptr, FALSE, name));
        ASSERT_TRUE(mutex);
        constexpr int kThreads = 4;
        constexpr int kRounds = 200;
        int counter = 0;  // deliberately not atomic: the mutex guards it
        std::atomic<int> inside{0};
        std::atomic<int> overlaps{0};
        std::atomic<int> failures{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < kRounds; ++i) {
                    if (WaitForSingleObject(mutex, kLongWaitMs) != WAIT_OBJECT_0) {
                        ++failures;
                        return;
                    }
                    if (inside.fetch_add(1) != 0) ++overlaps;
                    const int seen = counter;
                    std::this_thread::yield();
                    counter = seen + 1;
                    inside.fetch_sub(1);
                    ReleaseMutex(mutex);
                }
            });
        }
        for (auto& t : threads) t.join();
        EXPECT_EQ(failures.load(), 0);
        EXPECT_EQ(overlaps.load(), 0);
        EXPECT_EQ(counter, kThreads * kRounds);
    }
}

class EventWaiters {
public:
    EventWaiters(HANDLE event, int count)
    {
        for (int i = 0; i < count; ++i) {
            m_threads.emplace_back([this, event] {
                if (WaitForSingleObject(event, kLongWaitMs) == WAIT_OBJECT_0) ++released;
            });
        }
    }
    ~EventWaiters()
    {
        for (auto& t : m_threads) t.join();
    }
    std::atomic<int> released{0};

private:
    std::vector<std::thread> m_threads;
};

TEST(Event, AutoResetReleasesOneWaiterPerSet)
{
    const OwnedHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    EventWaiters waiters(event, 3);
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        ASSERT_TRUE(SetEvent(event));
        ASSERT_TRUE(Eventually([&] { return waiters.released.load() >= k; }));
        std::this_thread::sleep_for(30ms);  // room for a second, wrongful release to show
        EXPECT_EQ(waiters.released.load(), k);
    }
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSet)
{
    const OwnedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    {
        EventWaiters waiters(event, 3);
        ASSERT_TRUE(SetEvent(event));
        ASSERT_TRUE(Eventually([&] { return waiters.released.load() == 3; }));
    }
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    ASSERT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(Wait, AnyGivesTheLowestSignalledIndexAndTakesOnlyThatOne)
{
    const OwnedHandle a(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const OwnedHandle b(CreateEventW(nullptr, FALSE, TRUE, nullptr));
    const OwnedHandle c(CreateEventW(nullptr, FALSE, TRUE, nullptr));
    const HANDLE handles[] = {a, b, c};
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, 0), WAIT_TIMEOUT);

    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        SetEvent(c);
    });
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, kLongWaitMs), WAIT_OBJECT_0 + 2);
    setter.join();
}

TEST(Wait, AllTakesNothingUntilEveryObjectIsReady)
{
    const OwnedHandle event(CreateEventW(nullptr, FALSE, TRUE, nullptr));
    const OwnedHandle mutex(CreateMutexW(nullptr, FALSE, nullptr));
    const HANDLE handles[] = {event, mutex};

    std::atomic<bool> holding{false};
    std::atomic<bool> letGo{false};
    std::thread holder([&] {
        WaitForSingleObject(mutex, 0);
        holding = true;
        while (!letGo) std::this_thread::sleep_for(1ms);
        ReleaseMutex(mutex);
    });
    ASSERT_TRUE(Eventually([&] { return holding.load(); }));
    EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 50), WAIT_TIMEOUT);
    // The auto-reset event was not consumed by the failed wait.
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    ASSERT_TRUE(SetEvent(event));
    letGo = true;
    EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, kLongWaitMs), WAIT_OBJECT_0);
    holder.join();
    // Both were taken together.
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
}

TEST(Wait, AbandonedMutexIsReportedWithItsIndex)
{
    const OwnedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const OwnedHandle mutex(CreateMutexW(nullptr, FALSE, nullptr));
    std::thread([&] { WaitForSingleObject(mutex, 0); }).join();
    const HANDLE handles[] = {event, mutex};
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, kLongWaitMs), WAIT_ABANDONED_0 + 1);
    EXPECT_TRUE(ReleaseMutex(mutex));
}

TEST(Wait, BadArgumentsFail)
{
    const OwnedHandle event(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    std::vector<HANDLE> tooMany(MAXIMUM_WAIT_OBJECTS + 1, event.get());
    const HANDLE sameTwice[] = {event, event};
    struct Row {
        const char* name;
        DWORD count;
        const HANDLE* handles;
    };
    const Row rows[] = {
        {"no handles", 0, sameTwice},
        {"more than 64", MAXIMUM_WAIT_OBJECTS + 1, tooMany.data()},
        {"the same object twice", 2, sameTwice},
        {"null array", 1, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (BOOL all : {FALSE, TRUE}) {
            SetLastError(ERROR_SUCCESS);
            EXPECT_EQ(WaitForMultipleObjects(row.count, row.handles, all, 0), WAIT_FAILED);
            EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        }
    }
}

TEST(Wait, TimeOutComesAfterItsTimeAndNotMuchLater)
{
    const OwnedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_TIMEOUT);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 100ms);
    EXPECT_LT(elapsed, 5s);
}

TEST(Wait, InfiniteWaitEndsWhenSignalled)
{
    const OwnedHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        SetEvent(event);
    });
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    setter.join();
}

}  // namespace
