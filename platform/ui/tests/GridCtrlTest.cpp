// The grid control in a dialog, worked as a user would: shape and cells,
// moves with their leave and enter events, keyboard navigation over hidden
// rows and columns, typing through the character filter, list cells, mouse
// selection, scrolling, and printing to PDF files and into the preview.
#include "tests/support/ui/UiTest.h"

#include "platform/core/Process.h"
#include "platform/ui/Edit.h"
#include "platform/ui/GridCtrl.h"
#include "platform/ui/GridView.h"
#include "platform/ui/PrintDialog.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kGridId = 1000;
constexpr int kEditId = 1001;

std::string Utf8(const CString& s) { return s.ToUtf8(); }

class GridHost : public CDialog {
public:
    CGridCtrl grid;
    std::vector<std::string> log;
    // Runs for every notification of the grid, after it is logged.
    std::function<void(NMHDR*)> react;
    bool logMoves = false;

    bool Open()
    {
        platform::DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
        t.cx = 320;
        t.cy = 200;
        t.hasFont = true;
        t.pointSize = 9;
        t.faceName = u"MS Shell Dlg";
        auto add = [&](const char16_t* cls, int id, DWORD style, short x, short y, short cx, short cy) {
            platform::DialogItemTemplate item;
            item.className = cls;
            item.id = static_cast<WORD>(id);
            item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style;
            item.x = x;
            item.y = y;
            item.cx = cx;
            item.cy = cy;
            t.items.push_back(item);
        };
        add(WC_GRIDCTRL, kGridId, WS_BORDER, 5, 5, 300, 160);
        add(u"Edit", kEditId, WS_BORDER | ES_AUTOHSCROLL, 5, 175, 100, 12);
        if (!CreateIndirect(t)) return false;
        grid.SubclassDlgItem(kGridId, this);
        ShowWindow(SW_SHOW);
        return true;
    }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->idFrom == kGridId) {
            Record(header);
            if (react) react(header);
        }
        return CDialog::OnNotify(wParam, lParam, pResult);
    }

private:
    void Record(NMHDR* header)
    {
        auto cell = [](const char* what, const NMHDR* h) {
            const auto* g = reinterpret_cast<const NMGRID*>(h);
            return std::string(what) + " " + std::to_string(g->row) + "," + std::to_string(g->col);
        };
        auto mouse = [](const char* what, const NMHDR* h) {
            const auto* m = reinterpret_cast<const NMGRIDMOUSE*>(h);
            return std::string(what) + " b" + std::to_string(m->button) + " s" + std::to_string(m->shift) + " " +
                   std::to_string(m->row) + "," + std::to_string(m->col);
        };
        const UINT code = header->code;
        if (code == GN_LEAVECELL) {
            const auto* m = reinterpret_cast<const NMGRIDMOVE*>(header);
            log.push_back("leave " + std::to_string(m->oldRow) + "," + std::to_string(m->oldCol) + ">" +
                          std::to_string(m->newRow) + "," + std::to_string(m->newCol));
        } else if (code == GN_ENTERCELL) {
            log.push_back(cell("enter", header));
        } else if (code == GN_ROWCHANGED) {
            log.push_back(cell("row", header));
        } else if (code == GN_KEYPRESS) {
            const auto* k = reinterpret_cast<const NMGRIDCHAR*>(header);
            log.push_back("key " + std::to_string(static_cast<int>(k->ch)));
        } else if (code == GN_CELLCHANGED) {
            log.push_back(cell("changed", header));
        } else if (code == GN_ENDEDIT) {
            log.push_back(cell("endedit", header));
        } else if (code == GN_DROPDOWN) {
            log.push_back(cell("dropdown", header));
        } else if (code == GN_MOUSEDOWN) {
            log.push_back(mouse("down", header));
        } else if (code == GN_MOUSEUP) {
            log.push_back(mouse("up", header));
        } else if (code == GN_DBLCLK) {
            log.push_back(mouse("dblclk", header));
        } else if (code == GN_SCROLL) {
            log.push_back(cell("scroll", header));
        } else if (code == GN_COLRESIZED) {
            const auto* r = reinterpret_cast<const NMGRIDRANGE*>(header);
            log.push_back("resized " + std::to_string(r->first) + "," + std::to_string(r->last));
        }
    }
};

