// Reading a whole controller the way the data manager does (identity texts,
// comments, READ PNT, READ PRM, READ HPRM, each answer parsed into the
// controller's record) through the protocol engine and the link manager, from
// the controller emulator:
//  - over TCP on the loopback address, against a bare blocking socket client
//    that exchanges the same bytes with the same emulator in the same
//    iteration (goal: at most 2 times the bare client);
//  - over a pseudo-terminal opened as a COM port, the emulator pacing its
//    replies at 38400 baud, against the wire time of the same bytes, both
//    directions at 10 bits a byte (goal: at most 1.05 times the wire time).
// The ratios (engine time / baseline; above 1 is slower) are printed at the end.
#include "comm/CommManager.h"
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerData.h"
#include "manager/core/ControllerDataFile.h"
#include "manager/core/ControllerProtocol.h"
#include "platform/core/ComPortNames.h"
#include "platform/core/Messages.h"
#include "platform/core/Wnd.h"
#include "tests/support/emulator/Emulator.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using BenchClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kNode = 1;
constexpr int kBaud = 38400;
constexpr int kBitsPerByte = 10;
constexpr WORD kComNumber = 47;
constexpr auto kPatience = 30s;

// The command lines of one whole read, as the command functions send them.
const std::vector<std::string> kCommandLines = {
    "@?CONT.1",  "@?TYPE.1",  "@?COMR2.1", "@?ROBOT.1", "@?IF.1",     "@?VER2.1",
    "@?COMR9.1", "@?COMR8.1", "@?COMR7.1", "@READ PNT.1", "@READ PRM.1", "@READ HPRM.1",
};

double Seconds(BenchClock::duration d) { return std::chrono::duration<double>(d).count(); }

// "CommMan.ini" of the run in a folder of its own, not the user's.
class ScopedSettingsFolder {
public:
    ScopedSettingsFolder()
    {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_saved = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-bench-XXXXXX").string();
        if (const char* made = ::mkdtemp(pattern.data())) m_path = made;
        ::setenv("XDG_CONFIG_HOME", m_path.c_str(), 1);
    }
    ~ScopedSettingsFolder()
    {
        if (m_saved) ::setenv("XDG_CONFIG_HOME", m_saved->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    ScopedSettingsFolder(const ScopedSettingsFolder&) = delete;
    ScopedSettingsFolder& operator=(const ScopedSettingsFolder&) = delete;

private:
    std::string m_path;
    std::optional<std::string> m_saved;
};

void FillController(emu::ControllerModel& c)
{
    c.SetControllerName("LB-20");
    c.SetRobot("RX 10 / 400");
    c.SetInterface("EtherNet/IP");
    c.SetVersion2("2.10");
    c.SetComment(2, "Line A, cell 3");
    for (int p = 1; p <= emu::ControllerModel::kPointCount; ++p) {
        c.SetPoint(p, {1, p * 1000 - 90000, 200 + p, 30, 30, p % 7, -5000, 5000, p % 3, 0, 0, p % 5, 100});
    }
    for (int k = 1; k <= emu::ControllerModel::kParameterCount; ++k) {
        if (k != emu::ControllerModel::kNodeParameter) c.SetParameter(k, k * 37 - 1000);
    }
    for (int h = 0; h < emu::ControllerModel::kHParameterCount; ++h) c.SetHParameter(h, h * 11);
}

// The bytes of one whole read in both directions, from the emulator's line
// without a transport.
std::size_t ExchangeBytes(emu::Emulator& emulator)
{
    std::size_t bytes = 0;
    for (const std::string& line : kCommandLines) {
        bytes += line.size() + 2;
        bytes += emulator.Line().Exchange(line).size();
    }
    return bytes;
}

// What the data manager's hidden window does with the link's events.
class CLinkWindow : public CWnd {
public:
    explicit CLinkWindow(CControllerProtocol& protocol) : m_protocol(protocol)
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 10, 10}, nullptr, 0);
    }
    ~CLinkWindow() override { DestroyWindow(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_COMM_LINK_EVENT) return CWnd::WindowProc(message, wParam, lParam);
        const WORD kind = LOWORD(static_cast<std::uintptr_t>(lParam));
        if (kind == LINK_EVENT_READ) m_protocol.OnDataArrived();
        if (kind == LINK_EVENT_ERROR) m_protocol.InjectLinkError(0x49);
        return 0;
    }

