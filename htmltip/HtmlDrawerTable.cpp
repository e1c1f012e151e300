// Tables of CHtmlDrawer: structure, cell placement with spans, column and row
// sizes in the measure pass, and cell rectangles in the draw pass.
#include "htmltip/HtmlDrawer.h"

#include "htmltip/HtmlMath.h"
#include "htmltip/MarkupScanner.h"

#include <algorithm>
#include <numeric>

using namespace htmltip;

struct CHtmlDrawer::ParsedTable {
    struct Cell {
        std::u16string parameters;
        std::u16string_view content;
        int row = 0;
        int column = 0;
        int rowSpan = 1;
        int columnSpan = 1;
        // False for a cell that found no column within the table's limit.
        bool placed = false;
    };
    struct Row {
        std::u16string parameters;
        std::vector<Cell> cells;
    };
    std::u16string parameters;
    std::vector<Row> rows;
    int columns = 0;
};

// A cell ends at its "</td>" or at the next row or cell tag; a cell outside
// any row opens one; nested tables stay inside their cell's content.
CHtmlDrawer::ParsedTable CHtmlDrawer::ParseTable(std::u16string_view text)
{
    ParsedTable table;
    MarkupTokenizer tokenizer(text);
    MarkupToken token;
    int depth = 0;
    bool rowOpen = false;
    bool cellOpen = false;
    std::size_t cellStart = 0;
    const auto closeCell = [&](std::size_t end) {
        if (!cellOpen) return;
        table.rows.back().cells.back().content = text.substr(cellStart, end - cellStart);
        cellOpen = false;
    };
    while (tokenizer.Next(token)) {
        if (!token.hasTag) continue;
        const std::u16string& name = token.tagName;
        if (name == u"table") {
            if (depth++ == 0) table.parameters = token.parameters;
            continue;
        }
        if (name == u"/table") {
            if (--depth <= 0) {
                closeCell(token.tagStart);
                return table;
            }
            continue;
        }
        if (depth != 1) continue;
        if (name == u"tr") {
            closeCell(token.tagStart);
            table.rows.push_back(ParsedTable::Row{token.parameters, {}});
            rowOpen = true;
        } else if (name == u"/tr") {
            closeCell(token.tagStart);
            rowOpen = false;
        } else if (name == u"td") {
            closeCell(token.tagStart);
            if (!rowOpen) {
                table.rows.emplace_back();
                rowOpen = true;
            }
            ParsedTable::Cell cell;
            cell.parameters = token.parameters;
            table.rows.back().cells.push_back(std::move(cell));
            cellOpen = true;
            cellStart = token.tagEnd;
        } else if (name == u"/td") {
            closeCell(token.tagStart);
        }
    }
    closeCell(text.size());
    return table;
}

namespace {

int SpanValue(std::u16string_view parameters, std::u16string_view name, const SizeUnits& units)
{
    int span = 1;
    MarkupAttributeReader reader(parameters);
    MarkupAttribute attribute;
    while (reader.Next(attribute)) {
        if (attribute.name == name) span = ParseSizeValue(attribute.value, span, false, units);
    }
    // A span of 0 counts as 1.
    return std::max(span, 1);
}

// Grows the sizes so that their sum reaches the wanted size; the remainder of
// the division goes to the last (columns) or the first (rows) of them.
void Distribute(std::vector<int>& sizes, int first, int count, int wanted, bool remainderToLast)
{
    std::int64_t sum = 0;
    for (int i = first; i < first + count; ++i) sum += sizes[static_cast<std::size_t>(i)];
    if (sum >= wanted || count <= 0) return;
    const std::int64_t missing = wanted - sum;
    const std::int64_t share = missing / count;
    const std::int64_t remainder = missing % count;
    for (int i = first; i < first + count; ++i) {
        int& size = sizes[static_cast<std::size_t>(i)];
        size = AddCoord(size, share);
    }
    const std::size_t target = static_cast<std::size_t>(remainderToLast ? first + count - 1 : first);
    sizes[target] = AddCoord(sizes[target], remainder);
}

// Sum of sizes plus spacing around and one unit between neighbours.
int TotalSize(const std::vector<int>& sizes, int spacing)
{
    const std::int64_t count = static_cast<std::int64_t>(sizes.size());
    const std::int64_t sum = std::accumulate(sizes.begin(), sizes.end(), std::int64_t{0});
    return ClampCoord(sum + (count + 1) * spacing + std::max<std::int64_t>(count - 1, 0));
}

// Start of each column (row) from the table's inner edge.
std::vector<int> Starts(const std::vector<int>& sizes, int origin, int spacing)
{
    std::vector<int> starts(sizes.size());
    std::int64_t position = static_cast<std::int64_t>(origin) + spacing;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        starts[i] = ClampCoord(position);
        position += 1 + static_cast<std::int64_t>(sizes[i]) + spacing;
    }
    return starts;
}

