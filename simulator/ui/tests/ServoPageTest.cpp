// The servo parameter page worked by hand: values typed and entered, the
// carried mass held at the robot's most, the override marked red above the
// speed the mass allows; with a data file open the robot is fixed: its stroke
// takes no typing and looks it, and values changed from the file's are bold
// on pink.
#include "simulator/ui/tests/SimulatorTestSupport.h"

namespace {

class ServoPageTest : public ::testing::Test, protected simui::Fixture {};

using simui::Background;
using simui::Rgb;

bool Bold(uitest::DialogDriver& page, int id)
{
    LOGFONT font{};
    if (CFont* object = CWnd::FromHandle(page.Item(id))->GetFont()) object->GetLogFont(&font);
    return font.lfWeight >= FW_BOLD;
}

// Types a value into a field and enters it.
void Enter(uitest::DialogDriver& page, int id, std::u16string_view value)
{
    page.Retype(id, value);
    page.Key(Qt::Key_Return);
    uitest::Pump(20);
}

CString LimitText(int percent, double limit)
{
    CString text;
    text.Format(IDS_SPEED_LIMIT, percent, limit);
    return text;
}

TEST_F(ServoPageTest, EnteredValuesAreTakenAndAnOverrideAboveTheMassesLimitIsRed)
{
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        // SA4-L03: 150 mm/s, at most 12 kg, which allow 110 mm/s.
        ASSERT_EQ(d.Text(IDC_ROBOT_COMBO), CString(u"SA4-L03"));
        uitest::DialogDriver page = simui::ServoPage(d);
        EXPECT_EQ(Background(page, IDC_SERVO_OVERRIDE), qRgb(255, 255, 255) & 0xFFFFFF);
        EXPECT_EQ(Background(page, IDC_SERVO_STROKE), qRgb(255, 255, 255) & 0xFFFFFF) << "the stroke may be typed";
        Enter(page, IDC_SERVO_MASS1, u"999");
        EXPECT_EQ(page.Text(IDC_SERVO_MASS1), CString(u"12")) << "no more than the robot carries";
        EXPECT_EQ(page.Text(IDC_SERVO_LIMIT_TEXT), LimitText(73, 110.0));
        EXPECT_EQ(Background(page, IDC_SERVO_OVERRIDE), qRgb(255, 0, 0) & 0xFFFFFF) << "100 % is above 73 %";
        EXPECT_TRUE(d.Grab(simui::PicturePath("servo-page-over-limit", "en")));
        // The run asks first.
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 1);
        simui::EditCell(d, IDC_POINT_GRID, 2, 2, u"100");
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
        CString ask;
        ask.LoadString(IDS_ASK_SPEED_OVER_LIMIT);
        boxes.Answer(IDNO, ask.Left(20).str());
        d.Click(IDC_EXECUTE);
        EXPECT_TRUE(simui::Grid(d, IDC_RESULT_GRID)->GetCellText(1, 0).IsEmpty()) << "No runs nothing";
        // An override the mass allows: no limit to tell, not red.
        Enter(page, IDC_SERVO_OVERRIDE, u"70");
        CString none;
        none.LoadString(IDS_SPEED_LIMIT_NONE);
        EXPECT_EQ(page.Text(IDC_SERVO_LIMIT_TEXT), none);
        EXPECT_EQ(Background(page, IDC_SERVO_OVERRIDE), qRgb(255, 255, 255) & 0xFFFFFF);
        d.Click(IDC_EXECUTE);
        EXPECT_EQ(simui::Grid(d, IDC_RESULT_GRID)->GetCellText(1, 0), CString(u"TOTAL"));
        simui::ExitDiscardingEdits(d, boxes);
    });
}

TEST_F(ServoPageTest, WithAFileOpenTheStrokeIsFixedAndChangedValuesAreBoldOnPink)
{
    dialogs.ChooseFile({dir.File("axis.yvekd")});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        uitest::DialogDriver page = simui::ServoPage(d);
        Enter(page, IDC_SERVO_OVERRIDE, u"70");
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        const CString stroke = page.Text(IDC_SERVO_STROKE);
        page.Retype(IDC_SERVO_STROKE, u"500");
        EXPECT_EQ(page.Text(IDC_SERVO_STROKE), stroke) << "the file's robot keeps its stroke";
        EXPECT_EQ(Background(page, IDC_SERVO_STROKE), Rgb(::GetSysColor(COLOR_BTNFACE))) << "and looks read-only";
        EXPECT_FALSE(Bold(page, IDC_SERVO_OVERRIDE));
        Enter(page, IDC_SERVO_OVERRIDE, u"60");
        EXPECT_TRUE(Bold(page, IDC_SERVO_OVERRIDE)) << "changed from the file's 70";
        EXPECT_EQ(Background(page, IDC_SERVO_OVERRIDE), Rgb(RGB(255, 204, 204)));
        Enter(page, IDC_SERVO_MASS2, u"3");
        EXPECT_TRUE(Bold(page, IDC_SERVO_MASS2));
        EXPECT_EQ(Background(page, IDC_SERVO_MASS2), Rgb(RGB(255, 204, 204)));
        EXPECT_TRUE(d.Grab(simui::PicturePath("servo-page-changed", "en")));
        Enter(page, IDC_SERVO_OVERRIDE, u"70");
        EXPECT_FALSE(Bold(page, IDC_SERVO_OVERRIDE)) << "back to the file's value";
        EXPECT_EQ(Background(page, IDC_SERVO_OVERRIDE), qRgb(255, 255, 255) & 0xFFFFFF);
        // Closed: the stroke is free again.
        boxes.Answer(IDNO, u"");
        simui::Command(d, ID_FILE_CLOSE_DATA);
        EXPECT_EQ(Background(page, IDC_SERVO_STROKE), qRgb(255, 255, 255) & 0xFFFFFF);
        simui::ExitDiscardingEdits(d, boxes);
    });
}

}  // namespace
