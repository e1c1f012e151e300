// Pictures of the manager for a person to look at, in both languages: the
// online connection dialog, and the main window with an online controller
// window (tree and status panel) beside an offline one.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/ControllerData.h"
#include "platform/ui/FrameIds.h"
#include "tests/support/emulator/Emulator.h"

namespace {

using namespace mgrtest;

class ManagerPicturesTest : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

TEST_P(ManagerPicturesTest, MainWindowWithAnOnlineAndAnOfflineControllerWindow)
{
    const std::string language = GetParam();
    emu::Emulator emulator;
    emu::ControllerModel& c = emulator.AddController(1, "Q05");
    c.SetControllerName("KX-Q05");
    c.SetRobot("SA4-L06");
    c.SetDValue(0, 12345);
    c.SetOptionStatus(0x0800);
    ASSERT_FALSE(emulator.ServePty().empty());

    ManagerWorld world(language.c_str());
    world.MapPorts({{2, emulator.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Frame().MoveWindow(0, 0, 1100, 720);
    uitest::Pump(20);

    const HWND frameHwnd = world.FrameHwnd();
    world.Boxes().Answer(IDOK);
    uitest::RunModal([&] {
        world.Command(IDM_NEW_ONLINE);
        return INT_PTR(IDOK);
    },
    [&] {
        const HWND active = ::GetActiveWindow();
        return active != frameHwnd ? active : HWND();
    },
    [&](uitest::DialogDriver& d) {
        d.ChooseComboEntry(IDC_ONLINE_PORT, u"COM2");
        uitest::Pump(30);
        EXPECT_TRUE(d.Grab(uitest::ArtifactFolder("manager") + "/online-connect-" + language + ".png"));
        d.Click(IDOK);
    });
    ASSERT_EQ(world.ChildCount(), 1);

    ControllerDataStore store;
    ControllerDataSlot slot;
    store.AllocControllerData(slot);
    slot->controller = u"KX-LA";
    slot->robot = u"SM2-L02";
    slot->interfaceText = u"Standard";
    const CString path = world.Path("offline.yvekd");
    ASSERT_TRUE(store.WriteControllerDataFile(path.GetString(), *slot, true, true, true));
    world.App().OpenDataFile(path);
    ASSERT_EQ(world.ChildCount(), 2);

    world.Command(ID_WINDOW_TILE_VERT);
    // The online window is the current one, so its panel shows the polled status.
    world.Frame().MDIActivate(world.Frame().MDIGetChildren().front());
    uitest::Pump(600);
    platform::RunAppIdle();
    uitest::Pump(50);
    EXPECT_TRUE(world.Grab("main-" + language + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Languages, ManagerPicturesTest, ::testing::Values("en", "ja"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
