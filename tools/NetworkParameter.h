// The network parameters dialog: a controller's IP address, subnet mask and
// default gateway. The caller hands in the three values as its data holds
// them (eight lower-case hexadecimal digits each), the link and the node;
// on OK the changed values are written into the controller when the link is
// open, and handed back into the caller's texts.
//
//   CNetworkParameter* dlg = new CNetworkParameter(ip, mask, gateway);
//   dlg->SetCommMan(&link);
//   dlg->SetNodeNo(2);
//   dlg->DoModal();
//   delete dlg;
#pragma once

#include "tools/AsciiEdit.h"
#include "tools/ReplyReceiver.h"
#include "tools/ToolsLibrary.h"

#include "platform/ui/Dialog.h"

class CCommManager;

// "c0a80001" to "192.168.0.1": 0, or -1 with an empty text when a pair of
// the first eight characters is missing or not hexadecimal.
int HexToDotted(const CString& strHex, CString& strDotted);
// "192.168.0.1" to "c0a80001": 0, or -1 (and the out text untouched) unless
// the text is four numbers of at most three digits, each 0 to 255 (an empty
// one is 0), separated by full stops (one more at the end is allowed).
int DottedToHex(const CString& strDotted, CString& strHex);

class CNetworkParameter : public CDialog {
public:
    // The controller's items of the three values.
    static constexpr int kItemIPAddress = 9;
    static constexpr int kItemSubnetMask = 8;
    static constexpr int kItemGateway = 7;

    CNetworkParameter(CString& strIPAddress, CString& strSubnetMask, CString& strGateway, CWnd* pParent = nullptr);
    ~CNetworkParameter() override;

    void SetCommMan(CCommManager* pCommMan) { m_pCommManager = pCommMan; }
    void SetNodeNo(int nNodeNo) { m_nNodeNo = nNodeNo; }

    INT_PTR DoModal() override;
    // Writes one value (dotted) into the controller's item: 1 on success; 0
    // without an open link, for a text that is not an address, or when the
    // controller refuses or does not answer.
    int SetIPAddress(const CString& strDotted, int nItem);
    // Reads an item of the controller (the command session's result).
    int GetIPAddress(int nItem, CString& strAnswer);

    CAsciiEdit NewNameBox;  // 21912, the IP address
    CEdit NewNameBox1;      // 21913, the subnet mask
    CEdit NewNameBox2;      // 21914, the default gateway

    CCommManager* m_pCommManager = nullptr;
    int m_nNodeNo = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg LRESULT OnShowOpeningMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommNotify(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CLangLibrarySwap m_lang;
    CString& m_strCallerIP;
    CString& m_strCallerMask;
    CString& m_strCallerGateway;
    CString m_strIPAddress;
    CString m_strSubnetMask;
    CString m_strGateway;
    CString m_strOpeningMessage;
    HWND m_hPrevWnd;
    bool m_bAttached = false;
    CReplyReceiver m_reply;
};
