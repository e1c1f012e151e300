// The trace set-up dialog: which signal each of the four channels records,
// how many samples at which interval, the trigger, and on its pages the
// labels, graphs, scaling and ranges of the channels. It edits copies of the
// trace window's records and hands them back only on OK, with the change
// fields that tell the window what to write to the controller.
//
//   InstallTraceSetupDialog();   // the trace window's set-up and options commands run it
#pragma once

#include "tools/ColorButton.h"
#include "tools/TraceModel.h"
#include "tools/TraceTargetTable.h"
#include "tools/trace/TraceSetupPages.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/TabCtrl.h"

#include <functional>

class CKXWatcherDlg;
class CTraceSetupDlg;

// The target page: a signal combo and a bit combo per channel, filled from
// the target tables of the controller's type.
class CTraceTargetTPage : public CDialog {
public:
    explicit CTraceTargetTPage(CTraceSetupDlg& setup);

    // Reads the tables for the controller type; FALSE (after a message) when
    // they are missing or damaged.
    BOOL LoadTables(const CString& strControllerType, std::int32_t nK72);
    // The channel's chosen row and bit; FALSE when nothing is chosen.
    BOOL GetSelection(int nChannel, std::int32_t& nTarget, std::int32_t& nBit, BOOL& bBitTarget) const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg void OnDataChange(UINT nID);
    afx_msg void OnBitChange(UINT nID);
    DECLARE_MESSAGE_MAP()

private:
    void ApplySelection(int nChannel);
    void UpdateLabel(int nChannel);

    CTraceSetupDlg& m_setup;
    CTraceTargetTable m_table;
    CComboBox m_cmbData[kTraceChannelCount];
    CComboBox m_cmbBit[kTraceChannelCount];
    int m_nRow[kTraceChannelCount] = {};
    int m_nBit[kTraceChannelCount] = {};
    BOOL m_bInitialising = TRUE;
};

class CTraceSetupDlg : public CDialog {
public:
    // nRangeFlag: wider interval and count ranges (the window's range flag).
    CTraceSetupDlg(int nRangeFlag, CKXWatcherDlg& owner, CTraceModel& model);
    ~CTraceSetupDlg() override;

    // Edited copies, taken back by the window on OK.
    tracesettag m_TraceSet;
    TraceTriggerSettings m_TrigSet;
    TraceGraphSettings m_GraphSet;
    TraceRangeSettings m_RangeSet;
    TraceScaleSettings m_ScaleSet;

    // Called by the target page when a channel's signal changes.
    void OnTargetChosen(int nChannel, const TraceTargetRow& row, int nBit, BOOL bInitialising);

    // Tabs in order; the pages are children of the dialog with their
    // template ids as control ids.
    enum Tab { kTabTarget, kTabLabel, kTabGraph, kTabScaling, kTabRange, kTabCount };
    BOOL SettingsApplied() const { return m_model.m_bSettingsApplied; }
    const CTraceModel& Model() const { return m_model; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnCountChange();
    afx_msg void OnSourceChange();
    afx_msg void OnTabChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnGraphCountChange();
    afx_msg void OnTitleFrame();
    afx_msg void OnFrameColour();
    DECLARE_MESSAGE_MAP()

private:
    void DoDataExchange(CDataExchange* pDX) override;
    void RefreshTotalTime();
    BOOL CreatePages();
    void ShowTab(int nTab);
    CWnd* Page(int nTab) const;
    // Every page's values, checked; FALSE with the faulty page in front.
    BOOL ReadPages();
    void StorePages();
    int MinInterval() const { return m_nRangeFlag ? 1 : 10; }
    int MaxHundreds() const { return m_nRangeFlag ? 1000 : 50; }

    int m_nRangeFlag;
    CKXWatcherDlg& m_owner;
    CTraceModel& m_model;
    tracesettag m_TraceSetIn;
    TraceTriggerSettings m_TrigSetIn;
    CTabCtrl m_tab;
    // What the dialog's own controls show.
    CString m_strTitle;
    int m_nGraphCount = 0;
    int m_nInterval = 10;
    int m_nHundreds = 1;
    int m_nTrigMode = 0;
    int m_nTrigSource = 0;
    int m_nPreTrigger = 0;
    double m_dLevel = 0.0;
    int m_nSlope = 0;
    int m_bTitleFrame = 0;
    CColorButton m_btnFrame;
    BOOL m_bInitialising = TRUE;
    CTraceTargetTPage* m_pTargetPage = nullptr;
    CLabelSettingTPage* m_pLabelPage = nullptr;
    CGraphSettingTPage* m_pGraphPage = nullptr;
    CScalingTPage* m_pScalingPage = nullptr;
    CRangeSettingTPage* m_pRangePage = nullptr;
};

// Makes the trace window's set-up command run CTraceSetupDlg, and its options
// command the options sheet (COptionPSheet); runModal, when given, runs the
// set-up dialog in place of DoModal (a test's script drives it).
void InstallTraceSetupDialog(std::function<INT_PTR(CDialog&)> runModal = {});
