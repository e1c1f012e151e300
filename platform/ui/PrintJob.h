// The print loop of the class library's views, for anything that prints
// pages: the printer is asked for (or taken as it is), the document is
// opened, each page of the range is drawn by the printable, and the
// document is finished, or abandoned on the first failure. A page can also
// be drawn into a picture for a preview window.
#pragma once

#include "platform/ui/DC.h"
#include "platform/ui/PrintInfo.h"

namespace platform {

// What a view does in the print loop, in the class library's terms.
class IPrintable {
public:
    virtual ~IPrintable() = default;
    virtual void OnBeginPrinting(CDC*, CPrintInfo*) {}
    // Before each page: sets the DC up for info->m_nCurPage, and clears
    // info->m_bContinuePrinting when that page is past the document's end.
    virtual void OnPrepareDC(CDC*, CPrintInfo*) {}
    // Draws page info->m_nCurPage within info->m_rectDraw.
    virtual void OnPrint(CDC* dc, CPrintInfo* info) = 0;
    virtual void OnEndPrinting(CDC*, CPrintInfo*) {}
};

// The print dialog, or with m_bDirect or m_bPreview the default printer
// without asking. TRUE when a printer DC is there to print on.
BOOL DoPreparePrinting(CPrintInfo& info);

// Prints the pages GetFromPage() to GetToPage() of info on its dialog's
// printer DC, as the document 'title'. TRUE when the document was finished
// and handed to the printer (or written); FALSE, with nothing printed, when
// there is no printer DC or the output failed.
BOOL PrintDocument(CPrintInfo& info, IPrintable& printable, const CString& title);

// Page 'page' as it prints on info's printer, into a new width x height
// bitmap of the whole sheet (see RenderPrinterPage). The preview window
// calls OnBeginPrinting and OnEndPrinting itself, once around its pages.
// info.m_bContinuePrinting tells afterwards whether the page exists. Null
// without a printer DC.
HBITMAP RenderPreviewPage(CPrintInfo& info, IPrintable& printable, UINT page, int width, int height);

}  // namespace platform
