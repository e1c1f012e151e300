// The add-new wizard: the controller model, the actuator and its stroke, the
// options and the details of a new data set, on three tabs (the pulse-train
// options of an "LB" model take the options' tab), a summary of every choice
// and the data's name. The caller's record is filled in place; in generation
// mode the controller and actuator are the connected controller's and only
// the rest is chosen.
//
//   CDataAddNewDlg wizard(parent);
//   wizard.SetInitialData(name, &record);
//   if (wizard.DoModal() == IDOK) name = wizard.GetDataName();
#pragma once

#include "manager/core/ControllerData.h"
#include "manager/widgets/ListCtrlEx.h"
#include "manager/widgets/NumberEdit.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/TabCtrl.h"

#include <array>

class CDataAddNewDlg;

// A page: a child dialog that writes its choices into the record and tells
// the wizard's summary what it shows.
class CAddNewPage : public CDialog {
public:
    CAddNewPage(UINT templateId) : CDialog(templateId) {}
    void SetOwner(CDataAddNewDlg* wizard, ControllerData* record)
    {
        m_wizard = wizard;
        m_record = record;
    }
    // Re-reads the record into the controls and reports the shown choices.
    virtual void RefreshFromRecord() {}

protected:
    void OnOK() override {}
    void OnCancel() override {}
    RobotParameterSet& Set() { return *m_record->FirstParamSet(); }
    bool IsPulseTrain() const { return m_record->typeText.Find(u"LB") >= 0; }
    void Summary(int item, const CString& text);
    static CString ComboText(CComboBox& combo);

    CDataAddNewDlg* m_wizard = nullptr;
    ControllerData* m_record = nullptr;
};

class CAddNewControllerPage : public CAddNewPage {
public:
    CAddNewControllerPage();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnControllerChange();
    afx_msg void OnRobotChange();
    afx_msg void OnStrokeChange();
    afx_msg void OnStrokeLeave();
    afx_msg void OnMassLeave();
    afx_msg void OnSpeedLeave();
    afx_msg void OnRadio();
    DECLARE_MESSAGE_MAP()

private:
    void FillRobots(int controllerIndex);
    void ApplyStrokeTable(double stroke);

    CComboBox m_controller;
    CComboBox m_robot;
    CNumberEdit m_stroke;
    CNumberEdit m_mass;
    CNumberEdit m_speed;
    std::vector<std::pair<CString, CString>> m_controllers;  // name, code
    struct StrokeEntry {
        std::uint32_t threshold = 0;
        std::vector<std::pair<int, std::int32_t>> pairs;
    };
    std::vector<StrokeEntry> m_strokeTable;
    bool m_initialising = false;
    int m_radio = 0;
};

class CAddNewOptionPage : public CAddNewPage {
public:
    CAddNewOptionPage();
    void RefreshFromRecord() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnInterfaceChange();
    afx_msg void OnRadio();
    afx_msg void OnStationLeave();
    afx_msg void OnBaudChange();
    DECLARE_MESSAGE_MAP()

private:
    void FillInterfaces();

    CComboBox m_interface;
    CComboBox m_baud;
    CNumberEdit m_station;
};

class CAddNewPulsePage : public CAddNewPage {
public:
    CAddNewPulsePage();
    void RefreshFromRecord() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnTypeChange();
    afx_msg void OnFirstLeave();
    afx_msg void OnSecondLeave();
    DECLARE_MESSAGE_MAP()

private:
    CComboBox m_output;
    CComboBox m_input;
    CNumberEdit m_first;
    CNumberEdit m_second;
};

class CAddNewDetailPage : public CAddNewPage {
public:
    CAddNewDetailPage();
    void RefreshFromRecord() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnChange();
    DECLARE_MESSAGE_MAP()

private:
    void WriteChoices();

    std::array<CComboBox, 7> m_combos;  // 1318 to 1324
};

class CDataAddNewDlg : public CDialog {
public:
    static constexpr int kSummaryItems = 16;

    explicit CDataAddNewDlg(CWnd* pParent = nullptr);
    ~CDataAddNewDlg() override;

    void SetInitialData(const CString& name, ControllerData* record)
    {
        m_name = name;
        m_record = record;
    }
    void SetGenerationMode(bool on) { m_generation = on; }
    bool IsGenerationMode() const { return m_generation; }
    CString GetDataName() const { return m_name; }

    // Item 0 rebuilds the summary first; then the item's row shows the text.
    void SetSummaryItem(int item, const CString& text);
    void RefreshDependentPages();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnTabChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    bool Shows(int item) const;
    void ShowPage(int pageValue);

    HICON m_icon{};
    CTabCtrl m_tab;
    CAddNewControllerPage m_controllerPage;
    CAddNewOptionPage m_optionPage;
    CAddNewDetailPage m_detailPage;
    CAddNewPulsePage m_pulsePage;
    CString m_name;
    CListCtrlEx m_summary;
    ControllerData* m_record = nullptr;
    std::array<int, kSummaryItems> m_rows;
    bool m_generation = false;
};

// The label of summary item 3 for a pulse-train model: the text inserted
// four characters before the label's end, or at its start when the label is
// shorter than that.
CString InsertBeforeEnd(const CString& label, const CString& text);
