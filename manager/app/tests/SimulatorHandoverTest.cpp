#include "manager/app/SimulatorHandover.h"
#include "resources/manager/resource_ids.h"

#include "AppFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using Result = CSimulatorHandover::StartResult;
using State = CSimulatorHandover::PollState;

// The windows are never touched: any distinct address stands for one.
alignas(16) char g_frames[2][16];
CWnd* Frame(int i) { return reinterpret_cast<CWnd*>(g_frames[i]); }

struct Log {
    std::vector<std::string> events;
    std::vector<CString> program;
    std::vector<std::vector<CString>> arguments;
};

class FakeExchange final : public ISimulatorExchange {
public:
    explicit FakeExchange(Log& log) : m_log(log) {}
    bool loadOk = true, writeOk = true, readOk = true;
    CString editedRobot = u"edited";

    bool Load() override { return Note("load", loadOk); }
    bool Write(const ControllerData&) override { return Note("write", writeOk); }
    bool Read(ControllerData& data) override
    {
        if (readOk) data.robot = editedRobot;
        else data.robot = u"half read";  // a failing read may scribble
        return Note("read", readOk);
    }
    void Release() override { m_log.events.push_back("release"); }

private:
    bool Note(const char* what, bool ok)
    {
        m_log.events.push_back(std::string(what) + (ok ? "" : " failed"));
        return ok;
    }
    Log& m_log;
};

// Ends after a number of polls with the given code.
class FakeProcess final : public ISimulatorProcess {
public:
    FakeProcess(Log& log, bool startOk, int runningPolls, DWORD code)
        : m_log(log), m_startOk(startOk), m_runningPolls(runningPolls), m_code(code)
    {
    }
    bool Start(const CString& program, const std::vector<CString>& arguments) override
    {
        m_log.events.push_back(m_startOk ? "start" : "start failed");
        m_log.program.push_back(program);
        m_log.arguments.push_back(arguments);
        return m_startOk;
    }
    bool HasEnded(DWORD& exitCode) override
    {
        if (m_runningPolls-- > 0) return false;
        exitCode = m_code;
        return true;
    }

private:
    Log& m_log;
    bool m_startOk;
    int m_runningPolls;
    DWORD m_code;
};

struct Rig {
    Log log;
    FakeExchange* exchange = nullptr;
    bool startOk = true;
    int runningPolls = 2;
    DWORD exitCode = kSimulatorExitDataApplied;

    CSimulatorHandover Make()
    {
        auto fake = std::make_unique<FakeExchange>(log);
        exchange = fake.get();
        return CSimulatorHandover(std::move(fake), [this] {
            return std::make_unique<FakeProcess>(log, startOk, runningPolls, exitCode);
        });
    }
};

ControllerData Data(const char16_t* robot)
{
    ControllerData data;
    data.robot = robot;
    data.paramSets.resize(1);
    return data;
}

TEST(SimulatorArguments, AVectorWithTheTitleAsOneArgument)
{
    const std::vector<CString> expected = {u"/ES", u"/ONLINE", u"/TITLE", u"Line 2 \"B\" - robot.yvekd", u"/PW=3"};
    EXPECT_EQ(BuildSimulatorArguments(u"Line 2 \"B\" - robot.yvekd", 3), expected);
    EXPECT_EQ(BuildSimulatorArguments(u"", 0)[3], u"");
}

