// The choice of one controller node after a scan of a serial line: the nodes
// that answered in a list, one of them possibly marked with "*" and not to
// be chosen, and a button that sends the caller back to scan again.
//
//   CDlgSerialConnect dlg(this);
//   dlg.SetScan(present, names, texts);
//   if (dlg.DoModal() == IDOK && !dlg.IsRescanRequested()) node = dlg.GetChosenNode();
#pragma once

#include "manager/app/TransportRules.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/ListCtrl.h"

#include <array>

class CDlgSerialConnect : public CDialog {
public:
    explicit CDlgSerialConnect(CWnd* pParent = nullptr);
    ~CDlgSerialConnect() override;

    // Flag i and the texts i stand for node i + 1.
    void SetScan(const std::array<BYTE, kScanNodes>& present, const std::array<CString, kScanNodes>& names,
                 const std::array<CString, kScanNodes>& texts);
    // Set: caption 924 (connect); clear: caption 911 (choose).
    void SetConnectTitle(bool connect) { m_connectTitle = connect; }
    void SetRescanAllowed(bool allowed) { m_rescanAllowed = allowed; }
    // The node shown with "*" that cannot be chosen; 0 for none.
    void SetMarkedNode(int node) { m_markedNode = node; }

    // After OK: the chosen node (0 when none), or a request to scan again.
    int GetChosenNode() const { return m_markedNode; }
    bool IsRescanRequested() const { return m_rescanRequested; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnRescan();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void UpdateOkButton();

    bool m_connectTitle = false;
    bool m_rescanAllowed = true;
    std::array<BYTE, kScanNodes> m_present{};
    std::array<CString, kScanNodes> m_names;
    std::array<CString, kScanNodes> m_texts;
    int m_markedNode = 0;
    bool m_rescanRequested = false;
    HICON m_hSmallIcon{};
    CListCtrl m_list;
};

class CDataManager;

// The node choice after a scan of the manager's line, scanning again when the
// user asks; 0 when cancelled or when a scan failed. A marked node is shown
// but cannot be chosen.
int ChooseScannedNode(CWnd* parent, CDataManager& manager, int kind, int markedNode = 0);
