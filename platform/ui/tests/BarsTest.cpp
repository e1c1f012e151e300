// Bars of the MDI program: the tool bar's saved state, its images and
// labels at three sizes, its calls, the status bar's panes, tool tips by
// control, and the menu bar built from the menus.
#include "platform/ui/tests/FrameTestSupport.h"

#include "platform/ui/ToolTipCtrl.h"
#include "platform/ui/WidgetPeer.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

using namespace frametest;

class BarsTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

TEST_F(BarsTest, ToolBarStateIsSavedAndRestored)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CMainFrame& frame = world.Frame();
    CToolBar& bar = frame.m_toolBar;
    ASSERT_TRUE(bar.IsVisible());

    // Hidden and moved to the bottom edge, then saved.
    frame.ShowControlBar(&bar, FALSE, FALSE);
    frame.DockControlBar(&bar, AFX_IDW_DOCKBAR_BOTTOM);
    frame.SaveBarState(u"ToolBarPlacement");
    CWinApp& app = world.App();
    EXPECT_EQ(app.GetProfileInt(u"ToolBarPlacement-Summary", u"Bars", -1), 2u);

    // Changed back, then restored from the profile.
    frame.ShowControlBar(&bar, TRUE, FALSE);
    frame.DockControlBar(&bar, AFX_IDW_DOCKBAR_TOP);
    ASSERT_TRUE(bar.IsVisible());
    frame.LoadBarState(u"ToolBarPlacement");
    EXPECT_FALSE(bar.IsVisible());
    EXPECT_EQ(bar.GetBarStyle() & CBRS_ALIGN_ANY, CBRS_ALIGN_BOTTOM);
    EXPECT_TRUE(frame.m_statusBar.IsVisible());

    // Shown again it lies at the bottom, above the status bar.
    frame.ShowControlBar(&bar, TRUE, FALSE);
    CRect barRect;
    CRect statusRect;
    bar.GetWindowRect(&barRect);
    frame.m_statusBar.GetWindowRect(&statusRect);
    EXPECT_EQ(barRect.bottom, statusRect.top);
    // The menu command follows the bar.
    frame.SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    EXPECT_FALSE(bar.IsVisible());
}

TEST_F(BarsTest, DamagedBarStateChangesNothingItCannotTrust)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CMainFrame& frame = world.Frame();
    CWinApp& app = world.App();
    struct Row {
        const char* name;
        int bars;
        int barId;
        int visible;
        int docking;
        bool visibleAfter;
        DWORD alignAfter;
    };
    const Row rows[] = {
        {"unknown bar", 1, 1234, 0, static_cast<int>(CBRS_ALIGN_LEFT), true, CBRS_ALIGN_TOP},
        {"two edges at once", 1, static_cast<int>(AFX_IDW_TOOLBAR), 1, static_cast<int>(CBRS_ALIGN_TOP | CBRS_ALIGN_LEFT),
         true, CBRS_ALIGN_TOP},
        {"no edge", 1, static_cast<int>(AFX_IDW_TOOLBAR), 0, 0, false, CBRS_ALIGN_TOP},
        {"huge count", 1000000, static_cast<int>(AFX_IDW_TOOLBAR), 1, static_cast<int>(CBRS_ALIGN_RIGHT), true,
         CBRS_ALIGN_RIGHT},
        {"negative count", -5, static_cast<int>(AFX_IDW_TOOLBAR), 0, static_cast<int>(CBRS_ALIGN_BOTTOM), true,
         CBRS_ALIGN_TOP},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        frame.DockControlBar(&frame.m_toolBar, AFX_IDW_DOCKBAR_TOP);
        frame.ShowControlBar(&frame.m_toolBar, TRUE, FALSE);
        app.WriteProfileInt(u"Damaged-Summary", u"Bars", row.bars);
        app.WriteProfileInt(u"Damaged-Bar0", u"BarID", row.barId);
        app.WriteProfileInt(u"Damaged-Bar0", u"Visible", row.visible);
        app.WriteProfileInt(u"Damaged-Bar0", u"Docking", row.docking);
        frame.LoadBarState(u"Damaged");
        EXPECT_EQ(frame.m_toolBar.IsVisible() != FALSE, row.visibleAfter);
        EXPECT_EQ(frame.m_toolBar.GetBarStyle() & CBRS_ALIGN_ANY, row.alignAfter);
    }
}

