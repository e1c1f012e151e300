#include "platform/ui/GridView.h"

#include "platform/core/Time.h"
#include "platform/ui/InputRouting.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace platform::ui {

namespace {

constexpr int kResizeGrip = 3;
constexpr int kListButtonWidth = 14;
constexpr int kListRowsShown = 10;
constexpr int kWheelRows = 3;

QColor Q(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

int ButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return GMB_LEFT;
    case Qt::RightButton: return GMB_RIGHT;
    case Qt::MiddleButton: return GMB_MIDDLE;
    default: return 0;
    }
}

int ShiftCode(Qt::KeyboardModifiers mods)
{
    int shift = 0;
    if (mods & Qt::ShiftModifier) shift |= GMS_SHIFT;
    if (mods & Qt::ControlModifier) shift |= GMS_CTRL;
    if (mods & Qt::AltModifier) shift |= GMS_ALT;
    return shift;
}

// A typed character that goes through the filter: printable ones and backspace.
bool IsFilteredChar(char16_t ch) { return ch == 8 || (ch >= 0x20 && ch != 0x7F); }

}  // namespace

// ---------------------------------------------------------------- list popup

GridListPopup::GridListPopup(GridView& view) : QListWidget(&view), m_view(view)
{
    setWindowFlags(Qt::Popup);
    setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        m_view.ChooseListEntry(row(item));
    });
}

void GridListPopup::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_view.ChooseListEntry(currentRow());
        return;
    case Qt::Key_Escape:
    case Qt::Key_F4:
        hide();
        return;
    default:
        QListWidget::keyPressEvent(event);
    }
}

void GridListPopup::hideEvent(QHideEvent* event)
{
    QListWidget::hideEvent(event);
    m_view.ListClosed();
}

// ---------------------------------------------------------------- view

GridView::GridView(QWidget* parent, GridPeer* peer) : QWidget(parent), m_peer(peer)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    m_vbar = new QScrollBar(Qt::Vertical, this);
    m_hbar = new QScrollBar(Qt::Horizontal, this);
    for (QScrollBar* bar : {m_vbar, m_hbar}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    QObject::connect(m_vbar, &QScrollBar::valueChanged, this, [this](int value) {
        const std::vector<int> rows = m_model.ScrollableRows();
        if (value >= 0 && value < static_cast<int>(rows.size())) SetTopRow(rows[static_cast<std::size_t>(value)]);
    });
    QObject::connect(m_hbar, &QScrollBar::valueChanged, this, [this](int value) {
        const std::vector<int> cols = m_model.ScrollableCols();
        if (value >= 0 && value < static_cast<int>(cols.size())) SetLeftCol(cols[static_cast<std::size_t>(value)]);
    });
    m_editor = new QLineEdit(this);
    m_editor->setFrame(false);
    m_editor->hide();
    m_editor->installEventFilter(this);
    QObject::connect(m_editor, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_syncing || m_edit != EditKind::Text || !m_model.ValidCell(m_editRow, m_editCol)) return;
        m_model.Cell(m_editRow, m_editCol).text = text;
    });
    m_model.SetDefaultRowHeight(QFontMetrics(font()).height() + 4);
}

GridView::~GridView() = default;

bool GridView::Send(NMHDR& header, UINT code)
{
    if (!m_peer) return false;
    const HWND hwnd = m_peer->Handle();
    QPointer<GridView> self(this);
    m_peer->NotifyParent(header, code);
    return self && m_peer && ::IsWindow(hwnd);
}

bool GridView::SendCell(UINT code, int r, int c)
{
    NMGRID info;
    info.row = r;
    info.col = c;
    return Send(info.hdr, code);
}

bool GridView::SendMouse(UINT code, QMouseEvent* event, int button)
{
    NMGRIDMOUSE info;
    info.button = button;
    info.shift = ShiftCode(event->modifiers());
    const QPoint pt = event->position().toPoint();
    info.x = pt.x();
    info.y = pt.y();
    if (!HitTest(pt, info.row, info.col)) info.row = info.col = -1;
    return Send(info.hdr, code);
}

std::optional<QString> GridView::FilterTyped(const QString& text)
{
    QString passed;
    for (const QChar ch : text) {
        if (!IsFilteredChar(ch.unicode())) {
            passed += ch;
            continue;
        }
        NMGRIDCHAR info;
        info.row = m_curRow;
        info.col = m_curCol;
        info.ch = ch.unicode();
        if (!Send(info.hdr, GN_KEYPRESS)) return std::nullopt;
        if (info.ch != 0) passed += QChar(info.ch);
    }
    return passed;
}

void GridView::TellEndOfComposition()
{
    if (!m_peer) return;
    // The owner's PreTranslateMessage sees the end of a composition as it
    // would see a key.
    MSG msg;
    msg.hwnd = m_peer->Handle();
    msg.message = WM_IME_ENDCOMPOSITION;
    msg.time = ::GetTickCount();
    if (!PreTranslateInput(&msg) && ::IsWindow(msg.hwnd)) ::SendMessageW(msg.hwnd, WM_IME_ENDCOMPOSITION, 0, 0);
}

// ---------------------------------------------------------------- shape

bool GridView::SetShape(int rows, int cols)
{
    if (rows == m_model.Rows() && cols == m_model.Cols()) return true;
    if (rows < 0 || cols < 0 || static_cast<long long>(rows) * cols > GridModel::kMaxCells) return false;
    EndEdit(true);
    if (!m_model.SetShape(rows, cols)) return false;
    Relayout();
    return true;
}

bool GridView::SetFixedRows(int n)
{
    EndEdit(true);
    if (!m_model.SetFixedRows(n)) return false;
    Relayout();
    return true;
}

bool GridView::SetFixedCols(int n)
{
    EndEdit(true);
    if (!m_model.SetFixedCols(n)) return false;
    Relayout();
    return true;
}

