#include "platform/ui/Printer.h"

#include "platform/core/File.h"
#include "platform/ui/GdiInternal.h"
#include "platform/ui/WindowSurface.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <atomic>
#include <cstdio>
#include <unistd.h>

using namespace platform::gdi;

namespace {

constexpr int kPdfResolutionDpi = 600;
constexpr int kMinResolutionDpi = 72;
constexpr int kMaxResolutionDpi = 2400;
constexpr int kMaxPreviewSide = 8192;

QString ToQ(const CString& s) { return QString::fromUtf16(s.GetString(), s.GetLength()); }
CString FromQ(const QString& s) { return CString(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), s.size())); }

bool IsPdfPrinter(const CString& name) { return name == CString(platform::kPdfPrinterName); }

QPageSize::PageSizeId PaperOf(short paper)
{
    switch (paper) {
    case DMPAPER_LETTER: return QPageSize::Letter;
    case DMPAPER_LEGAL: return QPageSize::Legal;
    case DMPAPER_A3: return QPageSize::A3;
    case DMPAPER_A5: return QPageSize::A5;
    case DMPAPER_B4: return QPageSize::JisB4;
    case DMPAPER_B5: return QPageSize::JisB5;
    default: return QPageSize::A4;
    }
}

bool KnownPaper(short paper)
{
    return paper == 0 || paper == DMPAPER_LETTER || paper == DMPAPER_LEGAL || paper == DMPAPER_A3 ||
           paper == DMPAPER_A4 || paper == DMPAPER_A5 || paper == DMPAPER_B4 || paper == DMPAPER_B5;
}

// Where a page lies, in device pixels: the sheet with (0, 0) at its corner,
// and the printable area within it.
struct PageGeometry {
    int dpi = kPdfResolutionDpi;
    QRect sheet;
    QRect printable;
    QPageLayout layout;
};

int PageCaps(const PageGeometry& g, int index)
{
    switch (index) {
    case TECHNOLOGY: return DT_RASPRINTER;
    case HORZRES: return g.printable.width();
    case VERTRES: return g.printable.height();
    case HORZSIZE: return MulDiv(g.printable.width(), 254, g.dpi * 10);
    case VERTSIZE: return MulDiv(g.printable.height(), 254, g.dpi * 10);
    case LOGPIXELSX:
    case LOGPIXELSY: return g.dpi;
    case PHYSICALWIDTH: return g.sheet.width();
    case PHYSICALHEIGHT: return g.sheet.height();
    case PHYSICALOFFSETX: return g.printable.x();
    case PHYSICALOFFSETY: return g.printable.y();
    case BITSPIXEL: return 24;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT | RC_DI_BITMAP;
    default: return 0;
    }
}

class GeometryPage : public PageDevice {
public:
    explicit GeometryPage(PageGeometry g) : m_geometry(std::move(g)) {}
    const PageGeometry& Geometry() const { return m_geometry; }
    QSize PageSize() const override { return m_geometry.printable.size(); }
    int Caps(int index) const override { return PageCaps(m_geometry, index); }

protected:
    PageGeometry m_geometry;
};

std::atomic<int> g_nextJob{1};

// A printer DC's device: the settings, the page geometry, and the document
// being printed.
class PrinterPage final : public GeometryPage {
public:
    PrinterPage(platform::PrinterSettings settings, PageGeometry geometry, std::unique_ptr<QPrinter> printer)
        : GeometryPage(std::move(geometry)), m_settings(std::move(settings)), m_printer(std::move(printer))
    {
    }
    ~PrinterPage() override { Abort(); }

    const platform::PrinterSettings& Settings() const { return m_settings; }
    QPainter* Painter() override { return m_state == State::InPage ? &m_painter : nullptr; }
    void Close() override { Abort(); }

    int StartDoc(const CString& name, const CString& output)
    {
        if (m_state != State::Idle) return SP_ERROR;
        const CString target = !output.IsEmpty() ? output : m_settings.outputFile;
        if (!target.IsEmpty()) {
            if (!MakeTemporaryFile(target)) return SP_ERROR;
            auto pdf = std::make_unique<QPdfWriter>(QString::fromStdString(m_temporary));
            pdf->setResolution(m_geometry.dpi);
            pdf->setPageLayout(m_geometry.layout);
            pdf->setTitle(ToQ(name));
            m_target = platform::NativePath(target);
            m_device = std::move(pdf);
        } else {
            if (!m_printer) return SP_ERROR;  // the PDF printer needs a file
            m_printer->setDocName(ToQ(name));
            m_device.reset();
        }
        m_pages = 0;
        m_state = State::InDoc;
        return g_nextJob.fetch_add(1);
    }

