#include "platform/ui/GridModel.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform::ui {

namespace {

QColor Q(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

COLORREF Mix(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

}  // namespace

bool LooksNumeric(const QString& text)
{
    const QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) ++i;
    int digits = 0;
    bool separator = false;
    for (; i < t.size(); ++i) {
        const QChar ch = t[i];
        if (ch.isDigit()) {
            ++digits;
        } else if ((ch == u'.' || ch == u',') && !separator) {
            separator = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

// ---------------------------------------------------------------- model

GridModel::GridModel()
{
    m_colors.resize(GC_COUNT);
    m_colors[GC_BACKEVEN] = ::GetSysColor(COLOR_WINDOW);
    m_colors[GC_BACKODD] = ::GetSysColor(COLOR_WINDOW);
    m_colors[GC_TEXT] = ::GetSysColor(COLOR_WINDOWTEXT);
    m_colors[GC_FIXEDBACK] = ::GetSysColor(COLOR_BTNFACE);
    m_colors[GC_FIXEDTEXT] = ::GetSysColor(COLOR_BTNTEXT);
    m_colors[GC_GRIDLINE] = RGB(192, 192, 192);
    m_colors[GC_FIXEDGRIDLINE] = ::GetSysColor(COLOR_BTNSHADOW);
    m_colors[GC_SELECTION] = ::GetSysColor(COLOR_HIGHLIGHT);
    m_colors[GC_FOCUSFRAME] = ::GetSysColor(COLOR_WINDOWTEXT);
    m_colors[GC_EMPTY] = ::GetSysColor(COLOR_APPWORKSPACE);
}

bool GridModel::SetShape(int rows, int cols)
{
    if (rows < 0 || cols < 0) return false;
    if (static_cast<long long>(rows) * static_cast<long long>(cols) > kMaxCells) return false;
    if (rows == m_rows && cols == m_cols) return true;
    std::vector<GridCell> cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    const int keepRows = std::min(rows, m_rows);
    const int keepCols = std::min(cols, m_cols);
    for (int r = 0; r < keepRows; ++r)
        for (int c = 0; c < keepCols; ++c)
            cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c)] =
                std::move(Cell(r, c));
    m_cells = std::move(cells);
    m_rowHeights.resize(static_cast<std::size_t>(rows), m_defaultRowHeight);
    GridColumn fresh;
    fresh.width = kDefaultColumnWidth;
    m_columns.resize(static_cast<std::size_t>(cols), fresh);
    m_rows = rows;
    m_cols = cols;
    m_fixedRows = std::min(m_fixedRows, rows);
    m_fixedCols = std::min(m_fixedCols, cols);
    return true;
}

bool GridModel::SetFixedRows(int n)
{
    if (n < 0 || n > m_rows) return false;
    m_fixedRows = n;
    return true;
}

bool GridModel::SetFixedCols(int n)
{
    if (n < 0 || n > m_cols) return false;
    m_fixedCols = n;
    return true;
}

void GridModel::SetDefaultRowHeight(int h)
{
    if (h < 0 || h == m_defaultRowHeight) return;
    for (int& height : m_rowHeights)
        if (height == m_defaultRowHeight) height = h;
    m_defaultRowHeight = h;
}

int GridModel::Alignment(int r, int c) const
{
    if (!ValidCell(r, c)) return GA_LEFT;
    if (Cell(r, c).alignment != GA_DEFAULT) return Cell(r, c).alignment;
    if (Column(c).alignment != GA_DEFAULT) return Column(c).alignment;
    return IsFixed(r, c) ? GA_CENTER : GA_GENERAL;
}

COLORREF GridModel::BackColorOf(int r, int c) const
{
    const COLORREF own = Cell(r, c).backColor;
    if (own != CLR_DEFAULT) return own;
    if (IsFixed(r, c)) return Color(GC_FIXEDBACK);
    return Color(r % 2 == 0 ? GC_BACKEVEN : GC_BACKODD);
}

COLORREF GridModel::TextColorOf(int r, int c) const
{
    const COLORREF own = Cell(r, c).textColor;
    if (own != CLR_DEFAULT) return own;
    return Color(IsFixed(r, c) ? GC_FIXEDTEXT : GC_TEXT);
}

int GridModel::FixedHeight() const
{
    int h = 0;
    for (int r = 0; r < m_fixedRows; ++r) h += RowHeight(r);
    return h;
}

int GridModel::FixedWidth() const
{
    int w = 0;
    for (int c = 0; c < m_fixedCols; ++c) w += ColWidth(c);
    return w;
}

std::vector<int> GridModel::ScrollableRows() const
{
    std::vector<int> rows;
    for (int r = m_fixedRows; r < m_rows; ++r)
        if (RowHeight(r) > 0) rows.push_back(r);
    return rows;
}

std::vector<int> GridModel::ScrollableCols() const
{
    std::vector<int> cols;
    for (int c = m_fixedCols; c < m_cols; ++c)
        if (ColWidth(c) > 0) cols.push_back(c);
    return cols;
}

bool GridModel::ClipRange(int& r1, int& c1, int& r2, int& c2) const
{
    if (r1 > r2) std::swap(r1, r2);
    if (c1 > c2) std::swap(c1, c2);
    r1 = std::max(r1, 0);
    c1 = std::max(c1, 0);
    r2 = std::min(r2, m_rows - 1);
    c2 = std::min(c2, m_cols - 1);
    return r1 <= r2 && c1 <= c2;
}

// ---------------------------------------------------------------- painter

GridPainter::GridPainter(const GridModel& model, const QFont& font, double scale, int screenDpi)
    : m_model(model), m_font(font), m_scale(scale), m_screenDpi(screenDpi > 0 ? screenDpi : 96)
{
}

QFont GridPainter::FontOf(int r, int c) const
{
    QFont f = m_font;
    const GridCell& cell = m_model.Cell(r, c);
    if (cell.bold >= 0) f.setBold(cell.bold != 0);
    const bool ownSize = cell.fontSize > 0;
    if (!ownSize && m_scale == 1.0) return f;
    double pixels = 0;
    if (ownSize) {
        pixels = cell.fontSize * m_screenDpi / 72.0;
    } else if (m_font.pixelSize() > 0) {
        pixels = m_font.pixelSize();
    } else {
        pixels = m_font.pointSizeF() * m_screenDpi / 72.0;
    }
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels * m_scale))));
    return f;
}

