#include "manager/dialogs/DataAddNewDlg.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "resources/manager/transport_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

class DataAddNewDlgTest : public ::testing::TestWithParam<const char*>, public TransportFixture {
protected:
    DataAddNewDlgTest() : TransportFixture(GetParam()) { ControllerDataStore().AllocControllerData(record); }

    INT_PTR Run(std::function<void(uitest::DialogDriver&, uitest::DialogDriver&)> script, const CString& name = u"NewData1")
    {
        CDataAddNewDlg wizard;
        wizard.SetInitialData(name, record.get());
        return RunDialogs(wizard, {[&](uitest::DialogDriver& d) {
            script(d, d);
        }});
    }
    // A page's controls are reached through the page that holds them.
    static uitest::DialogDriver PageOf(uitest::DialogDriver& d, int controlId)
    {
        for (CWnd* child = CWnd::FromHandle(d.Dialog())->GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
            if (child->GetDlgItem(controlId)) return uitest::DialogDriver(child->GetSafeHwnd());
        ADD_FAILURE() << "no page with control " << controlId;
        return d;
    }
    static void ChooseTab(uitest::DialogDriver& d, int index)
    {
        auto* tab = static_cast<CTabCtrl*>(CWnd::FromHandle(d.Item(IDC_ADDNEW_TAB)));
        RECT rect{};
        ASSERT_TRUE(tab->GetItemRect(index, &rect));
        d.ClickAt(IDC_ADDNEW_TAB, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    }
    ControllerDataSlot record;
};

TEST_P(DataAddNewDlgTest, TheSummaryShowsEveryChoice)
{
    const INT_PTR result = Run([&](uitest::DialogDriver& d, uitest::DialogDriver&) {
        uitest::DialogDriver controller = PageOf(d, IDC_ADDNEW_CONTROLLER);
        controller.ChooseComboEntry(IDC_ADDNEW_CONTROLLER, u"KX-Q10");
        controller.Retype(IDC_ADDNEW_STROKE, u"250");
        controller.Key(Qt::Key_Tab);
        ChooseTab(d, 1);
        uitest::DialogDriver option = PageOf(d, IDC_ADDNEW_INTERFACE);
        option.ChooseComboEntry(IDC_ADDNEW_INTERFACE, u"CC-Link");
        option.ChooseComboEntry(IDC_ADDNEW_BAUD, 1);
        Picture(d, "addnew-option");
        ChooseTab(d, 2);
        Picture(d, "addnew-detail");
        ChooseTab(d, 0);
        Picture(d, "addnew-controller");
        const std::vector<CString> values = ListColumn(d, IDC_ADDNEW_SUMMARY, 2);
        ASSERT_EQ(values.size(), 12u) << "rows 0-5 and 10-15";
        EXPECT_EQ(values[0], CString(u"KX-Q10"));
        EXPECT_EQ(values[1], CString(u"SA6-L05"));
        EXPECT_EQ(values[2], controller.Text(IDC_ADDNEW_STROKE));
        EXPECT_EQ(values[5], CString(u"CC-Link"));
        for (std::size_t i = 0; i < values.size(); ++i) EXPECT_FALSE(values[i].IsEmpty()) << "row " << i;
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(record->controller, CString(u"KX-Q10"));
    EXPECT_EQ(record->robot, CString(u"SA6-L05"));
    EXPECT_EQ(record->interfaceText, CString(u"CC-Link"));
    EXPECT_EQ(record->FirstParamSet()->K(43), 250000);
    EXPECT_EQ(record->FirstParamSet()->K(82), 1);
    EXPECT_FALSE(record->dbVersion.IsEmpty());
}

TEST_P(DataAddNewDlgTest, ValuesAreRoundedHalfAwayFromZero)
{
    host.accessLevel = 5;
    const INT_PTR result = Run([&](uitest::DialogDriver& d, uitest::DialogDriver&) {
        uitest::DialogDriver controller = PageOf(d, IDC_ADDNEW_CONTROLLER);
        controller.ChooseComboEntry(IDC_ADDNEW_CONTROLLER, u"KX-Q10");
        controller.Retype(IDC_ADDNEW_SPEED, u"0.29");
        controller.Key(Qt::Key_Tab);
        EXPECT_EQ(record->FirstParamSet()->K(44), 29);
        controller.Retype(IDC_ADDNEW_STROKE, u"1.001");
        controller.Key(Qt::Key_Tab);
        EXPECT_EQ(record->FirstParamSet()->K(43), 1001);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_P(DataAddNewDlgTest, TheInterfaceStaysChosenWhenTheMountingChanges)
{
    const INT_PTR result = Run([&](uitest::DialogDriver& d, uitest::DialogDriver&) {
        uitest::DialogDriver controller = PageOf(d, IDC_ADDNEW_CONTROLLER);
        controller.ChooseComboEntry(IDC_ADDNEW_CONTROLLER, u"KX-Q10");
        ChooseTab(d, 1);
        uitest::DialogDriver option = PageOf(d, IDC_ADDNEW_INTERFACE);
        option.ChooseComboEntry(IDC_ADDNEW_INTERFACE, u"DeviceNet");
        ChooseTab(d, 0);
        boxes.Answer(IDYES);  // vertical mounting
        controller.Click(IDC_ADDNEW_RADIO_B);
        EXPECT_EQ(record->FirstParamSet()->K(71), 1);
        EXPECT_EQ(option.Text(IDC_ADDNEW_INTERFACE), CString(u"DeviceNet"));
        EXPECT_EQ(record->interfaceText, CString(u"DeviceNet"));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_P(DataAddNewDlgTest, TheOriginDirectionIsTheValueOfTheEntryChosen)
{
    const INT_PTR result = Run([&](uitest::DialogDriver& d, uitest::DialogDriver&) {
        PageOf(d, IDC_ADDNEW_CONTROLLER).ChooseComboEntry(IDC_ADDNEW_CONTROLLER, u"KX-Q10");
        ChooseTab(d, 2);
        uitest::DialogDriver detail = PageOf(d, IDC_ADDNEW_DETAIL_1320);
        auto* combo = static_cast<CComboBox*>(CWnd::FromHandle(detail.Item(IDC_ADDNEW_DETAIL_1320)));
        ASSERT_GE(combo->GetCount(), 2);
        for (int i = combo->GetCount() - 1; i >= 0; --i) {
            SCOPED_TRACE(i);
            detail.ChooseComboEntry(IDC_ADDNEW_DETAIL_1320, i);
            EXPECT_EQ(record->FirstParamSet()->K(14), static_cast<std::int32_t>(combo->GetItemData(i)));
        }
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_P(DataAddNewDlgTest, NamesAreCheckedBeforeTheDataAreTaken)
{
    struct Case {
        const char16_t* name;
        const char16_t* says;
    };
    host.openNames.push_back(u"Taken");
    const Case cases[] = {{u"a.b", u"260"}, {u"Taken", u"already open"}};
    for (const Case& c : cases) {
        boxes.Answer(IDOK);
        const INT_PTR result = Run(
            [&](uitest::DialogDriver& d, uitest::DialogDriver&) {
                d.Click(IDOK);
                ASSERT_TRUE(StillOpen(d));
                d.Click(IDCANCEL);
            },
            c.name);
        EXPECT_EQ(result, IDCANCEL);
    }
}

TEST_P(DataAddNewDlgTest, APulseTrainModelShowsItsOwnRowsAndPage)
{
    const INT_PTR result = Run([&](uitest::DialogDriver& d, uitest::DialogDriver&) {
        uitest::DialogDriver controller = PageOf(d, IDC_ADDNEW_CONTROLLER);
        controller.ChooseComboEntry(IDC_ADDNEW_CONTROLLER, u"KX-LB");
        EXPECT_TRUE(controller.Visible(IDC_ADDNEW_MASS_PULSE_LABEL));
        EXPECT_FALSE(controller.Visible(IDC_ADDNEW_RADIO_A));
        const std::vector<CString> labels = ListColumn(d, IDC_ADDNEW_SUMMARY, 1);
        ASSERT_EQ(labels.size(), 10u) << "rows 0-3, 6-9, 12 and 13";
        EXPECT_NE(labels[3].Find(controller.Text(IDC_ADDNEW_MASS_PULSE_LABEL)), -1) << labels[3].ToUtf8();
        ChooseTab(d, 1);
        uitest::DialogDriver pulse = PageOf(d, IDC_ADDNEW_OUTPUT_TYPE);
        EXPECT_TRUE(pulse.Visible(IDC_ADDNEW_OUTPUT_TYPE));
        pulse.ChooseComboEntry(IDC_ADDNEW_OUTPUT_TYPE, 1);
        pulse.ChooseComboEntry(IDC_ADDNEW_INPUT_MODE, 2);
        EXPECT_EQ(record->FirstParamSet()->K(83), 2 + (1 << 2));
        EXPECT_EQ(record->FirstParamSet()->K(87), 2);
        Picture(d, "addnew-pulse");
        ChooseTab(d, 2);
        uitest::DialogDriver detail = PageOf(d, IDC_ADDNEW_DETAIL_1320);
        EXPECT_FALSE(detail.Visible(IDC_ADDNEW_DETAIL_1318));
        EXPECT_TRUE(detail.Visible(IDC_ADDNEW_DETAIL_1320));
        EXPECT_TRUE(detail.Visible(IDC_ADDNEW_DETAIL_1321));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(InsertBeforeEndTest, ShortLabelsTakeTheTextAtTheirStart)
{
    EXPECT_EQ(InsertBeforeEnd(u"Speed mm/s", u"x"), CString(u"Speed xmm/s"));
    EXPECT_EQ(InsertBeforeEnd(u"kg", u"x"), CString(u"xkg"));
    EXPECT_EQ(InsertBeforeEnd(u"", u"x"), CString(u"x"));
}

INSTANTIATE_TEST_SUITE_P(Languages, DataAddNewDlgTest, ::testing::Values("en", "ja"));

}  // namespace
