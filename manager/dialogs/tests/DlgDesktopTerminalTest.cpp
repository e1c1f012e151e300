// The desktop terminal against the emulated controller: origin return with
// its end and its failures, servo, brake, reset and stop, and what closing
// and re-targeting do.
#include "manager/dialogs/tests/CtrlDialogTestSupport.h"

#include "manager/dialogs/DlgDesktopTerminal.h"

#include "manager/core/DontShowAgain.h"
#include "platform/ui/Button.h"
#include "resources/manager/ctrldlgs_ids.h"

namespace {

using namespace ctrltest;

class DlgDesktopTerminalTest : public ::testing::Test, protected OnlineController {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open("Q05")) << emulator.LastError();
        Data().FirstParamSet()->K(20) = 2;
        StartPolling();
        terminal = CDlgDesktopTerminal::CreateFor(host.GetSafeHwnd());
        ASSERT_TRUE(terminal);
        terminal->SetController(u"Q05", u"RB-100 / node 1", &Data(), manager->GetLink(), manager->GetProtocol(), 1,
                                true);
        terminal->SetMode(2);
        terminal->Show();
        uitest::Pump(0);
    }
    void TearDown() override
    {
        terminal.reset();
        uitest::FlushDeletedWidgets();
    }
    uitest::DialogDriver Driver() { return uitest::DialogDriver(terminal->GetSafeHwnd()); }
    bool Options(std::function<bool(DWORD)> test)
    {
        return PumpUntil([&] { return test(CDataManager::GetStatusCells()->Options()); });
    }

    HostWindow host;
    std::unique_ptr<CDlgDesktopTerminal> terminal;
};

TEST_F(DlgDesktopTerminalTest, OriginReturnRunsToItsEndWithCloseGreyedMeanwhile)
{
    Controller().SetMotionTime(emu::Motion::Origin, 600ms);
    Controller().SetDValue(17, 3);
    boxes.Answer(IDOK, u"origin");
    Driver().Click(IDC_DT_ORIGIN);
    ASSERT_EQ(Controller().CurrentMotion(), emu::Motion::Origin);
    EXPECT_FALSE(terminal->IsCloseEnabled());
    EXPECT_EQ(terminal->GetBusy(), 1);
    // Closing while the return runs does nothing.
    terminal->SendMessage(WM_CLOSE);
    EXPECT_TRUE(terminal->IsWindowVisible());
    EXPECT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_STOP); }));
    boxes.Answer(IDOK, u"has ended");
    ASSERT_TRUE(PumpUntil([&] { return terminal->IsCloseEnabled(); }));
    EXPECT_EQ(terminal->GetBusy(), 0);
    EXPECT_EQ(Count("@?D17.1"), 1);
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_ORIGIN); }));
    KeepPicture(terminal->GetSafeHwnd(), "DlgDesktopTerminal.en");
}

