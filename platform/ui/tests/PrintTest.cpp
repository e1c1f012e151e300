// Printing: pages drawn with the ordinary drawing calls reach a PDF file as
// text and ink (read back with the PDF tools of the machine), in order and
// for the pages chosen; the sheet's measures; a print that is abandoned or
// fails leaves no trace; a page rendered for a preview.
#include "DrawTestSupport.h"

#include "platform/core/Process.h"
#include "platform/ui/PrintJob.h"

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "qv-print-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty()) fs::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    fs::path Path(const std::string& name) const { return m_path / name; }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_path)) names.push_back(e.path().filename().string());
        return names;
    }

private:
    fs::path m_path;
};

CString Wide(const fs::path& p) { return CString::FromUtf8(p.string()); }

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a tool of the machine with an argument vector; its exit code, or -1
// when it could not run or overran a generous bound.
int RunTool(const char* program, const std::vector<CString>& arguments)
{
    platform::Process p;
    if (!p.Start(CString::FromUtf8(program), arguments)) return -1;
    if (p.Wait(120000) != WAIT_OBJECT_0) {
        p.Kill();
        p.Wait(10000);
        return -1;
    }
    DWORD code = 0;
    p.GetExitCode(&code);
    return static_cast<int>(code);
}

// The text of pages first..last of a PDF, as pdftotext reads it.
std::string PdfText(const fs::path& pdf, int first, int last, const TempFolder& tmp)
{
    const fs::path out = tmp.Path("text.txt");
    const int code = RunTool("/usr/bin/pdftotext", {u"-f", CString::FromUtf8(std::to_string(first)), u"-l",
                                                    CString::FromUtf8(std::to_string(last)), Wide(pdf), Wide(out)});
    EXPECT_EQ(code, 0) << "pdftotext (poppler-utils) failed on " << pdf;
    return ReadFile(out);
}

int PdfPages(const fs::path& pdf, const TempFolder& tmp)
{
    // pdftotext cuts pages with form feeds.
    const std::string text = PdfText(pdf, 1, 9999, tmp);
    return static_cast<int>(std::count(text.begin(), text.end(), '\f'));
}

// Page 1 of a PDF as pixels at a low resolution.
QImage PdfPicture(const fs::path& pdf, int dpi, const TempFolder& tmp)
{
    const fs::path prefix = tmp.Path("page");
    const int code = RunTool("/usr/bin/pdftoppm", {u"-r", CString::FromUtf8(std::to_string(dpi)), u"-f", u"1", u"-l",
                                                   u"1", u"-singlefile", u"-png", Wide(pdf), Wide(prefix)});
    EXPECT_EQ(code, 0) << "pdftoppm (poppler-utils) failed on " << pdf;
    return QImage(QString::fromStdString(prefix.string() + ".png"));
}

bool Dark(QRgb p) { return qGray(p) < 100; }
bool White(QRgb p) { return qGray(p) > 240; }

// Pages with a heading text, a line, a filled rectangle and a picture, placed
// in inches from the printable area's corner.
class SamplePages : public platform::IPrintable {
public:
    explicit SamplePages(UINT pages) : m_pages(pages) {}

    void OnPrepareDC(CDC*, CPrintInfo* info) override
    {
        if (info->m_nCurPage > m_pages) info->m_bContinuePrinting = FALSE;
    }

