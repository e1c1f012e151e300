// Printing of the grid control: the table split into pages (down, then
// across), headings above it and a footer below, drawn on printer DCs and
// their previews; the print dialog, the print run and a preview window.
#include "platform/ui/GridView.h"

#include "platform/ui/Button.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/GdiInternal.h"
#include "platform/ui/PrintJob.h"
#include "platform/ui/Static.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform::ui {

namespace {

constexpr int kFooterPoints = 9;

struct PageMetrics {
    int width = 0;  // printable area, device pixels
    int height = 0;
    int dpiX = 0;
    int dpiY = 0;
    int sheetWidth = 0;
    int sheetHeight = 0;
    int offsetX = 0;  // printable area's corner on the sheet
    int offsetY = 0;

    bool Valid() const { return width > 0 && height > 0 && dpiX > 0 && dpiY > 0; }
};

PageMetrics MetricsOf(HDC dc)
{
    PageMetrics m;
    m.width = ::GetDeviceCaps(dc, HORZRES);
    m.height = ::GetDeviceCaps(dc, VERTRES);
    m.dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
    m.dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    m.sheetWidth = std::max(m.width, ::GetDeviceCaps(dc, PHYSICALWIDTH));
    m.sheetHeight = std::max(m.height, ::GetDeviceCaps(dc, PHYSICALHEIGHT));
    m.offsetX = ::GetDeviceCaps(dc, PHYSICALOFFSETX);
    m.offsetY = ::GetDeviceCaps(dc, PHYSICALOFFSETY);
    return m;
}

int Round(double v) { return static_cast<int>(std::lround(v)); }

// Splits sizes into bands that fit; each band holds at least one item.
std::vector<std::vector<int>> Bands(const std::vector<int>& items, const std::vector<int>& sizes, int firstRoom,
                                    int room)
{
    std::vector<std::vector<int>> bands;
    std::vector<int> band;
    int used = 0;
    int limit = firstRoom;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!band.empty() && used + sizes[i] > limit) {
            bands.push_back(std::move(band));
            band.clear();
            used = 0;
            limit = room;
        }
        band.push_back(items[i]);
        used += sizes[i];
    }
    if (!band.empty() || bands.empty()) bands.push_back(std::move(band));
    return bands;
}

QString FooterText(const CString& format, int page, int count)
{
    QString out;
    const QString in = ToQString(format);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == u'&' && i + 1 < in.size()) {
            const QChar next = in[i + 1].toUpper();
            if (next == u'P') {
                out += QString::number(page);
                ++i;
                continue;
            }
            if (next == u'N') {
                out += QString::number(count);
                ++i;
                continue;
            }
            if (next == u'&') {
                out += u'&';
                ++i;
                continue;
            }
        }
        out += in[i];
    }
    return out;
}

