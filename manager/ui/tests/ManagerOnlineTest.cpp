// Online controller windows against the controller emulator, over a
// pseudo-terminal mapped to a COM number and over TCP: a new online
// connection finds the controller and the tree shows it, disconnect and
// connect again, a dropped link tells the user and leaves the window usable
// with its data, and a line whose only controller is not node 1 is taken.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/DataManager.h"
#include "manager/core/StatusCells.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/DlgControllerStatus.h"
#include "manager/ui/LeftpaneFormView.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/FrameIds.h"
#include "tests/support/emulator/Emulator.h"

namespace {

using namespace mgrtest;

constexpr int kCom = 3;

class ManagerOnlineTest : public ::testing::Test {
protected:
    ManagerOnlineTest()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    // The tree's root caption.
    static CString RootText(CChildFrame* child)
    {
        CTreeCtrl& tree = child->GetTreeView()->GetTreeCtrl();
        return tree.GetItemText(tree.GetRootItem());
    }

    emu::Emulator emulator;
};

TEST_F(ManagerOnlineTest, NewOnlineConnectionDisconnectDroppedLinkAndReconnect)
{
    const std::string device = emulator.ServePty();
    ASSERT_FALSE(device.empty()) << emulator.LastError();
    ManagerWorld world;
    world.MapPorts({{kCom, emulator.PtyPath()}});
    ASSERT_TRUE(world.Start());

    world.Boxes().Answer(IDOK, u"Controllers found");
    EXPECT_EQ(world.NewOnline(kCom, u"Press line"), IDOK);
    ASSERT_EQ(world.ChildCount(), 1);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->IsOnline());
    EXPECT_EQ(child->ComPort(), kCom);
    CString title;
    child->GetWindowText(title);
    EXPECT_NE(title.Find(u"Press line"), -1);
    EXPECT_NE(title.Find(u"COM3"), -1);
    EXPECT_NE(RootText(child).Find(u"KX-Q05"), -1) << "the tree shows the controller";
    CLeftpaneTreeView* tree = child->GetTreeView();
    EXPECT_TRUE(tree->IsConnected());
    ASSERT_NE(child->GetLeftpaneFormView(), nullptr);
    EXPECT_EQ(child->GetLeftpaneFormView()->Panel().ConnectionKind(), CDlgControllerStatus::kLinkConnected);

    // The port a window holds is not offered again: with no other port, OK stays grey.
    const HWND frameHwnd = world.FrameHwnd();
    uitest::RunModal([&] {
        world.Command(IDM_NEW_ONLINE);
        return INT_PTR(IDCANCEL);
    },
    [&] {
        const HWND active = ::GetActiveWindow();
        return active != frameHwnd ? active : HWND();
    },
    [](uitest::DialogDriver& d) {
        EXPECT_EQ(::SendMessageW(d.Item(IDC_ONLINE_PORT), CB_GETCOUNT, 0, 0), 0);
        EXPECT_FALSE(d.Enabled(IDOK));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(world.ChildCount(), 1);

    // Disconnect, as the menu does it.
    EXPECT_TRUE(world.Enabled(IDM_DISCONNECT));
    world.Boxes().Answer(IDOK, u"Disconnect");
    world.Command(IDM_DISCONNECT);
    EXPECT_FALSE(tree->IsConnected());
    EXPECT_FALSE(world.Enabled(IDM_DISCONNECT));
    EXPECT_TRUE(world.Enabled(IDM_CONNECT));
    EXPECT_EQ(child->GetLeftpaneFormView()->Panel().ConnectionKind(), CDlgControllerStatus::kLinkDisconnected);

    // Connect again.
    world.Boxes().Answer(IDOK, u"Connect");
    world.Command(IDM_CONNECT);
    EXPECT_TRUE(tree->IsConnected());

    // The line goes away while the status is polled.
    world.Boxes().Answer(IDOK, u"lost");
    emulator.DropLink();
    EXPECT_TRUE(uitest::WaitUntil([&] { return !tree->IsConnected(); }, 20000)) << "the window hears of the lost link";
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u) << "the user was told";
    ASSERT_EQ(world.ChildCount(), 1) << "the window stays, with its data";
    EXPECT_NE(RootText(child).Find(u"KX-Q05"), -1);
    EXPECT_TRUE(tree->IsTimeoutMarked());
    EXPECT_TRUE(world.Enabled(IDM_CONNECT)) << "and offers to connect again";
    ASSERT_NE(child->ToolBar(), nullptr);
    EXPECT_GE(child->ToolBar()->CommandToIndex(IDM_CONNECT), 0) << "the connect button shows after a lost link";

    ASSERT_TRUE(emulator.ReopenPty());
    // The first connect after the line came back works: the status poll,
    // which went on while the line was down, does not take the link from it.
    world.Boxes().Answer(IDOK, u"Connect");
    world.Command(IDM_CONNECT);
    EXPECT_TRUE(tree->IsConnected());
    EXPECT_LT(child->ToolBar()->CommandToIndex(IDM_CONNECT), 0) << "the connect button goes once connected";
}

// An online window opened on the emulator's terminal as COM3.
CChildFrame* OpenOnline(ManagerWorld& world, emu::Emulator& emulator)
{
    if (emulator.PtyPath().empty() && emulator.ServePty().empty()) return nullptr;
    world.MapPorts({{kCom, emulator.PtyPath()}});
    if (!world.Start()) return nullptr;
    world.Boxes().Answer(IDOK, u"Controllers found");
    world.NewOnline(kCom, u"Press line");
    return world.ChildCount() == 1 ? world.Active() : nullptr;
}

TEST_F(ManagerOnlineTest, ALinkThatComesBackLeavesTheWindowAsItIs)
{
    ManagerWorld world;
    CChildFrame* child = OpenOnline(world, emulator);
    ASSERT_NE(child, nullptr);
    child->SendMessage(UM_LINKFAILED, 1, 0);
    uitest::Pump(20);
    EXPECT_EQ(world.ChildCount(), 1);
    EXPECT_TRUE(child->GetTreeView()->IsConnected());
    EXPECT_TRUE(world.Boxes().Shown().size() == 1) << "only the scan's list was shown";
}

TEST_F(ManagerOnlineTest, WriteToTheControllerAndTheQuestionBeforeClosingWithUnwrittenChanges)
{
    ManagerWorld world;
    CChildFrame* child = OpenOnline(world, emulator);
    ASSERT_NE(child, nullptr);
    ControllerData* data = child->Document()->DataManager().GetCurrentController();
    ASSERT_NE(data, nullptr);
    data->points[4] = PointRecord{5, 1, 7000, 40, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0};
    world.Boxes().Answer(IDOK, u"Write the data").Answer(IDOK, u"written");
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(emulator.Controller(1).Point(5)[1], 7000) << "the controller holds the point";

    // A parameter changed and not written: closing asks, Cancel keeps the window.
    data->paramSets[0].K(10) = data->paramSets[0].K(10) + 1;
    world.Boxes().Answer(IDCANCEL, u"not written");
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.ChildCount(), 1);
    // Yes writes it, then the window closes.
    const int32_t expected = data->paramSets[0].K(10);
    world.Boxes().Answer(IDYES, u"not written").Answer(IDOK, u"written");
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.ChildCount(), 0);
    EXPECT_EQ(emulator.Controller(1).Parameter(10), expected);
}

