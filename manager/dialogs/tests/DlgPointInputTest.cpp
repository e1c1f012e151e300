// The point input dialog as a person fills it in: values checked and
// converted however they leave their edit (Enter included), stepping through
// the points with the question about changes, and the diagram's markers.
#include "manager/dialogs/tests/CtrlDialogTestSupport.h"

#include "manager/dialogs/DlgPointInput.h"

#include "resources/manager/ctrldlgs_ids.h"

#include "platform/ui/Button.h"

namespace {

using namespace ctrltest;

PointFieldTable Limits()
{
    PointFieldTable t{};
    t[PointRecord::kM] = {0, 0, 1, 1, 8};
    t[PointRecord::kP] = {kSignedField, 2, 0, -99999, 9999999};
    t[PointRecord::kS] = {0, 2, 10000, 1, 100000};
    t[PointRecord::kAC] = {0, 2, 30, 1, 300};
    t[PointRecord::kDC] = {0, 0, 100, 1, 100};
    t[PointRecord::kQ] = {0, 0, 50, 0, 100};
    t[PointRecord::kZL] = {kSignedField, 2, 0, -99999, 9999999};
    t[PointRecord::kZH] = {kSignedField, 2, 0, -99999, 9999999};
    t[PointRecord::kN] = {0, 2, 0, 0, 9999999};
    t[PointRecord::kJ] = {0, 0, 0, 0, 255};
    t[PointRecord::kF] = {0, 0, 0, 0, 3};
    t[PointRecord::kC] = {0, 0, 0, 0, 255};
    t[PointRecord::kT] = {0, 0, 0, 0, 30000};
    return t;
}

class DlgPointInputTest : public ::testing::Test {
protected:
    DlgPointInputTest()
    {
        data.typeText = u"LA";
        data.paramSets.resize(1);
        data.paramSets[0].K(44) = 50000;
        data.paramSets[0].K(76) = 1;
        data.paramSets[0].K(78) = 2;
        PointRecord p;
        p.number = 3;
        p.m = 1;
        p.p = 10000;
        p.s = 5000;
        p.ac = 30;
        p.dc = 100;
        data.points[2] = p;
    }
    INT_PTR Run(int point, const std::function<void(uitest::DialogDriver&)>& script)
    {
        CDlgPointInput dlg;
        dlg.m_nPoint = point;
        dlg.m_pData = &data;
        dlg.m_pFieldTable = &table;
        const INT_PTR result = uitest::RunModal(dlg, script);
        stored = dlg.m_nStored;
        return result;
    }