// The pages of one grid on one printer.
class GridPages {
public:
    GridPages(const GridView& view, const PageMetrics& m) : m_model(view.Model()), m_layout(view.printLayout), m_m(m)
    {
        m_font = view.font();
        m_screenDpi = view.logicalDpiY() > 0 ? view.logicalDpiY() : 96;
        const double zoom = std::clamp(m_layout.zoom, 10, 400) / 100.0;
        m_scale = m.dpiX / static_cast<double>(m_screenDpi) * zoom;
        // The area inside the margins, on the printable area's coordinates.
        QRect sheet(-m.offsetX, -m.offsetY, m.sheetWidth, m.sheetHeight);
        m_body = QRect(QPoint(sheet.left() + Round(m_layout.marginLeft * m.dpiX),
                              sheet.top() + Round(m_layout.marginTop * m.dpiY)),
                       QPoint(sheet.right() - Round(m_layout.marginRight * m.dpiX),
                              sheet.bottom() - Round(m_layout.marginBottom * m.dpiY)))
                     .intersected(QRect(0, 0, m.width, m.height));
        if (m_body.width() < 2 || m_body.height() < 2) m_body = QRect(0, 0, m.width, m.height);
        m_footerBottom = std::min(m.height, sheet.bottom() - Round(m_layout.footerDistance * m.dpiY));
        int headings = 0;
        for (const GridPrintHeading& h : m_layout.headings) headings += Round(std::max(0, h.height) * m.dpiY / 72.0);
        m_tableTop = m_body.top() + std::min(headings, m_body.height() / 2);

        for (int r = 0; r < m_model.FixedRows(); ++r)
            if (m_model.RowHeight(r) > 0) m_fixedRows.push_back(r);
        for (int c = 0; c < m_model.FixedCols(); ++c)
            if (m_model.ColWidth(c) > 0) m_fixedCols.push_back(c);
        const std::vector<int> rows = m_model.ScrollableRows();
        const std::vector<int> cols = m_model.ScrollableCols();
        std::vector<int> rowSizes;
        for (int r : rows) rowSizes.push_back(Round(m_model.RowHeight(r) * m_scale));
        std::vector<int> colSizes;
        for (int c : cols) colSizes.push_back(Round(m_model.ColWidth(c) * m_scale));
        int fixedH = 0;
        for (int r : m_fixedRows) fixedH += Round(m_model.RowHeight(r) * m_scale);
        int fixedW = 0;
        for (int c : m_fixedCols) fixedW += Round(m_model.ColWidth(c) * m_scale);
        const int tableH = m_body.bottom() + 1 - m_tableTop;
        const int tableW = m_body.width();
        m_rowBands = Bands(rows, rowSizes, tableH - fixedH, tableH - (m_layout.repeatFixedRows ? fixedH : 0));
        m_colBands = Bands(cols, colSizes, tableW - fixedW, tableW - (m_layout.repeatFixedCols ? fixedW : 0));
    }

    int Count() const { return static_cast<int>(m_rowBands.size() * m_colBands.size()); }

    void Draw(QPainter& p, int page) const
    {
        if (page < 1 || page > Count()) return;
        const std::size_t index = static_cast<std::size_t>(page - 1);
        const std::size_t rowBand = index % m_rowBands.size();
        const std::size_t colBand = index / m_rowBands.size();
        p.save();
        p.setClipRect(QRect(0, 0, m_m.width, m_m.height));
        DrawHeadings(p);
        std::vector<int> rows;
        if (rowBand == 0 || m_layout.repeatFixedRows) rows = m_fixedRows;
        rows.insert(rows.end(), m_rowBands[rowBand].begin(), m_rowBands[rowBand].end());
        std::vector<int> cols;
        if (colBand == 0 || m_layout.repeatFixedCols) cols = m_fixedCols;
        cols.insert(cols.end(), m_colBands[colBand].begin(), m_colBands[colBand].end());
        DrawTable(p, rows, cols);
        DrawFooter(p, page);
        p.restore();
    }

private:
    QFont FontOfPoints(int points, bool bold) const
    {
        QFont f = m_font;
        f.setBold(bold);
        f.setPixelSize(std::max(1, Round(points * m_m.dpiY / 72.0)));
        return f;
    }

