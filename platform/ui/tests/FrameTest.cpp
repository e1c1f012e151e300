// An MDI program as a person would use it: two sheets in child frames with
// a splitter inside a splitter, the tool bar and menus following their
// update handlers, activation, arranging, closing a modified sheet, files
// dropped on the frame, and a picture of the whole window.
#include "platform/ui/tests/FrameTestSupport.h"

#include "platform/ui/WidgetPeer.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/ui/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace {

using namespace frametest;

class FrameTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

HMENU SubMenuNamed(HMENU menu, const char16_t* name)
{
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        CString text;
        CMenu::FromHandle(menu)->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        if (text == name) return ::GetSubMenu(menu, i);
    }
    return HMENU();
}

bool ItemEnabled(HMENU menu, UINT id) { return !(::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)); }

void ClickWidget(QWidget* widget, QPoint at)
{
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

// A click on a tool-bar button, as the mouse gives it.
void ClickButton(CToolBar& bar, UINT id, bool onArrow = false)
{
    CRect r;
    bar.GetItemRect(bar.CommandToIndex(id), &r);
    QWidget* widget = platform::ui::WidgetOf(bar.GetSafeHwnd());
    ASSERT_NE(widget, nullptr);
    ClickWidget(widget, QPoint(onArrow ? r.right - 3 : r.left + 4, r.top + r.Height() / 2));
    uitest::Pump(10);
}

TEST_F(FrameTest, TwoSheetsInChildFramesWithNestedSplitters)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CSheetDoc* first = world.NewSheet();
    CSheetDoc* second = world.NewSheet();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetTitle(), u"Sheet1");
    EXPECT_EQ(second->GetTitle(), u"Sheet2");

    const std::vector<CMDIChildWnd*> children = world.Frame().MDIGetChildren();
    ASSERT_EQ(children.size(), 2u);
    CSheetFrame* frame1 = world.FrameOf(first);
    CSheetFrame* frame2 = world.FrameOf(second);
    ASSERT_NE(frame1, nullptr);
    ASSERT_NE(frame2, nullptr);
    // The newest sheet is the active one, and the commands go to its view.
    EXPECT_EQ(world.Frame().MDIGetActive(), frame2);
    EXPECT_EQ(world.Frame().GetActiveDocument(), second);

    // The outer splitter's left pane is a splitter with the tree over the form.
    EXPECT_EQ(frame1->m_outer.GetRowCount(), 1);
    EXPECT_EQ(frame1->m_outer.GetColumnCount(), 2);
    EXPECT_EQ(frame1->m_outer.GetPane(0, 0), &frame1->m_inner);
    auto* tree = dynamic_cast<CAxisTreeView*>(frame1->m_inner.GetPane(0, 0));
    auto* form = dynamic_cast<CSheetForm*>(frame1->m_inner.GetPane(1, 0));
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(tree->GetDocument(), first);
    EXPECT_EQ(form->GetDocument(), first);
    EXPECT_EQ(first->GetViewCount(), 3);
    EXPECT_EQ(tree->GetTreeCtrl().GetCount(), 3u);
    EXPECT_NE(form->GetDlgItem(IDC_AXIS), nullptr);
    EXPECT_EQ(frame1->SheetView()->m_initialUpdates, 1);

    // Panes fill their splitter: the tree and the form share the left column.
    CRect treeRect;
    CRect formRect;
    CRect innerRect;
    tree->GetWindowRect(&treeRect);
    form->GetWindowRect(&formRect);
    frame1->m_inner.GetWindowRect(&innerRect);
    EXPECT_EQ(treeRect.left, innerRect.left);
    EXPECT_EQ(treeRect.Width(), innerRect.Width());
    EXPECT_EQ(formRect.top, treeRect.bottom + CSplitterWnd::kSplitterGap);
    EXPECT_EQ(formRect.bottom, innerRect.bottom);
    // The form's edits are whole, not cut at the splitter.
    for (const int id : {IDC_AXIS, IDC_SPEED}) {
        SCOPED_TRACE(id);
        CRect edit;
        form->GetDlgItem(id)->GetWindowRect(&edit);
        EXPECT_LE(edit.right, formRect.right);
    }
    int cur = 0;
    int min = 0;
    frame1->m_inner.GetRowInfo(0, cur, min);
    EXPECT_EQ(cur, 120);
    EXPECT_EQ(min, 10);
}

