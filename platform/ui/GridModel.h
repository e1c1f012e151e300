// Internal to the grid control: its cells, row and column sizes, colours and
// lists, and the drawing of cells shared by the screen and the printer.
#pragma once

#include "platform/ui/GridCtrl.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

class QPainter;

namespace platform::ui {

struct GridCell {
    QString text;
    QString data;
    COLORREF textColor = CLR_DEFAULT;
    COLORREF backColor = CLR_DEFAULT;
    std::int16_t fontSize = 0;  // points; 0: the grid font's
    std::int8_t bold = -1;      // -1: the grid font's
    std::int8_t alignment = GA_DEFAULT;
    bool locked = false;
    bool list = false;
};

struct GridColumn {
    int width = 0;
    int maxLength = 0;
    int alignment = GA_DEFAULT;
    bool list = false;
    // Its list offers choices, and a value may also be typed (a combo box).
    bool listTyping = false;
    std::vector<QString> items;
    int chosen = -1;
};

class GridModel {
public:
    static constexpr long long kMaxCells = 1'000'000;
    static constexpr int kDefaultColumnWidth = 64;

    GridModel();

    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    int FixedRows() const { return m_fixedRows; }
    int FixedCols() const { return m_fixedCols; }
    // False (nothing changed) for negative counts or too many cells.
    bool SetShape(int rows, int cols);
    bool SetFixedRows(int n);
    bool SetFixedCols(int n);

    bool ValidCell(int r, int c) const { return r >= 0 && r < m_rows && c >= 0 && c < m_cols; }
    bool ValidRow(int r) const { return r >= 0 && r < m_rows; }
    bool ValidCol(int c) const { return c >= 0 && c < m_cols; }
    bool IsFixed(int r, int c) const { return r < m_fixedRows || c < m_fixedCols; }
    bool IsDataCell(int r, int c) const { return ValidCell(r, c) && !IsFixed(r, c); }
    GridCell& Cell(int r, int c) { return m_cells[Index(r, c)]; }
    const GridCell& Cell(int r, int c) const { return m_cells[Index(r, c)]; }

    int RowHeight(int r) const { return ValidRow(r) ? m_rowHeights[static_cast<std::size_t>(r)] : 0; }
    void SetRowHeight(int r, int h) { m_rowHeights[static_cast<std::size_t>(r)] = h; }
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int h);
    int ColWidth(int c) const { return ValidCol(c) ? m_columns[static_cast<std::size_t>(c)].width : 0; }
    GridColumn& Column(int c) { return m_columns[static_cast<std::size_t>(c)]; }
    const GridColumn& Column(int c) const { return m_columns[static_cast<std::size_t>(c)]; }

    bool HasList(int r, int c) const { return ValidCell(r, c) && (Cell(r, c).list || Column(c).list); }
    // A list cell whose list alone gives its value: typing opens the list.
    bool ListOnly(int r, int c) const { return HasList(r, c) && !Column(c).listTyping; }
    int Alignment(int r, int c) const;

    COLORREF Color(int role) const { return m_colors[static_cast<std::size_t>(role)]; }
    void SetColor(int role, COLORREF color) { m_colors[static_cast<std::size_t>(role)] = color; }
    // What a cell is drawn with.
    COLORREF BackColorOf(int r, int c) const;
    COLORREF TextColorOf(int r, int c) const;

    // Sums of the shown sizes.
    int FixedHeight() const;
    int FixedWidth() const;

    // Rows and columns that can scroll (data rows and columns not hidden).
    std::vector<int> ScrollableRows() const;
    std::vector<int> ScrollableCols() const;

    // Clips a range to the table, first corner first; false when empty.
    bool ClipRange(int& r1, int& c1, int& r2, int& c2) const;

private:
    std::size_t Index(int r, int c) const
    {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(m_cols) + static_cast<std::size_t>(c);
    }

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    int m_defaultRowHeight = 20;
    std::vector<GridCell> m_cells;
    std::vector<int> m_rowHeights;
    std::vector<GridColumn> m_columns;
    std::vector<COLORREF> m_colors;
};

// How one cell is drawn.
struct GridCellLook {
    bool selected = false;
};

// Draws cells with a painter, on screen (scale 1) and on paper (scale from
// screen pixels to the page's device pixels).
class GridPainter {
public:
    GridPainter(const GridModel& model, const QFont& font, double scale, int screenDpi);

    // The cell within rect (its grid lines on the right and bottom edges).
    void DrawCell(QPainter& p, const QRect& rect, int r, int c, const GridCellLook& look) const;
    // The font a cell's text is drawn with.
    QFont FontOf(int r, int c) const;
    // The width a cell's text needs on screen, padding included.
    int TextWidth(int r, int c) const;

    static constexpr int kPadding = 3;

private:
    const GridModel& m_model;
    QFont m_font;
    double m_scale;
    int m_screenDpi;
};

// True when the text reads as a number (for general alignment).
bool LooksNumeric(const QString& text);

}  // namespace platform::ui
