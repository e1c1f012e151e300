// A button that reports press and release separately, so that its parent
// can move an axis for as long as the button is held (jogging).
//
// The press goes to the parent as WM_APP + 0x18 (wParam 2, lParam the jog
// code), sent; a nonzero answer means the jog has started. Every accepted
// press is followed by exactly one release, WM_APP + 0x19 (wParam 2, lParam
// the jog code), also sent, and a refused press by none. The release comes
// when the mouse button goes up, and also - so that an axis never keeps
// moving with nobody holding the button - when the button or its window
// loses the mouse or the focus, is hidden, disabled or destroyed, or when a
// watch finds neither the left mouse button nor Space or Enter held any
// longer (a release that went elsewhere). A release that arrives while the
// parent is still deciding on the press is kept and sent once it accepts.
#pragma once

#include "platform/ui/Button.h"

class CJogButton : public CButton {
    DECLARE_DYNAMIC(CJogButton)

public:
    static constexpr UINT kJogPressMessage = WM_APP + 0x18;
    static constexpr UINT kJogReleaseMessage = WM_APP + 0x19;
    static constexpr WPARAM kJogKind = 2;
    static constexpr UINT_PTR kWatchTimerId = 0x4A6F;
    static constexpr UINT kWatchPeriodMs = 100;

    CJogButton() = default;
    ~CJogButton() override;

    // Stores both (the user pointer is the owner's) and clears the pressed
    // state; a jog under way is released first, with its own code.
    void SetJogCode(int nCode, void* pUser);
    int GetJogCode() const { return m_nJogCode; }
    void* GetUserPointer() const { return m_pUser; }
    // A press was accepted and its release not yet sent.
    bool IsPressed() const { return m_pressed; }

protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnCancelMode();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    void Press();
    void Release();
    // Something that ends the jog: sent at once, or kept until the press is decided.
    void Interrupted();
    bool StillHeld() const;
    bool ChainEnabledAndVisible() const;

    bool m_pressed = false;
    int m_nJogCode = 0;
    void* m_pUser = nullptr;
    bool m_deciding = false;
    bool m_releasedWhileDeciding = false;
};
