// The dialog of the test resource script in both languages: its controls
// exist with their ids, classes, places and styles; pictures of it are kept
// under build/artifacts/ui for a person to look at.
#include "platform/ui/tests/TestDialog.h"

#include "platform/core/ResourceModule.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace {

using uitest::AllControlsDialog;
using uitest::DialogDriver;

CString ClassOf(HWND hwnd)
{
    char16_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return CString(name);
}

platform::DialogTemplate LoadedTemplate(UINT id)
{
    const std::optional<std::string_view> bytes = platform::FindResourceBytes(kRtDialog, platform::ResourceKey(id));
    EXPECT_TRUE(bytes.has_value());
    std::optional<platform::DialogTemplate> t = bytes ? platform::ParseDialog(*bytes) : std::nullopt;
    EXPECT_TRUE(t.has_value());
    return t ? *t : platform::DialogTemplate{};
}

class TestDialogTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

TEST_F(TestDialogTest, EveryStatementMakesItsControlClass)
{
    struct Row {
        int id;
        const char16_t* className;
        DWORD styleBits;  // that must be set
    };
    const Row rows[] = {
        {IDC_LABEL, u"Static", SS_LEFT},
        {IDC_NAME, u"Edit", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
        {IDC_COUNT, u"Edit", ES_NUMBER},
        {IDC_COUNT_SPIN, u"msctls_updown32", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY},
        {IDC_PASSWORD, u"Edit", ES_PASSWORD},
        {IDC_READONLY, u"Edit", ES_READONLY},
        {IDC_NOTES, u"Edit", ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL},
        {IDC_GROUP, u"Button", BS_GROUPBOX},
        {IDC_ENABLE, u"Button", BS_AUTOCHECKBOX | WS_TABSTOP},
        {IDC_FAST, u"Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
        {IDC_SLOW, u"Button", BS_AUTORADIOBUTTON},
        {IDC_APP_ICON, u"Static", SS_ICON},
        {IDC_MODE, u"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL},
        {IDC_PORT, u"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL},
        {IDC_ADDRESS, u"SysIPAddress32", WS_TABSTOP},
        {IDC_LOGO, u"Static", SS_BITMAP},
        {IDC_ITEMS, u"ListBox", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | LBS_NOTIFY},
        {IDC_TREE, u"SysTreeView32", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT},
        {IDC_TABLE, u"SysListView32", LVS_REPORT | LVS_SINGLESEL | WS_BORDER},
        {IDC_HEADER, u"SysHeader32", HDS_BUTTONS},
        {IDC_TABS, u"SysTabControl32", WS_TABSTOP},
        {IDC_PROGRESS, u"msctls_progress32", WS_BORDER},
        {IDC_SLIDER, u"msctls_trackbar32", TBS_AUTOTICKS},
        {IDC_DRAWN, u"Button", BS_OWNERDRAW},
        {IDC_SCROLL, u"ScrollBar", SBS_HORZ},
        {IDC_FRAME, u"Static", SS_ETCHEDHORZ},
        {IDC_APPLY, u"Button", BS_PUSHBUTTON | WS_TABSTOP},
        {IDOK, u"Button", BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, u"Button", BS_PUSHBUTTON | WS_TABSTOP},
    };
    for (const char* lang : uitest::kLanguages) {
        uitest::ScopedResources resources(u"uitest", lang);
        ASSERT_TRUE(resources.Loaded());
        AllControlsDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_ALL_CONTROLS));
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(lang) + " control " + std::to_string(row.id));
            CWnd* control = dlg.GetDlgItem(row.id);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(control->GetDlgCtrlID(), row.id);
            EXPECT_EQ(ClassOf(control->GetSafeHwnd()), CString(row.className));
            const DWORD style = control->GetStyle();
            EXPECT_EQ(style & row.styleBits, row.styleBits);
            // The type bits of buttons and statics are a number, not flags.
            if (ClassOf(control->GetSafeHwnd()) == CString(u"Button")) {
                EXPECT_EQ(style & BS_TYPEMASK, row.styleBits & BS_TYPEMASK);
            }
            if (ClassOf(control->GetSafeHwnd()) == CString(u"Static")) {
                EXPECT_EQ(style & SS_TYPEMASK, row.styleBits & SS_TYPEMASK);
            }
            EXPECT_TRUE(style & WS_CHILD);
            EXPECT_EQ(control->GetParent(), &dlg);
        }
        EXPECT_EQ(ClassOf(dlg.GetSafeHwnd()), CString(u"#32770"));
        dlg.DestroyWindow();
    }
}