private:
    CControllerProtocol& m_protocol;
};

// The engine on a link manager, as a data manager holds them.
struct EngineLink {
    CControllerProtocol protocol;
    CCommManager link;
    CLinkWindow window{protocol};

    EngineLink()
    {
        link.Initialize();
        link.AttatchWnd(window);
        protocol.SetTimeOut(CControllerProtocol::kReplyTimeoutMs);
        protocol.SetLink(&link);
    }
    bool OpenAndWait()
    {
        if (link.Open() != 1) return false;
        const auto deadline = BenchClock::now() + kPatience;
        while (link.IsReady() != 1) {
            if (BenchClock::now() >= deadline) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            platform::PumpPendingMessages();
        }
        return true;
    }
};

// One whole read into a record, as the data manager reads a controller.
bool ReadWholeController(CControllerProtocol& protocol, ControllerData& data)
{
    if (!QueryControllerName(nullptr, &protocol, kNode, data.controller)) return false;
    if (!QueryControllerType(nullptr, &protocol, kNode, data.typeText)) return false;
    if (!QueryComData(nullptr, &protocol, kNode, 2, data.user)) return false;
    if (!QueryRobotName(nullptr, &protocol, kNode, data.robot)) return false;
    if (!QueryInterface(nullptr, &protocol, kNode, data.interfaceText)) return false;
    if (!QueryVersion2(nullptr, &protocol, kNode, data.version)) return false;
    if (!QueryComData(nullptr, &protocol, kNode, 9, data.ipAddress)) return false;
    if (!QueryComData(nullptr, &protocol, kNode, 8, data.subnetMask)) return false;
    if (!QueryComData(nullptr, &protocol, kNode, 7, data.gateway)) return false;

    const auto eachLine = [](const CString& text, auto apply) {
        std::u16string_view rest = text.view();
        while (!rest.empty()) {
            const std::size_t end = rest.find(u"\r\n");
            apply(rest.substr(0, end));
            rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 2);
        }
    };
    CString text;
    if (!ReadPointTable(nullptr, &protocol, kNode, text)) return false;
    eachLine(text, [&](std::u16string_view line) { ParsePointLine(line, data); });
    RobotParameterSet& set = data.paramSets.front();
    if (!ReadParameterTable(nullptr, &protocol, kNode, text)) return false;
    eachLine(text, [&](std::u16string_view line) { ParseParameterLine(line, set); });
    if (!ReadHParameterTable(nullptr, &protocol, kNode, text)) return false;
    eachLine(text, [&](std::u16string_view line) { ParseHParameterLine(line, set); });
    return data.points[254].number == 255;
}

// The least a client can do: blocking send and receive of the same lines.
class BareClient {
public:
    explicit BareClient(uint16_t port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~BareClient()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    bool Ok() const { return m_fd >= 0; }

    // Sends every line and reads each reply up to its "OK.1" line.
    bool ReadWholeController(std::size_t& received)
    {
        static const std::string kOk = "OK.1\r\n";
        received = 0;
        for (const std::string& line : kCommandLines) {
            const std::string bytes = line + "\r\n";
            if (::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size())) {
                return false;
            }
            std::string reply;
            char buffer[4096];
            while (reply.size() < kOk.size() || reply.compare(reply.size() - kOk.size(), kOk.size(), kOk) != 0) {
                const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
                if (n <= 0) return false;
                reply.append(buffer, static_cast<std::size_t>(n));
            }
            received += reply.size();
        }
        return true;
    }

private:
    int m_fd = -1;
};

