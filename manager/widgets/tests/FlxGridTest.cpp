// The tables' grid in a dialog, worked through the keyboard as a user would:
// Tab and Enter over hidden rows and columns, Escape, Delete, the clipboard
// keys and their texts, paste of well-formed, ragged, oversized and locked
// blocks, the character filter of both programs with and without an
// input-method composition, the rule that keeps the active cell off hidden
// rows, and the tables' look as a picture.
#include "WidgetTestSupport.h"

#include "manager/core/NumberText.h"
#include "manager/widgets/FlxGrid.h"
#include "manager/widgets/GridPrintLayout.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/PrintDialog.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kGridId = 1010;

std::string Utf8(const CString& s) { return s.ToUtf8(); }

// The grid of a table, recording what its subclass hooks saw.
class RecordingGrid : public CFlxGrid {
public:
    std::vector<std::string> calls;

    void OnBeforeMove(int nOldRow, int nOldCol, int* pNewRow, int* pNewCol, BOOL* pCancel) override
    {
        CFlxGrid::OnBeforeMove(nOldRow, nOldCol, pNewRow, pNewCol, pCancel);
        calls.push_back("move " + std::to_string(nOldRow) + "," + std::to_string(nOldCol) + ">" +
                        std::to_string(*pNewRow) + "," + std::to_string(*pNewCol) + (pCancel ? "" : " (stay)"));
    }
    void OnCopied(int r1, int r2, int c1, int c2, BOOL bCut) override
    {
        calls.push_back(std::string(bCut ? "cut " : "copied ") + Range(r1, r2, c1, c2));
    }
    void OnDeleted(int r1, int r2, int c1, int c2) override { calls.push_back("deleted " + Range(r1, r2, c1, c2)); }

private:
    static std::string Range(int r1, int r2, int c1, int c2)
    {
        return std::to_string(r1) + "-" + std::to_string(r2) + "," + std::to_string(c1) + "-" + std::to_string(c2);
    }
};

class GridDialog : public CDialog {
public:
    RecordingGrid grid;

    bool Open()
    {
        platform::DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
        t.cx = 300;
        t.cy = 180;
        t.hasFont = true;
        t.pointSize = 9;
        t.faceName = u"MS Shell Dlg";
        platform::DialogItemTemplate item;
        item.className = WC_GRIDCTRL;
        item.id = kGridId;
        item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        item.x = 5;
        item.y = 5;
        item.cx = 290;
        item.cy = 170;
        t.items.push_back(item);
        if (!CreateIndirect(t)) return false;
        grid.SubclassDlgItem(kGridId, this);
        ShowWindow(SW_SHOW);
        return true;
    }
};

std::u16string ReadClipboard()
{
    std::u16string text;
    if (!::OpenClipboard(HWND())) return u"<closed>";
    if (const HGLOBAL block = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const char16_t*>(::GlobalLock(block))) {
            text = chars;
            ::GlobalUnlock(block);
        }
    } else {
        text = u"<none>";
    }
    ::CloseClipboard();
    return text;
}

void WriteClipboard(std::u16string_view text) { ASSERT_TRUE(CFlxGrid::PlaceClipboardText(HWND(), CString(text))); }

class FlxGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Open());
        grid().ApplyTableColors();
    }

    void TearDown() override
    {
        if (dialog.GetSafeHwnd()) dialog.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }

    RecordingGrid& grid() { return dialog.grid; }

    // rows x cols with one fixed row and column; data cells "r,c".
    void Fill(int rows, int cols)
    {
        ASSERT_TRUE(grid().SetRows(rows));
        ASSERT_TRUE(grid().SetCols(cols));
        grid().SetFixedRows(1);
        grid().SetFixedCols(1);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                CString text;
                text.Format(u"%d,%d", r, c);
                grid().SetCellText(r, c, text);
            }
        grid().SetCurrentCell(1, 1);
        grid().SetFocus();
        uitest::Pump(0);
    }

    void Send(QEvent::Type type, int key, Qt::KeyboardModifiers mods, const QString& text)
    {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QKeyEvent event(type, key, mods, text);
        // Each event its own time, as real ones have: the input routing
        // tells a new key from one travelling up to a parent by it.
        event.setTimestamp(++m_keyTime);
        QCoreApplication::sendEvent(target, &event);
    }

    // A key press and release, with Shift or Ctrl held down around it as a
    // person holds them (the grid reads the key state).
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
    {
        if (mods & Qt::ShiftModifier) Send(QEvent::KeyPress, Qt::Key_Shift, mods, QString());
        if (mods & Qt::ControlModifier) Send(QEvent::KeyPress, Qt::Key_Control, mods, QString());
        Send(QEvent::KeyPress, key, mods, text);
        Send(QEvent::KeyRelease, key, mods, text);
        if (mods & Qt::ControlModifier) Send(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, QString());
        if (mods & Qt::ShiftModifier) Send(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, QString());
        uitest::Pump(0);
    }

    void Ctrl(char letter) { Key(Qt::Key_A + (letter - 'A'), Qt::ControlModifier, QString(QChar(letter - 'A' + 1))); }

    void Type(const std::u16string& text)
    {
        for (char16_t ch : text) {
            int key = QChar(ch).toUpper().unicode();
            if (ch >= u'a' && ch <= u'z') key = Qt::Key_A + (ch - u'a');
            if (ch == u'.') key = Qt::Key_Period;
            if (ch == u',') key = Qt::Key_Comma;
            if (ch == u'-') key = Qt::Key_Minus;
            Key(key, Qt::NoModifier, QString(QChar(ch)));
        }
    }

    void Compose(const QString& committed)
    {
        QInputMethodEvent event(QString(), {});
        event.setCommitString(committed);
        QCoreApplication::sendEvent(QApplication::focusWidget(), &event);
        uitest::Pump(0);
    }

    std::pair<int, int> Current() { return {grid().GetCurrentRow(), grid().GetCurrentCol()}; }

    std::vector<std::string> Column(int col, int firstRow, int lastRow)
    {
        std::vector<std::string> out;
        for (int r = firstRow; r <= lastRow; ++r) out.push_back(Utf8(grid().GetCellText(r, col)));
        return out;
    }

    GridDialog dialog;
    quint64 m_keyTime = 1000;
};

TEST_F(FlxGridTest, TabAndEnterMoveOverHiddenCellsAndStopAtTheEnds)
{
    Fill(7, 5);
    grid().SetRowHeight(3, 0);
    grid().SetRowHeight(6, 0);
    grid().SetColWidth(2, 0);
    grid().m_bEnterMoves = TRUE;
    struct Case {
        const char* name;
        std::pair<int, int> from;
        int key;
        Qt::KeyboardModifiers mods;
        std::pair<int, int> to;
        bool unchangedHookRuns;
    };
    const Case cases[] = {
        {"tab skips a hidden column", {1, 1}, Qt::Key_Tab, Qt::NoModifier, {1, 3}, false},
        {"tab in the last column wraps in its row", {2, 4}, Qt::Key_Tab, Qt::NoModifier, {2, 1}, false},
        {"shift tab in the first column wraps back", {2, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {2, 4}, false},
        {"enter skips a hidden row", {2, 3}, Qt::Key_Return, Qt::NoModifier, {4, 3}, false},
        {"shift enter goes up", {4, 3}, Qt::Key_Return, Qt::ShiftModifier, {2, 3}, false},
        {"enter in the last shown row stays", {5, 1}, Qt::Key_Return, Qt::NoModifier, {5, 1}, true},
        {"shift enter in the first row stays", {1, 4}, Qt::Key_Return, Qt::ShiftModifier, {1, 4}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(grid().SetCurrentCell(c.from.first, c.from.second));
        grid().calls.clear();
        Key(c.key, c.mods);
        EXPECT_EQ(Current(), c.to);
        const std::string stay = "move " + std::to_string(c.from.first) + "," + std::to_string(c.from.second) + ">" +
                                 std::to_string(c.from.first) + "," + std::to_string(c.from.second) + " (stay)";
        const bool ran = std::find(grid().calls.begin(), grid().calls.end(), stay) != grid().calls.end();
        EXPECT_EQ(ran, c.unchangedHookRuns);
        EXPECT_FALSE(grid().IsEditing());
    }

    SCOPED_TRACE("without Enter moves, Enter only ends the edit");
    grid().m_bEnterMoves = FALSE;
    ASSERT_TRUE(grid().SetCurrentCell(2, 1));
    Type(u"7");
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(), std::make_pair(2, 1));
    EXPECT_EQ(Utf8(grid().GetCellText(2, 1)), "7");

    SCOPED_TRACE("a row without a shown cell: tab stays");
    for (int c = 1; c < 5; ++c) grid().SetColWidth(c, c == 4 ? 50 : 0);
    ASSERT_TRUE(grid().SetCurrentCell(1, 4));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Current(), std::make_pair(1, 4));
}

