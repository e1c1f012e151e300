// Property sheets over the two pages of the test resources: OK applies the
// pages that were shown, Cancel resets them, a page that refuses its values
// keeps the focus on itself, Apply follows SetModified, the buttons follow
// the flags, and pictures of a sheet are kept for a person to look at.
#include "platform/ui/tests/TestDialog.h"

#include "platform/ui/PropertySheet.h"
#include "tests/support/ScriptedMessageBox.h"

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <vector>

namespace {

using uitest::DialogDriver;

class GeneralPage : public CPropertyPage {
public:
    GeneralPage() : CPropertyPage(IDD_PAGE_GENERAL) {}

    CString m_text = u"start";
    BOOL m_remember = FALSE;
    CString m_stored;  // what OK kept, as a page that writes its caller's record
    int m_inits = 0;
    int m_oks = 0;
    int m_resets = 0;
    bool m_modifyOnChange = false;
    bool m_cancelToCloseOnCheck = false;

protected:
    BOOL OnInitDialog() override
    {
        ++m_inits;
        return CPropertyPage::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_PAGE_TEXT, m_text);
        DDX_Check(pDX, IDC_PAGE_CHECK, m_remember);
    }
    void OnOK() override
    {
        ++m_oks;
        m_stored = m_text;
        CPropertyPage::OnOK();
    }
    void OnCancel() override
    {
        ++m_resets;
        CPropertyPage::OnCancel();
    }
    void OnTextChange()
    {
        if (m_modifyOnChange) SetModified(TRUE);
    }
    void OnCheck()
    {
        if (m_cancelToCloseOnCheck) CancelToClose();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(GeneralPage, CPropertyPage)
    ON_EN_CHANGE(IDC_PAGE_TEXT, &GeneralPage::OnTextChange)
    ON_BN_CLICKED(IDC_PAGE_CHECK, &GeneralPage::OnCheck)
END_MESSAGE_MAP()

class LimitsPage : public CPropertyPage {
public:
    LimitsPage() : CPropertyPage(IDD_PAGE_LIMITS, IDS_PAGE_LIMITS) {}

    int m_limit = 3;
    int m_inits = 0;
    int m_oks = 0;

protected:
    BOOL OnInitDialog() override
    {
        ++m_inits;
        return CPropertyPage::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_PAGE_LIMIT, m_limit);
        DDV_MinMaxInt(pDX, m_limit, 1, 10);
    }
    void OnOK() override { ++m_oks; }
};

// A sheet as the programs write theirs: pages added by the constructor, the
// caption set again in OnInitDialog.
class TestSheet : public CPropertySheet {
public:
    explicit TestSheet(UINT startPage = 0) : CPropertySheet(IDS_SHEET_CAPTION, nullptr, startPage)
    {
        AddPage(&m_general);
        AddPage(&m_limits);
    }

    GeneralPage m_general;
    LimitsPage m_limits;
    int m_tabItemsAtInit = -1;
    bool m_pageExistedAtInit = false;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CPropertySheet::OnInitDialog();
        m_tabItemsAtInit = GetTabControl() ? GetTabControl()->GetItemCount() : -1;
        m_pageExistedAtInit = GetActivePage() && GetActivePage()->GetSafeHwnd();
        return result;
    }
};

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

class PropertySheetTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
    ScopedLanguage m_lang{"en"};
    uitest::ScopedResources m_resources{u"uitest", "en"};
};

DialogDriver PageOf(CPropertySheet& sheet)
{
    CPropertyPage* page = sheet.GetActivePage();
    return DialogDriver(page ? page->GetSafeHwnd() : HWND());
}