// Only the entries that start with one of the prefixes.
std::vector<std::string> Only(const std::vector<std::string>& log, std::initializer_list<const char*> prefixes)
{
    std::vector<std::string> out;
    for (const std::string& line : log)
        for (const char* p : prefixes)
            if (line.rfind(p, 0) == 0) {
                out.push_back(line);
                break;
            }
    return out;
}

class GridCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open());
        ASSERT_TRUE(host.grid.GetSafeHwnd());
        view = platform::ui::GridPeer::ViewOf(host.grid.GetSafeHwnd());
        ASSERT_NE(view, nullptr);
    }

    void TearDown() override
    {
        host.react = nullptr;
        if (host.GetSafeHwnd()) host.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }

    // rows x cols with one fixed row and column, cells "r,c".
    void Fill(int rows, int cols)
    {
        CGridCtrl& g = host.grid;
        ASSERT_TRUE(g.SetRows(rows));
        ASSERT_TRUE(g.SetCols(cols));
        ASSERT_TRUE(g.SetFixedRows(1));
        ASSERT_TRUE(g.SetFixedCols(1));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                CString text;
                text.Format(u"%d,%d", r, c);
                g.SetCellText(r, c, text);
            }
    }

    void Focus()
    {
        host.grid.SetFocus();
        uitest::Pump(0);
    }

    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
    {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QCoreApplication::sendEvent(target, &press);
        QWidget* after = QApplication::focusWidget();
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QCoreApplication::sendEvent(after ? after : target, &release);
        uitest::Pump(0);
    }

    void Type(const std::u16string& text)
    {
        for (char16_t ch : text) {
            const QString s(QChar{ch});
            int key = QChar(ch).toUpper().unicode();
            if (ch >= u'a' && ch <= u'z') key = Qt::Key_A + (ch - u'a');
            Key(key, Qt::NoModifier, s);
        }
    }

    QPoint CenterOf(int r, int c)
    {
        RECT rc{};
        EXPECT_TRUE(host.grid.GetCellRect(r, c, &rc));
        return QPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }

    void Mouse(QEvent::Type type, const QPoint& at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(at), QPointF(view->mapToGlobal(at)), button, buttons, mods);
        QCoreApplication::sendEvent(view, &event);
        uitest::Pump(0);
    }

    void Click(int r, int c, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QPoint at = CenterOf(r, c);
        Mouse(QEvent::MouseButtonPress, at, button, mods);
        Mouse(QEvent::MouseButtonRelease, at, button, mods);
    }

    std::pair<int, int> Current() const { return {host.grid.GetCurrentRow(), host.grid.GetCurrentCol()}; }

    GridHost host;
    platform::ui::GridView* view = nullptr;
};