bool GridView::SetRowHeight(int r, int h)
{
    if (!m_model.ValidRow(r) || h < 0) return false;
    if (m_model.RowHeight(r) == h) return true;
    if (h == 0 && r == m_editRow) EndEdit(true);
    m_model.SetRowHeight(r, h);
    Relayout();
    return true;
}

void GridView::SetDefaultRowHeight(int h)
{
    if (h < 0) return;
    m_rowHeightSet = true;
    m_model.SetDefaultRowHeight(h);
    Relayout();
}

bool GridView::SetColWidth(int c, int w)
{
    if (!m_model.ValidCol(c) || w < 0) return false;
    if (m_model.ColWidth(c) == w) return true;
    if (w == 0 && c == m_editCol) EndEdit(true);
    m_model.Column(c).width = w;
    Relayout();
    return true;
}

bool GridView::AutoFitColumn(int c)
{
    if (!m_model.ValidCol(c)) return false;
    if (m_model.ColWidth(c) == 0) return true;
    const GridPainter painter(m_model, font(), 1.0, logicalDpiY());
    int width = 2 * GridPainter::kPadding + 1;
    for (int r = 0; r < m_model.Rows(); ++r) {
        if (m_model.RowHeight(r) == 0 || m_model.Cell(r, c).text.isEmpty()) continue;
        width = std::max(width, painter.TextWidth(r, c));
    }
    return SetColWidth(c, width);
}

void GridView::CellsChanged()
{
    if (m_edit == EditKind::Text && m_model.ValidCell(m_editRow, m_editCol)) {
        const QString& text = m_model.Cell(m_editRow, m_editCol).text;
        if (m_editor->text() != text) {
            m_syncing = true;
            m_editor->setText(text);
            m_syncing = false;
        }
    }
    update();
}

bool GridView::SetCellText(int r, int c, const QString& text)
{
    if (!m_model.ValidCell(r, c)) return false;
    m_model.Cell(r, c).text = text;
    CellsChanged();
    return true;
}

// ---------------------------------------------------------------- current cell

bool GridView::MoveCurrent(int r, int c)
{
    if (!m_model.IsDataCell(r, c)) return false;
    if (m_edit != EditKind::None) {
        EndEdit(true);
        if (!m_peer) return false;
    }
    if (r != m_curRow || c != m_curCol) {
        if (m_model.IsDataCell(m_curRow, m_curCol)) {
            NMGRIDMOVE move;
            move.oldRow = m_curRow;
            move.oldCol = m_curCol;
            move.newRow = r;
            move.newCol = c;
            const unsigned serial = m_moveSerial;
            if (!Send(move.hdr, GN_LEAVECELL)) return false;
            // A handler that moved the cell itself has the last word.
            if (serial != m_moveSerial || move.cancel) return false;
            if (!m_model.IsDataCell(move.newRow, move.newCol)) return false;
            r = move.newRow;
            c = move.newCol;
        }
    }
    const bool moved = r != m_curRow || c != m_curCol;
    const bool rowChanged = r != m_curRow;
    m_curRow = m_anchorRow = m_endRow = r;
    m_curCol = m_anchorCol = m_endCol = c;
    EnsureVisible(r, c);
    update();
    if (!moved) return true;
    const unsigned serial = ++m_moveSerial;
    if (!SendCell(GN_ENTERCELL, r, c)) return true;
    if (rowChanged && serial == m_moveSerial) SendCell(GN_ROWCHANGED, r, c);
    return true;
}

bool GridView::SetSelection(int r1, int c1, int r2, int c2)
{
    if (!m_model.ClipRange(r1, c1, r2, c2)) return false;
    r1 = std::max(r1, m_model.FixedRows());
    c1 = std::max(c1, m_model.FixedCols());
    if (r1 > r2 || c1 > c2) return false;
    m_anchorRow = r1;
    m_anchorCol = c1;
    m_endRow = r2;
    m_endCol = c2;
    update();
    return true;
}

bool GridView::Selection(int& r1, int& c1, int& r2, int& c2) const
{
    if (!m_model.IsDataCell(m_anchorRow, m_anchorCol) || !m_model.IsDataCell(m_endRow, m_endCol)) {
        r1 = c1 = r2 = c2 = -1;
        return false;
    }
    r1 = std::min(m_anchorRow, m_endRow);
    r2 = std::max(m_anchorRow, m_endRow);
    c1 = std::min(m_anchorCol, m_endCol);
    c2 = std::max(m_anchorCol, m_endCol);
    return true;
}

// ---------------------------------------------------------------- editing

void GridView::SetEditable(bool editable)
{
    if (!editable) EndEdit(true);
    m_editable = editable;
    update();
}

bool GridView::CanEdit(int r, int c) const
{
    return m_editable && isEnabled() && m_model.IsDataCell(r, c) && !m_model.Cell(r, c).locked &&
           m_model.RowHeight(r) > 0 && m_model.ColWidth(c) > 0;
}

bool GridView::StartEdit()
{
    if (m_edit != EditKind::None) return true;
    if (!CanEdit(m_curRow, m_curCol)) return false;
    if (m_model.HasList(m_curRow, m_curCol)) return OpenList();
    return StartTextEdit(QString(), false, false);
}

