// The print preview: a top-level frame that shows the pages of a view as
// they print (each page drawn by the view's OnPrint into a picture of the
// sheet), with Print, Next Page, Previous Page and Close buttons. Print
// ends the preview and prints the view as its print command does (the print
// dialog first); Close, or the end of the view, ends the preview.
#pragma once

#include "platform/ui/FrameWnd.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/ToolBar.h"

#include <memory>

class CView;

inline constexpr UINT AFX_ID_PREVIEW_CLOSE = 0xE300;
inline constexpr UINT AFX_ID_PREVIEW_NUMPAGE = 0xE301;
inline constexpr UINT AFX_ID_PREVIEW_NEXT = 0xE302;
inline constexpr UINT AFX_ID_PREVIEW_PREV = 0xE303;
inline constexpr UINT AFX_ID_PREVIEW_PRINT = 0xE304;

class CPrintPreviewFrame : public CFrameWnd {
    DECLARE_DYNAMIC(CPrintPreviewFrame)

public:
    // Opens the preview of pView's pages with the print set-up in info
    // (which must have a printer DC); null when it cannot be shown.
    static CPrintPreviewFrame* Show(CView* pView, std::unique_ptr<CPrintInfo> info);

    // The open preview of a view, or null.
    static CPrintPreviewFrame* Of(const CView* pView);

    UINT GetCurrentPage() const { return m_page; }
    // Goes to a page when it exists; FALSE otherwise.
    BOOL GoToPage(UINT page);
    // The current page as shown, width x height pixels (null without one).
    HBITMAP RenderCurrentPage(int width, int height);
    CView* GetPreviewView() const;

    afx_msg void OnPreviewClose();
    afx_msg void OnPreviewPrint();
    afx_msg void OnNextPage();
    afx_msg void OnPrevPage();
    afx_msg void OnUpdateNextPage(CCmdUI* pCmdUI);
    afx_msg void OnUpdatePrevPage(CCmdUI* pCmdUI);

protected:
    CPrintPreviewFrame();
    ~CPrintPreviewFrame() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnDestroy();
    bool PageExists(UINT page);

    DECLARE_MESSAGE_MAP()

private:
    class PagePane;
    HWND m_view;
    std::unique_ptr<CPrintInfo> m_info;
    UINT m_page = 1;
    bool m_begun = false;
    CToolBar m_toolBar;
    PagePane* m_pane = nullptr;
};
