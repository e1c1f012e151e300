// Controller > Choose another controller, on a line with two controllers:
// edits not written yet are written or dropped first, as the user answers,
// and the controller that answers at the chosen node must be the one the
// line listed, or the window stays as it was.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/dialogs/tests/TransportTestSupport.h"

#include "manager/core/DataManager.h"
#include "tests/support/emulator/Emulator.h"

namespace {

using mgrtest::ManagerWorld;
using transporttest::ChooseListRow;
using transporttest::ModalScripts;

constexpr int kCom = 3;

ControllerData* WindowData(CChildFrame* child) { return child->Document()->DataManager().GetCurrentController(); }

ModalScripts::Script ChooseNode(const char16_t* node, std::function<void()> meanwhile = {})
{
    return [=](uitest::DialogDriver& d) {
        if (meanwhile) meanwhile();
        ChooseListRow(d, IDC_SERIAL_NODE_LIST, node);
        d.Click(IDOK);
    };
}

class ManagerChangeNodeTest : public ::testing::Test {
protected:
    ManagerChangeNodeTest() : first(emulator.AddController(1, "Q05")), second(emulator.AddController(2, "Q05"))
    {
        first.SetControllerName("KX-Q05");
        first.SetRobot("SA4-L06");
        first.SetInterface("NPN");
        first.SetParameter(20, 2);
        first.SetPoint(5, {1, 12345, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
        second.SetControllerName("KX-Q05");
        second.SetRobot("SA6-L05");
        second.SetInterface("NPN");
        second.SetParameter(20, 2);
        second.SetParameter(12, 333);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    // A new online window on the line, showing node 1.
    CChildFrame* Open(ManagerWorld& world)
    {
        if (emulator.ServePty().empty()) return nullptr;
        world.MapPorts({{kCom, emulator.PtyPath()}});
        if (!world.Start()) return nullptr;
        world.Boxes().Answer(IDOK, scanText);
        if (world.NewOnline(kCom, u"Press line") != IDOK) return nullptr;
        return world.Active();
    }
    // Controller > Choose another controller; the scan's box is answered,
    // then the boxes that follow the choice, in order.
    void ChangeNode(ManagerWorld& world, ModalScripts::Script choose,
                    std::vector<std::pair<int, std::u16string>> then = {})
    {
        world.Boxes().Answer(IDOK, scanText);
        for (auto& [answer, text] : then) world.Boxes().Answer(answer, std::move(text));
        ModalScripts scripts({std::move(choose)});
        world.Command(IDM_CHANGE_NODE);
    }
    static int Node(CChildFrame* child) { return WindowData(child)->FirstParamSet()->K(38); }

    // The box with the scan's result, in the interface language.
    std::u16string scanText = u"Controllers found";
    emu::Emulator emulator;
    emu::ControllerModel& first;
    emu::ControllerModel& second;
};

TEST_F(ManagerChangeNodeTest, UnwrittenEditsAreWrittenOrDroppedFirstAsTheUserAnswers)
{
    ManagerWorld world;
    CChildFrame* window = Open(world);
    ASSERT_NE(window, nullptr) << emulator.LastError();
    ASSERT_EQ(Node(window), 1);

    // An edited point: Cancel keeps the window on its controller, with the edit.
    WindowData(window)->points[4].p = 22222;
    ChangeNode(world, ChooseNode(u"02"), {{IDCANCEL, u"The points of Press line have changed"}});
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(Node(window), 1);
    EXPECT_EQ(WindowData(window)->points[4].p, 22222);
    EXPECT_EQ(first.Point(5)[1], 12345) << "nothing written on Cancel";

    // Yes writes the edit to the controller it belongs to, then moves.
    ChangeNode(world, ChooseNode(u"02"),
               {{IDYES, u"The points of Press line have changed"}, {IDOK, u"written to the controller"}});
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(first.Point(5)[1], 22222) << "node 1 holds the written point";
    ASSERT_EQ(Node(window), 2);
    EXPECT_EQ(WindowData(window)->robot, CString(u"SA6-L05"));
    EXPECT_EQ(second.Point(5)[1], 0) << "node 2 got nothing of node 1's data";

    // A changed parameter asks with the data question; No drops the edit.
    WindowData(window)->FirstParamSet()->K(12) = 777;
    ChangeNode(world, ChooseNode(u"01"), {{IDNO, u"The data of Press line have changed"}});
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_EQ(Node(window), 1) << "back to the entry the window holds for node 1";
    EXPECT_EQ(WindowData(window)->points[4].p, 22222);
    EXPECT_EQ(second.Parameter(12), 333) << "No writes nothing";
    auto& manager = window->Document()->DataManager();
    for (int i = 0; manager.GetController(i); ++i)
        if (manager.GetController(i)->FirstParamSet()->K(38) == 2) EXPECT_EQ(manager.GetController(i)->FirstParamSet()->K(12), 333) << "the edit was dropped";
}

TEST_F(ManagerChangeNodeTest, AnotherControllerAtTheChosenNodeIsRefusedAndTheWindowStays)
{
    ManagerWorld world;
    CChildFrame* window = Open(world);
    ASSERT_NE(window, nullptr) << emulator.LastError();
    const ControllerData before = *WindowData(window);

    // The controller at node 2 is exchanged after the scan listed it.
    ChangeNode(world, ChooseNode(u"02", [&] { second.SetControllerName("KX-Q10"); }),
               {{IDOK, u"Another controller answers"}});
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(Node(window), 1);
    EXPECT_TRUE(*WindowData(window) == before) << "the window keeps its controller and data";

    // Scanned anew, the exchanged controller is taken as it is.
    ChangeNode(world, ChooseNode(u"02"));
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_EQ(Node(window), 2);
    EXPECT_EQ(WindowData(window)->controller, CString(u"KX-Q10"));
}

TEST_F(ManagerChangeNodeTest, TheQuestionsReadInJapanese)
{
    ManagerWorld world("ja");
    scanText = u"回線上のコントローラ";
    CChildFrame* window = Open(world);
    ASSERT_NE(window, nullptr) << emulator.LastError();
    WindowData(window)->points[4].p = 22222;
    ChangeNode(world, ChooseNode(u"02"), {{IDCANCEL, u"Press line のポイントが変更されていて"}});
    WindowData(window)->points[4].p = 12345;
    WindowData(window)->FirstParamSet()->K(12) = 777;
    ChangeNode(world, ChooseNode(u"02"), {{IDCANCEL, u"Press line のデータが変更されていて"}});
    ChangeNode(world, ChooseNode(u"02", [&] { second.SetControllerName("KX-Q10"); }),
               {{IDNO, u"データが変更されていて"}, {IDOK, u"想定と異なるコントローラが応答しています"}});
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(Node(window), 1);
}

}  // namespace
