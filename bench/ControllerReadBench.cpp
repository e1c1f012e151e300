// Reading a whole controller the way the data manager does (identity texts,
// comments, READ PNT, READ PRM, READ HPRM, each answer parsed into the
// controller's record) through the protocol engine and the link manager, from
// the controller emulator:
//  - over TCP on the loopback address, against a bare blocking socket client
//    that exchanges the same bytes with the same emulator in the same
//    iteration (goal: at most 2 times the bare client);
//  - over a pseudo-terminal opened as a COM port, the emulator pacing its
//    replies at 38400 baud, against the wire time of the same bytes, both
//    directions at 10 bits a byte (goal: at most 1.02 times the wire time),
//    with a plain blocking client over the same terminal in the same run.
// The ratios (engine time / baseline; above 1 is slower) are printed at the end.
#include "comm/AnswerLine.h"
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
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
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
        if (kind == LINK_EVENT_READ) {
            const auto now = BenchClock::now();
            if (!firstText) firstText = now;
            lastText = now;
            m_protocol.OnDataArrived();
        }
        if (kind == LINK_EVENT_ERROR) m_protocol.InjectLinkError(0x49);
        return 0;
    }

    // When the reply text of the current command reached this window first and last.
    std::optional<BenchClock::time_point> firstText;
    BenchClock::time_point lastText;

private:
    CControllerProtocol& m_protocol;
};

// Where each command's time goes, summed over the measured reads:
//  - sent to its first reply text handed to the engine's window (the link's
//    writer, the socket, the emulator, the reader thread, the message queue);
//  - first to last reply text (the further blocks of a long reply);
//  - last text to the command's return (the waiting engine's wake-up and the
//    parsing of the answer);
// and the bare client's time for the same exchange.
struct CommandBreakdown {
    std::vector<double> toFirstText, textSpan, toReturn, bare;
};

std::vector<CommandBreakdown>& Breakdown()
{
    static std::vector<CommandBreakdown> breakdown(kCommandLines.size());
    return breakdown;
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

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
// With a window, each command's time is split as CommandBreakdown says.
bool ReadWholeController(CControllerProtocol& protocol, ControllerData& data, CLinkWindow* window = nullptr)
{
    std::size_t index = 0;
    const auto step = [&](auto command) {
        if (window) window->firstText.reset();
        const auto t0 = BenchClock::now();
        const bool ok = command();
        const auto t1 = BenchClock::now();
        if (window && window->firstText && index < Breakdown().size()) {
            CommandBreakdown& b = Breakdown()[index];
            b.toFirstText.push_back(Seconds(*window->firstText - t0));
            b.textSpan.push_back(Seconds(window->lastText - *window->firstText));
            b.toReturn.push_back(Seconds(t1 - window->lastText));
        }
        ++index;
        return ok;
    };
    if (!step([&] { return QueryControllerName(nullptr, &protocol, kNode, data.controller); })) return false;
    if (!step([&] { return QueryControllerType(nullptr, &protocol, kNode, data.typeText); })) return false;
    if (!step([&] { return QueryComData(nullptr, &protocol, kNode, 2, data.user); })) return false;
    if (!step([&] { return QueryRobotName(nullptr, &protocol, kNode, data.robot); })) return false;
    if (!step([&] { return QueryInterface(nullptr, &protocol, kNode, data.interfaceText); })) return false;
    if (!step([&] { return QueryVersion2(nullptr, &protocol, kNode, data.version); })) return false;
    if (!step([&] { return QueryComData(nullptr, &protocol, kNode, 9, data.ipAddress); })) return false;
    if (!step([&] { return QueryComData(nullptr, &protocol, kNode, 8, data.subnetMask); })) return false;
    if (!step([&] { return QueryComData(nullptr, &protocol, kNode, 7, data.gateway); })) return false;

    const auto eachLine = [](const CString& text, auto apply) {
        std::u16string_view rest = text.view();
        while (!rest.empty()) {
            const std::size_t end = rest.find(u"\r\n");
            apply(rest.substr(0, end));
            rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 2);
        }
    };
    CString text;
    if (!step([&] { return ReadPointTable(nullptr, &protocol, kNode, text); })) return false;
    // Answer lines name their node ("PNT12.1=..."), as the data manager strips it.
    eachLine(text, [&](std::u16string_view line) { ParsePointLine(comm::WithoutAnswerNode(line), data); });
    RobotParameterSet& set = data.paramSets.front();
    if (!step([&] { return ReadParameterTable(nullptr, &protocol, kNode, text); })) return false;
    eachLine(text, [&](std::u16string_view line) { ParseParameterLine(comm::WithoutAnswerNode(line), set); });
    if (!step([&] { return ReadHParameterTable(nullptr, &protocol, kNode, text); })) return false;
    eachLine(text, [&](std::u16string_view line) { ParseHParameterLine(comm::WithoutAnswerNode(line), set); });
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
    void SetTimed(bool timed) { m_timed = timed; }

    // Sends every line and reads each reply up to its "OK.1" line.
    bool ReadWholeController(std::size_t& received)
    {
        static const std::string kOk = "OK.1\r\n";
        received = 0;
        std::size_t index = 0;
        for (const std::string& line : kCommandLines) {
            const auto t0 = BenchClock::now();
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
            if (m_timed) Breakdown()[index].bare.push_back(Seconds(BenchClock::now() - t0));
            ++index;
        }
        return true;
    }

private:
    int m_fd = -1;
    bool m_timed = false;
};