    void DrawHeadings(QPainter& p) const
    {
        int y = m_body.top();
        for (const GridPrintHeading& h : m_layout.headings) {
            const int height = Round(std::max(0, h.height) * m_m.dpiY / 72.0);
            if (y + height > m_tableTop) break;
            if (!h.text.IsEmpty()) {
                p.setFont(FontOfPoints(std::clamp(h.fontSize, 1, 400), h.bold != FALSE));
                p.setPen(Qt::black);
                p.drawText(QRect(m_body.left(), y, m_body.width(), height),
                           static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine), ToQString(h.text));
            }
            y += height;
        }
    }

    void DrawTable(QPainter& p, const std::vector<int>& rows, const std::vector<int>& cols) const
    {
        // Positions from sums of screen sizes, so rounding does not drift.
        std::vector<int> xs{0};
        int sum = 0;
        for (int c : cols) {
            sum += m_model.ColWidth(c);
            xs.push_back(Round(sum * m_scale));
        }
        std::vector<int> ys{0};
        sum = 0;
        for (int r : rows) {
            sum += m_model.RowHeight(r);
            ys.push_back(Round(sum * m_scale));
        }
        int left = m_body.left();
        if (m_layout.centerHorizontally && xs.back() < m_body.width()) left += (m_body.width() - xs.back()) / 2;
        const int top = m_tableTop;
        const GridPainter painter(m_model, m_font, m_scale, m_screenDpi);
        p.save();
        p.setClipRect(QRect(m_body.left(), top, m_body.width(), m_body.bottom() + 1 - top));
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (std::size_t j = 0; j < cols.size(); ++j) {
                const QRect cell(left + xs[j], top + ys[i], xs[j + 1] - xs[j], ys[i + 1] - ys[i]);
                painter.DrawCell(p, cell, rows[i], cols[j], GridCellLook{});
            }
        if (!rows.empty() && !cols.empty()) {
            // The table's own left and top edges (cells draw right and bottom).
            const int line = std::max(1, Round(m_scale));
            const QColor edge(GetRValue(m_model.Color(GC_FIXEDGRIDLINE)), GetGValue(m_model.Color(GC_FIXEDGRIDLINE)),
                              GetBValue(m_model.Color(GC_FIXEDGRIDLINE)));
            p.fillRect(QRect(left - line, top - line, xs.back() + line, line), edge);
            p.fillRect(QRect(left - line, top - line, line, ys.back() + line), edge);
        }
        p.restore();
    }

    void DrawFooter(QPainter& p, int page) const
    {
        if (m_layout.footer.IsEmpty()) return;
        const QFont font = FontOfPoints(kFooterPoints, false);
        const int height = QFontMetrics(font).height();
        p.setFont(font);
        p.setPen(Qt::black);
        const QRect box(m_body.left(), m_footerBottom - height, m_body.width(), height);
        p.drawText(box, static_cast<int>(Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine),
                   FooterText(m_layout.footer, page, Count()));
    }

    const GridModel& m_model;
    const GridPrintLayout& m_layout;
    PageMetrics m_m;
    QFont m_font;
    int m_screenDpi = 96;
    double m_scale = 1;
    QRect m_body;
    int m_tableTop = 0;
    int m_footerBottom = 0;
    std::vector<int> m_fixedRows;
    std::vector<int> m_fixedCols;
    std::vector<std::vector<int>> m_rowBands;
    std::vector<std::vector<int>> m_colBands;
};

class GridPrintable final : public IPrintable {
public:
    explicit GridPrintable(const GridView& view) : m_view(view) {}

    void OnPrepareDC(CDC* dc, CPrintInfo* info) override
    {
        if (static_cast<int>(info->m_nCurPage) > GridPrintPageCount(m_view, dc->GetSafeHdc()))
            info->m_bContinuePrinting = FALSE;
    }

    void OnPrint(CDC* dc, CPrintInfo* info) override
    {
        GridDrawPrintPage(m_view, dc->GetSafeHdc(), static_cast<int>(info->m_nCurPage));
    }

private:
    const GridView& m_view;
};

CString DocumentName(const GridView& view)
{
    return view.printLayout.documentName.IsEmpty() ? CString(u"Grid") : view.printLayout.documentName;
}

// A print job record on the chosen printer, or the default one.
bool PreparePrinter(const GridView& view, CPrintInfo& info)
{
    if (view.printer) {
        info.m_pPD->m_settings = *view.printer;
        info.m_pPD->m_pd.hDC = CreatePrinterDC(*view.printer);
    }
    info.m_bDirect = TRUE;
    if (!DoPreparePrinting(info)) return false;
    info.SetMaxPage(static_cast<UINT>(std::max(1, GridPrintPageCount(view, info.m_pPD->GetPrinterDC()))));
    return true;
}

// ---------------------------------------------------------------- preview

constexpr int kPrevButton = 101;
constexpr int kNextButton = 102;
constexpr int kPrintButton = 103;
constexpr int kPageLabel = 104;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kGap = 6;

HWND g_previewWindow;

