// The manager's point and parameter grids at the sizes engineers use them:
// showing the point pane's grid with all 255 points, switching from it to a
// parameter group and back, and pasting 255 whole points. Each is measured
// against a plain grid doing the same amount of cell writing in the same run
// (the baseline), and reported as median and 90th percentile in ms with the
// ratio. Goals: show and switch under 50 ms, paste under 100 ms.
#include "manager/app/ManagerResources.h"
#include "manager/core/NumberText.h"
#include "manager/ui/ParameterGrid.h"
#include "manager/ui/PointTableGrid.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ResourceTemplates.h"
#include "platform/ui/UserInterface.h"
#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowApi.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::map<std::string, std::vector<double>>& Samples()
{
    static std::map<std::string, std::vector<double>> samples;
    return samples;
}

// A top-level window holding the grids, as the controller window does.
class Host : public CFrameWnd {
public:
    bool Open()
    {
        if (!Create(nullptr, u"bench", WS_OVERLAPPEDWINDOW, CRect(0, 0, 1100, 800))) return false;
        ShowWindow(SW_SHOW);
        return true;
    }
};

struct World {
    Host& host = *new Host;  // a frame deletes itself when its window ends
    ControllerData data;
    std::array<PointRecord, kPointCount> reference{};
    RobotParameterSet referenceSet{};
    CPointTableGrid points;
    CParameterGrid parameters;
    CGridCtrl plain;
    const ParamDefTable* table = nullptr;

    World(const ParamDefTable* t) : table(t)
    {
        host.Open();
        data.paramSets.resize(1);
        RobotParameterSet& set = data.paramSets.front();
        set.K(72) = 2;
        set.K(52) = 100;
        set.K(53) = 100;
        set.K(54) = 10;
        for (int i = 0; i < kPointCount; ++i) {
            PointRecord& p = data.points[static_cast<size_t>(i)];
            p.number = i + 1;
            p.m = 1 + i % 8;
            p.p = i * 100;
            p.s = p.ac = p.dc = 50;
            p.q = 30;
        }
        reference = data.points;
        referenceSet = set;
        points.Create(CRect(5, 5, 1000, 700), &host, 1010);
        parameters.Create(CRect(5, 5, 1000, 700), &host, 1012);
        plain.Create(WS_CHILD, CRect(5, 5, 1000, 700), &host, 1013);
        parameters.LayoutParamGrid(table, CString(u"KX-Q05"), CString(u"NPN"));
        parameters.LoadParamValues(&set, &referenceSet);
        parameters.ShowWindow(SW_HIDE);
    }
};

World* g_world = nullptr;

// Paints the widget as the screen would.
void Paint(CWnd& wnd)
{
    if (QWidget* widget = platform::ui::WidgetOf(wnd.GetSafeHwnd())) widget->grab();
}

void Record(const char* name, Clock::time_point start)
{
    Samples()[name].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
}

void BM_Panes(benchmark::State& state)
{
    World& w = *g_world;
    CString pasteText;
    for (int i = 0; i < kPointCount; ++i)
        pasteText += CPointTableGrid::MoveTypeName(1 + i % 8) + u"\t12.34\t50\t60\t70\t80\t0\t0\t0.1\t0\t0\t0\t0\r\n";
    for (auto _ : state) {
        // Baseline: a plain grid given the same 255 x 14 texts and painted.
        auto start = Clock::now();
        w.plain.SetRows(2 + kPointCount);
        w.plain.SetCols(14);
        for (int r = 2; r < 2 + kPointCount; ++r)
            for (int c = 0; c < 14; ++c) w.plain.SetCellText(r, c, u"12.34");
        w.plain.ShowWindow(SW_SHOW);
        Paint(w.plain);
        w.plain.ShowWindow(SW_HIDE);
        Record("baseline", start);

        // The point pane's grid shown with 255 points.
        start = Clock::now();
        w.points.LayoutPointGrid(&w.data, &w.reference, FALSE);
        w.points.FillPointGrid(FALSE, FALSE, TRUE);
        w.points.ShowWindow(SW_SHOW);
        Paint(w.points);
        Record("show points", start);

        // Switch to a parameter group and back.
        start = Clock::now();
        w.points.ShowWindow(SW_HIDE);
        w.parameters.ShowGroup('M', 0);
        w.parameters.ShowWindow(SW_SHOW);
        Paint(w.parameters);
        Record("switch to parameters", start);
        start = Clock::now();
        w.parameters.ShowWindow(SW_HIDE);
        w.points.ShowWindow(SW_SHOW);
        Paint(w.points);
        Record("switch to points", start);

        // 255 whole points pasted from the first data cell.
        w.points.SelectCell(CPointTableGrid::kFixedRows, 1, FALSE);
        start = Clock::now();
        w.points.PasteText(pasteText);
        Paint(w.points);
        Record("paste 255 points", start);
        if (w.data.points[254].p != 1234) state.SkipWithError("the paste did not reach the points");
        w.data.points = w.reference;
    }
}
BENCHMARK(BM_Panes)->Iterations(30)->Unit(benchmark::kMillisecond);

double Percentile(std::vector<double> v, double q)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QApplication app(argc, argv);
    platform::UserInterface ui;
    InitNumberLocale();
    CManagerResources resources;
    resources.LoadModule();
    resources.LoadParamDefTables();
    World world(resources.Table(0));
    g_world = &world;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double base = Percentile(Samples()["baseline"], 0.5);
    for (const auto& [name, values] : Samples()) {
        const double median = Percentile(values, 0.5);
        std::printf("%-22s median %7.2f ms  p90 %7.2f ms  ratio to baseline %.2f\n", name.c_str(), median,
                    Percentile(values, 0.9), base > 0 ? median / base : 0.0);
    }
    return 0;
}
