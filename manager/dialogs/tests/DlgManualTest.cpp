// The manual operation panel against the emulated controller, worked as a
// person works it: jog buttons held and let go, inch, teach, start and stop,
// and every failure leaves the panel usable.
#include "manager/dialogs/tests/CtrlDialogTestSupport.h"

#include "manager/dialogs/DlgManual.h"

#include "manager/core/DontShowAgain.h"
#include "resources/manager/ctrldlgs_ids.h"

namespace {

using namespace ctrltest;

class DlgManualTest : public ::testing::Test, protected OnlineController {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open("Q05")) << emulator.LastError();
        Data().FirstParamSet()->K(72) = 2;
        reference = *Data().FirstParamSet();
        ASSERT_TRUE(panel.Create(IDD_MANUAL, &host, &Data(), manager->GetLink(), manager->GetProtocol(), 1,
                                 &reference, &*manager));
        panel.ShowWindow(SW_SHOW);
        uitest::Pump(0);
    }
    void TearDown() override
    {
        pointer.reset();
        panel.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }
    uitest::DialogDriver Driver() { return uitest::DialogDriver(panel.GetSafeHwnd()); }
    HWND Item(int id) { return Driver().Item(id); }
    emu::Motion Motion() { return Controller().CurrentMotion(); }
    bool WaitMotion(emu::Motion m) { return PumpUntil([&] { return Motion() == m; }); }
    bool PanelUsable()
    {
        uitest::DialogDriver d = Driver();
        for (int id : {IDC_MAN_JOG_MINUS, IDC_MAN_JOG_PLUS, IDC_MAN_INCH_MINUS, IDC_MAN_INCH_PLUS, IDC_MAN_START,
                       IDC_MAN_TEACH, IDC_MAN_STOP}) {
            if (!d.Enabled(id)) {
                ADD_FAILURE() << "control " << id << " is disabled";
                return false;
            }
        }
        return !panel.IsJogRunning() && !panel.IsTraceRunning();
    }

    HostWindow host{340, 120};
    RobotParameterSet reference;
    CDlgManual panel;
    std::optional<Pointer> pointer{std::in_place};
};

