// A stand-in for the simulator program, started by the hand-over tests.
//   QV_FAKE_SIMULATOR_LOG   file that receives the arguments, one a line
//   QV_FAKE_SIMULATOR_EDIT  robot text to put into the shared block's data
//   QV_FAKE_SIMULATOR_HOLD  file whose creation lets the program end (bounded wait)
//   QV_FAKE_SIMULATOR_EXIT  the exit code (default 7)
#include "manager/core/SharedMemoryLink.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char** argv)
{
    if (const char* log = std::getenv("QV_FAKE_SIMULATOR_LOG")) {
        std::ofstream out(log, std::ios::binary);
        for (int i = 1; i < argc; ++i) out << argv[i] << '\n';
    }
    if (const char* edit = std::getenv("QV_FAKE_SIMULATOR_EDIT")) {
        CSharedMemoryLink link;
        if (!link.Load()) return 1;
        ControllerData data;
        data.paramSets.resize(1);
        if (!link.ReadController(data)) return 1;
        data.robot = CString::FromUtf8(edit);
        data.FirstParamSet()->K(1) += 1;
        const bool written = link.WriteController(data);
        link.Release();
        if (!written) return 1;
    }
    if (const char* hold = std::getenv("QV_FAKE_SIMULATOR_HOLD")) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!std::filesystem::exists(hold) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const char* code = std::getenv("QV_FAKE_SIMULATOR_EXIT");
    return code ? std::atoi(code) : 7;
}