TEST_F(FlxGridTest, EscapePutsBackTheTextTheCellHadWhenEntered)
{
    Fill(4, 4);
    ASSERT_TRUE(grid().SetCurrentCell(2, 2));
    Type(u"123");
    Key(Qt::Key_Return);
    EXPECT_EQ(Utf8(grid().GetCellText(2, 2)), "123");
    Type(u"4");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(grid().IsEditing());
    EXPECT_EQ(Utf8(grid().GetCellText(2, 2)), "2,2");
    EXPECT_EQ(Current(), std::make_pair(2, 2));
}

TEST_F(FlxGridTest, AClipboardThatCannotBeTakenKeepsTheUsersText)
{
    WriteClipboard(u"the user's text");
    widgettest::HostDialog other;
    ASSERT_TRUE(::OpenClipboard(other.GetSafeHwnd())) << "another window holds the clipboard";
    EXPECT_FALSE(CFlxGrid::PlaceClipboardText(HWND(), CString(u"new text")));
    ::CloseClipboard();
    EXPECT_EQ(ReadClipboard(), u"the user's text");
    EXPECT_TRUE(CFlxGrid::PlaceClipboardText(HWND(), CString(u"new text")));
    EXPECT_EQ(ReadClipboard(), u"new text");
}

TEST_F(FlxGridTest, TheClipboardKeysCopyCutAndPasteOnlyWhenAllowed)
{
    Fill(5, 5);
    grid().SetColWidth(3, 0);  // hidden columns are part of the table's text
    struct Case {
        const char* name;
        int r1, c1, r2, c2;
        std::u16string text;
    };
    const Case copies[] = {
        {"one cell", 2, 2, 2, 2, u"2,2"},
        {"two rows by two columns", 1, 1, 2, 2, u"1,1\t1,2\r\n2,1\t2,2"},
        {"across a hidden column", 3, 2, 3, 4, u"3,2\t3,3\t3,4"},
    };
    grid().m_bCopyAllowed = TRUE;
    for (const Case& c : copies) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(grid().SetCurrentCell(c.r1, c.c1));
        ASSERT_TRUE(grid().SetSelection(c.r1, c.c1, c.r2, c.c2));
        WriteClipboard(u"before");
        grid().calls.clear();
        Ctrl('C');
        EXPECT_EQ(ReadClipboard(), c.text);
        ASSERT_FALSE(grid().calls.empty());
        EXPECT_EQ(grid().calls.back(), "copied " + std::to_string(c.r1) + "-" + std::to_string(c.r2) + "," +
                                           std::to_string(c.c1) + "-" + std::to_string(c.c2));
    }

    SCOPED_TRACE("plain C, V and X reach neither the clipboard nor the cell");
    grid().m_bPasteAllowed = TRUE;
    grid().m_bCutAllowed = TRUE;
    ASSERT_TRUE(grid().SetCurrentCell(1, 1));
    WriteClipboard(u"keep");
    Type(u"cvx");
    EXPECT_FALSE(grid().IsEditing());
    EXPECT_EQ(Utf8(grid().GetCellText(1, 1)), "1,1");
    EXPECT_EQ(ReadClipboard(), u"keep");

    SCOPED_TRACE("cut empties the unlocked cells only");
    grid().MarkCellLocked(1, 2, TRUE);
    ASSERT_TRUE(grid().SetSelection(1, 1, 1, 2));
    grid().calls.clear();
    Ctrl('X');
    EXPECT_EQ(ReadClipboard(), u"1,1\t1,2");
    EXPECT_EQ(Utf8(grid().GetCellText(1, 1)), "");
    EXPECT_EQ(Utf8(grid().GetCellText(1, 2)), "1,2");
    EXPECT_EQ(grid().calls, std::vector<std::string>{"cut 1-1,1-2"});

    SCOPED_TRACE("paste from the clipboard");
    WriteClipboard(u"a\tb\r\nc\td\r\n");
    ASSERT_TRUE(grid().SetCurrentCell(3, 1));
    Ctrl('V');
    EXPECT_EQ(Column(1, 3, 4), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Column(2, 3, 4), (std::vector<std::string>{"b", "d"}));

    SCOPED_TRACE("a table that allows none of them");
    grid().m_bCopyAllowed = grid().m_bCutAllowed = grid().m_bPasteAllowed = FALSE;
    WriteClipboard(u"z");
    ASSERT_TRUE(grid().SetCurrentCell(4, 4));
    Ctrl('C');
    Ctrl('X');
    Ctrl('V');
    EXPECT_EQ(ReadClipboard(), u"z");
    EXPECT_EQ(Utf8(grid().GetCellText(4, 4)), "4,4");
}

