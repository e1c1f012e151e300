// The "Now Loading..." window of both programs: a small popup that disables
// its owner while a long operation runs, with a message line and a progress
// bar (animated, real, or in the transfer style two icons with arrows that
// show the direction of the transfer). The caller keeps it on its stack,
// creates and shows it, updates it while it works and destroys it at the end;
// the calls that update it let one pending message through, so the window
// paints while the caller works.
//
// The wait window that is up is the active one, process-wide: whoever shows
// a message box first closes it (GetActiveProgressWaitWnd), so the box is
// never hidden behind it. Everything here runs on the user-interface thread.
//
// The animation runs on the multimedia timer: its callback only posts to the
// window, at most one step at a time, and never waits for this thread. So
// closing the window (which waits for a running callback to end) cannot
// deadlock with the callback, and a busy operation does not pile up steps.
#pragma once

#include "manager/core/ManagerWindows.h"
#include "manager/widgets/GradientProgressCtrl.h"
#include "platform/core/MultimediaTimer.h"
#include "platform/ui/Static.h"

#include <atomic>
#include <cstddef>
#include <memory>

class CProgressWaitWnd : public CWnd, public IWaitWindow {
    DECLARE_DYNAMIC(CProgressWaitWnd)

public:
    static constexpr int kMessageId = 1;
    static constexpr int kBarId = 2;
    static constexpr UINT kAnimationPeriodMs = 20;
    static constexpr UINT kTimerResolutionMs = 10;

    CProgressWaitWnd(BOOL bFrame, int nStyle, BOOL bShowPercent, BOOL bAnimated, BOOL bMirrored, int nDirection);
    ~CProgressWaitWnd() override;

    // The two transfer icons, read at creation and at each paint (the
    // handles stay the caller's).
    void SetIcons(HICON* pLeftIcon, HICON* pRightIcon);
    // Makes the window centred on the owner, or on the main window without
    // one, and disables that window until the wait window closes.
    virtual BOOL Create(CWnd* pOwner, int nWidth, int nHeight);
    BOOL Create(HWND owner, int nWidth, int nHeight) override;
    BOOL Create(std::nullptr_t, int nWidth, int nHeight) { return Create(static_cast<CWnd*>(nullptr), nWidth, nHeight); }
    // Shows the window and, when animated or in the transfer style, starts
    // the animation.
    void Show() override;
    void SetMessage(const CString& text) override;
    void SetMessageFont(CFont* pFont);
    void SetMessageFont(const CString& face, int points) override;
    void SetBarFont(CFont* pFont);
    void SetBarRange(int nLower, int nUpper, int nStep);
    void StepBar();
    void AdvanceBar(int nDelta);
    void AdvanceBarSlowly(int nCount, int nMilliseconds);
    // Stops the animation, re-enables the owner, and destroys the window; a
    // second call finds nothing left to do.
    BOOL DestroyWindow() override;
    void Close() override { DestroyWindow(); }

    // The simulator's placing of the message line and the bar.
    void MoveMessage(int x, int y, int cx, int cy);
    void MoveMessage(const RECT& rect);
    void MoveBar(int x, int y, int cx, int cy);
    void MoveBar(const RECT& rect);
    void SetBarColors(COLORREF textOnFill, COLORREF textOnEmpty, COLORREF fill, COLORREF shadow);

    CGradientProgressCtrl* GetBar() const { return m_pBar.get(); }
    CStatic* GetMessageLine() const { return m_pMessage.get(); }
    HWND GetOwnerWindow() const { return m_hOwner; }
    // The animation's timer, 0 while none runs.
    UINT GetTimerId() const { return m_timerId.load(); }
    int GetIconSize() const { return m_nIconSize; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnClose();
    afx_msg LRESULT OnStepBar(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    BOOL CreateFor(HWND owner, int nWidth, int nHeight);
    static void CALLBACK AnimationTick(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    void StopAnimation();
    void ReleaseOwner();
    void ApplyMessageFont(const LOGFONT& font);
    void ApplyBarFont(const LOGFONT& font);

    std::unique_ptr<CGradientProgressCtrl> m_pBar;
    std::unique_ptr<CStatic> m_pMessage;
    HWND m_hOwner;
    // Only a window that this one disabled is enabled again.
    bool m_ownerDisabledHere = false;
    int m_nStyle;
    BOOL m_bAnimated;
    BOOL m_bFrame;
    BOOL m_bShowPercent;
    BOOL m_bMirrored;
    int m_nDirection;
    HICON* m_pLeftIcon = nullptr;
    HICON* m_pRightIcon = nullptr;
    int m_nIconSize = 0;
    CFont m_messageFont;
    std::atomic<UINT> m_timerId{0};
    // Where the timer posts; fixed while a timer runs.
    HWND m_timerTarget;
    std::atomic<bool> m_stepPosted{false};
};

// The wait window that is up (the last one created of those still up), or null.
CProgressWaitWnd* GetActiveProgressWaitWnd();
// Closes the active wait window, if any (before a message box is shown).
void CloseActiveProgressWaitWnd();