TEST_F(FrameTest, ActivationMovesCommandsAndMenus)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CSheetDoc* first = world.NewSheet();
    CSheetDoc* second = world.NewSheet();
    ASSERT_TRUE(first && second);
    CSheetFrame* frame1 = world.FrameOf(first);
    CSheetFrame* frame2 = world.FrameOf(second);

    const int activatedBefore = frame1->m_activated;
    const int deactivatedBefore = frame2->m_deactivated;
    world.Frame().MDIActivate(frame1);
    uitest::Pump(10);
    EXPECT_EQ(world.Frame().MDIGetActive(), frame1);
    EXPECT_EQ(world.Frame().GetActiveDocument(), first);
    EXPECT_EQ(frame1->m_activated, activatedBefore + 1);
    EXPECT_EQ(frame2->m_deactivated, deactivatedBefore + 1);
    // The sheet's own menu is shown while a sheet is active.
    EXPECT_EQ(::GetMenu(world.Frame().GetSafeHwnd()), world.Template().m_hMenuShared);

    // A command goes to the active sheet's view only.
    world.Frame().SendMessage(WM_COMMAND, ID_SHEET_MARK, 0);
    EXPECT_EQ(first->m_marks, 1);
    EXPECT_EQ(second->m_marks, 0);
    EXPECT_TRUE(first->IsModified());
    EXPECT_FALSE(second->IsModified());

    // The frame's title names the active sheet.
    world.Idle();
    CString title;
    world.Frame().GetWindowText(title);
    EXPECT_EQ(title, u"Frame Test - Sheet1");
}

TEST_F(FrameTest, ToolBarAndMenusFollowUpdateHandlers)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CToolBar& bar = world.Frame().m_toolBar;
    CToolBarCtrl& ctrl = bar.GetToolBarCtrl();

    // Without a sheet: New and Open have handlers (the application's), Copy
    // and Mark belong to a sheet's view, Lock has no handler anywhere.
    world.Idle();
    struct Row {
        const char* name;
        UINT id;
        bool enabledWithoutSheet;
        bool enabledOnEmptySheet;
        bool enabledOnFilledSheet;
    };
    const Row rows[] = {
        {"new", ID_FILE_NEW, true, true, true},
        {"open", ID_FILE_OPEN, true, true, true},
        {"copy", ID_EDIT_COPY, false, false, true},
        {"mark", ID_SHEET_MARK, false, true, true},
        {"lock", ID_SHEET_LOCK, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ctrl.IsButtonEnabled(static_cast<int>(row.id)) != FALSE, row.enabledWithoutSheet);
    }

    CSheetDoc* sheet = world.NewSheet();
    ASSERT_NE(sheet, nullptr);
    world.Idle();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ctrl.IsButtonEnabled(static_cast<int>(row.id)) != FALSE, row.enabledOnEmptySheet);
    }
    // Menu items follow the same handlers when their menu opens.
    const HMENU edit = SubMenuNamed(world.Template().m_hMenuShared, u"&Edit");
    ASSERT_TRUE(edit);
    world.Frame().SendMessage(WM_INITMENUPOPUP, edit.ToWParam(), MAKELPARAM(1, FALSE));
    for (const Row& row : rows) {
        if (row.id != ID_EDIT_COPY && row.id != ID_SHEET_MARK && row.id != ID_SHEET_LOCK) continue;
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ItemEnabled(edit, row.id), row.enabledOnEmptySheet);
    }

    sheet->m_text = u"axis 1";
    world.Idle();
    world.Frame().SendMessage(WM_INITMENUPOPUP, edit.ToWParam(), MAKELPARAM(1, FALSE));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ctrl.IsButtonEnabled(static_cast<int>(row.id)) != FALSE, row.enabledOnFilledSheet);
        if (row.id == ID_EDIT_COPY || row.id == ID_SHEET_LOCK) {
            EXPECT_EQ(ItemEnabled(edit, row.id), row.enabledOnFilledSheet);
        }
    }

    // A disabled menu command is not run even when it is sent.
    world.Frame().SendMessage(WM_COMMAND, ID_SHEET_LOCK, 0);

    // A click on an enabled button runs its command through the frame.
    ClickButton(bar, ID_SHEET_MARK);
    EXPECT_EQ(sheet->m_marks, 1);
    EXPECT_TRUE(sheet->IsModified());
    // A click on a disabled button does nothing.
    sheet->m_text.Empty();
    world.Idle();
    ASSERT_FALSE(ctrl.IsButtonEnabled(static_cast<int>(ID_EDIT_COPY)));
    ClickButton(bar, ID_EDIT_COPY);
    // The arrow of the drop-down button asks the frame for its menu.
    ClickButton(bar, ID_FILE_OPEN, true);
    EXPECT_EQ(world.Frame().m_dropDowns, 1);
}