    void OnPrint(CDC* dc, CPrintInfo* info) override
    {
        printed.push_back(info->m_nCurPage);
        const int dpi = dc->GetDeviceCaps(LOGPIXELSY);
        CFont font;
        font.CreateFont(-MulDiv(14, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                        u"MS UI Gothic");
        CFont* oldFont = dc->SelectObject(&font);
        CString heading;
        heading.Format(u"Page %u 位置決め表", info->m_nCurPage);
        dc->TextOut(dpi, dpi, heading);
        dc->SelectObject(oldFont);

        CPen pen(PS_SOLID, dpi / 50, RGB(0, 0, 0));
        CPen* oldPen = dc->SelectObject(&pen);
        dc->MoveTo(dpi, 2 * dpi);
        dc->LineTo(6 * dpi, 2 * dpi);
        CBrush black(RGB(0, 0, 0));
        CBrush* oldBrush = dc->SelectObject(&black);
        dc->Rectangle(dpi, 3 * dpi, 3 * dpi, 4 * dpi);
        dc->SelectObject(oldBrush);
        dc->SelectObject(oldPen);

        // A small red picture stretched to half an inch.
        CDC memory;
        memory.CreateCompatibleDC(nullptr);
        CBitmap red;
        red.CreateBitmap(2, 2, 1, 32, nullptr);
        CBitmap* oldBitmap = memory.SelectObject(&red);
        memory.FillSolidRect(0, 0, 2, 2, RGB(255, 0, 0));
        dc->StretchBlt(4 * dpi, 3 * dpi, dpi / 2, dpi / 2, &memory, 0, 0, 2, 2, SRCCOPY);
        memory.SelectObject(oldBitmap);
    }

    std::vector<UINT> printed;

private:
    UINT m_pages;
};

// The print dialog as a person who picks "print to this file" and a range.
class PrintToFile : public platform::IPrintDialogService {
public:
    explicit PrintToFile(const fs::path& file) : m_file(Wide(file)) {}
    platform::PrintDialogResult ShowPrintDialog(const platform::PrintDialogRequest& request) override
    {
        ++asked;
        platform::PrintDialogResult r;
        r.ok = accept;
        r.settings = request.settings;
        r.settings.printerName = platform::kPdfPrinterName;
        r.settings.outputFile = m_file;
        r.range = range;
        r.fromPage = from;
        r.toPage = to;
        return r;
    }
    bool accept = true;
    DWORD range = PD_ALLPAGES;
    WORD from = 1;
    WORD to = 1;
    int asked = 0;

private:
    CString m_file;
};

platform::PrinterSettings PdfSettings(const fs::path& file)
{
    platform::PrinterSettings s;
    s.printerName = platform::kPdfPrinterName;
    s.outputFile = Wide(file);
    s.paperSize = DMPAPER_A4;
    return s;
}

TEST(Print, DrawnPageReachesThePdfAsTextAndInk)
{
    TempFolder tmp;
    const fs::path pdf = tmp.Path("table.pdf");
    PrintToFile person(pdf);
    platform::ScopedPrintDialogService dialogs(&person);
    CPrintInfo info;
    ASSERT_TRUE(platform::DoPreparePrinting(info));
    EXPECT_EQ(person.asked, 1);
    SamplePages doc(1);
    ASSERT_TRUE(platform::PrintDocument(info, doc, u"Point table"));
    EXPECT_EQ(doc.printed, std::vector<UINT>{1});

    EXPECT_NE(PdfText(pdf, 1, 1, tmp).find("Page 1 位置決め表"), std::string::npos);

    // A4 at 20 dots per inch: the rectangle covers (20..60, 60..80), the line
    // lies on row 40 and the red picture at (80..90, 60..70).
    const QImage page = PdfPicture(pdf, 20, tmp);
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 165, 2);
    EXPECT_NEAR(page.height(), 234, 2);
    EXPECT_TRUE(Dark(page.pixel(40, 70))) << "inside the rectangle";
    EXPECT_TRUE(Dark(page.pixel(21, 61))) << "the rectangle's corner";
    EXPECT_TRUE(White(page.pixel(40, 90))) << "below the rectangle";
    EXPECT_TRUE(White(page.pixel(70, 70))) << "between the rectangle and the picture";
    EXPECT_TRUE(Dark(page.pixel(100, 40))) << "on the line";
    EXPECT_TRUE(White(page.pixel(100, 50))) << "below the line";
    EXPECT_TRUE(White(page.pixel(140, 40))) << "past the line's end";
    const QRgb red = page.pixel(85, 65);
    EXPECT_GT(qRed(red), 200);
    EXPECT_LT(qGreen(red), 60);
    EXPECT_LT(qBlue(red), 60);
}

