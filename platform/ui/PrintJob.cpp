#include "platform/ui/PrintJob.h"

namespace platform {

namespace {

void SetDrawArea(CDC& dc, CPrintInfo& info)
{
    info.m_rectDraw.SetRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
    dc.DPtoLP(&info.m_rectDraw);
}

// Attaches a DC for the loop and lets it go again without deleting it.
class BorrowedDC {
public:
    explicit BorrowedDC(HDC h)
    {
        m_dc.Attach(h);
        m_dc.m_bPrinting = TRUE;
    }
    ~BorrowedDC() { m_dc.Detach(); }
    BorrowedDC(const BorrowedDC&) = delete;
    BorrowedDC& operator=(const BorrowedDC&) = delete;
    CDC& dc() { return m_dc; }

private:
    CDC m_dc;
};

}  // namespace

BOOL DoPreparePrinting(CPrintInfo& info)
{
    if (info.m_bDirect || info.m_bPreview) {
        if (info.m_pPD->GetPrinterDC()) return TRUE;
        return info.m_pPD->GetDefaults();
    }
    return info.m_pPD->DoModal() == IDOK && info.m_pPD->GetPrinterDC() ? TRUE : FALSE;
}

BOOL PrintDocument(CPrintInfo& info, IPrintable& printable, const CString& title)
{
    const HDC printer = info.m_pPD->GetPrinterDC();
    if (!printer) return FALSE;
    BorrowedDC borrowed(printer);
    CDC& dc = borrowed.dc();
    info.m_bPreview = FALSE;
    info.m_bContinuePrinting = TRUE;
    printable.OnBeginPrinting(&dc, &info);
    const int job = dc.StartDoc(title);
    bool ok = job > 0;
    if (ok) {
        info.m_nJobNumber = static_cast<UINT>(job);
        const UINT last = info.GetToPage();
        for (info.m_nCurPage = info.GetFromPage(); info.m_nCurPage <= last; ++info.m_nCurPage) {
            printable.OnPrepareDC(&dc, &info);
            if (!info.m_bContinuePrinting) break;
            SetDrawArea(dc, info);
            if (dc.StartPage() <= 0) {
                ok = false;
                break;
            }
            printable.OnPrint(&dc, &info);
            if (dc.EndPage() <= 0) {
                ok = false;
                break;
            }
            // The last page number a WORD can hold ends the loop.
            if (info.m_nCurPage == 0xFFFF) break;
        }
        if (ok) ok = dc.EndDoc() > 0;
        else dc.AbortDoc();
    }
    printable.OnEndPrinting(&dc, &info);
    return ok ? TRUE : FALSE;
}

HBITMAP RenderPreviewPage(CPrintInfo& info, IPrintable& printable, UINT page, int width, int height)
{
    const HDC printer = info.m_pPD->GetPrinterDC();
    if (!printer) return {};
    info.m_bPreview = TRUE;
    info.m_bContinuePrinting = TRUE;
    info.m_nCurPage = page;
    return RenderPrinterPage(printer, width, height, [&](HDC pageDc) {
        BorrowedDC borrowed(pageDc);
        CDC& dc = borrowed.dc();
        printable.OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting) return;
        SetDrawArea(dc, info);
        printable.OnPrint(&dc, &info);
    });
}

}  // namespace platform
