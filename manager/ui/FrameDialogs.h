// The data-moving dialogs as the frames and the tree open them. They live in
// a unit of their own: the dialogs' list and sheet classes do not meet the
// document classes in one translation unit.
#pragma once

#include "manager/core/ControllerData.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CDataManager;
class CManagerSettings;
class CWnd;

enum class TransportCommand { ReadToFile, WriteToController, Alarm, GlobalCommand, Generation };

// The connection a transport dialog starts on (the active window's).
struct TransportPreset {
    int comPort = 0;
    DWORD address = 0;
};

// The add-new wizard over data; true on OK with the name chosen.
bool RunAddNewWizard(CWnd* parent, const CString& proposedName, ControllerData& data, CString& chosenName);
void RunTransportDialog(TransportCommand command, CWnd* parent, const TransportPreset& preset);
// The window's data written to a controller (mode 0 with the window's data).
void RunWindowDataTransport(CWnd* parent, const ControllerData& data, const CString& name);
// A controller read into the window's record; true when the record took it.
bool RunEditDataRead(CWnd* parent, ControllerData& record, const CString& name);
// The saved alarm history shown on its own.
void RunAlarmFileDialog(CWnd* parent, const CString& path);
void RunOptionSheet(CWnd* parent, const CManagerSettings& settings);
void RunLauncher(CWnd* parent, const CManagerSettings& settings, bool atStart);
// Scans the manager's line and lets the user choose a node; 0 when cancelled.
// The marked node is shown but cannot be chosen.
int ScanAndChooseNode(CWnd* parent, CDataManager& manager, int kind, int markedNode);