TEST(Print, PagesComeInOrderForTheRangeChosen)
{
    struct Case {
        const char* name;
        DWORD range;
        WORD from, to;
        std::vector<UINT> printed;
    };
    const Case cases[] = {
        {"all pages", PD_ALLPAGES, 1, 1, {1, 2, 3}},
        {"pages 2 to 3", PD_PAGENUMS, 2, 3, {2, 3}},
        {"range given backwards", PD_PAGENUMS, 3, 2, {2, 3}},
        {"range past the end", PD_PAGENUMS, 3, 40, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder tmp;
        const fs::path pdf = tmp.Path("pages.pdf");
        PrintToFile person(pdf);
        person.range = c.range;
        person.from = c.from;
        person.to = c.to;
        platform::ScopedPrintDialogService dialogs(&person);
        CPrintInfo info;
        info.SetMaxPage(3);
        ASSERT_TRUE(platform::DoPreparePrinting(info));
        SamplePages doc(3);
        ASSERT_TRUE(platform::PrintDocument(info, doc, u"Pages"));
        EXPECT_EQ(doc.printed, c.printed);
        ASSERT_EQ(PdfPages(pdf, tmp), static_cast<int>(c.printed.size()));
        for (std::size_t i = 0; i < c.printed.size(); ++i) {
            const int sheet = static_cast<int>(i) + 1;
            EXPECT_NE(PdfText(pdf, sheet, sheet, tmp).find("Page " + std::to_string(c.printed[i]) + " "),
                      std::string::npos)
                << "sheet " << sheet;
        }
    }
}

TEST(Print, DeviceCapabilitiesDescribeTheSheet)
{
    struct Case {
        const char* name;
        short paper, orientation;
        int dpi;
        double widthMm, heightMm;
    };
    const Case cases[] = {
        {"A4 portrait", DMPAPER_A4, DMORIENT_PORTRAIT, 0, 210, 297},
        {"A4 landscape", DMPAPER_A4, DMORIENT_LANDSCAPE, 0, 297, 210},
        {"Letter at 300 dpi", DMPAPER_LETTER, DMORIENT_PORTRAIT, 300, 215.9, 279.4},
        {"B5 at 1200 dpi", DMPAPER_B5, DMORIENT_PORTRAIT, 1200, 182, 257},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::PrinterSettings s;
        s.printerName = platform::kPdfPrinterName;
        s.paperSize = c.paper;
        s.orientation = c.orientation;
        s.resolution = c.dpi;
        CDC dc;
        ASSERT_TRUE(dc.Attach(platform::CreatePrinterDC(s)));
        const int dpi = c.dpi ? c.dpi : 600;
        EXPECT_EQ(dc.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
        EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), dpi);
        EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), dpi);
        // A PDF sheet is printable to its edges.
        EXPECT_EQ(dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(PHYSICALWIDTH));
        EXPECT_EQ(dc.GetDeviceCaps(VERTRES), dc.GetDeviceCaps(PHYSICALHEIGHT));
        EXPECT_EQ(dc.GetDeviceCaps(PHYSICALOFFSETX), 0);
        EXPECT_EQ(dc.GetDeviceCaps(PHYSICALOFFSETY), 0);
        EXPECT_NEAR(dc.GetDeviceCaps(HORZRES) * 25.4 / dpi, c.widthMm, 1.0);
        EXPECT_NEAR(dc.GetDeviceCaps(VERTRES) * 25.4 / dpi, c.heightMm, 1.0);
        EXPECT_NEAR(dc.GetDeviceCaps(HORZSIZE), c.widthMm, 1.0);
        EXPECT_NEAR(dc.GetDeviceCaps(VERTSIZE), c.heightMm, 1.0);
        RECT clip{};
        EXPECT_NE(dc.GetClipBox(&clip), ERROR);
        EXPECT_EQ(clip.right, dc.GetDeviceCaps(HORZRES));
        EXPECT_EQ(clip.bottom, dc.GetDeviceCaps(VERTRES));
    }
}

