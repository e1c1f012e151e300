// Offline controller windows as a person works with them: a data file
// opened from the menu or dropped on the window, the same file activated
// instead of opened twice (whatever path names it), saved under a new name
// and opened again, and the question before a window with changes closes.
// The panes that edit the data come with their own work: here an edit is
// made in the window's data as a pane makes it.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/ControllerData.h"
#include "manager/core/DataManager.h"
#include "platform/core/File.h"
#include "platform/ui/DropFiles.h"

namespace {

using namespace mgrtest;

class ManagerOfflineTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

ControllerData ReadDataFile(const CString& path)
{
    ControllerDataStore store;
    ControllerDataSlot slot;
    store.AllocControllerData(slot);
    EXPECT_TRUE(store.ReadControllerDataFile(path.GetString(), *slot, true, true, true));
    return *slot;
}

// Opens a file through File > Open data file.
void OpenFromMenu(ManagerWorld& world, const CString& path)
{
    ScriptedDialogs dialogs;
    dialogs.ChooseFile({path});
    world.Command(IDM_OPEN_DATA);
}

ControllerData* WindowData(CChildFrame* child) { return child->Document()->DataManager().GetCurrentController(); }

TEST_F(ManagerOfflineTest, OpenSaveReopenAndTheSameFileIsActivatedNotOpenedTwice)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    const CString path = WriteDataFile(world.Path("press.yvekd"));
    OpenFromMenu(world, path);
    ASSERT_EQ(world.ChildCount(), 1);
    CChildFrame* first = world.Active();
    EXPECT_FALSE(first->IsOnline());
    EXPECT_EQ(first->GetLeftpaneFormView(), nullptr) << "an offline window has no status panel";
    CTreeCtrl& tree = first->GetTreeView()->GetTreeCtrl();
    EXPECT_EQ(tree.GetItemText(tree.GetRootItem()), u"KX-Q05");
    EXPECT_EQ(WindowData(first)->points[0].p, 1000);

    // Again, by the same path and by another path to the same file.
    OpenFromMenu(world, path);
    EXPECT_EQ(world.ChildCount(), 1);
    std::filesystem::create_directories(world.Folder() / "sub");
    OpenFromMenu(world, world.Path("sub/../press.yvekd"));
    EXPECT_EQ(world.ChildCount(), 1) << "another path to the same file activates its window";
    world.App().OpenDataFile(path);
    EXPECT_EQ(world.ChildCount(), 1);

    // Save under a new name: the file on disk holds the window's data, and
    // opening it activates this window.
    WindowData(first)->points[0].p = 2500;
    const CString copy = world.Path("press-copy.yvekd");
    {
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({copy});
        world.Command(IDM_SAVE_AS);
    }
    ASSERT_TRUE(platform::FileExists(copy.GetString()));
    EXPECT_EQ(ReadDataFile(copy).points[0].p, 2500);
    EXPECT_EQ(ReadDataFile(path).points[0].p, 1000) << "the first file is left as it was";
    EXPECT_EQ(first->Document()->GetPathName(), copy);
    OpenFromMenu(world, copy);
    EXPECT_EQ(world.ChildCount(), 1);
    // The first file is no window's any more: it opens anew.
    OpenFromMenu(world, path);
    EXPECT_EQ(world.ChildCount(), 2);
    EXPECT_EQ(WindowData(world.Active())->points[0].p, 1000);
    EXPECT_TRUE(world.Boxes().Shown().empty());
}

