#include "manager/ui/TransportHostImpl.h"

#include "manager/ui/QuorvaneApp.h"

const COpenWindowRegistry* CAppTransportHost::GetOpenWindows() { return &m_app.Registry(); }

CWnd* CAppTransportHost::GetSimulatorWindow()
{
    // Asking must not start the hand-over's machinery: no simulator has run
    // until the hand-over exists.
    return m_app.HasSimulatorHandover() ? m_app.Simulator().RunningFrame() : nullptr;
}

int CAppTransportHost::GetAccessLevel() { return m_app.GetAccessLevel(); }

bool CAppTransportHost::IsControllerNameOpen(const CString& name) { return m_app.IsControllerNameOpen(name); }