int SpannedSize(const std::vector<int>& sizes, int first, int count, int spacing)
{
    std::int64_t size = static_cast<std::int64_t>(count - 1) * (spacing + 1);
    for (int i = first; i < first + count; ++i) size += sizes[static_cast<std::size_t>(i)];
    return ClampCoord(size);
}

}  // namespace

void CHtmlDrawer::PlaceCells(ParsedTable& table)
{
    PassUnits units(*this);
    const int rowCount = static_cast<int>(table.rows.size());
    std::vector<std::vector<char>> covered(table.rows.size());
    for (int r = 0; r < rowCount; ++r) {
        std::vector<char>& row = covered[static_cast<std::size_t>(r)];
        int c = 0;
        for (ParsedTable::Cell& cell : table.rows[static_cast<std::size_t>(r)].cells) {
            while (c < static_cast<int>(row.size()) && row[static_cast<std::size_t>(c)]) ++c;
            if (c >= kMaxTableColumns) continue;
            // Spans reach no further than the last row and the column limit.
            cell.rowSpan = std::min(SpanValue(cell.parameters, u"rowspan", units), rowCount - r);
            cell.columnSpan = std::min(SpanValue(cell.parameters, u"colspan", units), kMaxTableColumns - c);
            cell.row = r;
            cell.column = c;
            cell.placed = true;
            for (int rr = r; rr < r + cell.rowSpan; ++rr) {
                std::vector<char>& marks = covered[static_cast<std::size_t>(rr)];
                const std::size_t end = static_cast<std::size_t>(c + cell.columnSpan);
                if (marks.size() < end) marks.resize(end, 0);
                std::fill(marks.begin() + c, marks.begin() + c + cell.columnSpan, 1);
            }
            c += cell.columnSpan;
        }
    }
    table.columns = 0;
    for (const std::vector<char>& row : covered) table.columns = std::max(table.columns, static_cast<int>(row.size()));
}

void CHtmlDrawer::EnterTablePart(const char16_t* name, std::u16string_view parameters, bool cell)
{
    m_style.name = name;
    if (cell) m_style.width = m_style.height = 0;
    ApplyRule(name, m_style);
    ApplyTableAttributes(parameters, cell);
    SelectFont();
}

SIZE CHtmlDrawer::RenderTable(std::u16string_view text, const Area& area, int depth)
{
    if (depth >= kMaxTableDepth) return SIZE{0, 0};
    ParsedTable table = ParseTable(text);
    const Scope scope = SaveScope();
    // A table's own size comes from its own attributes, never from the cell around it.
    m_style.width = m_style.height = 0;
    EnterTablePart(u"table", table.parameters, false);
    const HtmlStyle tableStyle = m_style;
    PlaceCells(table);
    const int border = tableStyle.borderWidth > 0 ? tableStyle.borderWidth : 0;
    const int inset = tableStyle.borderStyle == kBorderDouble ? ClampCoord(3LL * border) : border;
    const std::size_t index = m_tableCounter++;
    if (m_measure && m_tables.size() <= index) m_tables.resize(index + 1);
    const SIZE size = m_measure ? MeasureTable(table, area, tableStyle, inset, index, depth)
                                : DrawTable(table, area, tableStyle, inset, index, depth);
    RestoreScope(scope);
    return size;
}

