#include "manager/dialogs/DlgLauncher.h"
#include "manager/dialogs/PropertySheetOption.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "manager/app/ConfirmationOptions.h"
#include "resources/manager/transport_ids.h"

#include "platform/ui/TabCtrl.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

class DlgLauncherTest : public ::testing::TestWithParam<const char*>, public TransportFixture {
protected:
    DlgLauncherTest() : TransportFixture(GetParam()) {}

    CManagerSettings profile{MakeManagerProfileStore(false, u"Velbrook", u"QuorvaneTest")};
};

TEST_P(DlgLauncherTest, TheBoxIsStoredOnlyWithOk)
{
    struct Case {
        const char* name;
        bool check;
        int button;
        bool stored;
    };
    const Case cases[] = {
        {"checked, closed", true, IDC_LAUNCH_CLOSE, false},
        {"unchecked, OK", false, IDC_LAUNCH_OK, false},
        {"checked, OK", true, IDC_LAUNCH_OK, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDlgLauncher launcher(CDlgLauncher::kStartupLayout, profile);
        const INT_PTR result = RunDialogs(launcher, {[&](uitest::DialogDriver& d) {
            EXPECT_TRUE(d.Visible(IDC_LAUNCH_DONT_SHOW));
            EXPECT_TRUE(d.Visible(IDC_LAUNCH_OK));
            EXPECT_FALSE(d.Text(IDC_LAUNCH_READ).IsEmpty()) << "the caption after the command's line break";
            EXPECT_EQ(d.Text(IDC_LAUNCH_READ).Find(u'\n'), -1);
            if (c.check) d.Click(IDC_LAUNCH_DONT_SHOW);
            Picture(d, "launcher-startup");
            d.Click(c.button);
        }});
        EXPECT_EQ(result, c.button == IDC_LAUNCH_OK ? IDOK : IDCANCEL);
        EXPECT_EQ(profile.LauncherDoNotShowAgain(), c.stored);
    }
}

TEST_P(DlgLauncherTest, TheShortLayoutOnlyCloses)
{
    CDlgLauncher launcher(CDlgLauncher::kShortLayout, profile);
    const INT_PTR result = RunDialogs(launcher, {[&](uitest::DialogDriver& d) {
        EXPECT_FALSE(d.Visible(IDC_LAUNCH_DONT_SHOW));
        EXPECT_FALSE(d.Visible(IDC_LAUNCH_OK));
        Picture(d, "launcher-short");
        d.Click(IDC_LAUNCH_CLOSE);
    }});
    EXPECT_EQ(result, IDCANCEL);
}

TEST_P(DlgLauncherTest, EachButtonOpensItsTransport)
{
    struct Case {
        int button;
        UINT caption;
    };
    const Case cases[] = {
        {IDC_LAUNCH_READ, IDS_TRANSPORT_READ_CAPTION},
        {IDC_LAUNCH_WRITE, IDS_TRANSPORT_WRITE_CAPTION},
        {IDC_LAUNCH_ALARM, IDS_TRANSPORT_ALARM_CAPTION},
        {IDC_LAUNCH_GENERATION, IDS_TRANSPORT_GENERATION_CAPTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        CString caption;
        CDlgLauncher launcher(CDlgLauncher::kStartupLayout, profile);
        RunDialogs(launcher, {[&](uitest::DialogDriver& d) {
                                  d.Click(c.button);
                                  d.Click(IDC_LAUNCH_CLOSE);
                              },
                              [&](uitest::DialogDriver& d) {
                                  CWnd::FromHandle(d.Dialog())->GetWindowText(caption);
                                  d.Click(IDCANCEL);
                              }});
        EXPECT_EQ(caption, TransportText(c.caption));
    }
}

TEST_P(DlgLauncherTest, TheOptionPagesStoreAndReload)
{
    ASSERT_TRUE(SaveConfirmationOptions(ConfirmationOptions{}));
    ASSERT_TRUE(profile.SetLauncherDoNotShowAgain(true));
    const auto clickTab = [](uitest::DialogDriver& d, int index) {
        auto* tab = static_cast<CTabCtrl*>(CWnd::FromHandle(d.Item(AFX_IDC_TAB_CONTROL)));
        RECT rect{};
        ASSERT_TRUE(tab->GetItemRect(index, &rect));
        d.ClickAt(AFX_IDC_TAB_CONTROL, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    };
    {
        CPropertySheetOption sheet(IDS_OPTIONS_CAPTION, profile);
        EXPECT_EQ(RunDialogs(sheet, {[&](uitest::DialogDriver& d) {
                      uitest::DialogDriver page(sheet.GetActivePage()->GetSafeHwnd());
                      EXPECT_EQ(page.Check(IDC_OPTION_ASK_TRACE), BST_CHECKED);
                      EXPECT_EQ(page.Check(IDC_OPTION_ASK_ORIGIN), BST_CHECKED);
                      page.Click(IDC_OPTION_ASK_TRACE);
                      page.Click(IDC_OPTION_ASK_ORIGIN);
                      Picture(d, "options-messages");
                      clickTab(d, 1);
                      uitest::DialogDriver launcherPage(sheet.GetActivePage()->GetSafeHwnd());
                      EXPECT_EQ(launcherPage.Check(IDC_OPTION_SHOW_LAUNCHER), BST_UNCHECKED)
                          << "the launcher was switched off at start";
                      launcherPage.Click(IDC_OPTION_SHOW_LAUNCHER);
                      Picture(d, "options-launcher");
                      d.Click(IDOK);
                  }}),
                  IDOK);
    }
    EXPECT_EQ(LoadConfirmationOptions(), (ConfirmationOptions{false, false}));
    EXPECT_FALSE(profile.LauncherDoNotShowAgain()) << "the launcher shows again";

    CPropertySheetOption again(IDS_OPTIONS_CAPTION, profile);
    EXPECT_EQ(RunDialogs(again, {[&](uitest::DialogDriver& d) {
                  uitest::DialogDriver page(again.GetActivePage()->GetSafeHwnd());
                  EXPECT_EQ(page.Check(IDC_OPTION_ASK_TRACE), BST_UNCHECKED);
                  EXPECT_EQ(page.Check(IDC_OPTION_ASK_ORIGIN), BST_UNCHECKED);
                  page.Click(IDC_OPTION_ASK_TRACE);
                  d.Click(IDCANCEL);
              }}),
              IDCANCEL);
    EXPECT_EQ(LoadConfirmationOptions(), (ConfirmationOptions{false, false})) << "Cancel keeps what was stored";
}

INSTANTIATE_TEST_SUITE_P(Languages, DlgLauncherTest, ::testing::Values("en", "ja"));

}  // namespace
