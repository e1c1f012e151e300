#include "tools/KXTerminalDlg.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/core/Profile.h"
#include "platform/ui/ComboBox.h"

#include <gtest/gtest.h>

namespace {

using namespace toolstest;

class KXTerminalDlgTest : public ::testing::Test {
protected:
    KXTerminalDlgTest()
    {
        WriteCommIni(settings, 4);
        emulator.AddController(1, "LB").SetParameter(12, 500);
    }
    INT_PTR Run(CCommManager* link, const std::function<void(uitest::DialogDriver&)>& script)
    {
        CKXTerminalDlg dlg;
        dlg.SetCommMan(link);
        return RunDialog(dlg, script);
    }
    CString IniPath() const { return CString::FromUtf8(settings.Path()) + u"/Velbrook/Quorvane/kxt.ini"; }
    CString Ini(const char16_t* section, const char16_t* key) const
    {
        return platform::ReadPrivateProfileString(section, key, u"", IniPath());
    }
    // The command box's list, top first.
    static std::vector<CString> History(uitest::DialogDriver& d)
    {
        std::vector<CString> lines;
        auto* combo = static_cast<CComboBox*>(CWnd::FromHandle(d.Item(IDC_TERM_COMMAND)));
        for (int i = 0; i < combo->GetCount(); ++i) {
            CString line;
            combo->GetLBText(i, line);
            lines.push_back(line);
        }
        return lines;
    }
    static CRect RectOf(uitest::DialogDriver& d, int id)
    {
        CRect rect;
        ::GetWindowRect(d.Item(id), &rect);
        return rect;
    }