void Report(benchmark::State& state, double engineSeconds, double baselineSeconds)
{
    const double n = static_cast<double>(state.iterations());
    state.counters["engine_ms"] = engineSeconds * 1000 / n;
    state.counters["baseline_ms"] = baselineSeconds * 1000 / n;
    state.counters["ratio"] = baselineSeconds > 0 ? engineSeconds / baselineSeconds : 0;
}

void ReadOverTcp(benchmark::State& state)
{
    ScopedSettingsFolder settings;
    emu::Emulator emulator;
    FillController(emulator.AddController(kNode, "LB"));
    const uint16_t port = emulator.ServeTcp();
    EngineLink engine;
    engine.link.SetPortType(PORT_TCP);
    engine.link.SetHostName(u"127.0.0.1");
    engine.link.SetTCPPort(port);
    BareClient bare(port);
    if (port == 0 || !bare.Ok() || !engine.OpenAndWait()) {
        state.SkipWithError("the emulator could not be reached");
        return;
    }
    double engineSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        ControllerData data;
        data.paramSets.resize(1);
        const auto t0 = BenchClock::now();
        const bool read = ReadWholeController(engine.protocol, data);
        const auto t1 = BenchClock::now();
        std::size_t received = 0;
        const bool bareRead = bare.ReadWholeController(received);
        const auto t2 = BenchClock::now();
        if (!read || !bareRead) {
            state.SkipWithError("a read failed");
            return;
        }
        engineSeconds += Seconds(t1 - t0);
        bareSeconds += Seconds(t2 - t1);
        benchmark::DoNotOptimize(received);
    }
    Report(state, engineSeconds, bareSeconds);
}

void ReadOverPacedTerminal(benchmark::State& state)
{
    ScopedSettingsFolder settings;
    emu::Emulator emulator;
    FillController(emulator.AddController(kNode, "LB"));
    const double wireSeconds = static_cast<double>(ExchangeBytes(emulator)) * kBitsPerByte / kBaud;
    emulator.SetPacing(kBaud);
    const std::string path = emulator.ServePty();
    platform::ScopedComPortDevice bind(kComNumber, path);
    EngineLink engine;
    engine.link.SetPortType(PORT_SERIAL);
    engine.link.SetComPort(kComNumber);
    if (path.empty() || !engine.OpenAndWait()) {
        state.SkipWithError("the emulator's terminal could not be opened");
        return;
    }
    double engineSeconds = 0;
    double wireTotal = 0;
    for (auto _ : state) {
        ControllerData data;
        data.paramSets.resize(1);
        const auto t0 = BenchClock::now();
        const bool read = ReadWholeController(engine.protocol, data);
        const auto t1 = BenchClock::now();
        if (!read) {
            state.SkipWithError("a read failed");
            return;
        }
        engineSeconds += Seconds(t1 - t0);
        wireTotal += wireSeconds;
    }
    Report(state, engineSeconds, wireTotal);
    state.counters["bytes"] = wireSeconds * kBaud / kBitsPerByte;
}

constexpr int kRepetitions = 5;
BENCHMARK(ReadOverTcp)->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(ReadOverPacedTerminal)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// Keeps the median ratio of every benchmark.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred) continue;
            const auto ratio = run.counters.find("ratio");
            if (ratio != run.counters.end()) {
                const std::string name = run.benchmark_name();
                m_ratios[name.substr(0, name.find('/'))] = ratio->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        std::printf("\nwhole controller read, engine / baseline in the same run (median):\n");
        for (const auto& [name, ratio] : m_ratios) {
            const char* goal = name == "ReadOverTcp" ? "bare socket client, goal <= 2.00" : "wire time, goal <= 1.05";
            std::printf("  %-22s %6.3f  (%s)\n", name.c_str(), ratio, goal);
        }
    }

private:
    std::map<std::string, double> m_ratios;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
