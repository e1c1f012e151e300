// Documents in the MDI program: the modified flag and the questions it
// brings, saving under a name, a save that cannot write, opening a file
// twice, and the recent-file list in the profile and in the menu.
#include "platform/ui/tests/FrameTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/ui/ScriptedDialogs.h"

namespace {

using namespace frametest;

class DocumentTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

std::vector<CString> Lines(const CString& path)
{
    std::vector<CString> lines;
    platform::ReadTextLines(path.GetString(), lines, CP_UTF8);
    return lines;
}

TEST_F(DocumentTest, ModifiedFlagDecidesWhetherClosingAsks)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CSheetDoc* sheet = world.NewSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheet->IsModified());
    // An unmodified document closes without a question.
    {
        ScriptedMessageBox boxes;
        EXPECT_TRUE(sheet->SaveModified());
        EXPECT_TRUE(boxes.Shown().empty());
    }
    world.FrameOf(sheet)->SendMessage(WM_COMMAND, ID_SHEET_MARK, 0);
    EXPECT_TRUE(sheet->IsModified());
    // Yes saves: the name is asked for (the sheet has none yet), the file is
    // written, the flag cleared, the path and title taken from the file.
    const CString path = world.Temp().Path("axis.sht");
    sheet->m_text = u"stroke 250";
    ScriptedMessageBox boxes;
    boxes.Answer(IDYES, u"Save changes to Sheet1");
    ScriptedDialogs dialogs;
    dialogs.ChooseFile({path});
    EXPECT_TRUE(sheet->SaveModified());
    EXPECT_FALSE(sheet->IsModified());
    EXPECT_EQ(sheet->GetPathName(), path);
    EXPECT_EQ(sheet->GetTitle(), u"axis.sht");
    EXPECT_EQ(Lines(path), std::vector<CString>{CString(u"stroke 250")});
    ASSERT_EQ(dialogs.FileRequests().size(), 1u);
    EXPECT_FALSE(dialogs.FileRequests().front().open);
    EXPECT_EQ(dialogs.FileRequests().front().defaultExtension, u"sht");
    // The saved file is the newest recent file.
    ASSERT_TRUE(world.App().m_pRecentFileList);
    EXPECT_EQ((*world.App().m_pRecentFileList)[0], path);
    // The child frame's caption follows the new title.
    world.Idle();
    CString caption;
    world.FrameOf(sheet)->GetWindowText(caption);
    EXPECT_EQ(caption, u"axis.sht");
}

TEST_F(DocumentTest, SaveToTheKnownPathAsksNothing)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    const CString path = world.Temp().Path("known.sht");
    ASSERT_TRUE(platform::WriteTextLines(path.GetString(), {CString(u"old")}, CP_UTF8));
    auto* sheet = dynamic_cast<CSheetDoc*>(world.App().OpenDocumentFile(path.GetString()));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->m_text, u"old");
    sheet->m_text = u"new";
    sheet->SetModifiedFlag();
    ScriptedDialogs dialogs;
    world.Frame().SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
    EXPECT_TRUE(dialogs.FileRequests().empty());
    EXPECT_FALSE(sheet->IsModified());
    EXPECT_EQ(Lines(path), std::vector<CString>{CString(u"new")});
}

TEST_F(DocumentTest, ASaveThatWritesNothingIsNotASuccess)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    auto* scratch = new CMultiDocTemplate(IDR_SHEET, RUNTIME_CLASS(CScratchDoc), RUNTIME_CLASS(CSheetFrame),
                                          RUNTIME_CLASS(CSheetView));
    world.App().AddDocTemplate(scratch);
    CDocument* doc = scratch->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    doc->SetModifiedFlag();
    const CString path = world.Temp().Path("scratch.sht");
    ScriptedMessageBox boxes;
    boxes.Answer(IDOK, u"Failed to save");
    ScriptedDialogs dialogs;
    dialogs.ChooseFile({path});
    EXPECT_FALSE(doc->DoSave(nullptr));
    // Nothing claims the file: the document stays modified and nameless.
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(doc->GetPathName().IsEmpty());
    EXPECT_FALSE(platform::FileExists(path.GetString()));
    EXPECT_TRUE((*world.App().m_pRecentFileList)[0].IsEmpty());
    doc->SetModifiedFlag(FALSE);
}

TEST_F(DocumentTest, OpeningAnOpenFileActivatesItsWindow)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    const CString a = world.Temp().Path("a.sht");
    const CString b = world.Temp().Path("b.sht");
    ASSERT_TRUE(platform::WriteTextLines(a.GetString(), {CString(u"A")}, CP_UTF8));
    ASSERT_TRUE(platform::WriteTextLines(b.GetString(), {CString(u"B")}, CP_UTF8));
    CDocument* docA = world.App().OpenDocumentFile(a.GetString());
    CDocument* docB = world.App().OpenDocumentFile(b.GetString());
    ASSERT_TRUE(docA && docB);
    EXPECT_EQ(world.Frame().GetActiveDocument(), docB);
    EXPECT_EQ(world.App().OpenDocumentFile(a.GetString()), docA);
    uitest::Pump(10);
    EXPECT_EQ(world.Template().GetDocumentCount(), 2);
    EXPECT_EQ(world.Frame().GetActiveDocument(), docA);
    // A file that cannot be read opens no window and leaves no document.
    EXPECT_EQ(world.App().OpenDocumentFile(world.Temp().Path("none.sht").GetString()), nullptr);
    EXPECT_EQ(world.Template().GetDocumentCount(), 2);
    EXPECT_EQ(world.Frame().MDIGetChildren().size(), 2u);
}

