// Windows of the layer as the programs arrange them: a dialog inside a
// dialog (a page without a sheet), modeless dialogs owned by another window,
// and the plain calls on windows (show, enable, move, default button).
#include "platform/ui/tests/TestDialog.h"

namespace {

using uitest::DialogDriver;

class PageDialog : public CDialog {
public:
    PageDialog() : CDialog(IDD_PAGE_GENERAL) {}
    CString m_text = u"inner";

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_PAGE_TEXT, m_text); }
};

class WindowsTest : public uitest::RecordingDialogTest {};

TEST_F(WindowsTest, ADialogInsideADialogJoinsItsTabOrderAndKeys)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(IDD_PAGE_GENERAL, &m_dlg));
    EXPECT_TRUE(page.GetStyle() & WS_CHILD);
    EXPECT_EQ(page.GetParent(), &m_dlg);
    EXPECT_TRUE(page.GetExStyle() & WS_EX_CONTROLPARENT);
    EXPECT_EQ(page.m_text, CString(u"inner"));
    DialogDriver inner(page.GetSafeHwnd());
    EXPECT_EQ(inner.Text(IDC_PAGE_TEXT), CString(u"inner"));
    // Its controls are the page's, not the host's.
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_PAGE_TEXT), nullptr);

    // Placed over the group box and shown, it takes part in the host's Tab.
    CRect group;
    m_dlg.GetDlgItem(IDC_GROUP)->GetWindowRect(&group);
    m_dlg.ScreenToClient(&group);
    page.SetWindowPos(nullptr, group.left, group.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // The template is a page's: disabled until shown, as sheets do.
    EXPECT_FALSE(page.IsWindowEnabled());
    page.EnableWindow(TRUE);
    page.ShowWindow(SW_SHOW);
    // The page came last in the host's order: after Cancel, Tab goes into it.
    ::SetFocus(D().Item(IDCANCEL));
    D().Key(Qt::Key_Tab);
    EXPECT_EQ(::GetFocus(), inner.Item(IDC_PAGE_TEXT));
    D().Key(Qt::Key_Tab);
    EXPECT_EQ(::GetFocus(), inner.Item(IDC_PAGE_CHECK));
    D().Key(Qt::Key_Tab);
    EXPECT_EQ(D().Focus(), IDC_NAME);

    // Enter in the page is the host's default button.
    m_dlg.m_notices.clear();
    ::SetFocus(inner.Item(IDC_PAGE_TEXT));
    D().Key(Qt::Key_Return);
    EXPECT_EQ(m_dlg.Codes(IDOK), std::vector<UINT>{BN_CLICKED});
    page.DestroyWindow();
}

TEST_F(WindowsTest, OwnedDialogsGoWithTheirOwner)
{
    auto* owner = new uitest::AllControlsDialog;
    ASSERT_TRUE(owner->Create(IDD_ALL_CONTROLS));
    CDialog owned;
    platform::DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    t.cx = 100;
    t.cy = 40;
    t.caption = u"Owned";
    ASSERT_TRUE(owned.CreateIndirect(t, owner));
    EXPECT_FALSE(owned.GetStyle() & WS_CHILD);
    EXPECT_EQ(owned.GetParent(), owner);
    EXPECT_TRUE(owned.IsWindowVisible());
    const HWND ownedHwnd = owned.GetSafeHwnd();
    owner->DestroyWindow();
    delete owner;
    EXPECT_FALSE(::IsWindow(ownedHwnd));
    EXPECT_FALSE(owned.GetSafeHwnd());
}

