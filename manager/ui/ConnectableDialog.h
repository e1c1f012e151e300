// The base of the manager's modeless controller dialogs that talk to a
// controller over a data manager's link: it keeps the link, the protocol
// engine, the controller record and the node it was made for, feeds the
// link's events to the engine, lays its controls out when sized or shown,
// and borrows the link from the status poll for the time of a command
// sequence (AcquireLink ... ReleaseLink).
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
    // A hold on the poll is given up after this long (the poll's query ends
    // within its reply time-out).
    static constexpr DWORD kAcquireTimeoutMs = 15000;

    explicit CConnectableDialog(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr);
    ~CConnectableDialog() override;

    virtual BOOL CreateConnected(UINT nIDTemplate, CWnd* pParentWnd, ControllerData* record, CCommManager* link,
                                 CControllerProtocol* protocol, int node);
    virtual LRESULT OnCommData(WPARAM wParam, LPARAM lParam);
    virtual void OnSizeBody(UINT nType, int cx, int cy);
    virtual void OnShowBody(BOOL bShow, UINT nStatus);
    virtual bool Layout(int cx, int cy);
    virtual void OnCommandEnded(WPARAM wParam);

    // True when the link is borrowed (now or already): the poll is held and
    // link events come here. False when the poll's query did not end in time.
    bool AcquireLink();
    void ReleaseLink();
    bool IsLinkAcquired() const { return m_previous != HWND() || m_holding; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

    bool IsCreated() const { return m_created; }
    ControllerData* Record() const { return m_record; }
    CCommManager* Link() const { return m_link; }
    CControllerProtocol* Protocol() const { return m_protocol; }
    int Node() const { return m_node; }

protected:
    afx_msg LRESULT OnLinkEvent(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommandEndedMessage(WPARAM wParam, LPARAM lParam);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    bool m_created = false;
    ControllerData* m_record = nullptr;
    CCommManager* m_link = nullptr;
    CControllerProtocol* m_protocol = nullptr;
    int m_node = 0;
    // The cells whose hand-shake holds the poll while the link is borrowed.
    std::shared_ptr<StatusCells> m_cells;
    bool m_holding = false;
    HWND m_previous;
};