TEST_F(BarsTest, ButtonsGrowWithTheirImagesAndLabels)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CMainFrame& frame = world.Frame();
    struct Row {
        const char* name;
        int icon;
        bool labels;
    };
    const Row rows[] = {{"16", 16, false}, {"24", 24, false}, {"32", 32, false}, {"24 with labels", 24, true}};
    int plainHeight = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        frame.m_iconSize = row.icon;
        frame.m_labels = row.labels;
        ASSERT_TRUE(frame.BuildToolBar());
        CToolBar& bar = frame.m_toolBar;
        CRect button;
        bar.GetItemRect(bar.CommandToIndex(ID_SHEET_MARK), &button);
        if (!row.labels) {
            EXPECT_EQ(button.Width(), row.icon + 7);
            EXPECT_EQ(button.Height(), row.icon + 7);
            if (row.icon == 24) plainHeight = button.Height();
        } else {
            // A label goes under the image: taller, and wide enough for it.
            EXPECT_GT(button.Height(), plainHeight + 8);
            EXPECT_EQ(bar.GetButtonText(bar.CommandToIndex(ID_SHEET_MARK)), u"Mark");
        }
        // The drop-down button is wider by its arrow; separators are narrow.
        CRect open;
        bar.GetItemRect(bar.CommandToIndex(ID_FILE_OPEN), &open);
        EXPECT_GT(open.Width(), button.Width());
        CRect separator;
        bar.GetItemRect(2, &separator);
        EXPECT_LT(separator.Width(), button.Width());
        // The bar is as high as its buttons and its borders, and the frame
        // lays the MDI client out below it.
        CRect barRect;
        bar.GetWindowRect(&barRect);
        EXPECT_EQ(barRect.Height(), bar.CalcFixedLayout(TRUE, TRUE).cy);
        CRect client;
        ::GetWindowRect(frame.m_hWndMDIClient, &client);
        EXPECT_EQ(client.top, barRect.bottom);
    }
}

TEST_F(BarsTest, ToolBarControlCalls)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CToolBar& bar = world.Frame().m_toolBar;
    CToolBarCtrl& ctrl = bar.GetToolBarCtrl();
    EXPECT_EQ(ctrl.GetButtonCount(), 6);
    EXPECT_EQ(static_cast<int>(ctrl.CommandToIndex(ID_EDIT_COPY)), 3);
    TBBUTTON button;
    ASSERT_TRUE(ctrl.GetButton(2, &button));
    EXPECT_EQ(button.fsStyle & TBSTYLE_SEP, TBSTYLE_SEP);
    ASSERT_TRUE(ctrl.GetButton(4, &button));
    EXPECT_EQ(button.idCommand, static_cast<int>(ID_SHEET_MARK));
    EXPECT_EQ(button.iBitmap, 3);

    // Checked and hidden states, and the layout without a hidden button.
    CRect lockBefore;
    bar.GetItemRect(5, &lockBefore);
    EXPECT_TRUE(ctrl.CheckButton(static_cast<int>(ID_EDIT_COPY)));
    EXPECT_TRUE(ctrl.IsButtonChecked(static_cast<int>(ID_EDIT_COPY)));
    EXPECT_TRUE(bar.GetButtonStyle(3) & TBBS_CHECKED);
    EXPECT_TRUE(ctrl.HideButton(static_cast<int>(ID_SHEET_MARK)));
    CRect lockAfter;
    bar.GetItemRect(5, &lockAfter);
    EXPECT_LT(lockAfter.left, lockBefore.left);
    EXPECT_FALSE(ctrl.CheckButton(4711));

    // A deleted button takes its place with it.
    EXPECT_TRUE(ctrl.DeleteButton(0));
    EXPECT_EQ(ctrl.GetButtonCount(), 5);
    EXPECT_EQ(bar.GetItemID(0), ID_FILE_OPEN);
    EXPECT_FALSE(ctrl.DeleteButton(99));
    EXPECT_EQ(bar.CommandToIndex(ID_FILE_NEW), -1);
}

