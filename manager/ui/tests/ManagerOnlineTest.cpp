// Online controller windows against the controller emulator, over a
// pseudo-terminal mapped to a COM number and over TCP: a new online
// connection finds the controller and the tree shows it, disconnect and
// connect again, a dropped link tells the user and leaves the window usable
// with its data, and a line whose only controller is not node 1 is taken.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/DataManager.h"
#include "manager/ui/DlgControllerStatus.h"
#include "manager/ui/LeftpaneFormView.h"
#include "platform/ui/ComboBox.h"
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
    world.Boxes().Answer(IDOK, u"Connect");
    world.Command(IDM_CONNECT);
    EXPECT_TRUE(tree->IsConnected());
    EXPECT_LT(child->ToolBar()->CommandToIndex(IDM_CONNECT), 0) << "the connect button goes once connected";
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
