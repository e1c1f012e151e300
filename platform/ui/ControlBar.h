// Control bars: windows along the edges of a frame (tool bars, status
// bars). A bar keeps its CBRS_ styles apart from its window styles, joins
// its frame's list of bars when created, is placed by the frame's layout by
// its alignment and its CalcFixedLayout size, and follows the update
// handlers of its commands when the frame is idle (WM_IDLEUPDATECMDUI):
// the target is the frame the bar belongs to, or the bar's parent window
// when that is not a frame (a bar in a dialog). A bar made with new deletes
// itself when m_bAutoDelete is set.
#pragma once

#include "platform/core/Geometry.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/WindowApi.h"

class CFrameWnd;

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)

public:
    ~CControlBar() override;

    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    // Runs the update handlers of the bar's elements against pTarget.
    virtual void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) = 0;

    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD dwStyle);
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY; }
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    BOOL IsVisible() const;
    BOOL IsFloating() const { return FALSE; }
    BOOL IsHorizontal() const { return (m_dwStyle & CBRS_ORIENT_HORZ) != 0; }
    CFrameWnd* GetDockingFrame() const;
    // Where commands of the bar go (the owner, else the parent).
    void SetOwner(CWnd* pOwnerWnd) { m_pOwner = pOwnerWnd; }
    CWnd* GetBarOwner() const;
    virtual int GetCount() const { return 0; }

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PostNcDestroy() override;

    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;
    BOOL m_bAutoDelete = FALSE;
    CFrameWnd* m_pDockSite = nullptr;
    // The bar's borders (left, top, right, bottom) inside its window.
    CRect m_rectBorders{0, 0, 0, 0};

protected:
    CControlBar();
    // Creates the window of the bar; the CBRS_ bits of dwStyle stay in m_dwStyle.
    BOOL CreateBar(LPCTSTR lpszClass, DWORD dwStyle, CWnd* pParentWnd, UINT nID);

    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnIdleUpdateCmdUIMessage(WPARAM wParam, LPARAM lParam);
    // The text of a command's string resource: the part after '\n' for a
    // tool tip, before it for a prompt.
    static CString CommandText(UINT nID, bool tip);

    CWnd* m_pOwner = nullptr;

    DECLARE_MESSAGE_MAP()
};
