#include "tests/support/ui/UiTest.h"
#include "tests/support/ScriptedMessageBox.h"

#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Static.h"

namespace {

platform::DialogTemplate Small()
{
    platform::DialogTemplate t;
    t.extended = true;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
    t.cx = 200;
    t.cy = 100;
    t.caption = u"Smoke";
    t.hasFont = true;
    t.pointSize = 9;
    t.faceName = u"MS Shell Dlg";
    auto add = [&](const char16_t* cls, int id, DWORD style, short x, short y, short cx, short cy, const char16_t* text) {
        platform::DialogItemTemplate item;
        item.className = cls;
        item.id = id;
        item.style = WS_CHILD | WS_VISIBLE | style;
        item.x = x; item.y = y; item.cx = cx; item.cy = cy;
        item.text = platform::TemplateName::Text(text);
        t.items.push_back(item);
    };
    add(u"Static", -1, SS_LEFT, 5, 5, 50, 10, u"&Name:");
    add(u"Edit", 100, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 60, 5, 80, 12, u"");
    add(u"Button", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 140, 80, 50, 14, u"OK");
    add(u"Button", IDCANCEL, WS_TABSTOP, 80, 80, 50, 14, u"Cancel");
    return t;
}

class SmallDialog : public CDialog {
public:
    int changes = 0;
    CString name;
    INT_PTR Run() { return DoModal(); }
protected:
    void OnChange() { ++changes; }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 100, name); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SmallDialog, CDialog)
    ON_EN_CHANGE(100, &SmallDialog::OnChange)
END_MESSAGE_MAP()

TEST(SmokeTest, ModelessDialogFromTemplate)
{
    SmallDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(Small()));
    uitest::DialogDriver d(dlg.GetSafeHwnd());
    EXPECT_TRUE(d.Item(100));
    EXPECT_EQ(d.Text(IDOK), CString(u"OK"));
    dlg.ShowWindow(SW_SHOW);
    d.Type(100, u"abc");
    EXPECT_EQ(d.Text(100), CString(u"abc"));
    EXPECT_EQ(dlg.changes, 3);
    RECT r;
    dlg.GetDlgItem(100)->GetWindowRect(&r);
    dlg.ScreenToClient(&r);
    std::printf("edit at %d,%d %dx%d\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    EXPECT_TRUE(d.Grab(uitest::ArtifactFolder("ui") + "/smoke.png"));
    dlg.DestroyWindow();
}

TEST(SmokeTest, ModalWithScript)
{
    platform::DialogTemplate t = Small();
    SmallDialog dlg;
    (void)t;
}

}  // namespace
