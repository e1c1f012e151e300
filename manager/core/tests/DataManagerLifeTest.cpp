// The life of data managers in a process: the status cells and the poll that
// the first one makes and the last one ends, the current manager and the
// modeless windows that follow it, and the controllers a window starts from
// (new data or a data file).
#include "manager/core/DataManager.h"
#include "manager/core/tests/DataManagerSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

using namespace testfx;

class DataManagerLife : public testing::Test, protected DataManagerFixture {
protected:
    int IndexInLog(const std::string& entry) const
    {
        const std::vector<std::string> entries = windows.log.Entries();
        const auto found = std::find(entries.begin(), entries.end(), entry);
        return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
    }
};

TEST_F(DataManagerLife, TheFirstManagerMakesTheCellsAndTheLastFreesThemAfterItsWindows)
{
    EXPECT_EQ(CDataManager::GetStatusCells(), nullptr);
    auto first = std::make_unique<CDataManager>();
    ASSERT_NE(windows.cells, nullptr);
    EXPECT_EQ(windows.cells, CDataManager::GetStatusCells());
    EXPECT_EQ(windows.current, first.get());
    EXPECT_EQ(CDataManager::GetCurrent(), first.get());
    const std::shared_ptr<StatusCells> cells = windows.cells;

    auto second = std::make_unique<CDataManager>();
    EXPECT_EQ(windows.cells, cells) << "one set of cells per process";
    EXPECT_EQ(windows.current, first.get()) << "a new manager is not current by itself";

    second->ShowDesktopTerminal(u"KX-LB", u"Node 1", FALSE);
    second->ShowIoMonitor(u"KX-LB", u"Node 1");
    second->ShowStatusMonitor(u"KX-LB", u"Node 1");
    EXPECT_EQ(windows.current, second.get());
    EXPECT_TRUE(windows.terminalAlive && windows.ioMonitorAlive && windows.statusMonitorAlive);
    EXPECT_EQ(windows.log.Count("terminal show"), 1);

    first.reset();
    EXPECT_EQ(windows.cells, cells);
    EXPECT_TRUE(windows.terminalAlive) << "the windows live as long as a manager does";

    second.reset();
    EXPECT_EQ(windows.cells, nullptr);
    EXPECT_EQ(windows.current, nullptr);
    EXPECT_EQ(CDataManager::GetCurrent(), nullptr);
    EXPECT_FALSE(windows.terminalAlive || windows.ioMonitorAlive || windows.statusMonitorAlive);
    EXPECT_LT(IndexInLog("status monitor destroyed"), IndexInLog("cells cleared"));
    EXPECT_LT(IndexInLog("terminal destroyed"), IndexInLog("cells cleared"));

    // A later manager starts afresh.
    CDataManager third;
    EXPECT_NE(windows.cells, nullptr);
    EXPECT_NE(windows.cells, cells);
}

TEST_F(DataManagerLife, DestroyingTheCurrentManagerMovesThePollAndTheWindowsToAnother)
{
    emulator.AddController(1, "LB");
    emulator.AddController(2, "LB");
    ASSERT_TRUE(Serve(Transport::kTcp)) << emulator.LastError();
    auto first = std::make_unique<CDataManager>();
    auto second = std::make_unique<CDataManager>();
    for (auto* manager : {first.get(), second.get()}) {
        ASSERT_TRUE(Open(*manager, Transport::kTcp));
        manager->SetPollingEnabled(TRUE);
    }
    ASSERT_TRUE(first->AddOnlineController(1));
    ASSERT_TRUE(second->AddOnlineController(2));
    first->MakeCurrent(u"first", FALSE);
    second->ShowDesktopTerminal(u"second", u"Node 2", FALSE);
    ASSERT_NE(windows.terminal, nullptr);
    EXPECT_EQ(windows.terminal->binding.link, second->GetLink());
    EXPECT_EQ(windows.terminal->binding.node, 2);
    ASSERT_TRUE(PumpUntil([&] { return CountCommands("@?IN1.2") >= 2; }));

    second.reset();
    EXPECT_EQ(windows.current, first.get());
    EXPECT_EQ(CDataManager::GetCurrent(), first.get());
    EXPECT_EQ(windows.terminal->binding.link, first->GetLink()) << "never a link that is gone";
    EXPECT_EQ(windows.terminal->binding.node, 1);
    EXPECT_EQ(windows.terminal->binding.text, CString(u"first"));
    emulator.ClearLog();
    EXPECT_TRUE(PumpUntil([&] { return CountCommands("@?IN1.1") >= 2; })) << "the poll went on, for the other";
    EXPECT_EQ(CountCommands("@?IN1.2"), 0);
}