bool GridView::StartTextEdit(const QString& text, bool replace, bool enterMode)
{
    const int r = m_curRow;
    const int c = m_curCol;
    if (!CanEdit(r, c)) return false;
    EnsureVisible(r, c);
    const GridPainter painter(m_model, font(), 1.0, logicalDpiY());
    m_edit = EditKind::Text;
    m_editRow = r;
    m_editCol = c;
    m_editStart = m_model.Cell(r, c).text;
    m_enterMode = enterMode;
    m_editor->setFont(painter.FontOf(r, c));
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Base, Q(m_model.BackColorOf(r, c)));
    palette.setColor(QPalette::Text, Q(m_model.TextColorOf(r, c)));
    m_editor->setPalette(palette);
    const int align = m_model.Alignment(r, c);
    m_editor->setAlignment(Qt::AlignVCenter | (align == GA_RIGHT    ? Qt::AlignRight
                                                : align == GA_CENTER ? Qt::AlignHCenter
                                                                     : Qt::AlignLeft));
    const int maxLength = m_model.Column(c).maxLength;
    m_syncing = true;
    m_editor->setMaxLength(maxLength > 0 ? maxLength : 32767);
    m_editor->setText(replace ? text : m_editStart);
    m_syncing = false;
    m_model.Cell(r, c).text = m_editor->text();
    m_editor->end(false);
    PlaceEditor();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    update();
    return true;
}

void GridView::EndEdit(bool commit)
{
    if (m_edit == EditKind::None) return;
    if (m_edit == EditKind::List) {
        m_edit = EditKind::None;
        if (m_list && m_list->isVisible()) m_list->hide();
        return;
    }
    const int r = m_editRow;
    const int c = m_editCol;
    const QString text = m_editor->text();
    m_edit = EditKind::None;
    // The focus stays with the grid rather than wandering to the next control.
    if (m_editor->hasFocus()) setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    if (!m_model.ValidCell(r, c)) return;
    m_model.Cell(r, c).text = commit ? text : m_editStart;
    update();
    if (!commit) return;
    if (text != m_editStart && !SendCell(GN_CELLCHANGED, r, c)) return;
    SendCell(GN_ENDEDIT, r, c);
}

bool GridView::OpenList()
{
    const int r = m_curRow;
    const int c = m_curCol;
    if (!CanEdit(r, c) || !m_model.HasList(r, c)) return false;
    if (m_edit == EditKind::Text) EndEdit(true);
    if (m_edit != EditKind::None) return m_edit == EditKind::List;
    const unsigned serial = m_moveSerial;
    if (!SendCell(GN_DROPDOWN, r, c)) return false;
    if (serial != m_moveSerial || m_edit != EditKind::None || !CanEdit(r, c)) return false;
    const std::vector<QString>& items = m_model.Column(c).items;
    if (items.empty()) return false;
    if (!m_list) m_list = new GridListPopup(*this);
    m_list->clear();
    m_list->setFont(font());
    int current = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        m_list->addItem(items[i]);
        if (items[i] == m_model.Cell(r, c).text) current = static_cast<int>(i);
    }
    m_list->setCurrentRow(current);
    EnsureVisible(r, c);
    const QRect cell = CellRect(r, c);
    const int frame = 2 * m_list->frameWidth();
    const int shown = std::min(static_cast<int>(items.size()), kListRowsShown);
    const int itemHeight = std::max(1, m_list->sizeHintForRow(0));
    int width = std::max(cell.width(), m_list->sizeHintForColumn(0) + frame);
    if (static_cast<int>(items.size()) > kListRowsShown) width += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_list->setGeometry(QRect(mapToGlobal(cell.bottomLeft() + QPoint(0, 1)), QSize(width, shown * itemHeight + frame)));
    m_edit = EditKind::List;
    m_editRow = r;
    m_editCol = c;
    m_editStart = m_model.Cell(r, c).text;
    m_list->show();
    m_list->setFocus(Qt::PopupFocusReason);
    return true;
}

void GridView::ChooseListEntry(int index)
{
    if (m_edit != EditKind::List) return;
    const int r = m_editRow;
    const int c = m_editCol;
    m_edit = EditKind::None;
    if (m_list) m_list->hide();
    setFocus(Qt::OtherFocusReason);
    if (!m_model.ValidCell(r, c)) return;
    GridColumn& column = m_model.Column(c);
    if (index < 0 || index >= static_cast<int>(column.items.size())) return;
    column.chosen = index;
    const QString text = column.items[static_cast<std::size_t>(index)];
    const QString old = m_model.Cell(r, c).text;
    m_model.Cell(r, c).text = text;
    update();
    if (text != old && !SendCell(GN_CELLCHANGED, r, c)) return;
    SendCell(GN_ENDEDIT, r, c);
}

void GridView::ListClosed()
{
    if (m_edit != EditKind::List) return;
    m_edit = EditKind::None;
    setFocus(Qt::OtherFocusReason);
}

QWidget* GridView::FocusTarget() const
{
    return m_edit == EditKind::Text ? static_cast<QWidget*>(m_editor) : const_cast<GridView*>(this);
}

