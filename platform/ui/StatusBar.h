// Status bars: a row of panes along the bottom of a frame. Each pane has a
// command id (an indicator, or ID_SEPARATOR), a style, a width and a text.
// The first pane (the message pane) stretches; indicator panes are as wide
// as their string (the string resource of their id). Panes follow the update
// handlers of their ids at idle time: Enable(FALSE) blanks an indicator,
// SetText changes the text. An owner-drawn pane (SBPS_OWNERDRAW, or
// SB_SETTEXT with SBT_OWNERDRAW) is drawn by DrawItem, which the parent's
// WM_DRAWITEM reaches by reflection.
#pragma once

#include "platform/ui/ControlBar.h"

#include <vector>

// Pane styles.
inline constexpr UINT SBPS_NORMAL = 0x0000;
inline constexpr UINT SBPS_NOBORDERS = 0x0100;
inline constexpr UINT SBPS_POPOUT = 0x0200;
inline constexpr UINT SBPS_OWNERDRAW = 0x1000;
inline constexpr UINT SBPS_DISABLED = 0x04000000;
inline constexpr UINT SBPS_STRETCH = 0x08000000;

// Status-bar control messages.
inline constexpr UINT SB_SETTEXTW = WM_USER + 11;
inline constexpr UINT SB_GETTEXTW = WM_USER + 13;
inline constexpr UINT SB_GETTEXTLENGTHW = WM_USER + 12;
inline constexpr UINT SB_SETPARTS = WM_USER + 4;
inline constexpr UINT SB_GETPARTS = WM_USER + 6;
inline constexpr UINT SB_GETRECT = WM_USER + 10;
inline constexpr UINT SB_SETTEXT = SB_SETTEXTW;
inline constexpr UINT SB_GETTEXT = SB_GETTEXTW;
inline constexpr UINT SBT_OWNERDRAW = 0x1000;
inline constexpr UINT SBT_NOBORDERS = 0x0100;
inline constexpr UINT SBT_POPOUT = 0x0200;
inline constexpr DWORD SBARS_SIZEGRIP = 0x0100;

class CStatusBar;

// The bar's calls as messages on the bar's window.
class CStatusBarCtrl : public CWnd {
    DECLARE_DYNAMIC(CStatusBarCtrl)

public:
    // nType: 0, SBT_NOBORDERS, SBT_POPOUT or SBT_OWNERDRAW (then lpszText
    // is the pane's item data, handed to DrawItem, and its text stays).
    BOOL SetText(LPCTSTR lpszText, int nPane, int nType);
    CString GetText(int nPane, int* pType = nullptr) const;
    BOOL GetRect(int nPane, LPRECT lpRect) const;
    int GetParts(int nParts, int* pParts) const;
};

class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)

public:
    CStatusBar();
    ~CStatusBar() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                  UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id; FALSE (with the panes made) when a string of an
    // indicator is missing.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    CString GetPaneText(int nIndex) const;
    void GetPaneText(int nIndex, CString& rString) const { rString = GetPaneText(nIndex); }
    BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate = TRUE);
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    int GetCount() const override { return static_cast<int>(m_panes.size()); }
    CStatusBarCtrl& GetStatusBarCtrl() const;

    // Draws an owner-drawn pane (itemID: the pane's index, itemData: its
    // data); the default draws nothing.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    afx_msg void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    struct Pane {
        UINT id = 0;
        UINT style = 0;
        int cxText = 0;
        CString text;
        DWORD_PTR data = 0;
    };
    void Layout(std::vector<CRect>& rects) const;
    int TextWidth(const CString& text) const;
    HFONT BarFont() const;

    std::vector<Pane> m_panes;
    int m_cyBar = 0;
    mutable CStatusBarCtrl m_ctrl;
};