TEST_F(ManagerOfflineTest, ClosingAWindowWithChangesAsks)
{
    struct Case {
        const char* name;
        std::function<void(ControllerData&)> edit;
    };
    const Case cases[] = {
        {"a point", [](ControllerData& d) { d.points[0].s = 75; }},
        {"a parameter only", [](ControllerData& d) { d.paramSets[0].K(10) = 321; }},
        {"the user's text", [](ControllerData& d) { d.user = u"Line B"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ManagerWorld world;
        ASSERT_TRUE(world.Start());
        const CString path = WriteDataFile(world.Path("edit.yvekd"));
        OpenFromMenu(world, path);
        ASSERT_EQ(world.ChildCount(), 1);
        CChildFrame* child = world.Active();
        c.edit(*WindowData(child));

        // Cancel keeps the window and its edit.
        world.Boxes().Answer(IDCANCEL, u"have changed");
        world.Command(IDM_CLOSE_WINDOW);
        ASSERT_EQ(world.ChildCount(), 1);
        // Yes saves, then closes.
        world.Boxes().Answer(IDYES, u"have changed");
        world.Command(IDM_CLOSE_WINDOW);
        EXPECT_EQ(world.ChildCount(), 0);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
        // The file holds the edit: opened again, the window shows it.
        OpenFromMenu(world, path);
        ASSERT_EQ(world.ChildCount(), 1);
        const ControllerData reopened = *WindowData(world.Active());
        ControllerData edited = reopened;
        c.edit(edited);
        EXPECT_EQ(edited, reopened) << "the edit was saved";
        // No changes: the window closes without a question.
        world.Command(IDM_CLOSE_WINDOW);
        EXPECT_EQ(world.ChildCount(), 0);
    }
}

TEST_F(ManagerOfflineTest, NoThrowsAwayTheChangesAndAPlacementIsKeptOnlyForAWindowThatCloses)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    const CString path = WriteDataFile(world.Path("keep.yvekd"));
    OpenFromMenu(world, path);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    WindowData(child)->points[0].p = 4242;
    const ChildWindowPlacement before = world.App().Settings()->LoadChildWindowPlacement();
    child->MoveWindow(10, 10, 500, 400);
    world.Boxes().Answer(IDCANCEL, u"have changed");
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.App().Settings()->LoadChildWindowPlacement(), before) << "a refused close stores nothing";
    world.Boxes().Answer(IDNO, u"have changed");
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.ChildCount(), 0);
    EXPECT_EQ(ReadDataFile(path).points[0].p, 1000) << "No leaves the file as it was";
    const ChildWindowPlacement after = world.App().Settings()->LoadChildWindowPlacement();
    EXPECT_EQ(after.right - after.left, 500);
    EXPECT_EQ(after.bottom - after.top, 400);
}

TEST_F(ManagerOfflineTest, DroppedFilesOpenOnlyDataFilesAndTheSameOneOnce)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    const CString data = WriteDataFile(world.Path("dropped.yvekd"));
    const CString text = world.Path("notes.txt");
    std::ofstream(world.Folder() / "notes.txt") << "not controller data\n";
    platform::DeliverDroppedFiles(world.FrameHwnd(), {data, text}, POINT{50, 50});
    uitest::Pump(20);
    EXPECT_EQ(world.ChildCount(), 1);
    platform::DeliverDroppedFiles(world.FrameHwnd(), {data}, POINT{50, 50});
    uitest::Pump(20);
    EXPECT_EQ(world.ChildCount(), 1) << "the same file activates its window";
    EXPECT_TRUE(world.Boxes().Shown().empty()) << "the text file is skipped without a message";
}

TEST_F(ManagerOfflineTest, AFileThatCannotBeReadLeavesNoWindow)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    std::filesystem::create_directories(world.Folder() / "folder.yvekd");
    world.Boxes().Answer(IDOK, u"");
    OpenFromMenu(world, world.Path("folder.yvekd"));
    EXPECT_EQ(world.ChildCount(), 0);
    EXPECT_EQ(world.App().Registry().Count(), 0);
    EXPECT_TRUE(world.Enabled(IDM_OPEN_DATA)) << "the frame is idle again";
}

TEST_F(ManagerOfflineTest, AFileWithoutItsIdentityOpensAndSaysWhatItLacks)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    std::ofstream(world.Folder() / "bare.yvekd") << "this is no controller data\n";
    world.Boxes().Answer(IDOK, u"lacks");
    OpenFromMenu(world, world.Path("bare.yvekd"));
    EXPECT_EQ(world.ChildCount(), 1);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
}

}  // namespace
