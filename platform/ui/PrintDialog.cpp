#include "platform/ui/PrintDialog.h"

#include "platform/core/Wnd.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QThread>

#include <algorithm>
#include <atomic>

namespace {

std::atomic<platform::IPrintDialogService*> g_service{nullptr};

QString ToQ(const CString& s) { return QString::fromUtf16(s.GetString(), s.GetLength()); }
CString FromQ(const QString& s) { return CString(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), s.size())); }

// A person can answer: widgets, their thread, and a display people look at.
bool CanShowDialogs()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) return false;
    const QString platformName = QGuiApplication::platformName();
    return platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal");
}

struct PaperName {
    short paper;
    QPageSize::PageSizeId id;
};
constexpr PaperName kPapers[] = {
    {DMPAPER_LETTER, QPageSize::Letter}, {DMPAPER_LEGAL, QPageSize::Legal}, {DMPAPER_A3, QPageSize::A3},
    {DMPAPER_A4, QPageSize::A4},         {DMPAPER_A5, QPageSize::A5},       {DMPAPER_B4, QPageSize::JisB4},
    {DMPAPER_B5, QPageSize::JisB5},
};

platform::PrintDialogResult ShowQtDialog(const platform::PrintDialogRequest& request)
{
    if (!CanShowDialogs()) return {};
    const platform::PrinterSettings& in = request.settings;
    QPrinter printer(QPrinter::HighResolution);
    const bool pdf = in.printerName == CString(platform::kPdfPrinterName) || !in.outputFile.IsEmpty();
    if (!in.printerName.IsEmpty() && !pdf) printer.setPrinterName(ToQ(in.printerName));
    if (pdf) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(ToQ(in.outputFile));
    }
    for (const PaperName& p : kPapers)
        if (p.paper == in.paperSize) printer.setPageSize(QPageSize(p.id));
    printer.setPageOrientation(in.orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setCopyCount(in.copies);

    QPrintDialog dialog(&printer);
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintShowPageSize;
    if (!request.setupOnly) {
        if (!(request.flags & PD_NOPAGENUMS)) options |= QAbstractPrintDialog::PrintPageRange;
        if (!(request.flags & PD_NOSELECTION)) options |= QAbstractPrintDialog::PrintSelection;
        if ((request.flags & PD_CURRENTPAGE) || !(request.flags & PD_NOCURRENTPAGE))
            options |= QAbstractPrintDialog::PrintCurrentPage;
        options |= QAbstractPrintDialog::PrintCollateCopies;
    }
    if (!(request.flags & (PD_HIDEPRINTTOFILE | PD_DISABLEPRINTTOFILE))) options |= QAbstractPrintDialog::PrintToFile;
    dialog.setOptions(options);
    dialog.setMinMax(request.minPage, request.maxPage);
    if (request.flags & PD_PAGENUMS) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(request.fromPage, request.toPage);
    }
    if (dialog.exec() != QDialog::Accepted) return {};

    platform::PrintDialogResult out;
    out.ok = true;
    out.settings = in;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        out.settings.outputFile = FromQ(printer.outputFileName());
        if (printer.printerName().isEmpty()) out.settings.printerName = CString(platform::kPdfPrinterName);
    } else {
        out.settings.outputFile.Empty();
    }
    if (!printer.printerName().isEmpty()) out.settings.printerName = FromQ(printer.printerName());
    out.settings.orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE
                                                                                            : DMORIENT_PORTRAIT;
    out.settings.paperSize = 0;
    for (const PaperName& p : kPapers)
        if (p.id == printer.pageLayout().pageSize().id()) out.settings.paperSize = p.paper;
    out.settings.copies = static_cast<short>(std::max(1, printer.copyCount()));
    switch (printer.printRange()) {
    case QPrinter::Selection: out.range = PD_SELECTION; break;
    case QPrinter::PageRange: out.range = PD_PAGENUMS; break;
    case QPrinter::CurrentPage: out.range = PD_CURRENTPAGE; break;
    default: out.range = PD_ALLPAGES; break;
    }
    out.fromPage = static_cast<WORD>(printer.fromPage());
    out.toPage = static_cast<WORD>(printer.toPage());
    return out;
}

}  // namespace

namespace platform {

IPrintDialogService* SetPrintDialogService(IPrintDialogService* service) { return g_service.exchange(service); }
IPrintDialogService* GetPrintDialogService() { return g_service.load(); }

PrintDialogResult ShowPrintDialog(const PrintDialogRequest& request)
{
    if (IPrintDialogService* service = g_service.load()) return service->ShowPrintDialog(request);
    return ShowQtDialog(request);
}

}  // namespace platform

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd)
{
    m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : PD_RETURNDC);
    if (pParentWnd) m_pd.hwndOwner = pParentWnd->GetSafeHwnd();
}

CPrintDialog::~CPrintDialog() { ReplaceDC(HDC()); }

void CPrintDialog::ReplaceDC(HDC dc)
{
    if (m_pd.hDC) ::DeleteDC(m_pd.hDC);
    m_pd.hDC = dc;
}

INT_PTR CPrintDialog::DoModal()
{
    platform::PrintDialogRequest request;
    request.owner = m_pd.hwndOwner;
    request.setupOnly = (m_pd.Flags & PD_PRINTSETUP) != 0;
    request.flags = m_pd.Flags;
    request.minPage = m_pd.nMinPage;
    request.maxPage = m_pd.nMaxPage;
    request.fromPage = m_pd.nFromPage == 0xFFFF ? m_pd.nMinPage : m_pd.nFromPage;
    request.toPage = m_pd.nToPage == 0xFFFF ? m_pd.nMaxPage : m_pd.nToPage;
    request.settings = m_settings;
    if (request.settings.printerName.IsEmpty()) request.settings.printerName = platform::DefaultPrinterName();
    const platform::PrintDialogResult result = platform::ShowPrintDialog(request);
    if (!result.ok) return IDCANCEL;
    m_settings = result.settings;
    m_pd.Flags = (m_pd.Flags & ~PD_RANGE_MASK) | (result.range & PD_RANGE_MASK);
    if (result.range == PD_PAGENUMS) {
        // A range given backwards, or beyond the document, is held to it.
        const WORD from = std::clamp(std::min(result.fromPage, result.toPage), m_pd.nMinPage, m_pd.nMaxPage);
        const WORD to = std::clamp(std::max(result.fromPage, result.toPage), m_pd.nMinPage, m_pd.nMaxPage);
        m_pd.nFromPage = from;
        m_pd.nToPage = to;
    }
    m_pd.nCopies = static_cast<WORD>(std::max<short>(1, m_settings.copies));
    if (m_pd.Flags & (PD_RETURNDC | PD_RETURNIC)) {
        ReplaceDC(platform::CreatePrinterDC(m_settings));
        if (!m_pd.hDC) return IDCANCEL;
    }
    return IDOK;
}

BOOL CPrintDialog::GetDefaults()
{
    m_settings = platform::PrinterSettings();
    m_settings.printerName = platform::DefaultPrinterName();
    m_pd.nCopies = 1;
    ReplaceDC(platform::CreatePrinterDC(m_settings));
    return m_pd.hDC ? TRUE : FALSE;
}

HDC CPrintDialog::CreatePrinterDC() { return platform::CreatePrinterDC(m_settings); }
