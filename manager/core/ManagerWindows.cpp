#include "manager/core/ManagerWindows.h"

namespace {

HeadlessManagerWindows g_headless;
IManagerWindows* g_installed = nullptr;

}  // namespace

IManagerWindows& GetManagerWindows() { return g_installed ? *g_installed : g_headless; }

IManagerWindows* SetManagerWindows(IManagerWindows* windows)
{
    IManagerWindows* previous = g_installed;
    g_installed = windows;
    return previous;
}
