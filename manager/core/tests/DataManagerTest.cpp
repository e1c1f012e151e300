// The data manager on a real link to the controller emulator: opening,
// scanning the line, reading a controller and writing data into it.
#include "manager/core/ControllerCommands.h"
#include "manager/core/DataManager.h"
#include "manager/core/ParamDef.h"
#include "manager/core/tests/DataManagerSupport.h"
#include "resources/manager/resource_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testfx;

class DataManagerLink : public testing::TestWithParam<Transport>, protected DataManagerFixture {};

INSTANTIATE_TEST_SUITE_P(Transports, DataManagerLink, testing::Values(Transport::kTcp, Transport::kPty),
                         [](const testing::TestParamInfo<Transport>& info) {
                             return info.param == Transport::kTcp ? std::string("Tcp") : std::string("Pty");
                         });

TEST_P(DataManagerLink, OpensAndReadsAControllersIdentityPointsAndParameters)
{
    emu::ControllerModel& c = emulator.AddController(2, "Q10");
    c.SetControllerName("KX-Q10");
    c.SetRobot("RX-10");
    c.SetInterface("EtherNet/IP");
    c.SetVersion2("2.01.003");
    c.SetComment(2, "Line A");
    c.SetComment(9, "c0a80002");
    c.SetComment(8, "ffffff00");
    c.SetComment(7, "c0a80001");
    c.SetPoint(12, {1, -1000, 200, 30, 30, 0, 0, 0, 0, 0, 0, 5, 0});
    c.SetParameter(12, 500);
    c.SetHParameter(3, -7);
    ASSERT_TRUE(Serve(GetParam())) << emulator.LastError();

    CDataManager manager;
    ASSERT_TRUE(Open(manager, GetParam()));
    EXPECT_TRUE(manager.IsPortOpen());
    EXPECT_TRUE(Open(manager, GetParam())) << "an open link stays as it is";
    ASSERT_TRUE(manager.AddOnlineController(2));

    ASSERT_EQ(manager.GetCurrentIndex(), 0);
    const ControllerData& record = *manager.GetCurrentController();
    EXPECT_EQ(record.controller, CString(u"KX-Q10"));
    EXPECT_EQ(record.typeText, CString(u"Q10"));
    EXPECT_EQ(record.user, CString(u"Line A"));
    EXPECT_EQ(record.robot, CString(u"RX-10"));
    EXPECT_EQ(record.FirstParamSet()->name, CString(u"RX-10"));
    EXPECT_EQ(record.interfaceText, CString(u"EtherNet/IP"));
    EXPECT_EQ(record.version, CString(u"2.01.003"));
    EXPECT_EQ(record.ipAddress, CString(u"c0a80002"));
    EXPECT_EQ(record.subnetMask, CString(u"ffffff00"));
    EXPECT_EQ(record.gateway, CString(u"c0a80001"));
    EXPECT_EQ(record.points[11], (PointRecord{12, 1, -1000, 200, 30, 30, 0, 0, 0, 0, 0, 0, 5, 0}));
    EXPECT_FALSE(record.points[10].IsUsed());
    EXPECT_EQ(record.FirstParamSet()->K(12), 500);
    EXPECT_EQ(record.FirstParamSet()->K(38), 2);
    EXPECT_EQ(record.FirstParamSet()->H(3), -7);
    EXPECT_EQ(*manager.GetReference(0), record) << "the reference twin holds what the controller holds";
    EXPECT_EQ(manager.ProbeNode(2), TRUE);
}

TEST_P(DataManagerLink, ScansALineOfSeveralControllers)
{
    emulator.AddController(1, "LB").SetControllerName("KX-LB");
    emulator.AddController(2, "Q10").SetControllerName("KX-Q10");
    emulator.AddController(5, "LA").SetControllerName("KX-LA");
    emulator.Controller(5).SetComment(2, "Press 5");
    ASSERT_TRUE(Serve(GetParam())) << emulator.LastError();

    CDataManager manager;
    ASSERT_TRUE(Open(manager, GetParam()));
    // Collections over all nodes last a whole time-out after the last reply.
    manager.GetProtocol()->SetTimeOut(300);
    boxes.Answer(IDOK, u"01 : KX-LB\n02 : KX-Q10\n05 : KX-LA\n");
    ASSERT_TRUE(manager.ScanNetwork(kLinkSerial, HWND()));

    for (int node = kFirstNode; node <= kLastNode; ++node) {
        SCOPED_TRACE(node);
        EXPECT_EQ(manager.IsNodePresent(node) != FALSE, node == 1 || node == 2 || node == 5);
    }
    EXPECT_EQ(manager.GetNodeName(2), CString(u"KX-Q10"));
    EXPECT_EQ(manager.GetNodeUserText(5), CString(u"Press 5"));
    EXPECT_EQ(manager.GetNodeUserText(1), CString(u"USER1"));
    EXPECT_EQ(windows.log.Count("wait message Searching the line for controllers..."), 1);
    EXPECT_EQ(windows.log.Count("wait close"), 1);
}