    uitest::ScopedResources english{u"resource", "en"};
    ScriptedMessageBox boxes;
    ControllerData data;
    PointFieldTable table = Limits();
    int stored = 0;
};

TEST_F(DlgPointInputTest, AValueConfirmedWithEnterIsStoredInItsCanonicalForm)
{
    const INT_PTR result = Run(3, [&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_PI_P), CString(u"100.00"));
        d.Retype(IDC_PI_P, u"12.5");
        d.Key(Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(data.points[2].p, 1250) << "12.5 with two decimals is 1250, never 125";
    EXPECT_EQ(data.points[2].s, 5000);
}

TEST_F(DlgPointInputTest, EveryFieldIsCheckedWhenItIsLeft)
{
    const struct {
        int id;
        const char16_t* typed;
        const char16_t* shown;
    } cases[] = {
        {IDC_PI_P, u"1.234", u"100.00"},    // more decimals than the field has
        {IDC_PI_S, u"-5", u"50.00"},        // a minus sign in an unsigned field
        {IDC_PI_S, u"99999", u"1000.00"},   // above the maximum
        {IDC_PI_P, u"-2.5", u"-2.50"},      // signed field
        {IDC_PI_DC, u"0", u"1"},            // below the minimum
        {IDC_PI_T, u"abc", u"0"},
    };
    Run(3, [&](uitest::DialogDriver& d) {
        for (const auto& c : cases) {
            SCOPED_TRACE(CString(c.typed).ToUtf8());
            d.Retype(c.id, c.typed);
            CWnd::FromHandle(d.Item(IDC_PI_ZL))->SetFocus();
            uitest::Pump(0);
            EXPECT_EQ(d.Text(c.id), CString(c.shown));
        }
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(stored, 0) << "Cancel stores nothing";
    EXPECT_EQ(data.points[2].p, 10000);
}

TEST_F(DlgPointInputTest, SteppingWrapsAndAsksAboutChanges)
{
    Run(1, [&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_PI_PREVIOUS), CString(u"<< Point 255"));
        EXPECT_EQ(d.Text(IDC_PI_NEXT), CString(u"Point 2 >>"));
        EXPECT_EQ(d.Text(IDC_PI_S), CString(u"100.00")) << "an empty slot opens with the defaults";
        d.Click(IDC_PI_PREVIOUS);
        EXPECT_EQ(d.Text(IDC_PI_NEXT), CString(u"Point 1 >>"));
        d.Click(IDC_PI_NEXT);
        d.Click(IDC_PI_NEXT);
        d.Click(IDC_PI_NEXT);  // point 3
        EXPECT_EQ(d.Text(IDC_PI_P), CString(u"100.00"));

        d.Retype(IDC_PI_P, u"7");
        boxes.Answer(IDCANCEL, u"Keep the changes");
        d.Click(IDC_PI_NEXT);
        EXPECT_EQ(d.Text(IDC_PI_P), CString(u"7.00")) << "Cancel stays with the edits";
        boxes.Answer(IDNO, u"Keep the changes");
        d.Click(IDC_PI_NEXT);
        EXPECT_EQ(d.Text(IDC_PI_NEXT), CString(u"Point 5 >>"));
        d.Click(IDC_PI_PREVIOUS);
        EXPECT_EQ(d.Text(IDC_PI_P), CString(u"100.00")) << "No forgot the change";
        d.Retype(IDC_PI_P, u"8.25");
        boxes.Answer(IDYES, u"Keep the changes");
        d.Click(IDC_PI_PREVIOUS);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(data.points[2].p, 825);
}

TEST_F(DlgPointInputTest, MarkersSitWhereTheTypeSaysAndPaintingLeavesTheFocusAlone)
{
    EXPECT_EQ(DiagramMarkersOf(1)[0].x, 8);
    EXPECT_EQ(DiagramMarkersOf(4)[0].x, 2);
    EXPECT_TRUE(DiagramMarkersOf(3)[8].visible) << "J shows for push moves";
    EXPECT_FALSE(DiagramMarkersOf(3)[3].visible) << "and DC does not";
    Run(3, [&](uitest::DialogDriver& d) {
        const auto centreX = [&](int id) {
            CRect r;
            ::GetWindowRect(d.Item(id), &r);
            return r.CenterPoint().x;
        };
        CRect picture;
        ::GetWindowRect(d.Item(IDC_PI_PICTURE), &picture);
        const struct {
            int type;
            double pAt;  // share of the time axis
        } cases[] = {{1, 1.0}, {5, 1.0}, {7, 1.0}, {2, 0.5}, {3, 0.5}, {6, 0.5}, {8, 0.5}, {4, 0.25}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.type);
            d.ChooseComboEntry(IDC_PI_TYPE, c.type - 1);
            const int d8 = (picture.Width() - 60) / 8 * 8;
            EXPECT_NEAR(centreX(IDC_PI_MARKER_P), picture.left + 20 + c.pAt * d8, 2);
            EXPECT_EQ(d.Visible(IDC_PI_MARKER_J), c.type == 3 || c.type == 4);
        }
        d.ChooseComboEntry(IDC_PI_TYPE, 6);
        CWnd::FromHandle(d.Item(IDC_PI_S))->SetFocus();
        for (int i = 0; i < 5; ++i) {
            CWnd::FromHandle(d.Dialog())->Invalidate();
            uitest::Pump(20);
        }
        EXPECT_EQ(d.Focus(), IDC_PI_S);
        KeepPicture(d.Dialog(), "DlgPointInput.en");
        d.Click(IDCANCEL);
    });
}

TEST_F(DlgPointInputTest, PictureInJapanese)
{
    uitest::ScopedResources japanese(u"resource", "ja");
    Run(3, [&](uitest::DialogDriver& d) {
        d.ChooseComboEntry(IDC_PI_TYPE, 3);
        KeepPicture(d.Dialog(), "DlgPointInput.ja");
        d.Click(IDCANCEL);
    });
}

}  // namespace