TEST_F(FlxGridTest, PasteStaysInsideTheGridAndLeavesLockedCellsAlone)
{
    struct Case {
        const char* name;
        std::pair<int, int> at;
        std::u16string text;
        std::vector<std::string> column2;  // rows 1..5 of column 2 afterwards
        std::vector<std::string> row4;     // columns 1..4 of row 4 afterwards
    };
    const Case cases[] = {
        {"three lines with two rows left", {4, 2}, u"x\r\ny\r\nz", {"1,2", "2,2", "3,2", "x", "y"},
         {"4,1", "x", "4,3", "4,4"}},
        {"a line longer than the columns left", {4, 3}, u"p\tq\tr\ts", {"1,2", "2,2", "3,2", "4,2", "5,2"},
         {"4,1", "4,2", "p", "q"}},
        {"a short line is filled with empty cells", {3, 1}, u"a\tb\tc\r\nd", {"1,2", "2,2", "b", "", "5,2"},
         {"d", "", "", "4,4"}},
        {"one line end at the end makes no empty line", {3, 2}, u"m\r\n", {"1,2", "2,2", "m", "4,2", "5,2"},
         {"4,1", "4,2", "4,3", "4,4"}},
        {"an empty line in the middle empties its cells", {3, 2}, u"m\r\n\r\nn", {"1,2", "2,2", "m", "", "n"},
         {"4,1", "", "4,3", "4,4"}},
        {"a trailing tab is an empty last cell", {4, 1}, u"e\tf\t", {"1,2", "2,2", "3,2", "f", "5,2"},
         {"e", "f", "", "4,4"}},
        {"nothing to paste", {2, 2}, u"", {"1,2", "2,2", "3,2", "4,2", "5,2"}, {"4,1", "4,2", "4,3", "4,4"}},
        {"locked cells keep their texts", {1, 2}, u"1\r\n2\r\n3\r\n4\r\n5", {"1", "2", "3,2", "4", "5"},
         {"4,1", "4", "4,3", "4,4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(6, 5);
        grid().SetCellLocked(3, 2, std::string(c.name) == "locked cells keep their texts");
        ASSERT_TRUE(grid().SetCurrentCell(c.at.first, c.at.second));
        grid().PasteText(CString(c.text));
        EXPECT_EQ(Column(2, 1, 5), c.column2);
        std::vector<std::string> row;
        for (int col = 1; col <= 4; ++col) row.push_back(Utf8(grid().GetCellText(4, col)));
        EXPECT_EQ(row, c.row4);
        EXPECT_EQ(grid().GetRows(), 6);
        EXPECT_EQ(grid().GetCols(), 5);
    }
}

TEST_F(FlxGridTest, AHugePasteFillsTheGridAndNoMore)
{
    Fill(6, 5);
    std::u16string text;
    for (int line = 0; line < 5000; ++line) {
        if (line) text += u"\r\n";
        for (int cell = 0; cell < 40; ++cell) {
            if (cell) text += u'\t';
            text += u"v" + std::u16string(1, static_cast<char16_t>(u'0' + line % 10));
        }
    }
    WriteClipboard(text);
    grid().m_bPasteAllowed = TRUE;
    ASSERT_TRUE(grid().SetCurrentCell(2, 2));
    Ctrl('V');
    EXPECT_EQ(Column(2, 1, 5), (std::vector<std::string>{"1,2", "v0", "v1", "v2", "v3"}));
    EXPECT_EQ(Utf8(grid().GetCellText(5, 4)), "v3");
    EXPECT_EQ(Utf8(grid().GetCellText(1, 4)), "1,4");
    EXPECT_EQ(grid().GetRows(), 6);
    EXPECT_EQ(grid().GetCols(), 5);
}

TEST_F(FlxGridTest, SplittingTakesLinesAndCellsAsTheClipboardHoldsThem)
{
    CString text(u"a\r\nb\r\nc");
    EXPECT_EQ(Utf8(CFlxGrid::TakeToken(text, u"\r\n")), "a");
    EXPECT_EQ(Utf8(text), "b\r\nc");
    EXPECT_EQ(Utf8(CFlxGrid::TakeToken(text, u"|")), "b\r\nc");
    EXPECT_TRUE(text.IsEmpty());

    std::size_t widest = 0;
    const auto lines = CFlxGrid::SplitTable(u"1\t2\t3\r\n\r\n4", &widest);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 3u);
    EXPECT_TRUE(lines[1].empty());
    EXPECT_EQ(Utf8(lines[2][0]), "4");
    EXPECT_EQ(widest, 3u);
}

TEST_F(FlxGridTest, DeleteClearsTheSelectionOnlyWhenAllowed)
{
    Fill(5, 5);
    ASSERT_TRUE(grid().SetCurrentCell(2, 2));
    ASSERT_TRUE(grid().SetSelection(2, 2, 3, 3));
    grid().SetCellLocked(3, 3, TRUE);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Utf8(grid().GetCellText(2, 2)), "2,2") << "not allowed: nothing cleared";
    EXPECT_FALSE(grid().IsEditing());

    grid().m_bDeleteAllowed = TRUE;
    grid().calls.clear();
    Key(Qt::Key_Delete);
    EXPECT_EQ(Column(2, 2, 3), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Utf8(grid().GetCellText(3, 3)), "3,3") << "a locked cell keeps its text";
    EXPECT_EQ(grid().calls, std::vector<std::string>{"deleted 2-3,2-3"});

    SCOPED_TRACE("right after a composition the key belongs to the edit");
    ASSERT_TRUE(grid().SetCurrentCell(4, 1));
    Compose(QStringLiteral("12"));
    ASSERT_TRUE(grid().m_bImeEnded);
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    Key(Qt::Key_Return);
    EXPECT_EQ(Utf8(grid().GetCellText(4, 1)), "2");
    EXPECT_EQ(Utf8(grid().GetCellText(4, 2)), "4,2");
}