TEST_F(TestDialogTest, ControlsSitWhereTheTemplatePlacesThemInDialogUnits)
{
    for (const char* lang : uitest::kLanguages) {
        uitest::ScopedResources resources(u"uitest", lang);
        ASSERT_TRUE(resources.Loaded());
        const platform::DialogTemplate t = LoadedTemplate(IDD_ALL_CONTROLS);
        AllControlsDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_ALL_CONTROLS));

        // The dialog units follow the font: the Japanese 9-point face is
        // larger than the English 8-point one, and the client area is the
        // template's size in them.
        RECT size{0, 0, t.cx, t.cy};
        dlg.MapDialogRect(&size);
        CRect client;
        dlg.GetClientRect(&client);
        EXPECT_EQ(client.Width(), size.right);
        EXPECT_EQ(client.Height(), size.bottom);

        for (const platform::DialogItemTemplate& item : t.items) {
            SCOPED_TRACE(std::string(lang) + " control " + std::to_string(item.id));
            if (item.id == IDC_STATIC) continue;
            CWnd* control = dlg.GetDlgItem(item.id);
            ASSERT_NE(control, nullptr);
            RECT expected{item.x, item.y, item.x + item.cx, item.y + item.cy};
            dlg.MapDialogRect(&expected);
            CRect actual;
            control->GetWindowRect(&actual);
            dlg.ScreenToClient(&actual);
            switch (item.id) {
            case IDC_COUNT_SPIN: {
                // An auto-buddy aligned right sits on its edit's right edge.
                CRect buddy;
                dlg.GetDlgItem(IDC_COUNT)->GetWindowRect(&buddy);
                dlg.ScreenToClient(&buddy);
                EXPECT_EQ(actual.left, buddy.right);
                EXPECT_EQ(actual.top, buddy.top);
                EXPECT_EQ(actual.Height(), buddy.Height());
                break;
            }
            case IDC_COUNT: {
                // The spin's width comes off its buddy.
                CRect spin;
                dlg.GetDlgItem(IDC_COUNT_SPIN)->GetWindowRect(&spin);
                EXPECT_EQ(actual.left, expected.left);
                EXPECT_EQ(actual.top, expected.top);
                EXPECT_EQ(actual.Width() + spin.Width(), expected.right - expected.left);
                break;
            }
            case IDC_MODE:
            case IDC_PORT:
                // A combo box's template height is with the list dropped.
                EXPECT_EQ(actual.left, expected.left);
                EXPECT_EQ(actual.top, expected.top);
                EXPECT_EQ(actual.Width(), expected.right - expected.left);
                EXPECT_LT(actual.Height(), expected.bottom - expected.top);
                break;
            case IDC_APP_ICON:
            case IDC_LOGO:
                // Picture statics take their picture's size.
                EXPECT_EQ(actual.left, expected.left);
                EXPECT_EQ(actual.top, expected.top);
                EXPECT_EQ(actual.Width(), item.id == IDC_LOGO ? 64 : 32);
                EXPECT_EQ(actual.Height(), 32);
                break;
            default:
                EXPECT_EQ(actual, CRect(expected));
            }
        }
        dlg.DestroyWindow();
    }
}

TEST_F(TestDialogTest, TemplateCaptionFontAndTextsAreTheLanguages)
{
    struct Row {
        const char* lang;
        const char16_t* caption;
        int id;
        const char16_t* text;
    };
    const Row rows[] = {
        {"en", u"Every control", IDC_ENABLE, u"&Enabled"},
        {"en", u"Every control", IDCANCEL, u"Cancel"},
        {"ja", u"全コントロールの試験", IDC_ENABLE, u"有効(&E)"},
        {"ja", u"全コントロールの試験", IDCANCEL, u"キャンセル"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.lang) + " control " + std::to_string(row.id));
        uitest::ScopedResources resources(u"uitest", row.lang);
        AllControlsDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_ALL_CONTROLS));
        CString caption;
        dlg.GetWindowText(caption);
        EXPECT_EQ(caption, CString(row.caption));
        DialogDriver d(dlg.GetSafeHwnd());
        EXPECT_EQ(d.Text(row.id), CString(row.text));
        // Every control speaks the dialog's font.
        EXPECT_EQ(HFONT(HGDIOBJ::FromWParam(dlg.GetDlgItem(row.id)->SendMessage(WM_GETFONT))),
                  HFONT(HGDIOBJ::FromWParam(dlg.SendMessage(WM_GETFONT))));
        dlg.DestroyWindow();
    }
}

TEST_F(TestDialogTest, PicturesOfTheDialogInBothLanguages)
{
    for (const char* lang : uitest::kLanguages) {
        SCOPED_TRACE(lang);
        uitest::ScopedResources resources(u"uitest", lang);
        AllControlsDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_ALL_CONTROLS));
        dlg.ShowWindow(SW_SHOW);
        uitest::Pump(50);
        DialogDriver d(dlg.GetSafeHwnd());
        const std::string path = uitest::ArtifactFolder("ui") + "/every-control." + lang + ".png";
        ASSERT_TRUE(d.Grab(path));
        const QImage picture(QString::fromStdString(path));
        ASSERT_FALSE(picture.isNull());
        CRect client;
        dlg.GetClientRect(&client);
        EXPECT_EQ(picture.width(), client.Width());

        // The owner-drawn button shows what the dialog drew, and the label
        // the colour that WM_CTLCOLORSTATIC gave it.
        EXPECT_GT(dlg.m_drawCalls, 0);
        CRect drawn;
        dlg.GetDlgItem(IDC_DRAWN)->GetWindowRect(&drawn);
        dlg.ScreenToClient(&drawn);
        EXPECT_EQ(picture.pixelColor(drawn.left + 2, drawn.bottom - 3), QColor(200, 40, 40));
        CRect label;
        dlg.GetDlgItem(IDC_LABEL)->GetWindowRect(&label);
        dlg.ScreenToClient(&label);
        bool labelColour = false;
        for (int y = label.top; y < label.bottom && !labelColour; ++y) {
            for (int x = label.left; x < label.right && !labelColour; ++x) {
                const QColor c = picture.pixelColor(x, y);
                labelColour = c.blue() > 120 && c.red() < 90 && c.green() < 90;
            }
        }
        EXPECT_TRUE(labelColour) << "the label is not drawn in its WM_CTLCOLOR colour";
        dlg.DestroyWindow();
    }
}

}  // namespace
