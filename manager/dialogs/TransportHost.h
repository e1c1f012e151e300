// What the transport dialogs need of the program around them: the open
// controller windows (the application's registry), the window that hands
// its data to the running simulator, and the access level. The program
// installs its host at start-up; until then the dialogs see no open window
// and the ordinary user's level. Only the user-interface thread uses it.
#pragma once

#include "manager/app/OpenWindowRegistry.h"

class CWnd;

class ITransportHost {
public:
    virtual ~ITransportHost() = default;
    // The registry of open controller windows; null when there is none.
    virtual const COpenWindowRegistry* GetOpenWindows() = 0;
    // The child frame whose data the running simulator holds; null when none.
    virtual CWnd* GetSimulatorWindow() = 0;
    virtual int GetAccessLevel() = 0;
    // Whether an open window already shows a controller of this name.
    virtual bool IsControllerNameOpen(const CString& name) = 0;
};

// The installed host; never null (no windows, level 0, when none is installed).
ITransportHost& GetTransportHost();
// Installs a host for the process (null: none again) and returns the previous one.
ITransportHost* SetTransportHost(ITransportHost* host);

class ScopedTransportHost {
public:
    explicit ScopedTransportHost(ITransportHost* host) : m_previous(SetTransportHost(host)) {}
    ~ScopedTransportHost() { SetTransportHost(m_previous); }
    ScopedTransportHost(const ScopedTransportHost&) = delete;
    ScopedTransportHost& operator=(const ScopedTransportHost&) = delete;

private:
    ITransportHost* m_previous;
};
