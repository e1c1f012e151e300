// The dialog keys on the test dialog: Enter presses the default button (or
// the focused push button), Escape cancels, a multi-line edit keeps its
// Enter, Tab and Shift+Tab walk the tab stops in template order and land on
// the checked radio button of a group, arrows move within the group.
#include "platform/ui/tests/TestDialog.h"

#include "tests/support/ScriptedMessageBox.h"

#include <vector>

namespace {

using uitest::AllControlsDialog;
using uitest::DialogDriver;

class DialogKeysTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
    uitest::ScopedResources m_resources{u"uitest", "en"};
};

TEST_F(DialogKeysTest, EnterAndEscapeCloseOrStayByWhereTheFocusIs)
{
    struct Row {
        const char* name;
        int focus;             // control focused before the key
        int key;               // Qt key
        INT_PTR result;        // -2: the dialog stays open
        int applyClicks;
    };
    const Row rows[] = {
        {"Enter in a single-line edit presses OK", IDC_NAME, Qt::Key_Return, IDOK, 0},
        {"keypad Enter too", IDC_COUNT, Qt::Key_Enter, IDOK, 0},
        {"Enter on a check box presses OK", IDC_ENABLE, Qt::Key_Return, IDOK, 0},
        {"Enter on another push button presses that one", IDC_APPLY, Qt::Key_Return, -2, 1},
        {"Enter on Cancel cancels", IDCANCEL, Qt::Key_Return, IDCANCEL, 0},
        {"Enter in a multi-line edit with want-return stays", IDC_NOTES, Qt::Key_Return, -2, 0},
        {"Escape in an edit cancels", IDC_NAME, Qt::Key_Escape, IDCANCEL, 0},
        {"Escape in a multi-line edit cancels", IDC_NOTES, Qt::Key_Escape, IDCANCEL, 0},
        {"Escape on a combo box cancels", IDC_MODE, Qt::Key_Escape, IDCANCEL, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AllControlsDialog dlg;
        bool stayed = false;
        CString notes;
        const INT_PTR result = uitest::RunModal(dlg, [&](DialogDriver& d) {
            ::SetFocus(d.Item(row.focus));
            ASSERT_EQ(d.Focus(), row.focus);
            d.Key(row.key);
            stayed = dlg.ContinueModal() != FALSE;
            notes = d.Text(IDC_NOTES);
            if (stayed) d.Click(IDCANCEL);
        });
        EXPECT_EQ(stayed, row.result == -2);
        if (row.result != -2) {
            EXPECT_EQ(result, row.result);
        }
        EXPECT_EQ(dlg.m_applyClicks, row.applyClicks);
        if (row.focus == IDC_NOTES && row.key == Qt::Key_Return) {
            int lines = 1;
            for (int at = notes.Find(u"\r\n"); at >= 0; at = notes.Find(u"\r\n", at + 2)) ++lines;
            EXPECT_EQ(lines, 3) << "Enter did not add a line";
        }
    }
}

TEST_F(DialogKeysTest, EnterIsRefusedLikeOKWhenAValueIsWrong)
{
    ScriptedMessageBox boxes;
    boxes.Answer(IDOK, u"between 0 and 500");
    AllControlsDialog dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](DialogDriver& d) {
        d.Retype(IDC_COUNT, u"501");
        d.Key(Qt::Key_Return);
        EXPECT_TRUE(dlg.ContinueModal());
        EXPECT_EQ(d.Focus(), IDC_COUNT);
        d.Key(Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogKeysTest, TabWalksTheTabStopsInTemplateOrderAndWrapsAround)
{
    // Statics, the group box, the spin, the header, the progress bar and
    // the scroll bar are no tab stops; of a radio group only the checked
    // button is one.
    const std::vector<int> order = {IDC_NAME,    IDC_COUNT, IDC_RATIO,   IDC_PASSWORD, IDC_READONLY,
                                    IDC_NOTES,   IDC_ENABLE, IDC_SLOW,   IDC_MODE,     IDC_PORT,
                                    IDC_ADDRESS, IDC_ITEMS, IDC_TREE,    IDC_TABLE,    IDC_TABS,
                                    IDC_SLIDER,  IDC_DRAWN, IDC_APPLY,   IDOK,         IDCANCEL};
    for (const bool backwards : {false, true}) {
        SCOPED_TRACE(backwards ? "Shift+Tab" : "Tab");
        AllControlsDialog dlg;
        std::vector<int> seen;
        uitest::RunModal(dlg, [&](DialogDriver& d) {
            // The first tab stop has the focus when the dialog comes up.
            seen.push_back(d.Focus());
            for (std::size_t i = 0; i < order.size(); ++i) {
                d.Key(Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
                seen.push_back(d.Focus());
            }
            d.Click(IDCANCEL);
        });
        std::vector<int> expected = {IDC_NAME};
        if (backwards) {
            for (auto it = order.rbegin(); it != order.rend(); ++it) expected.push_back(*it);
        } else {
            expected.insert(expected.end(), order.begin() + 1, order.end());
            expected.push_back(IDC_NAME);
        }
        EXPECT_EQ(seen, expected);
    }
}

TEST_F(DialogKeysTest, ArrowsMoveAndCheckWithinARadioGroup)
{
    AllControlsDialog dlg;
    uitest::RunModal(dlg, [&](DialogDriver& d) {
        ::SetFocus(d.Item(IDC_SLOW));
        d.Key(Qt::Key_Up);
        EXPECT_EQ(d.Focus(), IDC_FAST);
        EXPECT_EQ(d.Check(IDC_FAST), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(d.Check(IDC_SLOW), static_cast<UINT>(BST_UNCHECKED));
        // The group wraps: down from the last goes to the first.
        d.Key(Qt::Key_Down);
        EXPECT_EQ(d.Focus(), IDC_SLOW);
        d.Key(Qt::Key_Down);
        EXPECT_EQ(d.Focus(), IDC_FAST);
        d.Click(IDOK);
    });
    EXPECT_EQ(dlg.m_speed, 0);
}

}  // namespace