TEST_F(GridCtrlTest, ShapeKeepsCellsAndRefusesUnsafeSizes)
{
    CGridCtrl& g = host.grid;
    Fill(3, 3);
    ASSERT_TRUE(g.SetRows(5));
    ASSERT_TRUE(g.SetCols(4));
    EXPECT_EQ(Utf8(g.GetCellText(2, 2)), "2,2");
    EXPECT_EQ(Utf8(g.GetCellText(4, 3)), "");
    ASSERT_TRUE(g.SetRows(2));
    EXPECT_EQ(Utf8(g.GetCellText(1, 2)), "1,2");

    struct Case {
        const char* name;
        std::function<BOOL()> call;
    };
    const Case cases[] = {
        {"negative rows", [&] { return g.SetRows(-1); }},
        {"negative columns", [&] { return g.SetCols(-5); }},
        {"more than a million cells", [&] { return g.SetCols(600000); }},
        {"more fixed rows than rows", [&] { return g.SetFixedRows(3); }},
        {"negative row height", [&] { return g.SetRowHeight(1, -2); }},
        {"row outside the table", [&] { return g.SetRowHeight(7, 20); }},
        {"cell outside the table", [&] { return g.SetCellText(9, 9, u"x"); }},
        {"current cell in a header", [&] { return g.SetCurrentCell(0, 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(g.GetRows(), 2);
        EXPECT_EQ(g.GetCols(), 4);
        EXPECT_EQ(g.GetFixedRows(), 1);
    }
    EXPECT_EQ(Utf8(g.GetCellText(9, 9)), "");
}

TEST_F(GridCtrlTest, MovingTheCurrentCellSendsLeaveThenEnter)
{
    Fill(6, 5);
    CGridCtrl& g = host.grid;
    ASSERT_EQ(Current(), std::make_pair(1, 1));
    struct Case {
        const char* name;
        int row, col;
        std::function<void(NMHDR*)> react;
        std::pair<int, int> landsOn;
        std::vector<std::string> events;
    };
    auto redirect = [](NMHDR* h) {
        if (h->code == GN_LEAVECELL) reinterpret_cast<NMGRIDMOVE*>(h)->newRow = 4;
    };
    auto cancel = [](NMHDR* h) {
        if (h->code == GN_LEAVECELL) reinterpret_cast<NMGRIDMOVE*>(h)->cancel = TRUE;
    };
    const Case cases[] = {
        {"another row", 2, 3, nullptr, {2, 3}, {"leave 1,1>2,3", "enter 2,3", "row 2,3"}},
        {"same row", 2, 1, nullptr, {2, 1}, {"leave 2,3>2,1", "enter 2,1"}},
        {"the current cell", 2, 1, nullptr, {2, 1}, {}},
        {"redirected by the handler", 3, 2, redirect, {4, 2}, {"leave 2,1>3,2", "enter 4,2", "row 4,2"}},
        {"cancelled by the handler", 5, 4, cancel, {4, 2}, {"leave 4,2>5,4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.log.clear();
        host.react = c.react;
        g.SetCurrentCell(c.row, c.col);
        host.react = nullptr;
        EXPECT_EQ(Current(), c.landsOn);
        EXPECT_EQ(Only(host.log, {"leave", "enter", "row"}), c.events);
        int r1, c1, r2, c2;
        ASSERT_TRUE(g.GetSelection(&r1, &c1, &r2, &c2));
        EXPECT_EQ(std::make_pair(r1, c1), c.landsOn);
        EXPECT_EQ(std::make_pair(r2, c2), c.landsOn);
    }
}

TEST_F(GridCtrlTest, KeyboardMovesSkipHiddenRowsAndColumns)
{
    Fill(6, 5);
    CGridCtrl& g = host.grid;
    g.SetRowHeight(3, 0);
    g.SetColWidth(2, 0);
    Focus();
    struct Case {
        const char* name;
        std::pair<int, int> from;
        int key;
        Qt::KeyboardModifiers mods;
        std::pair<int, int> to;
    };
    const Case cases[] = {
        {"down over a hidden row", {2, 1}, Qt::Key_Down, Qt::NoModifier, {4, 1}},
        {"up over a hidden row", {4, 1}, Qt::Key_Up, Qt::NoModifier, {2, 1}},
        {"right over a hidden column", {1, 1}, Qt::Key_Right, Qt::NoModifier, {1, 3}},
        {"right in the last column stays", {1, 4}, Qt::Key_Right, Qt::NoModifier, {1, 4}},
        {"up in the first row stays", {1, 3}, Qt::Key_Up, Qt::NoModifier, {1, 3}},
        {"tab to the next column", {1, 3}, Qt::Key_Tab, Qt::NoModifier, {1, 4}},
        {"tab from the last column wraps", {1, 4}, Qt::Key_Tab, Qt::NoModifier, {2, 1}},
        {"back tab from the first column wraps", {2, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {1, 4}},
        {"ctrl down to the last row", {2, 3}, Qt::Key_Down, Qt::ControlModifier, {5, 3}},
        {"ctrl home to the first cell", {5, 4}, Qt::Key_Home, Qt::ControlModifier, {1, 1}},
        {"end of the row", {4, 1}, Qt::Key_End, Qt::NoModifier, {4, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(g.SetCurrentCell(c.from.first, c.from.second));
        Key(c.key, c.mods);
        EXPECT_EQ(Current(), c.to);
    }

    ASSERT_TRUE(g.SetCurrentCell(1, 1));
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Current(), std::make_pair(1, 1));
    int r1, c1, r2, c2;
    ASSERT_TRUE(g.GetSelection(&r1, &c1, &r2, &c2));
    EXPECT_EQ(std::vector<int>({r1, c1, r2, c2}), std::vector<int>({1, 1, 2, 3}));
}

TEST_F(GridCtrlTest, TypingEditsTheCellThroughTheFilter)
{
    Fill(4, 4);
    CGridCtrl& g = host.grid;
    g.SetColMaxLength(2, 4);
    // The owner refuses letters and turns commas into points.
    host.react = [](NMHDR* h) {
        if (h->code != GN_KEYPRESS) return;
        auto* k = reinterpret_cast<NMGRIDCHAR*>(h);
        if (k->ch >= u'a' && k->ch <= u'z') k->ch = 0;
        if (k->ch == u',') k->ch = u'.';
    };
    Focus();

    ASSERT_TRUE(g.SetCurrentCell(1, 1));
    host.log.clear();
    Type(u"1x2,5");
    EXPECT_TRUE(g.IsEditing());
    EXPECT_EQ(Utf8(g.GetCellText(1, 1)), "12.5") << "the cell follows the editor";
    Key(Qt::Key_Return);
    EXPECT_FALSE(g.IsEditing());
    EXPECT_EQ(Utf8(g.GetCellText(1, 1)), "12.5");
    EXPECT_EQ(Only(host.log, {"changed", "endedit"}), (std::vector<std::string>{"changed 1,1", "endedit 1,1"}));
    EXPECT_EQ(Only(host.log, {"key"}).size(), 5u) << "every typed character is offered";

    SCOPED_TRACE("escape puts the text back and reports nothing");
    host.log.clear();
    Type(u"99");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Utf8(g.GetCellText(1, 1)), "12.5");
    EXPECT_TRUE(Only(host.log, {"changed", "endedit"}).empty());

    SCOPED_TRACE("the column's length limit");
    ASSERT_TRUE(g.SetCurrentCell(1, 2));
    Type(u"123456");
    Key(Qt::Key_Return);
    EXPECT_EQ(Utf8(g.GetCellText(1, 2)), "1234");

    SCOPED_TRACE("a locked cell is not edited");
    g.SetCellLocked(2, 2, TRUE);
    ASSERT_TRUE(g.SetCurrentCell(2, 2));
    Type(u"7");
    EXPECT_FALSE(g.IsEditing());
    EXPECT_EQ(Utf8(g.GetCellText(2, 2)), "2,2");

    SCOPED_TRACE("typing over a cell: an arrow ends the edit and moves");
    ASSERT_TRUE(g.SetCurrentCell(2, 1));
    Type(u"5");
    Key(Qt::Key_Right);
    EXPECT_EQ(Utf8(g.GetCellText(2, 1)), "5");
    EXPECT_EQ(Current(), std::make_pair(2, 2));

    SCOPED_TRACE("editing with F2: arrows move the caret");
    ASSERT_TRUE(g.SetCurrentCell(3, 1));
    Key(Qt::Key_F2);
    Key(Qt::Key_Left);
    Type(u"0");
    Key(Qt::Key_Return);
    EXPECT_EQ(Utf8(g.GetCellText(3, 1)), "3,01");
    EXPECT_EQ(Current(), std::make_pair(3, 1));
}

TEST_F(GridCtrlTest, AnEditEndsWhenTheFocusLeavesTheGrid)
{
    Fill(3, 3);
    CGridCtrl& g = host.grid;
    Focus();
    Type(u"42");
    host.log.clear();
    host.GetDlgItem(kEditId)->SetFocus();
    uitest::Pump(0);
    EXPECT_FALSE(g.IsEditing());
    EXPECT_EQ(Utf8(g.GetCellText(1, 1)), "42");
    EXPECT_EQ(Only(host.log, {"changed", "endedit"}), (std::vector<std::string>{"changed 1,1", "endedit 1,1"}));
}

TEST_F(GridCtrlTest, AnInputMethodCompositionPassesTheFilterAndIsAnnounced)
{
    Fill(3, 3);
    CGridCtrl& g = host.grid;
    host.react = [](NMHDR* h) {
        if (h->code == GN_KEYPRESS && reinterpret_cast<NMGRIDCHAR*>(h)->ch == u'x') reinterpret_cast<NMGRIDCHAR*>(h)->ch = 0;
    };
    Focus();
    QInputMethodEvent compose(QString(), {});
    compose.setCommitString(QStringLiteral("3x4"));
    QCoreApplication::sendEvent(QApplication::focusWidget(), &compose);
    uitest::Pump(0);
    ASSERT_TRUE(g.IsEditing());
    Key(Qt::Key_Return);
    EXPECT_EQ(Utf8(g.GetCellText(1, 1)), "34");
}

TEST_F(GridCtrlTest, AListCellOpensTheListItsOwnerFillsAndReportsTheChoice)
{
    Fill(4, 4);
    CGridCtrl& g = host.grid;
    g.SetColList(2, TRUE);
    host.react = [&](NMHDR* h) {
        if (h->code != GN_DROPDOWN) return;
        g.ListClear(2);
        for (const char16_t* item : {u"", u"ABS", u"INC"}) g.ListAdd(2, item);
    };
    Focus();
    ASSERT_TRUE(g.SetCurrentCell(1, 2));
    host.log.clear();
    Type(u"q");
    auto* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr) << "a typed character opens the list";
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(Utf8(g.GetCellText(1, 2)), "ABS");
    EXPECT_EQ(g.ListGetChosen(2), 1);
    EXPECT_EQ(Only(host.log, {"dropdown", "changed", "endedit"}),
              (std::vector<std::string>{"dropdown 1,2", "changed 1,2", "endedit 1,2"}));

    SCOPED_TRACE("escape closes the list without a choice");
    host.log.clear();
    Key(Qt::Key_F4);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    Key(Qt::Key_Down);
    Key(Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(Utf8(g.GetCellText(1, 2)), "ABS");
    EXPECT_EQ(Only(host.log, {"changed", "endedit"}), std::vector<std::string>{});

    SCOPED_TRACE("a second click on the current list cell opens it");
    Click(1, 2);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    Key(Qt::Key_Escape);
}

TEST_F(GridCtrlTest, MouseSelectsCellsRowsAndColumns)
{
    Fill(6, 5);
    CGridCtrl& g = host.grid;
    auto selection = [&] {
        int r1, c1, r2, c2;
        g.GetSelection(&r1, &c1, &r2, &c2);
        return std::vector<int>{r1, c1, r2, c2};
    };
    struct Case {
        const char* name;
        int row, col;
        Qt::MouseButton button;
        Qt::KeyboardModifiers mods;
        std::pair<int, int> current;
        std::vector<int> selected;
        std::string down;
    };
    const Case cases[] = {
        {"a cell", 2, 2, Qt::LeftButton, Qt::NoModifier, {2, 2}, {2, 2, 2, 2}, "down b1 s0 2,2"},
        {"shift extends", 4, 3, Qt::LeftButton, Qt::ShiftModifier, {2, 2}, {2, 2, 4, 3}, "down b1 s1 4,3"},
        {"right button leaves the selection", 5, 4, Qt::RightButton, Qt::NoModifier, {2, 2}, {2, 2, 4, 3},
         "down b2 s0 5,4"},
        {"a column header", 0, 3, Qt::LeftButton, Qt::NoModifier, {1, 3}, {1, 3, 5, 3}, "down b1 s0 0,3"},
        {"a row header", 3, 0, Qt::LeftButton, Qt::NoModifier, {3, 1}, {3, 1, 3, 4}, "down b1 s0 3,0"},
        {"the corner", 0, 0, Qt::LeftButton, Qt::NoModifier, {1, 1}, {1, 1, 5, 4}, "down b1 s0 0,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.log.clear();
        Click(c.row, c.col, c.button, c.mods);
        EXPECT_EQ(Current(), c.current);
        EXPECT_EQ(selection(), c.selected);
        const auto mouse = Only(host.log, {"down", "up"});
        ASSERT_EQ(mouse.size(), 2u);
        EXPECT_EQ(mouse[0], c.down);
    }

    SCOPED_TRACE("a drag selects from the cell pressed to the cell released");
    Mouse(QEvent::MouseButtonPress, CenterOf(1, 1));
    {
        const QPoint to = CenterOf(3, 3);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(view->mapToGlobal(to)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
        Mouse(QEvent::MouseButtonRelease, to);
    }
    EXPECT_EQ(Current(), std::make_pair(1, 1));
    EXPECT_EQ(selection(), (std::vector<int>{1, 1, 3, 3}));

    SCOPED_TRACE("a double click edits the cell and is reported");
    host.log.clear();
    const QPoint at = CenterOf(2, 2);
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    Mouse(QEvent::MouseButtonDblClick, at);
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(Only(host.log, {"dblclk"}), std::vector<std::string>{"dblclk b1 s0 2,2"});
    EXPECT_TRUE(g.IsEditing());
    g.EndEdit(FALSE);
}

TEST_F(GridCtrlTest, TheUserResizesAColumnInTheHeaderWhenAllowed)
{
    Fill(3, 4);
    CGridCtrl& g = host.grid;
    const int before = g.GetColWidth(1);
    RECT rc{};
    g.GetCellRect(0, 1, &rc);
    const QPoint edge(rc.right, (rc.top + rc.bottom) / 2);
    auto drag = [&] {
        Mouse(QEvent::MouseButtonPress, edge);
        QMouseEvent move(QEvent::MouseMove, QPointF(edge + QPoint(30, 0)), QPointF(view->mapToGlobal(edge + QPoint(30, 0))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
        Mouse(QEvent::MouseButtonRelease, edge + QPoint(30, 0));
    };
    drag();
    EXPECT_EQ(g.GetColWidth(1), before) << "resizing is off by default";
    g.SetUserResizing(TRUE);
    host.log.clear();
    drag();
    EXPECT_EQ(g.GetColWidth(1), before + 30);
    EXPECT_EQ(Only(host.log, {"resized"}), std::vector<std::string>{"resized 1,1"});
}

TEST_F(GridCtrlTest, ScrollingKeepsTheCurrentCellInViewAndGeometryConsistent)
{
    Fill(120, 12);
    CGridCtrl& g = host.grid;
    for (int r = 10; r < 20; ++r) g.SetRowHeight(r, 0);
    host.log.clear();
    ASSERT_TRUE(g.SetCurrentCell(100, 11));
    EXPECT_GT(g.GetTopRow(), 1);
    EXPECT_GT(g.GetLeftCol(), 1);
    EXPECT_FALSE(Only(host.log, {"scroll"}).empty());
    RECT client{};
    g.GetClientRect(&client);
    RECT cell{};
    ASSERT_TRUE(g.GetCellRect(100, 11, &cell));
    EXPECT_LE(cell.bottom, client.bottom);
    EXPECT_LE(cell.right, client.right);

    // Every cell in view is found where GetCellRect puts it.
    const struct {
        int row, col;
    } probes[] = {{0, 0}, {0, 11}, {100, 0}, {100, 11}, {g.GetTopRow(), g.GetLeftCol()}};
    for (const auto& p : probes) {
        SCOPED_TRACE(std::to_string(p.row) + "," + std::to_string(p.col));
        ASSERT_TRUE(g.GetCellRect(p.row, p.col, &cell));
        int r = -1, c = -1;
        EXPECT_TRUE(g.HitTest(POINT{cell.left + 2, cell.top + 2}, &r, &c));
        EXPECT_EQ(std::make_pair(r, c), std::make_pair(p.row, p.col));
    }

    SCOPED_TRACE("a hidden row is never the top row");
    ASSERT_TRUE(g.SetTopRow(12));
    EXPECT_EQ(g.GetTopRow(), 20);
    ASSERT_TRUE(g.SetCurrentCell(1, 1));
    EXPECT_EQ(g.GetTopRow(), 1);
}

// ---------------------------------------------------------------- printing

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "qv-grid-XXXXXX").string();
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

private:
    fs::path m_path;
};

// Answers every print dialog with the PDF printer and a file.
class PdfPrintDialogs final : public platform::IPrintDialogService {
public:
    explicit PdfPrintDialogs(const fs::path& file) : m_file(CString::FromUtf8(file.string())), m_scope(this) {}
    int asked = 0;
    platform::PrintDialogResult ShowPrintDialog(const platform::PrintDialogRequest& request) override
    {
        ++asked;
        platform::PrintDialogResult result;
        result.ok = true;
        result.settings = request.settings;
        result.settings.printerName = CString(platform::kPdfPrinterName);
        result.settings.outputFile = m_file;
        result.settings.paperSize = DMPAPER_A4;
        return result;
    }

private:
    CString m_file;
    platform::ScopedPrintDialogService m_scope;
};

std::string PdfText(const fs::path& pdf, const TempFolder& tmp)
{
    const fs::path out = tmp.Path("text.txt");
    platform::Process p;
    if (!p.Start(u"/usr/bin/pdftotext", {u"-layout", CString::FromUtf8(pdf.string()), CString::FromUtf8(out.string())}))
        return {};
    if (p.Wait(120000) != WAIT_OBJECT_0) {
        p.Kill();
        p.Wait(10000);
        return {};
    }
    std::ifstream in(out, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Pages(const std::string& text)
{
    std::vector<std::string> pages;
    std::string page;
    for (char ch : text) {
        if (ch == '\f') {
            pages.push_back(page);
            page.clear();
        } else {
            page += ch;
        }
    }
    return pages;
}

TEST_F(GridCtrlTest, PrintsEveryPageWithHeadingsHeaderRowsAndFooter)
{
    CGridCtrl& g = host.grid;
    ASSERT_TRUE(g.SetRows(151));
    ASSERT_TRUE(g.SetCols(3));
    g.SetFixedRows(1);
    g.SetFixedCols(1);
    g.SetCellText(0, 1, u"Position");
    g.SetCellText(0, 2, u"Speed");
    for (int r = 1; r < 151; ++r) {
        CString label;
        label.Format(u"P%d", r);
        g.SetCellText(r, 0, label);
        label.Format(u"%d.00", r * 10);
        g.SetCellText(r, 1, label);
    }
    g.SetRowHeight(5, 0);
    platform::GridPrintLayout layout;
    layout.headings = {{CString(u"Point table"), 30, 16, TRUE}, {CString(u"  Controller : Q10"), 20, 11, FALSE}};
    layout.footer = CString(u"- &P/&N -");
    g.SetPrintLayout(layout);

    TempFolder tmp;
    const fs::path pdf = tmp.Path("grid.pdf");
    PdfPrintDialogs dialogs(pdf);
    ASSERT_TRUE(g.ChoosePrinter());
    ASSERT_TRUE(g.PrintGrid());
    ASSERT_TRUE(fs::exists(pdf));
    const std::vector<std::string> pages = Pages(PdfText(pdf, tmp));
    ASSERT_GE(pages.size(), 2u);
    const std::string count = std::to_string(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        EXPECT_NE(pages[i].find("Point table"), std::string::npos);
        EXPECT_NE(pages[i].find("Controller : Q10"), std::string::npos);
        EXPECT_NE(pages[i].find("Position"), std::string::npos) << "header row on every page";
        EXPECT_NE(pages[i].find("- " + std::to_string(i + 1) + "/" + count + " -"), std::string::npos);
    }
    EXPECT_NE(pages.front().find("P1 "), std::string::npos);
    EXPECT_EQ(pages.front().find("P5 "), std::string::npos) << "a hidden row is not printed";
    EXPECT_NE(pages.back().find("P150"), std::string::npos);
}

TEST_F(GridCtrlTest, AWideTableSplitsAcrossPagesAndThePreviewPagesThrough)
{
    CGridCtrl& g = host.grid;
    ASSERT_TRUE(g.SetRows(4));
    ASSERT_TRUE(g.SetCols(20));
    g.SetFixedRows(1);
    g.SetFixedCols(1);
    for (int c = 0; c < 20; ++c) g.SetColWidth(c, 120);
    TempFolder tmp;
    PdfPrintDialogs dialogs(tmp.Path("wide.pdf"));
    ASSERT_TRUE(g.ChoosePrinter());

    CPrintDialog pd(FALSE);
    pd.m_settings.printerName = CString(platform::kPdfPrinterName);
    pd.m_settings.paperSize = DMPAPER_A4;
    const HDC printer = pd.CreatePrinterDC();
    ASSERT_TRUE(printer);
    const int pages = g.GetPrintPageCount(printer);
    EXPECT_GE(pages, 3) << "2280 pixels of columns do not fit one sheet";
    platform::GridPrintLayout layout = g.GetPrintLayout();
    layout.zoom = 25;
    g.SetPrintLayout(layout);
    EXPECT_EQ(g.GetPrintPageCount(printer), 1);
    layout.zoom = 100;
    g.SetPrintLayout(layout);
    ::DeleteDC(printer);

    std::vector<std::string> labels;
    uitest::RunModal([&] { return static_cast<INT_PTR>(g.PrintPreview(nullptr)); }, [] { return platform::ui::GridPreviewWindow(); },
                     [&](uitest::DialogDriver& d) {
                         labels.push_back(Utf8(d.Text(104)));
                         d.Click(102);
                         labels.push_back(Utf8(d.Text(104)));
                         d.Click(IDCANCEL);
                     });
    const std::string n = std::to_string(pages);
    EXPECT_EQ(labels, (std::vector<std::string>{"1 / " + n, "2 / " + n}));
}

}  // namespace