TEST_F(FrameTest, MenuBarPopupsAreBuiltFromTheMenuWhenTheyOpen)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CSheetDoc* sheet = world.NewSheet();
    ASSERT_NE(sheet, nullptr);
    // The frame shows the sheet's menu; its Edit popup, as it opens, has
    // Copy greyed (the sheet is empty) and Mark enabled.
    const HMENU shown = ::GetMenu(world.Frame().GetSafeHwnd());
    ASSERT_EQ(shown, world.Template().m_hMenuShared);
    CMenu* menu = CMenu::FromHandle(shown);
    ASSERT_GE(menu->GetMenuItemCount(), 3);
    CString name;
    menu->GetMenuString(1, name, MF_BYPOSITION);
    EXPECT_EQ(name, u"&Edit");
    world.Frame().SendMessage(WM_INITMENUPOPUP, ::GetSubMenu(shown, 1).ToWParam(), MAKELPARAM(1, FALSE));
    EXPECT_FALSE(ItemEnabled(::GetSubMenu(shown, 1), ID_EDIT_COPY));
    EXPECT_TRUE(ItemEnabled(::GetSubMenu(shown, 1), ID_SHEET_MARK));
    // Closing the last sheet brings the frame's own menu back.
    ScriptedMessageBox boxes;
    world.FrameOf(sheet)->SendMessage(WM_CLOSE);
    uitest::Pump(10);
    EXPECT_EQ(::GetMenu(world.Frame().GetSafeHwnd()), world.Frame().GetDefaultMenu());
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &press);
}

void ReleaseKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(widget, &release);
}

TEST_F(FrameTest, KeysOfTheActiveSheetBecomeItsCommands)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CSheetDoc* sheet = world.NewSheet();
    ASSERT_NE(sheet, nullptr);
    QWidget* view = platform::ui::WidgetOf(world.FrameOf(sheet)->SheetView()->GetSafeHwnd());
    ASSERT_NE(view, nullptr);
    // Ctrl+M is the sheet template's key for Mark; a plain M is not.
    PressKey(view, Qt::Key_M, Qt::NoModifier, QStringLiteral("m"));
    ReleaseKey(view, Qt::Key_M, Qt::NoModifier);
    uitest::Pump(10);
    EXPECT_EQ(sheet->m_marks, 0);
    PressKey(view, Qt::Key_Control, Qt::ControlModifier);
    PressKey(view, Qt::Key_M, Qt::ControlModifier, QString(QChar(13)));
    ReleaseKey(view, Qt::Key_M, Qt::ControlModifier);
    ReleaseKey(view, Qt::Key_Control, Qt::NoModifier);
    uitest::Pump(10);
    EXPECT_EQ(sheet->m_marks, 1);
    // The frame's own key works from a sheet too: Ctrl+N makes a new sheet.
    PressKey(view, Qt::Key_Control, Qt::ControlModifier);
    PressKey(view, Qt::Key_N, Qt::ControlModifier, QString(QChar(14)));
    ReleaseKey(view, Qt::Key_N, Qt::ControlModifier);
    ReleaseKey(view, Qt::Key_Control, Qt::NoModifier);
    uitest::Pump(10);
    EXPECT_EQ(world.Template().GetDocumentCount(), 2);
}

