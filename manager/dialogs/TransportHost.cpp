#include "manager/dialogs/TransportHost.h"

namespace {

class NoTransportHost final : public ITransportHost {
public:
    const COpenWindowRegistry* GetOpenWindows() override { return nullptr; }
    CWnd* GetSimulatorWindow() override { return nullptr; }
    int GetAccessLevel() override { return 0; }
    bool IsControllerNameOpen(const CString&) override { return false; }
};

NoTransportHost g_noHost;
ITransportHost* g_host = nullptr;

}  // namespace

ITransportHost& GetTransportHost() { return g_host ? *g_host : g_noHost; }

ITransportHost* SetTransportHost(ITransportHost* host)
{
    ITransportHost* previous = g_host;
    g_host = host;
    return previous;
}
