// Cost of the message layer against a plain condition-variable hand-off
// between two threads, measured in the same run (each iteration times both):
//  - post latency: a worker posts to a window of another thread, the window's
//    handler answers through a shared signal; the baseline hands the value
//    over through a mutex and a condition variable and answers the same way;
//  - send latency: a cross-thread SendMessage against a request and reply
//    through two condition variables;
//  - post rate: a burst of posts against a burst pushed through a
//    mutex-guarded queue with a notify per item.
// Post and send latency are measured twice: to a headless window thread and
// to a window on the Qt thread through the user-interface dispatcher, where
// the programs' windows live. Each figure is the median and the 90th
// percentile of single measurements; the ratios (message / baseline; above 1
// is slower; goal: median at most 2, 90th percentile at most 3) are printed
// at the end.
#include "platform/core/Messages.h"
#include "platform/core/Wnd.h"
#include "platform/ui/UserInterface.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT WM_BENCH_POST = WM_APP + 1;
constexpr UINT WM_BENCH_SEND = WM_APP + 2;
constexpr int kBurst = 10000;

// The answer path shared by the measured and the baseline hand-offs.
class Signal {
public:
    void Raise(std::int64_t value)
    {
        {
            std::lock_guard lock(m_mutex);
            m_value = value;
        }
        m_changed.notify_one();
    }
    void WaitFor(std::int64_t value)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_value >= value; });
    }
    void Reset()
    {
        std::lock_guard lock(m_mutex);
        m_value = 0;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::int64_t m_value = 0;
};

Signal g_signal;

class CBenchWnd : public CWnd {
public:
    std::int64_t received = 0;

    LRESULT OnPost(WPARAM, LPARAM value)
    {
        ++received;
        if (value != 0)
            g_signal.Raise(value);
        return 0;
    }
    LRESULT OnSend(WPARAM value, LPARAM) { return static_cast<LRESULT>(value) + 1; }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBenchWnd, CWnd)
    ON_MESSAGE(WM_BENCH_POST, &CBenchWnd::OnPost)
    ON_MESSAGE(WM_BENCH_SEND, &CBenchWnd::OnSend)
END_MESSAGE_MAP()

// The window's thread: its own message loop, headless.
class WindowThread {
public:
    WindowThread()
    {
        std::promise<HWND> created;
        std::future<HWND> hwnd = created.get_future();
        m_thread = std::thread([&created] {
            CBenchWnd wnd;
            const RECT rect{0, 0, 10, 10};
            wnd.CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, rect, nullptr, 0);
            created.set_value(wnd.m_hWnd);
            platform::RunMessageLoop();
            wnd.DestroyWindow();
        });
        m_hwnd = hwnd.get();
        m_threadId = GetWindowThreadProcessId(m_hwnd, nullptr);
    }
    ~WindowThread()
    {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Hwnd() const { return m_hwnd; }

private:
    std::thread m_thread;
    HWND m_hwnd;
    DWORD m_threadId = 0;
};

WindowThread* g_window = nullptr;
// A window of the same class on the Qt thread (the main thread).
HWND g_qtWindow = HWND();

HWND TargetWindow(const benchmark::State& state) { return state.range(0) == 0 ? g_window->Hwnd() : g_qtWindow; }

// The baseline's other thread: takes values from a mutex-guarded queue.
class HandOffThread {
public:
    HandOffThread()
    {
        m_thread = std::thread([this] {
            std::unique_lock lock(m_mutex);
            for (;;) {
                m_changed.wait(lock, [&] { return !m_items.empty(); });
                const std::int64_t value = m_items.front();
                m_items.pop_front();
                if (value < 0)
                    return;
                lock.unlock();
                ++m_received;
                if (value != 0)
                    g_signal.Raise(value);
                lock.lock();
            }
        });
    }
    ~HandOffThread()
    {
        Push(-1);
        m_thread.join();
    }
    void Push(std::int64_t value)
    {
        {
            std::lock_guard lock(m_mutex);
            m_items.push_back(value);
        }
        m_changed.notify_one();
    }

private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::int64_t> m_items;
    std::int64_t m_received = 0;
};

