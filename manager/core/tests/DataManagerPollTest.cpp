// The status poll of the data manager against the controller emulator: what
// it reads and how often, pausing, the monitors' extra reads, the reports of a
// failing link, and links that drop while the poll, a write or a close runs.
#include "manager/core/DataManager.h"
#include "manager/core/tests/DataManagerSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using namespace testfx;

class DataManagerPoll : public testing::Test, protected DataManagerFixture {
protected:
    // A controller of the model at node 1, read into a new manager on the transport.
    void OpenOn(const std::string& model, Transport transport = Transport::kTcp)
    {
        emulator.AddController(1, model);
        ASSERT_TRUE(Serve(transport)) << emulator.LastError();
        manager.emplace();
        ASSERT_TRUE(Open(*manager, transport));
        ASSERT_TRUE(manager->AddOnlineController(1));
        emulator.ClearLog();
    }
    void StartPolling()
    {
        manager->SetPollingEnabled(TRUE);
        manager->ResumePolling();
    }
    // A window's controller polled over the pseudo-terminal, the poll's
    // first alarm query seen (so that the line can then be dropped mid-poll).
    void PollOverPty(FakeFrame& frame)
    {
        OpenOn("LB", Transport::kPty);
        AddFrame(frame, Transport::kPty);
        StartPolling();
        ASSERT_TRUE(PumpUntil([&] { return CountCommands("@?ALM1.1") >= 1; }));
    }
    StatusCells& Cells() { return *CDataManager::GetStatusCells(); }

    std::optional<CDataManager> manager;
};

TEST_F(DataManagerPoll, ReadsTheStatusCellsAboutEvery100MsAndNothingWhilePaused)
{
    OpenOn("LB");
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetInputs(0x1234);
    c.SetOutputs(0x0041);
    c.SetOptionStatus(0x800);
    c.SetDValue(0, 1234);
    c.SetDValue(13, 7);
    c.SetDValue(15, 1501);
    c.RaiseAlarm(0x1A);
    StartPolling();

    ASSERT_TRUE(PumpUntil([&] {
        const StatusSnapshot s = Cells().Snapshot();
        return s.inputs == 0x1234 && s.outputs == 0x41 && s.options == 0x800 && s.status.d0 == 1234 &&
               s.status.d13 == 7 && s.status.d15 == 1501 && manager->GetLastAlarm() == 0x1A;
    }));
    const std::vector<std::string> cycle = {"@?IN1.1", "@?OUT1.1", "@?OPT0.1", "@?D0-10.1", "@?D11-20.1", "@?ALM1.1"};
    const std::vector<std::string> commands = emulator.ReceivedCommands();
    ASSERT_GE(commands.size(), cycle.size());
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 6), cycle);
    EXPECT_FALSE(manager->IsOutBit12Set());

    emulator.ClearLog();
    const auto start = Clock::now();
    ASSERT_TRUE(PumpUntil([&] { return CountCommands("@?IN1.1") >= 6; }));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_LE(CountCommands("@?IN1.1"), elapsed.count() / 100 + 2) << "one cycle, then 100 ms of rest";

    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        manager->ResumePolling();
        PumpFor(std::chrono::milliseconds(15 * round));
        EXPECT_FALSE(manager->PausePolling());
        EXPECT_FALSE(manager->GetProtocol()->IsBusy()) << "paused between whole queries";
        EXPECT_FALSE(Cells().Handshake().IsPollBusy());
    }
    const size_t paused = emulator.ReceivedCommands().size();
    PumpFor(400ms);
    EXPECT_EQ(emulator.ReceivedCommands().size(), paused);
    EXPECT_TRUE(manager->PausePolling()) << "it was paused already";

    windows.pollingLocked = true;
    manager->ResumePolling();
    PumpFor(300ms);
    EXPECT_EQ(emulator.ReceivedCommands().size(), paused) << "the main window's lock holds the poll";
    windows.pollingLocked = false;
    manager->ResumePolling();
    EXPECT_TRUE(PumpUntil([&] { return emulator.ReceivedCommands().size() > paused; }));
}