TEST_F(FrameTest, ClosingAModifiedSheetAsksFirst)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CSheetDoc* first = world.NewSheet();
    CSheetDoc* second = world.NewSheet();
    ASSERT_TRUE(first && second);
    CSheetFrame* frame2 = world.FrameOf(second);
    const HWND frame2Hwnd = frame2->GetSafeHwnd();
    second->m_text = u"changed";
    second->SetModifiedFlag();

    {
        // Cancel keeps the sheet.
        ScriptedMessageBox boxes;
        boxes.Answer(IDCANCEL, u"Sheet2");
        frame2->SendMessage(WM_CLOSE);
        uitest::Pump(10);
        EXPECT_TRUE(::IsWindow(frame2Hwnd));
        EXPECT_EQ(world.Template().GetDocumentCount(), 2);
    }
    {
        // No throws the changes away: the frame and its document go.
        ScriptedMessageBox boxes;
        boxes.Answer(IDNO, u"Sheet2");
        frame2->SendMessage(WM_CLOSE);
        uitest::Pump(10);
        EXPECT_FALSE(::IsWindow(frame2Hwnd));
        EXPECT_EQ(world.Template().GetDocumentCount(), 1);
    }
    const std::vector<CMDIChildWnd*> left = world.Frame().MDIGetChildren();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.front(), world.FrameOf(first));
    // The remaining sheet is active again.
    EXPECT_EQ(world.Frame().MDIGetActive(), world.FrameOf(first));
    EXPECT_EQ(world.Frame().GetActiveDocument(), first);
}

TEST_F(FrameTest, CascadeTileMaximiseAndPlacement)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CSheetDoc* first = world.NewSheet();
    CSheetDoc* second = world.NewSheet();
    ASSERT_TRUE(first && second);
    CSheetFrame* frame1 = world.FrameOf(first);
    CSheetFrame* frame2 = world.FrameOf(second);
    RECT client{};
    ::GetClientRect(world.Frame().m_hWndMDIClient, &client);

    // Tiled vertically, the sheets stand side by side; horizontally, one
    // above the other; each covers its share of the MDI client.
    struct Row {
        const char* name;
        UINT command;
        bool sideBySide;
    };
    const Row rows[] = {{"vertical", ID_WINDOW_TILE_VERT, true}, {"horizontal", ID_WINDOW_TILE_HORZ, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        world.Frame().SendMessage(WM_COMMAND, row.command, 0);
        uitest::Pump(10);
        CRect r1;
        CRect r2;
        frame1->GetWindowRect(&r1);
        frame2->GetWindowRect(&r2);
        if (row.sideBySide) {
            EXPECT_EQ(r1.top, r2.top);
            EXPECT_EQ(r1.right, r2.left);
            EXPECT_NEAR(r1.Width() + r2.Width(), client.right, 1);
        } else {
            EXPECT_EQ(r1.left, r2.left);
            EXPECT_EQ(r1.bottom, r2.top);
            EXPECT_NEAR(r1.Height() + r2.Height(), client.bottom, 1);
        }
    }

    world.Frame().SendMessage(WM_COMMAND, ID_WINDOW_CASCADE, 0);
    uitest::Pump(10);
    CRect c1;
    CRect c2;
    frame1->GetWindowRect(&c1);
    frame2->GetWindowRect(&c2);
    EXPECT_NE(c1.TopLeft(), c2.TopLeft());

    // Maximised: the placement says so and keeps the normal rectangle.
    WINDOWPLACEMENT before;
    ASSERT_TRUE(frame2->GetWindowPlacement(&before));
    EXPECT_EQ(before.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    frame2->MDIMaximize();
    uitest::Pump(10);
    EXPECT_TRUE(frame2->IsZoomed());
    WINDOWPLACEMENT maximised;
    ASSERT_TRUE(frame2->GetWindowPlacement(&maximised));
    EXPECT_EQ(maximised.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(CRect(maximised.rcNormalPosition), CRect(before.rcNormalPosition));
    frame2->MDIRestore();
    uitest::Pump(10);
    EXPECT_FALSE(frame2->IsZoomed());

    // A placement set from the profile's numbers moves and sizes the sheet.
    WINDOWPLACEMENT placed = before;
    placed.rcNormalPosition = RECT{20, 30, 320, 250};
    placed.showCmd = SW_SHOWNORMAL;
    ASSERT_TRUE(frame2->SetWindowPlacement(&placed));
    uitest::Pump(10);
    WINDOWPLACEMENT after;
    frame2->GetWindowPlacement(&after);
    EXPECT_EQ(CRect(after.rcNormalPosition), CRect(20, 30, 320, 250));
}

TEST_F(FrameTest, DroppedFilesReachTheFrame)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    EXPECT_TRUE(world.Frame().GetExStyle() & WS_EX_ACCEPTFILES);
    const CString a = world.Temp().Path("a.sht");
    const CString b = world.Temp().Path("b b.sht");
    ASSERT_TRUE(platform::WriteTextLines(a.GetString(), {CString(u"one")}, CP_UTF8));
    ASSERT_TRUE(platform::WriteTextLines(b.GetString(), {CString(u"two")}, CP_UTF8));

    // A drop as the toolkit delivers it: local files with a place.
    QWidget* widget = platform::ui::WidgetOf(world.Frame().GetSafeHwnd());
    ASSERT_NE(widget, nullptr);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(platform::ui::ToQString(a)), QUrl::fromLocalFile(platform::ui::ToQString(b)),
                  QUrl(QStringLiteral("https://example.invalid/c.sht"))});
    QDragEnterEvent enter(QPoint(40, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(40, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
    uitest::Pump(10);

    // Only the local files come, in order, with the place of the drop.
    ASSERT_EQ(world.Frame().m_dropped.size(), 2u);
    EXPECT_EQ(world.Frame().m_dropped[0], a);
    EXPECT_EQ(world.Frame().m_dropped[1], b);
    EXPECT_EQ(world.Frame().m_dropPoint.x, 40);
    EXPECT_EQ(world.Frame().m_dropPoint.y, 60);
}

TEST_F(FrameTest, DefaultDropOpensEachFileAsASheet)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    const CString a = world.Temp().Path("axis.sht");
    ASSERT_TRUE(platform::WriteTextLines(a.GetString(), {CString(u"stroke 100")}, CP_UTF8));
    const CString missing = world.Temp().Path("missing.sht");
    // A frame that keeps the default opens the files; one that cannot be
    // read opens nothing.
    CFrameWnd* plain = new CFrameWnd;
    ASSERT_TRUE(plain->Create(nullptr, u"Plain", WS_OVERLAPPEDWINDOW, CFrameWnd::rectDefault, nullptr, nullptr,
                              WS_EX_ACCEPTFILES));
    platform::DeliverDroppedFiles(plain->GetSafeHwnd(), {a, missing}, POINT{5, 5});
    uitest::Pump(10);
    ASSERT_EQ(world.Template().GetDocumentCount(), 1);
    POSITION pos = world.Template().GetFirstDocPosition();
    auto* doc = dynamic_cast<CSheetDoc*>(world.Template().GetNextDoc(pos));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_text, u"stroke 100");
    EXPECT_EQ(doc->GetPathName(), a);
    EXPECT_EQ(doc->GetTitle(), u"axis.sht");
    plain->DestroyWindow();
}

