// Views: the windows that show a document inside a frame.
//
// CView draws through OnDraw (painting, printing and the print preview use
// the same code), joins its document when it is created (the frame's
// CCreateContext) and leaves it when destroyed, and passes commands it does
// not handle on to its document. It deletes itself when its window is gone.
// Printing: OnFilePrint and OnFilePrintPreview (ID_FILE_PRINT,
// ID_FILE_PRINT_PREVIEW in a view's map) run the print loop of PrintJob.h
// with the view's OnPreparePrinting, OnBeginPrinting, OnPrint and
// OnEndPrinting.
//
// CScrollView keeps a scroll position over a total size and shows scroll
// bars (child scroll-bar windows) when the window is smaller than the total;
// OnPrepareDC moves the DC's origin by the position. CFormView is a scroll
// view whose window is a child dialog built from a template. CCtrlView is a
// view whose window is a control (CTreeView: a tree control).
#pragma once

#include "platform/core/Geometry.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintJob.h"
#include "platform/ui/ResourceTemplates.h"
#include "platform/ui/ScrollBar.h"
#include "platform/ui/TreeCtrl.h"
#include "platform/ui/WindowApi.h"

class CFrameWnd;
struct CCreateContext;

// Styles of a view made by a frame.
inline constexpr DWORD AFX_WS_DEFAULT_VIEW = WS_CHILD | WS_VISIBLE | WS_BORDER;

// The frame a window belongs to (its nearest CFrameWnd ancestor), or null.
CFrameWnd* AfxGetParentFrame(const CWnd* pWnd);

class CView : public CWnd, public platform::IPrintable {
    DECLARE_DYNAMIC(CView)

public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const { return AfxGetParentFrame(this); }

    virtual void OnDraw(CDC* pDC) = 0;
    virtual void OnInitialUpdate();
    // Default: the whole window is drawn again.
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnActivateFrame(UINT, CFrameWnd*) {}
    // The DC's set-up before drawing (also the print loop's, per page).
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;

    // Printing. OnPreparePrinting's default asks the print dialog.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    void OnBeginPrinting(CDC*, CPrintInfo*) override {}
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC*, CPrintInfo*) override {}
    BOOL DoPreparePrinting(CPrintInfo* pInfo);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PostNcDestroy() override;

    afx_msg void OnFilePrint();
    afx_msg void OnFilePrintPreview();

protected:
    CView();

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

    CDocument* m_pDocument = nullptr;
    // The context of a creation that cannot pass it through WM_CREATE.
    CCreateContext* m_pPendingContext = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    friend class CDocument;
    friend class CFrameWnd;
};

// Sent by a frame to its views (and their children) for the initial update.
inline constexpr UINT WM_INITIALUPDATE = 0x0364;

class CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)

public:
    static const SIZE sizeDefault;

    // Only MM_TEXT (pixels) is supported; a smaller window shows bars.
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                        const SIZE& sizeLine = sizeDefault);
    CPoint GetScrollPosition() const { return m_ptScroll; }
    CPoint GetDeviceScrollPosition() const { return m_ptScroll; }
    CSize GetTotalSize() const { return m_totalLog; }
    void GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage, SIZE& sizeLine) const;
    void ScrollToPosition(POINT pt);
    // Shrinks the parent frame so the view is no larger than its total size.
    void ResizeParentToFit(BOOL bShrinkOnly = TRUE);
    // Whether a bar is shown now.
    BOOL IsBarShown(int nBar) const;

    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;

protected:
    CScrollView();

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg LRESULT OnMouseWheelMessage(WPARAM wParam, LPARAM lParam);
    // Moves the contents (the drawing and the child windows) by dx, dy.
    virtual void ScrollContents(int dx, int dy);
    void UpdateBars();

    int m_nMapMode = MM_NONE;
    CSize m_totalLog{0, 0};
    CSize m_pageDev{0, 0};
    CSize m_lineDev{0, 0};
    CPoint m_ptScroll{0, 0};

    DECLARE_MESSAGE_MAP()

private:
    void ScrollBy(int nBar, int newPos);
    CScrollBar m_bars[2];
    bool m_updatingBars = false;
};

class CFormView : public CScrollView {
    DECLARE_DYNAMIC(CFormView)

public:
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr) override;
    void OnInitialUpdate() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnDraw(CDC*) override {}

protected:
    explicit CFormView(UINT nIDTemplate);
    explicit CFormView(LPCTSTR lpszTemplateName);

    afx_msg LRESULT HandleInitDialog(WPARAM, LPARAM);

    UINT m_nIDHelp = 0;
    CString m_strTemplateName;
    UINT m_nIDTemplate = 0;

    DECLARE_MESSAGE_MAP()
};

class CCtrlView : public CView {
    DECLARE_DYNAMIC(CCtrlView)

public:
    CCtrlView(LPCTSTR lpszClass, DWORD dwStyle);
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void OnDraw(CDC*) override {}

protected:
    CString m_strClass;
    DWORD m_dwDefaultStyle;
};

class CTreeView : public CCtrlView {
    DECLARE_DYNAMIC(CTreeView)

public:
    CTreeView();
    CTreeCtrl& GetTreeCtrl() const;

private:
    // The tree control's calls on this window (the same handle).
    mutable CTreeCtrl m_tree;
};