TEST_F(BarsTest, StatusBarPanes)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CColorBar& status = world.Frame().m_statusBar;
    ASSERT_EQ(status.GetCount(), 4);
    // The message pane stretches and starts idle; indicators take their text
    // from their strings.
    EXPECT_EQ(status.GetPaneText(0), u"Ready");
    EXPECT_EQ(status.GetPaneText(2), u"CAP");
    EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_NUM), 3);
    EXPECT_TRUE(status.GetPaneStyle(0) & SBPS_STRETCH);
    EXPECT_TRUE(status.GetPaneStyle(1) & SBPS_OWNERDRAW);
    CRect first;
    CRect caps;
    CRect num;
    status.GetItemRect(0, &first);
    status.GetItemRect(2, &caps);
    status.GetItemRect(3, &num);
    CRect bar;
    status.GetClientRect(&bar);
    EXPECT_GT(first.Width(), caps.Width());
    EXPECT_LT(caps.right, num.left);
    EXPECT_LE(num.right, bar.right);

    // The update handlers: the link pane's text, and the key indicators
    // blanked while their key is off.
    world.Frame().m_linkText = u"Link: TCP 192.168.0.10";
    world.Idle();
    EXPECT_EQ(status.GetPaneText(1), u"Link: TCP 192.168.0.10");
    EXPECT_TRUE(status.GetPaneStyle(2) & SBPS_DISABLED);
    // The message pane is the bar's window text; fly-by prompts go there.
    world.Frame().SetMessageText(ID_EDIT_COPY);
    EXPECT_EQ(status.GetPaneText(0), u"Copy the selection");
    world.Frame().SetMessageText(AFX_IDS_IDLEMESSAGE);
    EXPECT_EQ(status.GetPaneText(0), u"Ready");

    // The owner-drawn pane is drawn by the bar when it paints.
    const int drawn = status.m_drawn;
    status.Invalidate();
    status.UpdateWindow();
    EXPECT_GT(status.m_drawn, drawn);
    EXPECT_EQ(status.m_lastPane, 1);
    CRect pane;
    status.GetItemRect(1, &pane);
    EXPECT_TRUE(pane.PtInRect(status.m_lastRect.TopLeft()));

    // A missing indicator string is reported; the panes are made anyway.
    CStatusBar other;
    ASSERT_TRUE(other.Create(&world.Frame(), WS_CHILD | CBRS_BOTTOM, 4321));
    const UINT ids[] = {ID_SEPARATOR, 45678};
    EXPECT_FALSE(other.SetIndicators(ids, 2));
    EXPECT_EQ(other.GetCount(), 2);
    EXPECT_FALSE(other.SetPaneText(7, u"x"));
}

