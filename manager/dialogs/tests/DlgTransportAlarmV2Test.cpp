#include "manager/dialogs/DlgTransportAlarmV2.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "manager/app/AlarmHistory.h"
#include "resources/manager/transport_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

class DlgTransportAlarmV2Test : public ::testing::TestWithParam<const char*>, public TransportFixture {
protected:
    DlgTransportAlarmV2Test() : TransportFixture(GetParam())
    {
        emu::ControllerModel& c = emulator.AddController(2, "Q10");
        c.SetControllerName("KX-Q10");
        c.SetRobot("SA4-L06");
        c.SetParameter(72, 2);
        emu::AlarmRecord first;
        first.code = 0x21;
        first.time = 1234;
        first.position = 4567;
        c.AddRecord(first);
        emu::AlarmRecord second = first;
        second.code = 0x33;
        second.time = 2000;
        c.AddRecord(second);
    }

    INT_PTR Run(const std::string& path, std::function<void(uitest::DialogDriver&)> after = {})
    {
        CDlgTransportAlarmV2 dlg;
        return RunDialogs(dlg, {[=, this](uitest::DialogDriver& d) {
                                    EXPECT_TRUE(d.Visible(IDC_TRANSPORT_BROWSE));
                                    d.Retype(IDC_TRANSPORT_PATH, W(path.c_str()).view());
                                    ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"COM3");
                                    Picture(d, "transport-alarm");
                                    d.Click(IDOK);
                                    if (after) after(d);
                                },
                                [](uitest::DialogDriver& d) {
                                    ChooseListRow(d, IDC_SERIAL_NODE_LIST, u"02");
                                    d.Click(IDOK);
                                }});
    }
    bool English() const { return Language() == "en"; }
};

TEST_P(DlgTransportAlarmV2Test, TheAlarmHistoryIsReadStraightIntoAFile)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("history.yveka");
    boxes.Answer(IDOK);  // the scan's list
    boxes.Answer(IDOK, English() ? u"history.yveka" : u"history.yveka");
    boxes.Answer(IDOK, English() ? u"The alarm history was saved." : u"アラーム履歴を保存しました");
    ASSERT_EQ(Run(path), IDOK);
    CString text;
    ASSERT_TRUE(LoadAlarmHistoryFile(W(path.c_str()), text));
    const std::vector<AlarmHistoryRow> rows = ParseAlarmHistoryText(text);
    ASSERT_EQ(rows.size(), 2u);
    // The controller lists its newest record first.
    EXPECT_EQ(rows[0].Code(), 0x33);
    EXPECT_EQ(rows[1].Code(), 0x21);
    EXPECT_NE(text.Find(u"KX-Q10"), -1);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

TEST_P(DlgTransportAlarmV2Test, ATimeOutGivesOneMessageAndSavesNothing)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("lost.yveka");
    emulator.Script().OnKeyword("REC", emu::Fault::NoReply(), 1);
    boxes.Answer(IDOK);  // the scan's list
    boxes.Answer(IDOK);  // the question
    boxes.Answer(IDOK, English() ? u"did not answer in time" : u"");
    const INT_PTR result = Run(path, [](uitest::DialogDriver& d) {
        ASSERT_TRUE(StillOpen(d)) << "the dialog stays for another try";
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(boxes.Shown().size(), 3u) << "one message for the time-out, and no success";
    for (const auto& box : boxes.Shown()) EXPECT_EQ(box.text.Find(u"history was saved"), -1);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_P(DlgTransportAlarmV2Test, AFileThatCannotBeWrittenIsNotReportedAsSaved)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("no-such-folder/history.yveka");
    boxes.Answer(IDOK);  // the scan's list
    boxes.Answer(IDOK);  // the question
    boxes.Answer(IDOK, u"history.yveka");
    const INT_PTR result = Run(path, [](uitest::DialogDriver& d) { d.Click(IDCANCEL); });
    EXPECT_EQ(result, IDCANCEL);
    for (const auto& box : boxes.Shown()) EXPECT_EQ(box.text.Find(u"history was saved"), -1);
}

INSTANTIATE_TEST_SUITE_P(Languages, DlgTransportAlarmV2Test, ::testing::Values("en", "ja"));

}  // namespace
