#include "manager/app/SimulatorHandover.h"

#include "manager/core/SharedMemoryLink.h"
#include "platform/core/Process.h"
#include "resources/manager/resource_ids.h"

namespace {

class ChildSimulator final : public ISimulatorProcess {
public:
    bool Start(const CString& program, const std::vector<CString>& arguments) override
    {
        return m_process.Start(program, arguments);
    }
    bool HasEnded(DWORD& exitCode) override
    {
        DWORD code = STILL_ACTIVE;
        if (!m_process.GetExitCode(&code)) {
            // Nothing was started: count it as ended, with no data handed back.
            exitCode = platform::kUnknownExitCode;
            return true;
        }
        if (code == STILL_ACTIVE) return false;
        exitCode = code;
        return true;
    }

private:
    platform::Process m_process;
};

class SharedMemoryExchange final : public ISimulatorExchange {
public:
    bool Load() override { return m_link.Load() != 0; }
    bool Write(const ControllerData& data) override { return m_link.WriteController(data); }
    bool Read(ControllerData& data) override { return m_link.ReadController(data); }
    void Release() override { m_link.Release(); }

private:
    CSharedMemoryLink m_link;
};

}  // namespace

std::vector<CString> BuildSimulatorArguments(const CString& title, int accessLevel)
{
    CString level;
    level.Format(u"/PW=%d", accessLevel);
    return {u"/ES", u"/ONLINE", u"/TITLE", title, level};
}

std::unique_ptr<ISimulatorProcess> MakeSimulatorProcess() { return std::make_unique<ChildSimulator>(); }

std::unique_ptr<ISimulatorExchange> MakeSimulatorExchange() { return std::make_unique<SharedMemoryExchange>(); }

bool StartStandaloneSimulator(const CString& program)
{
    platform::Process process;
    if (!process.Start(program, {})) return false;
    process.Detach();
    return true;
}

CSimulatorHandover::CSimulatorHandover(std::unique_ptr<ISimulatorExchange> exchange, ProcessFactory processes,
                                       CString program)
    : m_exchange(std::move(exchange)), m_processes(std::move(processes)), m_program(std::move(program))
{
}

CSimulatorHandover::~CSimulatorHandover() { ReleaseExchange(); }

UINT CSimulatorHandover::MessageIdOf(StartResult result)
{
    switch (result) {
    case StartResult::AlreadyRunning:
        return IDS_SIM_ALREADY_RUNNING;
    case StartResult::ExchangeFailed:
        return IDS_SIM_EXCHANGE_FAILED;
    case StartResult::StartFailed:
        return IDS_SIM_START_FAILED;
    case StartResult::Started:
        break;
    }
    return 0;
}

void CSimulatorHandover::ReleaseExchange()
{
    if (m_exchangeHeld && m_exchange) m_exchange->Release();
    m_exchangeHeld = false;
}

CSimulatorHandover::StartResult CSimulatorHandover::Start(CWnd* frame, const CString& title, int accessLevel,
                                                          const ControllerData& data)
{
    if (m_process) return StartResult::AlreadyRunning;
    // A run that ended but was never taken back gives its block up first.
    ReleaseExchange();
    if (!m_exchange || !m_exchange->Load()) return StartResult::ExchangeFailed;
    m_exchangeHeld = true;
    // A simulator started on a block that does not hold the data would hand
    // back whatever the block held instead.
    if (!m_exchange->Write(data)) {
        ReleaseExchange();
        return StartResult::ExchangeFailed;
    }
    std::unique_ptr<ISimulatorProcess> process = m_processes ? m_processes() : nullptr;
    if (!process || !process->Start(m_program, BuildSimulatorArguments(title, accessLevel))) {
        ReleaseExchange();
        return StartResult::StartFailed;
    }
    m_process = std::move(process);
    m_frame = frame;
    m_exitCode = 0;
    return StartResult::Started;
}

CSimulatorHandover::PollState CSimulatorHandover::Poll()
{
    if (!m_process) return PollState::Idle;
    DWORD code = 0;
    if (!m_process->HasEnded(code)) return PollState::Running;
    m_exitCode = code;
    m_process.reset();
    m_frame = nullptr;
    return PollState::Ended;
}

bool CSimulatorHandover::TakeBack(ControllerData& data)
{
    if (m_process || !m_exchangeHeld) return false;
    bool taken = false;
    if (m_exitCode == kSimulatorExitDataApplied) {
        // Read into a copy, so a failed read leaves the window's data whole.
        ControllerData edited = data;
        if (m_exchange->Read(edited)) {
            data = std::move(edited);
            taken = true;
        }
    }
    ReleaseExchange();
    return taken;
}