TEST_F(FrameTest, PictureOfTheFrame)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    world.Frame().m_labels = true;
    world.Frame().m_iconSize = 24;
    ASSERT_TRUE(world.Frame().BuildToolBar());
    CSheetDoc* first = world.NewSheet();
    CSheetDoc* second = world.NewSheet();
    ASSERT_TRUE(first && second);
    first->m_text = u"Axis 1: 100.00 mm";
    second->m_text = u"Axis 2: 35.50 mm";
    second->m_marks = 1;
    world.Frame().SendMessage(WM_COMMAND, ID_WINDOW_TILE_VERT, 0);
    world.Frame().m_linkText = u"Link: COM3";
    world.Idle();
    uitest::Pump(30);

    const std::string path = uitest::ArtifactFolder("ui") + "/mdi-frame.png";
    ASSERT_TRUE(uitest::DialogDriver(world.Frame().GetSafeHwnd()).Grab(path));
    QImage picture(QString::fromStdString(path));
    ASSERT_FALSE(picture.isNull());
    // The owner-drawn pane shows its colour where the status bar says it is.
    CColorBar& status = world.Frame().m_statusBar;
    EXPECT_GT(status.m_drawn, 0);
    EXPECT_EQ(status.m_lastPane, 1);
    EXPECT_EQ(status.GetPaneText(1), u"Link: COM3");
    CRect pane;
    status.GetItemRect(1, &pane);
    POINT at{pane.left + pane.Width() / 2, pane.top + pane.Height() / 2};
    ::MapWindowPoints(status.GetSafeHwnd(), world.Frame().GetSafeHwnd(), &at, 1);
    EXPECT_EQ(QColor(picture.pixel(at.x, at.y)), QColor(46, 160, 67));
}

}  // namespace
