// Sends the node-less numbering command (K75 = 0 to every controller on a
// serial line) and lists the nodes that answer afterwards. The user is asked
// before anything is sent to the line.
//
//   CDlgTransportGlobalCommandV2 dlg(parent);
//   dlg.SetComPort(port);      // optional preset
//   dlg.DoModal();
#pragma once

#include "manager/dialogs/DlgTransportBase.h"

class CDlgTransportGlobalCommandV2 : public CDlgTransportBase {
public:
    explicit CDlgTransportGlobalCommandV2(CWnd* pParent = nullptr);

protected:
    UINT CaptionId() const override;
    UINT TreeLabelId() const override;
    bool WithOpenSerialGroup() const override { return false; }
    bool CheckConnection(const ChosenConnection& chosen) override;
    bool RunOnOpenConnection(CWnd* frame, int comPort) override;
    bool RunOnFreeNode(int, int, const CString&) override { return false; }
    bool RunOnFreePort(int comPort) override;

private:
    bool TransportGlobalConfirm(int comPort);
    bool TransportGlobalWrite(CDataManager& manager);
    void ShowNodeList(const CDataManager& manager);
};
