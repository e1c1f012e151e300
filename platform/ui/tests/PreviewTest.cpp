// The print preview of a drawn page: the view's pages as they print, page
// by page, and printing from the preview to a PDF file.
#include "platform/core/File.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/PrintPreviewFrame.h"
#include "platform/ui/WindowSurface.h"
#include "platform/ui/View.h"
#include "tests/support/ui/UiTest.h"

#include <QImage>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Three pages; page n has a black block n x 10 % down the printable area.
class PagedView : public CView {
public:
    std::vector<UINT> printed;
    int begun = 0;
    int ended = 0;

    void OnDraw(CDC*) override {}
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override
    {
        pInfo->SetMaxPage(3);
        return DoPreparePrinting(pInfo);
    }
    void OnBeginPrinting(CDC*, CPrintInfo*) override { ++begun; }
    void OnEndPrinting(CDC*, CPrintInfo*) override { ++ended; }
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override
    {
        if (!pInfo->m_bPreview) printed.push_back(pInfo->m_nCurPage);
        const CRect& area = pInfo->m_rectDraw;
        const int top = area.top + area.Height() * static_cast<int>(pInfo->m_nCurPage) / 10;
        CRect block(area.left + area.Width() / 4, top, area.right - area.Width() / 4, top + area.Height() / 20);
        pDC->FillSolidRect(&block, RGB(0, 0, 0));
    }
};

class PdfPrinter : public platform::IPrintDialogService {
public:
    explicit PdfPrinter(CString file) : m_file(std::move(file)) {}
    platform::PrintDialogResult ShowPrintDialog(const platform::PrintDialogRequest& request) override
    {
        ++asked;
        platform::PrintDialogResult r;
        r.ok = true;
        r.settings = request.settings;
        r.settings.printerName = platform::kPdfPrinterName;
        r.settings.outputFile = m_file;
        r.range = PD_ALLPAGES;
        return r;
    }
    int asked = 0;

private:
    CString m_file;
};

// The rows of a page picture that hold ink.
std::pair<int, int> InkRows(const QImage& image)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (qGray(image.pixel(image.width() / 2, y)) < 64) {
            if (first < 0) first = y;
            last = y;
        }
    }
    return {first, last};
}

QImage Picture(HBITMAP bitmap) { return platform::ImageFromBitmap(bitmap); }

TEST(Preview, ShowsThePagesAsTheyPrintAndPrintsThem)
{
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, u"Report"));
    auto* view = new PagedView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 100, 100), frame, AFX_IDW_PANE_FIRST));
    const HWND frameHwnd = frame->GetSafeHwnd();
    frame->ShowWindow(SW_SHOW);

    view->OnFilePrintPreview();
    CPrintPreviewFrame* preview = CPrintPreviewFrame::Of(view);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(view->begun, 1);
    // A second request shows the same preview.
    view->OnFilePrintPreview();
    EXPECT_EQ(CPrintPreviewFrame::Of(view), preview);
    EXPECT_EQ(view->begun, 1);

    // Page n's block lies n tenths down the sheet, as it prints.
    std::vector<int> tops;
    for (UINT page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        if (page > 1) preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_NEXT, 0);
        EXPECT_EQ(preview->GetCurrentPage(), page);
        const HBITMAP bitmap = preview->RenderCurrentPage(210, 297);
        ASSERT_TRUE(bitmap);
        const auto [first, last] = InkRows(Picture(bitmap));
        ::DeleteObject(bitmap);
        ASSERT_GE(first, 0);
        tops.push_back(first);
        EXPECT_NEAR(last - first, 297 / 20, 3);
    }
    EXPECT_NEAR(tops[1] - tops[0], 297 / 10, 3);
    EXPECT_NEAR(tops[2] - tops[1], 297 / 10, 3);
    // There is no fourth page: Next stays on the third and is disabled.
    EXPECT_FALSE(preview->GoToPage(4));
    preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_NEXT, 0);
    EXPECT_EQ(preview->GetCurrentPage(), 3u);
    preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_PREV, 0);
    EXPECT_EQ(preview->GetCurrentPage(), 2u);
    EXPECT_TRUE(view->printed.empty());

    preview->MoveWindow(0, 0, 420, 520);
    uitest::Pump(20);
    const std::string picture = uitest::ArtifactFolder("ui") + "/print-preview.png";
    EXPECT_TRUE(uitest::DialogDriver(preview->GetSafeHwnd()).Grab(picture));

    // Print from the preview: the printer is asked for, the pages print to
    // the file, the preview is gone.
    const fs::path folder = fs::temp_directory_path() / ("qv-preview-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path pdf = folder / "report.pdf";
    PdfPrinter person(platform::ToWide(pdf.string(), CP_UTF8));
    {
        platform::ScopedPrintDialogService dialogs(&person);
        const HWND previewHwnd = preview->GetSafeHwnd();
        preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_PRINT, 0);
        uitest::Pump(10);
        EXPECT_FALSE(::IsWindow(previewHwnd));
    }
    EXPECT_EQ(person.asked, 1);
    EXPECT_EQ(view->ended, 2);  // once for the preview, once for the print
    EXPECT_EQ(view->printed, (std::vector<UINT>{1, 2, 3}));
    std::ifstream in(pdf, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");
    in.close();
    fs::remove_all(folder);

    ::DestroyWindow(frameHwnd);
    uitest::FlushDeletedWidgets();
}

TEST(Preview, EndsWithItsView)
{
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, u"Report"));
    auto* view = new PagedView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 100, 100), frame, AFX_IDW_PANE_FIRST));
    view->OnFilePrintPreview();
    CPrintPreviewFrame* preview = CPrintPreviewFrame::Of(view);
    ASSERT_NE(preview, nullptr);
    const HWND previewHwnd = preview->GetSafeHwnd();
    // The view's frame goes: the preview draws nothing from a dead view.
    frame->DestroyWindow();
    if (::IsWindow(previewHwnd)) {
        EXPECT_EQ(preview->GetPreviewView(), nullptr);
        EXPECT_FALSE(preview->RenderCurrentPage(50, 70));
        preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_NEXT, 0);
        preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_PRINT, 0);
    }
    EXPECT_FALSE(::IsWindow(previewHwnd));
    uitest::FlushDeletedWidgets();
}

}  // namespace