TEST_F(DlgDesktopTerminalTest, EveryFailedOriginReturnEndsTheBusyStateAndGivesCloseBack)
{
    const struct {
        const char* name;
        emu::Fault fault;
        const char16_t* shown;
    } cases[] = {
        {"refused", emu::Fault::Ng(0x45), u"NG.1=45"},
        {"unanswered", emu::Fault::NoReply(), u"TimeOut"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emulator.Script().OnKeyword("ORG", c.fault, 1);
        boxes.Answer(IDOK, u"origin");
        boxes.Answer(IDOK, c.shown);
        Driver().Click(IDC_DT_ORIGIN);
        EXPECT_TRUE(terminal->IsCloseEnabled());
        EXPECT_EQ(terminal->GetBusy(), 0);
        EXPECT_TRUE(Driver().Enabled(IDC_DT_ORIGIN));
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
    }
}

TEST_F(DlgDesktopTerminalTest, ServoBrakeResetAndStopReachTheController)
{
    ASSERT_TRUE(Options([](DWORD o) { return (o & 0x0800) != 0; }));
    ASSERT_TRUE(PumpUntil([&] { return Driver().Text(IDC_DT_SERVO) == CString(u"Servo OFF"); }));
    EXPECT_FALSE(Driver().Enabled(IDC_DT_BRAKE)) << "no brake while the servo is on";

    Driver().Click(IDC_DT_SERVO);
    EXPECT_FALSE(Controller().ServoOn());
    ASSERT_TRUE(PumpUntil([&] { return Driver().Text(IDC_DT_SERVO) == CString(u"Servo ON"); }));
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_BRAKE); }));

    Driver().Click(IDC_DT_BRAKE);
    EXPECT_TRUE(Controller().BrakeOn());
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_BRAKE); }));
    boxes.Answer(IDOK, u"brake");
    Driver().Click(IDC_DT_BRAKE);
    EXPECT_FALSE(Controller().BrakeOn());

    Controller().RaiseAlarm(0x05);
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_RESET); }));
    Driver().Click(IDC_DT_RESET);
    EXPECT_TRUE(Controller().Alarms().empty());

    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_SERVO); }));
    Driver().Click(IDC_DT_SERVO);
    ASSERT_TRUE(Controller().ServoOn());
    Controller().SetMotionTime(emu::Motion::Origin, 20000ms);
    boxes.Answer(IDOK, u"origin");
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_ORIGIN); }));
    Driver().Click(IDC_DT_ORIGIN);
    ASSERT_EQ(Controller().CurrentMotion(), emu::Motion::Origin);
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_STOP); }));
    Driver().Click(IDC_DT_STOP);
    EXPECT_TRUE(PumpUntil([&] { return Controller().CurrentMotion() == emu::Motion::None; }));
    EXPECT_TRUE(PumpUntil([&] { return terminal->IsCloseEnabled(); }));
}

// Where the field bus switches the servo (K31 1 with the bus interface K80 1
// or a pulse-train model) the panel refuses, unless the controller is in a
// mode of its own (2 or 6); everywhere else the servo command goes out.
TEST_F(DlgDesktopTerminalTest, TheServoIsRefusedWhereTheFieldBusSwitchesIt)
{
    const struct {
        const char* name;
        int k31;
        int k80;
        const char16_t* type;
        int mode;
        bool refused;
    } cases[] = {
        {"field bus, stopped", 1, 1, u"Q05", 0, true},
        {"field bus, run mode 4", 1, 1, u"Q05", 4, true},
        {"pulse train, stopped", 1, 0, u"LB", 0, true},
        {"field bus, mode 2", 1, 1, u"Q05", 2, false},
        {"pulse train, mode 6", 1, 0, u"LB", 6, false},
        {"servo not by the bus", 0, 1, u"Q05", 0, false},
        {"no bus interface", 1, 0, u"Q05", 0, false},
    };
    const auto servoCommands = [&] {
        int n = 0;
        for (const std::string& line : emulator.ReceivedCommands()) n += line.rfind("@SRVO", 0) == 0;
        return n;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RobotParameterSet& set = *Data().FirstParamSet();
        set.K(31) = c.k31;
        set.K(80) = c.k80;
        set.K(20) = c.mode;
        Data().typeText = c.type;
        terminal->SetMode(c.mode);
        ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_SERVO); }));
        const bool servoWasOn = Controller().ServoOn();
        emulator.ClearLog();
        if (c.refused) boxes.Answer(IDOK, u"field bus");
        Driver().Click(IDC_DT_SERVO);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        EXPECT_EQ(servoCommands(), c.refused ? 0 : 1);
        EXPECT_EQ(Controller().ServoOn(), c.refused ? servoWasOn : !servoWasOn);
        // The panel shows the servo's new state before the next case.
        const CString next = Controller().ServoOn() ? u"Servo OFF" : u"Servo ON";
        EXPECT_TRUE(PumpUntil([&] { return Driver().Text(IDC_DT_SERVO) == next && Driver().Enabled(IDC_DT_SERVO); }));
    }
    EXPECT_EQ(boxes.Shown().size(), 3u) << "one refusal each, nothing else";
}