SIZE CHtmlDrawer::MeasureTable(const ParsedTable& table, const Area& area, const HtmlStyle& tableStyle, int inset,
                               std::size_t index, int depth)
{
    TableRecord record;
    for (const ParsedTable::Row& row : table.rows) {
        const Scope rowScope = SaveScope();
        EnterTablePart(u"tr", row.parameters, false);
        for (const ParsedTable::Cell& cell : row.cells) {
            const Scope cellScope = SaveScope();
            EnterTablePart(u"td", cell.parameters, true);
            if (cell.placed) {
                const int padding =
                    ClampCoord(std::max(m_style.cellPadding, 0) + std::max<std::int64_t>(m_style.borderWidth, 0));
                const int limit = m_style.width > 0 ? m_style.width : AddCoord(area.Width(), -2LL * padding);
                const SIZE content = RenderPieces(cell.content, Area{0, 0, limit}, depth + 1);
                TableCellRecord cellRecord;
                cellRecord.row = cell.row;
                cellRecord.column = cell.column;
                cellRecord.rowSpan = cell.rowSpan;
                cellRecord.columnSpan = cell.columnSpan;
                cellRecord.contentWidth = std::max<int>(content.cx, m_style.width);
                cellRecord.contentHeight = content.cy;
                cellRecord.fullWidth = AddCoord(cellRecord.contentWidth, 2LL * padding);
                cellRecord.fullHeight = AddCoord(std::max<int>(content.cy, m_style.height), 2LL * padding);
                cellRecord.fixed = m_style.width > 0;
                record.cells.push_back(cellRecord);
            }
            RestoreScope(cellScope);
        }
        RestoreScope(rowScope);
    }

    const int columns = table.columns;
    const int rows = static_cast<int>(table.rows.size());
    record.columnWidths.assign(static_cast<std::size_t>(columns), 0);
    record.rowHeights.assign(static_cast<std::size_t>(rows), 0);
    record.fixedColumns.assign(static_cast<std::size_t>(columns), 0);
    // Narrow spans first, so a wide span only adds what its columns still lack.
    for (int span = 1; span <= columns; ++span) {
        for (const TableCellRecord& cell : record.cells) {
            if (cell.columnSpan != span) continue;
            Distribute(record.columnWidths, cell.column, span, cell.fullWidth, true);
            if (cell.fixed) {
                std::fill_n(record.fixedColumns.begin() + cell.column, span, 1);
            }
        }
    }
    for (int span = 1; span <= rows; ++span) {
        for (const TableCellRecord& cell : record.cells) {
            if (cell.rowSpan == span) Distribute(record.rowHeights, cell.row, span, cell.fullHeight, false);
        }
    }
    const int spacing = std::max(tableStyle.cellSpacing, 0);
    // A table asked to be larger than its cells gives the difference to its columns and rows.
    const int innerWidth = TotalSize(record.columnWidths, spacing);
    if (columns > 0 && tableStyle.width > AddCoord(innerWidth, 2LL * inset)) {
        Distribute(record.columnWidths, 0, columns,
                   ClampCoord(std::accumulate(record.columnWidths.begin(), record.columnWidths.end(), std::int64_t{0}) +
                              tableStyle.width - innerWidth - 2LL * inset),
                   true);
    }
    const int innerHeight = TotalSize(record.rowHeights, spacing);
    if (rows > 0 && tableStyle.height > AddCoord(innerHeight, 2LL * inset)) {
        Distribute(record.rowHeights, 0, rows,
                   ClampCoord(std::accumulate(record.rowHeights.begin(), record.rowHeights.end(), std::int64_t{0}) +
                              tableStyle.height - innerHeight - 2LL * inset),
                   false);
    }
    record.width = AddCoord(TotalSize(record.columnWidths, spacing), 2LL * inset);
    record.height = AddCoord(TotalSize(record.rowHeights, spacing), 2LL * inset);
    const SIZE size{record.width, record.height};
    m_tables[index] = std::move(record);
    return size;
}