int GridPainter::TextWidth(int r, int c) const
{
    const QFontMetrics metrics(FontOf(r, c));
    return metrics.horizontalAdvance(m_model.Cell(r, c).text) + 2 * kPadding + 1;
}

void GridPainter::DrawCell(QPainter& p, const QRect& rect, int r, int c, const GridCellLook& look) const
{
    if (rect.width() <= 0 || rect.height() <= 0) return;
    const bool fixed = m_model.IsFixed(r, c);
    const int line = std::max(1, static_cast<int>(std::lround(m_scale)));
    const QRect inner(rect.left(), rect.top(), std::max(0, rect.width() - line), std::max(0, rect.height() - line));

    COLORREF back = m_model.BackColorOf(r, c);
    if (look.selected && !fixed) back = Mix(back, m_model.Color(GC_SELECTION));
    p.fillRect(inner, Q(back));

    const GridCell& cell = m_model.Cell(r, c);
    if (!cell.text.isEmpty() && inner.width() > 0) {
        const int pad = static_cast<int>(std::lround(GridPainter::kPadding * m_scale));
        const QRect textRect = inner.adjusted(pad, 0, -pad, 0);
        int align = m_model.Alignment(r, c);
        if (align == GA_GENERAL) align = LooksNumeric(cell.text) ? GA_RIGHT : GA_LEFT;
        Qt::Alignment flags = Qt::AlignVCenter;
        flags |= align == GA_RIGHT ? Qt::AlignRight : align == GA_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
        p.save();
        p.setClipRect(inner, Qt::IntersectClip);
        p.setFont(FontOf(r, c));
        p.setPen(Q(m_model.TextColorOf(r, c)));
        p.drawText(textRect, static_cast<int>(flags | Qt::TextSingleLine), cell.text);
        p.restore();
    }

    const QColor lines = Q(m_model.Color(fixed ? GC_FIXEDGRIDLINE : GC_GRIDLINE));
    p.fillRect(QRect(rect.right() - line + 1, rect.top(), line, rect.height()), lines);
    p.fillRect(QRect(rect.left(), rect.bottom() - line + 1, rect.width(), line), lines);
}

}  // namespace platform::ui
