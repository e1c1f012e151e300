// CDlgCommentList: the nine comment texts of a controller; comments 2 to 9
// may be changed (comment 1 is read-only). Comment 2 is the controller's
// user name, 9, 8 and 7 its IP address, subnet mask and gateway texts.
//
// Caller:
//   CDlgCommentList dlg;  dlg.SetOnlineSource(&data, link, protocol, node, name, robot);  dlg.DoModal();
#pragma once

#include "manager/dialogs/ConnectableDialog.h"

#include <array>

class CDlgCommentList : public CConnectableDialog {
public:
    static constexpr int kComments = 9;
    static constexpr int kMaxBytes = 29;

    explicit CDlgCommentList(CWnd* pParent = nullptr);

    void SetOnlineSource(ControllerData* pData, CCommManager* pLink, CControllerProtocol* pProtocol, int nNode,
                         const CString& controllerName, const CString& robotName);
    BOOL ReadComments();
    BOOL WriteComments();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    afx_msg void OnRead();
    afx_msg void OnWrite();
    DECLARE_MESSAGE_MAP()

private:
    std::array<CString, kComments> m_read;
    CString m_title;
};
