// The simulator's two heavy steps on full lists, in the main dialog as the
// program runs it (offscreen), each followed by the repaint of the table it
// filled: Execute of 255 motions with the result table filled, and the point
// list of 255 points loaded into its grid. Baselines of
// the same run: the 255 library calls alone (the run's own work without any
// window), and the 255 x 7 cell texts formatted without a grid. Each
// measurement is one Execute or one load; the closing lines print the median
// and 90th percentile in ms and their ratio to the baseline.
#include "manager/core/LibraryBindings.h"
#include "manager/core/SharedMemoryLink.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/UserInterface.h"
#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/MotionSettingsFile.h"
#include "simulator/core/MoveRun.h"
#include "simulator/ui/SimulatorApp.h"
#include "simulator/ui/SimulatorDlg.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

CSimulatorApp g_app;

// A box in a benchmark is a fault of the set-up: it is printed and answered.
class PrintedBoxes : public platform::IMessageBoxService {
public:
    int Show(const platform::MessageBoxRequest& request) override
    {
        std::fprintf(stderr, "message box: %s\n", CString(request.text).ToUtf8().c_str());
        return IDYES;
    }
};

using Clock = std::chrono::steady_clock;

std::map<std::string, std::vector<double>>& Samples()
{
    static std::map<std::string, std::vector<double>> samples;
    return samples;
}

template <class Work>
void Measure(benchmark::State& state, const char* name, Work&& work)
{
    for (auto _ : state) {
        const auto start = Clock::now();
        work();
        Samples()[name].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
}

// 255 points P1..P255, absolute, 1 mm apart, with varied speeds.
ControllerData FullData()
{
    ControllerData data;
    data.paramSets.resize(1);
    FillControllerDataFromDatabase(data, u"KX-Q05", u"SA4-L03");
    data.typeText = u"Q05";
    data.FirstParamSet()->K(71) = 2;
    data.FirstParamSet()->K(72) = 2;
    for (int n = 1; n <= kPointCount; ++n) {
        PointRecord& point = data.points[static_cast<std::size_t>(n - 1)];
        point.number = n;
        point.m = 1;
        point.p = n * 100 * (n % 2 ? 1 : 3);
        point.s = 20 + n % 80;
        point.ac = 30 + n % 70;
        point.dc = 100;
        point.q = 100;
    }
    return data;
}

struct Session {
    std::unique_ptr<QApplication> qt;
    std::unique_ptr<platform::UserInterface> ui;
    HMODULE resources{};
    CSharedMemoryLink manager;
    ControllerData data = FullData();
    std::unique_ptr<CSimulatorDlg> dlg;
    std::filesystem::path mos;

    Session()
    {
        static int argc = 1;
        static char name[] = "bench";
        static char* argv[] = {name, nullptr};
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("QV_LANG", "en", 1);
        qt = std::make_unique<QApplication>(argc, argv);
        ui = std::make_unique<platform::UserInterface>();
        static PrintedBoxes boxes;
        platform::SetMessageBoxService(&boxes);
        resources = ::LoadLibraryW(u"pellarun.dll");
        AfxSetResourceHandle(resources);
        manager.Load();
        manager.WriteController(data);
        g_app.m_bExchange = 1;
        dlg = std::make_unique<CSimulatorDlg>();
        dlg->Create(IDD_SIMULATOR, nullptr);
        dlg->ShowWindow(SW_SHOW);
        // 255 motions P1->P2->...->P255->P1 in the continuous type.
        mos = std::filesystem::temp_directory_path() / "qv-bench-motions.mos";
        std::FILE* file = std::fopen(mos.string().c_str(), "wb");
        std::fprintf(file, "[Motion Setting File]\r\nAppVer=1.0.0\r\n[Setting Data]\r\nMotionType=0\r\n");
        for (int i = 1; i <= 255; ++i)
            std::fprintf(file, "MotionData%d=P%d,P%d,%d\r\n", i, i, i == 255 ? 1 : i + 1, i % 3 * 10);
        std::fclose(file);
        dlg->ReadMotionSettings(CString::FromUtf8(mos.string()));
    }
    ~Session()
    {
        dlg->DestroyWindow();
        dlg.reset();
        manager.Release();
        std::filesystem::remove(mos);
    }
};

// The window painted with what it now holds, as a person sees it.
void Show(CSimulatorDlg& dlg, int gridId)
{
    if (CWnd* grid = dlg.GetDlgItem(gridId)) grid->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    QCoreApplication::processEvents();
}

Session& TheSession()
{
    static Session session;
    return session;
}

void BM_Execute255(benchmark::State& state)
{
    Session& s = TheSession();
    Measure(state, "execute", [&] {
        s.dlg->OnExecute();
        Show(*s.dlg, IDC_RESULT_GRID);
    });
    if (s.dlg->Results().size() != 255) state.SkipWithError("the run did not compute 255 motions");
}

void BM_Execute255_LibraryOnly(benchmark::State& state)
{
    Session& s = TheSession();
    MotionList list;
    MotionSettings settings;
    ReadMotionSettingsFile(CString::FromUtf8(s.mos.string()), settings);
    LoadMotionSettings(list, settings, 2, u'.');
    PointSpeeds speeds;
    speeds.Load(s.data.points);
    const MoveSource source{s.data.points, *s.data.FirstParamSet(), speeds, 2};
    std::vector<MotionResult> results;
    MoveCheckError error;
    Measure(state, "execute-baseline",
            [&] { benchmark::DoNotOptimize(RunMotions(source, list, g_app.m_motionLibrary, results, error)); });
}

void BM_LoadPoints255(benchmark::State& state)
{
    Session& s = TheSession();
    Measure(state, "load", [&] {
        s.dlg->LoadPointList();
        Show(*s.dlg, IDC_POINT_GRID);
    });
}

void BM_LoadPoints255_TextsOnly(benchmark::State& state)
{
    Session& s = TheSession();
    Measure(state, "load-baseline", [&] {
        CString text;
        for (const PointRecord& point : s.data.points) {
            text.Format(u"%.*f", 2, point.p / 100.0);
            text.Format(u"%.0f", static_cast<double>(point.s));
            text.Format(u"%.0f", static_cast<double>(point.ac));
            text.Format(u"%d", point.dc);
            text.Format(u"%d", point.j);
            text.Format(u"%d", point.f);
            text.Format(u"P%d", point.number);
            benchmark::DoNotOptimize(text);
        }
    });
}

BENCHMARK(BM_Execute255)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Execute255_LibraryOnly)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPoints255)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPoints255_TextsOnly)->Iterations(200)->Unit(benchmark::kMillisecond);

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    auto& s = Samples();
    auto line = [&](const char* what, const char* name, const char* base, double goal) {
        const double median = Percentile(s[name], 0.5), p90 = Percentile(s[name], 0.9);
        const double baseMedian = Percentile(s[base], 0.5), baseP90 = Percentile(s[base], 0.9);
        std::printf("%s: median %.2f ms, p90 %.2f ms (goal under %.0f ms); baseline median %.3f ms, p90 %.3f ms; "
                    "ratio median %.1f, p90 %.1f\n",
                    what, median, p90, goal, baseMedian, baseP90, baseMedian > 0 ? median / baseMedian : 0,
                    baseP90 > 0 ? p90 / baseP90 : 0);
    };
    line("Execute of 255 motions with results shown", "execute", "execute-baseline", 20);
    line("Point list of 255 points loaded", "load", "load-baseline", 30);
    benchmark::Shutdown();
    return 0;
}