class GridPreviewDialog final : public CDialog {
public:
    GridPreviewDialog(GridView& view, HWND grid, const RECT* screenRect)
        : m_view(view), m_grid(grid), m_placed(screenRect != nullptr)
    {
        if (screenRect) m_rect = *screenRect;
    }

    ~GridPreviewDialog() override
    {
        if (m_page) ::DeleteObject(m_page);
    }

    INT_PTR Run()
    {
        if (!PreparePrinter(m_view, m_info)) return -1;
        m_info.m_bPreview = TRUE;
        m_pages = GridPrintPageCount(m_view, m_info.m_pPD->GetPrinterDC());
        DialogTemplate t = MakeTemplate();
        HWND owner = m_grid ? ::GetAncestor(m_grid, GA_ROOT) : HWND();
        const bool disableOwner = owner && ::IsWindowEnabled(owner);
        if (disableOwner) ::EnableWindow(owner, FALSE);
        INT_PTR result = -1;
        if (CreateFromTemplate(t, owner ? CWnd::FromHandle(owner) : nullptr, true)) {
            const HWND hwnd = GetSafeHwnd();
            if (ContinueModal()) {
                ::ShowWindow(hwnd, SW_SHOWNORMAL);
                g_previewWindow = hwnd;
                result = RunModalLoop(0);
                g_previewWindow = HWND();
            }
            if (::IsWindow(hwnd)) ::ShowWindow(hwnd, SW_HIDE);
        }
        if (disableOwner && ::IsWindow(owner)) {
            ::EnableWindow(owner, TRUE);
            ::SetActiveWindow(owner);
        }
        if (GetSafeHwnd()) DestroyWindow();
        return result;
    }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (m_placed) MoveWindow(&m_rect);
        PlaceButtons();
        ShowPage(1);
        return TRUE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        switch (LOWORD(wParam)) {
        case kPrevButton: ShowPage(m_current - 1); return TRUE;
        case kNextButton: ShowPage(m_current + 1); return TRUE;
        case kPrintButton:
            if (GridChoosePrinter(m_view, GetSafeHwnd())) GridPrint(m_view, GetSafeHwnd());
            return TRUE;
        default: return CDialog::OnCommand(wParam, lParam);
        }
    }

    void OnSize(UINT, int, int)
    {
        PlaceButtons();
        DropPicture();
        Invalidate();
    }

    void OnPaint()
    {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        const CRect area(kGap, 2 * kGap + kButtonHeight, client.right - kGap, client.bottom - kGap);
        dc.FillSolidRect(&client, ::GetSysColor(COLOR_APPWORKSPACE));
        const PageMetrics m = MetricsOf(m_info.m_pPD->GetPrinterDC());
        if (area.Width() <= 0 || area.Height() <= 0 || m.sheetWidth <= 0 || m.sheetHeight <= 0) return;
        // The sheet as large as it fits, keeping its shape.
        const double fit = std::min(area.Width() / static_cast<double>(m.sheetWidth),
                                    area.Height() / static_cast<double>(m.sheetHeight));
        const int w = std::max(1, Round(m.sheetWidth * fit));
        const int h = std::max(1, Round(m.sheetHeight * fit));
        if (!m_page || m_pageSize != CSize(w, h)) {
            DropPicture();
            GridPrintable printable(m_view);
            m_page = RenderPreviewPage(m_info, printable, static_cast<UINT>(m_current), w, h);
            m_pageSize = CSize(w, h);
        }
        if (!m_page) return;
        CDC memory;
        memory.CreateCompatibleDC(&dc);
        const HGDIOBJ old = memory.SelectObject(HGDIOBJ(m_page));
        dc.BitBlt(area.left + (area.Width() - w) / 2, area.top + (area.Height() - h) / 2, w, h, &memory, 0, 0, SRCCOPY);
        memory.SelectObject(old);
    }

    DECLARE_MESSAGE_MAP()

