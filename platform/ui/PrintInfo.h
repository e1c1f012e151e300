// The class library's print job record: the print dialog with its printer
// DC and page range, and what the print loop tells the drawing code (the
// page being drawn, the area to draw in, whether to go on).
#pragma once

#include "platform/core/Geometry.h"
#include "platform/ui/PrintDialog.h"

#include <memory>

class CPrintInfo {
public:
    CPrintInfo() : m_pPD(std::make_unique<CPrintDialog>(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOSELECTION))
    {
        SetMinPage(1);
        SetMaxPage(0xFFFF);
    }
    CPrintInfo(const CPrintInfo&) = delete;
    CPrintInfo& operator=(const CPrintInfo&) = delete;

    void SetMinPage(UINT page) { m_pPD->m_pd.nMinPage = static_cast<WORD>(page); }
    void SetMaxPage(UINT page) { m_pPD->m_pd.nMaxPage = static_cast<WORD>(page); }
    UINT GetMinPage() const { return m_pPD->m_pd.nMinPage; }
    UINT GetMaxPage() const { return m_pPD->m_pd.nMaxPage; }
    // The pages chosen in the dialog, or the whole document.
    UINT GetFromPage() const { return m_pPD->PrintRange() ? m_pPD->m_pd.nFromPage : GetMinPage(); }
    UINT GetToPage() const { return m_pPD->PrintRange() ? m_pPD->m_pd.nToPage : GetMaxPage(); }
    UINT GetOffsetPage() const { return m_nOffsetPage; }

    std::unique_ptr<CPrintDialog> m_pPD;
    BOOL m_bDirect = FALSE;            // print without asking (the default printer)
    BOOL m_bPreview = FALSE;           // pages go to a preview
    BOOL m_bContinuePrinting = TRUE;   // cleared by the drawing code after the last page
    UINT m_nCurPage = 1;
    UINT m_nNumPreviewPages = 1;
    CString m_strPageDesc;
    LPVOID m_lpUserData = nullptr;
    CRect m_rectDraw;                  // the printable area of the page, in the DC's units
    UINT m_nJobNumber = 0;
    UINT m_nOffsetPage = 0;
};