void GridView::PlaceEditor()
{
    if (m_edit != EditKind::Text) return;
    const QRect cell = CellRect(m_editRow, m_editCol);
    m_editor->setGeometry(cell.adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------- geometry

QRect GridView::Viewport() const
{
    return QRect(m_frame, m_frame, width() - 2 * m_frame - (m_vbar->isVisible() ? m_vbar->width() : 0),
                 height() - 2 * m_frame - (m_hbar->isVisible() ? m_hbar->height() : 0));
}

int GridView::RowY(int r) const
{
    const int fixedRows = m_model.FixedRows();
    if (r < fixedRows) {
        int y = m_frame;
        for (int i = 0; i < r; ++i) y += m_model.RowHeight(i);
        return y;
    }
    int y = m_frame + m_model.FixedHeight();
    if (r >= m_topRow) {
        for (int i = m_topRow; i < r; ++i) y += m_model.RowHeight(i);
    } else {
        for (int i = r; i < m_topRow; ++i) y -= m_model.RowHeight(i);
    }
    return y;
}

int GridView::ColX(int c) const
{
    const int fixedCols = m_model.FixedCols();
    if (c < fixedCols) {
        int x = m_frame;
        for (int i = 0; i < c; ++i) x += m_model.ColWidth(i);
        return x;
    }
    int x = m_frame + m_model.FixedWidth();
    if (c >= m_leftCol) {
        for (int i = m_leftCol; i < c; ++i) x += m_model.ColWidth(i);
    } else {
        for (int i = c; i < m_leftCol; ++i) x -= m_model.ColWidth(i);
    }
    return x;
}

QRect GridView::CellRect(int r, int c) const
{
    if (!m_model.ValidCell(r, c)) return QRect();
    return QRect(ColX(c), RowY(r), m_model.ColWidth(c), m_model.RowHeight(r));
}

bool GridView::HitTest(const QPoint& pt, int& r, int& c) const
{
    r = c = -1;
    if (!Viewport().contains(pt)) return false;
    const int fixedH = m_model.FixedHeight();
    const int fixedW = m_model.FixedWidth();
    auto findRow = [&](int first, int last, int y0) {
        for (int i = first, y = y0; i < last; ++i) {
            const int h = m_model.RowHeight(i);
            if (h > 0 && pt.y() >= y && pt.y() < y + h) return i;
            y += h;
        }
        return -1;
    };
    auto findCol = [&](int first, int last, int x0) {
        for (int i = first, x = x0; i < last; ++i) {
            const int w = m_model.ColWidth(i);
            if (w > 0 && pt.x() >= x && pt.x() < x + w) return i;
            x += w;
        }
        return -1;
    };
    const int y0 = m_frame;
    const int x0 = m_frame;
    r = pt.y() < y0 + fixedH ? findRow(0, m_model.FixedRows(), y0) : findRow(m_topRow, m_model.Rows(), y0 + fixedH);
    c = pt.x() < x0 + fixedW ? findCol(0, m_model.FixedCols(), x0) : findCol(m_leftCol, m_model.Cols(), x0 + fixedW);
    if (r < 0 || c < 0) {
        r = c = -1;
        return false;
    }
    return true;
}

int GridView::LastTopRow() const
{
    const std::vector<int> rows = m_model.ScrollableRows();
    if (rows.empty()) return m_model.FixedRows();
    const int room = Viewport().height() - m_model.FixedHeight();
    int used = 0;
    std::size_t i = rows.size();
    while (i > 0) {
        used += m_model.RowHeight(rows[i - 1]);
        if (used > room) break;
        --i;
    }
    return rows[std::min(i, rows.size() - 1)];
}

int GridView::LastLeftCol() const
{
    const std::vector<int> cols = m_model.ScrollableCols();
    if (cols.empty()) return m_model.FixedCols();
    const int room = Viewport().width() - m_model.FixedWidth();
    int used = 0;
    std::size_t i = cols.size();
    while (i > 0) {
        used += m_model.ColWidth(cols[i - 1]);
        if (used > room) break;
        --i;
    }
    return cols[std::min(i, cols.size() - 1)];
}

void GridView::ClampPosition()
{
    auto clamp = [](const std::vector<int>& shown, int value, int last, int fallback) {
        if (shown.empty()) return fallback;
        const auto it = std::lower_bound(shown.begin(), shown.end(), value);
        const int v = it == shown.end() ? shown.back() : *it;
        return std::min(v, last);
    };
    m_topRow = clamp(m_model.ScrollableRows(), m_topRow, LastTopRow(), m_model.FixedRows());
    m_leftCol = clamp(m_model.ScrollableCols(), m_leftCol, LastLeftCol(), m_model.FixedCols());
}

void GridView::UpdateScrollBars()
{
    const std::vector<int> rows = m_model.ScrollableRows();
    const std::vector<int> cols = m_model.ScrollableCols();
    int totalH = m_model.FixedHeight();
    for (int r : rows) totalH += m_model.RowHeight(r);
    int totalW = m_model.FixedWidth();
    for (int c : cols) totalW += m_model.ColWidth(c);
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bool needV = false;
    bool needH = false;
    const int innerW = width() - 2 * m_frame;
    const int innerH = height() - 2 * m_frame;
    for (int pass = 0; pass < 2; ++pass) {
        needV = totalH > innerH - (needH ? extent : 0);
        needH = totalW > innerW - (needV ? extent : 0);
    }
    m_vbar->setVisible(needV);
    m_hbar->setVisible(needH);
    if (needV) m_vbar->setGeometry(m_frame + innerW - extent, m_frame, extent, innerH - (needH ? extent : 0));
    if (needH) m_hbar->setGeometry(m_frame, m_frame + innerH - extent, innerW - (needV ? extent : 0), extent);
    ClampPosition();
    auto indexOf = [](const std::vector<int>& shown, int value) {
        const auto it = std::lower_bound(shown.begin(), shown.end(), value);
        return static_cast<int>(it - shown.begin());
    };
    {
        const QSignalBlocker block(m_vbar);
        m_vbar->setRange(0, rows.empty() ? 0 : indexOf(rows, LastTopRow()));
        m_vbar->setPageStep(std::max(1, static_cast<int>(rows.size()) - m_vbar->maximum()));
        m_vbar->setValue(indexOf(rows, m_topRow));
    }
    {
        const QSignalBlocker block(m_hbar);
        m_hbar->setRange(0, cols.empty() ? 0 : indexOf(cols, LastLeftCol()));
        m_hbar->setPageStep(std::max(1, static_cast<int>(cols.size()) - m_hbar->maximum()));
        m_hbar->setValue(indexOf(cols, m_leftCol));
    }
}

void GridView::Relayout()
{
    // The current cell and the selection stay on data cells.
    if (!m_model.IsDataCell(m_curRow, m_curCol)) {
        const bool any = m_model.FixedRows() < m_model.Rows() && m_model.FixedCols() < m_model.Cols();
        m_curRow = any ? m_model.FixedRows() : -1;
        m_curCol = any ? m_model.FixedCols() : -1;
        m_anchorRow = m_endRow = m_curRow;
        m_anchorCol = m_endCol = m_curCol;
    } else {
        auto fit = [](int v, int lo, int hi) { return std::clamp(v, lo, hi); };
        m_anchorRow = fit(m_anchorRow, m_model.FixedRows(), m_model.Rows() - 1);
        m_endRow = fit(m_endRow, m_model.FixedRows(), m_model.Rows() - 1);
        m_anchorCol = fit(m_anchorCol, m_model.FixedCols(), m_model.Cols() - 1);
        m_endCol = fit(m_endCol, m_model.FixedCols(), m_model.Cols() - 1);
    }
    if (m_edit == EditKind::Text && !m_model.IsDataCell(m_editRow, m_editCol)) EndEdit(false);
    UpdateScrollBars();
    PlaceEditor();
    update();
}

bool GridView::SetTopRow(int r)
{
    const std::vector<int> rows = m_model.ScrollableRows();
    if (rows.empty() || r < m_model.FixedRows() || r >= m_model.Rows()) return false;
    const int before = m_topRow;
    m_topRow = r;
    ClampPosition();
    if (m_topRow == before) return true;
    UpdateScrollBars();
    PlaceEditor();
    update();
    SendCell(GN_SCROLL, m_topRow, m_leftCol);
    return true;
}

bool GridView::SetLeftCol(int c)
{
    const std::vector<int> cols = m_model.ScrollableCols();
    if (cols.empty() || c < m_model.FixedCols() || c >= m_model.Cols()) return false;
    const int before = m_leftCol;
    m_leftCol = c;
    ClampPosition();
    if (m_leftCol == before) return true;
    UpdateScrollBars();
    PlaceEditor();
    update();
    SendCell(GN_SCROLL, m_topRow, m_leftCol);
    return true;
}

void GridView::EnsureVisible(int r, int c)
{
    const QRect view = Viewport();
    int top = m_topRow;
    int left = m_leftCol;
    if (m_model.IsDataCell(r, c) && r >= m_model.FixedRows() && m_model.RowHeight(r) > 0) {
        if (r < m_topRow) {
            top = r;
        } else {
            // Scrolls down until the row's bottom is in view (or it is the top row).
            int bottom = m_model.FixedHeight();
            for (int i = m_topRow; i <= r; ++i) bottom += m_model.RowHeight(i);
            while (bottom > view.height() && top < r) {
                bottom -= m_model.RowHeight(top);
                ++top;
            }
        }
    }
    if (m_model.IsDataCell(r, c) && c >= m_model.FixedCols() && m_model.ColWidth(c) > 0) {
        if (c < m_leftCol) {
            left = c;
        } else {
            int right = m_model.FixedWidth();
            for (int i = m_leftCol; i <= c; ++i) right += m_model.ColWidth(i);
            while (right > view.width() && left < c) {
                right -= m_model.ColWidth(left);
                ++left;
            }
        }
    }
    if (top == m_topRow && left == m_leftCol) return;
    const int beforeTop = m_topRow;
    const int beforeLeft = m_leftCol;
    m_topRow = top;
    m_leftCol = left;
    ClampPosition();
    if (m_topRow == beforeTop && m_leftCol == beforeLeft) return;
    UpdateScrollBars();
    PlaceEditor();
    update();
    SendCell(GN_SCROLL, m_topRow, m_leftCol);
}

int GridView::ResizeColumnAt(const QPoint& pt) const
{
    if (pt.y() >= m_frame + m_model.FixedHeight() || !Viewport().contains(pt)) return -1;
    for (int c = 0; c < m_model.Cols(); ++c) {
        const int w = m_model.ColWidth(c);
        if (w == 0) continue;
        if (c >= m_model.FixedCols() && c < m_leftCol) continue;
        const int right = ColX(c) + w;
        if (std::abs(pt.x() - right) <= kResizeGrip) return c;
    }
    return -1;
}

QRect GridView::ListButtonRect() const
{
    const QRect cell = CellRect(m_curRow, m_curCol).adjusted(0, 0, -1, -1);
    if (cell.width() <= kListButtonWidth) return cell;
    return QRect(cell.right() - kListButtonWidth + 1, cell.top(), kListButtonWidth, cell.height());
}

// ---------------------------------------------------------------- drawing

void GridView::SetDrawing(bool on)
{
    m_drawing = on;
    setUpdatesEnabled(m_drawing && m_windowRedraw);
    if (on) Relayout();
}

void GridView::SetWindowRedraw(bool on)
{
    m_windowRedraw = on;
    setUpdatesEnabled(m_drawing && m_windowRedraw);
}

void GridView::Refresh()
{
    Relayout();
    if (updatesEnabled()) repaint();
}

void GridView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect view = Viewport();
    p.fillRect(rect(), Q(m_model.Color(GC_EMPTY)));
    if (m_frame > 0) {
        p.setPen(Q(::GetSysColor(COLOR_BTNSHADOW)));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    const GridPainter painter(m_model, font(), 1.0, logicalDpiY());
    int s1 = 0, sc1 = 0, s2 = 0, sc2 = 0;
    const bool selection = Selection(s1, sc1, s2, sc2);
    const bool single = s1 == s2 && sc1 == sc2;
    const int fixedH = m_model.FixedHeight();
    const int fixedW = m_model.FixedWidth();
    const int ox = view.left();
    const int oy = view.top();

    auto drawBlock = [&](int rowFirst, int rowLast, int y0, int colFirst, int colLast, int x0, const QRect& clip) {
        if (clip.isEmpty()) return;
        p.save();
        p.setClipRect(clip);
        for (int r = rowFirst, y = y0; r < rowLast && y < clip.bottom() + 1; ++r) {
            const int h = m_model.RowHeight(r);
            if (h == 0) continue;
            for (int c = colFirst, x = x0; c < colLast && x < clip.right() + 1; ++c) {
                const int w = m_model.ColWidth(c);
                if (w == 0) continue;
                GridCellLook look;
                look.selected = selection && !single && r >= s1 && r <= s2 && c >= sc1 && c <= sc2 &&
                                !(r == m_curRow && c == m_curCol);
                painter.DrawCell(p, QRect(x, y, w, h), r, c, look);
                x += w;
            }
            y += h;
        }
        p.restore();
    };
    const int rows = m_model.Rows();
    const int cols = m_model.Cols();
    const int fixedRows = m_model.FixedRows();
    const int fixedCols = m_model.FixedCols();
    const QRect data = QRect(ox + fixedW, oy + fixedH, view.width() - fixedW, view.height() - fixedH) & view;
    drawBlock(m_topRow, rows, oy + fixedH, m_leftCol, cols, ox + fixedW, data);
    drawBlock(0, fixedRows, oy, m_leftCol, cols, ox + fixedW, QRect(ox + fixedW, oy, view.width() - fixedW, fixedH) & view);
    drawBlock(m_topRow, rows, oy + fixedH, 0, fixedCols, ox, QRect(ox, oy + fixedH, fixedW, view.height() - fixedH) & view);
    drawBlock(0, fixedRows, oy, 0, fixedCols, ox, QRect(ox, oy, fixedW, fixedH) & view);

    if (!m_model.IsDataCell(m_curRow, m_curCol) || m_model.RowHeight(m_curRow) == 0 ||
        m_model.ColWidth(m_curCol) == 0)
        return;
    p.setClipRect(data);
    const QRect cell = CellRect(m_curRow, m_curCol).adjusted(0, 0, -1, -1);
    if (m_edit != EditKind::Text && m_model.HasList(m_curRow, m_curCol) && CanEdit(m_curRow, m_curCol)) {
        const QRect button = ListButtonRect();
        // The value is drawn again left of the button: a right-aligned
        // choice would otherwise hide under it.
        QRect beside = CellRect(m_curRow, m_curCol);
        beside.setRight(button.left() - 1);
        if (beside.width() > 0) painter.DrawCell(p, beside, m_curRow, m_curCol, GridCellLook{});
        p.fillRect(button, palette().button());
        p.setPen(palette().shadow().color());
        p.drawLine(button.topLeft(), button.bottomLeft());
        const QPoint mid = button.center();
        const QPoint arrow[] = {mid + QPoint(-3, -1), mid + QPoint(3, -1), mid + QPoint(0, 2)};
        p.setBrush(palette().buttonText());
        p.setPen(Qt::NoPen);
        p.drawPolygon(arrow, 3);
    }
    QPen frame(Q(m_model.Color(GC_FOCUSFRAME)));
    frame.setWidth(2);
    frame.setJoinStyle(Qt::MiterJoin);
    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(cell.adjusted(1, 1, -1, -1));
}

void GridView::resizeEvent(QResizeEvent*) { Relayout(); }

void GridView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_rowHeightSet) {
        m_model.SetDefaultRowHeight(QFontMetrics(font()).height() + 4);
        Relayout();
    } else if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        EndEdit(true);
    }
}

