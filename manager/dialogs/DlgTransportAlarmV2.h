// Reads a controller's alarm history and saves it as an alarm history file,
// without a window on the controller.
//
//   CDlgTransportAlarmV2 dlg(parent);
//   dlg.SetPath(path);        // optional
//   dlg.DoModal();
#pragma once

#include "manager/dialogs/DlgTransportBase.h"

class CDlgTransportAlarmV2 : public CDlgTransportBase {
public:
    explicit CDlgTransportAlarmV2(CWnd* pParent = nullptr);

    void SetPath(const CString& path) { m_path = path; }
    CString GetPath() const { return m_path; }

protected:
    UINT CaptionId() const override;
    UINT PathLabelId() const override;
    bool ShowsBrowse() const override { return true; }
    bool NeedsPath() const override { return true; }
    void OnBrowse() override;
    bool RunOnOpenConnection(CWnd* frame, int comPort) override;
    bool RunOnFreeNode(int comPort, int node, const CString& scannedName) override;

private:
    bool TransportReadAlarms(CDataManager& manager, int node);
    // One message for the run's end, success or the one cause of failure.
    bool Finish(CDataManager& manager, bool good);

    enum class Failure { None, Link, Save } m_failure = Failure::None;
    int m_recordCount = 0;
};
