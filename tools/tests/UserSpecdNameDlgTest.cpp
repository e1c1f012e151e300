#include "tools/AsciiEdit.h"
#include "tools/CommMsgDlg.h"
#include "tools/UserSpecdNameDlg.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/ui/Clipboard.h"

#include <gtest/gtest.h>

namespace {

using namespace toolstest;

class UserSpecdNameDlgTest : public ::testing::Test {
protected:
    UserSpecdNameDlgTest()
    {
        WriteCommIni(settings, 4);
        emulator.AddController(3, "LB");
    }
    bool Open() { return link.OpenTcp(emulator.ServeTcp()); }
    INT_PTR Run(const std::function<void(uitest::DialogDriver&)>& script)
    {
        CUserSpecdNameDlg dlg(name);
        dlg.SetCommMan(&link.link);
        dlg.SetNodeNo(3);
        return RunDialog(dlg, script);
    }

    ScopedEnv english{"QV_LANG", "en"};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    emu::Emulator emulator;
    EmulatorLink link;
    CString name = u"OLD";
};

TEST_F(UserSpecdNameDlgTest, ANewNameIsWrittenToTheNodeAndHandedBack)
{
    ASSERT_TRUE(Open());
    boxes.Answer(IDYES, u"OLD -> ABC");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_NAME_CURRENT), CString(u"OLD"));
        EXPECT_EQ(d.Focus(), IDC_NAME_NEW);
        d.Type(IDC_NAME_NEW, u"ABC");  // replaces the selected old name
        EXPECT_EQ(d.Text(IDC_NAME_FREE), CString(u"17"));
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(name, CString(u"ABC"));
    EXPECT_EQ(emulator.Controller(3).Comment(2), "ABC");
    EXPECT_EQ(emulator.ReceivedLines(), (std::vector<std::string>{"", "@COMW2.3=ABC"}))
        << "a bare line end, then the write of item 2";
    EXPECT_EQ(GetCommMessage(), nullptr);
}

TEST_F(UserSpecdNameDlgTest, TheNameTakesTwentySevenBitCharactersAtMost)
{
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        d.Retype(IDC_NAME_NEW, u"ABCDEFGHIJKLMNOPQRSTU");
        EXPECT_EQ(d.Text(IDC_NAME_NEW), CString(u"ABCDEFGHIJKLMNOPQRST")) << "the 21st character is refused";
        EXPECT_EQ(d.Text(IDC_NAME_FREE), CString(u"0"));
        d.Retype(IDC_NAME_NEW, u"A,B\u00e9C\u30c6D");
        EXPECT_EQ(d.Text(IDC_NAME_NEW), CString(u"ABCD")) << "commas and characters of 128 and above are swallowed";
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(name, CString(u"OLD"));
}