// A person's click on a tab of the sheet.
void ClickTab(DialogDriver& sheet, int index)
{
    RECT r{};
    ::SendMessageW(sheet.Item(AFX_IDC_TAB_CONTROL), TCM_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&r));
    sheet.ClickAt(AFX_IDC_TAB_CONTROL, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

TEST_F(PropertySheetTest, OKAppliesThePagesThatWereShownAndCancelResetsThem)
{
    struct Row {
        const char* name;
        bool visitSecond;
        bool ok;
    };
    const Row rows[] = {
        {"OK on the first page only", false, true},
        {"OK after both pages", true, true},
        {"Cancel on the first page only", false, false},
        {"Cancel after both pages", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSheet sheet;
        const INT_PTR result = uitest::RunModal(sheet, [&](DialogDriver& d) {
            DialogDriver general = PageOf(sheet);
            EXPECT_EQ(general.Text(IDC_PAGE_TEXT), CString(u"start"));
            general.Retype(IDC_PAGE_TEXT, u"typed");
            general.Click(IDC_PAGE_CHECK);
            if (row.visitSecond) {
                ClickTab(d, 1);
                EXPECT_EQ(sheet.GetActiveIndex(), 1);
                DialogDriver limits = PageOf(sheet);
                EXPECT_EQ(limits.Text(IDC_PAGE_LIMIT), CString(u"3"));
                limits.Retype(IDC_PAGE_LIMIT, u"8");
                EXPECT_FALSE(general.Visible(IDC_PAGE_TEXT));
            }
            d.Click(row.ok ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(result, row.ok ? IDOK : IDCANCEL);
        EXPECT_EQ(sheet.m_general.m_inits, 1);
        EXPECT_EQ(sheet.m_limits.m_inits, row.visitSecond ? 1 : 0);
        EXPECT_EQ(sheet.m_general.m_oks, row.ok ? 1 : 0);
        EXPECT_EQ(sheet.m_limits.m_oks, row.ok && row.visitSecond ? 1 : 0);
        EXPECT_EQ(sheet.m_general.m_resets, row.ok ? 0 : 1);
        EXPECT_EQ(sheet.m_general.m_stored, CString(row.ok ? u"typed" : u""));
        // Leaving a page takes its values, so the members follow what was
        // typed even on Cancel once the page was left; a page that keeps
        // its caller's record untouched writes it in OnOK only, as m_stored
        // shows.
        EXPECT_EQ(sheet.m_general.m_text, CString(row.ok || row.visitSecond ? u"typed" : u"start"));
        EXPECT_EQ(sheet.m_limits.m_limit, row.visitSecond && row.ok ? 8 : 3);
    }
}

TEST_F(PropertySheetTest, APageThatRefusesItsValuesKeepsTheSheetOnIt)
{
    ScriptedMessageBox boxes;
    boxes.Answer(IDOK, u"between 1 and 10");
    boxes.Answer(IDOK, u"between 1 and 10");
    TestSheet sheet(1);
    const INT_PTR result = uitest::RunModal(sheet, [&](DialogDriver& d) {
        ASSERT_EQ(sheet.GetActiveIndex(), 1);
        DialogDriver limits = PageOf(sheet);
        limits.Retype(IDC_PAGE_LIMIT, u"20");
        // Neither another tab nor OK leaves the page.
        ClickTab(d, 0);
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        EXPECT_EQ(sheet.GetTabControl()->GetCurSel(), 1);
        EXPECT_TRUE(limits.Visible(IDC_PAGE_LIMIT));
        d.Click(IDOK);
        EXPECT_TRUE(sheet.ContinueModal());
        EXPECT_EQ(limits.Focus(), IDC_PAGE_LIMIT);
        limits.Retype(IDC_PAGE_LIMIT, u"10");
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(sheet.m_limits.m_limit, 10);
    EXPECT_EQ(sheet.m_general.m_inits, 0);  // never shown
    EXPECT_EQ(boxes.Shown().size(), 2u);
}

TEST_F(PropertySheetTest, ButtonsFollowTheFlagsAndSitUnderTheTabs)
{
    struct Row {
        const char* name;
        DWORD sheetFlagsOn;
        DWORD sheetFlagsOff;
        DWORD pageFlagsOn;
        bool apply;
        bool help;
    };
    const Row rows[] = {
        {"defaults: Apply, no Help", 0, 0, 0, true, false},
        {"no Apply, no Help", PSH_NOAPPLYNOW, PSH_HASHELP, 0, false, false},
        {"Help asked by the sheet", PSH_HASHELP, 0, 0, true, true},
        {"Help asked by a page", PSH_NOAPPLYNOW, 0, PSP_HASHELP, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSheet sheet;
        sheet.m_psh.dwFlags = (sheet.m_psh.dwFlags | row.sheetFlagsOn) & ~row.sheetFlagsOff;
        sheet.m_limits.m_psp.dwFlags |= row.pageFlagsOn;
        uitest::RunModal(sheet, [&](DialogDriver& d) {
            EXPECT_EQ(::GetDlgItem(d.Dialog(), ID_APPLY_NOW) != HWND(), row.apply);
            EXPECT_EQ(::GetDlgItem(d.Dialog(), IDHELP) != HWND(), row.help);
            if (row.apply) {
                EXPECT_FALSE(d.Enabled(ID_APPLY_NOW));
            }

            // Left to right OK, Cancel, Apply, Help, right-aligned under the
            // tab control; the page inside the tab's display area.
            CRect tab;
            ::GetWindowRect(d.Item(AFX_IDC_TAB_CONTROL), &tab);
            std::vector<CRect> buttons;
            for (const int id : {IDOK, IDCANCEL, static_cast<int>(ID_APPLY_NOW), IDHELP}) {
                const HWND b = ::GetDlgItem(d.Dialog(), id);
                if (!b) continue;
                CRect r;
                ::GetWindowRect(b, &r);
                buttons.push_back(r);
            }
            for (std::size_t i = 0; i < buttons.size(); ++i) {
                EXPECT_GT(buttons[i].top, tab.bottom);
                if (i > 0) {
                    EXPECT_GT(buttons[i].left, buttons[i - 1].right);
                }
            }
            EXPECT_LE(buttons.back().right, tab.right);
            EXPECT_GT(buttons.back().right, tab.right - 20);
            CRect page;
            sheet.GetActivePage()->GetWindowRect(&page);
            EXPECT_TRUE(tab.PtInRect(page.TopLeft()));
            EXPECT_TRUE(tab.PtInRect(CPoint(page.right - 1, page.bottom - 1)));
            EXPECT_GT(page.top, tab.top + 10);  // under the row of tabs
            d.Click(IDCANCEL);
        });
    }
}

TEST_F(PropertySheetTest, ApplyFollowsSetModifiedAndAppliesWithoutClosing)
{
    TestSheet sheet;
    const INT_PTR result = uitest::RunModal(sheet, [&](DialogDriver& d) {
        // Filling the page changes its edit too: a program starts watching
        // once the page is up.
        sheet.m_general.m_modifyOnChange = true;
        DialogDriver general = PageOf(sheet);
        EXPECT_FALSE(d.Enabled(ID_APPLY_NOW));
        general.Retype(IDC_PAGE_TEXT, u"applied");
        EXPECT_TRUE(d.Enabled(ID_APPLY_NOW));
        d.Click(ID_APPLY_NOW);
        EXPECT_TRUE(sheet.ContinueModal());
        EXPECT_EQ(sheet.m_general.m_oks, 1);
        EXPECT_EQ(sheet.m_general.m_stored, CString(u"applied"));
        EXPECT_FALSE(d.Enabled(ID_APPLY_NOW));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(sheet.m_general.m_stored, CString(u"applied"));
}

TEST_F(PropertySheetTest, CancelToCloseTurnsOKIntoCloseAndDisablesCancel)
{
    TestSheet sheet;
    sheet.m_general.m_cancelToCloseOnCheck = true;
    const INT_PTR result = uitest::RunModal(sheet, [&](DialogDriver& d) {
        PageOf(sheet).Click(IDC_PAGE_CHECK);
        EXPECT_EQ(d.Text(IDOK), CString(u"Close"));
        EXPECT_FALSE(d.Enabled(IDCANCEL));
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(PropertySheetTest, TheSheetsOwnInitialisationFindsItsTabsAndFirstPage)
{
    TestSheet sheet;
    CString caption;
    CString tab0;
    CString tab1;
    uitest::RunModal(sheet, [&](DialogDriver& d) {
        sheet.GetWindowText(caption);
        char16_t text[64] = {};
        TCITEM item;
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        sheet.GetTabControl()->GetItem(0, &item);
        tab0 = text;
        sheet.GetTabControl()->GetItem(1, &item);
        tab1 = text;
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(sheet.m_tabItemsAtInit, 2);
    EXPECT_TRUE(sheet.m_pageExistedAtInit);
    EXPECT_EQ(caption, CString(u"Test settings"));
    // A page's tab shows its template caption, or the caption string given.
    EXPECT_EQ(tab0, CString(u"General"));
    EXPECT_EQ(tab1, CString(u"Limits"));
}

TEST_F(PropertySheetTest, KeysStepThePagesAndEnterEscapeWorkFromInsideAPage)
{
    struct Row {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        INT_PTR result;  // -2: stays open
        int activeAfter;
    };
    const Row rows[] = {
        {"Ctrl+Tab goes to the next page", Qt::Key_Tab, Qt::ControlModifier, -2, 1},
        {"Ctrl+PageDown too", Qt::Key_PageDown, Qt::ControlModifier, -2, 1},
        {"Enter in a page's edit is OK", Qt::Key_Return, Qt::NoModifier, IDOK, 0},
        {"Escape is Cancel", Qt::Key_Escape, Qt::NoModifier, IDCANCEL, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSheet sheet;
        int active = -1;
        bool open = false;
        const INT_PTR result = uitest::RunModal(sheet, [&](DialogDriver& d) {
            ::SetFocus(PageOf(sheet).Item(IDC_PAGE_TEXT));
            d.Key(row.key, row.modifiers);
            active = sheet.GetActiveIndex();
            open = sheet.ContinueModal() != FALSE;
            if (open) d.Click(IDCANCEL);
        });
        EXPECT_EQ(open, row.result == -2);
        if (row.result != -2) {
            EXPECT_EQ(result, row.result);
        }
        EXPECT_EQ(active, row.activeAfter);
    }
}

TEST_F(PropertySheetTest, AMissingPageTemplateFailsTheSheetWithoutShowingIt)
{
    class Missing : public CPropertyPage {
    public:
        Missing() : CPropertyPage(4242) {}
    };
    Missing missing;
    CPropertySheet sheet(u"Broken");
    sheet.AddPage(&missing);
    EXPECT_EQ(sheet.DoModal(), -1);
    EXPECT_FALSE(sheet.GetSafeHwnd());
    CPropertySheet empty(u"Empty");
    EXPECT_EQ(empty.DoModal(), -1);
}

TEST_F(PropertySheetTest, PicturesOfTheSheetInBothLanguages)
{
    for (const char* lang : uitest::kLanguages) {
        SCOPED_TRACE(lang);
        ScopedLanguage language(lang);
        uitest::ScopedResources resources(u"uitest", lang);
        TestSheet sheet;
        const std::string path = uitest::ArtifactFolder("ui") + "/property-sheet." + lang + ".png";
        bool grabbed = false;
        CRect page;
        uitest::RunModal(sheet, [&](DialogDriver& d) {
            uitest::Pump(20);
            grabbed = d.Grab(path);
            sheet.GetActivePage()->GetWindowRect(&page);
            sheet.ScreenToClient(&page);
            d.Click(IDCANCEL);
        });
        ASSERT_TRUE(grabbed);
        // The page is in sight over the tab's display area: its own face
        // colour shows in its empty bottom corner.
        const QImage picture(QString::fromStdString(path));
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        EXPECT_EQ(picture.pixelColor(page.left + 3, page.bottom - 4),
                  QColor(GetRValue(face), GetGValue(face), GetBValue(face)));
    }
}

}  // namespace