class TipOwner : public CWnd {
public:
    CString m_answer;
    int m_asked = 0;
    HWND m_askedFor;

protected:
    BOOL OnNeedText(UINT, NMHDR* header, LRESULT*)
    {
        ++m_asked;
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        m_askedFor = (info->uFlags & TTF_IDISHWND) ? HWND::FromValue(header->idFrom) : HWND();
        info->lpszText = const_cast<LPWSTR>(m_answer.GetString());
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TipOwner, CWnd)
    ON_NOTIFY_EX(TTN_NEEDTEXT, 0, &TipOwner::OnNeedText)
END_MESSAGE_MAP()

TEST_F(BarsTest, ToolTipsByControl)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    TipOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, u"TipOwner", u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &world.Frame(), 77));
    CWnd fixed;
    CWnd asking;
    ASSERT_TRUE(fixed.CreateEx(0, u"Static", u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), &owner, 101));
    ASSERT_TRUE(asking.CreateEx(0, u"Static", u"", WS_CHILD | WS_VISIBLE, CRect(60, 0, 110, 20), &owner, 102));
    owner.m_answer = u"Asked text";

    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&owner));
    EXPECT_TRUE(tips.AddTool(&fixed, u"Fixed text"));
    EXPECT_TRUE(tips.AddTool(&asking));
    const CRect corner(0, 0, 10, 10);
    EXPECT_TRUE(tips.AddTool(&owner, u"Corner", &corner, 5));
    EXPECT_EQ(tips.GetToolCount(), 3);
    EXPECT_EQ(tips.TextAt(&fixed, POINT{3, 3}), u"Fixed text");
    EXPECT_EQ(tips.TextAt(&asking, POINT{3, 3}), u"Asked text");
    EXPECT_EQ(owner.m_askedFor, asking.GetSafeHwnd());
    EXPECT_EQ(tips.TextAt(&owner, POINT{5, 5}), u"Corner");
    EXPECT_EQ(tips.TextAt(&owner, POINT{50, 50}), u"");
    tips.UpdateTipText(u"Changed", &fixed);
    EXPECT_EQ(tips.TextAt(&fixed, POINT{1, 1}), u"Changed");
    tips.Activate(FALSE);
    EXPECT_EQ(tips.TextAt(&fixed, POINT{1, 1}), u"");
    tips.Activate(TRUE);
    tips.DelTool(&fixed);
    EXPECT_EQ(tips.TextAt(&fixed, POINT{1, 1}), u"");

    // Tool tips for every control of a window: the window is asked.
    tips.DestroyWindow();
    CToolTipCtrl none;
    (void)none;
    EXPECT_TRUE(platform::EnableToolTips(&owner));
    owner.m_answer = u"Speed in mm/s";
    const int asked = owner.m_asked;
    EXPECT_EQ(platform::ToolTipTextOf(fixed.GetSafeHwnd()), u"Speed in mm/s");
    EXPECT_EQ(owner.m_asked, asked + 1);
    EXPECT_EQ(owner.m_askedFor, fixed.GetSafeHwnd());
    platform::EnableToolTips(&owner, FALSE);
    EXPECT_EQ(platform::ToolTipTextOf(fixed.GetSafeHwnd()), u"");

    // The tool bar's buttons show the tip part of their command's string.
    CToolBar& bar = world.Frame().m_toolBar;
    CRect copy;
    bar.GetItemRect(bar.CommandToIndex(ID_EDIT_COPY), &copy);
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(copy.left + 3, copy.top + 3));
    EXPECT_EQ(platform::ui::WidgetOf(bar.GetSafeHwnd())->toolTip(), QStringLiteral("Copy"));
    // ... and their prompt in the status bar while the mouse is over them.
    EXPECT_EQ(world.Frame().m_statusBar.GetPaneText(0), u"Copy the selection");
}

TEST_F(BarsTest, MenuBarShowsTheMenuAsItsHandlersLeaveIt)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    QWidget* widget = platform::ui::WidgetOf(world.Frame().GetSafeHwnd());
    ASSERT_NE(widget, nullptr);
    auto* bar = widget->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    const QList<QAction*> top = bar->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(top[1]->text(), QStringLiteral("&View"));
    // The View popup, as it opens, checks the visible bars.
    world.Frame().ShowControlBar(&world.Frame().m_toolBar, FALSE, FALSE);
    QMenu* view = top[1]->menu();
    ASSERT_NE(view, nullptr);
    emit view->aboutToShow();
    const QList<QAction*> items = view->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Toolbar"));
    EXPECT_FALSE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isChecked());
    // Choosing an item posts its command to the frame.
    items[0]->trigger();
    uitest::Pump(10);
    EXPECT_TRUE(world.Frame().m_toolBar.IsVisible());
    // The File popup shows the shortcut and greys what has no handler.
    QMenu* file = top[0]->menu();
    emit file->aboutToShow();
    const QList<QAction*> fileItems = file->actions();
    ASSERT_GE(fileItems.size(), 4);
    EXPECT_EQ(fileItems[0]->text(), QStringLiteral("&New"));
    EXPECT_EQ(fileItems[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_TRUE(fileItems[0]->isEnabled());
    EXPECT_FALSE(fileItems[3]->isEnabled());
}

}  // namespace