// ---------------------------------------------------------------- keyboard

bool GridView::event(QEvent* event)
{
    // Tab moves between cells here, not to the next control.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

int GridView::NextVisibleRow(int from, int step) const
{
    for (int r = from + step; r >= m_model.FixedRows() && r < m_model.Rows(); r += step)
        if (m_model.RowHeight(r) > 0) return r;
    return -1;
}

int GridView::NextVisibleCol(int from, int step) const
{
    for (int c = from + step; c >= m_model.FixedCols() && c < m_model.Cols(); c += step)
        if (m_model.ColWidth(c) > 0) return c;
    return -1;
}

void GridView::MoveOrExtend(int r, int c, bool extend)
{
    if (!m_model.IsDataCell(r, c)) return;
    if (!extend) {
        MoveCurrent(r, c);
        return;
    }
    m_endRow = r;
    m_endCol = c;
    EnsureVisible(r, c);
    update();
}

void GridView::Navigate(int dr, int dc, bool extend, bool toEdge)
{
    const int fromR = extend ? m_endRow : m_curRow;
    const int fromC = extend ? m_endCol : m_curCol;
    int r = fromR;
    int c = fromC;
    if (dr != 0) {
        const int next = !toEdge ? NextVisibleRow(fromR, dr)
                         : dr < 0 ? NextVisibleRow(m_model.FixedRows() - 1, 1)
                                  : NextVisibleRow(m_model.Rows(), -1);
        if (next >= 0) r = next;
    }
    if (dc != 0) {
        const int next = !toEdge ? NextVisibleCol(fromC, dc)
                         : dc < 0 ? NextVisibleCol(m_model.FixedCols() - 1, 1)
                                  : NextVisibleCol(m_model.Cols(), -1);
        if (next >= 0) c = next;
    }
    if (r != fromR || c != fromC) MoveOrExtend(r, c, extend);
}

void GridView::NavigatePage(int direction, bool extend)
{
    const int room = std::max(1, Viewport().height() - m_model.FixedHeight());
    const int from = extend ? m_endRow : m_curRow;
    int r = from;
    int used = 0;
    for (int next = NextVisibleRow(r, direction); next >= 0; next = NextVisibleRow(r, direction)) {
        used += m_model.RowHeight(next);
        if (used > room && r != from) break;
        r = next;
    }
    if (r != from) MoveOrExtend(r, extend ? m_endCol : m_curCol, extend);
}

void GridView::NavigateHomeEnd(bool end, bool wholeGrid, bool extend)
{
    int r = extend ? m_endRow : m_curRow;
    int c = end ? NextVisibleCol(m_model.Cols(), -1) : NextVisibleCol(m_model.FixedCols() - 1, 1);
    if (wholeGrid) r = end ? NextVisibleRow(m_model.Rows(), -1) : NextVisibleRow(m_model.FixedRows() - 1, 1);
    if (r < 0 || c < 0) return;
    MoveOrExtend(r, c, extend);
}

void GridView::TabMove(bool forward)
{
    if (!m_model.IsDataCell(m_curRow, m_curCol)) return;
    const int step = forward ? 1 : -1;
    int r = m_curRow;
    int c = NextVisibleCol(m_curCol, step);
    if (c < 0) {
        r = NextVisibleRow(m_curRow, step);
        if (r < 0) return;
        c = forward ? NextVisibleCol(m_model.FixedCols() - 1, 1) : NextVisibleCol(m_model.Cols(), -1);
        if (c < 0) return;
    }
    MoveCurrent(r, c);
}

void GridView::TypeText(const QString& text)
{
    if (!m_model.IsDataCell(m_curRow, m_curCol)) return;
    const std::optional<QString> passed = FilterTyped(text);
    if (!passed) return;
    QString typed;
    bool erase = false;
    for (const QChar ch : *passed) {
        if (ch.unicode() == 8) {
            erase = true;
            typed.clear();
        } else if (ch.unicode() >= 0x20 && ch.unicode() != 0x7F) {
            typed += ch;
        }
    }
    if (typed.isEmpty() && !erase) return;
    if (!CanEdit(m_curRow, m_curCol)) return;
    if (m_model.ListOnly(m_curRow, m_curCol)) {
        OpenList();
        return;
    }
    StartTextEdit(typed, true, true);
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if (!m_model.IsDataCell(m_curRow, m_curCol)) {
        QWidget::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = (mods & Qt::ShiftModifier) != 0;
    const bool ctrl = (mods & Qt::ControlModifier) != 0;
    const bool alt = (mods & Qt::AltModifier) != 0;
    switch (event->key()) {
    case Qt::Key_Up: Navigate(-1, 0, shift, ctrl); return;
    case Qt::Key_Down:
        if (alt) OpenList();
        else Navigate(1, 0, shift, ctrl);
        return;
    case Qt::Key_Left: Navigate(0, -1, shift, ctrl); return;
    case Qt::Key_Right: Navigate(0, 1, shift, ctrl); return;
    case Qt::Key_PageUp: NavigatePage(-1, shift); return;
    case Qt::Key_PageDown: NavigatePage(1, shift); return;
    case Qt::Key_Home: NavigateHomeEnd(false, ctrl, shift); return;
    case Qt::Key_End: NavigateHomeEnd(true, ctrl, shift); return;
    case Qt::Key_Tab: TabMove(!shift); return;
    case Qt::Key_Backtab: TabMove(false); return;
    case Qt::Key_F2: StartEdit(); return;
    case Qt::Key_F4: OpenList(); return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        return;
    case Qt::Key_A:
        if (ctrl) {
            SetSelection(m_model.FixedRows(), m_model.FixedCols(), m_model.Rows() - 1, m_model.Cols() - 1);
            return;
        }
        break;
    default: break;
    }
    // Ctrl with a key is a command, not typing (Ctrl with Alt types on some keyboards).
    if (!event->text().isEmpty() && (!ctrl || alt)) TypeText(event->text());
}

bool GridView::HandleEditorKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = (mods & Qt::ShiftModifier) != 0;
    switch (event->key()) {
    case Qt::Key_Escape: EndEdit(false); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: EndEdit(true); return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        EndEdit(true);
        if (m_peer) TabMove(event->key() == Qt::Key_Tab && !shift);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        EndEdit(true);
        if (m_peer) Navigate(event->key() == Qt::Key_Up ? -1 : 1, 0, false, false);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        EndEdit(true);
        if (m_peer) NavigatePage(event->key() == Qt::Key_PageUp ? -1 : 1, false);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Typing over a cell: arrows leave it, as in a spreadsheet; editing
        // it (F2, double click): they move the caret.
        if (!m_enterMode || (mods & (Qt::ShiftModifier | Qt::ControlModifier))) return false;
        EndEdit(true);
        if (m_peer) Navigate(0, event->key() == Qt::Key_Left ? -1 : 1, false, false);
        return true;
    case Qt::Key_F2: m_enterMode = false; return true;
    default: break;
    }
    const QString text = event->text();
    if (text.isEmpty() || !IsFilteredChar(text[0].unicode())) return false;
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) return false;
    const std::optional<QString> passed = FilterTyped(text);
    if (!passed) return true;
    if (*passed == text) return false;
    for (const QChar ch : *passed) {
        if (ch.unicode() == 8) m_editor->backspace();
        else m_editor->insert(QString(ch));
    }
    return true;
}

