#include "manager/ui/FrameDialogs.h"

#include "manager/core/DataManager.h"
#include "manager/dialogs/DataAddNewDlg.h"
#include "manager/dialogs/DlgAlarm.h"
#include "manager/dialogs/DlgLauncher.h"
#include "manager/dialogs/DlgSerialConnect.h"
#include "manager/dialogs/DlgTransportAlarmV2.h"
#include "manager/dialogs/DlgTransportEditdatareadV2.h"
#include "manager/dialogs/DlgTransportGenerationV2.h"
#include "manager/dialogs/DlgTransportGlobalCommandV2.h"
#include "manager/dialogs/DlgTransportV2.h"
#include "manager/dialogs/PropertySheetOption.h"
#include "resources/manager/transport_ids.h"

bool RunAddNewWizard(CWnd* parent, const CString& proposedName, ControllerData& data, CString& chosenName)
{
    CDataAddNewDlg wizard(parent);
    wizard.SetInitialData(proposedName, &data);
    if (wizard.DoModal() != IDOK) return false;
    chosenName = wizard.GetDataName();
    return true;
}

namespace {

template <class Dialog>
void RunPreset(Dialog& dlg, const TransportPreset& preset)
{
    dlg.SetComPort(preset.comPort);
    dlg.SetAddress(preset.address);
    dlg.DoModal();
}

}  // namespace

void RunTransportDialog(TransportCommand command, CWnd* parent, const TransportPreset& preset)
{
    switch (command) {
    case TransportCommand::ReadToFile:
    case TransportCommand::WriteToController: {
        CDlgTransportV2 dlg(parent);
        dlg.SetMode(command == TransportCommand::ReadToFile ? CDlgTransportV2::kToFile : CDlgTransportV2::kToController);
        RunPreset(dlg, preset);
        return;
    }
    case TransportCommand::Alarm: {
        CDlgTransportAlarmV2 dlg(parent);
        RunPreset(dlg, preset);
        return;
    }
    case TransportCommand::GlobalCommand: {
        CDlgTransportGlobalCommandV2 dlg(parent);
        RunPreset(dlg, preset);
        return;
    }
    case TransportCommand::Generation: {
        CDlgTransportGenerationV2 dlg(parent);
        RunPreset(dlg, preset);
        return;
    }
    }
}

void RunWindowDataTransport(CWnd* parent, const ControllerData& data, const CString& name)
{
    CDlgTransportV2 dlg(parent);
    dlg.SetMode(CDlgTransportV2::kToController);
    dlg.SetProjectData(&data);
    dlg.SetPath(name);
    dlg.DoModal();
}

bool RunEditDataRead(CWnd* parent, ControllerData& record, const CString& name)
{
    CDlgTransportEditdatareadV2 dlg(parent);
    dlg.SetRecord(&record);
    dlg.SetDataName(name);
    return dlg.DoModal() == IDOK;
}

void RunAlarmFileDialog(CWnd* parent, const CString& path)
{
    CDlgAlarm dlg(parent);
    dlg.LoadAlarmFile(path);
    dlg.DoModal();
}

void RunOptionSheet(CWnd* parent, const CManagerSettings& settings)
{
    CPropertySheetOption sheet(IDS_OPTIONS_CAPTION, settings, parent);
    sheet.DoModal();
}

void RunLauncher(CWnd* parent, const CManagerSettings& settings, bool atStart)
{
    CDlgLauncher launcher(atStart ? CDlgLauncher::kStartupLayout : CDlgLauncher::kShortLayout, settings, parent);
    launcher.DoModal();
}

int ScanAndChooseNode(CWnd* parent, CDataManager& manager, int kind, int markedNode)
{
    if (!manager.ScanNetwork(kind, parent ? parent->GetSafeHwnd() : HWND())) return 0;
    return ChooseScannedNode(parent, manager, kind, markedNode);
}
