// Edit controls of the test dialog: what typing does by style, limits, the
// modify flag, selection, focus notifications, multi-line text, and the two
// ways programs filter characters (a subclass's WM_CHAR, a reflected
// EN_CHANGE).
#include "platform/ui/tests/TestDialog.h"

namespace {

using uitest::Notice;

class EditControlTest : public uitest::RecordingDialogTest {};

TEST_F(EditControlTest, TypingFollowsTheEditsStyle)
{
    struct Row {
        const char* name;
        int id;
        const char16_t* typed;
        const char16_t* text;  // GetWindowText afterwards
    };
    const Row rows[] = {
        {"plain edit takes everything", IDC_NAME, u"a1 ü漢", u"a1 ü漢"},
        {"number edit drops what is no digit", IDC_COUNT, u"a1-2.b3", u"123"},
        {"password edit keeps the real text", IDC_PASSWORD, u"pw9", u"pw9"},
        {"read-only edit takes nothing", IDC_READONLY, u"xyz", u"fixed"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        D().Retype(row.id, row.typed);
        EXPECT_EQ(D().Text(row.id), CString(row.text));
    }
}

TEST_F(EditControlTest, LimitModifyFlagAndSelection)
{
    auto* edit = static_cast<CEdit*>(m_dlg.GetDlgItem(IDC_PASSWORD));
    // DDV_MaxChars limited the name edit when the dialog filled it.
    EXPECT_EQ(static_cast<CEdit*>(m_dlg.GetDlgItem(IDC_NAME))->GetLimitText(), 12u);

    edit->LimitText(4);
    edit->SetModify(FALSE);
    D().Retype(IDC_PASSWORD, u"abcdefg");
    EXPECT_EQ(D().Text(IDC_PASSWORD), CString(u"abcd"));
    EXPECT_TRUE(edit->GetModify());

    // The program's own text is no modification.
    edit->SetModify(FALSE);
    edit->SetWindowText(u"wxyz");
    EXPECT_FALSE(edit->GetModify());

    edit->SetSel(1, 3);
    int start = -1;
    int end = -1;
    edit->GetSel(start, end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 3);
    edit->ReplaceSel(u"Q");
    EXPECT_EQ(D().Text(IDC_PASSWORD), CString(u"wQz"));
}

TEST_F(EditControlTest, FocusAndChangeNotificationsInOrder)
{
    ::SetFocus(D().Item(IDC_NAME));
    m_dlg.m_notices.clear();
    D().Type(IDC_RATIO, u"7");
    const std::vector<Notice> expected = {
        {IDC_NAME, EN_KILLFOCUS},
        {IDC_RATIO, EN_SETFOCUS},
        {IDC_RATIO, EN_UPDATE},
        {IDC_RATIO, EN_CHANGE},
    };
    EXPECT_EQ(m_dlg.m_notices, expected);
}

TEST_F(EditControlTest, MultiLineTextKeepsItsLineBreaks)
{
    auto* notes = static_cast<CEdit*>(m_dlg.GetDlgItem(IDC_NOTES));
    struct Row {
        const char* name;
        const char16_t* set;
        const char16_t* read;
        int lines;
    };
    const Row rows[] = {
        {"CR LF", u"one\r\ntwo\r\nthree", u"one\r\ntwo\r\nthree", 3},
        {"empty", u"", u"", 1},
        {"trailing break", u"one\r\n", u"one\r\n", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        notes->SetWindowText(row.set);
        CString text;
        notes->GetWindowText(text);
        EXPECT_EQ(text, CString(row.read));
        EXPECT_EQ(notes->GetLineCount(), row.lines);
        EXPECT_EQ(notes->GetWindowTextLength(), CString(row.read).GetLength());
    }
    notes->SetWindowText(u"ab\r\ncd");
    EXPECT_EQ(notes->LineIndex(1), 4);
    char16_t line[8] = {};
    EXPECT_EQ(notes->GetLine(1, line, 8), 2);
    EXPECT_EQ(std::u16string(line, 2), u"cd");
}

// A hexadecimal field: the subclass swallows every other character.
class HexEdit : public CEdit {
public:
    int m_refused = 0;

protected:
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
    {
        const bool hex = (nChar >= '0' && nChar <= '9') || (nChar >= 'a' && nChar <= 'f') ||
                         (nChar >= 'A' && nChar <= 'F') || nChar == VK_BACK;
        if (!hex) {
            ++m_refused;
            return;
        }
        CEdit::OnChar(nChar, nRepCnt, nFlags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HexEdit, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

TEST_F(EditControlTest, ASubclassFiltersCharactersThroughWMChar)
{
    HexEdit hex;
    ASSERT_TRUE(hex.SubclassDlgItem(IDC_NAME, &m_dlg));
    // The program's object is the control's object now.
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_NAME), &hex);
    D().Retype(IDC_NAME, u"1g2Hx3f");
    EXPECT_EQ(D().Text(IDC_NAME), CString(u"123f"));
    EXPECT_EQ(hex.m_refused, 3);
    // Given back, the control types everything again.
    hex.UnsubclassWindow();
    D().Type(IDC_NAME, u"z");
    EXPECT_EQ(D().Text(IDC_NAME), CString(u"123fz"));
}

// An edit that upper-cases itself on its own EN_CHANGE, reflected; with the
// _EX form returning FALSE the parent hears of it too.
class UpperEdit : public CEdit {
public:
    int m_changes = 0;
    bool m_passOn = false;

protected:
    BOOL OnChange()
    {
        ++m_changes;
        CString text;
        GetWindowText(text);
        CString upper = text;
        upper.MakeUpper();
        if (upper != text) {
            int start = 0;
            int end = 0;
            GetSel(start, end);
            SetWindowText(upper);
            SetSel(start, end);
        }
        return m_passOn ? FALSE : TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(UpperEdit, CEdit)
    ON_CONTROL_REFLECT_EX(EN_CHANGE, &UpperEdit::OnChange)
END_MESSAGE_MAP()

TEST_F(EditControlTest, ReflectedNotificationsReachTheControlFirst)
{
    for (const bool passOn : {false, true}) {
        SCOPED_TRACE(passOn ? "passed on to the parent" : "kept by the control");
        UpperEdit upper;
        upper.m_passOn = passOn;
        ASSERT_TRUE(upper.SubclassDlgItem(IDC_NAME, &m_dlg));
        upper.SetWindowText(u"");
        upper.m_changes = 0;
        m_dlg.m_nameChanges = 0;  // the dialog's own ON_EN_CHANGE handler
        D().Type(IDC_NAME, u"ab");
        EXPECT_EQ(D().Text(IDC_NAME), CString(u"AB"));
        EXPECT_GE(upper.m_changes, 2);
        if (passOn) {
            EXPECT_EQ(m_dlg.m_nameChanges, upper.m_changes);
        } else {
            EXPECT_EQ(m_dlg.m_nameChanges, 0);
        }
        upper.UnsubclassWindow();
    }
}

}  // namespace