// A servo command whose status bits never change (the drive's power is cut)
// holds servo and brake back for six watch cycles, then gives them back.
TEST_F(DlgDesktopTerminalTest, AServoCommandThatChangesNothingGivesTheButtonsBackAfterSixCycles)
{
    ASSERT_TRUE(Options([](DWORD o) { return (o & 0x0800) != 0; })) << "servo on";
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_SERVO); }));
    Controller().SetServoHeld(true);
    emulator.ClearLog();
    Driver().Click(IDC_DT_SERVO);
    EXPECT_EQ(Count("@SRVO0.1"), 1);
    EXPECT_TRUE(Controller().ServoOn()) << "the drive did not follow";
    EXPECT_FALSE(Driver().Enabled(IDC_DT_SERVO));
    EXPECT_FALSE(Driver().Enabled(IDC_DT_BRAKE));
    // Six cycles of 200 ms: still held back well into them.
    PumpFor(600ms);
    EXPECT_FALSE(Driver().Enabled(IDC_DT_SERVO)) << "the wait holds";
    EXPECT_TRUE(Driver().Enabled(IDC_DT_ORIGIN)) << "only servo and brake wait";
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_SERVO); })) << "and ends by itself";
    EXPECT_FALSE(Driver().Enabled(IDC_DT_BRAKE)) << "no brake while the servo is on";
    EXPECT_EQ(Count("@SRVO0.1"), 1) << "nothing was sent again";
}

// Every button carries its icon beside its text; the servo's and the
// brake's icons follow the controller's state and come back the same.
TEST_F(DlgDesktopTerminalTest, TheButtonsShowTheirIconsAndServoAndBrakeIconsFollowTheState)
{
    auto icon = [&](int button) { return HICON::FromLParam(::SendDlgItemMessageW(terminal->GetSafeHwnd(), button, BM_GETIMAGE, IMAGE_ICON, 0)); };
    for (int button : {IDC_DT_ORIGIN, IDC_DT_SERVO, IDC_DT_BRAKE, IDC_DT_RESET, IDC_DT_STOP}) {
        SCOPED_TRACE(button);
        EXPECT_TRUE(icon(button)) << "the button shows an icon";
    }
    EXPECT_NE(icon(IDC_DT_STOP), icon(IDC_DT_RESET));
    ASSERT_TRUE(PumpUntil([&] { return Driver().Text(IDC_DT_SERVO) == CString(u"Servo OFF"); }));
    const HICON servoOn = icon(IDC_DT_SERVO);
    const HICON brakeWhileServoOn = icon(IDC_DT_BRAKE);

    Driver().Click(IDC_DT_SERVO);
    ASSERT_TRUE(PumpUntil([&] { return Driver().Text(IDC_DT_SERVO) == CString(u"Servo ON"); }));
    const HICON servoOff = icon(IDC_DT_SERVO);
    EXPECT_TRUE(servoOff);
    EXPECT_NE(servoOff, servoOn) << "the servo's icon shows its state";

    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_BRAKE); }));
    const bool brakeWasOn = Controller().BrakeOn();
    if (brakeWasOn) boxes.Answer(IDOK, u"brake");
    Driver().Click(IDC_DT_BRAKE);
    ASSERT_NE(Controller().BrakeOn(), brakeWasOn);
    ASSERT_TRUE(PumpUntil([&] { return icon(IDC_DT_BRAKE) != brakeWhileServoOn; })) << "the brake's icon shows its state";
    EXPECT_TRUE(icon(IDC_DT_BRAKE));

    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_SERVO); }));
    Driver().Click(IDC_DT_SERVO);
    ASSERT_TRUE(PumpUntil([&] { return Driver().Text(IDC_DT_SERVO) == CString(u"Servo OFF"); }));
    EXPECT_EQ(icon(IDC_DT_SERVO), servoOn) << "the same icon again, none loaded anew";
}

