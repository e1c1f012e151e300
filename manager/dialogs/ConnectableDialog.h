// CConnectableDialog: the base of the manager's dialogs that talk to a
// controller over a data manager's link (alarms, comments, desktop terminal,
// manual operation). It keeps the controller record, the link, the protocol
// engine and the node it works on, feeds the link's events into the engine
// while it has borrowed the link, and lays its controls out when sized.
//
// A command sequence is wrapped in AcquireLink / ReleaseLink: the status poll
// is held (and its query in flight waited for) and the link's events come to
// this dialog until the link is given back, so the dialog's commands and the
// poll never overlap on the engine.
#pragma once

#include "platform/ui/Dialog.h"

#include <memory>

class CCommManager;
class CControllerProtocol;
class StatusCells;
struct ControllerData;

class CConnectableDialog : public CDialog {
    DECLARE_DYNAMIC(CConnectableDialog)

public:
    // The link error a dropped or failing line gives the command in flight.
    static constexpr int kLinkErrorCode = 0x49;

    CConnectableDialog() = default;
    explicit CConnectableDialog(UINT nIDTemplate, CWnd* pParent = nullptr) : CDialog(nIDTemplate, pParent) {}
    ~CConnectableDialog() override;

    // Stores the four values and creates the modeless dialog from the template.
    virtual BOOL CreateConnected(UINT nIDTemplate, CWnd* pParent, ControllerData* pData, CCommManager* pLink,
                                 CControllerProtocol* pProtocol, int nNode);
    // Stores the link for a modal run (or a later re-target).
    void BindLink(ControllerData* pData, CCommManager* pLink, CControllerProtocol* pProtocol, int nNode);

    // Borrows the link: false (nothing borrowed) when the poll's query in
    // flight did not end in time. A second call while borrowed changes nothing.
    bool AcquireLink();
    // Gives the link back; nothing when it is not borrowed.
    void ReleaseLink();
    bool IsLinkBorrowed() const { return m_bBorrowed; }

    ControllerData* GetControllerData() const { return m_pControllerData; }
    CCommManager* GetCommManager() const { return m_pCommManager; }
    CControllerProtocol* GetProtocol() const { return m_pProtocol; }
    int GetNode() const { return m_nNode; }
    BOOL IsCreated() const { return m_bCreated ? TRUE : FALSE; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    virtual LRESULT OnCommData(WPARAM wParam, LPARAM lParam);
    virtual void OnSizeBody(UINT nType, int cx, int cy);
    virtual void OnShowBody(BOOL bShow, UINT nStatus);
    virtual bool Layout(int cx, int cy);
    virtual void OnCommandEnded(WPARAM wParam);

    afx_msg LRESULT OnLinkEvent(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommandEndedMessage(WPARAM wParam, LPARAM lParam);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    bool m_bCreated = false;
    ControllerData* m_pControllerData = nullptr;
    CCommManager* m_pCommManager = nullptr;
    CControllerProtocol* m_pProtocol = nullptr;
    int m_nNode = 0;

private:
    bool m_bBorrowed = false;
    HWND m_hPrevWnd;
    std::shared_ptr<StatusCells> m_heldCells;  // the cells whose poll is held
};