private:
    DialogTemplate MakeTemplate() const
    {
        DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT;
        t.cx = 400;
        t.cy = 300;
        t.caption = std::u16string(DocumentName(m_view).GetString());
        t.hasFont = true;
        t.pointSize = 9;
        t.faceName = u"MS Shell Dlg";
        auto add = [&](const char16_t* cls, int id, DWORD style, const CString& text) {
            DialogItemTemplate item;
            item.className = cls;
            item.id = static_cast<WORD>(id);
            item.style = WS_CHILD | WS_VISIBLE | style;
            item.cx = 50;
            item.cy = 14;
            item.text = TemplateName::Text(std::u16string(text.GetString()));
            t.items.push_back(item);
        };
        add(u"Button", kPrevButton, WS_TABSTOP, CString(u"<"));
        add(u"Button", kNextButton, WS_TABSTOP, CString(u">"));
        add(u"Static", kPageLabel, SS_CENTER, CString());
        add(u"Button", kPrintButton, WS_TABSTOP, m_view.printLayout.previewPrint);
        add(u"Button", IDCANCEL, WS_TABSTOP | BS_DEFPUSHBUTTON, m_view.printLayout.previewClose);
        return t;
    }

    // The buttons in a row along the top; the page fills the rest.
    void PlaceButtons()
    {
        int x = kGap;
        for (int id : {kPrevButton, kNextButton, kPageLabel, kPrintButton, static_cast<int>(IDCANCEL)}) {
            if (CWnd* item = GetDlgItem(id)) item->MoveWindow(x, kGap, kButtonWidth, kButtonHeight);
            x += kButtonWidth + kGap;
        }
    }

    void ShowPage(int page)
    {
        m_current = std::clamp(page, 1, std::max(1, m_pages));
        CString label;
        label.Format(u"%d / %d", m_current, std::max(1, m_pages));
        SetDlgItemText(kPageLabel, label);
        if (CWnd* prev = GetDlgItem(kPrevButton)) prev->EnableWindow(m_current > 1);
        if (CWnd* next = GetDlgItem(kNextButton)) next->EnableWindow(m_current < m_pages);
        DropPicture();
        Invalidate();
    }

    void DropPicture()
    {
        if (m_page) ::DeleteObject(m_page);
        m_page = HBITMAP();
    }

    GridView& m_view;
    HWND m_grid;
    bool m_placed;
    RECT m_rect{};
    CPrintInfo m_info;
    int m_pages = 0;
    int m_current = 1;
    HBITMAP m_page;
    CSize m_pageSize;
};

BEGIN_MESSAGE_MAP(GridPreviewDialog, CDialog)
    ON_WM_SIZE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

}  // namespace

int GridPrintPageCount(const GridView& view, HDC printer)
{
    const PageMetrics m = MetricsOf(printer);
    if (!m.Valid()) return 0;
    return GridPages(view, m).Count();
}

bool GridDrawPrintPage(const GridView& view, HDC printer, int page)
{
    const PageMetrics m = MetricsOf(printer);
    auto dc = gdi::LookupDc(printer);
    if (!m.Valid() || !dc) return false;
    const GridPages pages(view, m);
    if (page < 1 || page > pages.Count()) return false;
    return gdi::Paint(*dc, QRect(0, 0, m.width, m.height), [&](QPainter& p) {
        p.setRenderHint(QPainter::TextAntialiasing);
        pages.Draw(p, page);
    });
}

bool GridChoosePrinter(GridView& view, HWND owner)
{
    CPrintDialog dialog(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_NOSELECTION);
    dialog.m_pd.hwndOwner = owner;
    if (view.printer) dialog.m_settings = *view.printer;
    if (dialog.DoModal() != IDOK) return false;
    view.printer = dialog.m_settings;
    return true;
}

bool GridPrint(GridView& view, HWND)
{
    CPrintInfo info;
    if (!PreparePrinter(view, info)) return false;
    GridPrintable printable(view);
    return PrintDocument(info, printable, DocumentName(view)) != FALSE;
}

bool GridPreview(GridView& view, HWND owner, const RECT* screenRect)
{
    GridPreviewDialog dialog(view, owner, screenRect);
    return dialog.Run() >= 0;
}

HWND GridPreviewWindow() { return g_previewWindow; }

}  // namespace platform::ui