TEST_F(DataManagerPoll, PausingBeforeThePollEverRanLeavesNothingPending)
{
    OpenOn("LB");
    EXPECT_TRUE(manager->PausePolling());
    StartPolling();
    EXPECT_TRUE(PumpUntil([&] { return CountCommands("@?ALM1.1") >= 1; }));
}

TEST_F(DataManagerPoll, TheOutWordIsReadOnlyForModelsThatHaveIt)
{
    OpenOn("LB");
    emulator.Controller(1).SetOutputs(0x55);
    const struct {
        const char* model;
        int k80;
        bool polled;
    } rows[] = {{"LB", 0, true}, {"Q10", 0, false}, {"Q10", 1, true}, {"Q10", 2, true}, {"LB2", 0, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.model) + " K80=" + std::to_string(row.k80));
        manager->PausePolling();
        emulator.Controller(1).SetType(row.model);
        emulator.Controller(1).SetParameter(80, row.k80);
        manager->RemoveController(0);
        ASSERT_TRUE(manager->AddOnlineController(1));
        Cells().SetOutputs(0xFFFF);
        emulator.ClearLog();
        StartPolling();
        ASSERT_TRUE(PumpUntil([&] { return CountCommands("@?ALM1.1") >= 2; }));
        EXPECT_EQ(CountCommands("@?OUT1.1") > 0, row.polled);
        EXPECT_EQ(Cells().Outputs(), row.polled ? 0x55 : 0);
    }
}

TEST_F(DataManagerPoll, TheIoWordsAreReadOnlyWhileTheIoMonitorIsShown)
{
    OpenOn("LB");
    emulator.Controller(1).SetWideInput(2, 0x0A0B);
    emulator.Controller(1).SetWideOutput(3, 0x0C0D);
    StartPolling();
    ASSERT_TRUE(PumpUntil([&] { return CountCommands("@?ALM1.1") >= 2; }));
    EXPECT_EQ(CountCommands("@?WIO"), 0);

    manager->ShowIoMonitor(u"KX-LB", u"Node 1");
    ASSERT_NE(windows.ioMonitor, nullptr);
    EXPECT_EQ(windows.ioMonitor->binding.model, CString(u"LB"));
    EXPECT_TRUE(windows.ioMonitor->binding.online);
    ASSERT_TRUE(PumpUntil([&] { return Cells().WideIo()[2] == 0x0A0B && Cells().WideIo()[7] == 0x0C0D; }));
    EXPECT_GT(CountCommands("@?WIO0-3.1"), 0);

    windows.ioMonitor->shown = false;
    manager->PausePolling();
    const int reads = CountCommands("@?WIO");
    manager->ResumePolling();
    ASSERT_TRUE(PumpUntil([&] { return CountCommands("@?ALM1.1") >= 6; }));
    EXPECT_EQ(CountCommands("@?WIO"), reads) << "a hidden monitor costs the line nothing";

    // The status monitor reads nothing of its own.
    manager->ShowStatusMonitor(u"KX-LB", u"Node 1");
    ASSERT_NE(windows.statusMonitor, nullptr);
    EXPECT_TRUE(windows.statusMonitor->shown.load());
    EXPECT_EQ(CountCommands("@?WIO"), reads);
}

TEST_F(DataManagerPoll, ReportsAFailingLinkAtTheFifthFailureAndItsReturn)
{
    OpenOn("LB");
    FakeFrame frame;
    AddFrame(frame, Transport::kTcp);
    // Long enough for the confirming alarm query's answer on a loaded machine.
    manager->GetProtocol()->SetTimeOut(1000);
    // The IN query goes unanswered; the confirming alarm query is answered.
    emulator.Script().OnKeyword("IN", emu::Fault::NoReply());
    StartPolling();

    ASSERT_TRUE(PumpUntil([&] { return frame.Count(UM_LINKFAILED, 0) == 1; }));
    EXPECT_GE(CountCommands("@?IN1.1"), 5);
    EXPECT_EQ(frame.Count(UM_LINKTIMEOUT, 0), 0) << "the alarm query answered: no lasting time-out";

    emulator.Script().Clear();
    ASSERT_TRUE(PumpUntil([&] { return frame.Count(UM_LINKFAILED, 1) == 1; }));
    PumpFor(300ms);
    EXPECT_EQ(frame.Messages().size(), 2u);
}

