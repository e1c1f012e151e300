// Hands the current controller's data to the simulator and takes it back:
// the data go into the shared block, the simulator program is started for
// them, and a window timer polls it; when it ends with the exit code "data
// applied" the edited data come back, with any other code nothing does.
// Either way the shared memory is released. One simulator runs at a time, so
// the application holds one of these for all its windows.
//
// The steps are split so that the window can do its part between them (wait
// window, paused polling, locked panes):
//   Start  -> then, on each tick of timer kSimulatorWatchTimerId:
//   Poll   -> Running ... Ended -> TakeBack(data)
#pragma once

#include "manager/core/ControllerData.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <functional>
#include <memory>
#include <vector>

class CWnd;

// The simulator program beside the manager; never looked for elsewhere.
inline constexpr char16_t kSimulatorProgram[] = u"pellarun";
inline constexpr UINT_PTR kSimulatorWatchTimerId = 1;
inline constexpr UINT kSimulatorWatchIntervalMs = 200;
// The only exit code that hands the edited data back.
inline constexpr DWORD kSimulatorExitDataApplied = 6;

// The simulator's arguments after its program: "/ES", "/ONLINE", "/TITLE",
// the window title as one argument (blanks and quotes in it stay its own),
// and "/PW=" with the access level.
std::vector<CString> BuildSimulatorArguments(const CString& title, int accessLevel);

// The running simulator, as the hand-over sees it.
class ISimulatorProcess {
public:
    virtual ~ISimulatorProcess() = default;
    virtual bool Start(const CString& program, const std::vector<CString>& arguments) = 0;
    // True once the program has ended, with its exit code; never waits.
    virtual bool HasEnded(DWORD& exitCode) = 0;
};

// The shared block the data travel through.
class ISimulatorExchange {
public:
    virtual ~ISimulatorExchange() = default;
    virtual bool Load() = 0;
    virtual bool Write(const ControllerData& data) = 0;
    virtual bool Read(ControllerData& data) = 0;
    virtual void Release() = 0;
};

// The real ones: a child process, the shared-memory library.
std::unique_ptr<ISimulatorProcess> MakeSimulatorProcess();
std::unique_ptr<ISimulatorExchange> MakeSimulatorExchange();

// Starts the simulator on its own (no data, no watch): it goes on by itself.
bool StartStandaloneSimulator(const CString& program = kSimulatorProgram);

class CSimulatorHandover {
public:
    using ProcessFactory = std::function<std::unique_ptr<ISimulatorProcess>()>;

    explicit CSimulatorHandover(std::unique_ptr<ISimulatorExchange> exchange = MakeSimulatorExchange(),
                                ProcessFactory processes = MakeSimulatorProcess,
                                CString program = kSimulatorProgram);
    // Releases the shared memory if a run was never taken back. A simulator
    // still running is left to run (the user may have work there).
    ~CSimulatorHandover();
    CSimulatorHandover(const CSimulatorHandover&) = delete;
    CSimulatorHandover& operator=(const CSimulatorHandover&) = delete;

    enum class StartResult {
        Started,
        AlreadyRunning,  // message 10043
        ExchangeFailed,  // message 10045: the data could not be put in the shared block
        StartFailed,     // message 10044: the shared memory is released again
    };
    // The string id of the message for a result (0 for Started).
    static UINT MessageIdOf(StartResult result);

    // frame is the window whose data go to the simulator; it is only
    // remembered, as the window that runs it.
    StartResult Start(CWnd* frame, const CString& title, int accessLevel, const ControllerData& data);

    enum class PollState { Idle, Running, Ended };
    // One tick: Running while the simulator runs, Ended once when it has
    // ended (the window then calls TakeBack), Idle otherwise.
    PollState Poll();

    bool IsRunning() const { return m_process != nullptr; }
    // The window that runs the simulator, or null (message 10042 refuses to
    // close it or to run a transport on it).
    CWnd* RunningFrame() const { return m_process ? m_frame : nullptr; }
    // The exit code of the run that ended last.
    DWORD ExitCode() const { return m_exitCode; }

    // After Ended: reads the edited data into data only when the exit code
    // handed them back and the block could be read (data untouched
    // otherwise), then releases the shared memory. True when data came back.
    bool TakeBack(ControllerData& data);

private:
    void ReleaseExchange();

    std::unique_ptr<ISimulatorExchange> m_exchange;
    ProcessFactory m_processes;
    CString m_program;
    std::unique_ptr<ISimulatorProcess> m_process;
    CWnd* m_frame = nullptr;
    bool m_exchangeHeld = false;
    DWORD m_exitCode = 0;
};