TEST_F(WindowsTest, ShowEnableAndMoveGiveTheirPreviousStatesAndTell)
{
    CWnd* name = m_dlg.GetDlgItem(IDC_NAME);
    struct Row {
        const char* name;
        std::function<BOOL()> call;
        BOOL returned;
        bool visible;
        bool enabled;
    };
    const Row rows[] = {
        {"hide a shown control", [&] { return name->ShowWindow(SW_HIDE); }, TRUE, false, true},
        {"hide it again", [&] { return name->ShowWindow(SW_HIDE); }, FALSE, false, true},
        {"show it", [&] { return name->ShowWindow(SW_SHOW); }, FALSE, true, true},
        {"disable it (was enabled)", [&] { return name->EnableWindow(FALSE); }, FALSE, true, false},
        {"disable it again (was disabled)", [&] { return name->EnableWindow(FALSE); }, TRUE, true, false},
        {"enable it", [&] { return name->EnableWindow(TRUE); }, TRUE, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.call(), row.returned);
        EXPECT_EQ(name->IsWindowVisible() != FALSE, row.visible);
        EXPECT_EQ(name->IsWindowEnabled() != FALSE, row.enabled);
        EXPECT_EQ(D().Widget(IDC_NAME)->isEnabled(), row.enabled);
    }

    // A disabled button takes no click.
    m_dlg.GetDlgItem(IDC_APPLY)->EnableWindow(FALSE);
    ::SendMessageW(D().Item(IDC_APPLY), BM_CLICK, 0, 0);
    EXPECT_EQ(m_dlg.m_applyClicks, 0);
    m_dlg.GetDlgItem(IDC_APPLY)->EnableWindow(TRUE);
    ::SendMessageW(D().Item(IDC_APPLY), BM_CLICK, 0, 0);
    EXPECT_EQ(m_dlg.m_applyClicks, 1);

    name->MoveWindow(20, 30, 120, 24);
    CRect r;
    name->GetWindowRect(&r);
    m_dlg.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(20, 30, 140, 54));
    CRect client;
    name->GetClientRect(&client);
    EXPECT_EQ(client.Width(), 120);
    EXPECT_EQ(client.Height(), 24);
}

TEST_F(WindowsTest, TheDefaultButtonMovesWithSetDefID)
{
    EXPECT_EQ(LOWORD(m_dlg.GetDefID()), IDOK);
    EXPECT_EQ(HIWORD(m_dlg.GetDefID()), DC_HASDEFID);
    EXPECT_EQ(m_dlg.GetDlgItem(IDOK)->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    m_dlg.SetDefID(IDC_APPLY);
    EXPECT_EQ(LOWORD(m_dlg.GetDefID()), IDC_APPLY);
    EXPECT_EQ(m_dlg.GetDlgItem(IDOK)->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_APPLY)->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    ::SetFocus(D().Item(IDC_NAME));
    D().Key(Qt::Key_Return);
    EXPECT_EQ(m_dlg.m_applyClicks, 1);
}

TEST_F(WindowsTest, DialogItemHelpersReadAndWriteTheControls)
{
    m_dlg.SetDlgItemText(IDC_READONLY, u"共有");
    CString text;
    EXPECT_EQ(m_dlg.GetDlgItemText(IDC_READONLY, text), 2);
    EXPECT_EQ(text, CString(u"共有"));
    m_dlg.SetDlgItemInt(IDC_COUNT, static_cast<UINT>(-42), TRUE);
    BOOL ok = FALSE;
    EXPECT_EQ(static_cast<int>(m_dlg.GetDlgItemInt(IDC_COUNT, &ok, TRUE)), -42);
    EXPECT_TRUE(ok);
    m_dlg.SetDlgItemText(IDC_COUNT, u"12x");
    m_dlg.GetDlgItemInt(IDC_COUNT, &ok, TRUE);
    EXPECT_FALSE(ok);
    m_dlg.CheckDlgButton(IDC_ENABLE, BST_UNCHECKED);
    EXPECT_EQ(m_dlg.IsDlgButtonChecked(IDC_ENABLE), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_NAME)->GetDlgCtrlID(), IDC_NAME);
    EXPECT_EQ(m_dlg.GetDlgItem(9999), nullptr);
}

}  // namespace