TEST_F(DlgManualTest, AJogRunsWhileTheButtonIsHeldAndStopsWhenItIsLetGo)
{
    const struct {
        const char* name;
        int id;
        emu::Motion motion;
        const char* command;
    } cases[] = {
        {"JOG+", IDC_MAN_JOG_PLUS, emu::Motion::JogPlus, "@JOG+.1"},
        {"JOG-", IDC_MAN_JOG_MINUS, emu::Motion::JogMinus, "@JOG-.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emulator.ClearLog();
        pointer->Press(Item(c.id));
        ASSERT_TRUE(WaitMotion(c.motion)) << "the axis moves while the button is held";
        EXPECT_EQ(Count(c.command), 1);
        EXPECT_TRUE(Driver().Enabled(IDC_MAN_STOP));
        EXPECT_FALSE(Driver().Enabled(IDC_MAN_INCH_PLUS)) << "nothing else starts while jogging";
        PumpFor(300ms);
        EXPECT_EQ(Motion(), c.motion) << "still held: still moving";
        pointer->Release();
        ASSERT_TRUE(WaitMotion(emu::Motion::None)) << "let go: the axis stops";
        EXPECT_EQ(Count("@STOP.1"), 1);
        ASSERT_TRUE(PumpUntil([&] { return !panel.IsJogRunning(); }));
        EXPECT_TRUE(PanelUsable());
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(DlgManualTest, ReleasingAfterTheControllerEndedTheJogSendsNoStop)
{
    Controller().SetMotionTime(emu::Motion::JogPlus, 150ms);
    pointer->Press(Item(IDC_MAN_JOG_PLUS));
    ASSERT_TRUE(WaitMotion(emu::Motion::JogPlus));
    // Held on, the jog ends at the controller's own limit.
    ASSERT_TRUE(PumpUntil([&] { return !panel.IsJogRunning(); }));
    pointer->Release();
    PumpFor(300ms);
    EXPECT_EQ(Count("@STOP.1"), 0);
    EXPECT_TRUE(PanelUsable());
}

TEST_F(DlgManualTest, APulseTrainControllerShowsTheProgramControlsOnlyFromLevelFive)
{
    TearDown();
    Data().typeText = u"LB";
    CDlgManual lb;
    lb.SetAccessLevel(2);
    ASSERT_TRUE(lb.Create(IDD_MANUAL, &host, &Data(), manager->GetLink(), manager->GetProtocol(), 1, &reference,
                          &*manager));
    lb.ShowWindow(SW_SHOW);
    uitest::DialogDriver d(lb.GetSafeHwnd());
    for (int id : {IDC_MAN_START, IDC_MAN_STOP, IDC_MAN_TEACH, IDC_MAN_K9_EDIT, IDC_MAN_POINT_DISPLAY}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(d.Visible(id));
    }
    EXPECT_TRUE(d.Visible(IDC_MAN_JOG_PLUS));
    lb.SendMessage(UM_MANUAL_ACCESS_LEVEL, 5, 0);
    for (int id : {IDC_MAN_START, IDC_MAN_STOP, IDC_MAN_TEACH, IDC_MAN_K9_EDIT, IDC_MAN_POINT_DISPLAY}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(d.Visible(id));
    }
    lb.DestroyWindow();
}

TEST_F(DlgManualTest, AJogStopsWhenTheButtonLosesTheFocus)
{
    pointer->Press(Item(IDC_MAN_JOG_PLUS));
    ASSERT_TRUE(WaitMotion(emu::Motion::JogPlus));
    // Another control takes the focus while the mouse button is still down.
    // The speed edit stays usable while jogging; it takes the focus while the mouse button is still down.
    CWnd::FromHandle(Item(IDC_MAN_K9_EDIT))->SetFocus();
    ASSERT_TRUE(WaitMotion(emu::Motion::None));
    EXPECT_EQ(Count("@STOP.1"), 1);
    pointer->Release();
    ASSERT_TRUE(PumpUntil([&] { return !panel.IsJogRunning(); }));
    EXPECT_TRUE(PanelUsable());
}

TEST_F(DlgManualTest, ADroppedLinkEndsTheJogAndGivesThePanelBack)
{
    pointer->Press(Item(IDC_MAN_JOG_PLUS));
    ASSERT_TRUE(WaitMotion(emu::Motion::JogPlus));
    boxes.Answer(IDOK, u"=49");
    emulator.DropLink();
    // The panel learns that no end can come on a dropped link.
    ASSERT_TRUE(PumpUntil([&] { return !panel.IsJogRunning(); }));
    pointer->Release();
    EXPECT_TRUE(PanelUsable());
}

TEST_F(DlgManualTest, InchMovesOneStepAndGivesThePanelBack)
{
    Controller().SetParameter(11, 50);
    Data().FirstParamSet()->K(11) = 50;
    const int before = Controller().DValue(0);
    Driver().Click(IDC_MAN_INCH_PLUS);
    EXPECT_EQ(Count("@INCH+.1"), 1);
    ASSERT_TRUE(PumpUntil([&] { return !panel.IsJogRunning(); }));
    EXPECT_EQ(Controller().DValue(0), before + 50);
    EXPECT_TRUE(PanelUsable());
}

TEST_F(DlgManualTest, TeachHandsTheCurrentPositionToThePointTable)
{
    Controller().SetOptionStatus(0x0008);
    Controller().SetDValue(0, 12345);
    StartPolling();
    ASSERT_TRUE(PumpUntil([&] { return CDataManager::GetStatusCells()->Status().d0 == 12345; }));
    panel.SetSelectedPoint(7);
    boxes.Answer(IDOK, u"123.45");
    Driver().Click(IDC_MAN_TEACH);
    ASSERT_EQ(host.CountOf(0x15), 1);
    EXPECT_EQ(host.received.back().second, 12345u);

    // Without the controller's leave to teach, the refusal is shown and nothing is taught.
    Controller().SetOptionStatus(0);
    ASSERT_TRUE(PumpUntil([&] { return CDataManager::GetStatusCells()->Options() == 0; }));
    boxes.Answer(IDOK, u"NG.1=42");
    Driver().Click(IDC_MAN_TEACH);
    EXPECT_EQ(host.CountOf(0x15), 1);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

TEST_F(DlgManualTest, APointProgramStartsAndEscapeStopsIt)
{
    Controller().SetPoint(3, {1, 10000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    Controller().SetMotionTime(emu::Motion::Start, 20000ms);
    panel.SetSelectedPoint(3);
    boxes.Answer(IDOK, u"point program");
    Driver().Click(IDC_MAN_START);
    ASSERT_TRUE(WaitMotion(emu::Motion::Start));
    EXPECT_EQ(Count("@START3.1"), 1);
    EXPECT_TRUE(Driver().Enabled(IDC_MAN_STOP)) << "STOP stays reachable while the program runs";
    EXPECT_EQ(Driver().Focus(), IDC_MAN_STOP);
    EXPECT_FALSE(Driver().Enabled(IDC_MAN_JOG_PLUS));
    Driver().Key(Qt::Key_Escape);
    ASSERT_TRUE(WaitMotion(emu::Motion::None));
    ASSERT_TRUE(PumpUntil([&] { return !panel.IsTraceRunning(); }));
    EXPECT_TRUE(PanelUsable());
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
    EXPECT_EQ(boxes.Shown().size(), 1u) << "a stop the user asked for is no error";

    // The same with the STOP button from the keyboard (Space on the focused button).
    boxes.Answer(IDOK, u"point program");
    Driver().Click(IDC_MAN_START);
    ASSERT_TRUE(WaitMotion(emu::Motion::Start));
    Driver().Key(Qt::Key_Space);
    ASSERT_TRUE(WaitMotion(emu::Motion::None));
    ASSERT_TRUE(PumpUntil([&] { return !panel.IsTraceRunning(); }));
    EXPECT_TRUE(PanelUsable());
}

TEST_F(DlgManualTest, EveryFailedCommandShowsItsOwnErrorAndLeavesThePanelUsable)
{
    Controller().SetPoint(1, {1, 10000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    panel.SetSelectedPoint(1);
    {
        SCOPED_TRACE("INCH refused");
        emulator.Script().OnKeyword("INCH+", emu::Fault::Ng(0x42), 1);
        boxes.Answer(IDOK, u"NG.1=42");
        Driver().Click(IDC_MAN_INCH_PLUS);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        EXPECT_TRUE(PanelUsable());
    }
    {
        SCOPED_TRACE("INCH unanswered");
        emulator.Script().OnKeyword("INCH-", emu::Fault::NoReply(), 1);
        boxes.Answer(IDOK, u"TimeOut");
        Driver().Click(IDC_MAN_INCH_MINUS);
        EXPECT_TRUE(PanelUsable());
    }
    {
        SCOPED_TRACE("START refused");
        emulator.Script().OnKeyword("START", emu::Fault::Ng(0x43), 1);
        boxes.Answer(IDOK, u"point program");
        boxes.Answer(IDOK, u"NG.1=43");
        Driver().Click(IDC_MAN_START);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        EXPECT_TRUE(PanelUsable());
    }
    {
        SCOPED_TRACE("JOG refused");
        emulator.Script().OnKeyword("JOG+", emu::Fault::Ng(0x44), 1);
        boxes.Answer(IDOK, u"NG.1=44");
        pointer->Press(Item(IDC_MAN_JOG_PLUS));
        pointer->Release();
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        EXPECT_TRUE(PanelUsable());
    }
    {
        SCOPED_TRACE("a jog after failures shows no old error");
        const size_t shown = boxes.Shown().size();
        pointer->Press(Item(IDC_MAN_JOG_MINUS));
        ASSERT_TRUE(WaitMotion(emu::Motion::JogMinus));
        pointer->Release();
        ASSERT_TRUE(WaitMotion(emu::Motion::None));
        ASSERT_TRUE(PumpUntil([&] { return !panel.IsJogRunning(); }));
        EXPECT_EQ(boxes.Shown().size(), shown);
        EXPECT_TRUE(PanelUsable());
    }
}

TEST_F(DlgManualTest, SpeedEditsAreHeldToTheirRangesAndWrittenOnConfirmation)
{
    const struct {
        int id;
        const char16_t* typed;
        const char16_t* shown;
    } cases[] = {
        {IDC_MAN_K9_EDIT, u"0", u"1"},      {IDC_MAN_K9_EDIT, u"250", u"100"}, {IDC_MAN_K10_EDIT, u"55", u"55"},
        {IDC_MAN_K11_EDIT, u"5", u"1.00"}, {IDC_MAN_K11_EDIT, u"0", u"0.01"}, {IDC_MAN_K11_EDIT, u"0.5x", u"0.01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CString(c.typed).ToUtf8());
        Driver().Retype(c.id, c.typed);
        ::SetFocus(Item(IDC_MAN_STOP));
        uitest::Pump(0);
        EXPECT_EQ(Driver().Text(c.id), CString(c.shown));
    }
    const auto bold = [&](int id) {
        LOGFONT font{};
        CWnd::FromHandle(Item(id))->GetFont()->GetLogFont(&font);
        return font.lfWeight >= FW_BOLD;
    };
    EXPECT_TRUE(bold(IDC_MAN_K10_EDIT)) << "55 differs from the controller's 50";
    Driver().Retype(IDC_MAN_K10_EDIT, u"50");
    EXPECT_FALSE(bold(IDC_MAN_K10_EDIT)) << "back to the controller's value";
    Driver().Retype(IDC_MAN_K10_EDIT, u"40");
    EXPECT_TRUE(bold(IDC_MAN_K10_EDIT)) << "a value that differs from the controller's is marked";
    ::SetFocus(Item(IDC_MAN_STOP));
    emulator.ClearLog();
    boxes.Answer(IDOK, u"Jog speed");
    Driver().Click(IDC_MAN_K10_WRITE);
    EXPECT_FALSE(bold(IDC_MAN_K10_EDIT)) << "written: the mark goes";
    EXPECT_EQ(Count("@K10.1=40"), 1);
    EXPECT_EQ(Controller().Parameter(10), 40);
    EXPECT_EQ(reference.K(10), 40);
}

TEST_F(DlgManualTest, PicturesInBothLanguages)
{
    KeepPicture(host.GetSafeHwnd(), "DlgManual.en");
    TearDown();
    uitest::ScopedResources japanese(u"resource", "ja");
    HostWindow jaHost{340, 120};
    CDlgManual jaPanel;
    ASSERT_TRUE(jaPanel.Create(IDD_MANUAL, &jaHost, &Data(), manager->GetLink(), manager->GetProtocol(), 1,
                               &reference, &*manager));
    jaPanel.ShowWindow(SW_SHOW);
    KeepPicture(jaHost.GetSafeHwnd(), "DlgManual.ja");
    jaPanel.DestroyWindow();
}

}  // namespace