TEST_F(FlxGridTest, TheCharacterFilterFollowsTheInputModeAndTheProgramsRules)
{
    const widgettest::ScopedNumberLocale locale(u',', u'-');
    struct Case {
        const char* name;
        FlxGridRules rules;
        int mode;
        const char16_t* composed;  // committed by an input method first
        const char16_t* typed;
        const char* result;  // the cell's text after Enter
    };
    const Case cases[] = {
        {"whole numbers refuse letters and separators", FlxGridRules::Manager, CFlxGrid::kInputWhole, nullptr, u"1,5a6",
         "156"},
        {"whole numbers take signs without a composition", FlxGridRules::Manager, CFlxGrid::kInputWhole, nullptr,
         u"-1-2", "-1-2"},
        {"after a composition a second sign is refused", FlxGridRules::Manager, CFlxGrid::kInputWhole, u"-1", u"-2",
         "-12"},
        {"manager: a second separator passes without a composition", FlxGridRules::Manager, CFlxGrid::kInputDecimal,
         nullptr, u"1,,5", "1,,5"},
        {"manager: after a composition a second separator is refused", FlxGridRules::Manager,
         CFlxGrid::kInputDecimal, u"1,", u",5", "1,5"},
        {"simulator: a second separator is refused always", FlxGridRules::Simulator, CFlxGrid::kInputDecimal,
         nullptr, u"1,,5", "1,5"},
        {"the locale's separator only", FlxGridRules::Simulator, CFlxGrid::kInputDecimal, nullptr, u"2.5", "25"},
        {"backspace passes", FlxGridRules::Manager, CFlxGrid::kInputDecimal, nullptr, u"12\b3", "13"},
        {"nothing may be typed", FlxGridRules::Manager, CFlxGrid::kInputNothing, nullptr, u"12", "1,1"},
        {"no filter", FlxGridRules::Manager, CFlxGrid::kInputFree, nullptr, u"ab1", "ab1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(3, 3);
        grid().m_rules = c.rules;
        grid().m_nInputMode = c.mode;
        grid().m_bImeEnded = FALSE;
        if (c.composed) {
            Compose(QString::fromUtf16(c.composed));
            ASSERT_TRUE(grid().m_bImeEnded);
        }
        for (const char16_t* p = c.typed; *p; ++p) {
            if (*p == u'\b') Key(Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
            else Type(std::u16string(1, *p));
        }
        Key(Qt::Key_Return);
        EXPECT_EQ(Utf8(grid().GetCellText(1, 1)), c.result);
    }

    SCOPED_TRACE("a command ends the composition state");
    grid().m_bImeEnded = TRUE;
    grid().PostMessage(WM_COMMAND, 0, 0);
    uitest::Pump(0);
    EXPECT_FALSE(grid().m_bImeEnded);
}

TEST_F(FlxGridTest, TheActiveCellNeverLandsOnAHiddenRow)
{
    Fill(9, 3);
    for (int r : {3, 4, 7, 8}) grid().SetRowHeight(r, 0);
    struct Case {
        const char* name;
        int from;
        int to;
        int landsOn;
    };
    const Case cases[] = {
        {"down onto hidden rows goes on down", 2, 3, 5},
        {"up onto hidden rows goes on up", 6, 4, 2},
        {"down past the last shown row comes back up", 5, 8, 6},
        {"onto a shown row stays", 1, 6, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(grid().SetCurrentCell(c.from, 1));
        grid().SetCurrentCell(c.to, 1);
        EXPECT_EQ(grid().GetCurrentRow(), c.landsOn);
    }
}

TEST_F(FlxGridTest, CtrlAndTheKeypadPlusFitTheShownColumnsToTheirTexts)
{
    Fill(3, 4);
    grid().SetCellText(2, 1, u"a rather long text for a cell");
    grid().SetColWidth(3, 0);
    const int before = grid().GetColWidth(1);
    Key(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, QStringLiteral("+"));
    EXPECT_GT(grid().GetColWidth(1), before);
    EXPECT_EQ(grid().GetColWidth(3), 0) << "a hidden column stays hidden";
    EXPECT_FALSE(grid().IsEditing());
    EXPECT_EQ(Utf8(grid().GetCellText(1, 1)), "1,1");
}

TEST_F(FlxGridTest, TheRedrawLockKeepsTheSwitchAsItIs)
{
    Fill(3, 3);
    grid().SetRedraw(FALSE);
    EXPECT_FALSE(grid().IsDrawingEnabled());
    grid().m_bRedrawLocked = TRUE;
    grid().SetRedraw(TRUE);
    EXPECT_FALSE(grid().IsDrawingEnabled());
    grid().m_bRedrawLocked = FALSE;
    grid().SetRedraw(TRUE);
    EXPECT_TRUE(grid().IsDrawingEnabled());
}

// Prints nothing: the user cancels the print dialog.
class CancelledPrintDialog final : public platform::IPrintDialogService {
public:
    CancelledPrintDialog() : m_scope(this) {}
    int asked = 0;
    platform::PrintDialogResult ShowPrintDialog(const platform::PrintDialogRequest&) override
    {
        ++asked;
        return {};
    }

private:
    platform::ScopedPrintDialogService m_scope;
};

TEST_F(FlxGridTest, PrintingStopsWhenThePrinterChoiceIsCancelled)
{
    Fill(3, 3);
    CancelledPrintDialog dialogs;
    EXPECT_FALSE(grid().Print());
    EXPECT_EQ(dialogs.asked, 1);
}

TEST_F(FlxGridTest, ThePanesPrintSetUpHeadsEveryPageWithTheController)
{
    Fill(3, 3);
    struct Heading {
        BOOL parameterTable;
        char16_t letter;
        const char* en;
        const char* ja;
    };
    // The table's kind is named as the controller tree names its item.
    const Heading kinds[] = {
        {FALSE, u'M', "Points", "ポイント"},
        {FALSE, 0, "Points", "ポイント"},
        {TRUE, u'M', "Motion (M)", "動作 (M)"},
        {TRUE, u'I', "Inputs (I)", "入力 (I)"},
        {TRUE, u'O', "Outputs (O)", "出力 (O)"},
        {TRUE, u'C', "Communication (C)", "通信 (C)"},
        {TRUE, u'H', "Expert (H)", "エキスパート (H)"},
        {TRUE, u'x', "Parameters", "パラメータ"},
    };
    ControllerData data;
    data.controller = CString(u"Q10");
    data.user = CString(u"Line 3 press");
    data.robot = CString(u"RA-50");
    for (const char* lang : {"en", "ja"}) {
        const bool en = std::string(lang) == "en";
        widgettest::ManagerResources resources(lang);
        ASSERT_TRUE(resources.Loaded());
        SetupGridPrintLayout(grid());
        platform::GridPrintLayout layout = grid().GetPrintLayout();
        ASSERT_EQ(layout.headings.size(), 4u);
        EXPECT_EQ(Utf8(layout.footer), "- &P/&N -");
        EXPECT_EQ(layout.zoom, 85);
        EXPECT_TRUE(layout.headings[0].bold);
        for (const auto& heading : layout.headings) EXPECT_FALSE(heading.text.IsEmpty());
        // A fifth heading someone added is emptied.
        layout.headings.push_back({CString(u"stale"), 10, 9, FALSE});
        grid().SetPrintLayout(layout);
        for (const Heading& kind : kinds) {
            SCOPED_TRACE(std::string(lang) + " " + (en ? kind.en : kind.ja));
            SetGridPrintHeadings(grid(), CString(u"Offline 1"), kind.parameterTable, kind.letter, data);
            layout = grid().GetPrintLayout();
            ASSERT_EQ(layout.headings.size(), 5u);
            EXPECT_EQ(Utf8(layout.headings[0].text), std::string("Offline 1 - ") + (en ? kind.en : kind.ja));
            EXPECT_EQ(Utf8(layout.headings[1].text), en ? "  Controller : Q10" : "  コントローラ : Q10");
            EXPECT_EQ(Utf8(layout.headings[2].text), en ? "  Actuator : RA-50" : "  アクチュエータ : RA-50");
            EXPECT_EQ(Utf8(layout.headings[3].text),
                      en ? "  User text : Line 3 press" : "  ユーザー名 : Line 3 press");
            EXPECT_TRUE(layout.headings[4].text.IsEmpty());
            EXPECT_EQ(layout.documentName, layout.headings[0].text);
        }
    }
}

// ---------------------------------------------------------------- picture

TEST_F(FlxGridTest, TheTablesLookAsBothProgramsDrawThem)
{
    CFlxGrid& g = grid();
    ASSERT_TRUE(g.SetRows(6));
    ASSERT_TRUE(g.SetCols(4));
    g.SetFixedRows(1);
    g.SetFixedCols(1);
    g.SetDefaultRowHeight(20);
    const int widths[] = {40, 70, 70, 70};
    for (int c = 0; c < 4; ++c) g.SetColWidth(c, widths[c]);
    const char16_t* headers[] = {u"", u"Position", u"Speed", u"Type"};
    for (int c = 0; c < 4; ++c) g.SetCellText(0, c, headers[c]);
    g.SetRangeBold(0, 0, 0, 3, TRUE);
    const char16_t* values[5][3] = {{u"10.00", u"100", u"ABS"},
                                    {u"-25.50", u"80", u"INC"},
                                    {u"0.00", u"100", u"ABS"},
                                    {u"", u"", u""},
                                    {u"300.25", u"50", u"ABS"}};
    for (int r = 1; r <= 5; ++r) {
        CString label;
        label.Format(u"P%d", r);
        g.SetCellText(r, 0, label);
        for (int c = 1; c <= 3; ++c) g.SetCellText(r, c, values[r - 1][c - 1]);
    }
    for (int c = 1; c <= 3; ++c) g.MarkCellLocked(4, c, TRUE);  // an undefined point
    g.MarkCellChanged(2, 1);                                     // a value that differs
    g.SetColAlignment(3, GA_CENTER);
    ASSERT_TRUE(g.SetCurrentCell(3, 2));
    CWnd* window = &g;
    window->MoveWindow(0, 0, 260, 130);
    uitest::Pump(0);
    widgettest::ExpectMatchesGolden(widgettest::Picture(g), "grid_look");
}

}  // namespace
