// The alarm dialog against the emulated controller: the live lists and the
// history as read, saving the history file and opening it again offline, a
// reset that clears the alarms, and a controller that stops answering.
#include "manager/dialogs/tests/CtrlDialogTestSupport.h"

#include "manager/dialogs/DlgAlarm.h"

#include "manager/core/tests/Fixtures.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "tests/support/ui/ScriptedDialogs.h"

#include "platform/ui/FileDialog.h"
#include "platform/ui/ListCtrl.h"

#include <filesystem>

namespace {

using namespace ctrltest;

CString Cell(uitest::DialogDriver& d, int id, int row, int column)
{
    auto* list = static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(id)));
    return list->GetItemText(row, column);
}
int Rows(uitest::DialogDriver& d, int id)
{
    return static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(id)))->GetItemCount();
}

class DlgAlarmTest : public ::testing::Test, protected OnlineController {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open("Q05")) << emulator.LastError();
        Data().FirstParamSet()->K(72) = 2;
        Data().FirstParamSet()->K(20) = 2;
        emu::AlarmRecord first;
        first.code = 0x05;
        first.time = 1501;
        first.position = 12345;
        first.speed = -250;
        first.inputs = 0x00FF;
        Controller().AddRecord(first);
        emu::AlarmRecord second;
        second.code = 0x1A;
        second.time = 59;
        Controller().AddRecord(second);
    }
    void SetSource(CDlgAlarm& dlg)
    {
        dlg.SetOnlineSource(&Data(), manager->GetLink(), manager->GetProtocol(), 1, u"Q05", u"RB-100");
    }

    ScriptedDialogs files;
    testfx::TempDir folder;
};

TEST_F(DlgAlarmTest, ShowsTheControllersAlarmsAndHistorySavesItAndOpensTheFileAgain)
{
    const CString path = folder.File("history.yveka");
    CString saved;
    CDlgAlarm dlg;
    SetSource(dlg);
    Controller().RaiseAlarm(0x02);
    Controller().RaiseWarning(0x21);
    const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        ASSERT_TRUE(PumpUntil([&] { return Rows(d, IDC_ALM_ALARM_LIST) == 1 && Rows(d, IDC_ALM_HISTORY_LIST) >= 3; }));
        EXPECT_EQ(Cell(d, IDC_ALM_ALARM_LIST, 0, 2), CString(u" 2"));
        EXPECT_EQ(Cell(d, IDC_ALM_ALARM_LIST, 0, 3), CString(u"Overvoltage"));
        EXPECT_EQ(Rows(d, IDC_ALM_WARNING_LIST), 1);
        // The history lists the newest record first; the oldest is the last row.
        const int rows = Rows(d, IDC_ALM_HISTORY_LIST);
        EXPECT_EQ(Cell(d, IDC_ALM_HISTORY_LIST, rows - 1, 2), CString(u" 5"));
        EXPECT_EQ(Cell(d, IDC_ALM_HISTORY_LIST, rows - 1, 4), CString(u"1:01:01"));
        EXPECT_EQ(Cell(d, IDC_ALM_HISTORY_LIST, rows - 1, 5), CString(u"123.45"));
        EXPECT_EQ(Cell(d, IDC_ALM_HISTORY_LIST, rows - 1, 6), CString(u"-2.50"));
        EXPECT_EQ(Cell(d, IDC_ALM_HISTORY_LIST, rows - 1, 11), CString(u"00ff"));
        KeepPicture(d.Dialog(), "DlgAlarm-online.en");

        // A new alarm appears within the refresh.
        Controller().RaiseAlarm(0x03);
        EXPECT_TRUE(PumpUntil([&] { return Rows(d, IDC_ALM_ALARM_LIST) == 2; }, 5s));

        // The save dialog may name a file that does not exist yet.
        files.ChooseFile({path});
        boxes.Answer(IDOK, u"saved");
        d.Click(IDC_ALM_SAVE);
        ASSERT_EQ(files.FileRequests().size(), 1u);
        EXPECT_EQ(files.FileRequests()[0].flags & OFN_FILEMUSTEXIST, 0u);
        EXPECT_EQ(files.FileRequests()[0].fileName, CString(u"Alarms - Q05 / RB-100"));

        // Reset clears the alarms on the controller and in the list.
        d.Click(IDC_ALM_RESET);
        EXPECT_TRUE(Controller().Alarms().empty());
        EXPECT_TRUE(PumpUntil([&] { return Rows(d, IDC_ALM_ALARM_LIST) == 0; }, 5s));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_TRUE(std::filesystem::exists(folder.Native("history.yveka")));
    const std::string text = testfx::Slurp(folder.Native("history.yveka"));
    EXPECT_NE(text.find("//CONT="), std::string::npos);
    EXPECT_NE(text.find(" 5\tOverload\t1:01:01\t123.45\t-2.50\t"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n"), std::string::npos);

    CDlgAlarm offline;
    offline.LoadAlarmFile(path);
    uitest::RunModal(offline, [&](uitest::DialogDriver& d) {
        EXPECT_FALSE(d.Visible(IDC_ALM_ALARM_LIST));
        EXPECT_FALSE(d.Visible(IDC_ALM_RESET));
        EXPECT_GE(Rows(d, IDC_ALM_HISTORY_LIST), 2);
        EXPECT_EQ(::GetWindowTextLengthW(d.Dialog()) > 0, true);
        KeepPicture(d.Dialog(), "DlgAlarm-offline.en");
        d.Click(IDCANCEL);
    });
}

TEST_F(DlgAlarmTest, ASaveUnderAnotherExtensionWritesNothing)
{
    CDlgAlarm dlg;
    SetSource(dlg);
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        files.ChooseFile({folder.File("history.txt")});
        boxes.Answer(IDOK, u"extension");
        d.Click(IDC_ALM_SAVE);
        d.Click(IDCANCEL);
    });
    EXPECT_FALSE(std::filesystem::exists(folder.Native("history.txt")));
}

TEST_F(DlgAlarmTest, AControllerThatStopsAnsweringIsToldOnceAndTheDialogStaysUsable)
{
    CDlgAlarm dlg;
    SetSource(dlg);
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        emulator.Script().OnKeyword("ALM", emu::Fault::NoReply(), -1);
        boxes.Answer(IDOK, u"does not answer");
        EXPECT_TRUE(PumpUntil([&] { return dlg.IsRefreshStopped(); }, 10s));
        PumpFor(1500ms);
        EXPECT_EQ(boxes.Shown().size(), 1u) << "told once";
        emulator.Script().Clear();
        emulator.ClearLog();
        d.Click(IDC_ALM_READ_HISTORY);
        EXPECT_GE(Count("@?REC1.1"), 1) << "reading the history still works";
        d.Click(IDCANCEL);
    });
}

TEST_F(DlgAlarmTest, PicturesInJapanese)
{
    // A Japanese program reads its texts in the Japanese code page.
    testfx::AnsiCodePageScope codePage(932);
    uitest::ScopedResources japanese(u"resource", "ja");
    CDlgAlarm dlg;
    SetSource(dlg);
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        ASSERT_TRUE(PumpUntil([&] { return Rows(d, IDC_ALM_HISTORY_LIST) == 2; }));
        KeepPicture(d.Dialog(), "DlgAlarm-online.ja");
        d.Click(IDCANCEL);
    });
}

}  // namespace