TEST(SimulatorHandover, DataComeBackOnlyForExitCodeSix)
{
    struct Row {
        const char* name;
        DWORD code;
        bool readOk;
        bool taken;
        const char16_t* robotAfter;
    };
    const Row rows[] = {
        {"applied", 6, true, true, u"edited"},
        {"nothing to apply", 7, true, false, u"mine"},
        {"exchange library missing", 1, true, false, u"mine"},
        {"killed by a signal", 0xC0000009, true, false, u"mine"},
        {"applied but the block cannot be read", 6, false, false, u"mine"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rig setup;
        setup.exitCode = row.code;
        CSimulatorHandover handover = setup.Make();
        setup.exchange->readOk = row.readOk;
        ControllerData data = Data(u"mine");
        ASSERT_EQ(handover.Start(Frame(0), u"Window 1", 2, data), Result::Started);
        EXPECT_TRUE(handover.IsRunning());
        EXPECT_EQ(handover.RunningFrame(), Frame(0));
        EXPECT_EQ(handover.Poll(), State::Running);
        EXPECT_EQ(handover.Poll(), State::Running);
        EXPECT_EQ(handover.Poll(), State::Ended);
        EXPECT_FALSE(handover.IsRunning());
        EXPECT_EQ(handover.RunningFrame(), nullptr);
        EXPECT_EQ(handover.ExitCode(), row.code);
        EXPECT_EQ(handover.TakeBack(data), row.taken);
        EXPECT_EQ(data.robot, row.robotAfter);
        EXPECT_EQ(handover.Poll(), State::Idle);
        EXPECT_EQ(setup.log.events.back(), "release");
        // Released once, and only once.
        EXPECT_FALSE(handover.TakeBack(data));
        EXPECT_EQ(std::count(setup.log.events.begin(), setup.log.events.end(), "release"), 1);
    }
}

TEST(SimulatorHandover, FailuresToStartLeaveNothingHeld)
{
    struct Row {
        const char* name;
        bool loadOk, writeOk, startOk;
        Result result;
        UINT message;
        std::vector<std::string> events;
    };
    const Row rows[] = {
        {"library cannot load", false, true, true, Result::ExchangeFailed, IDS_SIM_EXCHANGE_FAILED, {"load failed"}},
        {"data cannot be written", true, false, true, Result::ExchangeFailed, IDS_SIM_EXCHANGE_FAILED,
         {"load", "write failed", "release"}},
        {"program cannot start", true, true, false, Result::StartFailed, IDS_SIM_START_FAILED,
         {"load", "write", "start failed", "release"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rig setup;
        setup.startOk = row.startOk;
        CSimulatorHandover handover = setup.Make();
        setup.exchange->loadOk = row.loadOk;
        setup.exchange->writeOk = row.writeOk;
        ControllerData data = Data(u"mine");
        EXPECT_EQ(handover.Start(Frame(0), u"W", 0, data), row.result);
        EXPECT_EQ(CSimulatorHandover::MessageIdOf(row.result), row.message);
        EXPECT_EQ(setup.log.events, row.events);
        EXPECT_FALSE(handover.IsRunning());
        EXPECT_EQ(handover.Poll(), State::Idle);
        EXPECT_FALSE(handover.TakeBack(data));
        EXPECT_EQ(data.robot, u"mine");
    }
}

TEST(SimulatorHandover, OneSimulatorAtATime)
{
    Rig setup;
    setup.runningPolls = 1;
    CSimulatorHandover handover = setup.Make();
    ControllerData data = Data(u"mine");
    ASSERT_EQ(handover.Start(Frame(0), u"first", 1, data), Result::Started);
    EXPECT_EQ(handover.Start(Frame(1), u"second", 1, data), Result::AlreadyRunning);
    EXPECT_EQ(CSimulatorHandover::MessageIdOf(Result::AlreadyRunning), IDS_SIM_ALREADY_RUNNING);
    EXPECT_EQ(handover.RunningFrame(), Frame(0));
    ASSERT_EQ(setup.log.arguments.size(), 1u);
    EXPECT_EQ(setup.log.program[0], u"pellarun");
    EXPECT_EQ(setup.log.arguments[0][3], u"first");

    EXPECT_EQ(handover.Poll(), State::Running);
    EXPECT_EQ(handover.Poll(), State::Ended);
    // A run whose data were never taken back gives its block up before the next.
    ASSERT_EQ(handover.Start(Frame(1), u"second", 1, data), Result::Started);
    EXPECT_EQ(handover.RunningFrame(), Frame(1));
    const std::vector<std::string> expected = {"load", "write", "start", "release", "load", "write", "start"};
    EXPECT_EQ(setup.log.events, expected);
}

TEST(SimulatorHandover, DestroyedWhileHeldReleasesTheBlock)
{
    Rig setup;
    {
        CSimulatorHandover handover = setup.Make();
        ControllerData data = Data(u"mine");
        ASSERT_EQ(handover.Start(Frame(0), u"W", 0, data), Result::Started);
    }
    EXPECT_EQ(setup.log.events.back(), "release");
}

// The real program start and exchange, with a stand-in simulator program.
class RealSimulator : public testing::Test {
protected:
    appfx::TempDir m_dir;
    CString m_hold = m_dir.File("hold");

    static State PollUntilEnded(CSimulatorHandover& handover)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        State state = handover.Poll();
        while (state == State::Running && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            state = handover.Poll();
        }
        return state;
    }
};

TEST_F(RealSimulator, EditedDataComeBackThroughTheSharedBlock)
{
    appfx::ScopedEnv log("QV_FAKE_SIMULATOR_LOG", m_dir.Native("args").c_str());
    appfx::ScopedEnv edit("QV_FAKE_SIMULATOR_EDIT", "R-EDITED");
    appfx::ScopedEnv hold("QV_FAKE_SIMULATOR_HOLD", m_dir.Native("hold").c_str());
    appfx::ScopedEnv code("QV_FAKE_SIMULATOR_EXIT", "6");
    CSimulatorHandover handover(MakeSimulatorExchange(), MakeSimulatorProcess, u"qvtest-simulator");
    ControllerData data = Data(u"R-ORIGINAL");
    data.controller = u"Q10";
    data.FirstParamSet()->K(1) = 41;
    ASSERT_EQ(handover.Start(Frame(0), u"Robot \"A\" 1", 2, data), Result::Started);
    // It runs until it is let go: the watch sees a running program.
    EXPECT_EQ(handover.Poll(), State::Running);
    appfx::Spit(m_dir.Native("hold"), "");
    ASSERT_EQ(PollUntilEnded(handover), State::Ended);
    EXPECT_EQ(handover.ExitCode(), 6u);
    EXPECT_EQ(appfx::Slurp(m_dir.Native("args")), "/ES\n/ONLINE\n/TITLE\nRobot \"A\" 1\n/PW=2\n");
    ASSERT_TRUE(handover.TakeBack(data));
    EXPECT_EQ(data.robot, u"R-EDITED");
    EXPECT_EQ(data.controller, u"Q10");
    EXPECT_EQ(data.FirstParamSet()->K(1), 42);
}

TEST_F(RealSimulator, OtherExitCodesLeaveTheDataAlone)
{
    appfx::ScopedEnv edit("QV_FAKE_SIMULATOR_EDIT", "R-EDITED");
    appfx::ScopedEnv code("QV_FAKE_SIMULATOR_EXIT", "7");
    CSimulatorHandover handover(MakeSimulatorExchange(), MakeSimulatorProcess, u"qvtest-simulator");
    ControllerData data = Data(u"R-ORIGINAL");
    ASSERT_EQ(handover.Start(Frame(0), u"W", 0, data), Result::Started);
    ASSERT_EQ(PollUntilEnded(handover), State::Ended);
    EXPECT_EQ(handover.ExitCode(), 7u);
    EXPECT_FALSE(handover.TakeBack(data));
    EXPECT_EQ(data.robot, u"R-ORIGINAL");
}

TEST_F(RealSimulator, ProgramsAreLookedForBesideTheManagerOnly)
{
    CSimulatorHandover handover(MakeSimulatorExchange(), MakeSimulatorProcess, u"no-such-simulator");
    ControllerData data = Data(u"R");
    EXPECT_EQ(handover.Start(Frame(0), u"W", 0, data), Result::StartFailed);
    EXPECT_FALSE(StartStandaloneSimulator(u"no-such-simulator"));
    appfx::ScopedEnv code("QV_FAKE_SIMULATOR_EXIT", "0");
    EXPECT_TRUE(StartStandaloneSimulator(u"qvtest-simulator"));
}

}  // namespace
