// Internal to the grid control: the widget that shows and edits the cells,
// and the window peer that owns it.
#pragma once

#include "platform/ui/GridModel.h"
#include "platform/ui/Printer.h"
#include "platform/ui/WidgetPeer.h"

#include <QListWidget>
#include <QPointer>
#include <QWidget>

#include <optional>

class QLineEdit;
class QScrollBar;

namespace platform::ui {

class GridPeer;
class GridView;

// The drop-down list of a list cell: a popup, so its keys go to it alone.
class GridListPopup final : public QListWidget {
public:
    explicit GridListPopup(GridView& view);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    GridView& m_view;
};

class GridView final : public QWidget {
public:
    GridView(QWidget* parent, GridPeer* peer);
    ~GridView() override;
    // The peer is going: no more notifications.
    void Detach() { m_peer = nullptr; }

    GridModel& Model() { return m_model; }
    const GridModel& Model() const { return m_model; }

    bool SetShape(int rows, int cols);
    bool SetFixedRows(int n);
    bool SetFixedCols(int n);
    bool SetRowHeight(int r, int h);
    void SetDefaultRowHeight(int h);
    bool SetColWidth(int c, int w);
    bool AutoFitColumn(int c);
    // After changes of cell texts or looks.
    void CellsChanged();
    bool SetCellText(int r, int c, const QString& text);

    int CurrentRow() const { return m_curRow; }
    int CurrentCol() const { return m_curCol; }
    bool MoveCurrent(int r, int c);
    bool SetSelection(int r1, int c1, int r2, int c2);
    bool Selection(int& r1, int& c1, int& r2, int& c2) const;

    void SetEditable(bool editable);
    bool Editable() const { return m_editable; }
    bool IsEditing() const { return m_edit != EditKind::None; }
    bool StartEdit();
    void EndEdit(bool commit);

    int TopRow() const { return m_topRow; }
    int LeftCol() const { return m_leftCol; }
    bool SetTopRow(int r);
    bool SetLeftCol(int c);
    void EnsureVisible(int r, int c);

    // A border of this many pixels inside the window (WS_BORDER).
    void SetFrame(int pixels) { m_frame = pixels; }
    void SetUserResizing(bool allow) { m_userResizing = allow; }
    bool UserResizing() const { return m_userResizing; }
    void SetDrawing(bool on);
    bool Drawing() const { return m_drawing; }
    void SetWindowRedraw(bool on);
    void Refresh();

    QRect CellRect(int r, int c) const;
    bool HitTest(const QPoint& pt, int& r, int& c) const;

    // Printing state, kept with the window.
    GridPrintLayout printLayout;
    std::optional<PrinterSettings> printer;

    // The focus goes to the editor while one is open.
    QWidget* FocusTarget() const;

    // The list popup's answers.
    void ChooseListEntry(int index);
    void ListClosed();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class EditKind { None, Text, List };
    enum class Drag { None, Select, Resize };

    // Sends a notification; false when the window went away meanwhile.
    bool Send(NMHDR& header, UINT code);
    bool SendCell(UINT code, int r, int c);
    bool SendMouse(UINT code, QMouseEvent* event, int button);
    // The characters that pass GN_KEYPRESS (backspace included); null when
    // the window went away.
    std::optional<QString> FilterTyped(const QString& text);
    void TellEndOfComposition();

    bool CanEdit(int r, int c) const;
    bool StartTextEdit(const QString& text, bool replace, bool enterMode);
    bool OpenList();
    void PlaceEditor();
    void ClampPosition();
    void Relayout();
    void UpdateScrollBars();
    QRect Viewport() const;
    int RowY(int r) const;
    int ColX(int c) const;
    int LastTopRow() const;
    int LastLeftCol() const;
    int ResizeColumnAt(const QPoint& pt) const;
    QRect ListButtonRect() const;

    // Keyboard moves from the current cell (or, extending, from the
    // selection's far corner).
    void Navigate(int dr, int dc, bool extend, bool toEdge);
    void NavigatePage(int direction, bool extend);
    void NavigateHomeEnd(bool end, bool wholeGrid, bool extend);
    void MoveOrExtend(int r, int c, bool extend);
    int NextVisibleRow(int from, int step) const;
    int NextVisibleCol(int from, int step) const;
    void TabMove(bool forward);
    void TypeText(const QString& text);
    bool HandleEditorKey(QKeyEvent* event);

    GridPeer* m_peer;
    GridModel m_model;
    QScrollBar* m_vbar;
    QScrollBar* m_hbar;
    QLineEdit* m_editor;
    GridListPopup* m_list = nullptr;

    int m_curRow = -1;
    int m_curCol = -1;
    int m_anchorRow = -1;
    int m_anchorCol = -1;
    int m_endRow = -1;
    int m_endCol = -1;
    unsigned m_moveSerial = 0;
    int m_topRow = 0;
    int m_leftCol = 0;

    EditKind m_edit = EditKind::None;
    int m_editRow = -1;
    int m_editCol = -1;
    QString m_editStart;
    bool m_enterMode = false;
    bool m_syncing = false;

    bool m_editable = true;
    bool m_userResizing = false;
    bool m_drawing = true;
    bool m_windowRedraw = true;
    bool m_rowHeightSet = false;
    int m_frame = 0;

    Drag m_drag = Drag::None;
    int m_resizeCol = -1;
    int m_resizeStartX = 0;
    int m_resizeStartWidth = 0;
};

class GridPeer final : public WidgetPeer {
public:
    GridPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent);
    ~GridPeer() override;

    static GridView* ViewOf(HWND hwnd);
    GridView* View() const { return m_view; }

    QWidget* FocusWidget() const override;
    UINT DialogCode(const MSG* msg) const override;
    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    QPointer<GridView> m_view;
};

// Printing (GridPrint.cpp).
int GridPrintPageCount(const GridView& view, HDC printer);
bool GridDrawPrintPage(const GridView& view, HDC printer, int page);
bool GridChoosePrinter(GridView& view, HWND owner);
bool GridPrint(GridView& view, HWND owner);
bool GridPreview(GridView& view, HWND owner, const RECT* screenRect);
// The preview window while one is open (for tests), else null.
HWND GridPreviewWindow();

}  // namespace platform::ui
