// Connect again after the line was lost, when the controller at the
// window's node is no longer the one the window holds: another controller
// (another name or model code) is refused and the window keeps its data (edits included) and stays
// disconnected; another actuator on the same controller is connected only
// when the user agrees.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/DataManager.h"
#include "tests/support/emulator/Emulator.h"

#include <functional>

namespace {

using namespace mgrtest;

constexpr int kCom = 3;

std::u16string Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return std::u16string(text.GetString());
}

struct SwapCase {
    const char* name;
    // What changes at the controller's end while the line is down.
    std::function<void(emu::ControllerModel&)> swap;
    UINT message;
    int answer;
    bool connects;
};

class ManagerReconnectTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

TEST_F(ManagerReconnectTest, AnotherControllerAtTheNodeAfterTheLineCameBack)
{
    const SwapCase cases[] = {
        {"another controller", [](emu::ControllerModel& c) { c.SetControllerName("KX-Q10"); }, IDS_OTHER_CONTROLLER,
         IDOK, false},
        {"another model code under the same name", [](emu::ControllerModel& c) { c.SetType("Q10"); },
         IDS_OTHER_CONTROLLER, IDOK, false},
        {"another actuator, not taken", [](emu::ControllerModel& c) { c.SetRobot("SA6-L05"); }, IDS_OTHER_ROBOT, IDNO,
         false},
        {"another actuator, taken", [](emu::ControllerModel& c) { c.SetRobot("SA6-L05"); }, IDS_OTHER_ROBOT, IDYES,
         true},
    };
    for (const SwapCase& swap : cases) {
        SCOPED_TRACE(swap.name);
        emu::Emulator emulator;
        emu::ControllerModel& controller = emulator.AddController(1, "Q05");
        controller.SetControllerName("KX-Q05");
        controller.SetRobot("SA4-L06");
        controller.SetParameter(12, 250);
        controller.SetPoint(5, {1, 12345, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
        ASSERT_FALSE(emulator.ServePty().empty()) << emulator.LastError();

        ManagerWorld world;
        world.MapPorts({{kCom, emulator.PtyPath()}});
        ASSERT_TRUE(world.Start());
        world.Boxes().Answer(IDOK, u"Controllers found");
        ASSERT_EQ(world.NewOnline(kCom, u"Press line"), IDOK);
        CChildFrame* child = world.Active();
        ASSERT_NE(child, nullptr);
        CLeftpaneTreeView* tree = child->GetTreeView();
        CDataManager& manager = child->Document()->DataManager();
        ControllerData* data = manager.GetCurrentController();
        ASSERT_NE(data, nullptr);
        ASSERT_TRUE(tree->IsConnected());

        // An edit not yet written, which the window must keep whatever answers.
        data->points[5] = PointRecord{6, 1, 7000, 40, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0};
        const ControllerData windowBefore = *data;
        const ControllerData referenceBefore = *manager.GetReference(manager.GetCurrentIndex());

        world.Boxes().Answer(IDOK, u"lost");
        emulator.DropLink();
        ASSERT_TRUE(uitest::WaitUntil([&] { return !tree->IsConnected(); }, 20000)) << "the window hears of it";
        swap.swap(emulator.Controller(1));
        ASSERT_TRUE(emulator.ReopenPty());

        const size_t commandsBefore = emulator.ReceivedCommands().size();
        world.Boxes().Answer(IDOK, u"Connect").Answer(swap.answer, Text(swap.message));
        world.Command(IDM_CONNECT);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u) << "the user was told";
        EXPECT_EQ(tree->IsConnected(), swap.connects);
        ASSERT_EQ(world.ChildCount(), 1);
        ASSERT_EQ(manager.GetCurrentController(), data);
        EXPECT_TRUE(*data == windowBefore) << "the window's data, its edit included, stays as it was";
        const ControllerData* reference = manager.GetReference(manager.GetCurrentIndex());
        ASSERT_NE(reference, nullptr);
        if (swap.connects) {
            EXPECT_EQ(reference->robot, u"SA6-L05") << "the controller's own data is read anew";
            EXPECT_FALSE(world.Enabled(IDM_CONNECT));
        } else {
            EXPECT_TRUE(*reference == referenceBefore) << "nothing of the other controller is taken";
            EXPECT_FALSE(manager.IsPortOpen()) << "the port is closed again";
            EXPECT_TRUE(world.Enabled(IDM_CONNECT)) << "and connecting stays offered";
            // Nothing was written to the controller that answered.
            const std::vector<std::string> commands = emulator.ReceivedCommands();
            for (size_t i = commandsBefore; i < commands.size(); ++i) {
                EXPECT_EQ(commands[i].rfind("@?", 0), 0u) << "only questions went out: " << commands[i];
            }
            EXPECT_EQ(emulator.Controller(1).Point(6)[1], 0) << "the window's edit did not reach it";
        }
        // Closing the window asks about the edit never written; it is dropped.
        world.Boxes().Answer(IDNO, u"not written");
    }
}

}  // namespace