// The baseline of a send: a request and its reply through two condition
// variables.
class RequestThread {
public:
    RequestThread()
    {
        m_thread = std::thread([this] {
            std::unique_lock lock(m_mutex);
            for (;;) {
                m_changed.wait(lock, [&] { return m_hasRequest; });
                m_hasRequest = false;
                if (m_request < 0)
                    return;
                m_reply = m_request + 1;
                m_hasReply = true;
                m_replied.notify_one();
            }
        });
    }
    ~RequestThread() { Call(-1, false); }
    std::int64_t Call(std::int64_t request, bool wait = true)
    {
        std::unique_lock lock(m_mutex);
        m_request = request;
        m_hasRequest = true;
        m_changed.notify_one();
        if (!wait) {
            lock.unlock();
            m_thread.join();
            return 0;
        }
        m_replied.wait(lock, [&] { return m_hasReply; });
        m_hasReply = false;
        return m_reply;
    }

private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::condition_variable m_replied;
    std::int64_t m_request = 0;
    std::int64_t m_reply = 0;
    bool m_hasRequest = false;
    bool m_hasReply = false;
};

using BenchClock = std::chrono::steady_clock;

double Nanoseconds(BenchClock::duration d)
{
    return std::chrono::duration<double, std::nano>(d).count();
}

// Each iteration runs the message path and then the baseline, so that both
// meet the same load of the machine; the counters give the mean time of each
// per iteration and their ratio.
void Report(benchmark::State& state, double messageNs, double baselineNs)
{
    const double n = static_cast<double>(state.iterations());
    state.counters["message_ns"] = messageNs / n;
    state.counters["baseline_ns"] = baselineNs / n;
    state.counters["ratio"] = baselineNs > 0 ? messageNs / baselineNs : 0;
}

double Quantile(std::vector<double> v, double q)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())))];
}

// Single measurements of both sides: their medians, 90th percentiles and ratios.
void ReportSamples(benchmark::State& state, const std::vector<double>& message, const std::vector<double>& baseline)
{
    const double mm = Quantile(message, 0.5), m90 = Quantile(message, 0.9);
    const double bm = Quantile(baseline, 0.5), b90 = Quantile(baseline, 0.9);
    state.counters["message_med_ns"] = mm;
    state.counters["message_p90_ns"] = m90;
    state.counters["baseline_med_ns"] = bm;
    state.counters["baseline_p90_ns"] = b90;
    state.counters["ratio"] = bm > 0 ? mm / bm : 0;
    state.counters["ratio_p90"] = b90 > 0 ? m90 / b90 : 0;
}

void PostLatency(benchmark::State& state)
{
    g_signal.Reset();
    HandOffThread other;
    const HWND hwnd = TargetWindow(state);
    std::int64_t seq = 0;
    std::vector<double> message, baseline;
    for (auto _ : state) {
        const auto t0 = BenchClock::now();
        PostMessageW(hwnd, WM_BENCH_POST, 0, static_cast<LPARAM>(++seq));
        g_signal.WaitFor(seq);
        const auto t1 = BenchClock::now();
        other.Push(++seq);
        g_signal.WaitFor(seq);
        const auto t2 = BenchClock::now();
        message.push_back(Nanoseconds(t1 - t0));
        baseline.push_back(Nanoseconds(t2 - t1));
    }
    ReportSamples(state, message, baseline);
}

void SendLatency(benchmark::State& state)
{
    RequestThread other;
    const HWND hwnd = TargetWindow(state);
    std::int64_t value = 0;
    std::vector<double> message, baseline;
    for (auto _ : state) {
        const auto t0 = BenchClock::now();
        benchmark::DoNotOptimize(SendMessageW(hwnd, WM_BENCH_SEND, static_cast<WPARAM>(++value), 0));
        const auto t1 = BenchClock::now();
        benchmark::DoNotOptimize(other.Call(++value));
        const auto t2 = BenchClock::now();
        message.push_back(Nanoseconds(t1 - t0));
        baseline.push_back(Nanoseconds(t2 - t1));
    }
    ReportSamples(state, message, baseline);
}