bool GridView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_editor || m_edit != EditKind::Text) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: return HandleEditorKey(static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod: {
        auto* ime = static_cast<QInputMethodEvent*>(event);
        if (ime->commitString().isEmpty()) return false;
        TellEndOfComposition();
        if (!m_peer || m_edit != EditKind::Text) return true;
        const std::optional<QString> passed = FilterTyped(ime->commitString());
        if (!passed) return true;
        ime->setCommitString(*passed, ime->replacementStart(), ime->replacementLength());
        return false;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
        QWidget* now = QApplication::focusWidget();
        if (now == this || (now && isAncestorOf(now))) return false;
        EndEdit(true);
        return false;
    }
    default: return false;
    }
}

void GridView::inputMethodEvent(QInputMethodEvent* event)
{
    // A composition that starts on a cell opens its editor, which takes it.
    if (event->commitString().isEmpty() && event->preeditString().isEmpty()) return;
    if (m_edit != EditKind::None || !CanEdit(m_curRow, m_curCol) || m_model.ListOnly(m_curRow, m_curCol)) return;
    if (!StartTextEdit(QString(), true, true)) return;
    QCoreApplication::sendEvent(m_editor, event);
}

// ---------------------------------------------------------------- mouse

void GridView::mousePressEvent(QMouseEvent* event)
{
    const int button = ButtonCode(event->button());
    if (!SendMouse(GN_MOUSEDOWN, event, button)) return;
    if (event->button() != Qt::LeftButton) return;
    const QPoint pt = event->position().toPoint();
    if (m_userResizing) {
        const int col = ResizeColumnAt(pt);
        if (col >= 0) {
            EndEdit(true);
            m_drag = Drag::Resize;
            m_resizeCol = col;
            m_resizeStartX = pt.x();
            m_resizeStartWidth = m_model.ColWidth(col);
            return;
        }
    }
    int r = -1;
    int c = -1;
    if (!HitTest(pt, r, c)) return;
    const int fixedRows = m_model.FixedRows();
    const int fixedCols = m_model.FixedCols();
    const int lastRow = m_model.Rows() - 1;
    const int lastCol = m_model.Cols() - 1;
    if (r < fixedRows || c < fixedCols) {
        // Header cells select their column, their row, or everything.
        const int firstRow = NextVisibleRow(fixedRows - 1, 1);
        const int firstCol = NextVisibleCol(fixedCols - 1, 1);
        if (firstRow < 0 || firstCol < 0) return;
        if (r < fixedRows && c >= fixedCols) {
            if (MoveCurrent(firstRow, c)) SetSelection(fixedRows, c, lastRow, c);
        } else if (c < fixedCols && r >= fixedRows) {
            if (MoveCurrent(r, firstCol)) SetSelection(r, fixedCols, r, lastCol);
        } else if (MoveCurrent(firstRow, firstCol)) {
            SetSelection(fixedRows, fixedCols, lastRow, lastCol);
        }
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        EndEdit(true);
        if (m_peer) MoveOrExtend(r, c, true);
        m_drag = Drag::Select;
        return;
    }
    if (r == m_curRow && c == m_curCol && m_model.HasList(r, c) && m_edit == EditKind::None) {
        // A cell that also takes a typed value opens its list from its button.
        if (m_model.ListOnly(r, c) || ListButtonRect().contains(pt)) {
            OpenList();
            return;
        }
    }
    if (MoveCurrent(r, c)) m_drag = Drag::Select;
}

