// The mode dialog, the access-code dialog and the point detail editor, as a
// person fills them in.
#include "manager/dialogs/tests/CtrlDialogTestSupport.h"

#include "manager/dialogs/DlgSmallDialogs.h"

#include "manager/core/ControllerCommands.h"

#include "resources/manager/ctrldlgs_ids.h"

#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"

namespace {

using namespace ctrltest;

class SmallDialogsTest : public ::testing::Test {
protected:
    uitest::ScopedResources english{u"resource", "en"};
    ScriptedMessageBox boxes;
};

TEST_F(SmallDialogsTest, TheModeDialogShowsTheModeAndReturnsTheChoice)
{
    const struct {
        int mode;
        int entry;       // -1: none selected
        bool fieldBus;
        int choose;      // entry to choose, -1 none
        bool toggle;     // click the check box
        INT_PTR result;
        int chosen;
    } cases[] = {
        {5, 1, true, -1, false, IDOK, 5},  {0, 0, false, -1, true, IDOK, 4}, {2, 2, false, 0, false, IDOK, 0},
        {6, 2, true, 1, true, IDOK, 1},
        // No entry: shown as unknown, OK waits for a choice, nothing comes back.
        {3, -1, false, -1, false, IDCANCEL, 3}, {7, -1, true, 2, false, IDOK, 6}, {-1, -1, false, -1, false, IDCANCEL, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        CDlgModeChange dlg(c.mode);
        const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
            EXPECT_EQ(d.ComboSelection(IDC_MODE_COMBO), c.entry);
            EXPECT_EQ(d.Check(IDC_MODE_FIELDBUS) == BST_CHECKED, c.fieldBus);
            EXPECT_EQ(d.Enabled(IDOK), c.entry >= 0);
            EXPECT_EQ(d.Text(IDC_MODE_CURRENT).IsEmpty(), c.entry >= 0);
            if (c.choose >= 0) d.ChooseComboEntry(IDC_MODE_COMBO, c.choose);
            if (c.toggle) d.Click(IDC_MODE_FIELDBUS);
            if (c.mode == 3) KeepPicture(d.Dialog(), "DlgModeChange-unknown.en");
            d.Click(d.Enabled(IDOK) ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(dlg.GetMode(), c.chosen);
    }
    EXPECT_EQ(ModeNameOfCode(3), CString());
    EXPECT_EQ(ModeNameOfCode(5), CString(u"Run (field bus)"));
}

TEST_F(SmallDialogsTest, TheAccessCodeTakesAtMostEightCharactersAndCancelGivesNothing)
{
    CDlgParameterPassword dlg;
    EXPECT_EQ(uitest::RunModal(dlg,
                               [&](uitest::DialogDriver& d) {
                                   d.Type(IDC_ACCESS_CODE_EDIT, u"abcdefghij");
                                   KeepPicture(d.Dialog(), "DlgParameterPassword.en");
                                   d.Click(IDOK);
                               }),
              IDOK);
    EXPECT_EQ(dlg.GetEnteredText(), CString(u"abcdefgh"));

    CDlgParameterPassword cancelled;
    EXPECT_EQ(uitest::RunModal(cancelled,
                               [&](uitest::DialogDriver& d) {
                                   d.Type(IDC_ACCESS_CODE_EDIT, u"secret");
                                   d.Click(IDCANCEL);
                               }),
              IDCANCEL);
    EXPECT_TRUE(cancelled.GetEnteredText().IsEmpty());
}

TEST_F(SmallDialogsTest, PicturesInJapanese)
{
    uitest::ScopedResources japanese(u"resource", "ja");
    CDlgModeChange mode(3);
    uitest::RunModal(mode, [&](uitest::DialogDriver& d) {
        KeepPicture(d.Dialog(), "DlgModeChange-unknown.ja");
        d.ChooseComboEntry(IDC_MODE_COMBO, 1);
        KeepPicture(d.Dialog(), "DlgModeChange.ja");
        d.Click(IDCANCEL);
    });
    CDlgParameterPassword code;
    uitest::RunModal(code, [&](uitest::DialogDriver& d) {
        KeepPicture(d.Dialog(), "DlgParameterPassword.ja");
        d.Click(IDCANCEL);
    });
}

// The mode of the emulated controller read, changed in the dialog and written back as the tree does.
class ModeChangeOnLine : public ::testing::Test, protected OnlineController {};

TEST_F(ModeChangeOnLine, TheChosenModeReachesTheController)
{
    ASSERT_TRUE(Open("Q05"));
    Controller().SetParameter(20, 2);
    int mode = 0;
    ASSERT_TRUE(QueryParameter(manager->GetLink(), manager->GetProtocol(), 1, 20, mode));
    CDlgModeChange dlg(mode);
    ASSERT_EQ(uitest::RunModal(dlg,
                               [&](uitest::DialogDriver& d) {
                                   d.ChooseComboEntry(IDC_MODE_COMBO, 0);
                                   d.Click(IDC_MODE_FIELDBUS);
                                   d.Click(IDOK);
                               }),
              IDOK);
    ASSERT_TRUE(manager->WriteCheckedK20(dlg.GetMode()));
    EXPECT_EQ(Controller().Parameter(20), 4);
}

}  // namespace

namespace {

using namespace ctrltest;

TEST(PointDetailTest, TheEntryTakesNoMoreThanTheFieldsOwnEditAndPicturesInBothLanguages)
{
    for (const char* lang : {"en", "ja"}) {
        SCOPED_TRACE(lang);
        uitest::ScopedResources resources(u"resource", lang);
        CDlgPointInputDetail dlg;
        dlg.m_label = W(std::string(lang) == "en" ? "Position [P]" : "位置 [P]");
        dlg.m_unit = u"mm";
        dlg.m_limit = 5;
        dlg.m_value = u"12.50";
        const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
            EXPECT_EQ(d.Text(IDC_PD_VALUE), CString(u"12.50"));
            EXPECT_FALSE(d.Visible(IDC_PD_HIDDEN));
            KeepPicture(d.Dialog(), std::string("DlgPointInputDetail.") + lang);
            d.Retype(IDC_PD_VALUE, u"1234567");
            d.Click(IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(dlg.m_value, CString(u"12345"));
    }
}

}  // namespace