SIZE CHtmlDrawer::DrawTable(const ParsedTable& table, const Area& area, const HtmlStyle& tableStyle, int inset,
                            std::size_t index, int depth)
{
    const int columns = table.columns;
    const int rows = static_cast<int>(table.rows.size());
    std::size_t placed = 0;
    for (const ParsedTable::Row& row : table.rows) {
        placed += static_cast<std::size_t>(std::count_if(row.cells.begin(), row.cells.end(),
                                                         [](const ParsedTable::Cell& cell) { return cell.placed; }));
    }
    // Without the record the measure pass made for this table there is nothing safe to draw.
    if (index >= m_tables.size()) return SIZE{0, 0};
    const TableRecord& record = m_tables[index];
    if (record.columnWidths.size() != static_cast<std::size_t>(columns) ||
        record.rowHeights.size() != static_cast<std::size_t>(rows) || record.cells.size() != placed) {
        return SIZE{0, 0};
    }

    std::vector<int> widths = record.columnWidths;
    int width = record.width;
    int offset = 0;
    const std::int64_t free = static_cast<std::int64_t>(area.Width()) - record.width;
    if (free > 0) {
        std::int64_t loose = std::count(record.fixedColumns.begin(), record.fixedColumns.end(), 0);
        if (loose > 0) {
            std::int64_t left = free;
            for (int c = 0; c < columns; ++c) {
                if (record.fixedColumns[static_cast<std::size_t>(c)]) continue;
                const std::int64_t share = left / loose--;
                widths[static_cast<std::size_t>(c)] = AddCoord(widths[static_cast<std::size_t>(c)], share);
                left -= share;
            }
            width = ClampCoord(width + free);
        } else if (tableStyle.horizontalAlign == kAlignCenter) {
            offset = static_cast<int>(free / 2);
        } else if (tableStyle.horizontalAlign == kAlignRight) {
            offset = ClampCoord(free);
        }
    }
    const int left = AddCoord(area.left, offset);
    const RECT outer{left, area.top, AddCoord(left, width), AddCoord(area.top, record.height)};
    DrawBackground(tableStyle, outer);
    if (tableStyle.borderWidth > 0) {
        const COLORREF light = m_colorMode ? tableStyle.borderColorLight : m_disabledColor;
        const COLORREF dark = m_colorMode ? tableStyle.borderColorDark : m_disabledColor;
        m_canvas->DrawRectangle(outer, light, dark, tableStyle.borderStyle, tableStyle.borderWidth);
    }

    const int spacing = std::max(tableStyle.cellSpacing, 0);
    const std::vector<int> columnStarts = Starts(widths, AddCoord(outer.left, inset), spacing);
    const std::vector<int> rowStarts = Starts(record.rowHeights, AddCoord(outer.top, inset), spacing);
    std::size_t cellIndex = 0;
    for (const ParsedTable::Row& row : table.rows) {
        const Scope rowScope = SaveScope();
        EnterTablePart(u"tr", row.parameters, false);
        for (const ParsedTable::Cell& cell : row.cells) {
            const Scope cellScope = SaveScope();
            EnterTablePart(u"td", cell.parameters, true);
            if (cell.placed) {
                const TableCellRecord& measured = record.cells[cellIndex++];
                const RECT rect{columnStarts[static_cast<std::size_t>(cell.column)],
                                rowStarts[static_cast<std::size_t>(cell.row)],
                                AddCoord(columnStarts[static_cast<std::size_t>(cell.column)],
                                         SpannedSize(widths, cell.column, cell.columnSpan, spacing)),
                                AddCoord(rowStarts[static_cast<std::size_t>(cell.row)],
                                         SpannedSize(record.rowHeights, cell.row, cell.rowSpan, spacing))};
                DrawBackground(m_style, rect);
                if (m_style.borderStyle != kBorderNone) {
                    const COLORREF light = m_colorMode ? m_style.borderColorLight : m_disabledColor;
                    const COLORREF dark = m_colorMode ? m_style.borderColorDark : m_disabledColor;
                    m_canvas->DrawRectangle(rect, light, dark, m_style.borderStyle, 1);
                }
                const int padding =
                    ClampCoord(std::max(m_style.cellPadding, 0) + std::max<std::int64_t>(m_style.borderWidth, 0));
                const RECT content{AddCoord(rect.left, padding), AddCoord(rect.top, padding),
                                   AddCoord(rect.right, -static_cast<std::int64_t>(padding)),
                                   AddCoord(rect.bottom, -static_cast<std::int64_t>(padding))};
                int top = content.top;
                if (m_style.verticalAlign == kVAlignMiddle) {
                    const std::int64_t room = static_cast<std::int64_t>(content.bottom) - content.top;
                    top = AddCoord(content.top, (room - measured.contentHeight) / 2);
                } else if (m_style.verticalAlign == kVAlignBottom) {
                    top = AddCoord(content.bottom, -static_cast<std::int64_t>(measured.contentHeight));
                }
                RenderPieces(cell.content, Area{content.left, top, content.right}, depth + 1);
            }
            RestoreScope(cellScope);
        }
        RestoreScope(rowScope);
    }
    return SIZE{width, record.height};
}