void GridView::mouseMoveEvent(QMouseEvent* event)
{
    if (!SendMouse(GN_MOUSEMOVE, event, 0)) return;
    const QPoint pt = event->position().toPoint();
    if (m_drag == Drag::Resize) {
        SetColWidth(m_resizeCol, std::max(0, m_resizeStartWidth + pt.x() - m_resizeStartX));
        return;
    }
    if (m_drag == Drag::Select && (event->buttons() & Qt::LeftButton)) {
        const QRect view = Viewport();
        const int minX = view.left() + m_model.FixedWidth();
        const int minY = view.top() + m_model.FixedHeight();
        const QPoint inside(std::clamp(pt.x(), minX, std::max(minX, view.right())),
                            std::clamp(pt.y(), minY, std::max(minY, view.bottom())));
        int r = -1;
        int c = -1;
        if (HitTest(inside, r, c) && m_model.IsDataCell(r, c) && (r != m_endRow || c != m_endCol)) MoveOrExtend(r, c, true);
        return;
    }
    const bool grip = m_userResizing && ResizeColumnAt(pt) >= 0;
    if (grip) setCursor(Qt::SplitHCursor);
    else unsetCursor();
}

void GridView::mouseReleaseEvent(QMouseEvent* event)
{
    const Drag drag = m_drag;
    m_drag = Drag::None;
    if (!SendMouse(GN_MOUSEUP, event, ButtonCode(event->button()))) return;
    if (drag == Drag::Resize && event->button() == Qt::LeftButton) {
        NMGRIDRANGE range;
        range.first = range.last = m_resizeCol;
        Send(range.hdr, GN_COLRESIZED);
    }
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!SendMouse(GN_DBLCLK, event, ButtonCode(event->button()))) return;
    if (event->button() != Qt::LeftButton) return;
    int r = -1;
    int c = -1;
    if (!HitTest(event->position().toPoint(), r, c)) return;
    if (r == m_curRow && c == m_curCol && m_edit == EditKind::None) StartEdit();
}