// STOP during an origin return ends it without an error box, whether the
// controller's NG for the stopped return comes on an idle line or lands in the
// middle of the status poll's next command. That NG is the return's alone: the
// poll's command is not refused by it and the poll goes on reading.
TEST_F(DlgDesktopTerminalTest, AStoppedReturnEndsQuietlyWhereverItsNgLands)
{
    ASSERT_TRUE(Options([](DWORD o) { return (o & 0x0800) != 0; })) << "servo on";
    Controller().SetMotionTime(emu::Motion::Origin, 20000ms);
    const struct {
        const char* name;
        bool held;
        int32_t position;
    } cases[] = {
        {"NG on an idle line", false, 1111},
        {"NG inside the poll's next command", true, 2222},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t shownBefore = boxes.Shown().size();
        boxes.Answer(IDOK, u"origin");
        ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_ORIGIN); }));
        Driver().Click(IDC_DT_ORIGIN);
        ASSERT_EQ(Controller().CurrentMotion(), emu::Motion::Origin);
        emulator.Line().HoldUnsolicitedForNextLine(c.held);
        ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_STOP); }));
        Driver().Click(IDC_DT_STOP);
        EXPECT_TRUE(PumpUntil([&] { return Controller().CurrentMotion() == emu::Motion::None; }));
        EXPECT_TRUE(PumpUntil([&] { return terminal->IsCloseEnabled(); }));
        emulator.Line().HoldUnsolicitedForNextLine(false);
        EXPECT_EQ(terminal->GetBusy(), 0);
        // The poll still reads the controller.
        Controller().SetDValue(0, c.position);
        EXPECT_TRUE(PumpUntil([&] { return CDataManager::GetStatusCells()->Status().d0 == c.position; }));
        EXPECT_EQ(boxes.Shown().size(), shownBefore + 1) << "only the origin question";
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
    }
}

TEST_F(DlgDesktopTerminalTest, ClosingHidesAndAnOfflineControllerDisablesEverything)
{
    terminal->SendMessage(WM_CLOSE);
    EXPECT_FALSE(terminal->IsWindowVisible());
    terminal->SetController(u"Q05", u"offline data", &Data(), nullptr, nullptr, 1, false);
    terminal->Show();
    for (int id : {IDC_DT_ORIGIN, IDC_DT_SERVO, IDC_DT_BRAKE, IDC_DT_RESET, IDC_DT_STOP}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(Driver().Enabled(id));
    }
    EXPECT_EQ(Driver().Text(IDC_DT_TEXT), CString(u"offline data"));
}

TEST_F(DlgDesktopTerminalTest, InARunModeNothingCanBeOperatedFromThePanel)
{
    const struct {
        int mode;
        bool stopped;
        bool operable;
    } cases[] = {{1, false, false}, {5, false, false}, {0, true, true}, {4, true, true}, {2, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(terminal->SetMode(c.mode), c.stopped);
        PumpFor(300ms);  // the watch has had its say
        EXPECT_EQ(Driver().Enabled(IDC_DT_ORIGIN), c.operable);
        EXPECT_EQ(Driver().Enabled(IDC_DT_RESET), c.operable);
    }
}

TEST_F(DlgDesktopTerminalTest, PictureInJapanese)
{
    terminal.reset();
    uitest::ScopedResources japanese(u"resource", "ja");
    terminal = CDlgDesktopTerminal::CreateFor(host.GetSafeHwnd());
    terminal->SetController(u"Q05", u"RB-100 / ノード 1", &Data(), manager->GetLink(), manager->GetProtocol(), 1, true);
    terminal->Show();
    ASSERT_TRUE(PumpUntil([&] { return Driver().Enabled(IDC_DT_ORIGIN); }));
    KeepPicture(terminal->GetSafeHwnd(), "DlgDesktopTerminal.ja");
}

}  // namespace