TEST_F(DataManagerPoll, ALastingTimeOutIsReportedOnceAndStopsThePoll)
{
    OpenOn("LB");
    FakeFrame frame;
    AddFrame(frame, Transport::kTcp);
    manager->GetProtocol()->SetTimeOut(100);
    emulator.Script().OnLine("@", emu::Fault::NoReply());
    boxes.Answer(IDOK, u"The controller on 127.0.0.1 does not answer");
    StartPolling();

    ASSERT_TRUE(PumpUntil([&] { return frame.Count(UM_LINKTIMEOUT, 0) == 1; }));
    ASSERT_TRUE(PumpUntil([&] { return boxes.PendingAnswers() == 0; }));
    const size_t sent = emulator.ReceivedCommands().size();
    PumpFor(600ms);
    EXPECT_EQ(frame.Count(UM_LINKTIMEOUT, 0), 1);
    EXPECT_EQ(emulator.ReceivedCommands().size(), sent) << "the poll stopped for this manager";
    EXPECT_FALSE(manager->IsPollingEnabled());
    EXPECT_EQ(windows.log.Count("close active wait window"), 1);
    manager->ResumePolling();
    PumpFor(300ms);
    EXPECT_EQ(emulator.ReceivedCommands().size(), sent) << "polling stays off until a window enables it";
}

TEST_F(DataManagerPoll, ALinkThatDropsDuringThePollIsReportedAndASecondManagerGoesOn)
{
    FakeFrame frame;
    ASSERT_NO_FATAL_FAILURE(PollOverPty(frame));

    emulator.DropLink();
    ASSERT_TRUE(PumpUntil([&] { return frame.Count(UM_LINKFAILED, 0) == 1; }));
    EXPECT_FALSE(manager->IsPortOpen());

    // Another line in the same process, with the poll still on the first.
    emu::Emulator other;
    other.AddController(3, "Q10").SetControllerName("KX-Q10");
    const std::uint16_t port = other.ServeTcp();
    ASSERT_NE(port, 0) << other.LastError();
    {
        CDataManager second;
        second.SetTcpPortNumber(port);
        ASSERT_TRUE(second.OpenPort(kLinkTcp, kLoopbackAddress));
        ASSERT_TRUE(second.AddOnlineController(3));
        EXPECT_EQ(second.GetCurrentController()->controller, CString(u"KX-Q10"));
    }
    const auto start = Clock::now();
    manager.reset();
    EXPECT_LT(Clock::now() - start, 10s);
}

TEST_F(DataManagerPoll, ThePollRestsWhileTheLineIsDownAndGoesOnAfterConnectingAgain)
{
    FakeFrame frame;
    ASSERT_NO_FATAL_FAILURE(PollOverPty(frame));

    // The line goes; the failing queries tell the window, which goes offline
    // as a controller window does (pause, then polling off).
    emulator.DropLink(300);
    ASSERT_TRUE(PumpUntil([&] { return frame.Count(UM_LINKFAILED, 0) == 1; }));
    ASSERT_FALSE(manager->IsPortOpen());
    manager->PausePolling();
    manager->SetPollingEnabled(FALSE);

    // Windows that hold the poll for a dialog resume it afterwards: that must
    // not wake a poll with nothing to ask.
    const auto idleCycles = [&] {
        const std::uint64_t before = CDataManager::PollCycleCount();
        PumpFor(1s);
        return CDataManager::PollCycleCount() - before;
    };
    EXPECT_EQ(idleCycles(), 0u) << "no queries against a closed link";
    EXPECT_TRUE(manager->PausePolling()) << "the poll is held already";
    manager->ResumePolling();
    EXPECT_EQ(idleCycles(), 0u) << "a closed link gives the poll nothing to do";
    EXPECT_EQ(frame.Count(UM_LINKFAILED, 0), 1) << "the loss is reported once";
    EXPECT_EQ(frame.Count(UM_LINKTIMEOUT, 0), 0);

    // Connected again: the poll takes the new link up, reads status, and
    // finds nothing to report.
    emulator.ClearLog();
    emulator.Controller(1).SetInputs(0x0F0F);
    ASSERT_TRUE(Open(*manager, Transport::kPty)) << "the line is back after 300 ms";
    StartPolling();
    ASSERT_TRUE(PumpUntil([&] { return Cells().Snapshot().inputs == 0x0F0F && CountCommands("@?ALM1.1") >= 2; }));
    EXPECT_EQ(frame.Count(UM_LINKTIMEOUT, 0), 0);
    EXPECT_EQ(frame.Count(UM_LINKFAILED, 0), 1);
}