TEST(Print, AbandonedPrintLeavesTheFileAsItWas)
{
    struct Case {
        const char* name;
        std::function<void(CDC&)> run;  // after StartDoc
    };
    const Case cases[] = {
        {"AbortDoc in a page",
         [](CDC& dc) {
             ASSERT_GT(dc.StartPage(), 0);
             EXPECT_TRUE(dc.TextOut(100, 100, CString(u"never printed")));
             EXPECT_GT(dc.AbortDoc(), 0);
         }},
        {"DC deleted in a page",
         [](CDC& dc) {
             ASSERT_GT(dc.StartPage(), 0);
             EXPECT_TRUE(dc.TextOut(100, 100, CString(u"never printed")));
             EXPECT_TRUE(dc.DeleteDC());
         }},
        {"EndDoc without pages", [](CDC& dc) { EXPECT_GT(dc.EndDoc(), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder tmp;
        const fs::path pdf = tmp.Path("kept.pdf");
        std::ofstream(pdf) << "previous";
        CDC dc;
        ASSERT_TRUE(dc.Attach(platform::CreatePrinterDC(PdfSettings(pdf))));
        ASSERT_GT(dc.StartDoc(u"Dropped"), 0);
        c.run(dc);
        EXPECT_EQ(ReadFile(pdf), "previous");
        EXPECT_EQ(tmp.Names(), std::vector<std::string>{"kept.pdf"}) << "no temporary file is left";
    }
}

TEST(Print, CallsOutOfTurnAndBadPlacesFail)
{
    TempFolder tmp;
    CDC dc;
    ASSERT_TRUE(dc.Attach(platform::CreatePrinterDC(PdfSettings(tmp.Path("turns.pdf")))));
    EXPECT_EQ(dc.StartPage(), SP_ERROR) << "before StartDoc";
    EXPECT_EQ(dc.EndDoc(), SP_ERROR) << "before StartDoc";
    ASSERT_GT(dc.StartDoc(u"Turns"), 0);
    EXPECT_EQ(dc.StartDoc(u"Again"), SP_ERROR);
    EXPECT_EQ(dc.EndPage(), SP_ERROR) << "outside a page";
    EXPECT_FALSE(dc.TextOut(10, 10, CString(u"outside a page")));
    ASSERT_GT(dc.StartPage(), 0);
    EXPECT_EQ(dc.StartPage(), SP_ERROR) << "inside a page";
    EXPECT_TRUE(dc.TextOut(10, 10, CString(u"inside")));
    EXPECT_EQ(dc.GetPixel(10, 10), CLR_INVALID) << "paper has no pixels to read";
    EXPECT_GT(dc.EndPage(), 0);
    EXPECT_GT(dc.EndDoc(), 0);
    EXPECT_TRUE(fs::exists(tmp.Path("turns.pdf")));

    // The PDF printer with nowhere to write, and a folder that does not exist.
    platform::PrinterSettings nowhere;
    nowhere.printerName = platform::kPdfPrinterName;
    CDC pdf;
    ASSERT_TRUE(pdf.Attach(platform::CreatePrinterDC(nowhere)));
    EXPECT_EQ(pdf.StartDoc(u"x"), SP_ERROR);
    DOCINFOW missing;
    const CString missingPath = Wide(tmp.Path("no-such-folder") / "x.pdf");
    missing.lpszOutput = missingPath;
    EXPECT_EQ(pdf.StartDoc(&missing), SP_ERROR);

    struct Bad {
        const char* name;
        platform::PrinterSettings settings;
    };
    std::vector<Bad> bad(4);
    bad[0] = {"unknown printer", {}};
    bad[0].settings.printerName = u"no such printer";
    bad[1] = {"no copies", PdfSettings(tmp.Path("a.pdf"))};
    bad[1].settings.copies = 0;
    bad[2] = {"unknown paper", PdfSettings(tmp.Path("a.pdf"))};
    bad[2].settings.paperSize = 999;
    bad[3] = {"absurd resolution", PdfSettings(tmp.Path("a.pdf"))};
    bad[3].settings.resolution = 100000;
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        EXPECT_FALSE(platform::CreatePrinterDC(b.settings));
    }
    // Printing calls on a DC that is no printer's.
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    EXPECT_EQ(memory.StartDoc(u"x"), SP_ERROR);
}

TEST(Print, PreviewShowsThePageScaledToTheBitmap)
{
    TempFolder tmp;
    CPrintInfo info;
    info.m_pPD->m_settings = PdfSettings(tmp.Path("unused.pdf"));
    info.m_pPD->m_pd.hDC = info.m_pPD->CreatePrinterDC();
    SamplePages doc(2);
    // A4 at 20 pixels per inch, as for the PDF picture.
    const int w = 165, h = 234;
    CBitmap page;
    ASSERT_TRUE(page.Attach(platform::RenderPreviewPage(info, doc, 2, w, h)));
    EXPECT_TRUE(info.m_bContinuePrinting);
    EXPECT_EQ(doc.printed, std::vector<UINT>{2});
    const QImage img = platform::ImageFromBitmap(page);
    ASSERT_EQ(img.size(), QSize(w, h));
    EXPECT_TRUE(Dark(img.pixel(40, 70))) << "inside the rectangle";
    EXPECT_TRUE(White(img.pixel(40, 90))) << "below the rectangle";
    // The line is thinner than a pixel here: grey, but there.
    EXPECT_FALSE(White(img.pixel(100, 40)) && White(img.pixel(100, 39))) << "on the line";
    EXPECT_TRUE(White(img.pixel(100, 50))) << "below the line";
    EXPECT_GT(qRed(img.pixel(85, 65)), 200) << "the picture";
    EXPECT_LT(qGreen(img.pixel(85, 65)), 60) << "the picture";
    // Nothing was printed: no file.
    EXPECT_FALSE(fs::exists(tmp.Path("unused.pdf")));

    // A page past the end: the loop is told, and the sheet stays white.
    CBitmap past;
    ASSERT_TRUE(past.Attach(platform::RenderPreviewPage(info, doc, 3, w, h)));
    EXPECT_FALSE(info.m_bContinuePrinting);
    const QImage blank = platform::ImageFromBitmap(past);
    EXPECT_TRUE(White(blank.pixel(40, 70)));
}

TEST(Print, CancelledDialogPrintsNothing)
{
    TempFolder tmp;
    PrintToFile person(tmp.Path("never.pdf"));
    person.accept = false;
    {
        platform::ScopedPrintDialogService dialogs(&person);
        CPrintInfo info;
        EXPECT_FALSE(platform::DoPreparePrinting(info));
        EXPECT_FALSE(info.m_pPD->GetPrinterDC());
        SamplePages doc(1);
        EXPECT_FALSE(platform::PrintDocument(info, doc, u"x"));
        EXPECT_TRUE(doc.printed.empty());
    }
    // Without a scripted dialog and with nobody to see one, the dialog is
    // cancelled at once rather than waiting.
    ASSERT_EQ(platform::GetPrintDialogService(), nullptr);
    CPrintDialog dialog(FALSE);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(tmp.Names().empty());
}

}  // namespace
