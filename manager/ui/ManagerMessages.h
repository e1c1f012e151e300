// The manager's private window messages (WM_APP + n). The child frame of a
// controller window receives them from the main frame, the dialogs, the panes
// and the data manager, and hands them to its tree or right pane.
#pragma once

#include "manager/core/DataManager.h"
#include "manager/dialogs/TransportHost.h"
#include "platform/core/WinTypes.h"

inline constexpr UINT UM_SUSPENDLINK = WM_APP + 0x01;
inline constexpr UINT UM_MANUALPOINTCHANGED = WM_APP + 0x14;
inline constexpr UINT UM_MANUALNOTIFY = WM_APP + 0x15;
inline constexpr UINT UM_CELLDESCRIPTION = WM_APP + 0x16;
inline constexpr UINT UM_JOGPRESS = WM_APP + 0x18;
inline constexpr UINT UM_JOGRELEASE = WM_APP + 0x19;
inline constexpr UINT UM_GRIDCONTEXTMENU = WM_APP + 0x23;
inline constexpr UINT UM_MANUALQUERY = WM_APP + 0x29;
inline constexpr UINT UM_WRITETOCONTROLLER = WM_APP + 0x3B;
inline constexpr UINT UM_QUERYCLOSE = WM_APP + 0x3E;
inline constexpr UINT UM_REBUILDTOOLBAR = WM_APP + 0x45;
inline constexpr UINT UM_CLOSEFRAME = WM_APP + 0x46;
inline constexpr UINT UM_ACCESSLEVELCHANGED = WM_APP + 0x4A;
inline constexpr UINT UM_SHOWFRAME = WM_APP + 0x4E;
inline constexpr UINT UM_PAUSEPOLLING = WM_APP + 0x58;
inline constexpr UINT UM_RESUMEPOLLING = WM_APP + 0x59;
// UM_RESCANLINK (0x5A), UM_GETLINKOFWINDOW (0x67) and UM_READFROMCONTROLLER
// (0x68) are the transport dialogs' (TransportHost.h).
inline constexpr UINT UM_SHOWTOOLBAR = WM_APP + 0x5C;
inline constexpr UINT UM_PARAMETERCHANGED = WM_APP + 0x5E;
inline constexpr UINT UM_REFRESH = WM_APP + 0x64;
inline constexpr UINT UM_PARAMETEREDITED = WM_APP + 0x66;
// From the single-instance channel's thread to the main frame: lParam is a
// heap CString with the path a second start handed over (the frame frees it).
inline constexpr UINT UM_OPENHANDEDFILE = WM_APP + 0x70;

// The string of the current resource module.
CString LoadFrameText(UINT id);
// A message box of a string of the resource module.
int ShowMessage(UINT id, UINT type);