void GridView::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) return;
    int r = m_topRow;
    for (int i = 0; i < std::abs(steps) * kWheelRows; ++i) {
        const int next = NextVisibleRow(r, steps > 0 ? -1 : 1);
        if (next < 0) break;
        r = next;
    }
    SetTopRow(r);
}

// ---------------------------------------------------------------- peer

GridPeer::GridPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
{
    m_view = new GridView(parent, this);
    const bool border = (static_cast<DWORD>(cs.style) & WS_BORDER) || (cs.dwExStyle & WS_EX_CLIENTEDGE);
    m_view->SetFrame(border ? 1 : 0);
    Attach(m_view, cs);
}

GridPeer::~GridPeer()
{
    if (m_view) {
        m_view->EndEdit(false);
        m_view->Detach();
    }
}

GridView* GridPeer::ViewOf(HWND hwnd)
{
    auto* peer = dynamic_cast<GridPeer*>(WidgetPeer::Of(hwnd));
    return peer ? peer->m_view : nullptr;
}

QWidget* GridPeer::FocusWidget() const { return m_view ? m_view->FocusTarget() : nullptr; }

UINT GridPeer::DialogCode(const MSG*) const
{
    return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
}

bool GridPeer::ControlMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != WM_SETREDRAW || !m_view) return false;
    m_redraw = wParam != 0;
    m_view->SetWindowRedraw(m_redraw);
    result = 0;
    return true;
}

namespace {

std::unique_ptr<WidgetPeer> MakeGrid(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<GridPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(WC_GRIDCTRL, &MakeGrid);

}  // namespace

}  // namespace platform::ui