TEST_F(UserSpecdNameDlgTest, WhatIsSentDependsOnTheNameTheLinkAndTheAnswer)
{
    struct Case {
        const char* name;
        const char16_t* typed;
        bool online;
        int answer;  // 0: no question
        INT_PTR result;
        const char16_t* nameAfter;
    };
    const Case cases[] = {
        {"the same name closes without a question", u"OLD", true, 0, IDOK, u"OLD"},
        {"No closes and keeps the old name", u"NEW", true, IDNO, IDOK, u"OLD"},
        {"Cancel stays", u"NEW", true, IDCANCEL, IDCANCEL, u"OLD"},
        {"offline, Yes hands the name back", u"NEW", false, IDYES, IDOK, u"NEW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        name = u"OLD";
        if (c.online && !link.link.IsOpen()) {
            ASSERT_TRUE(Open());
        }
        if (!c.online) link.link.Close();
        if (c.answer) boxes.Answer(c.answer, u"->");
        const INT_PTR result = Run([&](uitest::DialogDriver& d) {
            d.Retype(IDC_NAME_NEW, c.typed);
            d.Click(IDOK);
            if (c.answer == IDCANCEL) d.Click(IDCANCEL);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(name, CString(c.nameAfter));
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
    }
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(emulator.ReceivedBytes().empty()) << "nothing was sent";
}

TEST_F(UserSpecdNameDlgTest, ARefusedNameKeepsTheDialogAndTheOldName)
{
    ASSERT_TRUE(Open());
    emulator.Script().OnKeyword("COMW", emu::Fault::Ng(0x43));
    boxes.Answer(IDYES, u"->").Answer(IDOK, u"refused the data or did not answer");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        d.Retype(IDC_NAME_NEW, u"NEW");
        d.Click(IDOK);
        EXPECT_EQ(d.Text(IDC_NAME_NEW), CString(u"NEW"));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(name, CString(u"OLD"));
}

TEST_F(UserSpecdNameDlgTest, ANameThatWouldSplitTheWriteCommandIsRefusedWithAMessage)
{
    ASSERT_TRUE(Open());
    struct Case {
        const char* name;
        const char16_t* text;
        bool typed;  // else it arrives as a whole text, as a paste or a program would set it
    };
    const Case cases[] = {
        {"full stop", u"A.B", true},
        {"equals sign", u"A=B", true},
        {"at sign", u"X@K1.3=0", true},
        {"carriage return and line feed", u"A\r\n@K1.3=0", false},
        {"line feed", u"A\n", false},
        {"tab", u"A\tB", false},
        {"other control character", u"A\x01B", false},
        {"delete", u"A\x7f", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        name = u"OLD";
        boxes.Answer(IDOK, u". , = @");
        const INT_PTR result = Run([&](uitest::DialogDriver& d) {
            if (c.typed) {
                d.Retype(IDC_NAME_NEW, c.text);
            } else {
                ::SetWindowTextW(d.Item(IDC_NAME_NEW), c.text);
            }
            ASSERT_EQ(d.Text(IDC_NAME_NEW), CString(c.text)) << "the edit holds the text";
            d.Click(IDOK);
            EXPECT_EQ(d.Text(IDC_NAME_NEW), CString(c.text)) << "the dialog stays for a correction";
            EXPECT_EQ(d.Focus(), IDC_NAME_NEW);
            d.Click(IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(name, CString(u"OLD"));
        EXPECT_EQ(boxes.PendingAnswers(), 0u) << "the message was shown, no question asked";
    }
    // A name with spaces and other signs is written.
    boxes.Answer(IDYES, u"->");
    EXPECT_EQ(Run([&](uitest::DialogDriver& d) {
                  d.Retype(IDC_NAME_NEW, u"Line 2 #3 (A-B)");
                  d.Click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(name, CString(u"Line 2 #3 (A-B)"));
    EXPECT_EQ(emulator.ReceivedLines(), (std::vector<std::string>{"", "@COMW2.3=Line 2 #3 (A-B)"}))
        << "nothing of the refused names was sent";
}

TEST(UserSpecdNameRule, OnlyPrintableSevenBitCharactersWithoutTheCommandSeparators)
{
    EXPECT_TRUE(CUserSpecdNameDlg::IsWritableUserName(u""));
    EXPECT_TRUE(CUserSpecdNameDlg::IsWritableUserName(u"Press_1 ~!#$%&'()*+-/:;<>?[]^{|}"));
    for (const char16_t* bad : {u".", u"=", u"@", u",", u"\r", u"\n", u"\x1b", u"\x7f", u"\u00e9", u"\u30c6"}) {
        SCOPED_TRACE(CString(bad).ToUtf8());
        EXPECT_FALSE(CUserSpecdNameDlg::IsWritableUserName(CString(u"ab") + bad));
    }
}

TEST_F(UserSpecdNameDlgTest, APasteWithACommaIsRefusedWhole)
{
    auto putOnClipboard = [](const CString& text) {
        ASSERT_TRUE(OpenClipboard(HWND()));
        EmptyClipboard();
        const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.GetLength() + 1) * sizeof(char16_t));
        auto* chars = static_cast<char16_t*>(GlobalLock(block));
        std::copy(text.GetString(), text.GetString() + text.GetLength() + 1, chars);
        GlobalUnlock(block);
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
    };
    struct Case {
        const char16_t* clip;
        const char16_t* after;
    };
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        for (const Case& c : {Case{u"XY", u"XY"}, Case{u"A,B", u"XY"}, Case{u"\u00c4B", u"XY"}}) {
            SCOPED_TRACE(CString(c.clip).ToUtf8());
            putOnClipboard(c.clip);
            ::SendMessageW(d.Item(IDC_NAME_NEW), EM_SETSEL, 0, -1);
            ::SendMessageW(d.Item(IDC_NAME_NEW), WM_PASTE, 0, 0);
            EXPECT_EQ(d.Text(IDC_NAME_NEW), CString(c.after));
        }
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
