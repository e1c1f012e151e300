// What the transport dialogs need of the program around them: the open
// controller windows (the application's registry), the window that hands
// its data to the running simulator, and the access level. The program
// installs its host at start-up; until then the dialogs see no open window
// and the ordinary user's level. Only the user-interface thread uses it.
#pragma once

#include "manager/app/OpenWindowRegistry.h"
#include "platform/core/Messages.h"
#include "platform/core/WinTypes.h"

class CWnd;

// The messages an open controller window answers for the dialogs.
// The open window's answer to UM_GETLINKOFWINDOW: wParam points at an int
// that receives the node, lParam at a CDataManager* that receives the data
// manager; 0 when both were filled.
inline constexpr UINT UM_GETLINKOFWINDOW = WM_APP + 0x67;
// Asks an open window to read its controller again; wParam is the dialog
// (owner of messages); 0 on success.
inline constexpr UINT UM_READFROMCONTROLLER = WM_APP + 0x68;
// Asks an open window to scan its line again; wParam is the dialog; 0 on success.
inline constexpr UINT UM_RESCANLINK = WM_APP + 0x5A;

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