// A window that an action tells how it ended (wParam 1 END, 0 NG).
class CActionWnd : public CWnd {
public:
    std::vector<WPARAM> ended;

    CActionWnd() { CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0); }
    ~CActionWnd() override { DestroyWindow(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kCommandEndedMessage) {
            ended.push_back(wParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class DataManagerExchange : public testing::Test, protected DataManagerFixture {
protected:
    // One controller at node 1 of the model, read into the manager.
    void OpenOn(const std::string& model, const std::string& name)
    {
        emulator.AddController(1, model).SetControllerName(name);
        ASSERT_TRUE(Serve(Transport::kTcp)) << emulator.LastError();
        manager.emplace();
        ASSERT_TRUE(Open(*manager, Transport::kTcp));
        ASSERT_TRUE(manager->AddOnlineController(1));
        emulator.ClearLog();
    }

    std::optional<CDataManager> manager;
};

TEST_F(DataManagerExchange, ALinkThatCannotBeOpenedOrNeverBecomesReadyEndsWithAMessage)
{
    CDataManager manager;
    // A serial port that does not exist.
    platform::ScopedComPortDevice none(kComNumber, "");
    boxes.Answer(IDOK, u"could not be opened");
    EXPECT_FALSE(manager.OpenPort(kLinkSerial, kComNumber));
    EXPECT_FALSE(manager.IsPortOpen());

    // A TCP connection refused after the open began: the link closes meanwhile.
    emu::Emulator gone;
    const std::uint16_t port = gone.ServeTcp();
    ASSERT_NE(port, 0) << gone.LastError();
    gone.Stop();
    manager.SetTcpPortNumber(port);
    boxes.Answer(IDOK).Answer(IDOK, u"could not be opened");
    const auto start = Clock::now();
    EXPECT_FALSE(manager.OpenPort(kLinkTcp, kLoopbackAddress));
    EXPECT_LT(Clock::now() - start, 10s);
    EXPECT_FALSE(manager.IsPortOpen());
}

TEST_F(DataManagerExchange, AScanRefusesNodesOutOfRangeAndUnknownModels)
{
    emulator.AddController(1, "LB").SetControllerName("KX-LB");
    ASSERT_TRUE(Serve(Transport::kTcp)) << emulator.LastError();
    CDataManager manager;
    ASSERT_TRUE(Open(manager, Transport::kTcp));
    manager.GetProtocol()->SetTimeOut(300);

    const struct {
        const char* answer;
        const char16_t* message;
    } rows[] = {
        {"CONT.0=KX-LB", u"could not be identified"},
        {"CONT.17=KX-LB", u"could not be identified"},
        {"CONT.=KX-LB", u"could not be identified"},
        {"CONT.1x=KX-LB", u"could not be identified"},
        {"CONT.99999999999=KX-LB", u"could not be identified"},
        {"CONT.1=KX-NOT-A-MODEL", u"could not be identified"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        emulator.Script().OnLine("@?CONT", emu::Fault::Garbage(std::string(row.answer) + "\r\nOK.\r\n"), 1);
        boxes.Answer(IDOK, row.message);
        EXPECT_FALSE(manager.ScanNetwork(kLinkTcp, HWND()));
        for (int node = kFirstNode; node <= kLastNode; ++node) EXPECT_FALSE(manager.IsNodePresent(node));
    }

    // User texts of nodes out of range make the query fail; the good ones are kept.
    emulator.Script().OnLine("@?COMR2", emu::Fault::Garbage("COMR2.3=Cell 3\r\nOK.\r\nCOMR2.0=X\r\nOK.\r\n"), 1);
    EXPECT_FALSE(manager.QueryComDataAll());
    EXPECT_EQ(manager.GetNodeUserText(3), CString(u"Cell 3"));
    emulator.Script().OnLine("@?COMR2", emu::Fault::Garbage("COMR2.3=Cell 3\r\nOK.\r\n"), 1);
    EXPECT_TRUE(manager.QueryComDataAll());
}

TEST_F(DataManagerExchange, TwoControllersOnOneNodeAreRenumberedOnlyWithLeaveAndNotForEver)
{
    emulator.AddController(1, "LB").SetControllerName("KX-LB");
    emulator.AddController(1, "LA").SetControllerName("KX-LA");
    ASSERT_TRUE(Serve(Transport::kTcp)) << emulator.LastError();
    CDataManager manager;
    ASSERT_TRUE(Open(manager, Transport::kTcp));
    manager.GetProtocol()->SetTimeOut(300);

    boxes.Answer(IDCANCEL, u"same number");
    EXPECT_FALSE(manager.ScanNetwork(kLinkTcp, HWND()));
    EXPECT_EQ(CountCommands("@K75=0"), 0);

    // The renumbering leaves the clash in place here: the scan gives up after its tries.
    boxes.Answer(IDOK, u"same number").Answer(IDOK, u"same number").Answer(IDOK, u"could not be identified");
    EXPECT_FALSE(manager.ScanNetwork(kLinkTcp, HWND()));
    EXPECT_EQ(CountCommands("@K75=0"), CDataManager::kMaxRenumberings);

    // The renumbering window itself does not ask.
    FakeFrame renumbering;
    windows.titles[renumbering.m_hWnd.Value()] = u"Controller numbering";
    boxes.Answer(IDOK, u"01 : KX-LA");
    EXPECT_TRUE(manager.ScanNetwork(kLinkTcp, renumbering.m_hWnd));
}

TEST_F(DataManagerExchange, NodesOutOfRangeAreRefusedBeforeAnythingIsSent)
{
    OpenOn("LB", "KX-LB");
    for (int node : {0, 17, -1, 1000}) {
        SCOPED_TRACE(node);
        EXPECT_FALSE(manager->WriteDefaultComData(node));
        EXPECT_FALSE(manager->ProbeNode(node));
        boxes.Answer(IDOK, u"could not be read");
        EXPECT_FALSE(manager->AddOnlineController(node));
    }
    EXPECT_TRUE(emulator.ReceivedCommands().empty());
    EXPECT_EQ(manager->GetControllerCount(), 1);
    EXPECT_EQ(manager->GetCurrentIndex(), 0);
}

// A new record with changes of every kind, from the controller's own.
ControllerData ChangedCopy(const ControllerData& held)
{
    ControllerData wanted = held;
    RobotParameterSet& set = *wanted.FirstParamSet();
    set.K(72) = 3;
    set.K(102) = 7;
    wanted.ipAddress = u"c0a80005";
    set.K(21) = 77;
    set.K(30) = 12;
    set.K(38) = 9;   // the node number
    set.K(75) = 1;   // renumbering
    set.K(99) = 1;   // trace stream
    set.K(5) = -4;
    set.H(2) = 33;
    return wanted;
}

TEST_F(DataManagerExchange, WritesAParameterSetInItsOrderWithAReadBackAfterEachWrite)
{
    OpenOn("Q10", "KX-Q10");
    emulator.Controller(1).SetInterface("EtherNet/IP");
    ParamDefTableSlot table;
    ASSERT_TRUE(LoadParamDefTable(table, 0));
    windows.table0 = table.get();
    manager->GetReference(0)->interfaceText = u"EtherNet/IP";
    ControllerData& held = *manager->GetReference(0);
    ControllerData wanted = ChangedCopy(held);
    emulator.ClearLog();
    // The controller keeps its own figure for K30.
    emulator.Script().OnLine("@?K30.1", emu::Fault::Garbage("K30.1=13\r\nOK.1\r\n"), 1);

    ASSERT_TRUE(manager->WriteParameterSet(wanted, held, TRUE));
    const std::vector<std::string> expected = {
        "@?K20.1",  "@K20.1=2",   "@?K20.1",  "@K72.1=3",  "@?K72.1", "@K102.1=7",
        "@?K102.1", "@COMW9.1=c0a80005", "@?COMR9.1", "@K21.1=77", "@?K21.1", "@K30.1=12",
        "@?K30.1",  "@K5.1=-4",   "@?K5.1",   "@H2.1=33",  "@?H2.1"};
    EXPECT_EQ(emulator.ReceivedCommands(), expected);

    const emu::ControllerModel& c = emulator.Controller(1);
    EXPECT_EQ(c.Parameter(20), 2);
    EXPECT_EQ(c.Parameter(72), 3);
    EXPECT_EQ(c.Parameter(102), 7);
    EXPECT_EQ(c.Comment(9), "c0a80005");
    EXPECT_EQ(c.Parameter(21), 77);
    EXPECT_EQ(c.Parameter(5), -4);
    EXPECT_EQ(c.HParameter(2), 33);
    EXPECT_EQ(c.Node(), 1) << "the node number is never written";
    EXPECT_EQ(c.Parameter(75), held.FirstParamSet()->K(75));
    EXPECT_FALSE(c.Streaming());
    EXPECT_EQ(wanted.FirstParamSet()->K(30), 13) << "the read-back replaces the written value";
    EXPECT_EQ(wanted.FirstParamSet()->K(20), 2) << "the record says which mode the controller was left in";
    EXPECT_TRUE(manager->NeedsRestart()) << "K21 asks for a restart";
    EXPECT_TRUE(manager->GetRefusedItem().IsEmpty());
}

TEST_F(DataManagerExchange, ARefusedWriteFailsTheOperationAndNamesTheParameter)
{
    OpenOn("Q10", "KX-Q10");
    ControllerData& held = *manager->GetReference(0);
    ControllerData wanted = ChangedCopy(held);
    emulator.Script().OnLine("@K30.1=", emu::Fault::Ng(0x45), 1);

    EXPECT_FALSE(manager->WriteParameterSet(wanted, held, FALSE));
    EXPECT_EQ(manager->GetRefusedItem(), CString(u"K30"));
    EXPECT_EQ(CountCommands("@K5.1="), 0) << "nothing after the refused write";
    EXPECT_EQ(CountCommands("@H2.1="), 0);
    EXPECT_EQ(emulator.Controller(1).Parameter(30), held.FirstParamSet()->K(30));
    CString text;
    manager->FormatLinkError(text, IDS_DM_LOAD_FAILED);
    EXPECT_NE(text.Find(u"refused K30"), -1) << text.ToUtf8();
}

TEST_F(DataManagerExchange, WritesChangedPointsAndTheUserTextAfterTheParameters)
{
    OpenOn("Q10", "KX-Q10");
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetPoint(3, {1, 100, 50, 10, 10, 0, 0, 0, 0, 0, 0, 9, 0});
    c.SetPoint(4, {1, 400, 50, 10, 10, 0, 0, 0, 0, 0, 0, 0, 0});
    ControllerData held = *manager->GetCurrentController();
    held.points[2] = PointRecord{3, 1, 100, 50, 10, 10, 0, 0, 0, 0, 0, 0, 9, 0};
    held.points[3] = PointRecord{4, 1, 400, 50, 10, 10, 0, 0, 0, 0, 0, 0, 0, 0};
    ControllerData wanted = held;
    wanted.points[2].p = 150;
    wanted.points[3].Clear();
    wanted.points[9] = PointRecord{10, 2, 1000, 80, 20, 20, 1, 2, 3, 4, 5, 6, 0, 8};
    wanted.user = u"Cell 7";
    emulator.ClearLog();

    ASSERT_TRUE(manager->WriteControllerData(wanted, held, FALSE));
    EXPECT_EQ(CountCommands("@P3.1=150"), 1);
    EXPECT_EQ(CountCommands("@M3.1="), 0) << "only what differs";
    EXPECT_EQ(CountCommands("@DEL4.1"), 1);
    EXPECT_EQ(CountCommands("@COMW2.1=Cell 7"), 1);
    EXPECT_EQ(c.Point(3)[1], 150);
    EXPECT_FALSE(c.PointUsed(4));
    EXPECT_EQ(c.Point(10), (emu::PointFields{2, 1000, 80, 20, 20, 1, 2, 3, 4, 5, 6, 0, 8}));
    EXPECT_EQ(c.Comment(2), "Cell 7");
    EXPECT_EQ(wanted.points[9], (PointRecord{10, 2, 1000, 80, 20, 20, 1, 2, 3, 4, 5, 6, 0, 8}));
}

TEST_F(DataManagerExchange, ADroppedLinkDuringAParameterWriteEndsItAtOnce)
{
    OpenOn("Q10", "KX-Q10");
    ControllerData& held = *manager->GetReference(0);
    ControllerData wanted = ChangedCopy(held);
    emulator.Script().OnLine("@?K21.1", emu::Fault::DropLink());

    const auto start = Clock::now();
    EXPECT_FALSE(manager->WriteParameterSet(wanted, held, FALSE));
    EXPECT_LT(Clock::now() - start, 10s);
    EXPECT_TRUE(PumpUntil([&] { return !manager->IsPortOpen(); }));
    CString text;
    manager->FormatLinkError(text, IDS_DM_LOAD_FAILED);
    EXPECT_NE(text.Find(u"communication error"), -1) << text.ToUtf8();
    EXPECT_TRUE(manager->GetRefusedItem().IsEmpty()) << "nothing was refused; the link went";
    EXPECT_EQ(CountCommands("@K30.1="), 0);

    // The manager goes cleanly with its link gone.
    const auto closing = Clock::now();
    manager.reset();
    EXPECT_LT(Clock::now() - closing, 10s);
}

TEST_F(DataManagerExchange, InitialisesAndWritesK20WithItsCheck)
{
    OpenOn("LB", "KX-LB");
    EXPECT_TRUE(manager->InitializeController(2));
    EXPECT_TRUE(manager->InitializeController(9)) << "an unknown code sends nothing";
    EXPECT_EQ(emulator.ReceivedCommands(), std::vector<std::string>{"@INIT PNT.1"});

    emulator.Script().OnLine("@K20.1=", emu::Fault::Ng(0x46), 1);
    emulator.Controller(1).SetParameter(20, 4);
    EXPECT_TRUE(manager->WriteCheckedK20(4)) << "refused, but the controller already has the value";
    emulator.Script().OnLine("@K20.1=", emu::Fault::Ng(0x46), 1);
    EXPECT_FALSE(manager->WriteCheckedK20(5));
}

TEST_F(DataManagerExchange, AMotionWhoseLinkClosesIsToldItsWindowAsFailed)
{
    // The end of a motion can never come over a closed link: its window hears
    // at once that it ended badly, and waits for nothing.
    OpenOn("LB", "KX-LB");
    emulator.Controller(1).SetMotionTime(emu::Motion::Origin, 30s);
    CActionWnd window;
    ASSERT_TRUE(SendOrigin(manager->GetLink(), manager->GetProtocol(), 1, window));
    emulator.DropLink();
    EXPECT_TRUE(PumpUntil([&] { return !window.ended.empty(); }));
    EXPECT_EQ(window.ended, std::vector<WPARAM>{0});
    EXPECT_FALSE(manager->IsPortOpen());
}

TEST_F(DataManagerExchange, AReadThatFailsPartWayLeavesTheRecordAsItWas)
{
    OpenOn("LB", "KX-LB");
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetControllerName("KX-LB2");
    c.SetRobot("RX-99");
    c.SetComment(2, "Other line");
    c.SetPoint(40, {1, 500, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetParameter(12, 321);
    const char* failing[] = {"@?ROBOT.1", "@READ PNT.1", "@READ HPRM.1"};
    for (const char* line : failing) {
        SCOPED_TRACE(line);
        ControllerData record = *manager->GetCurrentController();
        record.user = u"typed by the user";
        const ControllerData before = record;
        emulator.Script().OnLine(line, emu::Fault::Ng(0x46), 1);
        EXPECT_FALSE(manager->ReadControllerIdentity(record, TRUE, TRUE));
        EXPECT_EQ(record.controller, before.controller);
        EXPECT_TRUE(record == before);
    }
    {
        ControllerData record = *manager->GetCurrentController();
        const ControllerData before = record;
        emulator.Script().OnLine("@?K20.1", emu::Fault::Ng(0x46), 1);
        EXPECT_FALSE(manager->CheckControllerIdentity(record));
        EXPECT_TRUE(record == before);
    }
    ControllerData record = *manager->GetCurrentController();
    ASSERT_TRUE(manager->ReadControllerIdentity(record, TRUE, TRUE));
    EXPECT_EQ(record.controller, CString(u"KX-LB2"));
    EXPECT_EQ(record.user, CString(u"Other line"));
    EXPECT_EQ(record.points[39].p, 500);
    EXPECT_EQ(record.FirstParamSet()->K(12), 321);
}

TEST_F(DataManagerExchange, AReadTakesThePointTableWholeFromTheController)
{
    OpenOn("LB", "KX-LB");
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetPoint(3, {1, 700, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    c.ClearPoint(5);
    // The record holds a point the controller never had (added in a window,
    // not written) and one the controller no longer has.
    ControllerData record = *manager->GetCurrentController();
    record.points[1] = PointRecord{2, 1, 2550, 50, 60, 70, 0, 0, 0, 0, 0, 0, 0, 0};
    record.points[4] = PointRecord{5, 1, 900, 50, 60, 70, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(manager->ReadControllerIdentity(record, TRUE, TRUE));
    EXPECT_FALSE(record.points[1].IsUsed()) << "a point the controller does not hold is unused";
    EXPECT_FALSE(record.points[4].IsUsed());
    EXPECT_EQ(record.points[2].p, 700);
}

}  // namespace