void PostRate(benchmark::State& state)
{
    g_signal.Reset();
    HandOffThread other;
    const HWND hwnd = TargetWindow(state);
    std::int64_t seq = 0;
    double messageNs = 0;
    double baselineNs = 0;
    for (auto _ : state) {
        const auto t0 = BenchClock::now();
        for (int i = 1; i < kBurst; ++i)
            PostMessageW(hwnd, WM_BENCH_POST, 0, 0);
        PostMessageW(hwnd, WM_BENCH_POST, 0, static_cast<LPARAM>(++seq));
        g_signal.WaitFor(seq);
        const auto t1 = BenchClock::now();
        for (int i = 1; i < kBurst; ++i)
            other.Push(0);
        other.Push(++seq);
        g_signal.WaitFor(seq);
        const auto t2 = BenchClock::now();
        messageNs += Nanoseconds(t1 - t0);
        baselineNs += Nanoseconds(t2 - t1);
    }
    Report(state, messageNs, baselineNs);
    state.counters["message_per_s"] = messageNs > 0 ? kBurst * state.iterations() / (messageNs * 1e-9) : 0;
    state.counters["baseline_per_s"] = baselineNs > 0 ? kBurst * state.iterations() / (baselineNs * 1e-9) : 0;
}

// Medians of several repetitions, as the machine may be busy with other work.
constexpr int kRepetitions = 7;
// Argument 0: the headless window thread; 1: the Qt thread.
BENCHMARK(PostLatency)->ArgName("qt")->Arg(0)->Arg(1)->UseRealTime()->Iterations(20000);
BENCHMARK(SendLatency)->ArgName("qt")->Arg(0)->Arg(1)->UseRealTime()->Iterations(20000);
BENCHMARK(PostRate)->ArgName("qt")->Arg(0)->Arg(1)->UseRealTime()->Repetitions(kRepetitions)->ReportAggregatesOnly(true);

// Keeps the median ratio of every benchmark.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((!single && !median) || run.error_occurred)
                continue;
            const std::string name = run.run_name.function_name + (run.run_name.args == "qt:1" ? " (Qt)" : " (headless)");
            for (const char* counter : {"ratio", "ratio_p90"}) {
                const auto ratio = run.counters.find(counter);
                if (ratio != run.counters.end())
                    m_ratios[name][counter] = ratio->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        std::printf("\nmessage layer / condition-variable hand-off, same run (latency: median and 90th percentile"
                    "\nof single measurements, goal <= 2 and <= 3; rate: median of %d runs):\n",
                    kRepetitions);
        for (auto [name, ratio] : m_ratios) {
            if (ratio.count("ratio_p90"))
                std::printf("  %-24s median %6.2f  p90 %6.2f\n", name.c_str(), ratio["ratio"], ratio["ratio_p90"]);
            else
                std::printf("  %-24s %6.2f\n", name.c_str(), ratio["ratio"]);
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> m_ratios;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QApplication app(argc, argv);
    platform::UserInterface userInterface;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    WindowThread window;
    g_window = &window;
    CBenchWnd qtWindow;
    qtWindow.CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 10, 10}, nullptr, 0);
    g_qtWindow = qtWindow.m_hWnd;
    // The benchmarks run on a thread of their own while this one, the Qt
    // thread, runs its message loop.
    const DWORD uiThread = GetCurrentThreadId();
    RatioReporter reporter;
    std::thread runner([&] {
        benchmark::RunSpecifiedBenchmarks(&reporter);
        PostThreadMessageW(uiThread, WM_QUIT, 0, 0);
    });
    platform::RunMessageLoop();
    runner.join();
    reporter.PrintRatios();
    benchmark::Shutdown();
    qtWindow.DestroyWindow();
    g_window = nullptr;
    return 0;
}
