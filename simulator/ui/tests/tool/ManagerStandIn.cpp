// The manager's side of the hand-over for the exchange tests, in a process of
// its own as in use: it writes one controller's data into the shared block,
// says so by creating <ready>, holds the block until <done> appears (bounded
// wait), then writes what the block holds into the data file <out>.
//   simui-manager-standin <ready> <done> <out>
#include "manager/core/LibraryBindings.h"
#include "manager/core/SharedMemoryLink.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 4) return 2;
    ControllerData data;
    data.paramSets.resize(1);
    if (!FillControllerDataFromDatabase(data, u"KX-Q05", u"SA4-L06")) return 3;
    data.typeText = u"Q05";
    data.FirstParamSet()->K(71) = 2;
    data.FirstParamSet()->K(72) = 2;
    for (int n : {1, 2}) {
        PointRecord& point = data.points[static_cast<std::size_t>(n - 1)];
        point.number = n;
        point.m = 1;
        point.p = n * 1000;
        point.s = 100;
        point.ac = 100;
        point.dc = 100;
        point.q = 100;
    }
    CSharedMemoryLink link;
    if (!link.Load() || !link.WriteController(data)) return 4;
    std::ofstream(argv[1]).put('1');
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(argv[2]) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ControllerData back;
    back.paramSets.resize(1);
    const bool read = link.ReadController(back);
    link.Release();
    if (!read) return 5;
    ControllerDataStore store;
    return store.WriteControllerDataFile(CString::FromUtf8(argv[3]), back, true, true, true) ? 0 : 6;
}
