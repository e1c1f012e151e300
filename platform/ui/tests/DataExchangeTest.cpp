// DoDataExchange on the test dialog run modally: values go out to the
// controls and come back on OK; a refused value shows its box, keeps the
// dialog open and puts the focus on the control; Cancel keeps the members.
#include "platform/ui/tests/TestDialog.h"

#include "tests/support/ScriptedMessageBox.h"

#include <cstdlib>

namespace {

using uitest::AllControlsDialog;
using uitest::DialogDriver;

// The boxes speak the language that QV_LANG chooses; pinned for the tests.
class ScopedLanguage {
public:
    explicit ScopedLanguage(const char* lang)
    {
        const char* before = std::getenv("QV_LANG");
        m_had = before != nullptr;
        if (before) m_before = before;
        ::setenv("QV_LANG", lang, 1);
    }
    ~ScopedLanguage()
    {
        if (m_had) {
            ::setenv("QV_LANG", m_before.c_str(), 1);
        } else {
            ::unsetenv("QV_LANG");
        }
    }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

private:
    bool m_had = false;
    std::string m_before;
};

class DataExchangeTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
    ScopedLanguage m_lang{"en"};
    uitest::ScopedResources m_resources{u"uitest", "en"};
};

TEST_F(DataExchangeTest, ValuesGoOutToTheControlsAndTypedOnesComeBackOnOK)
{
    for (const char* lang : uitest::kLanguages) {
        SCOPED_TRACE(lang);
        uitest::ScopedResources resources(u"uitest", lang);
        AllControlsDialog dlg;
        const INT_PTR result = uitest::RunModal(dlg, [](DialogDriver& d) {
            EXPECT_EQ(d.Text(IDC_NAME), CString(u"Axis 1"));
            EXPECT_EQ(d.Text(IDC_COUNT), CString(u"250"));
            EXPECT_EQ(d.Text(IDC_RATIO), CString(u"0.5"));
            EXPECT_EQ(d.Check(IDC_ENABLE), static_cast<UINT>(BST_CHECKED));
            EXPECT_EQ(d.Check(IDC_FAST), static_cast<UINT>(BST_UNCHECKED));
            EXPECT_EQ(d.Check(IDC_SLOW), static_cast<UINT>(BST_CHECKED));
            EXPECT_EQ(d.ComboSelection(IDC_MODE), 1);
            EXPECT_EQ(d.Text(IDC_PORT), CString(u"COM3"));
            EXPECT_EQ(d.ComboSelection(IDC_PORT), 2);

            d.Retype(IDC_NAME, u"主軸 2");
            d.Retype(IDC_COUNT, u"42");
            d.Retype(IDC_RATIO, u"0.125");
            d.Click(IDC_ENABLE);
            d.Click(IDC_FAST);
            d.ChooseComboEntry(IDC_MODE, 2);
            d.Retype(IDC_PORT, u"COM9");
            d.Click(IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(dlg.m_name, CString(u"主軸 2"));
        EXPECT_EQ(dlg.m_count, 42);
        EXPECT_DOUBLE_EQ(dlg.m_ratio, 0.125);
        EXPECT_EQ(dlg.m_enabled, FALSE);
        EXPECT_EQ(dlg.m_speed, 0);
        EXPECT_EQ(dlg.m_mode, 2);
        EXPECT_EQ(dlg.m_port, CString(u"COM9"));
        // Filling the edit is one EN_CHANGE, clearing it one, and each
        // typed character one.
        EXPECT_EQ(dlg.m_nameChanges, 6);
    }
}

TEST_F(DataExchangeTest, RefusedValueShowsItsBoxKeepsTheDialogAndFocusesTheControl)
{
    struct Row {
        const char* name;
        int id;
        const char16_t* typed;
        const char16_t* boxPart;
    };
    const Row rows[] = {
        {"count above its range", IDC_COUNT, u"900", u"between 0 and 500"},
        {"count empty", IDC_COUNT, u"", u"enter an integer"},
        {"ratio not a number", IDC_RATIO, u"abc", u"enter a number"},
        {"ratio above its range", IDC_RATIO, u"1.5", u"between 0 and 1"},
        {"ratio with a comma", IDC_RATIO, u"0,5", u"enter a number"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedMessageBox boxes;
        boxes.Answer(IDOK, row.boxPart);
        AllControlsDialog dlg;
        const INT_PTR result = uitest::RunModal(dlg, [&](DialogDriver& d) {
            d.Retype(IDC_NAME, u"changed");
            d.Retype(row.id, row.typed);
            d.Click(IDOK);
            ASSERT_TRUE(dlg.ContinueModal()) << "the dialog closed with a refused value";
            EXPECT_EQ(d.Focus(), row.id);
            // Putting it right lets OK through.
            d.Retype(row.id, row.id == IDC_COUNT ? u"7" : u"0.75");
            d.Click(IDOK);
        });
        EXPECT_EQ(result, IDOK);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_TRUE(boxes.Shown()[0].type & MB_ICONEXCLAMATION);
        EXPECT_EQ(dlg.m_name, CString(u"changed"));
        if (row.id == IDC_COUNT) {
            EXPECT_EQ(dlg.m_count, 7);
        }
        if (row.id == IDC_RATIO) {
            EXPECT_DOUBLE_EQ(dlg.m_ratio, 0.75);
        }
    }
}

TEST_F(DataExchangeTest, MaxCharsLimitsTheEditSoTheTextNeverNeedsRefusing)
{
    ScriptedMessageBox boxes;  // no box expected
    AllControlsDialog dlg;
    const INT_PTR result = uitest::RunModal(dlg, [](DialogDriver& d) {
        d.Retype(IDC_NAME, u"abcdefghijklmnopqrst");
        EXPECT_EQ(d.Text(IDC_NAME), CString(u"abcdefghijkl"));
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_name, CString(u"abcdefghijkl"));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(DataExchangeTest, CancelLeavesTheMembersAsTheyWere)
{
    struct Row {
        const char* name;
        std::function<void(DialogDriver&)> close;
    };
    const Row rows[] = {
        {"Cancel button", [](DialogDriver& d) { d.Click(IDCANCEL); }},
        {"Escape key", [](DialogDriver& d) { d.Key(Qt::Key_Escape); }},
        {"close box", [](DialogDriver& d) {
             // The dialog posts itself IDCANCEL, as a click on Cancel does.
             ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
             uitest::Pump(0);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AllControlsDialog dlg;
        const INT_PTR result = uitest::RunModal(dlg, [&](DialogDriver& d) {
            d.Retype(IDC_NAME, u"thrown away");
            d.Retype(IDC_COUNT, u"900");  // would be refused by OK
            d.Click(IDC_FAST);
            row.close(d);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dlg.m_name, CString(u"Axis 1"));
        EXPECT_EQ(dlg.m_count, 250);
        EXPECT_EQ(dlg.m_speed, 1);
    }
}

TEST_F(DataExchangeTest, MissingControlFailsTheExchangeInsteadOfCrashing)
{
    class Wrong : public AllControlsDialog {
    protected:
        void DoDataExchange(CDataExchange* pDX) override
        {
            AllControlsDialog::DoDataExchange(pDX);
            DDX_Text(pDX, 4321, m_missing);
        }
        CString m_missing;
    };
    Wrong dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](DialogDriver& d) {
        EXPECT_FALSE(dlg.UpdateData(TRUE));
        d.Click(IDOK);
        EXPECT_TRUE(dlg.ContinueModal());
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