TEST_F(DocumentTest, ClosingTheMainFrameAsksForEachModifiedSheet)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CSheetDoc* first = world.NewSheet();
    CSheetDoc* second = world.NewSheet();
    ASSERT_TRUE(first && second);
    first->SetModifiedFlag();
    second->SetModifiedFlag();
    const HWND frame = world.Frame().GetSafeHwnd();
    {
        // Cancel on the second keeps everything open.
        ScriptedMessageBox boxes;
        boxes.Answer(IDNO, u"Sheet1").Answer(IDCANCEL, u"Sheet2");
        world.Frame().SendMessage(WM_CLOSE);
        EXPECT_TRUE(::IsWindow(frame));
        EXPECT_EQ(world.Template().GetDocumentCount(), 2);
    }
    ScriptedMessageBox boxes;
    boxes.Answer(IDNO, u"Sheet1").Answer(IDNO, u"Sheet2");
    world.Frame().SendMessage(WM_CLOSE);
    uitest::Pump(10);
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_EQ(world.Template().GetDocumentCount(), 0);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

TEST_F(DocumentTest, RecentFileListKeepsTheNewestFirst)
{
    struct Row {
        const char* name;
        std::vector<const char16_t*> added;
        std::vector<const char16_t*> expected;
    };
    const Row rows[] = {
        {"in order", {u"/a", u"/b", u"/c"}, {u"/c", u"/b", u"/a", u""}},
        {"again moves up", {u"/a", u"/b", u"/c", u"/a"}, {u"/a", u"/c", u"/b", u""}},
        {"full drops the oldest", {u"/a", u"/b", u"/c", u"/d", u"/e"}, {u"/e", u"/d", u"/c", u"/b"}},
        {"empty is ignored", {u"/a", u""}, {u"/a", u"", u"", u""}},
        {"paths differ by case", {u"/a", u"/A"}, {u"/A", u"/a", u"", u""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CRecentFileList list(0, u"Recent File List", u"File%d", 4);
        for (const char16_t* path : row.added) list.Add(path);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(list[i], row.expected[static_cast<std::size_t>(i)]);
    }
}

TEST_F(DocumentTest, RecentFilesLiveInTheProfileAndTheMenu)
{
    FrameWorld world;
    ASSERT_TRUE(world.Ready());
    CRecentFileList& list = *world.App().m_pRecentFileList;
    const CString a = world.Temp().Path("first.sht");
    const CString b = world.Temp().Path("second & third.sht");
    ASSERT_TRUE(platform::WriteTextLines(a.GetString(), {CString(u"1")}, CP_UTF8));
    list.Add(a.GetString());
    list.Add(b.GetString());
    list.WriteList();
    EXPECT_EQ(world.App().GetProfileString(u"Recent File List", u"File1"), b);
    EXPECT_EQ(world.App().GetProfileString(u"Recent File List", u"File2"), a);
    CRecentFileList reread(0, u"Recent File List", u"File%d", 4);
    reread.ReadList();
    EXPECT_EQ(reread[0], b);
    EXPECT_EQ(reread[1], a);

    // The File menu shows one numbered item per file in place of the
    // placeholder; ampersands in names are kept as text.
    const HMENU file = ::GetSubMenu(world.Frame().GetDefaultMenu(), 0);
    world.Frame().SendMessage(WM_INITMENUPOPUP, file.ToWParam(), MAKELPARAM(0, FALSE));
    CString text;
    CMenu::FromHandle(file)->GetMenuString(ID_FILE_MRU_FILE1, text, MF_BYCOMMAND);
    EXPECT_EQ(text, u"&1 second && third.sht");
    CMenu::FromHandle(file)->GetMenuString(ID_FILE_MRU_FILE1 + 1, text, MF_BYCOMMAND);
    EXPECT_EQ(text, u"&2 first.sht");
    EXPECT_EQ(::GetMenuItemCount(file), 7);
    // Opening the menu again does not add the items twice.
    world.Frame().SendMessage(WM_INITMENUPOPUP, file.ToWParam(), MAKELPARAM(0, FALSE));
    EXPECT_EQ(::GetMenuItemCount(file), 7);

    // A recent file that is gone leaves the list; one that is there opens.
    world.Frame().SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1, 0);
    EXPECT_EQ(list[0], a);
    EXPECT_EQ(world.Template().GetDocumentCount(), 0);
    world.Frame().SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1, 0);
    uitest::Pump(10);
    ASSERT_EQ(world.Template().GetDocumentCount(), 1);
    POSITION pos = world.Template().GetFirstDocPosition();
    EXPECT_EQ(world.Template().GetNextDoc(pos)->GetPathName(), a);

    // An emptied list leaves the placeholder greyed.
    list.Remove(0);
    world.Frame().SendMessage(WM_INITMENUPOPUP, file.ToWParam(), MAKELPARAM(0, FALSE));
    EXPECT_EQ(::GetMenuItemCount(file), 6);
    CMenu::FromHandle(file)->GetMenuString(ID_FILE_MRU_FILE1, text, MF_BYCOMMAND);
    EXPECT_EQ(text, u"Recent File");
    EXPECT_TRUE(::GetMenuState(file, ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