// The same exchange by a plain blocking client over the same pseudo-terminal.
class BareTerminalClient {
public:
    explicit BareTerminalClient(const std::string& path)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios settings{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::cfsetispeed(&settings, B38400);
            ::cfsetospeed(&settings, B38400);
            settings.c_cc[VMIN] = 1;
            settings.c_cc[VTIME] = 0;
            ::tcsetattr(m_fd, TCSANOW, &settings);
        }
    }
    ~BareTerminalClient()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    BareTerminalClient(const BareTerminalClient&) = delete;
    BareTerminalClient& operator=(const BareTerminalClient&) = delete;

    bool ReadWholeController()
    {
        static const std::string kOk = "OK.1\r\n";
        if (m_fd < 0) return false;
        const auto deadline = BenchClock::now() + kPatience;
        for (const std::string& line : kCommandLines) {
            const std::string bytes = line + "\r\n";
            if (::write(m_fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) return false;
            std::string reply;
            char buffer[4096];
            while (reply.size() < kOk.size() || reply.compare(reply.size() - kOk.size(), kOk.size(), kOk) != 0) {
                pollfd p{m_fd, POLLIN, 0};
                if (BenchClock::now() >= deadline || ::poll(&p, 1, 1000) < 0) return false;
                if (!(p.revents & POLLIN)) continue;
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n <= 0) return false;
                reply.append(buffer, static_cast<std::size_t>(n));
            }
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
    // The side that goes first meets the emulator's and the machine's
    // warm-up after the pause between measurements: the two take turns, from
    // one repetition (of one iteration each) to the next.
    static bool engineFirst = true;
    for (auto _ : state) {
        ControllerData data;
        data.paramSets.resize(1);
        std::size_t received = 0;
        bool read = false;
        bool bareRead = false;
        const auto timeEngine = [&] {
            const auto t0 = BenchClock::now();
            read = ReadWholeController(engine.protocol, data, &engine.window);
            engineSeconds += Seconds(BenchClock::now() - t0);
        };
        const auto timeBare = [&] {
            bare.SetTimed(true);
            const auto t0 = BenchClock::now();
            bareRead = bare.ReadWholeController(received);
            bareSeconds += Seconds(BenchClock::now() - t0);
        };
        if (engineFirst) {
            timeEngine();
            timeBare();
        } else {
            timeBare();
            timeEngine();
        }
        engineFirst = !engineFirst;
        if (!read || !bareRead) {
            state.SkipWithError("a read failed");
            return;
        }
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
    double bareSeconds = 0;
    double wireTotal = 0;
    for (auto _ : state) {
        ControllerData data;
        data.paramSets.resize(1);
        const auto t0 = BenchClock::now();
        const bool read = ReadWholeController(engine.protocol, data);
        const auto t1 = BenchClock::now();
        // The terminal is the bare client's alone while it reads.
        state.PauseTiming();
        engine.link.Close();
        state.ResumeTiming();
        bool bareRead = false;
        BenchClock::time_point t2, t3;
        {
            BareTerminalClient bare(path);
            t2 = BenchClock::now();
            bareRead = bare.ReadWholeController();
            t3 = BenchClock::now();
        }
        state.PauseTiming();
        // Closing forgets the port.
        engine.link.SetPortType(PORT_SERIAL);
        engine.link.SetComPort(kComNumber);
        const bool reopened = engine.OpenAndWait();
        state.ResumeTiming();
        if (!read || !bareRead || !reopened) {
            state.SkipWithError("a read failed");
            return;
        }
        engineSeconds += Seconds(t1 - t0);
        bareSeconds += Seconds(t3 - t2);
        wireTotal += wireSeconds;
    }
    Report(state, engineSeconds, wireTotal);
    state.counters["bare_ms"] = bareSeconds * 1000 / static_cast<double>(state.iterations());
    state.counters["bare_ratio"] = wireTotal > 0 ? bareSeconds / wireTotal : 0;
    state.counters["bytes"] = wireSeconds * kBaud / kBitsPerByte;
}

// Each repetition is one read by each side, so the median and the 90th
// percentile are of single measurements, not of averages.
double Percentile90(const std::vector<double>& v)
{
    std::vector<double> sorted(v);
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty()) return 0.0;
    return sorted[std::min(sorted.size() - 1, sorted.size() * 9 / 10)];
}

constexpr int kRepetitions = 60;
BENCHMARK(ReadOverTcp)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions)
    ->ComputeStatistics("p90", Percentile90)
    ->ReportAggregatesOnly(true);