TEST_F(ManagerOnlineTest, AStatusPanelThatIsBoundAgainNeverWritesOverNewerStatus)
{
    ManagerWorld world;
    CChildFrame* child = OpenOnline(world, emulator);
    ASSERT_NE(child, nullptr);
    CLeftpaneFormView* left = child->GetLeftpaneFormView();
    ASSERT_NE(left, nullptr);
    left->Panel().Refresh();
    const std::shared_ptr<StatusCells> cells = CDataManager::GetStatusCells();
    ASSERT_TRUE(cells);
    // The poll stores newer status; then the window refreshes and binds its panel again.
    child->SendMessage(UM_PAUSEPOLLING);
    cells->SetOptions(0x0800);
    ControllerStatus newer;
    newer.d0 = 424242;
    cells->SetStatus(newer);
    child->SendMessage(UM_REFRESH);
    EXPECT_EQ(cells->Options(), 0x0800u);
    EXPECT_EQ(cells->Status().d0, 424242);
    child->SendMessage(UM_RESUMEPOLLING);
}

TEST_F(ManagerOnlineTest, ClearingTheAlarmRecordsAsksFirst)
{
    emulator.Controller(1).AddRecord(emu::AlarmRecord{0x21, 100, 5000, 10, 1});
    ManagerWorld world;
    CChildFrame* child = OpenOnline(world, emulator);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(world.Enabled(IDM_INIT_REC));
    // Cancel sends nothing.
    world.Boxes().Answer(IDCANCEL, u"alarm records");
    world.Command(IDM_INIT_REC);
    EXPECT_EQ(emulator.Controller(1).Records().size(), 1u);
    world.Boxes().Answer(IDOK, u"alarm records").Answer(IDOK, u"initialised");
    world.Command(IDM_INIT_REC);
    EXPECT_TRUE(emulator.Controller(1).Records().empty());
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    // Trip data and running time belong to the highest level only.
    EXPECT_FALSE(world.Enabled(IDM_INIT_TRIP));
    EXPECT_FALSE(world.Enabled(IDM_INIT_TIME));
}