TEST_F(DataManagerPoll, AWindowThatHasNotHeardOfTheLossYetStillHearsOfItThroughAPause)
{
    FakeFrame frame;
    ASSERT_NO_FATAL_FAILURE(PollOverPty(frame));

    emulator.DropLink();
    ASSERT_TRUE(PumpUntil([&] { return manager->IsPortOpen() == FALSE; }));
    // A dialog's pause and resume while the window still counts as connected.
    manager->PausePolling();
    manager->ResumePolling();
    ASSERT_TRUE(PumpUntil([&] { return frame.Count(UM_LINKFAILED, 0) == 1; }));
    EXPECT_EQ(frame.Count(UM_LINKTIMEOUT, 0), 0);
}

TEST_F(DataManagerPoll, ACloseEndsWithinBoundsWhenTheLinkDropsOrGoesSilentMeanwhile)
{
    const struct {
        const char* name;
        emu::Fault fault;
    } rows[] = {{"dropped", emu::Fault::DropLink()}, {"silent", emu::Fault::NoReply()}};
    OpenOn("LB");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!manager) {
            manager.emplace();
            ASSERT_TRUE(Open(*manager, Transport::kTcp));
            ASSERT_TRUE(manager->AddOnlineController(1));
        }
        StartPolling();
        ASSERT_TRUE(PumpUntil([&] { return CountCommands("@?ALM1.1") >= 1; }));
        emulator.Script().OnLine("@", row.fault, 1);
        ASSERT_TRUE(PumpUntil([&] { return manager->GetProtocol()->IsBusy() != FALSE; }));

        const auto start = Clock::now();
        EXPECT_TRUE(manager->CloseWithProgress());
        EXPECT_LT(Clock::now() - start, 10s);
        EXPECT_FALSE(manager->IsPortOpen());
        EXPECT_GE(windows.log.Count("wait message Closing the connection..."), 1);
        manager.reset();
        emulator.Script().Clear();
    }
}

TEST_F(DataManagerPoll, StoppingWaitsForTheAxisWithinABound)
{
    OpenOn("LB");
    emulator.Line().Exchange("@SRVO1.1");
    emulator.Controller(1).SetMotionTime(emu::Motion::Origin, 5s);
    emulator.Line().Exchange("@ORG.1");
    ASSERT_TRUE(emulator.Controller(1).Outputs() & 0x1000);
    manager->SetRunState(1);

    // The poll is paused: the manager asks for the OUT word itself.
    const auto start = Clock::now();
    manager->StopController(TRUE);
    EXPECT_LT(Clock::now() - start, 4s);
    EXPECT_EQ(CountCommands("@STOP.1"), 1);
    EXPECT_GE(CountCommands("@?OUT1.1"), 1);
    EXPECT_EQ(emulator.Controller(1).CurrentMotion(), emu::Motion::None);
    EXPECT_EQ(manager->GetRunState(), 0);
    EXPECT_EQ(windows.log.Count("wait message Stopping the axis..."), 1);

    // An axis that never reports its stop ends the wait with a warning.
    emulator.Controller(1).SetOutputs(0x1000);
    manager->SetStopWaitMs(400);
    boxes.Answer(IDOK, u"has not reported that the axis stopped");
    manager->StopController(TRUE);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

}  // namespace
