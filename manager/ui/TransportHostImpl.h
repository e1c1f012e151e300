// The program's side of the transport dialogs: the application's registry of
// open controller windows, the window that lends its data to the running
// simulator, the access level, and the names the open windows show.
#pragma once

#include "manager/dialogs/TransportHost.h"

class CQuorvaneApp;

class CAppTransportHost : public ITransportHost {
public:
    explicit CAppTransportHost(CQuorvaneApp& app) : m_app(app) {}

    const COpenWindowRegistry* GetOpenWindows() override;
    CWnd* GetSimulatorWindow() override;
    int GetAccessLevel() override;
    bool IsControllerNameOpen(const CString& name) override;

private:
    CQuorvaneApp& m_app;
};