TEST_F(DataManagerLife, MakeCurrentBindsTheWindowsAndPassesModeAndRunState)
{
    emulator.AddController(1, "Q10").SetParameter(20, 4);
    emulator.Controller(1).SetParameter(72, 3);
    emulator.Controller(1).SetControllerName("KX-Q10");
    ASSERT_TRUE(Serve(Transport::kTcp)) << emulator.LastError();
    CDataManager manager;
    ASSERT_TRUE(Open(manager, Transport::kTcp));
    ASSERT_TRUE(manager.AddOnlineController(1));
    manager.ShowDesktopTerminal(u"KX-Q10", u"Node 1", TRUE);
    ASSERT_NE(windows.terminal, nullptr);
    EXPECT_FALSE(windows.terminal->binding.online) << "a busy window's terminal offers no operations";
    manager.ShowStatusMonitor(u"KX-Q10", u"Node 1");
    manager.ShowIoMonitor(u"KX-Q10", u"Node 1");

    manager.SetRunState(1);
    manager.MakeCurrent(u"Cell 4", TRUE);
    EXPECT_EQ(windows.terminal->binding.name, CString(u"KX-Q10"));
    EXPECT_EQ(windows.terminal->binding.text, CString(u"Cell 4"));
    EXPECT_TRUE(windows.terminal->binding.online);
    EXPECT_EQ(windows.terminal->mode, 4);
    EXPECT_EQ(manager.GetRunState(), 1) << "the terminal keeps the run state";
    EXPECT_EQ(windows.statusMonitor->binding.decimals, 3);
    EXPECT_EQ(windows.statusMonitor->binding.model, CString(u"Q10"));
    EXPECT_EQ(windows.ioMonitor->binding.text, CString(u"Cell 4"));
    manager.NotifyTerminalMode(5);
    EXPECT_EQ(windows.terminal->mode, 5);

    windows.ioMonitor->shown = false;
    CDataManager::ShowMonitorsMinimized(true);
    EXPECT_EQ(windows.log.Count("status minimized"), 1);
    EXPECT_EQ(windows.log.Count("io minimized"), 0) << "a hidden monitor stays as it is";
}

TEST_F(DataManagerLife, AFirstControllerComesFromNewDataOrFromADataFile)
{
    {
        CDataManager manager;
        boxes.Answer(IDOK, u"could not be read");
        EXPECT_FALSE(manager.AddFirstController()) << "no new data";
        EXPECT_EQ(manager.GetControllerCount(), 0);

        ControllerData fresh;
        fresh.paramSets.resize(1);
        fresh.controller = u"KX-LB";
        fresh.user = u"Spare";
        fresh.FirstParamSet()->K(38) = 1;
        windows.newData = &fresh;
        ASSERT_TRUE(manager.AddFirstController());
        EXPECT_EQ(manager.GetCurrentIndex(), 0);
        EXPECT_EQ(manager.GetCurrentController()->controller, CString(u"KX-LB"));
        EXPECT_EQ(manager.GetCurrentController()->user, CString(u"Spare"));
        EXPECT_FALSE(manager.AddFirstController()) << "only into an empty list";
        EXPECT_FALSE(manager.IsPortOpen());
        windows.newData = nullptr;
    }

    TempDir folder;
    const CString missing = folder.File("none.txt");
    {
        CDataManager manager;
        EXPECT_FALSE(manager.LoadControllerFile(missing)) << "quietly";
    }
    Spit(folder.Native("lb.txt"), "CONT=KX-LB\r\nUSER=Cell\r\nIF=Standard\r\nPNT3=M1,P100,S5\r\nK12=500\r\n");
    {
        CDataManager manager;
        boxes.Answer(IDOK, u"- the actuator name");
        ASSERT_TRUE(manager.LoadControllerFile(folder.File("lb.txt")));
        const ControllerData& record = *manager.GetCurrentController();
        EXPECT_EQ(record.typeText, CString(u"LB")) << "the model code from the database";
        EXPECT_EQ(record.points[2].p, 100);
        EXPECT_EQ(record.FirstParamSet()->K(12), 500);
        EXPECT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown().back().text.Find(u"controller name"), -1) << "only what is missing";
    }
}

}  // namespace
