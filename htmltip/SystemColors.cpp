#include "htmltip/SystemColors.h"

#include "platform/ui/Gdi.h"

#include <atomic>

namespace htmltip {

namespace {

std::atomic<SystemColorFunction> g_systemColorFunction{nullptr};

}  // namespace

COLORREF GetSystemColor(int index)
{
    const SystemColorFunction function = g_systemColorFunction.load();
    return function ? function(index) : static_cast<COLORREF>(::GetSysColor(index));
}

SystemColorFunction SetSystemColorFunction(SystemColorFunction function)
{
    return g_systemColorFunction.exchange(function);
}

}  // namespace htmltip
