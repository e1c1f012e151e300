// Reads a connected controller's whole data set into a record the caller
// owns (the data of an open window that is to be refreshed from its
// controller). The record changes only when the whole read succeeded.
//
//   CDlgTransportEditdatareadV2 dlg(parent);
//   dlg.SetRecord(&data);
//   dlg.SetDataName(name);
//   dlg.SetComPort(port);      // optional preset
//   if (dlg.DoModal() == IDOK) ...data hold the controller's...
#pragma once

#include "manager/dialogs/DlgTransportBase.h"

class CDlgTransportEditdatareadV2 : public CDlgTransportBase {
public:
    explicit CDlgTransportEditdatareadV2(CWnd* pParent = nullptr);

    void SetRecord(ControllerData* record) { m_record = record; }
    void SetDataName(const CString& name) { m_path = name; }

protected:
    UINT CaptionId() const override;
    UINT PathLabelId() const override;
    bool NeedsPath() const override { return true; }
    bool ChecksSimulatorWindow() const override { return false; }
    BOOL OnInitDialog() override;
    bool RunOnOpenConnection(CWnd* frame, int comPort) override;
    bool RunOnFreeNode(int comPort, int node, const CString& scannedName) override;

private:
    bool TransportReadIntoRecord(CDataManager& manager, int node);

    ControllerData* m_record = nullptr;
};
