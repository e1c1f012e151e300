// The manager at rest with one online controller window whose status is
// polled from the controller emulator (a separate process on a
// pseudo-terminal mapped to a COM number): the processor time the manager
// takes over 10 s, as a share of one core (goal: under 2 %), and the memory
// it holds (goal: under 60 MB resident). The baseline, in the same run, is
// the same manager with its main window only. Each second of both runs is
// one measurement; the median and the 90th percentile are printed. Also the
// start-up to the main window (goal: under 1 s).
#include "manager/ui/ChildFrm.h"
#include "manager/ui/LeftpaneTreeView.h"
#include "manager/ui/MainFrm.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/QuorvaneApp.h"
#include "platform/core/CodePage.h"
#include "platform/core/ComPortNames.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Paths.h"
#include "platform/ui/UserInterface.h"
#include "platform/ui/WinApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>
#include <fcntl.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kSeconds = 10;
constexpr int kCom = 9;

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

// Times a thread of the process went to sleep (all threads): the wake-ups,
// which cost much the same whatever else the machine does.
long VoluntarySwitches()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

double ResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Lets the application's loop run for a while; the share of a core each second took.
std::vector<double> RunFor(int seconds)
{
    std::vector<double> shares;
    for (int s = 0; s < seconds; ++s) {
        const double cpu = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        // The toolkit's loop carries the window layer's messages and timers;
        // the application's idle round runs once a second, as after a poll's update.
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        platform::RunAppIdle();
        shares.push_back(100.0 * (CpuSeconds() - cpu) / (static_cast<double>(wall.elapsed()) / 1000.0));
    }
    return shares;
}

// The same, with the application's own message loop as the program runs it.
std::vector<double> RunAppLoopFor(int seconds)
{
    std::vector<double> shares;
    for (int s = 0; s < seconds; ++s) {
        const double cpu = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        const UINT_PTR stop = ::SetTimer(HWND(), 0, 1000, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(HWND(), id);
            ::PostQuitMessage(0);
        });
        AfxGetApp()->RunMessageLoop();
        ::KillTimer(HWND(), stop);
        shares.push_back(100.0 * (CpuSeconds() - cpu) / (static_cast<double>(wall.elapsed()) / 1000.0));
    }
    return shares;
}

// Processor time of each thread of the process, in clock ticks, by thread id.
std::map<std::string, long> ThreadTicks()
{
    std::map<std::string, long> ticks;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(text.substr(close + 2));
        std::string field;
        long user = 0, system = 0;
        for (int i = 0; i < 13 && rest >> field; ++i) {
            if (i == 11) user = std::stol(field);
            if (i == 12) system = std::stol(field);
        }
        ticks[entry.path().filename().string()] = user + system;
    }
    return ticks;
}

// Which threads took the time between two readings (share of one core).
void PrintThreadShares(const std::map<std::string, long>& before, const std::map<std::string, long>& after,
                       double seconds)
{
    const double hz = static_cast<double>(::sysconf(_SC_CLK_TCK));
    std::printf("  by thread (%% of one core):");
    for (const auto& [id, t] : after) {
        const auto was = before.find(id);
        const long spent = t - (was == before.end() ? 0 : was->second);
        if (spent > 0) std::printf(" %s%s %.2f", id.c_str(), id == std::to_string(::getpid()) ? " (ui)" : "",
                                   100.0 * static_cast<double>(spent) / hz / seconds);
    }
    std::printf("\n");
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
    return values[index];
}

