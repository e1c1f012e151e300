#include "comm/CommManager.h"
#include "comm/SerialPort.h"
#include "comm/tests/LinkTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/emulator/Emulator.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>

namespace {

using namespace linktest;

constexpr int kComNumber = 41;

// One serial link with its attached window.
class SerialLink {
public:
    SerialLink() : log(&link)
    {
        link.Initialize();
        link.AttatchWnd(log.m_hWnd);
    }

    void Configure(int com, WORD perLine, WORD perChar, WORD crSend, int flow = 2)
    {
        commsettag r;
        link.GetCommSet(&r);
        r.nPortType = PORT_SERIAL;
        r.nComPort = com;
        r.wDelayPerLine = perLine;
        r.wDelayPerChar = perChar;
        r.wCRSend = crSend;
        r.nFlowControl = flow;
        link.SetCommSet(&r);
    }
    // Opens and waits for the connected event.
    bool OpenAndWait()
    {
        if (link.Open() != 1) return false;
        return PumpUntil([&] { return link.IsReady() == 1; });
    }
    bool WaitForText(const char16_t* part)
    {
        return PumpUntil([&] { return link.GetInBuff().Find(part) >= 0; });
    }

    CCommManager link;
    EventLog log;
};

class SerialLinkTest : public ::testing::Test {
protected:
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
};

TEST_F(SerialLinkTest, ExchangesTextWithAControllerAndClosesWhenTheLineGoes)
{
    emu::Emulator emulator;
    emulator.AddController(1).SetParameter(12, 500);
    const std::string path = emulator.ServePty();
    ASSERT_FALSE(path.empty()) << emulator.LastError();
    platform::ScopedComPortDevice bind(kComNumber, path);

    SerialLink s;
    s.Configure(kComNumber, 5, 0, CR_LF);
    ASSERT_EQ(s.link.Open(), 1);
    EXPECT_EQ(s.link.IsOpen(), 1);
    EXPECT_EQ(s.link.IsReady(), 0) << "ready only with the connected event";
    EXPECT_EQ(s.link.SendData(u"@?K12.1\r\n"), 0);
    ASSERT_TRUE(PumpUntil([&] { return s.log.Has(LINK_EVENT_CONNECT); }));
    EXPECT_EQ(s.link.IsReady(), 1);
    EXPECT_EQ(s.link.GetDefPortType(), PORT_SERIAL);

    ASSERT_EQ(s.link.SendData(u"@?K12.1\r\n"), 1);
    ASSERT_TRUE(s.WaitForText(u"OK.1\r\n"));
    EXPECT_EQ(s.link.GetInBuff(), CString(u"K12.1=500\r\nOK.1\r\n"));
    EXPECT_EQ(s.log.Received(), s.link.GetInBuff()) << "each data event carries what that read brought";
    EXPECT_EQ(emulator.ReceivedBytes(), "@?K12.1\r\n");
    EXPECT_EQ(s.link.GetOutBuffAtOnce(), CString(u"@?K12.1\r\n")) << "the last chunk: one whole line";

    // An empty text changes nothing; a command starts a fresh in buffer for its reply.
    EXPECT_EQ(s.link.SendData(u""), 1);
    EXPECT_FALSE(s.link.GetInBuff().IsEmpty());
    EXPECT_EQ(s.link.DeleteInBuff(0, 11), 6);
    EXPECT_EQ(s.link.GetInBuff(), CString(u"OK.1\r\n"));
    EXPECT_EQ(s.link.SendData(u"@K12.1=501\r\n"), 1);
    EXPECT_TRUE(s.link.GetInBuff().IsEmpty());
    ASSERT_TRUE(s.WaitForText(u"OK.1\r\n"));
    EXPECT_EQ(emulator.Controller(1).Parameter(12), 501);

    emulator.DropLink();
    ASSERT_TRUE(PumpUntil([&] { return s.log.Has(LINK_EVENT_CLOSE); }));
    EXPECT_EQ(s.link.IsOpen(), 0);
    EXPECT_EQ(s.link.GetPortType(), PORT_NONE);
    EXPECT_EQ(s.link.SendData(u"@?K12.1\r\n"), 0);
}

TEST_F(SerialLinkTest, AnIdleLinkSleepsUntilSomethingHappens)
{
    PtyPeer peer(kComNumber);
    ASSERT_TRUE(peer.Ok());
    const auto before = ThreadWakeUps();
    SerialLink s;
    s.Configure(kComNumber, 0, 0, CR_LF);
    ASSERT_TRUE(s.OpenAndWait());
    // The reader sleeps on the line and the writer on its queue: nothing
    // wakes them while the line is quiet (a thread that looked every
    // millisecond would be woken hundreds of times).
    EXPECT_LT(WakeUpsOfNewThreads(before, 500ms), 20);
    // And they still answer at once when something comes or goes.
    peer.Write("K12.1=500\r\n");
    EXPECT_TRUE(s.WaitForText(u"K12.1=500"));
    ASSERT_EQ(s.link.SendData(u"@?K12.1\r\n"), 1);
    EXPECT_EQ(PtyPeer::Join(peer.Collect(9)), "@?K12.1\r\n");
    const auto closing = Clock::now();
    s.link.Close();
    EXPECT_LT(Clock::now() - closing, std::chrono::milliseconds(CSerialPort::kThreadEndTimeoutMs))
        << "the threads end at the close, not at the end of a wait";
}

TEST_F(SerialLinkTest, AnUnknownComPortDoesNotOpen)
{
    platform::ScopedComPortDevice none(kComNumber, "");
    SerialLink s;
    s.Configure(kComNumber, 5, 0, CR_LF);
    EXPECT_EQ(s.link.Open(), 0);
    EXPECT_EQ(s.link.IsOpen(), 0);
    EXPECT_EQ(s.link.GetPortType(), PORT_SERIAL) << "kept for another try";
    PumpFor(50ms);
    EXPECT_TRUE(s.log.Events().empty());
}

TEST_F(SerialLinkTest, EventsQueuedBeforeACloseNeverReachTheWindow)
{
    PtyPeer peer(kComNumber);
    ASSERT_TRUE(peer.Ok());
    SerialLink s;
    s.Configure(kComNumber, 0, 0, CR_LF);

    // The connected event is queued by Open; the link is closed before it is handled.
    ASSERT_EQ(s.link.Open(), 1);
    s.link.Close();
    PumpFor(100ms);
    EXPECT_TRUE(s.log.Events().empty()) << "a closed link told its window it was connected";
    EXPECT_EQ(s.link.IsReady(), 0);

    // Data announced by a live link but handled only after the close.
    s.Configure(kComNumber, 0, 0, CR_LF);
    ASSERT_TRUE(s.OpenAndWait());
    const std::size_t before = s.log.Events().size();
    peer.Write("K1.1=5\r\n");
    MSG queued;
    const auto deadline = Clock::now() + kPatience;
    while (!PeekMessageW(&queued, s.link.m_hWnd, WM_COMM_LINK_EVENT, WM_COMM_LINK_EVENT, PM_NOREMOVE) &&
           Clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    s.link.Close();
    PumpFor(100ms);
    EXPECT_EQ(s.log.Events().size(), before) << "an event of the closed link was passed on";
}

// Groups the pieces a reader saw into bursts separated by pauses.
std::vector<std::vector<PtyPeer::Piece>> Bursts(const std::vector<PtyPeer::Piece>& pieces,
                                                std::chrono::milliseconds pause)
{
    std::vector<std::vector<PtyPeer::Piece>> bursts;
    for (const PtyPeer::Piece& p : pieces) {
        if (bursts.empty() || p.at - bursts.back().back().at >= pause) bursts.emplace_back();
        bursts.back().push_back(p);
    }
    return bursts;
}

TEST_F(SerialLinkTest, SendDelaysAreSeenOnTheLine)
{
    // Delays long enough that a loaded machine does not blur them; the pause
    // seen must be at least half the delay (the reader may wake late).
    struct Row {
        const char* name;
        WORD perLine, perChar, crSend;
        const char* text;
        std::vector<std::string> bursts;
    };
    const Row rows[] = {
        {"per line, CR LF lines", 150, 0, CR_LF, "@A\r\n@B\r\n@C\r\n", {"@A\r\n", "@B\r\n", "@C\r\n"}},
        {"per line, CR lines", 150, 0, CR_ONLY, "@A\r@B\r", {"@A\r", "@B\r"}},
        {"per character", 0, 120, CR_LF, "ABC", {"A", "B", "C"}},
        {"per character and per line", 150, 120, CR_ONLY, "A\rB", {"A", "\r", "B"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PtyPeer peer(kComNumber);
        ASSERT_TRUE(peer.Ok());
        SerialLink s;
        s.Configure(kComNumber, row.perLine, row.perChar, row.crSend);
        ASSERT_TRUE(s.OpenAndWait());
        const std::string text = row.text;
        ASSERT_EQ(s.link.SendData(CString::FromUtf8(text)), 1);
        const auto pieces = peer.Collect(text.size());
        EXPECT_EQ(PtyPeer::Join(pieces), text);
        const DWORD delay = row.perChar ? row.perChar : row.perLine;
        const auto bursts = Bursts(pieces, std::chrono::milliseconds(delay / 2));
        std::vector<std::string> seen;
        for (const auto& burst : bursts) seen.push_back(PtyPeer::Join(burst));
        EXPECT_EQ(seen, row.bursts);
    }
}

TEST_F(SerialLinkTest, WithoutDelaysAllTextGoesAtOnce)
{
    PtyPeer peer(kComNumber);
    ASSERT_TRUE(peer.Ok());
    SerialLink s;
    s.Configure(kComNumber, 0, 0, CR_LF);
    ASSERT_TRUE(s.OpenAndWait());
    std::string text;
    for (int i = 0; i < 300; ++i) text += "@?K" + std::to_string(i % 138 + 1) + ".1\r\n";
    ASSERT_EQ(s.link.SendData(CString::FromUtf8(text)), 1);
    EXPECT_EQ(PtyPeer::Join(peer.Collect(text.size())), text);
    EXPECT_EQ(peer.ReadFor(100ms), "") << "nothing more than asked";
}

TEST_F(SerialLinkTest, JapaneseTextKeepsItsCharactersWholeBothWays)
{
    ScopedCodePage cp(CP_SHIFT_JIS);
    PtyPeer peer(kComNumber);
    ASSERT_TRUE(peer.Ok());
    SerialLink s;
    s.Configure(kComNumber, 0, 40, CR_LF);
    ASSERT_TRUE(s.OpenAndWait());

    const CString sent = Wide("@CONT.1=ロボット\r\n");
    const std::string bytes = platform::FromWide(sent.view(), CP_SHIFT_JIS);
    ASSERT_EQ(s.link.SendData(sent), 1);
    const auto pieces = peer.Collect(bytes.size());
    EXPECT_EQ(PtyPeer::Join(pieces), bytes);
    for (const auto& piece : pieces) {
        platform::StreamDecoder decoder(CP_SHIFT_JIS);
        decoder.Feed(piece.bytes);
        EXPECT_FALSE(decoder.HasPending()) << "a piece ends inside a character";
    }

    // A character whose two bytes arrive in two reads is put together again.
    const std::string reply = platform::FromWide(Wide("ロボ\r\n").view(), CP_SHIFT_JIS);
    peer.Write(reply.substr(0, 1));
    ASSERT_TRUE(PumpUntil([&] { return s.log.Has(LINK_EVENT_READ); }));
    peer.Write(reply.substr(1));
    ASSERT_TRUE(s.WaitForText(u"\r\n"));
    EXPECT_EQ(s.link.GetInBuff(), Wide("ロボ\r\n"));
}

TEST_F(SerialLinkTest, AWriteTheLineRefusesIsReportedAndSentLater)
{
    constexpr char kXoff = 0x13;
    constexpr char kXon = 0x11;
    PtyPeer peer(kComNumber);
    ASSERT_TRUE(peer.Ok());
    SerialLink s;
    s.Configure(kComNumber, 0, 0, CR_LF, 0);  // XON/XOFF
    ASSERT_TRUE(s.OpenAndWait());

    peer.Write(std::string(1, kXoff));
    PumpFor(200ms);
    ASSERT_EQ(s.link.SendData(u"@?K1.1\r\n@?K2.1\r\n"), 1);
    ASSERT_TRUE(PumpUntil([&] { return s.log.Has(LINK_EVENT_ERROR); }));
    EXPECT_EQ(peer.ReadFor(100ms), "");
    EXPECT_EQ(s.link.IsOpen(), 1);

    peer.Write(std::string(1, kXon));
    EXPECT_EQ(PtyPeer::Join(peer.Collect(16)), "@?K1.1\r\n@?K2.1\r\n") << "nothing lost, nothing twice";
    EXPECT_EQ(s.log.Count(LINK_EVENT_ERROR), 1) << "one report per failure";
}

TEST_F(SerialLinkTest, TwoLinksTalkAndCloseWithoutDisturbingEachOther)
{
    emu::Emulator first;
    first.AddController(1).SetParameter(5, 111);
    emu::Emulator second;
    second.AddController(1).SetParameter(5, 222);
    platform::ScopedComPortDevice bindFirst(kComNumber, first.ServePty());
    platform::ScopedComPortDevice bindSecond(kComNumber + 1, second.ServePty());

    auto a = std::make_unique<SerialLink>();
    SerialLink b;
    a->Configure(kComNumber, 5, 0, CR_LF);
    b.Configure(kComNumber + 1, 0, 1, CR_LF);
    ASSERT_TRUE(a->OpenAndWait());
    ASSERT_TRUE(b.OpenAndWait());

    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(a->link.SendData(u"@?K5.1\r\n"), 1);
        ASSERT_EQ(b.link.SendData(u"@?K5.1\r\n"), 1);
        ASSERT_TRUE(a->WaitForText(u"OK.1\r\n"));
        ASSERT_TRUE(b.WaitForText(u"OK.1\r\n"));
        EXPECT_EQ(a->link.GetInBuff(), CString(u"K5.1=111\r\nOK.1\r\n"));
        EXPECT_EQ(b.link.GetInBuff(), CString(u"K5.1=222\r\nOK.1\r\n"));
    }

    // Closing one link leaves the other running.
    a->link.Close();
    a.reset();
    ASSERT_EQ(b.link.SendData(u"@?K5.1\r\n"), 1);
    ASSERT_TRUE(b.WaitForText(u"OK.1\r\n"));
    EXPECT_EQ(b.link.GetInBuff(), CString(u"K5.1=222\r\nOK.1\r\n"));
    std::string expected;
    for (int i = 0; i < 21; ++i) expected += "@?K5.1\r\n";
    // The reply comes at CR; the LF follows after its own pause.
    EXPECT_TRUE(PumpUntil([&] { return second.ReceivedBytes().size() >= expected.size(); }));
    EXPECT_EQ(second.ReceivedBytes(), expected);
    EXPECT_EQ(first.ReceivedBytes(), expected.substr(0, 20 * 8));
    b.link.Close();
    EXPECT_EQ(b.link.IsOpen(), 0);
}

TEST_F(SerialLinkTest, ALinkWhoseThreadIsBusyDoesNotHoldUpAnother)
{
    PtyPeer peerA(kComNumber);
    PtyPeer peerB(kComNumber + 1);
    ASSERT_TRUE(peerA.Ok() && peerB.Ok());

    // Link A lives on a thread of its own, which then stops handling messages for a while.
    std::promise<bool> openedA;
    std::atomic<bool> releaseA{false};
    std::atomic<bool> readA{false};
    std::thread threadA([&] {
        SerialLink a;
        a.Configure(kComNumber, 0, 0, CR_LF);
        openedA.set_value(a.OpenAndWait());
        while (!releaseA.load()) std::this_thread::sleep_for(1ms);
        readA = PumpUntil([&] { return a.link.GetInBuff().Find(u"A-data") >= 0; });
        a.link.Close();
    });
    const bool aOpen = openedA.get_future().get();
    SerialLink b;
    b.Configure(kComNumber + 1, 0, 0, CR_LF);
    const bool bOpen = b.OpenAndWait();

    if (aOpen && bOpen) {
        // A's reader now waits for a turn that A's busy thread cannot give it.
        peerA.Write("A-data\r\n");
        std::this_thread::sleep_for(100ms);
        for (int i = 0; i < 20; ++i) {
            SCOPED_TRACE(i);
            const CString line = CString::FromUtf8("B" + std::to_string(i) + "\r\n");
            peerB.Write(line.ToUtf8());
            if (!PumpUntil([&] { return b.link.GetInBuff().Find(line.GetString()) >= 0; }, 3000ms)) {
                ADD_FAILURE() << "link B stopped reading while link A's thread was busy";
                break;
            }
        }
    }
    releaseA = true;
    threadA.join();
    ASSERT_TRUE(aOpen && bOpen);
    EXPECT_TRUE(readA.load()) << "link A reads once its thread is back";
}

}  // namespace
