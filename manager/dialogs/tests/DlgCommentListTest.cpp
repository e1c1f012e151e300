// The comment list against the emulated controller: Japanese comments read
// and written in the controller's code page, only changed comments sent, a
// comment too long for the controller refused, and failures that leave no
// stale text behind.
#include "manager/dialogs/tests/CtrlDialogTestSupport.h"

#include "manager/dialogs/DlgCommentList.h"

#include "manager/core/tests/Fixtures.h"
#include "resources/manager/ctrldlgs_ids.h"

#include "platform/core/CodePage.h"

namespace {

using namespace ctrltest;

std::string Sjis(const char* utf8) { return platform::FromWide(std::u16string_view(W(utf8)), CP_SHIFT_JIS); }

class DlgCommentListTest : public ::testing::Test, protected OnlineController {
protected:
    void SetUp() override
    {
        emulator.SetCodePage(932);
        ASSERT_TRUE(Open("Q05")) << emulator.LastError();
        for (int n = 1; n <= 9; ++n) Controller().SetComment(n, "C" + std::to_string(n));
        Controller().SetComment(3, Sjis("ライン３号機"));
    }
    INT_PTR Run(const std::function<void(uitest::DialogDriver&)>& script)
    {
        CDlgCommentList dlg;
        dlg.SetOnlineSource(&Data(), manager->GetLink(), manager->GetProtocol(), 1, u"Q05", u"RB-100");
        return uitest::RunModal(dlg, script);
    }
    int Writes() const
    {
        int n = 0;
        for (const std::string& line : emulator.ReceivedCommands()) n += line.rfind("@COMW", 0) == 0;
        return n;
    }

    testfx::AnsiCodePageScope japanese{932};
};

TEST_F(DlgCommentListTest, JapaneseCommentsAreReadAndOnlyChangedOnesWritten)
{
    Run([&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_CMT_EDIT_1 + 2), W("ライン３号機"));
        EXPECT_EQ(d.Text(IDC_CMT_EDIT_1), CString(u"C1"));
        EXPECT_FALSE(d.Enabled(IDC_CMT_EDIT_1)) << "comment 1 is read-only";
        KeepPicture(d.Dialog(), "DlgCommentList.en");
        emulator.ClearLog();
        d.Retype(IDC_CMT_EDIT_1 + 6, std::u16string(W("第二工場　検査").GetString()));
        boxes.Answer(IDOK, u"Write the changed");
        boxes.Answer(IDOK, u"written");
        d.Click(IDC_CMT_WRITE);
        EXPECT_EQ(Writes(), 1) << "only comment 7 changed";
        EXPECT_EQ(Count("@?COMR9.1"), 1) << "read again after writing";
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(Controller().Comment(7), Sjis("第二工場　検査"));
}

TEST_F(DlgCommentListTest, ACommentTooLongForTheControllerIsRefusedWithItsNumber)
{
    Run([&](uitest::DialogDriver& d) {
        emulator.ClearLog();
        // Fifteen two-byte characters are 30 bytes in the controller's code page.
        d.Retype(IDC_CMT_EDIT_1 + 4, std::u16string(W("あいうえおかきくけこさしすせそ").GetString()));
        boxes.Answer(IDOK, u"Write the changed");
        boxes.Answer(IDOK, u"Comment 05 is too long");
        d.Click(IDC_CMT_WRITE);
        EXPECT_EQ(Writes(), 0) << "nothing written";
        d.Click(IDCANCEL);
    });
}

TEST_F(DlgCommentListTest, AFailedWriteStopsTheRestAndAFailedReadLeavesNoStaleText)
{
    Run([&](uitest::DialogDriver& d) {
        emulator.ClearLog();
        for (int n = 3; n <= 5; ++n) d.Retype(IDC_CMT_EDIT_1 + n - 1, u"new");
        emulator.Script().OnKeyword("COMW", emu::Fault::Ng(0x43), 1);
        boxes.Answer(IDOK, u"Write the changed");
        boxes.Answer(IDOK, u"NG.1=43");
        d.Click(IDC_CMT_WRITE);
        EXPECT_EQ(Writes(), 1) << "comments 4 and 5 are not sent after the failure at 3";
        EXPECT_EQ(Count("@?COMR1.1"), 0) << "no re-read after a failed write";

        emulator.Script().OnKeyword("COMR", emu::Fault::NoReply(), -1);
        boxes.Answer(IDOK, u"does not answer");
        d.Click(IDC_CMT_READ);
        for (int n = 1; n <= 9; ++n) {
            SCOPED_TRACE(n);
            EXPECT_TRUE(d.Text(IDC_CMT_EDIT_1 + n - 1).IsEmpty());
        }
        emulator.Script().Clear();
        d.Click(IDCANCEL);
    });
}

TEST_F(DlgCommentListTest, PictureInJapanese)
{
    uitest::ScopedResources resources(u"resource", "ja");
    Run([&](uitest::DialogDriver& d) {
        KeepPicture(d.Dialog(), "DlgCommentList.ja");
        d.Click(IDCANCEL);
    });
}

}  // namespace
