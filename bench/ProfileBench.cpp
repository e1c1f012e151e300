// Listing the names of a settings file against reading the same file's lines,
// measured in the same run: both grow with the file, so the ratio (listing
// time / reading time) stays level from a thousand names to forty thousand
// when the listing is linear, and climbs with the count when it is not.
// The ports file's overrides are read the same way, against one read of the
// file. Ratios are printed at the end.
#include "platform/core/ComPortNames.h"
#include "platform/core/Profile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::filesystem::path Folder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("qv-profile-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// A file of n sections and a section of n keys, each name also in other case.
std::filesystem::path FileOf(int n)
{
    const auto path = Folder() / ("names" + std::to_string(n) + ".ini");
    if (std::filesystem::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < n; ++i) out << "[Section" << i << "]\r\n[SECTION" << i << "]\r\n";
    out << "[Ports]\r\n";
    for (int i = 0; i < n; ++i) out << "COM" << i + 1 << "=/dev/pts/" << i << "\r\nKEY" << i << "=x\r\n";
    return path;
}

// The baseline: the file's bytes read and its lines counted.
std::size_t ReadLines(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::size_t lines = 0;
    std::string line;
    while (std::getline(in, line)) ++lines;
    return lines;
}

std::map<std::string, double> g_ratios;

void Record(benchmark::State& state, const std::string& name, double measured, double baseline)
{
    state.counters["ratio"] = baseline > 0 ? measured / baseline : 0;
    g_ratios[name] = baseline > 0 ? measured / baseline : 0;
}

template <typename Work>
void Measure(benchmark::State& state, const std::string& name, Work work)
{
    const auto path = FileOf(static_cast<int>(state.range(0)));
    const CString file = CString::FromUtf8(path.string());
    double measured = 0;
    double baseline = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(work(file, path));
        const auto t1 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ReadLines(path));
        const auto t2 = std::chrono::steady_clock::now();
        measured += std::chrono::duration<double>(t1 - t0).count();
        baseline += std::chrono::duration<double>(t2 - t1).count();
    }
    Record(state, name + "/" + std::to_string(state.range(0)), measured, baseline);
}

void BM_SectionNames(benchmark::State& state)
{
    Measure(state, "section names", [](const CString& file, const std::filesystem::path&) {
        return platform::PrivateProfileSectionNames(file).size();
    });
}

void BM_KeyNames(benchmark::State& state)
{
    Measure(state, "key names", [](const CString& file, const std::filesystem::path&) {
        return platform::PrivateProfileKeys(u"Ports", file).size();
    });
}

void BM_PortsFile(benchmark::State& state)
{
    Measure(state, "ports file", [](const CString&, const std::filesystem::path& path) {
        ::setenv(platform::kPortsFileVariable, path.c_str(), 1);
        return platform::ComPortDevice(1).size();
    });
}

double Percentile90(const std::vector<double>& values)
{
    std::vector<double> sorted(values);
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[(sorted.size() * 9) / 10 == sorted.size() ? sorted.size() - 1 : (sorted.size() * 9) / 10];
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
    b->ComputeStatistics("p90", Percentile90);
}

BENCHMARK(BM_SectionNames)->Apply(Sizes);
BENCHMARK(BM_KeyNames)->Apply(Sizes);
BENCHMARK(BM_PortsFile)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nlisting time / reading time (last repetition):\n");
    for (const auto& [name, ratio] : g_ratios) std::printf("  %-24s %.2f\n", name.c_str(), ratio);
    std::filesystem::remove_all(Folder());
    return 0;
}