// The controller emulator as a program of its own; the terminal it serves.
struct EmulatorProcess {
    pid_t pid = 0;
    std::string pty;
    ~EmulatorProcess()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

bool StartEmulator(EmulatorProcess& emulator, const std::filesystem::path& folder)
{
    std::ofstream(folder / "controller.txt") << "NODE=1\nTYPE=Q05\nCONT=KX-Q05\nROBOT=SA4-L06\nK72=2\nD0=1250\nOPT=800\n";
    const std::string program = std::string(platform::FromWide(
        std::u16string_view(platform::GetProgramFolder().GetString()), CP_UTF8)) + "controller-emulator";
    const std::string log = (folder / "emulator.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args = {program, "--pty", "--quiet", "--state", (folder / "controller.txt").string()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&emulator.pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    for (int i = 0; i < 200 && emulator.pty.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream in(log);
        std::string word;
        std::string path;
        if (in >> word >> path && word == "pty") emulator.pty = path;
    }
    return !emulator.pty.empty();
}

// Message boxes of the run (the scan's list) are answered at once.
class AnswerAll final : public platform::IMessageBoxService {
public:
    AnswerAll() : m_previous(platform::SetMessageBoxService(this)) {}
    ~AnswerAll() override { platform::SetMessageBoxService(m_previous); }
    int Show(const platform::MessageBoxRequest&) override { return IDOK; }

private:
    platform::IMessageBoxService* m_previous;
};

void BM_ManagerIdleWithOnlineWindow(benchmark::State& state)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qv-idle-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "runtime");
    std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (folder / "runtime").c_str(), 1);
    EmulatorProcess emulator;
    if (!StartEmulator(emulator, folder)) {
        state.SkipWithError("the controller emulator did not start");
        return;
    }
    std::ofstream(folder / "ports.ini") << "[Ports]\nCOM" << kCom << "=" << emulator.pty << "\n";
    ::setenv(platform::kPortsFileVariable, (folder / "ports.ini").c_str(), 1);

    AnswerAll boxes;
    for (auto _ : state) {
        CQuorvaneApp app;
        app.SetArguments({u"quorvane"});
        app.SetCheckRequiredFiles(false);
        app.SetSplashMs(10);
        // Idle means no window of its own: the launcher stays away.
        app.SetLauncherAtStart(false);
        if (!app.InitInstance()) {
            state.SkipWithError("the manager did not start");
            return;
        }
        RunFor(2);  // settles
        const std::vector<double> baseline = RunFor(kSeconds);
        app.Pending() = MakeSerialRequest(kCom, u"Bench");
        if (app.OpenPendingConnection() != OpenOutcome::Opened) {
            state.SkipWithError("the online window did not open");
            return;
        }
        RunFor(2);
        const auto threadsBefore = ThreadTicks();
        const long switchesBefore = VoluntarySwitches();
        const std::vector<double> online = RunFor(kSeconds);
        const long switchesOnline = VoluntarySwitches() - switchesBefore;
        const auto threadsAfter = ThreadTicks();
        const double resident = ResidentMegabytes();
        const long switchesBeforeOwn = VoluntarySwitches();
        const std::vector<double> ownLoop = RunAppLoopFor(kSeconds);
        const long switchesOwn = VoluntarySwitches() - switchesBeforeOwn;
        double total = 0;
        for (double v : online) total += v;
        state.counters["online_cpu_pct_mean"] = total / static_cast<double>(online.size());
        state.counters["online_cpu_pct_median"] = Percentile(online, 0.5);
        state.counters["online_cpu_pct_p90"] = Percentile(online, 0.9);
        state.counters["baseline_cpu_pct_median"] = Percentile(baseline, 0.5);
        state.counters["baseline_cpu_pct_p90"] = Percentile(baseline, 0.9);
        state.counters["resident_mb"] = resident;
        std::printf("manager idle, one online window polling: CPU %.2f %% of a core (median %.2f, p90 %.2f; "
                    "main window alone: median %.2f, p90 %.2f); resident %.1f MB\n",
                    total / static_cast<double>(online.size()), Percentile(online, 0.5), Percentile(online, 0.9),
                    Percentile(baseline, 0.5), Percentile(baseline, 0.9), resident);
        PrintThreadShares(threadsBefore, threadsAfter, kSeconds);
        state.counters["own_loop_cpu_pct_median"] = Percentile(ownLoop, 0.5);
        state.counters["own_loop_cpu_pct_p90"] = Percentile(ownLoop, 0.9);
        std::printf("  the same under the application's own message loop: median %.2f, p90 %.2f\n",
                    Percentile(ownLoop, 0.5), Percentile(ownLoop, 0.9));
        state.counters["online_wakeups_per_s"] = static_cast<double>(switchesOnline) / kSeconds;
        state.counters["own_loop_wakeups_per_s"] = static_cast<double>(switchesOwn) / kSeconds;
        std::printf("  thread wake-ups per second: %.0f (own message loop: %.0f)\n",
                    static_cast<double>(switchesOnline) / kSeconds, static_cast<double>(switchesOwn) / kSeconds);
        if (CWnd* main = app.m_pMainWnd) {
            for (CMDIChildWnd* child : static_cast<CMainFrame*>(main)->MDIGetChildren()) child->SendMessage(UM_CLOSEFRAME);
            main->DestroyWindow();
        }
        RunFor(1);
        app.ExitInstance();
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

// Start-up: from a new application object to InitInstance's return with the
// main window shown (goal: under 1 s in a Release build). Each repetition is
// one start in a fresh settings folder. Argument 0: the splash keeps its own
// display time, which the main window waits for; 1: the splash only flashes,
// so the figure is the start-up's own work.
void BM_StartUpToMainWindow(benchmark::State& state)
{
    static int run = 0;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qv-start-bench-" + std::to_string(::getpid()) + "-" + std::to_string(++run));
    std::filesystem::create_directories(folder / "runtime");
    std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (folder / "runtime").c_str(), 1);
    AnswerAll boxes;
    for (auto _ : state) {
        CQuorvaneApp app;
        app.SetArguments({u"quorvane"});
        app.SetCheckRequiredFiles(false);
        if (state.range(0) == 1) app.SetSplashMs(10);
        const auto t0 = std::chrono::steady_clock::now();
        const bool started = app.InitInstance() && app.m_pMainWnd && app.m_pMainWnd->IsWindowVisible();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (!started) {
            state.SkipWithError("the manager did not start");
            break;
        }
        state.PauseTiming();
        if (CWnd* main = app.m_pMainWnd) main->DestroyWindow();
        RunFor(1);
        app.ExitInstance();
        state.ResumeTiming();
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

}  // namespace

BENCHMARK(BM_StartUpToMainWindow)
    ->ArgName("splash_flash")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("p90", [](const std::vector<double>& v) { return Percentile(v, 0.9); })
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ManagerIdleWithOnlineWindow)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qt(argc, argv);
    int code = 0;
    {
        platform::UserInterface ui;
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    return code;
}