void CHtmlDrawer::ApplyTableAttributes(std::u16string_view parameters, bool cell)
{
    (void)cell;  // rowspan and colspan are read when the cells are placed
    PassUnits units(*this);
    const StyleContext context = Context(units);
    MarkupAttributeReader reader(parameters);
    MarkupAttribute attribute;
    while (reader.Next(attribute)) {
        const std::u16string& name = attribute.name;
        const std::u16string& value = attribute.value;
        if (name == u"cellpadding") {
            m_style.cellPadding = ParseSizeValue(value, m_style.cellPadding, false, units);
        } else if (name == u"cellspacing") {
            m_style.cellSpacing = ParseSizeValue(value, m_style.cellSpacing, false, units);
        } else if (name == u"background") {
            m_style.backgroundImage = CString(value);
        } else if (name == u"border") {
            ApplyProperty(u"border-width", value, m_style, context);
        } else if (name == u"borderstyle") {
            ApplyProperty(u"border-style", value, m_style, context);
        } else if (name == u"bordercolor") {
            ApplyProperty(u"border-color", value, m_style, context);
        } else if (name == u"bordercolorlight") {
            m_style.borderColorLight = context.colors.PropertyValue(value, m_style.borderColorLight);
        } else if (name == u"bordercolordark") {
            m_style.borderColorDark = context.colors.PropertyValue(value, m_style.borderColorDark);
        } else if (name == u"bgcolor") {
            if (value == u"transparent") {
                m_style.backgroundEffect = kEffectNone;
            } else if (!value.empty()) {
                m_style.backgroundColor = context.colors.PropertyValue(value, m_style.backgroundColor);
                // A background colour is painted: without an effect it fills solid.
                if (m_style.backgroundEffect == kEffectNone) m_style.backgroundEffect = 0;
            }
        } else if (name == u"bgmidcolor") {
            m_style.backgroundMidColor = context.colors.PropertyValue(value, m_style.backgroundMidColor);
        } else if (name == u"bgendcolor") {
            m_style.backgroundEndColor = context.colors.PropertyValue(value, m_style.backgroundEndColor);
        } else if (name == u"bgeffect") {
            m_style.backgroundEffect = ParseBackgroundEffect(value, m_style.backgroundEffect, units);
        } else if (name == u"align") {
            ApplyProperty(u"text-align", value, m_style, context);
        } else if (name == u"valign") {
            ApplyProperty(u"vertical-align", value, m_style, context);
        } else if (name == u"width") {
            m_style.width = ParseSizeValue(value, m_style.width, false, units);
        } else if (name == u"height") {
            m_style.height = ParseSizeValue(value, m_style.height, false, units);
        }
    }
}

void CHtmlDrawer::DrawBackground(const HtmlStyle& style, const RECT& rect)
{
    // With the colour mode off every background is transparent.
    if (!m_colorMode || m_measure) return;
    if (style.backgroundEffect >= 0) {
        m_canvas->FillEffect(style.backgroundEffect, rect, style.backgroundColor, style.backgroundMidColor,
                             style.backgroundEndColor, 5);
        return;
    }
    if (style.backgroundImage.IsEmpty()) return;
    if (const std::shared_ptr<IMarkupImage> image = LoadBackgroundImage(style.backgroundImage.view())) {
        m_canvas->TileImage(*image, rect);
    }
}
