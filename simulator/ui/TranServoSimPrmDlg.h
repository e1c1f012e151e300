// The servo simulation parameter page (tab page 0 of the main dialog): the
// stroke, maximum speed, speed override, the two carried masses and their
// acceleration limits, stored straight into the current parameter set, and
// the speed limit that the heavier mass sets through the payload table.
#pragma once

#include "dbaccess/Tarnwell.h"
#include "manager/core/ControllerData.h"
#include "manager/widgets/NumberEdit.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/GdiObject.h"
#include "platform/ui/TabCtrl.h"

class CSimulatorDlg;

// The tab control of the main dialog; the dialog switches its pages.
using CSimTabCtrl = CTabCtrl;

class CTranServoSimPrmDlg : public CDialog {
public:
    CTranServoSimPrmDlg();
    ~CTranServoSimPrmDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void SetData(ControllerData* current, ControllerData* saved, CSimulatorDlg* main);
    void ShowValues();
    void SetMassLimit();
    void LoadAccelInputs();
    int LoadStrokeData(const CString& robotName);
    void OnChangeStroke();
    void CommitAll();
    void SetFixedRobot(int fixed);
    void ResetFixedFonts();
    void UpdateSpeedLimitText();
    int IsSpeedOverLimit() const { return m_bOverLimit; }
    void SetLastMass(int mass) { m_nLastMass = mass; }

protected:
    afx_msg void OnKillFocusOverride();
    afx_msg void OnKillFocusMass1();
    afx_msg void OnKillFocusMass2();
    afx_msg void OnKillFocusStroke();
    afx_msg void OnChangeMass();
    afx_msg void OnEditStroke();
    DECLARE_MESSAGE_MAP()

private:
    void CommitOverride();
    void CommitMass(int which);
    void CommitStroke();
    void ShowFieldChanged(CNumberEdit& edit, bool changed);
    void UpdateOverrideColour();
    RobotParameterSet* Params() const;
    const RobotParameterSet* SavedParams() const;
    void CheckInitParameterFiles();

    ControllerData* m_pCurrent = nullptr;
    ControllerData* m_pSaved = nullptr;
    CSimulatorDlg* m_pMain = nullptr;
    int m_bFixedRobot = 0;
    int m_bOverrideChanged = 0;
    int m_bMass1Changed = 0;
    int m_bMass2Changed = 0;
    int m_bOverLimit = 0;
    int m_nLimitPercent = 0;
    int m_nLargestMass = 0;
    int m_nLastMass = 0;
    int m_accelInputs[7] = {};
    CString m_strLastStroke;
    RobotTableRecord m_stroke;
    RobotTableRecord m_payload;
    CNumberEdit m_editStroke{NumberEditVariant::Simulator};
    CNumberEdit m_editMaxSpeed{NumberEditVariant::Simulator};
    CNumberEdit m_editOverride{NumberEditVariant::Simulator};
    CNumberEdit m_editMass1{NumberEditVariant::Simulator};
    CNumberEdit m_editAccel1{NumberEditVariant::Simulator};
    CNumberEdit m_editMass2{NumberEditVariant::Simulator};
    CNumberEdit m_editAccel2{NumberEditVariant::Simulator};
    CFont m_boldFont;
    bool m_bShowing = false;
};
