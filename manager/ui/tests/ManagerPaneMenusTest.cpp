// The panes' and the tree's context menus, the full-view choice kept from one
// run of the program to the next, and the point table of a pulse-train
// controller shown by the access level, entered through the access-code
// command as a person enters it.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/ui/ManagerMessages.h"
#include "manager/ui/RightpaneFormView.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/GlobalMemory.h"
#include "platform/ui/GridView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/StandardDialogs.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "tests/support/NamedController.h"
#include "tests/support/emulator/Emulator.h"

#include <QTest>

namespace {

using namespace mgrtest;

constexpr int kCom = 3;


void EmptyTheClipboard()
{
    if (!::OpenClipboard(HWND())) return;
    ::EmptyClipboard();
    ::CloseClipboard();
}

// A right click on a cell of a grid, through the grid's own window.
void RightClick(CWnd& grid, int row, int column)
{
    auto* view = dynamic_cast<platform::ui::GridView*>(platform::ui::WidgetOf(grid.GetSafeHwnd()));
    ASSERT_NE(view, nullptr);
    view->EnsureVisible(row, column);
    const QPoint at = view->CellRect(row, column).center();
    QTest::mouseClick(view, Qt::RightButton, {}, at);
    uitest::Pump(20);
}

// Popup menus for the test: what each showed is kept (the menu itself is
// gone once it closed), and the answer is the command given.
class MenuRecorder final : public platform::IStandardDialogService {
public:
    explicit MenuRecorder(UINT answer = 0) : m_answer(answer), m_scope(this) {}
    platform::FileDialogResult ShowFileDialog(const platform::FileDialogRequest&) override { return {}; }
    platform::ColorDialogResult ShowColorDialog(const platform::ColorDialogRequest&) override { return {}; }
    UINT ShowPopupMenu(const platform::PopupMenuRequest& request) override
    {
        shown.push_back(platform::MenuItemsOf(request.menu));
        return m_answer;
    }
    // The flags of a command in the menu shown last, or -1 when it is not there.
    int FlagsOf(UINT command) const
    {
        if (shown.empty()) return -1;
        for (const platform::PopupMenuItem& item : shown.back())
            if (item.id == command) return static_cast<int>(item.flags);
        return -1;
    }
    std::vector<std::vector<platform::PopupMenuItem>> shown;

private:
    UINT m_answer;
    platform::ScopedStandardDialogService m_scope;
};


bool HasTreeItem(CChildFrame* child, int kind)
{
    CTreeCtrl& tree = child->GetTreeView()->GetTreeCtrl();
    for (HTREEITEM item = tree.GetRootItem(); item; item = tree.GetNextItem(item, TVGN_NEXTVISIBLE))
        if (static_cast<int>(tree.GetItemData(item)) == kind) return true;
    return false;
}

class ManagerPaneMenusTest : public ::testing::Test {
protected:
    void AddController(const char* model, const char* name)
    {
        testsupport::AddNamedController(emulator, model, name).SetParameter(72, 2);
    }
    CChildFrame* OpenOnline(ManagerWorld& world, std::vector<CString> arguments = {u"quorvane"})
    {
        if (emulator.ServePty().empty()) return nullptr;
        world.MapPorts({{kCom, emulator.PtyPath()}});
        if (!world.Start(std::move(arguments))) return nullptr;
        world.Boxes().Answer(IDOK);
        world.NewOnline(kCom, u"Line");
        if (world.ChildCount() != 1) return nullptr;
        world.Frame().MoveWindow(0, 0, 1200, 860);
        world.Active()->ShowWindow(SW_SHOWMAXIMIZED);
        uitest::Pump(10);
        return world.Active();
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    emu::Emulator emulator;
};

TEST_F(ManagerPaneMenusTest, TheGridsOpenTheirContextMenusAndTheirCommandsReachThePane)
{
    AddController("Q05", "KX-Q05");
    ManagerWorld world;
    CChildFrame* child = OpenOnline(world);
    ASSERT_NE(child, nullptr);
    CRightpaneFormView* right = child->GetRightpaneFormView();
    ShowPane(child, 1);
    CPointTableGrid& points = right->PointTable().Grid();
    const int row1 = CPointTableGrid::RowOfSlot(0);

    {
        SCOPED_TRACE("points: the menu of the point table, Paste grey without text; Copy copies the cell");
        EmptyTheClipboard();
        MenuRecorder menus(ID_EDIT_COPY);
        RightClick(points, row1, 2);
        ASSERT_EQ(menus.shown.size(), 1u);
        EXPECT_GE(menus.FlagsOf(32804), 0) << "the point table's own menu";
        EXPECT_NE(menus.FlagsOf(ID_EDIT_PASTE) & MF_GRAYED, 0);
        EXPECT_EQ(menus.FlagsOf(ID_EDIT_COPY) & MF_GRAYED, 0);
        uitest::Pump(20);
        EXPECT_EQ(ClipboardText().substr(0, 5), u"10.00");
    }
    {
        SCOPED_TRACE("parameters: the parameter table's menu");
        ShowPane(child, 3);
        CParameterGrid& grid = right->Parameter().Grid();
        MenuRecorder menus;
        RightClick(grid, grid.RowOfIndex(8), CParameterGrid::kValueCol);
        ASSERT_EQ(menus.shown.size(), 1u);
        EXPECT_GE(menus.FlagsOf(ID_EDIT_PASTE), 0);
        EXPECT_LT(menus.FlagsOf(ID_EDIT_CUT), 0) << "parameters are never cut";
        EXPECT_EQ(menus.FlagsOf(ID_EDIT_PASTE) & MF_GRAYED, 0) << "the clipboard holds text now";
    }
    {
        SCOPED_TRACE("the tree: the online controller's menu, whose commands go to the window");
        CLeftpaneTreeView* tree = child->GetTreeView();
        tree->GetTreeCtrl().SelectItem(tree->GetTreeCtrl().GetRootItem());
        MenuRecorder menus(IDM_SHOW_PANE);
        tree->SendMessage(WM_CONTEXTMENU, tree->GetSafeHwnd().ToWParam(), MAKELPARAM(-1, -1));
        uitest::Pump(20);
        ASSERT_EQ(menus.shown.size(), 1u);
        EXPECT_GE(menus.FlagsOf(IDM_ALARM_LIST), 0);
        EXPECT_EQ(right->CurrentSlot(), 0) << "Show showed the information pane";
    }
    {
        SCOPED_TRACE("a controller that runs its program: no menu over its grids");
        emulator.Controller(1).SetParameter(20, 1);
        world.Boxes().Answer(IDOK);
        world.Command(IDM_READ_CONTROLLER);
        ShowPane(child, 1);
        MenuRecorder menus;
        RightClick(points, row1, 2);
        EXPECT_TRUE(menus.shown.empty());
    }
    world.Quit();
}

TEST_F(ManagerPaneMenusTest, TheFullViewChoiceIsKeptForTheNextRun)
{
    ManagerWorld world;
    const CString path = WriteDataFile(world.Path("line.yvekd"));
    ASSERT_TRUE(world.Start());
    {
        ScriptedDialogs files;
        files.ChooseFile({path});
        world.Command(IDM_OPEN_DATA);
    }
    ASSERT_EQ(world.ChildCount(), 1);
    CChildFrame* child = world.Active();
    ShowPane(child, 1);
    CRightpanePointtable& pane = child->GetRightpaneFormView()->PointTable();
    EXPECT_EQ(pane.IsDlgButtonChecked(IDC_PANE_FULL_VIEW), BST_UNCHECKED) << "a first run shows the simple view";
    EXPECT_EQ(pane.Grid().GetColWidth(7), 0);
    ::SendMessageW(pane.GetDlgItem(IDC_PANE_FULL_VIEW)->GetSafeHwnd(), BM_CLICK, 0, 0);
    uitest::Pump(10);
    EXPECT_GT(pane.Grid().GetColWidth(7), 0) << "the detail columns show";
    world.Quit();

    ASSERT_TRUE(world.Start());
    {
        ScriptedDialogs files;
        files.ChooseFile({path});
        world.Command(IDM_OPEN_DATA);
    }
    ASSERT_EQ(world.ChildCount(), 1);
    child = world.Active();
    ShowPane(child, 1);
    CRightpanePointtable& again = child->GetRightpaneFormView()->PointTable();
    EXPECT_EQ(again.IsDlgButtonChecked(IDC_PANE_FULL_VIEW), BST_CHECKED);
    EXPECT_GT(again.Grid().GetColWidth(7), 0);
    world.Quit();
}

TEST_F(ManagerPaneMenusTest, APulseTrainControllersPointsFollowTheAccessLevel)
{
    AddController("LB", "KX-LB");
    {
        SCOPED_TRACE("level 0, then the access code: the grid stays hidden below level 5");
        ManagerWorld world;
        CChildFrame* child = OpenOnline(world);
        ASSERT_NE(child, nullptr);
        ASSERT_TRUE(HasTreeItem(child, 1)) << "an online pulse-train controller lists its points";
        ShowPane(child, 1);
        CRightpanePointtable& pane = child->GetRightpaneFormView()->PointTable();
        EXPECT_FALSE(pane.IsGridShown());
        EXPECT_FALSE(pane.Grid().IsWindowVisible());
        EXPECT_FALSE(pane.GetDlgItem(IDC_PANE_FULL_VIEW)->IsWindowVisible());
        EXPECT_FALSE(pane.GetDlgItem(IDC_PANE_MANUAL_BUTTON)->IsWindowVisible());
        EXPECT_FALSE(world.Enabled(ID_EDIT_COPY));
        world.Grab("panes-points-lb-hidden-en.png");

        EnterAccessCode(world, u"valmoth");
        EXPECT_EQ(world.App().GetAccessLevel(), 2);
        EXPECT_FALSE(pane.IsGridShown()) << "level 2 does not show it";
        EXPECT_TRUE(HasTreeItem(child, 7)) << "but the level reached the window";
        world.Quit();
    }
    {
        SCOPED_TRACE("level 1 from the start-up switch shows the points and the manual panel");
        ManagerWorld world;
        CChildFrame* child = OpenOnline(world, {u"quorvane", u"/misplor"});
        ASSERT_NE(child, nullptr);
        ShowPane(child, 1);
        CRightpanePointtable& pane = child->GetRightpaneFormView()->PointTable();
        EXPECT_TRUE(pane.IsGridShown());
        EXPECT_TRUE(pane.Grid().IsWindowVisible());
        EXPECT_TRUE(pane.GetDlgItem(IDC_PANE_MANUAL_BUTTON)->IsWindowVisible());
        ASSERT_NE(pane.Manual(), nullptr);
        EXPECT_TRUE(pane.Manual()->GetDlgItem(IDC_MAN_START)->IsWindowVisible()) << "level 1 sees the whole panel";
        world.Quit();
    }
}

}  // namespace