    int StartPage()
    {
        if (m_state != State::InDoc) return SP_ERROR;
        QPagedPaintDevice* device = m_device ? m_device.get() : static_cast<QPagedPaintDevice*>(m_printer.get());
        // The output opens with the first page, so a document without pages
        // prints nothing.
        const bool ok = m_pages == 0 ? m_painter.begin(device) : device->newPage();
        if (!ok) return SP_ERROR;
        ++m_pages;
        m_state = State::InPage;
        return 1;
    }

    int EndPage()
    {
        if (m_state != State::InPage) return SP_ERROR;
        m_state = State::InDoc;
        return 1;
    }

    int EndDoc()
    {
        if (m_state == State::Idle) return SP_ERROR;
        bool ok = true;
        if (m_painter.isActive()) ok = m_painter.end();
        if (!m_temporary.empty()) {
            if (ok && m_pages > 0) ok = QFileInfo(QString::fromStdString(m_temporary)).size() > 0 &&
                                        std::rename(m_temporary.c_str(), m_target.c_str()) == 0;
            if (!ok || m_pages == 0) ::unlink(m_temporary.c_str());
        }
        Reset();
        return ok ? 1 : SP_ERROR;
    }

    int AbortDoc()
    {
        if (m_state == State::Idle) return SP_ERROR;
        Abort();
        return 1;
    }

private:
    enum class State { Idle, InDoc, InPage };

    bool MakeTemporaryFile(const CString& target)
    {
        std::string pattern = platform::NativePath(target) + ".printing-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) return false;
        ::close(fd);
        m_temporary = pattern;
        return true;
    }

    void Abort()
    {
        if (m_state == State::Idle) return;
        if (m_painter.isActive()) {
            if (!m_device && m_printer) m_printer->abort();
            m_painter.end();
        }
        if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
        Reset();
    }

    void Reset()
    {
        m_device.reset();
        m_temporary.clear();
        m_target.clear();
        m_pages = 0;
        m_state = State::Idle;
    }

    platform::PrinterSettings m_settings;
    std::unique_ptr<QPrinter> m_printer;           // null for the PDF printer
    std::unique_ptr<QPagedPaintDevice> m_device;  // a PDF file being written
    QPainter m_painter;
    std::string m_temporary;
    std::string m_target;
    int m_pages = 0;
    State m_state = State::Idle;
};

// A page drawn into a picture of the whole sheet.
class PreviewPage final : public GeometryPage {
public:
    PreviewPage(const PageGeometry& g, QImage& image) : GeometryPage(g)
    {
        image.fill(Qt::white);
        m_painter.begin(&image);
        // Scaled down, thin lines and small text would drop out without it.
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setRenderHint(QPainter::TextAntialiasing);
        m_painter.scale(static_cast<double>(image.width()) / g.sheet.width(),
                        static_cast<double>(image.height()) / g.sheet.height());
        m_painter.translate(g.printable.topLeft());
    }
    QPainter* Painter() override { return m_painter.isActive() ? &m_painter : nullptr; }
    void Close() override
    {
        if (m_painter.isActive()) m_painter.end();
    }

private:
    QPainter m_painter;
};

std::shared_ptr<PrinterPage> PrinterOf(HDC dc)
{
    auto d = LookupDc(dc);
    return d ? std::dynamic_pointer_cast<PrinterPage>(d->page) : nullptr;
}

}  // namespace