    ScopedEnv english{"QV_LANG", "en"};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    emu::Emulator emulator;
    EmulatorLink link;
};

TEST_F(KXTerminalDlgTest, SendsTheTypedLineAndShowsWhatComesBack)
{
    ASSERT_TRUE(link.OpenTcp(emulator.ServeTcp()));
    const INT_PTR result = Run(&link.link, [&](uitest::DialogDriver& d) {
        EXPECT_FALSE(d.Enabled(IDC_TERM_CONNECT)) << "the caller's link is open";
        d.Type(IDC_TERM_COMMAND, u"@?K12.1");
        d.Key(Qt::Key_Return);
        EXPECT_TRUE(uitest::WaitUntil([&] { return d.Text(IDC_TERM_RESPONSE).Find(u"OK.1") >= 0; }, 10000));
        EXPECT_NE(d.Text(IDC_TERM_RESPONSE).Find(u"K12.1=500"), -1) << d.Text(IDC_TERM_RESPONSE).ToUtf8();
        EXPECT_EQ(d.Text(IDC_TERM_LAST_COMMAND), CString(u"@?K12.1"));
        EXPECT_EQ(d.Text(IDC_TERM_COMMAND), CString()) << "the command box is emptied";
        EXPECT_EQ(d.Focus(), IDC_TERM_COMMAND);
        EXPECT_TRUE(d.Enabled(IDC_TERM_SEND));

        ::SendMessageW(d.Dialog(), WM_COMM_LINK_EVENT, 0, MakeLinkEvent(LINK_EVENT_ERROR));
        EXPECT_NE(d.Text(IDC_TERM_RESPONSE).Find(u"COMM ERROR"), -1);
        d.Click(IDC_TERM_CLEAR);
        EXPECT_EQ(d.Text(IDC_TERM_RESPONSE), CString());
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(emulator.ReceivedCommands(), std::vector<std::string>{"@?K12.1"});
}

TEST_F(KXTerminalDlgTest, TheHistoryKeepsTwentyLinesNewestFirstAcrossSessions)
{
    // The settings folder is made on the way.
    ASSERT_FALSE(GetToolsSettingsPath(u"kxt.ini").IsEmpty());
    for (int n = 1; n <= CKXTerminalDlg::kHistoryLines; ++n) {
        CString key;
        key.Format(u"REC%d", n);
        CString value;
        value.Format(u"L%d", n);
        WritePrivateProfileStringW(u"COMMAND RECORD", key, value, IniPath());
    }
    link.link.SetPortType(PORT_OFFLINE);
    ASSERT_EQ(link.link.Open(), 1);
    Run(&link.link, [&](uitest::DialogDriver& d) {
        const std::vector<CString> before = History(d);
        ASSERT_EQ(before.size(), 20u);
        EXPECT_EQ(before.front(), CString(u"L20"));
        EXPECT_EQ(before.back(), CString(u"L1"));
        d.Type(IDC_TERM_COMMAND, u"L5");
        d.Click(IDC_TERM_SEND);
        d.Type(IDC_TERM_COMMAND, u"NEW");
        d.Click(IDC_TERM_SEND);
        const std::vector<CString> after = History(d);
        ASSERT_EQ(after.size(), 20u) << "a line already kept moves up; a new one drops the oldest";
        EXPECT_EQ(after[0], CString(u"NEW"));
        EXPECT_EQ(after[1], CString(u"L5"));
        EXPECT_EQ(after[2], CString(u"L20"));
        EXPECT_EQ(after.back(), CString(u"L2"));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(Ini(u"COMMAND RECORD", u"REC1"), CString(u"L2")) << "the oldest line is number 1";
    EXPECT_EQ(Ini(u"COMMAND RECORD", u"REC20"), CString(u"NEW"));
    EXPECT_EQ(Ini(u"KX-TERMINAL", u"OPTIMISTIC"), CString(u"KIND OF"));
    EXPECT_EQ(Ini(u"KX-TERMINAL", u"ZOOMED"), CString(u"0"));
    EXPECT_FALSE(Ini(u"KX-TERMINAL", u"RIGHT").IsEmpty());

    Run(&link.link, [&](uitest::DialogDriver& d) {
        const std::vector<CString> again = History(d);
        ASSERT_EQ(again.size(), 20u);
        EXPECT_EQ(again[0], CString(u"NEW"));
        EXPECT_EQ(again[1], CString(u"L5"));
        EXPECT_EQ(again.back(), CString(u"L2"));
        d.Click(IDCANCEL);
    });
}

TEST_F(KXTerminalDlgTest, WithoutAnOpenLinkNothingIsSentButTheLineIsKept)
{
    boxes.Answer(IDOK, u"no connection");
    const INT_PTR result = Run(&link.link, [&](uitest::DialogDriver& d) {
        EXPECT_TRUE(d.Enabled(IDC_TERM_CONNECT)) << "the dialog's own link can be connected";
        EXPECT_FALSE(d.Visible(IDC_TERM_DISCONNECT));
        d.Type(IDC_TERM_COMMAND, u"@?K1.1");
        d.Click(IDC_TERM_SEND);
        EXPECT_EQ(History(d), std::vector<CString>{CString(u"@?K1.1")});
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
    EXPECT_EQ(Ini(u"COMMAND RECORD", u"REC1"), CString(u"@?K1.1"));
}

TEST_F(KXTerminalDlgTest, ResizingKeepsTheControlsAtTheirEdges)
{
    Run(nullptr, [&](uitest::DialogDriver& d) {
        const CRect send = RectOf(d, IDC_TERM_SEND);
        const CRect command = RectOf(d, IDC_TERM_COMMAND);
        const CRect response = RectOf(d, IDC_TERM_RESPONSE);
        const CRect close = RectOf(d, IDCANCEL);
        CRect window;
        ::GetWindowRect(d.Dialog(), &window);
        ::MoveWindow(d.Dialog(), window.left, window.top, window.Width() + 120, window.Height() + 80, TRUE);
        uitest::Pump(50);
        EXPECT_EQ(RectOf(d, IDC_TERM_SEND), CRect(send.left + 120, send.top, send.right + 120, send.bottom));
        EXPECT_EQ(RectOf(d, IDC_TERM_COMMAND).right, command.right + 120);
        EXPECT_EQ(RectOf(d, IDC_TERM_COMMAND).left, command.left);
        EXPECT_EQ(RectOf(d, IDC_TERM_RESPONSE),
                  CRect(response.left, response.top, response.right + 120, response.bottom + 80));
        EXPECT_EQ(RectOf(d, IDCANCEL), CRect(close.left + 120, close.top + 80, close.right + 120, close.bottom + 80));
        d.Click(IDCANCEL);
    });
}

}  // namespace