TEST_F(ManagerOnlineTest, LargerIconsRebuildTheMainAndTheWindowsToolBars)
{
    ManagerWorld world;
    CChildFrame* child = OpenOnline(world, emulator);
    ASSERT_NE(child, nullptr);
    world.Command(IDM_ICON_32);
    CRect button;
    child->ToolBar()->GetItemRect(0, &button);
    EXPECT_GE(button.Height(), 32) << "the window's bar takes the new size";
    world.Frame().ToolBar()->GetItemRect(0, &button);
    EXPECT_GE(button.Height(), 32);
    EXPECT_EQ(world.App().Options().ToolBarIconPixels(), 32);
    // Hiding the main bar hides the windows' bars too.
    world.Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(world.Frame().IsToolBarVisible());
    EXPECT_FALSE(child->ToolBar()->IsWindowVisible());
    world.Command(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(child->ToolBar()->IsWindowVisible());
}

TEST_F(ManagerOnlineTest, TheConnectionDialogRefusesNamesThatCannotBeAWindowsName)
{
    ASSERT_FALSE(emulator.ServePty().empty());
    emu::Emulator spare;
    ASSERT_FALSE(spare.ServePty().empty());
    ManagerWorld world;
    world.MapPorts({{kCom, emulator.PtyPath()}, {kCom + 1, spare.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Boxes().Answer(IDOK, u"Controllers found");
    ASSERT_EQ(world.NewOnline(kCom, u"Taken"), IDOK);
    const std::u16string longest(260, u'a');
    const std::u16string tooLong(261, u'a');
    const HWND frameHwnd = world.FrameHwnd();
    world.Boxes().Answer(IDOK, u"260 characters").Answer(IDOK, u"260 characters").Answer(IDOK, u"already open");
    uitest::RunModal([&] {
        world.Command(IDM_NEW_ONLINE);
        return INT_PTR(IDCANCEL);
    },
    [&] {
        const HWND active = ::GetActiveWindow();
        return active != frameHwnd ? active : HWND();
    },
    [&](uitest::DialogDriver& d) {
        for (const std::u16string& name : {std::u16string(u"with.period"), tooLong, std::u16string(u"Taken")}) {
            d.Retype(IDC_ONLINE_NAME, name);
            d.Click(IDOK);
            EXPECT_TRUE(::IsWindowVisible(d.Dialog())) << "the dialog stays open";
        }
        d.Retype(IDC_ONLINE_NAME, longest);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(world.ChildCount(), 1);
}

TEST_F(ManagerOnlineTest, AWindowOnATcpLinkShowsItsController)
{
    const uint16_t port = emulator.ServeTcp();
    ASSERT_NE(port, 0);
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    world.App().SetTcpPort(port);
    PendingOpenRequest request;
    request.entry.kind = kOpenWindowTcp;
    request.entry.address = 0x7F000001;
    request.displayName = u"Cell 4";
    world.App().Pending() = request;
    world.Boxes().Answer(IDOK, u"Controllers found");
    EXPECT_EQ(world.App().OpenPendingConnection(), OpenOutcome::Opened);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    CString title;
    child->GetWindowText(title);
    EXPECT_NE(title.Find(u"127.0.0.1"), -1);
    EXPECT_NE(RootText(child).Find(u"KX-Q05"), -1);
    EXPECT_TRUE(child->GetTreeView()->IsConnected());

    world.Boxes().Answer(IDOK, u"Disconnect");
    world.Command(IDM_DISCONNECT);
    EXPECT_FALSE(child->GetTreeView()->IsConnected());
    world.Boxes().Answer(IDOK, u"Connect");
    world.Command(IDM_CONNECT);
    EXPECT_TRUE(child->GetTreeView()->IsConnected());
}

TEST_F(ManagerOnlineTest, ALineWhoseOnlyControllerIsNotNodeOneIsTaken)
{
    emu::Emulator other;
    emu::ControllerModel& c = other.AddController(5, "Q05");
    c.SetControllerName("KX-Q05");
    c.SetRobot("SA4-L06");
    ASSERT_FALSE(other.ServePty().empty());
    ManagerWorld world;
    world.MapPorts({{kCom, other.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Boxes().Answer(IDOK, u"Controllers found");
    EXPECT_EQ(world.NewOnline(kCom, u"Node five"), IDOK);
    ASSERT_EQ(world.ChildCount(), 1);
    EXPECT_NE(RootText(world.Active()).Find(u"5"), -1);
}

TEST_F(ManagerOnlineTest, APortWithoutAControllerLeavesNoWindow)
{
    emu::Emulator empty;
    ASSERT_FALSE(empty.ServePty().empty());
    ManagerWorld world;
    world.MapPorts({{kCom, empty.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Boxes().Answer(IDOK, u"");
    EXPECT_EQ(world.NewOnline(kCom, u"Nothing"), IDOK);
    EXPECT_EQ(world.ChildCount(), 0);
    EXPECT_EQ(world.App().Registry().Count(), 0) << "nothing is entered in the registry";
    EXPECT_TRUE(world.Enabled(IDM_NEW_ONLINE)) << "the frame is idle again";
}

}  // namespace