namespace platform {

std::vector<CString> PrinterNames()
{
    std::vector<CString> names;
    if (HaveGui())
        for (const QString& n : QPrinterInfo::availablePrinterNames()) names.push_back(FromQ(n));
    names.emplace_back(kPdfPrinterName);
    return names;
}

CString DefaultPrinterName()
{
    const QString name = HaveGui() ? QPrinterInfo::defaultPrinterName() : QString();
    return name.isEmpty() ? CString(kPdfPrinterName) : FromQ(name);
}

HDC CreatePrinterDC(const PrinterSettings& asked)
{
    // Fonts and print support need the GUI application.
    if (!HaveGui()) return {};
    PrinterSettings settings = asked;
    if (settings.printerName.IsEmpty()) settings.printerName = DefaultPrinterName();
    if (!KnownPaper(settings.paperSize) || settings.copies < 1 ||
        (settings.orientation != DMORIENT_PORTRAIT && settings.orientation != DMORIENT_LANDSCAPE) ||
        (settings.resolution != 0 && (settings.resolution < kMinResolutionDpi || settings.resolution > kMaxResolutionDpi)))
        return {};
    const auto orientation = settings.orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait;
    PageGeometry g;
    std::unique_ptr<QPrinter> printer;
    if (IsPdfPrinter(settings.printerName)) {
        g.dpi = settings.resolution ? settings.resolution : kPdfResolutionDpi;
        g.layout = QPageLayout(QPageSize(PaperOf(settings.paperSize)), orientation, QMarginsF(0, 0, 0, 0),
                               QPageLayout::Millimeter);
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(ToQ(settings.printerName));
        if (info.isNull()) return {};
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        if (!printer->isValid()) return {};
        if (settings.resolution) printer->setResolution(settings.resolution);
        if (settings.paperSize) printer->setPageSize(QPageSize(PaperOf(settings.paperSize)));
        printer->setPageOrientation(orientation);
        printer->setCopyCount(settings.copies);
        g.dpi = printer->resolution();
        g.layout = printer->pageLayout();
    }
    if (g.dpi <= 0) return {};
    g.sheet = g.layout.fullRectPixels(g.dpi);
    g.printable = g.layout.paintRectPixels(g.dpi);
    if (g.sheet.isEmpty() || g.printable.isEmpty()) return {};
    auto dc = std::make_shared<DeviceContext>();
    dc->page = std::make_shared<PrinterPage>(std::move(settings), std::move(g), std::move(printer));
    SelectDefaults(*dc);
    return AddDc(std::move(dc));
}

bool GetPrinterSettings(HDC printer, PrinterSettings* settings)
{
    auto page = PrinterOf(printer);
    if (!page || !settings) return false;
    *settings = page->Settings();
    return true;
}

HBITMAP RenderPrinterPage(HDC printer, int width, int height, const std::function<void(HDC page)>& draw)
{
    auto dc = LookupDc(printer);
    auto source = dc ? std::dynamic_pointer_cast<GeometryPage>(dc->page) : nullptr;
    if (!source || width <= 0 || height <= 0 || width > kMaxPreviewSide || height > kMaxPreviewSide) return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    auto preview = std::make_shared<DeviceContext>();
    preview->page = std::make_shared<PreviewPage>(source->Geometry(), image);
    SelectDefaults(*preview);
    const HDC page = AddDc(std::move(preview));
    if (draw) draw(page);
    DeleteDC(page);
    return BitmapFromImage(image, false);
}

}  // namespace platform

HDC CreateDCW(LPCWSTR, LPCWSTR device, LPCWSTR output, const DEVMODEW* mode)
{
    platform::PrinterSettings settings;
    if (device) settings.printerName = CString(device);
    if (output) settings.outputFile = CString(output);
    if (mode) {
        if (mode->dmFields & DM_ORIENTATION) settings.orientation = mode->dmOrientation;
        if (mode->dmFields & DM_PAPERSIZE) settings.paperSize = mode->dmPaperSize;
        if (mode->dmFields & DM_COPIES) settings.copies = mode->dmCopies;
        if ((mode->dmFields & DM_PRINTQUALITY) && mode->dmPrintQuality > 0) settings.resolution = mode->dmPrintQuality;
    }
    return platform::CreatePrinterDC(settings);
}

int StartDocW(HDC printer, const DOCINFOW* info)
{
    auto page = PrinterOf(printer);
    if (!page) return SP_ERROR;
    const CString name = info && info->lpszDocName ? CString(info->lpszDocName) : CString();
    const CString output = info && info->lpszOutput ? CString(info->lpszOutput) : CString();
    return page->StartDoc(name, output);
}

int StartPage(HDC printer)
{
    auto page = PrinterOf(printer);
    return page ? page->StartPage() : SP_ERROR;
}

int EndPage(HDC printer)
{
    auto page = PrinterOf(printer);
    return page ? page->EndPage() : SP_ERROR;
}

int EndDoc(HDC printer)
{
    auto page = PrinterOf(printer);
    return page ? page->EndDoc() : SP_ERROR;
}

int AbortDoc(HDC printer)
{
    auto page = PrinterOf(printer);
    return page ? page->AbortDoc() : SP_ERROR;
}
