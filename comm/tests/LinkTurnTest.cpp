// Write turns of a link whose turns may be posted without the writer thread:
// the writer sleeps while the sender, or the end of a send delay, hands out
// the turn, and it wakes for exactly the text it must see to.
#include "comm/LinkShared.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A writer thread as the port runs it: asleep until text waits for it.
class Writer {
public:
    explicit Writer(comm::LinkShared& link) : m_link(link)
    {
        m_done = std::async(std::launch::async, [this] { return m_link.WaitForOut(m_running); });
        for (int i = 0; i < 2000 && m_link.WritersAsleep() == 0; ++i) std::this_thread::sleep_for(5ms);
    }
    ~Writer() { Stop(); }
    // Generous for a wake that is due; short for one that must not come.
    bool Woken() { return m_done.wait_for(10s) == std::future_status::ready; }
    bool StaysAsleep() { return m_done.wait_for(200ms) == std::future_status::timeout; }
    void Stop()
    {
        m_running = false;
        m_link.WakeWriters();
        if (m_done.valid()) m_done.wait();
    }

private:
    comm::LinkShared& m_link;
    std::atomic<bool> m_running{true};
    std::future<bool> m_done;
};

struct Link {
    comm::LinkShared shared;
    int posted = 0;
    bool postFails = false;
    Link()
    {
        shared.SetWritePoster([this] {
            ++posted;
            return !postFails;
        });
    }
};

TEST(LinkTurn, TextQueuedForASleepingWriterIsPostedWithoutWakingIt)
{
    Link link;
    Writer writer(link.shared);
    ASSERT_EQ(link.shared.WritersAsleep(), 1);
    link.shared.SetOutPending(true);
    EXPECT_EQ(link.posted, 1);
    // More text before the turn is taken goes with that turn.
    link.shared.SetOutPending(true);
    EXPECT_EQ(link.posted, 1);
    // The turn wrote everything.
    link.shared.outPending = false;
    EXPECT_TRUE(link.shared.EndHandedOutTurn());
    EXPECT_TRUE(writer.StaysAsleep());
    // A turn the writer thread posted is not one handed out.
    EXPECT_FALSE(link.shared.EndHandedOutTurn());
}

TEST(LinkTurn, WhatASendDelayHoldsIsPostedWhenTheDelayEnds)
{
    struct Case {
        const char* name;
        bool queuedDuringDelay;  // else: left over from the turn that started the delay
    };
    for (const Case& c : {Case{"queued during the delay", true}, Case{"left over by a turn", false}}) {
        SCOPED_TRACE(c.name);
        Link link;
        Writer writer(link.shared);
        if (c.queuedDuringDelay) {
            link.shared.HoldWrites(true);
            link.shared.SetOutPending(true);
        } else {
            link.shared.SetOutPending(true);
            ASSERT_EQ(link.posted, 1);
            link.shared.HoldWrites(true);
            EXPECT_TRUE(link.shared.EndHandedOutTurn());
        }
        const int before = link.posted;
        EXPECT_TRUE(writer.StaysAsleep());
        link.shared.HoldWrites(false);
        EXPECT_EQ(link.posted, before + 1);
        link.shared.outPending = false;
        EXPECT_TRUE(link.shared.EndHandedOutTurn());
        EXPECT_TRUE(writer.StaysAsleep());
    }
}

TEST(LinkTurn, TheWriterThreadWakesForTextNoTurnWillTake)
{
    struct Case {
        const char* name;
        void (*act)(Link&);
    };
    const Case cases[] = {
        {"the driver took only part of it",
         [](Link& l) {
             l.shared.SetOutPending(true);
             EXPECT_TRUE(l.shared.EndHandedOutTurn());
         }},
        {"the turn could not be posted",
         [](Link& l) {
             l.postFails = true;
             l.shared.SetOutPending(true);
         }},
        {"the port stops handing out turns while one is owed",
         [](Link& l) {
             l.shared.HoldWrites(true);
             l.shared.SetOutPending(true);
             l.shared.SetWritePoster(nullptr);
         }},
        {"the port stops handing out turns while one is posted",
         [](Link& l) {
             l.shared.SetOutPending(true);
             l.shared.SetWritePoster(nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Link link;
        Writer writer(link.shared);
        c.act(link);
        EXPECT_TRUE(writer.Woken());
    }
}

TEST(LinkTurn, WithoutAPosterTheWriterThreadTakesEveryTurn)
{
    comm::LinkShared link;
    Writer writer(link);
    link.SetOutPending(true);
    EXPECT_TRUE(writer.Woken());
    EXPECT_FALSE(link.EndHandedOutTurn());
}

}  // namespace
