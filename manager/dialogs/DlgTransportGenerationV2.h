// Initialises a connected controller with new data: it reads which
// controller and robot are connected, has the new data completed for them,
// asks, and writes them into the controller, keeping the controller's own
// field-bus settings (K80 to K82; an EtherNet/IP controller gets the default
// addresses, a Profinet one its default communication data).
//
//   CDlgTransportGenerationV2 dlg(parent);
//   dlg.SetComPort(port);      // optional preset
//   dlg.DoModal();
//
// The data are completed by the add-new wizard in generation mode; a caller
// may set another completion (CompleteFromDatabase takes the actuator's
// initial data from the database without asking).
#pragma once

#include "manager/dialogs/DlgTransportBase.h"

#include <functional>

class CDlgTransportGenerationV2 : public CDlgTransportBase {
public:
    // Completes the record whose controller and robot texts are set; false
    // when the user cancelled (the run then ends without a message).
    using Completion = std::function<bool(CWnd* owner, ControllerData& record)>;

    explicit CDlgTransportGenerationV2(CWnd* pParent = nullptr);

    void SetCompletion(Completion completion) { m_completion = std::move(completion); }
    // The add-new wizard in generation mode.
    static bool CompleteWithWizard(CWnd* owner, ControllerData& record);
    // The actuator's initial data from the database, without asking.
    static bool CompleteFromDatabase(CWnd* owner, ControllerData& record);

protected:
    UINT CaptionId() const override;
    bool RunOnOpenConnection(CWnd* frame, int comPort) override;
    bool RunOnFreeNode(int comPort, int node, const CString& scannedName) override;

private:
    bool Generate(CDataManager& manager, int node, int comPort, const CString& controller, CWnd* frame);
    bool TransportGenerationConfirm(int comPort, const CString& controller, const CString& robot, int mode,
                                    int node);
    bool TransportGenerationWrite(CDataManager& manager, int node);

    Completion m_completion;
    ControllerDataSlot m_record;
    bool m_partlyWritten = false;
};