BENCHMARK(ReadOverPacedTerminal)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("p90", Percentile90)
    ->ReportAggregatesOnly(true);

// Keeps the median ratio of every benchmark.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.error_occurred) continue;
            if (run.aggregate_name != "median" && run.aggregate_name != "p90") continue;
            const std::string name = run.benchmark_name();
            for (const char* counter : {"ratio", "bare_ratio"}) {
                const auto ratio = run.counters.find(counter);
                if (ratio == run.counters.end()) continue;
                const std::string key = name.substr(0, name.find('/')) + (counter == std::string("ratio") ? "" : " bare");
                m_ratios[key][run.aggregate_name] = ratio->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        if (!Breakdown().front().bare.empty()) {
            std::printf("\nover TCP, per command (median, microseconds): sent to first reply text at the engine's"
                        "\nwindow | first to last reply text | last text to return | bare client\n");
        }
        for (std::size_t i = 0; i < kCommandLines.size(); ++i) {
            const CommandBreakdown& b = Breakdown()[i];
            if (b.bare.empty()) continue;
            std::printf("  %-14s %8.1f %8.1f %8.1f   %8.1f\n", kCommandLines[i].c_str(), Median(b.toFirstText) * 1e6,
                        Median(b.textSpan) * 1e6, Median(b.toReturn) * 1e6, Median(b.bare) * 1e6);
        }
        std::printf("\nwhole controller read, engine / baseline in the same run:\n");
        for (auto [name, ratio] : m_ratios) {
            const char* goal = name == "ReadOverTcp"                ? "engine / bare socket client, goal <= 2.00"
                               : name == "ReadOverPacedTerminal"     ? "engine / wire time, goal <= 1.02"
                               : name == "ReadOverPacedTerminal bare" ? "bare terminal client / wire time"
                                                                      : "";
            std::printf("  %-26s median %6.3f  p90 %6.3f  (%s)\n", name.c_str(), ratio["median"], ratio["p90"], goal);
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> m_ratios;
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
